// What the records window, the CSV export and the players' own queries read
// back. Every query answers from indexes or a bounded window of rows: a
// player of ten years (tens of thousands of runs, millions of keys) opens the
// window as fast as on the first day.

#include "records.h"

#include "sqlite.h"

#include "core/textfile.h"
#include "core/utf8.h"

#include <QDateTime>

#include <unistd.h>

namespace ks {

using records::Statement;

namespace {

char32_t charOf(const std::string &text)
{
    return firstUtf8Char(text).code;
}

std::int64_t unixMsOf(const std::string &iso)
{
    return QDateTime::fromString(QString::fromStdString(iso), Qt::ISODateWithMs)
        .toMSecsSinceEpoch();
}

// "2026-12-11T14:00:00+09:00" for a stored "2026-12-11T05:00:00.000Z".
std::string localIsoTimeOf(const std::string &iso)
{
    const QDateTime utc = QDateTime::fromString(QString::fromStdString(iso), Qt::ISODateWithMs);
    if (!utc.isValid())
        return iso;
    return utc.toLocalTime()
        .toOffsetFromUtc(utc.toLocalTime().offsetFromUtc())
        .toString(Qt::ISODate)
        .toStdString();
}

std::string csvField(std::string text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// The modes this game knows, bound to three parameters from first on: a
// run of a newer game's mode is left out of every count and list alike.
void bindKnownModes(Statement &query, int first)
{
    for (RunMode mode : {RunMode::SpeedTest, RunMode::Practice, RunMode::Mission})
        query.bind(first++, modeName(mode));
}

constexpr const char *kRunColumns = "id, started_at, mode, subject, duration_ms, keys, misses, "
                                    "outcome, score, verdict, title";

// A row of kRunColumns; nothing for a mode of a newer game.
std::optional<RunSummary> summaryOf(const Statement &query)
{
    const std::optional<RunMode> mode = modeFromName(query.text(2));
    if (!mode)
        return std::nullopt;
    RunSummary run;
    run.id = query.integer(0);
    run.startedAtMs = unixMsOf(query.text(1));
    run.mode = *mode;
    run.subject = query.text(3);
    run.durationMs = query.integer(4);
    run.keys = static_cast<int>(query.integer(5));
    run.misses = static_cast<int>(query.integer(6));
    run.end = endFromName(query.text(7)).value_or(RunEnd::Finished);
    if (!query.isNull(8))
        run.score = static_cast<int>(query.integer(8));
    run.verdict = query.text(9);
    run.title = query.text(10);
    return run;
}

// Every row of a query, each made into a T by rowOf (nothing: skipped);
// nothing at all when the query fails.
template <class T, class RowOf> std::optional<std::vector<T>> rowsOf(Statement &query, RowOf rowOf)
{
    std::vector<T> out;
    while (query.step() == SQLITE_ROW) {
        if (std::optional<T> row = rowOf(query))
            out.push_back(std::move(*row));
    }
    if (query.code() != SQLITE_DONE)
        return std::nullopt;
    return out;
}

} // namespace

template <class T, class Query> std::optional<T> Records::readOr(T nothingYet, Query query) noexcept
{
    try {
        // Looking makes no file: no file is no runs yet.
        if (!m_db && ::access(m_path.c_str(), F_OK) != 0)
            return nothingYet;
        if (!open())
            return std::nullopt;
        return query();
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<RunSummary>> Records::runs() noexcept
{
    return readOr(std::vector<RunSummary>(), [&]() -> std::optional<std::vector<RunSummary>> {
        Statement query(
            m_db,
            (std::string("SELECT ") + kRunColumns + " FROM run ORDER BY started_at, id").c_str());
        if (!query.ok())
            return std::nullopt;
        return rowsOf<RunSummary>(query, summaryOf);
    });
}

std::optional<RecordsOverview> Records::overview() noexcept
{
    return readOr(RecordsOverview(), [&]() -> std::optional<RecordsOverview> {
        // One pass over the subject index; a practice file's latest title is
        // found by walking its runs back from the newest, which stops at the
        // first titled one.
        Statement query(m_db, "SELECT mode, subject, COUNT(*), "
                              "CASE WHEN mode = ?2 THEN (SELECT title FROM run AS t "
                              "WHERE t.mode = r.mode AND t.subject = r.subject AND t.title <> '' "
                              "ORDER BY t.started_at DESC, t.id DESC LIMIT 1) END "
                              "FROM run AS r WHERE mode IN (?1, ?2, ?3) GROUP BY mode, subject");
        if (!query.ok())
            return std::nullopt;
        bindKnownModes(query, 1);
        RecordsOverview overview;
        std::optional<std::vector<SubjectSummary>> subjects =
            rowsOf<SubjectSummary>(query, [&](const Statement &row) {
                overview.runs += static_cast<int>(row.integer(2));
                return std::optional(
                    SubjectSummary{{*modeFromName(row.text(0)), row.text(1)}, row.text(3)});
            });
        if (!subjects)
            return std::nullopt;
        overview.subjects = std::move(*subjects);
        std::sort(
            overview.subjects.begin(), overview.subjects.end(),
            [](const SubjectSummary &a, const SubjectSummary &b) { return a.subject < b.subject; });
        return overview;
    });
}

std::optional<ProgressWindow> Records::progress(const Subject &subject, std::size_t window) noexcept
{
    return readOr(ProgressWindow(window), [&]() -> std::optional<ProgressWindow> {
        ProgressWindow progress(window);
        // Only the figures a point needs; the complete runs chosen here as
        // the window chooses them, so it sees fewer rows.
        Statement query(m_db, "SELECT id, duration_ms, keys, misses FROM run "
                              "WHERE mode = ? AND subject = ? AND keys > 0 "
                              "AND outcome <> 'abandoned' ORDER BY started_at, id");
        if (!query.ok())
            return std::nullopt;
        query.bind(1, modeName(subject.mode));
        query.bind(2, subject.subject);
        RunSummary run;
        while (query.step() == SQLITE_ROW) {
            run.id = query.integer(0);
            run.durationMs = query.integer(1);
            run.keys = static_cast<int>(query.integer(2));
            run.misses = static_cast<int>(query.integer(3));
            progress.add(run);
        }
        if (query.code() != SQLITE_DONE)
            return std::nullopt;
        return progress;
    });
}

std::optional<std::vector<RunSummary>> Records::latestRuns(int skip, int count) noexcept
{
    return readOr(std::vector<RunSummary>(), [&]() -> std::optional<std::vector<RunSummary>> {
        Statement query(m_db, (std::string("SELECT ") + kRunColumns +
                               " FROM run WHERE +mode IN (?, ?, ?) "
                               "ORDER BY started_at DESC, id DESC LIMIT ? OFFSET ?")
                                  .c_str());
        // (The + keeps the planner on the time index: the modes filter
        // almost nothing, and a sort of every run is what paging avoids.)
        if (!query.ok())
            return std::nullopt;
        bindKnownModes(query, 1);
        query.bind(4, std::int64_t{std::max(count, 0)});
        query.bind(5, std::int64_t{std::max(skip, 0)});
        return rowsOf<RunSummary>(query, summaryOf);
    });
}

std::optional<std::vector<KeyEvent>> Records::keysOfLatestRuns(int count) noexcept
{
    return readOr(std::vector<KeyEvent>(), [&]() -> std::optional<std::vector<KeyEvent>> {
        Statement query(m_db, "SELECT expected, typed, kana, interval_ms FROM key_event "
                              "WHERE run_id IN (SELECT id FROM run ORDER BY started_at DESC, id "
                              "DESC LIMIT ?) ORDER BY run_id, seq");
        if (!query.ok())
            return std::nullopt;
        query.bind(1, std::int64_t{count});
        return rowsOf<KeyEvent>(query, [](const Statement &row) {
            return std::optional(KeyEvent{charOf(row.text(0)), charOf(row.text(1)),
                                          Kana(row.text(2)),
                                          static_cast<std::int32_t>(row.integer(3))});
        });
    });
}

std::optional<std::string> Records::runsCsv() noexcept
{
    try {
        if (!open())
            return std::nullopt;
        Statement query(m_db, "SELECT id, started_at, mode, subject, title, duration_ms, keys, "
                              "misses, hit_rate, keys_per_minute, outcome, score, result FROM runs "
                              "ORDER BY id");
        if (!query.ok())
            return std::nullopt;
        const int columns = query.columnCount();
        // The byte-order mark is how Excel on a Japanese Windows tells UTF-8
        // from its own code page.
        std::string csv = "\xEF\xBB\xBF";
        for (int c = 0; c < columns; ++c)
            csv += (c ? "," : "") + query.columnName(c);
        csv += "\r\n";
        while (query.step() == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                if (c)
                    csv += ',';
                // The time as the player's clock showed it, with its offset,
                // as the history shows it.
                csv += csvField(c == 1 ? localIsoTimeOf(query.text(c)) : query.text(c));
            }
            csv += "\r\n";
        }
        if (query.code() != SQLITE_DONE)
            return std::nullopt;
        return csv;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<std::string>> Records::viewRows(View view) noexcept
{
    return readOr(std::vector<std::string>(), [&]() -> std::optional<std::vector<std::string>> {
        Statement query(m_db, view == View::Runs
                                  ? "SELECT mode, subject, title, duration_ms, keys, misses, "
                                    "hit_rate, keys_per_minute, result FROM runs "
                                    "ORDER BY started_at, id"
                                  : "SELECT run_id, expected, typed, count FROM key_misses "
                                    "ORDER BY run_id, count DESC, expected, typed");
        if (!query.ok())
            return std::nullopt;
        const int columns = query.columnCount();
        return rowsOf<std::string>(query, [columns](const Statement &row) {
            std::string text;
            for (int c = 0; c < columns; ++c)
                text += (c ? " | " : "") + row.text(c);
            return std::optional(std::move(text));
        });
    });
}

bool Records::exportCsv(const std::string &path) noexcept
{
    const std::optional<std::string> csv = runsCsv();
    return csv && writeFileAtomic(path, *csv).ok();
}

} // namespace ks
