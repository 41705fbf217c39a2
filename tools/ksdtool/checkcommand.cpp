#include "checkcommand.h"

#include "playpage.h"

#include "core/items.h"
#include "core/problemfile.h"
#include "core/result.h"
#include "core/romajimatcher.h"
#include "core/kanaproblem.h"

#include <algorithm>
#include <limits>
#include <sstream>

namespace ksd {

namespace {

const char *kindName(FindingKind kind)
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
    case FindingKind::LongDisplayText:
        return "画面の幅に収まらない表示";
    case FindingKind::LongRomaji:
        return "画面の幅に収まらないローマ字";
    }
    return "";
}

// 20 as "20", 15.75 as "15.75": as the author wrote it in the header.
std::string pointsText(double points)
{
    std::ostringstream text;
    text << points;
    return text.str();
}

std::string counted(std::size_t n, const char *word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace

ProblemFileCheck::ProblemFileCheck(FileKind kind, const ks::RomajiTable &table,
                                   const ks::AppDir &game)
    : m_kind(kind), m_layout(layoutOf(kind)), m_table(table), m_game(game), m_kana(table)
{}

std::vector<Finding> ProblemFileCheck::run(const std::string &path)
{
    m_findings.clear();
    m_perKind.clear();
    m_omitted.clear();
    // The game's own reader: a file it cannot read is one finding.
    ks::Result<std::vector<std::string>> items =
        ks::ReadProblemItems(path, std::numeric_limits<std::size_t>::max());
    if (!items) {
        addFileError(items.error().message());
        return m_findings;
    }
    // Read past the game's capacity: the breach is one finding among others.
    m_items = std::move(*items);
    checkItemCount();
    if (m_kind == FileKind::Practice)
        checkHeader();
    checkBeforeFirstProblem();
    checkProblems();
    if (m_kind == FileKind::Practice) {
        checkSentinel();
        checkLineWidths();
    }
    checkAgainstGame(path);
    sortFindings();
    return m_findings;
}

std::vector<OmittedFindings> ProblemFileCheck::omitted() const
{
    std::vector<OmittedFindings> result;
    for (const auto &[kind, o] : m_omitted)
        result.push_back(o);
    return result;
}

void ProblemFileCheck::add(FindingKind kind, Severity severity, std::optional<std::size_t> item,
                           std::string text)
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

void ProblemFileCheck::addFileError(std::string text)
{
    add(FindingKind::File, Severity::Error, std::nullopt, std::move(text));
}

// Worded like the core's own details, so check and the game read alike.
std::string ProblemFileCheck::itemLabel(std::size_t i) const
{
    return std::to_string(i) + " 番の項目「" + m_items[i] + "」";
}

std::size_t ProblemFileCheck::firstProblem() const
{
    const std::size_t from = std::min(m_layout.bodyStart, m_items.size());
    return static_cast<std::size_t>(std::find(m_items.begin() + static_cast<std::ptrdiff_t>(from),
                                              m_items.end(), ks::kProblemStart) -
                                    m_items.begin());
}

bool ProblemFileCheck::hasSentinel() const
{
    const std::size_t n = m_items.size();
    return n >= m_layout.bodyStart + 2 && m_items[n - 2] == ks::kProblemStart &&
           m_items[n - 1] == ks::kEndSentinel;
}

bool ProblemFileCheck::isDisplayText(std::size_t i) const
{
    return m_kind == FileKind::Practice && i > 0 && m_items[i - 1] == ks::kProblemStart &&
           m_items[i] != ks::kProblemStart;
}

std::vector<std::size_t> ProblemFileCheck::problemStarts() const
{
    std::vector<std::size_t> starts;
    for (std::size_t i = firstProblem(); i < m_items.size(); ++i) {
        if (m_items[i] == ks::kProblemStart)
            starts.push_back(i);
    }
    return starts;
}

void ProblemFileCheck::checkItemCount()
{
    if (m_items.size() > m_layout.itemCapacity)
        addFileError(ks::Error{ks::ErrorCode::TooManyItems,
                               std::to_string(m_items.size()) + " / " +
                                   std::to_string(m_layout.itemCapacity) + " 項目"}
                         .message());
}

void ProblemFileCheck::checkHeader()
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
    const auto header = [&](std::size_t i) {
        return i < m_items.size() ? m_items[i] : std::string();
    };
    if (ks::timeLimitIsUnplayable(m_items))
        add(FindingKind::Header, Severity::Error, ks::kTimeLimitItem,
            ks::Error{ks::ErrorCode::UnplayableTimeLimit, std::to_string(ks::kTimeLimitItem) +
                                                              " 番の項目「" +
                                                              header(ks::kTimeLimitItem) + "」"}
                    .message() +
                "（ゲームが読み込みません）");
    if (ks::problemCountIsUnplayable(m_items))
        add(FindingKind::Header, Severity::Error, ks::kProblemCountItem,
            ks::Error{ks::ErrorCode::UnplayableProblemCount, itemLabel(ks::kProblemCountItem)}
                    .message() +
                "（ゲームが読み込みません）");
    if (ks::Result<void> safe = ks::checkAssetFolderItem(header(ks::kAssetFolderItem)); !safe)
        add(FindingKind::Header, Severity::Error, ks::kAssetFolderItem,
            safe.error().message() + "（ゲームが読み込みません）");
}

void ProblemFileCheck::checkBeforeFirstProblem()
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

void ProblemFileCheck::checkProblems()
{
    for (std::size_t i = firstProblem(); i < m_items.size(); ++i) {
        const std::string &item = m_items[i];
        if (item == ks::kProblemStart)
            continue;
        if (isDisplayText(i)) {
            // The romaji builder does not skip the display text: a lone kana there is typed.
            if (m_kana.isTyped(item))
                add(FindingKind::DisplayTextTyped, Severity::Warning, i,
                    itemLabel(i) + "：表示の文字がかなとしてローマ字の行にも入ります");
        } else if (!m_kana.isTyped(item)) {
            add(FindingKind::UnknownKana, Severity::Warning, i,
                itemLabel(i) + "：ローマ字表にないかなです（何も打たせません）");
        }
    }
    const std::vector<std::size_t> starts = problemStarts();
    if (starts.size() > m_layout.lineCapacity)
        addFileError(ks::Error{ks::ErrorCode::TooManyProblems,
                               std::to_string(starts.size()) + " / " +
                                   std::to_string(m_layout.lineCapacity) + " 問"}
                         .message());
    checkEmptyLines(starts);
}

void ProblemFileCheck::checkEmptyLines(const std::vector<std::size_t> &starts)
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

void ProblemFileCheck::checkSentinel()
{
    if (!hasSentinel())
        add(FindingKind::NoSentinel, Severity::Warning, std::nullopt,
            "終わりの「@」「end」がありません（最後の問題がローマ字の合計に入りません）");
}

// A line wider than the play page still plays: the game shows a long romaji
// line from its next key on, the rest coming into view as it is typed, and
// wraps or shrinks a long display text. The author may rather split it.
void ProblemFileCheck::checkLineWidths()
{
    const ks::RomajiLines built =
        ks::BuildRomajiLines(m_items, m_layout.bodyStart, m_table, m_layout.lineCapacity);
    const std::vector<std::size_t> starts = problemStarts();
    const double points = ks::romajiLinePoints(m_items).value_or(kDesignRomajiPoints);
    const std::size_t real = starts.size() - (hasSentinel() ? 1 : 0);
    for (std::size_t k = 0; k < real && k < built.lines.size(); ++k) {
        const std::size_t at = starts[k];
        const std::string display = at + 1 < m_items.size() ? m_items[at + 1] : std::string();
        const std::string where = "問題 " + std::to_string(k) + "「" + display + "」（" +
                                  std::to_string(at) + " 番の項目）：";
        const std::string limit =
            " ピクセルで、画面の " + std::to_string(kPlayLineWidth) + " ピクセルに収まりません。";
        if (const int width = displayLineWidth(display); width > kPlayLineWidth)
            add(FindingKind::LongDisplayText, Severity::Warning, at,
                where + "表示の幅が " + std::to_string(width) + limit +
                    "ゲームでは折り返すか、文字を小さくします");
        if (const int width = romajiLineWidth(built.lines[k], points); width > kPlayLineWidth)
            add(FindingKind::LongRomaji, Severity::Warning, at,
                where + "ローマ字の幅が文字サイズ " + pointsText(points) + " で " +
                    std::to_string(width) + limit +
                    "ゲームでは次に打つ文字から表示し、続きは打つにつれて見えてきます");
    }
}

// The game has the last word: should it refuse a file this check let
// through, its reason is reported as an error.
void ProblemFileCheck::checkAgainstGame(const std::string &path)
{
    const bool anyError = std::any_of(m_findings.begin(), m_findings.end(), [](const Finding &f) {
        return f.severity == Severity::Error;
    });
    if (anyError)
        return;
    if (std::optional<ks::Error> refusal = gameRefusal(path))
        addFileError(refusal->message());
}

std::optional<ks::Error> ProblemFileCheck::gameRefusal(const std::string &path) const
{
    if (m_kind == FileKind::Exam) {
        ks::Result<std::vector<std::string>> phrases = ks::loadExamPhrases(path, m_table);
        return phrases ? std::nullopt : std::optional(phrases.error());
    }
    ks::Result<std::vector<std::string>> items =
        ks::ReadProblemItems(path, ks::kPracticeItemCapacity);
    if (!items)
        return items.error();
    // What the practice screen does when the player confirms the file.
    ks::Result<ks::PlayablePractice> playable =
        ks::confirmPracticeFile(*items, m_table, path, m_game);
    if (!playable)
        return playable.error();
    const std::string target = playable->assetFolder + std::string(ks::kPracticeAssetFiles[0]);
    if (!pictureLoads(target))
        return ks::Error{ks::ErrorCode::Unreadable, target + "（絵として読めません）"};
    return std::nullopt;
}

// File-wide findings first, then the rest in the order of the file.
void ProblemFileCheck::sortFindings()
{
    std::stable_sort(m_findings.begin(), m_findings.end(), [](const Finding &a, const Finding &b) {
        if (a.item.has_value() != b.item.has_value())
            return !a.item.has_value();
        return a.item.value_or(0) < b.item.value_or(0);
    });
}

int runCheck(const CommandLine &line, const ks::RomajiTable &table, const ks::AppDir &game,
             std::ostream &out)
{
    ProblemFileCheck check(line.kind, table, game);
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
        out << counted(errors, "error") << ", " << counted(total - errors, "warning") << '\n';
    return errors == 0 ? kExitOk : kExitBadInput;
}

} // namespace ksd
