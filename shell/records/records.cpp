#include "records.h"

#include "shell/dialogs.h"

#include "core/textfile.h"

#include <QDateTime>
#include <QLoggingCategory>

#include <sqlite3.h>

#include <cerrno>
#include <dlfcn.h>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcRecords, "ks.records", QtWarningMsg)

namespace ks {

namespace {

// SQLite is loaded when the records are first opened, not linked: linked,
// the dynamic linker would map it before main, on the way to the first
// window, for a file most starts never touch.
#define KS_SQLITE_FUNCTIONS(X)                                                                     \
    X(sqlite3_bind_int64)                                                                          \
    X(sqlite3_bind_null)                                                                           \
    X(sqlite3_bind_text)                                                                           \
    X(sqlite3_busy_timeout)                                                                        \
    X(sqlite3_close_v2)                                                                            \
    X(sqlite3_column_bytes)                                                                        \
    X(sqlite3_column_count)                                                                        \
    X(sqlite3_column_int64)                                                                        \
    X(sqlite3_column_name)                                                                         \
    X(sqlite3_column_text)                                                                         \
    X(sqlite3_column_type)                                                                         \
    X(sqlite3_errmsg)                                                                              \
    X(sqlite3_errstr)                                                                              \
    X(sqlite3_exec)                                                                                \
    X(sqlite3_extended_errcode)                                                                    \
    X(sqlite3_extended_result_codes)                                                               \
    X(sqlite3_finalize)                                                                            \
    X(sqlite3_last_insert_rowid)                                                                   \
    X(sqlite3_open_v2)                                                                             \
    X(sqlite3_prepare_v2)                                                                          \
    X(sqlite3_reset)                                                                               \
    X(sqlite3_step)

struct SqliteLibrary
{
// A declarator cannot be parenthesised.
#define KS_SQLITE_POINTER(name)                                                                    \
    decltype(&::name) name = nullptr; // NOLINT(bugprone-macro-parentheses)
    KS_SQLITE_FUNCTIONS(KS_SQLITE_POINTER)
#undef KS_SQLITE_POINTER
    bool loaded = false;
};

SqliteLibrary loadSqlite()
{
    SqliteLibrary library;
    void *handle = ::dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qCInfo(lcRecords) << "no SQLite:" << ::dlerror();
        return library;
    }
#define KS_SQLITE_RESOLVE(name)                                                                    \
    library.name = reinterpret_cast<decltype(library.name)>(::dlsym(handle, #name));               \
    if (!library.name) {                                                                           \
        qCInfo(lcRecords) << "SQLite lacks" << #name;                                              \
        return SqliteLibrary();                                                                    \
    }
    KS_SQLITE_FUNCTIONS(KS_SQLITE_RESOLVE)
#undef KS_SQLITE_RESOLVE
    library.loaded = true;
    return library;
}

// Loaded once, by the first caller; the game's UI thread is the only one.
const SqliteLibrary &api()
{
    static const SqliteLibrary library = loadSqlite();
    return library;
}

// Each step takes the file one version forward; a new file takes them all,
// so a file made today and one migrated from the first version are the same.
//
// Version 1 kept one text per run for how it ended: the points of a speed
// test, the verdict, or "abandoned". Version 2 splits that into the outcome,
// the points and the verdict, gives each key its kana, and adds the views
// players query. Version 3 keeps a practice file's title beside its file
// name, as the game shows it, and leaves the hit rate of a run without a
// key empty: 0 of 0 is no rate, not a rate of 0.
const char *const kMigrations[] = {
    // 0 → 1
    R"sql(
CREATE TABLE run (
    id INTEGER PRIMARY KEY,
    started_at TEXT NOT NULL,
    mode TEXT NOT NULL,
    subject TEXT NOT NULL,
    duration_ms INTEGER NOT NULL,
    keys INTEGER NOT NULL,
    misses INTEGER NOT NULL,
    result TEXT NOT NULL
);
CREATE TABLE key_event (
    run_id INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    expected TEXT NOT NULL,
    typed TEXT NOT NULL,
    interval_ms INTEGER NOT NULL,
    PRIMARY KEY (run_id, seq)
) WITHOUT ROWID;
)sql",
    // 1 → 2
    R"sql(
ALTER TABLE run ADD COLUMN outcome TEXT NOT NULL DEFAULT 'finished';
ALTER TABLE run ADD COLUMN score INTEGER;
ALTER TABLE run ADD COLUMN verdict TEXT;
UPDATE run SET outcome = 'abandoned' WHERE result = 'abandoned';
UPDATE run SET outcome = 'won' WHERE mode = 'mission' AND result = 'Mission Complete';
UPDATE run SET outcome = 'lost' WHERE mode = 'mission' AND result = 'Mission Incomplete';
UPDATE run SET outcome = 'time_up' WHERE mode = 'practice' AND result = '時間切れ';
UPDATE run SET score = CAST(result AS INTEGER)
    WHERE result <> '' AND result NOT GLOB '*[^0-9]*';
UPDATE run SET verdict = result
    WHERE result NOT IN ('', 'abandoned') AND score IS NULL;
ALTER TABLE run DROP COLUMN result;
ALTER TABLE key_event ADD COLUMN kana TEXT;
CREATE VIEW runs AS
SELECT id, started_at, mode, subject, duration_ms, keys, misses,
       CASE WHEN keys > 0 THEN ROUND(100.0 * (keys - misses) / keys, 1) ELSE 0.0 END
           AS hit_rate,
       CASE WHEN duration_ms > 0 AND keys > misses
            THEN ROUND((keys - misses) * 60000.0 / duration_ms, 1) ELSE 0.0 END
           AS keys_per_minute,
       outcome, score,
       CASE WHEN outcome = 'abandoned' THEN 'abandoned'
            ELSE COALESCE(verdict, CAST(score AS TEXT), outcome) END AS result
FROM run;
CREATE VIEW key_misses AS
SELECT run_id, expected, typed, COUNT(*) AS count
FROM key_event WHERE expected <> typed
GROUP BY run_id, expected, typed;
)sql",
    // 2 → 3
    R"sql(
ALTER TABLE run ADD COLUMN title TEXT;
DROP VIEW runs;
CREATE VIEW runs AS
SELECT id, started_at, mode, subject, title, duration_ms, keys, misses,
       CASE WHEN keys > 0 THEN ROUND(100.0 * (keys - misses) / keys, 1) END AS hit_rate,
       CASE WHEN duration_ms > 0 AND keys > misses
            THEN ROUND((keys - misses) * 60000.0 / duration_ms, 1) ELSE 0.0 END
           AS keys_per_minute,
       outcome, score,
       CASE WHEN outcome = 'abandoned' THEN 'abandoned'
            ELSE COALESCE(verdict, CAST(score AS TEXT), outcome) END AS result
FROM run;
)sql",
};
static_assert(std::size(kMigrations) == Records::kSchemaVersion);

// A prepared statement that finalises itself.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        m_code = api().sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~Statement() { api().sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_code == SQLITE_OK; }
    int code() const { return m_code; }
    sqlite3_stmt *get() const { return m_stmt; }

    void bind(int i, std::int64_t value) { api().sqlite3_bind_int64(m_stmt, i, value); }
    void bind(int i, std::string_view text)
    {
        api().sqlite3_bind_text(m_stmt, i, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT);
    }
    void bindNull(int i) { api().sqlite3_bind_null(m_stmt, i); }

    // SQLITE_ROW, SQLITE_DONE or an error, kept in code().
    int step()
    {
        m_code = api().sqlite3_step(m_stmt);
        return m_code;
    }
    bool reset()
    {
        m_code = api().sqlite3_reset(m_stmt);
        return m_code == SQLITE_OK;
    }

    std::int64_t integer(int column) const { return api().sqlite3_column_int64(m_stmt, column); }
    bool isNull(int column) const
    {
        return api().sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
    }
    std::string text(int column) const
    {
        const auto *bytes = api().sqlite3_column_text(m_stmt, column);
        return bytes ? std::string(
                           reinterpret_cast<const char *>(bytes),
                           static_cast<std::size_t>(api().sqlite3_column_bytes(m_stmt, column)))
                     : std::string();
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_code = SQLITE_OK;
};

int exec(sqlite3 *db, const char *sql)
{
    return api().sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// A pragma that answers with a row, run to its end so it holds no lock.
bool stepOnce(sqlite3 *db, const char *sql)
{
    Statement statement(db, sql);
    return statement.ok() && statement.step() == SQLITE_ROW;
}

bool isCorrupt(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

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

bool fileExists(const std::string &path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

bool folderWritable(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return ::access(folder.c_str(), W_OK) == 0;
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

} // namespace

std::int64_t SystemWallClock::nowMs() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

Records::Records(std::string path, const WallClock &wall, Options options)
    : m_path(std::move(path)), m_wall(wall), m_options(options)
{}

Records::~Records()
{
    close();
}

RunLog Records::startRun(RunMode mode, std::string subject, std::int64_t clockMs) const
{
    return RunLog(mode, std::move(subject), m_wall.nowMs(), clockMs);
}

void Records::close()
{
    if (m_db)
        api().sqlite3_close_v2(m_db);
    m_db = nullptr;
}

RecordsFault Records::faultOf(int code) const
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return RecordsFault::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return RecordsFault::ReadOnly;
    case SQLITE_CANTOPEN:
        return folderWritable(m_path) ? RecordsFault::Unavailable : RecordsFault::ReadOnly;
    case SQLITE_FULL:
        return RecordsFault::DiskFull;
    default:
        return RecordsFault::Unavailable;
    }
}

bool Records::open()
{
    if (m_db)
        return true;
    const int code = openOnce();
    if (code == SQLITE_OK)
        return true;
    // A file that is no database, or whose pages are damaged, is moved aside
    // and a new one started: the player's play goes on being recorded.
    if (isCorrupt(code) && moveAside())
        return openOnce() == SQLITE_OK;
    return false;
}

int Records::openOnce()
{
    m_lastFault = RecordsFault::None;
    if (!api().loaded) {
        m_lastFault = RecordsFault::Unavailable;
        return SQLITE_CANTOPEN;
    }
    // A file the player made read-only stays as it is, as the game's other
    // files do: it is read, never written (whoever runs the game).
    struct stat st
    {
    };
    const bool exists = ::stat(m_path.c_str(), &st) == 0;
    m_readOnly = exists && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    const int flags =
        (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
        SQLITE_OPEN_NOMUTEX;
    int code = api().sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (code == SQLITE_OK) {
        api().sqlite3_extended_result_codes(m_db, 1);
        api().sqlite3_busy_timeout(m_db, m_options.busyTimeoutMs);
        code = prepareSchema();
    }
    if (code == SQLITE_OK)
        return code;
    if (m_lastFault == RecordsFault::None)
        m_lastFault = faultOf(code);
    qCInfo(lcRecords) << "cannot open" << m_path.c_str() << api().sqlite3_errstr(code);
    close();
    return code;
}

int Records::prepareSchema()
{
    const auto failed = [this] { return api().sqlite3_extended_errcode(m_db); };
    // The version first: a file of a newer game is not changed in any way,
    // not even its journal mode.
    int from = 0;
    {
        // Finished before the journal mode changes, which no open read allows.
        Statement version(m_db, "PRAGMA user_version");
        if (!version.ok() || version.step() != SQLITE_ROW)
            return failed();
        from = static_cast<int>(version.integer(0));
    }
    if (from > kSchemaVersion) {
        m_lastFault = RecordsFault::NewerVersion;
        return SQLITE_READONLY;
    }
    if (m_readOnly) {
        if (from == kSchemaVersion)
            return SQLITE_OK;
        m_lastFault = RecordsFault::ReadOnly;
        return SQLITE_READONLY;
    }
    // The journal is a write-ahead log: a reader (the records window of a
    // second game) never blocks a save, and a killed writer leaves the file
    // whole.
    if (!stepOnce(m_db, "PRAGMA journal_mode = WAL"))
        return failed();
    if (exec(m_db, "PRAGMA synchronous = FULL") != SQLITE_OK)
        return failed();
    if (m_options.maxPageCount) {
        const std::string cap =
            "PRAGMA max_page_count = " + std::to_string(*m_options.maxPageCount);
        if (!stepOnce(m_db, cap.c_str()))
            return failed();
    }
    return from == kSchemaVersion ? SQLITE_OK : migrate();
}

int Records::migrate()
{
    if (exec(m_db, "BEGIN IMMEDIATE") != SQLITE_OK)
        return api().sqlite3_extended_errcode(m_db);
    const auto rollBack = [this] {
        // ROLLBACK leaves its own code; the failed step's is the one that tells.
        const int code = api().sqlite3_extended_errcode(m_db);
        exec(m_db, "ROLLBACK");
        return code;
    };
    // Another game may have migrated the file while we waited for the lock.
    int from = 0;
    {
        Statement version(m_db, "PRAGMA user_version");
        if (!version.ok() || version.step() != SQLITE_ROW)
            return rollBack();
        from = static_cast<int>(version.integer(0));
    }
    for (int step = from; step < kSchemaVersion; ++step) {
        if (exec(m_db, kMigrations[step]) != SQLITE_OK) {
            qCInfo(lcRecords) << "migration from version" << step
                              << "failed:" << api().sqlite3_errmsg(m_db);
            return rollBack();
        }
    }
    const std::string bump = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
    if (exec(m_db, bump.c_str()) != SQLITE_OK || exec(m_db, "COMMIT") != SQLITE_OK)
        return rollBack();
    return SQLITE_OK;
}

bool Records::moveAside()
{
    // The old file is kept for the player, never deleted: renamed with the
    // time, its journal files with it.
    const QString stamp = QDateTime::fromMSecsSinceEpoch(m_wall.nowMs(), Qt::UTC)
                              .toString(QStringLiteral("yyyyMMdd-HHmmss"));
    std::string aside = m_path + ".corrupt-" + stamp.toStdString();
    for (int n = 2; ::access(aside.c_str(), F_OK) == 0; ++n)
        aside = m_path + ".corrupt-" + stamp.toStdString() + "-" + std::to_string(n);
    if (std::rename(m_path.c_str(), aside.c_str()) != 0) {
        qCInfo(lcRecords) << "cannot move the corrupt file aside:" << std::strerror(errno);
        return false;
    }
    for (const char *suffix : {"-wal", "-shm"}) {
        const std::string from = m_path + suffix;
        if (::access(from.c_str(), F_OK) == 0)
            std::rename(from.c_str(), (aside + suffix).c_str());
    }
    m_movedAside = aside;
    qCInfo(lcRecords) << "corrupt records moved to" << aside.c_str();
    return true;
}

int Records::insert(const RunLog &log)
{
    if (exec(m_db, "BEGIN IMMEDIATE") != SQLITE_OK)
        return api().sqlite3_extended_errcode(m_db);
    auto fail = [this] {
        const int code = api().sqlite3_extended_errcode(m_db);
        exec(m_db, "ROLLBACK");
        return code;
    };
    Statement run(m_db, "INSERT INTO run (started_at, mode, subject, duration_ms, keys, misses, "
                        "outcome, score, verdict, title) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!run.ok())
        return fail();
    run.bind(1, isoTimeOf(log.startedAtMs()));
    run.bind(2, modeName(log.mode()));
    run.bind(3, log.subject());
    run.bind(4, log.durationMs());
    run.bind(5, std::int64_t{log.keyCount()});
    run.bind(6, std::int64_t{log.missCount()});
    run.bind(7, endName(log.end()));
    if (log.score())
        run.bind(8, std::int64_t{*log.score()});
    else
        run.bindNull(8);
    if (log.verdict().empty())
        run.bindNull(9);
    else
        run.bind(9, log.verdict());
    if (log.title().empty())
        run.bindNull(10);
    else
        run.bind(10, log.title());
    if (run.step() != SQLITE_DONE)
        return fail();
    const std::int64_t runId = api().sqlite3_last_insert_rowid(m_db);

    Statement key(m_db, "INSERT INTO key_event (run_id, seq, expected, typed, kana, interval_ms) "
                        "VALUES (?, ?, ?, ?, ?, ?)");
    if (!key.ok())
        return fail();
    std::int64_t seq = 0;
    for (const KeyEvent &event : log.keys()) {
        key.bind(1, runId);
        key.bind(2, seq++);
        key.bind(3, utf8Of(event.expected));
        key.bind(4, utf8Of(event.typed));
        if (event.kana.empty())
            key.bindNull(5);
        else
            key.bind(5, event.kana.view());
        key.bind(6, std::int64_t{event.intervalMs});
        if (key.step() != SQLITE_DONE || !key.reset())
            return fail();
    }
    if (exec(m_db, "COMMIT") != SQLITE_OK)
        return fail();
    return SQLITE_OK;
}

QString Records::messageOf(RecordsFault fault)
{
    const QString head =
        QStringLiteral("今回のプレイは記録（records.sqlite3）に残せませんでした。");
    switch (fault) {
    case RecordsFault::Locked:
        return head + QStringLiteral("ほかのキーストームが記録を使っています。");
    case RecordsFault::ReadOnly:
        return head + QStringLiteral("記録のファイルに書き込めません（読み取り専用です）。");
    case RecordsFault::DiskFull:
        return head + QStringLiteral("ディスクに空きがありません。");
    case RecordsFault::NewerVersion:
        return head +
               QStringLiteral("新しい版のキーストームの記録なので、そのままにしてあります。");
    case RecordsFault::Unavailable:
    case RecordsFault::None:
        break;
    }
    return head + QStringLiteral("記録のファイルを開けません。");
}

SaveResult Records::save(const RunLog &log) noexcept
{
    try {
        for (int attempt = 0; attempt < 2; ++attempt) {
            m_lastFault = RecordsFault::None;
            if (!open())
                break;
            if (m_readOnly) {
                m_lastFault = RecordsFault::ReadOnly;
                break;
            }
            const int code = insert(log);
            if (code == SQLITE_OK)
                return {true, RecordsFault::None, {}};
            m_lastFault = faultOf(code);
            qCInfo(lcRecords) << "run not recorded:" << api().sqlite3_errstr(code);
            // A file that goes bad while the game runs is moved aside, and the
            // run goes into a new one.
            if (!isCorrupt(code))
                break;
            close();
            if (!moveAside())
                break;
        }
    } catch (...) {
        m_lastFault = RecordsFault::Unavailable;
    }
    if (m_lastFault == RecordsFault::None)
        m_lastFault = RecordsFault::Unavailable;
    return {false, m_lastFault, messageOf(m_lastFault)};
}

std::optional<std::vector<RunSummary>> Records::runs() noexcept
{
    try {
        // Looking makes no file: no file is no runs yet.
        if (!m_db && !fileExists(m_path))
            return std::vector<RunSummary>();
        if (!open())
            return std::nullopt;
        Statement query(m_db, "SELECT id, started_at, mode, subject, duration_ms, keys, misses, "
                              "outcome, score, verdict, title FROM run ORDER BY started_at, id");
        if (!query.ok())
            return std::nullopt;
        std::vector<RunSummary> out;
        while (query.step() == SQLITE_ROW) {
            RunSummary run;
            run.id = query.integer(0);
            run.startedAtMs = unixMsOf(query.text(1));
            const std::optional<RunMode> mode = modeFromName(query.text(2));
            if (!mode)
                continue; // a mode of a newer game
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
            out.push_back(std::move(run));
        }
        if (query.code() != SQLITE_DONE)
            return std::nullopt;
        return out;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<KeyEvent>> Records::keysOfLatestRuns(int count) noexcept
{
    try {
        if (!m_db && !fileExists(m_path))
            return std::vector<KeyEvent>();
        if (!open())
            return std::nullopt;
        Statement query(m_db, "SELECT expected, typed, kana, interval_ms FROM key_event "
                              "WHERE run_id IN (SELECT id FROM run ORDER BY started_at DESC, id "
                              "DESC LIMIT ?) ORDER BY run_id, seq");
        if (!query.ok())
            return std::nullopt;
        query.bind(1, std::int64_t{count});
        std::vector<KeyEvent> out;
        while (query.step() == SQLITE_ROW) {
            KeyEvent key;
            key.expected = charOf(query.text(0));
            key.typed = charOf(query.text(1));
            key.kana = Kana(query.text(2));
            key.intervalMs = static_cast<std::int32_t>(query.integer(3));
            out.push_back(key);
        }
        if (query.code() != SQLITE_DONE)
            return std::nullopt;
        return out;
    } catch (...) {
        return std::nullopt;
    }
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
        const int columns = api().sqlite3_column_count(query.get());
        // The byte-order mark is how Excel on a Japanese Windows tells UTF-8
        // from its own code page.
        std::string csv = "\xEF\xBB\xBF";
        for (int c = 0; c < columns; ++c)
            csv += std::string(c ? "," : "") + api().sqlite3_column_name(query.get(), c);
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
    try {
        if (!m_db && !fileExists(m_path))
            return std::vector<std::string>();
        if (!open())
            return std::nullopt;
        Statement query(m_db, view == View::Runs
                                  ? "SELECT mode, subject, title, duration_ms, keys, misses, "
                                    "hit_rate, keys_per_minute, result FROM runs "
                                    "ORDER BY started_at, id"
                                  : "SELECT run_id, expected, typed, count FROM key_misses "
                                    "ORDER BY run_id, count DESC, expected, typed");
        if (!query.ok())
            return std::nullopt;
        const int columns = api().sqlite3_column_count(query.get());
        std::vector<std::string> rows;
        while (query.step() == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < columns; ++c)
                row += (c ? " | " : "") + query.text(c);
            rows.push_back(std::move(row));
        }
        if (query.code() != SQLITE_DONE)
            return std::nullopt;
        return rows;
    } catch (...) {
        return std::nullopt;
    }
}

bool Records::exportCsv(const std::string &path) noexcept
{
    const std::optional<std::string> csv = runsCsv();
    return csv && writeFileAtomic(path, *csv).ok();
}

void keepRun(Records &records, Dialogs &dialogs, const RunLog &log)
{
    const SaveResult saved = records.save(log);
    if (!saved.message.isEmpty())
        dialogs.message(nullptr, saved.message, {});
}

} // namespace ks
