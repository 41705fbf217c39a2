#pragma once

#include "kanaproblem.h"
#include "romajimatcher.h"
#include "spellingmatcher.h"
#include "spellingmode.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ks {

// Fixed judging: MatchRomajiKey on one line.
class LineMatcher
{
public:
    // A line built by BuildRomajiLines; it counts as a single unit.
    explicit LineMatcher(std::string line);
    // The table spellings of the units joined: the same line, knowing its units.
    explicit LineMatcher(const KanaProblem &problem);

    KeyOutcome judge(char32_t typed);
    std::string_view guide() const { return std::string_view(m_line).substr(m_typedBytes); }
    std::string_view typed() const { return std::string_view(m_line).substr(0, m_typedBytes); }
    std::size_t unitIndex() const;
    bool isCompleted() const { return !m_line.empty() && m_typedBytes == m_line.size(); }

private:
    std::string m_line;
    std::vector<std::size_t> m_unitEnds; // bytes of the line up to the end of each unit
    std::size_t m_typedBytes = 0;
};

// The current problem's matcher, whichever way it judges, for a screen that
// should not care: judge each character key, show guide() in the romaji
// label. A new problem gets a new one.
class ProblemMatcher
{
public:
    // Nothing to type: every key is wrong.
    ProblemMatcher();
    ProblemMatcher(SpellingMode mode, const KanaProblem &problem);
    // Fixed judging of a line built by BuildRomajiLines.
    explicit ProblemMatcher(std::string line);

    KeyOutcome judge(char32_t typed);
    // What the romaji label shows: the romaji still to type.
    std::string_view guide() const;
    // The keys judged right so far.
    std::string_view typed() const;
    // The unit of the problem the next key belongs to; the number of units
    // once completed.
    std::size_t unitIndex() const;
    bool isCompleted() const;

private:
    std::variant<LineMatcher, SpellingMatcher> m_matcher;
};

} // namespace ks
