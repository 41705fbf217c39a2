#pragma once

#include "commandline.h"
#include "tablekana.h"

#include "core/appdir.h"
#include "core/romajitable.h"

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ksd {

enum class Severity
{
    Error,
    Warning
};

struct Finding
{
    Severity severity = Severity::Error;
    std::optional<std::size_t> item; // where it is; none for the file as a whole
    std::string text;
};

// What a finding is about. A file can repeat one fault a million times (a
// megabyte of commas is a million unknown kana): each kind lists its first
// findings and counts the rest.
enum class FindingKind
{
    File,
    Header,
    TypedBeforeFirstProblem,
    UnusedBeforeFirstProblem,
    DisplayTextTyped,
    UnknownKana,
    EmptyLine,
    NoSentinel,
    LongDisplayText,
    LongRomaji,
};

struct OmittedFindings
{
    Severity severity = Severity::Warning;
    std::string what; // the kind, for the summary line
    std::size_t count = 0;
};

inline constexpr std::size_t kFindingsShownPerKind = 20;

// Looks at every item of a problem file, not only at the first fault the game
// stops at, so an author can fix a file in one go. Errors are what makes the
// game refuse the file when it plays it from the game folder; warnings are
// what it plays wrongly, not at all, or not as the author may expect.
class ProblemFileCheck
{
public:
    ProblemFileCheck(FileKind kind, const ks::RomajiTable &table, const ks::AppDir &game);

    std::vector<Finding> run(const std::string &path);

    // The findings past the first kFindingsShownPerKind of their kind.
    std::vector<OmittedFindings> omitted() const;

private:
    void add(FindingKind kind, Severity severity, std::optional<std::size_t> item,
             std::string text);
    void addFileError(std::string text);
    std::string itemLabel(std::size_t i) const;
    std::size_t firstProblem() const;
    bool hasSentinel() const;
    bool isDisplayText(std::size_t i) const;
    std::vector<std::size_t> problemStarts() const;

    void checkItemCount();
    void checkHeader();
    void checkBeforeFirstProblem();
    void checkProblems();
    void checkEmptyLines(const std::vector<std::size_t> &starts);
    void checkSentinel();
    void checkLineWidths();
    void checkAgainstGame(const std::string &path);
    std::optional<ks::Error> gameRefusal(const std::string &path) const;
    void sortFindings();

    FileKind m_kind;
    FileLayout m_layout;
    const ks::RomajiTable &m_table;
    const ks::AppDir &m_game;
    TableKana m_kana;
    std::vector<std::string> m_items;
    std::vector<Finding> m_findings;
    std::map<FindingKind, std::size_t> m_perKind;
    std::map<FindingKind, OmittedFindings> m_omitted;
};

// Prints each finding as "error: " or "warning: ", then "OK" or the counts.
int runCheck(const CommandLine &line, const ks::RomajiTable &table, const ks::AppDir &game,
             std::ostream &out);

} // namespace ksd
