#include "records.h"

#include "schema.h"
#include "sidefiles.h"
#include "sqlite.h"

#include "core/textfile.h"
#include "core/utf8.h"

#include <QDateTime>
#include <QLoggingCategory>

#include <cerrno>
#include <fcntl.h>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcRecords, "ks.records", QtWarningMsg)

namespace ks {

using records::api;
using records::exec;
using records::isCorrupt;
using records::lastError;
using records::Statement;

namespace {

bool isWritableMode(unsigned int mode)
{
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

bool writable(const std::string &path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && isWritableMode(st.st_mode);
}

bool folderWritable(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return ::access(folder.c_str(), W_OK) == 0;
}

} // namespace

Records::Records(std::string path, const WallClock &wall, Options options)
    : m_path(std::move(path)), m_wall(wall), m_options(std::move(options))
{}

Records::~Records()
{
    if (m_sync.joinable())
        m_sync.join();
    close();
}

RunLog Records::startRun(RunMode mode, std::string subject, std::int64_t clockMs) const
{
    return RunLog(mode, std::move(subject), m_wall.nowMs(), clockMs);
}

void Records::openAhead() noexcept
{
    // A run has begun: nothing here waits for another program's lock. What
    // cannot be done at once is left to the save, which waits as it always has.
    const int patience = std::exchange(m_options.busyTimeoutMs, 0);
    try {
        // The journal is folded into the file here, at a run's start, and
        // not by the save that happens to fill it, at a run's end. The first
        // write to a journal begun afresh syncs its header to the disk: a
        // write that changes nothing takes that sync here too.
        if (open() && !m_readOnly) {
            records::stepOnce(m_db, "PRAGMA wal_checkpoint(PASSIVE)");
            const std::string same = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
            exec(m_db, same.c_str());
        }
    } catch (...) {
        m_lastFault = RecordsFault::Unavailable;
    }
    m_options.busyTimeoutMs = patience;
    if (m_db)
        api().sqlite3_busy_timeout(m_db, patience);
}

void Records::syncInBackground()
{
    // One sync at a time: the last one has long finished by the next run's end.
    if (m_sync.joinable())
        m_sync.join();
    m_sync = std::thread([sync = m_options.syncToDisk, wal = m_path + "-wal"] {
        if (sync) {
            sync(wal);
            return;
        }
        const int fd = ::open(wal.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        if (::fdatasync(fd) != 0)
            qCInfo(lcRecords) << "the journal could not be synced:" << std::strerror(errno);
        ::close(fd);
    });
}

void Records::release() noexcept
{
    try {
        close();
    } catch (...) {
        m_db = nullptr;
    }
}

void Records::close()
{
    if (!m_db)
        return;
    api().sqlite3_close_v2(m_db);
    m_db = nullptr;
    records::removeSideFilesMadeSince(m_path, m_sideFilesBefore);
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
    case SQLITE_FULL:
        return RecordsFault::DiskFull;
    case SQLITE_CANTOPEN:
        if (!folderWritable(m_path))
            return RecordsFault::ReadOnly;
        break;
    default:
        break;
    }
    // A full disk shows as a file that cannot be opened or an I/O error when
    // the journal files cannot be made beside an existing file.
    if (folderFull(m_path))
        return RecordsFault::DiskFull;
    return RecordsFault::Unavailable;
}

bool Records::folderFull(const std::string &path) const
{
    if (m_options.freeBytes)
        return m_options.freeBytes(path) < kFullBelowBytes;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct statvfs fs
    {
    };
    if (::statvfs(folder.c_str(), &fs) != 0)
        return false;
    return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize < kFullBelowBytes;
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
    m_readOnly = exists && !isWritableMode(st.st_mode);
    if (exists && !m_readOnly)
        records::healSideFiles(m_path, st.st_mode);
    m_sideFilesBefore = records::sideFilesOf(m_path);
    // Reading a file no log adds to needs neither a lock nor a journal, so
    // it is read as it lies and nothing is made beside it.
    std::string name = m_path;
    int flags = (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                SQLITE_OPEN_NOMUTEX;
    if (m_readOnly && !records::walHasPages(m_path)) {
        name = records::immutableUri(m_path);
        flags |= SQLITE_OPEN_URI;
    }
    int code = api().sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr);
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
    // The version first: a file of a newer game is not changed in any way,
    // not even its journal mode.
    int from = 0;
    if (const int code = records::readVersion(m_db, from); code != SQLITE_OK)
        return code;
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
    if (!records::stepOnce(m_db, "PRAGMA journal_mode = WAL"))
        return lastError(m_db);
    // A save is written before the result shows, so a file that cannot
    // take it is told first; it is made safe on the disk right after, by a
    // sync of the journal that nobody waits for. Until then a crash of the
    // game loses nothing, a power cut at most that run: the file stays whole.
    if (exec(m_db, "PRAGMA synchronous = NORMAL; PRAGMA wal_autocheckpoint = 0") != SQLITE_OK)
        return lastError(m_db);
    if (m_options.maxPageCount) {
        const std::string cap =
            "PRAGMA max_page_count = " + std::to_string(*m_options.maxPageCount);
        if (!records::stepOnce(m_db, cap.c_str()))
            return lastError(m_db);
    }
    if (from != kSchemaVersion) {
        if (const int code = records::migrate(m_db); code != SQLITE_OK)
            return code;
    }
    return records::ensureIndexes(m_db);
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
        return lastError(m_db);
    auto fail = [this] {
        const int code = lastError(m_db);
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
    run.bindOptional(9, log.verdict());
    run.bindOptional(10, log.title());
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
        key.bindOptional(5, event.kana.view());
        key.bind(6, std::int64_t{event.intervalMs});
        if (key.step() != SQLITE_DONE || !key.reset())
            return fail();
    }
    if (exec(m_db, "COMMIT") != SQLITE_OK)
        return fail();
    return SQLITE_OK;
}

SaveResult Records::save(const RunLog &log) noexcept
{
    try {
        // A file read while it was read-only, and writable again since, is
        // opened afresh for writing: the player who put it right is recorded
        // from the next run on.
        if (m_db && m_readOnly && writable(m_path))
            close();
        for (int attempt = 0; attempt < 2; ++attempt) {
            m_lastFault = RecordsFault::None;
            if (!open())
                break;
            if (m_readOnly) {
                m_lastFault = RecordsFault::ReadOnly;
                break;
            }
            const int code = insert(log);
            if (code == SQLITE_OK) {
                syncInBackground();
                return {true, RecordsFault::None};
            }
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
    return {false, m_lastFault};
}

} // namespace ks
