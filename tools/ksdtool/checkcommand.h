#pragma once

#include "commandline.h"
#include "problems.h"

#include "core/items.h"
#include "core/problemfile.h"
#include "core/result.h"
#include "core/romajimatcher.h"
#include "core/romajitable.h"
#include "core/textfile.h"

#include <algorithm>
#include <limits>
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
// game refuse the file; warnings are what it plays wrongly or not at all.
class ProblemFileCheck
{
public:
    ProblemFileCheck(FileKind kind, const ks::RomajiTable &table)
        : m_kind(kind), m_layout(layoutOf(kind)), m_table(table), m_kana(table)
    {}

    std::vector<Finding> run(const std::string &path)
    {
        m_findings.clear();
        m_perKind.clear();
        m_omitted.clear();
        ks::Result<std::string> text = ks::readTextFile(path);
        if (!text) {
            addFileError(text.error().message());
            return m_findings;
        }
        // Read past the game's capacity: the breach is one finding among others.
        ks::Result<std::vector<std::string>> items =
            ks::parseItems(*text, std::numeric_limits<std::size_t>::max());
        if (!items) {
            addFileError(items.error().message());
            return m_findings;
        }
        m_items = std::move(*items);
        checkItemCount();
        if (m_kind == FileKind::Practice)
            checkHeader();
        checkBeforeFirstProblem();
        checkProblems();
        if (m_kind == FileKind::Practice)
            checkSentinel();
        checkAgainstGame(path);
        sortFindings();
        return m_findings;
    }

    // The findings past the first kFindingsShownPerKind of their kind.
    std::vector<OmittedFindings> omitted() const
    {
        std::vector<OmittedFindings> result;
        for (const auto &[kind, o] : m_omitted)
            result.push_back(o);
        return result;
    }

private:
    static const char *kindName(FindingKind kind)
    {
        switch (kind) {
        case FindingKind::File:
            return "ファイル全体";
        case FindingKind::Header:
            return "見出し";
        case FindingKind::TypedBeforeFirstProblem:
        case FindingKind::UnusedBeforeFirstProblem:
            return "最初の「@」より前の項目";
        case FindingKind::DisplayTextTyped:
            return "かなとして打たれる表示";
        case FindingKind::UnknownKana:
            return "ローマ字表にないかな";
        case FindingKind::EmptyLine:
            return "ローマ字の行が空の問題";
        case FindingKind::NoSentinel:
            return "終わりの「@」「end」";
        }
        return "";
    }

    void add(FindingKind kind, Severity severity, std::optional<std::size_t> item, std::string text)
    {
        if (m_perKind[kind]++ < kFindingsShownPerKind) {
            m_findings.push_back({severity, item, std::move(text)});
            return;
        }
        OmittedFindings &o = m_omitted[kind];
        o.severity = severity;
        o.what = kindName(kind);
        ++o.count;
    }
    void addFileError(std::string text)
    {
        add(FindingKind::File, Severity::Error, std::nullopt, std::move(text));
    }

    // Worded like the core's own details, so check and the game read alike.
    std::string itemLabel(std::size_t i) const
    {
        return std::to_string(i) + " 番の項目「" + m_items[i] + "」";
    }

    std::size_t firstProblem() const
    {
        const std::size_t from = std::min(m_layout.bodyStart, m_items.size());
        return static_cast<std::size_t>(
            std::find(m_items.begin() + from, m_items.end(), ks::kProblemStart) - m_items.begin());
    }

    bool hasSentinel() const
    {
        const std::size_t n = m_items.size();
        return n >= m_layout.bodyStart + 2 && m_items[n - 2] == ks::kProblemStart &&
               m_items[n - 1] == ks::kEndSentinel;
    }

    void checkItemCount()
    {
        if (m_items.size() > m_layout.itemCapacity)
            addFileError(ks::Error{ks::ErrorCode::TooManyItems,
                                   std::to_string(m_items.size()) + " / " +
                                       std::to_string(m_layout.itemCapacity) + " 項目"}
                             .message());
    }

    void checkHeader()
    {
        if (m_items.size() < ks::kPracticeBodyStart)
            add(FindingKind::Header, Severity::Warning, std::nullopt,
                "見出しが " + std::to_string(m_items.size()) + " 項目しかありません（本文は " +
                    std::to_string(ks::kPracticeBodyStart) + " 番の項目から始まります）");
        // An "@" in the header means a header line lost an item and the body slid into it.
        for (std::size_t i = 0; i < std::min(m_items.size(), ks::kPracticeBodyStart); ++i) {
            if (m_items[i] == ks::kProblemStart)
                add(FindingKind::Header, Severity::Warning, i,
                    itemLabel(i) + "：見出しの中に「@」があります（見出しの項目が足りないのでは）");
        }
        if (timeLimitIsZero(m_items))
            add(FindingKind::Header, Severity::Error, kTimeLimitItem,
                zeroTimeLimitMessage(m_items) + "（ゲームが読み込みません）");
        if (ks::problemCountIsUnplayable(m_items))
            add(FindingKind::Header, Severity::Error, kProblemCountItem,
                ks::Error{ks::ErrorCode::UnplayableProblemCount, itemLabel(kProblemCountItem)}
                        .message() +
                    "（ゲームが読み込みません）");
    }

    void checkBeforeFirstProblem()
    {
        const std::size_t first = firstProblem();
        for (std::size_t i = m_layout.bodyStart; i < first; ++i) {
            if (m_kana.isTyped(m_items[i]))
                add(FindingKind::TypedBeforeFirstProblem, Severity::Error, i,
                    ks::Error{ks::ErrorCode::KanaBeforeFirstProblem, itemLabel(i)}.message());
            else
                add(FindingKind::UnusedBeforeFirstProblem, Severity::Warning, i,
                    itemLabel(i) + "：最初の「@」より前なので使われません");
        }
    }

    bool isDisplayText(std::size_t i) const
    {
        return m_kind == FileKind::Practice && i > 0 && m_items[i - 1] == ks::kProblemStart &&
               m_items[i] != ks::kProblemStart;
    }

    void checkProblems()
    {
        std::vector<std::size_t> starts;
        for (std::size_t i = firstProblem(); i < m_items.size(); ++i) {
            const std::string &item = m_items[i];
            if (item == ks::kProblemStart) {
                starts.push_back(i);
            } else if (isDisplayText(i)) {
                // The romaji builder does not skip the display text: a lone kana there is typed.
                if (m_kana.isTyped(item))
                    add(FindingKind::DisplayTextTyped, Severity::Warning, i,
                        itemLabel(i) + "：表示の文字がかなとしてローマ字の行にも入ります");
            } else if (!m_kana.isTyped(item)) {
                add(FindingKind::UnknownKana, Severity::Warning, i,
                    itemLabel(i) + "：ローマ字表にないかなです（何も打たせません）");
            }
        }
        if (starts.size() > m_layout.lineCapacity)
            addFileError(ks::Error{ks::ErrorCode::TooManyProblems,
                                   std::to_string(starts.size()) + " / " +
                                       std::to_string(m_layout.lineCapacity) + " 問"}
                             .message());
        checkEmptyLines(starts);
    }

    void checkEmptyLines(const std::vector<std::size_t> &starts)
    {
        const ks::RomajiLines built =
            ks::BuildRomajiLines(m_items, m_layout.bodyStart, m_table, m_layout.lineCapacity);
        const bool sentinel = m_kind == FileKind::Practice && hasSentinel();
        for (std::size_t k = 0; k < built.lines.size() && k < starts.size(); ++k) {
            const std::size_t at = starts[k];
            if (!built.lines[k].empty() || (sentinel && at + 2 == m_items.size()))
                continue;
            std::string where = "問題 " + std::to_string(k);
            if (m_kind == FileKind::Practice && at + 1 < m_items.size())
                where += "「" + m_items[at + 1] + "」";
            add(FindingKind::EmptyLine, Severity::Warning, at,
                where + "（" + std::to_string(at) +
                    " 番の項目）：ローマ字の行が空です（ゲームでは打てません）");
        }
    }

    void checkSentinel()
    {
        if (!hasSentinel())
            add(FindingKind::NoSentinel, Severity::Warning, std::nullopt,
                "終わりの「@」「end」がありません（最後の問題がローマ字の合計に入りません）");
    }

    // The game's own readers have the last word: should they refuse a file
    // this check let through, their reason is reported as an error.
    void checkAgainstGame(const std::string &path)
    {
        const bool anyError =
            std::any_of(m_findings.begin(), m_findings.end(),
                        [](const Finding &f) { return f.severity == Severity::Error; });
        if (anyError)
            return;
        if (std::optional<ks::Error> refusal = gameRefusal(path))
            addFileError(refusal->message());
    }

    std::optional<ks::Error> gameRefusal(const std::string &path) const
    {
        if (m_kind == FileKind::Exam) {
            ks::Result<std::vector<std::string>> phrases = ks::loadExamPhrases(path, m_table);
            return phrases ? std::nullopt : std::optional(phrases.error());
        }
        ks::Result<std::vector<std::string>> items =
            ks::ReadProblemItems(path, ks::kPracticeItemCapacity);
        if (!items)
            return items.error();
        ks::Result<ks::PracticeProblems> problems = ks::preparePracticeProblems(*items, m_table);
        return problems ? std::nullopt : std::optional(problems.error());
    }

    // File-wide findings first, then the rest in the order of the file.
    void sortFindings()
    {
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Finding &a, const Finding &b) {
                             if (a.item.has_value() != b.item.has_value())
                                 return !a.item.has_value();
                             return a.item.value_or(0) < b.item.value_or(0);
                         });
    }

    FileKind m_kind;
    FileLayout m_layout;
    const ks::RomajiTable &m_table;
    TableKana m_kana;
    std::vector<std::string> m_items;
    std::vector<Finding> m_findings;
    std::map<FindingKind, std::size_t> m_perKind;
    std::map<FindingKind, OmittedFindings> m_omitted;
};

namespace detail {

inline std::string counted(std::size_t n, const char *word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace detail

inline int runCheck(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out)
{
    ProblemFileCheck check(line.kind, table);
    const std::vector<Finding> findings = check.run(line.file);
    std::size_t errors = 0;
    std::size_t total = findings.size();
    for (const Finding &finding : findings) {
        const bool error = finding.severity == Severity::Error;
        errors += error ? 1 : 0;
        out << (error ? "error: " : "warning: ") << finding.text << '\n';
    }
    for (const OmittedFindings &o : check.omitted()) {
        const bool error = o.severity == Severity::Error;
        errors += error ? o.count : 0;
        total += o.count;
        out << (error ? "error: " : "warning: ") << "ほかに「" << o.what << "」が " << o.count
            << " 件 / " << o.count << " more like the above\n";
    }
    if (total == 0)
        out << "OK\n";
    else
        out << detail::counted(errors, "error") << ", "
            << detail::counted(total - errors, "warning") << '\n';
    return errors == 0 ? kExitOk : kExitBadInput;
}

} // namespace ksd
