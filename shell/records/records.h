#pragma once

#include "core/records/runlog.h"
#include "core/records/runstats.h"
#include "schema.h"
#include "sidefiles.h"
#include "shell/clock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct sqlite3;

namespace ks {

// The records' file, in the player's folder beside settei.dat.
inline constexpr const char *kRecordsFile = "records.sqlite3";

// Why a run could not be recorded, or the records read.
enum class RecordsFault
{
    None,
    Locked,       // another program held the file longer than we wait
    ReadOnly,     // the file or its folder cannot be written
    DiskFull,     // no room left
    NewerVersion, // written by a newer キーストーム: left as it is
    Unavailable,  // cannot be opened at all (no folder, an I/O error)
};

// What the records window lists first: how many runs there are, and every
// subject played, by mode then subject.
struct RecordsOverview
{
    int runs = 0;
    std::vector<SubjectSummary> subjects;
};

struct SaveResult
{
    bool recorded = false;
    RecordsFault fault = RecordsFault::None;
};

// The records of every run: a SQLite file that the game opens at the first
// save or when the records window opens, never on the way to the first window.
// Nothing here throws; every failure is a status, and a game goes on whatever
// the file does.
class Records
{
public:
    struct Options
    {
        // How long a save waits for another game that is writing.
        int busyTimeoutMs = 2000;
        // Tests cap the file's size, as a full disk would.
        std::optional<int> maxPageCount;
        // The bytes free in a file's folder; tests stand in for a full disk.
        // Unset: the file system's own figure.
        std::function<std::uint64_t(const std::string &path)> freeBytes;
        // Makes what a save wrote to the journal (path) safe on the disk. Run
        // on a thread of its own after each save, so the player never waits
        // for the disk; unset: fdatasync.
        std::function<void(const std::string &path)> syncToDisk;
    };

    explicit Records(std::string path, const WallClock &wall, Options options);
    Records(std::string path, const WallClock &wall) : Records(std::move(path), wall, Options()) {}
    ~Records();
    Records(const Records &) = delete;
    Records &operator=(const Records &) = delete;

    const std::string &path() const { return m_path; }

    // A run that begins now: its started-at time is the wall clock's, its
    // durations are measured on the screen's clock from clockMs on.
    RunLog startRun(RunMode mode, std::string subject, std::int64_t clockMs) const;

    // Opens the file ahead of a save that will come: the library loaded and
    // the file made or migrated while a run is young, so that its end, when
    // the player waits for the result, is only the writing. A failure here
    // is met again, and told, by the save.
    void openAhead() noexcept;

    // Stores a run in one transaction, with all its keys. A corrupt file is
    // moved aside ("records.sqlite3.corrupt-…") and a new one started.
    SaveResult save(const RunLog &log) noexcept;

    // Every run, oldest first; nothing when the file cannot be read. Reading
    // never makes the file: before the first save there are no runs.
    std::optional<std::vector<RunSummary>> runs() noexcept;
    // The count of runs and the subjects, without reading every run.
    std::optional<RecordsOverview> overview() noexcept;
    // One subject's complete runs through a window of the latest size.
    std::optional<ProgressWindow> progress(const Subject &subject, std::size_t size) noexcept;
    // count runs, newest first, after skipping the newest skip: a page of
    // the history.
    std::optional<std::vector<RunSummary>> latestRuns(int skip, int count) noexcept;
    // The keys of the latest count runs.
    std::optional<std::vector<KeyEvent>> keysOfLatestRuns(int count) noexcept;
    // Every run as CSV: UTF-8 with a byte-order mark, a header line, CR LF
    // line ends; started_at in local time with its offset.
    std::optional<std::string> runsCsv() noexcept;
    // The rows of one of the views players query, oldest first, their
    // columns joined by " | ", as a player sees them in the sqlite3 shell:
    // runs without its id and started_at, key_misses whole.
    enum class View
    {
        Runs,
        KeyMisses,
    };
    std::optional<std::vector<std::string>> viewRows(View view) noexcept;
    // runsCsv written atomically to path; false when either fails.
    bool exportCsv(const std::string &path) noexcept;

    // Lets go of the file and of what reading it held in memory (its page
    // cache above all); the next save or read opens it again.
    void release() noexcept;

    RecordsFault lastFault() const { return m_lastFault; }
    // Where the last corrupt file was moved; empty when none was.
    const std::string &movedAside() const { return m_movedAside; }
    // The same, once: for telling the player where their old records went.
    std::string takeMovedAside() { return std::exchange(m_movedAside, {}); }

    // The file's schema version, for the migration's tests.
    static constexpr int kSchemaVersion = records::kSchemaVersion;

private:
    // What query reads from the open file; nothingYet before the file is
    // made, nothing when it cannot be opened or read.
    template <class T, class Query> std::optional<T> readOr(T nothingYet, Query query) noexcept;
    bool open();
    // SQLITE_OK, or the code that stopped it.
    int openOnce();
    int prepareSchema();
    void close();
    bool moveAside();
    int insert(const RunLog &log);
    RecordsFault faultOf(int code) const;
    bool folderFull(const std::string &path) const;
    void syncInBackground();
    // Below this a folder counts as full: SQLite needs room for its journal.
    static constexpr std::uint64_t kFullBelowBytes = 64 * 1024;

    std::string m_path;
    const WallClock &m_wall;
    Options m_options;
    std::thread m_sync;
    sqlite3 *m_db = nullptr;
    bool m_readOnly = false;
    records::SideFiles m_sideFilesBefore;
    RecordsFault m_lastFault = RecordsFault::None;
    std::string m_movedAside;
};

} // namespace ks
