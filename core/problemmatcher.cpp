#include "problemmatcher.h"

#include <algorithm>

namespace ks {

LineMatcher::LineMatcher(std::string line) : m_line(std::move(line)), m_unitEnds{m_line.size()} {}

LineMatcher::LineMatcher(const KanaProblem &problem)
{
    for (const KanaUnit &unit : problem) {
        m_line += unit.tableRomaji;
        m_unitEnds.push_back(m_line.size());
    }
}

KeyOutcome LineMatcher::judge(char32_t typed)
{
    const KeyMatch match = MatchRomajiKey(guide(), typed);
    if (match.outcome != KeyOutcome::KeyWrong)
        m_typedBytes = m_line.size() - match.remaining.size();
    return match.outcome;
}

std::size_t LineMatcher::unitIndex() const
{
    // The first unit whose romaji is not all typed yet.
    return static_cast<std::size_t>(
        std::upper_bound(m_unitEnds.begin(), m_unitEnds.end(), m_typedBytes) - m_unitEnds.begin());
}

ProblemMatcher::ProblemMatcher() : m_matcher(SpellingMatcher()) {}

ProblemMatcher::ProblemMatcher(SpellingMode mode, const KanaProblem &problem)
    : m_matcher(mode == SpellingMode::Any
                    ? std::variant<LineMatcher, SpellingMatcher>(SpellingMatcher(problem))
                    : std::variant<LineMatcher, SpellingMatcher>(LineMatcher(problem)))
{}

ProblemMatcher::ProblemMatcher(std::string line) : m_matcher(LineMatcher(std::move(line))) {}

KeyOutcome ProblemMatcher::judge(char32_t typed)
{
    return std::visit([typed](auto &matcher) { return matcher.judge(typed); }, m_matcher);
}

std::string_view ProblemMatcher::guide() const
{
    return std::visit([](const auto &matcher) { return matcher.guide(); }, m_matcher);
}

std::string_view ProblemMatcher::typed() const
{
    return std::visit([](const auto &matcher) { return matcher.typed(); }, m_matcher);
}

std::size_t ProblemMatcher::unitIndex() const
{
    return std::visit([](const auto &matcher) { return matcher.unitIndex(); }, m_matcher);
}

bool ProblemMatcher::isCompleted() const
{
    return std::visit([](const auto &matcher) { return matcher.isCompleted(); }, m_matcher);
}

} // namespace ks
