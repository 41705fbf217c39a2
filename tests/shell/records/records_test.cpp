#include "core/appdir.h"
#include "shell/records/keeprun.h"
#include "shell/records/records.h"
#include "support/fakes.h"
#include "support/scopedenv.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ks {
namespace {

using test::FixedWallClock;
using test::TempDir;

// A plain connection for what a player's own queries see.
class Db
{
public:
    explicit Db(const std::string &path) { sqlite3_open(path.c_str(), &m_db); }
    ~Db() { sqlite3_close(m_db); }
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    int exec(const std::string &sql)
    {
        return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    // Every row, its columns joined with "|"; NULL as "∅".
    std::vector<std::string> rows(const std::string &sql)
    {
        std::vector<std::string> out;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
            return out;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto *text = sqlite3_column_text(stmt, c);
                row += (c ? "|" : "") +
                       (text ? std::string(reinterpret_cast<const char *>(text)) : "∅");
            }
            out.push_back(row);
        }
        sqlite3_finalize(stmt);
        return out;
    }
    std::string value(const std::string &sql)
    {
        const auto r = rows(sql);
        return r.empty() ? std::string() : r.front();
    }

private:
    sqlite3 *m_db = nullptr;
};

// Runs whose key count differs from the keys stored for them: a run is
// stored whole or not at all.
const std::string kRunsMissingKeys =
    "SELECT count(*) FROM run WHERE keys <> (SELECT count(*) FROM key_event WHERE run_id = id)";

RunLog practiceRun(Records &records, int keys, int everyMiss = 5)
{
    RunLog log = records.startRun(RunMode::Practice, "01_あいう.ksd", 1000);
    for (int i = 0; i < keys; ++i)
        log.addKey(U'k', i % everyMiss == 0 ? U'l' : U'k', "か", 1000 + (i + 1) * 250);
    log.finish(RunEnd::Finished, 1000 + keys * 250, std::nullopt, "合格");
    return log;
}

class RecordsTest : public ::testing::Test
{
protected:
    std::string file() const { return dir.path(kRecordsFile); }
    TempDir dir;
    FixedWallClock wall;
};

// One run, its keys, and the two views players query.
TEST_F(RecordsTest, ARunIsStoredWithItsKeysAndShowsInTheViews)
{
    Records records(file(), wall);
    RunLog log = records.startRun(RunMode::SpeedTest, "30", 0);
    log.addKey(U'a', U'a', 400);
    log.addKey(U'b', U'n', 700);
    log.addKey(U'b', U'b', 900);
    log.addKey(U'c', U'v', 1200);
    log.finish(RunEnd::Finished, 30000, 152);
    const SaveResult saved = records.save(log);
    EXPECT_TRUE(saved.recorded);
    EXPECT_EQ(saved.fault, RecordsFault::None);

    Db db(file());
    EXPECT_EQ(db.value("PRAGMA user_version"), "3");
    EXPECT_EQ(db.value("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(db.rows("SELECT id, started_at, mode, subject, keys, misses, hit_rate, "
                      "keys_per_minute, result FROM runs"),
              std::vector<std::string>{"1|2024-05-01T12:34:56.000Z|speedtest|30|4|2|50.0|4.0|152"});
    EXPECT_EQ(db.rows("SELECT run_id, expected, typed, count FROM key_misses ORDER BY expected"),
              (std::vector<std::string>{"1|b|n|1", "1|c|v|1"}));
    EXPECT_EQ(
        db.rows("SELECT seq, expected, typed, kana, interval_ms FROM key_event"),
        (std::vector<std::string>{"0|a|a|∅|400", "1|b|n|∅|300", "2|b|b|∅|200", "3|c|v|∅|300"}));

    const auto runs = records.runs();
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 1u);
    EXPECT_EQ(runs->front().startedAtMs, wall.ms);
    EXPECT_EQ(runs->front().score, 152);
    EXPECT_DOUBLE_EQ(runs->front().hitRate(), 50.0);
    const auto keys = records.keysOfLatestRuns(1);
    ASSERT_TRUE(keys);
    ASSERT_EQ(keys->size(), 4u);
    EXPECT_EQ((*keys)[1].typed, U'n');
    EXPECT_EQ((*keys)[1].intervalMs, 300);
}

// Nothing is opened or made before a run is saved or the records are read.
TEST_F(RecordsTest, TheFileIsOpenedOnlyWhenFirstNeeded)
{
    Records records(file(), wall);
    RunLog log = records.startRun(RunMode::Mission, "1", 0);
    // Reading before the first run finds none and makes nothing.
    EXPECT_EQ(records.runs()->size(), 0u);
    EXPECT_EQ(records.keysOfLatestRuns(5)->size(), 0u);
    EXPECT_FALSE(dir.exists(kRecordsFile));
    log.finish(RunEnd::Won, 1000, std::nullopt, "Mission Complete");
    EXPECT_TRUE(records.save(log).recorded);
    EXPECT_TRUE(dir.exists(kRecordsFile));
}

// A file of the first version, made as that version made it, is taken
// forward: its one result text split into outcome, points and verdict.
TEST_F(RecordsTest, AFirstVersionFileIsMigrated)
{
    {
        Db old(file());
        ASSERT_EQ(old.exec(R"sql(
CREATE TABLE run (id INTEGER PRIMARY KEY, started_at TEXT NOT NULL, mode TEXT NOT NULL,
    subject TEXT NOT NULL, duration_ms INTEGER NOT NULL, keys INTEGER NOT NULL,
    misses INTEGER NOT NULL, result TEXT NOT NULL);
CREATE TABLE key_event (run_id INTEGER NOT NULL, seq INTEGER NOT NULL, expected TEXT NOT NULL,
    typed TEXT NOT NULL, interval_ms INTEGER NOT NULL, PRIMARY KEY (run_id, seq)) WITHOUT ROWID;
INSERT INTO run VALUES (1, '2024-01-02T03:04:05.000Z', 'speedtest', '30', 30000, 80, 4, '345');
INSERT INTO run VALUES (2, '2024-01-03T03:04:05.000Z', 'practice', 'a.ksd', 60000, 50, 5, '合格');
INSERT INTO run VALUES (3, '2024-01-04T03:04:05.000Z', 'practice', 'a.ksd', 12000, 9, 0, 'abandoned');
INSERT INTO run VALUES (4, '2024-01-05T03:04:05.000Z', 'mission', '2', 90000, 70, 7, 'Mission Incomplete');
INSERT INTO run VALUES (5, '2024-01-06T03:04:05.000Z', 'practice', 'b.ksd', 90000, 70, 7, '時間切れ');
INSERT INTO key_event VALUES (2, 0, 'k', 'l', 250), (2, 1, 'k', 'k', 300);
PRAGMA user_version = 1;
)sql"),
                  SQLITE_OK);
    }
    Records records(file(), wall);
    const auto runs = records.runs();
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 5u);
    EXPECT_EQ((*runs)[0].score, 345);
    EXPECT_EQ((*runs)[1].verdict, "合格");
    EXPECT_EQ((*runs)[2].end, RunEnd::Abandoned);
    EXPECT_EQ((*runs)[3].end, RunEnd::Lost);
    EXPECT_EQ((*runs)[4].end, RunEnd::TimeUp);

    Db db(file());
    EXPECT_EQ(db.value("PRAGMA user_version"), "3");
    EXPECT_EQ(db.rows("SELECT id, title FROM runs WHERE id = 2"), std::vector<std::string>{"2|∅"});
    EXPECT_EQ(db.rows("SELECT id, outcome, score, result FROM runs ORDER BY id"),
              (std::vector<std::string>{"1|finished|345|345", "2|finished|∅|合格",
                                        "3|abandoned|∅|abandoned", "4|lost|∅|Mission Incomplete",
                                        "5|time_up|∅|時間切れ"}));
    EXPECT_EQ(db.rows("SELECT * FROM key_misses"), std::vector<std::string>{"2|k|l|1"});
    EXPECT_EQ(db.rows("SELECT kana FROM key_event"), (std::vector<std::string>{"∅", "∅"}));

    // The migrated file is laid out exactly as a new one.
    EXPECT_TRUE(records.save(practiceRun(records, 10)).recorded);
    TempDir fresh;
    {
        Records made(fresh.path(kRecordsFile), wall);
        ASSERT_TRUE(made.save(practiceRun(made, 1)).recorded);
    }
    Db newFile(fresh.path(kRecordsFile));
    // Columns as SQLite sees them (a table's text keeps the words it was made with).
    const std::string schema =
        "SELECT m.type, m.name, p.cid, p.name, p.type, p.\"notnull\", p.dflt_value, p.pk "
        "FROM sqlite_master m, pragma_table_info(m.name) p ORDER BY m.name, p.cid";
    EXPECT_EQ(db.rows(schema), newFile.rows(schema));
    const std::string views = "SELECT name, sql FROM sqlite_master WHERE type = 'view'";
    EXPECT_EQ(db.rows(views), newFile.rows(views));
}

// A save is written at once, for other readers and past a crash of the game,
// and made safe on the disk after it has returned: the player does not wait
// for a slow disk between the run's end and its result.
TEST_F(RecordsTest, ASaveDoesNotWaitForTheDisk)
{
    std::promise<void> diskDone;
    std::shared_future<void> disk = diskDone.get_future().share();
    std::promise<std::string> synced;
    Records::Options options;
    options.syncToDisk = [&](const std::string &path) {
        disk.wait();
        synced.set_value(path);
    };
    {
        Records records(file(), wall, options);
        // (On a thread of the test's own, so that a save that did wait
        // fails the test instead of hanging it.)
        std::future<bool> saving = std::async(
            std::launch::async, [&] { return records.save(practiceRun(records, 20)).recorded; });
        const bool returned =
            saving.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        if (!returned)
            diskDone.set_value();
        ASSERT_TRUE(returned) << "the save waited for the disk";
        ASSERT_TRUE(saving.get());
        Db reader(file());
        EXPECT_EQ(reader.value("SELECT count(*) FROM key_event"), "20");
        std::future<std::string> path = synced.get_future();
        EXPECT_EQ(path.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
        diskDone.set_value();
        EXPECT_EQ(path.get(), file() + "-wal");
    }
}

// Opening ahead, as a run starts, never waits for another program's lock:
// the run goes on, and its save waits for the lock as saves always have.
TEST_F(RecordsTest, OpeningAheadNeverWaitsForALock)
{
    {
        Records first(file(), wall);
        ASSERT_TRUE(first.save(practiceRun(first, 4)).recorded);
    }
    Records::Options patient;
    patient.busyTimeoutMs = 60'000;
    Records records(file(), wall, patient);
    Db other(file());
    ASSERT_EQ(other.exec("BEGIN IMMEDIATE; INSERT INTO run (started_at, mode, subject, "
                         "duration_ms, keys, misses) VALUES ('x', 'practice', 'x', 0, 0, 0)"),
              SQLITE_OK);
    // (On a thread of the test's own, so that an open that did wait fails
    // the test well before the lock's minute is up.)
    std::future<void> ahead = std::async(std::launch::async, [&] { records.openAhead(); });
    EXPECT_EQ(ahead.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "the open waited for the lock";
    std::future<bool> saving = std::async(
        std::launch::async, [&] { return records.save(practiceRun(records, 4)).recorded; });
    ASSERT_EQ(other.exec("ROLLBACK"), SQLITE_OK);
    EXPECT_TRUE(saving.get()) << "the save did not wait for the lock";
    EXPECT_EQ(Db(file()).value("SELECT count(*) FROM run"), "2");
}

// A long history, written straight into the game's own tables: the first
// run saved makes them, the rest are inserted in one transaction.
void writeHistory(Records &records, const std::string &file, int runs)
{
    ASSERT_TRUE(records.save(practiceRun(records, 4)).recorded);
    Db db(file);
    std::string sql = "BEGIN;";
    for (int i = 2; i <= runs; ++i) {
        const char *mode = i % 3 == 0 ? "speedtest" : i % 3 == 1 ? "practice" : "mission";
        const std::string subject = i % 3 == 1 ? "p" + std::to_string(i % 2) + ".ksd" : "s";
        const std::string title =
            i % 3 == 1 && i % 5 ? "'題" + std::to_string(i % 2) + "'" : "NULL";
        // Every seventh left early, every eleventh without a key; times out
        // of id order now and then.
        const std::string outcome = i % 7 == 0 ? "abandoned" : "finished";
        const int keys = i % 11 == 0 ? 0 : 50 + i % 37;
        const int minute = (i * 7919) % runs;
        sql += "INSERT INTO run (started_at, mode, subject, duration_ms, keys, misses, outcome, "
               "title) VALUES ('2025-01-01T00:00:00.000Z', '" +
               std::string(mode) + "', '" + subject + "', " +
               std::to_string(20000 + i % 13 * 1000) + ", " + std::to_string(keys) + ", " +
               std::to_string(keys ? i % 9 : 0) + ", '" + outcome + "', " + title + ");";
        sql += "UPDATE run SET started_at = strftime('%Y-%m-%dT%H:%M:%fZ', '2025-01-01', '+" +
               std::to_string(minute) + " minutes') WHERE id = last_insert_rowid();";
    }
    // A run of a mode of some newer game: in no list and no count.
    sql += "INSERT INTO run (started_at, mode, subject, duration_ms, keys, misses, outcome) "
           "VALUES ('2030-01-01T00:00:00.000Z', 'typingrace', 'x', 1000, 5, 0, 'finished');";
    ASSERT_EQ(db.exec(sql + "COMMIT;"), SQLITE_OK);
}

// The records window reads a subject list, a chart window and a page of the
// history at a time; each agrees with the whole list of runs, the slow way.
TEST_F(RecordsTest, TheWindowsQueriesAgreeWithEveryRun)
{
    Records records(file(), wall);
    writeHistory(records, file(), 400);
    const std::vector<RunSummary> all = *records.runs();
    ASSERT_EQ(all.size(), 400u); // the newer game's run is not among them

    const std::optional<RecordsOverview> overview = records.overview();
    ASSERT_TRUE(overview);
    EXPECT_EQ(overview->runs, 400);
    std::vector<SubjectSummary> expected;
    for (const RunSummary &run : all) {
        const Subject subject{run.mode, run.subject};
        auto found = std::find_if(expected.begin(), expected.end(),
                                  [&](const SubjectSummary &s) { return s.subject == subject; });
        if (found == expected.end())
            found = expected.insert(expected.end(), {subject, ""});
        if (!run.title.empty())
            found->latestTitle = run.title; // runs come oldest first
    }
    std::sort(
        expected.begin(), expected.end(),
        [](const SubjectSummary &a, const SubjectSummary &b) { return a.subject < b.subject; });
    ASSERT_EQ(overview->subjects.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(overview->subjects[i].subject, expected[i].subject) << i;
        EXPECT_EQ(overview->subjects[i].latestTitle, expected[i].latestTitle) << i;
    }

    for (const SubjectSummary &s : expected) {
        SCOPED_TRACE(s.subject.subject);
        ProgressWindow slow(50);
        for (const RunSummary &run : all) {
            if (Subject{run.mode, run.subject} == s.subject)
                slow.add(run);
        }
        const std::optional<ProgressWindow> fast = records.progress(s.subject, 50);
        ASSERT_TRUE(fast);
        EXPECT_EQ(fast->total(), slow.total());
        EXPECT_EQ(fast->fastest().id, slow.fastest().id);
        EXPECT_EQ(fast->mostAccurate().id, slow.mostAccurate().id);
        std::vector<std::int64_t> fastIds;
        std::vector<std::int64_t> slowIds;
        for (const ProgressPoint &p : fast->points())
            fastIds.push_back(p.id);
        for (const ProgressPoint &p : slow.points())
            slowIds.push_back(p.id);
        EXPECT_EQ(fastIds, slowIds);
    }

    for (const auto &[skip, count] : {std::pair{0, 17}, {17, 17}, {390, 17}, {400, 5}}) {
        const std::optional<std::vector<RunSummary>> page = records.latestRuns(skip, count);
        ASSERT_TRUE(page);
        std::vector<std::int64_t> ids;
        for (const RunSummary &run : *page)
            ids.push_back(run.id);
        std::vector<std::int64_t> want;
        for (int i = skip; i < std::min(skip + count, 400); ++i)
            want.push_back(all[all.size() - 1 - static_cast<std::size_t>(i)].id);
        EXPECT_EQ(ids, want) << skip;
    }
}

// The window's queries go by index, never by sorting every run: at tens of
// thousands of runs that is the difference between at once and a wait.
TEST_F(RecordsTest, TheWindowsQueriesGoByIndex)
{
    {
        Records records(file(), wall);
        ASSERT_TRUE(records.save(practiceRun(records, 4)).recorded);
    }
    Db db(file());
    const auto plan = [&](const std::string &sql) {
        std::string text;
        for (const std::string &row : db.rows("EXPLAIN QUERY PLAN " + sql))
            text += row + "\n";
        return text;
    };
    const struct
    {
        const char *query;
        const char *index;
    } cases[] = {
        {"SELECT id FROM run WHERE +mode IN ('a', 'b') ORDER BY started_at DESC, id DESC LIMIT 20 "
         "OFFSET 40",
         "run_by_time"},
        {"SELECT id FROM run WHERE mode = 'a' AND subject = 'b' AND keys > 0 ORDER BY started_at, "
         "id",
         "run_by_subject"},
        {"SELECT mode, subject, COUNT(*) FROM run GROUP BY mode, subject", "run_by_subject"},
    };
    for (const auto &c : cases) {
        const std::string shown = plan(c.query);
        EXPECT_NE(shown.find(c.index), std::string::npos) << c.query << "\n" << shown;
        EXPECT_EQ(shown.find("TEMP B-TREE"), std::string::npos) << c.query << "\n" << shown;
    }
}

// A file from a newer game is neither written nor changed.
TEST_F(RecordsTest, ANewerVersionIsLeftAlone)
{
    {
        Db newer(file());
        newer.exec("CREATE TABLE run (id INTEGER PRIMARY KEY, future TEXT); "
                   "PRAGMA user_version = 7");
    }
    const std::string before = dir.read(kRecordsFile);
    Records records(file(), wall);
    const SaveResult saved = records.save(practiceRun(records, 5));
    EXPECT_FALSE(saved.recorded);
    EXPECT_EQ(saved.fault, RecordsFault::NewerVersion);
    EXPECT_FALSE(records.runs());
    EXPECT_TRUE(dir.read(kRecordsFile) == before) << "the file was changed";
}

enum class Fault
{
    Locked,
    ReadOnly,
    NotADatabase,
    DamagedPage,
    DiskFull,
};

struct FaultCase
{
    Fault fault;
    bool recorded;         // the run still lands (in a new file for a corrupt one)
    RecordsFault reported; // what the store says otherwise
    bool movedAside;
};

// Whatever the file does, the save returns; a corrupt file is renamed and a
// new one takes the run, the other faults leave the file as it was.
class RecordsFaultTest : public RecordsTest, public ::testing::WithParamInterface<FaultCase>
{
};

TEST_P(RecordsFaultTest, ASaveAlwaysReturnsAndTheFileSurvives)
{
    const FaultCase c = GetParam();
    {
        Records first(file(), wall);
        ASSERT_TRUE(first.save(practiceRun(first, 40)).recorded);
    }
    Records::Options options;
    options.busyTimeoutMs = 50;
    std::unique_ptr<Db> holder;
    std::string damagedBytes;
    switch (c.fault) {
    case Fault::Locked:
        holder = std::make_unique<Db>(file());
        ASSERT_EQ(holder->exec("BEGIN IMMEDIATE"), SQLITE_OK);
        break;
    case Fault::ReadOnly:
        ASSERT_EQ(::chmod(file().c_str(), 0444), 0);
        break;
    case Fault::NotADatabase:
        dir.write(kRecordsFile, std::string(8192, 'x'));
        damagedBytes = dir.read(kRecordsFile);
        break;
    case Fault::DamagedPage: {
        // Pages past the first one overwritten: the header still reads.
        std::string bytes = dir.read(kRecordsFile);
        ASSERT_GT(bytes.size(), 8192u);
        std::fill(bytes.begin() + 4096, bytes.end(), '\xA5');
        dir.write(kRecordsFile, bytes);
        damagedBytes = bytes;
        break;
    }
    case Fault::DiskFull:
        options.maxPageCount = 6;
        break;
    }

    Records records(file(), wall, options);
    const SaveResult saved = records.save(practiceRun(records, 3000));
    EXPECT_EQ(saved.recorded, c.recorded);
    EXPECT_EQ(saved.fault, c.reported);
    EXPECT_EQ(!records.movedAside().empty(), c.movedAside);
    if (c.movedAside) {
        // Renamed, not deleted: the damaged bytes are all there.
        std::ifstream aside(records.movedAside(), std::ios::binary);
        const std::string kept((std::istreambuf_iterator<char>(aside)), {});
        EXPECT_EQ(kept.substr(0, damagedBytes.size()), damagedBytes);
    }
    holder.reset();
    ::chmod(file().c_str(), 0644);

    // What is left is a sound database, holding the run or the one before it.
    Db db(file());
    EXPECT_EQ(db.value("PRAGMA integrity_check"), "ok");
    const int expectedRuns = c.movedAside ? 1 : (c.recorded ? 2 : 1);
    EXPECT_EQ(db.value("SELECT count(*) FROM run"), std::to_string(expectedRuns));
    EXPECT_EQ(db.value(kRunsMissingKeys), "0");
}

std::string faultName(const ::testing::TestParamInfo<FaultCase> &info)
{
    static const char *const names[] = {"Locked", "ReadOnly", "NotADatabase", "DamagedPage",
                                        "DiskFull"};
    return names[static_cast<int>(info.param.fault)];
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RecordsFaultTest,
    ::testing::Values(FaultCase{Fault::Locked, false, RecordsFault::Locked, false},
                      FaultCase{Fault::ReadOnly, false, RecordsFault::ReadOnly, false},
                      FaultCase{Fault::NotADatabase, true, RecordsFault::None, true},
                      FaultCase{Fault::DamagedPage, true, RecordsFault::None, true},
                      FaultCase{Fault::DiskFull, false, RecordsFault::DiskFull, false}),
    faultName);

// Every run that is lost is told, the second as the first: a player who
// played on after the first box must not lose the next run unknowing.
TEST_F(RecordsTest, EveryLostRunIsTold)
{
    {
        Records first(file(), wall);
        ASSERT_TRUE(first.save(practiceRun(first, 5)).recorded);
    }
    Records records(file(), wall, {.busyTimeoutMs = 20});
    test::ScriptedDialogs dialogs;
    auto holder = std::make_unique<Db>(file());
    ASSERT_EQ(holder->exec("BEGIN IMMEDIATE"), SQLITE_OK);
    const QString locked =
        "message: 今回のプレイは記録（records.sqlite3）に残せませんでした。"
        "ほかのプログラム（もう一つのキーストームなど）が記録のファイルを使っています。";
    keepRun(records, dialogs, AppDir(dir.root()), practiceRun(records, 5));
    dialogs.answerAll();
    keepRun(records, dialogs, AppDir(dir.root()), practiceRun(records, 5));
    dialogs.answerAll();
    EXPECT_EQ(dialogs.log, (QStringList{locked, locked}));
    holder.reset();
    keepRun(records, dialogs, AppDir(dir.root()), practiceRun(records, 5));
    EXPECT_EQ(dialogs.log.size(), 2); // recorded: nothing to tell
    EXPECT_FALSE(dialogs.isOpen());
}

// A damaged file moved aside to make room for a run is told with that run,
// naming where it went; a notice never answered (the game closed first) is
// told again at the next chance, and once answered, never again.
TEST_F(RecordsTest, AFileMovedAsideIsToldUntilThePlayerHasSeenIt)
{
    {
        Records first(file(), wall);
        for (int run = 0; run < 3; ++run)
            ASSERT_TRUE(first.save(practiceRun(first, 40)).recorded);
    }
    std::string bytes = dir.read(kRecordsFile);
    std::fill(bytes.begin() + 4096, bytes.begin() + 8192, '\xA5');
    dir.write(kRecordsFile, bytes);
    const AppDir folder(dir.root());
    const QString told = "message: 記録のファイル（records.sqlite3）が壊れていたので、" +
                         QString::fromStdString(file()) +
                         ".corrupt-20240501-123456 に移して、新しい記録を始めました。";
    {
        Records records(file(), wall);
        test::ScriptedDialogs dialogs;
        keepRun(records, dialogs, folder, practiceRun(records, 5));
        EXPECT_EQ(dialogs.log, QStringList{told}); // the run itself was kept
        EXPECT_EQ(records.runs()->size(), 1u);
        // The game closes with the box unanswered.
    }
    for (int start = 0; start < 2; ++start) {
        Records records(file(), wall);
        test::ScriptedDialogs dialogs;
        tellMovedAside(records, dialogs, folder);
        EXPECT_EQ(dialogs.log, start == 0 ? QStringList{told} : QStringList{}) << start;
        dialogs.answerAll();
    }
}

// What each fault tells the player.
TEST(LostRunText, NamesTheCause)
{
    const struct
    {
        RecordsFault fault;
        const char *cause;
    } cases[] = {
        {RecordsFault::Locked,
         "ほかのプログラム（もう一つのキーストームなど）が記録のファイルを使っています。"},
        {RecordsFault::ReadOnly, "記録のファイルに書き込めません（読み取り専用です）。"},
        {RecordsFault::DiskFull, "ディスクに空きがありません。"},
        {RecordsFault::NewerVersion,
         "新しい版のキーストームの記録なので、そのままにしてあります。"},
        {RecordsFault::Unavailable, "記録のファイルを開けません。"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(lostRunText(c.fault),
                  QStringLiteral("今回のプレイは記録（records.sqlite3）に残せませんでした。") +
                      QString::fromUtf8(c.cause));
    }
}

// A folder that cannot be made into a file is no reason to stop a game.
// The journal files beside the file, and whether each can be written.
std::string sideFileModes(const std::string &database)
{
    std::string out;
    for (const char *suffix : {"-wal", "-shm"}) {
        struct stat st
        {
        };
        const std::string path = database + suffix;
        if (::stat(path.c_str(), &st) == 0)
            out += std::string(suffix) + ((st.st_mode & S_IWUSR) ? " writable " : " read-only ");
    }
    return out;
}

// A player's read-only spell: runs are not recorded while the file is
// read-only, nothing is left beside it that would outlast the spell, and the
// first run after the player makes it writable again is recorded, in the
// same game and in the next. Permissions bind only a player who is not
// root: run as root, the test plays it in a child process as nobody.
TEST_F(RecordsTest, RecordingComesBackAfterAReadOnlySpell)
{
    const auto spell = [this]() -> int {
        {
            Records before(file(), wall);
            if (!before.save(practiceRun(before, 5)).recorded)
                return 10;
        }
        ::chmod(file().c_str(), 0444);
        Records records(file(), wall);
        const SaveResult refused = records.save(practiceRun(records, 5));
        if (refused.recorded || refused.fault != RecordsFault::ReadOnly)
            return 11;
        if (!records.runs() || records.runs()->size() != 1)
            return 12; // still readable
        if (sideFileModes(file()).find("read-only") != std::string::npos)
            return 13;
        {
            Records another(file(), wall);
            if (another.save(practiceRun(another, 5)).recorded)
                return 14;
        }
        if (sideFileModes(file()).find("read-only") != std::string::npos)
            return 15;
        ::chmod(file().c_str(), 0644);
        if (!records.save(practiceRun(records, 5)).recorded)
            return 16; // the same game
        Records next(file(), wall);
        if (!next.save(practiceRun(next, 5)).recorded)
            return 17; // the next game
        return next.runs() && next.runs()->size() == 3 ? 0 : 18;
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(spell(), 0);
        return;
    }
    ASSERT_EQ(::chmod(dir.root().c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        ::_exit(spell());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the step that failed, as numbered in the test";
}

// A full disk is named as such, also when the file is there already and
// it is the journal files that cannot be made (an I/O error, not SQLITE_FULL).
TEST_F(RecordsTest, AFullDiskIsNamedWhenTheJournalCannotBeMade)
{
    {
        Records first(file(), wall);
        ASSERT_TRUE(first.save(practiceRun(first, 5)).recorded);
    }
    // The log cannot be made: the open fails as on a full disk.
    std::filesystem::remove(file() + "-wal");
    std::filesystem::create_directory(file() + "-wal");
    const struct
    {
        std::uint64_t free;
        RecordsFault fault;
    } cases[] = {
        {0, RecordsFault::DiskFull},
        {4096, RecordsFault::DiskFull},
        {std::uint64_t{1} << 30, RecordsFault::Unavailable},
    };
    for (const auto &c : cases) {
        Records::Options options;
        options.freeBytes = [&c](const std::string &) { return c.free; };
        Records records(file(), wall, options);
        const SaveResult saved = records.save(practiceRun(records, 5));
        EXPECT_FALSE(saved.recorded) << c.free;
        EXPECT_EQ(saved.fault, c.fault) << c.free;
    }
}

TEST_F(RecordsTest, AMissingFolderIsAFailureNotACrash)
{
    Records records(dir.path("no/such/folder/") + kRecordsFile, wall);
    const SaveResult saved = records.save(practiceRun(records, 5));
    EXPECT_FALSE(saved.recorded);
    EXPECT_NE(saved.fault, RecordsFault::None);
    // Nothing there to read: no runs, rather than a failure.
    ASSERT_TRUE(records.runs());
    EXPECT_TRUE(records.runs()->empty());
}

// UTF-8 with the byte-order mark Excel looks for, a header line, CR LF,
// fields with commas or quotes quoted; the start in the player's local time
// with its offset; a practice file's title beside its name; no hit rate for
// a run without a key.
TEST_F(RecordsTest, CsvHoldsEveryRunAsThePlayersViewShowsIt)
{
    const test::ScopedEnv tokyo("TZ", "Asia/Tokyo");
    Records records(file(), wall);
    RunLog speed = records.startRun(RunMode::SpeedTest, "60", 0);
    speed.addKey(U'a', U'a', 500);
    speed.addKey(U'b', U'v', 900);
    speed.finish(RunEnd::Finished, 60000, 88);
    ASSERT_TRUE(records.save(speed).recorded);
    wall.ms += 90'000;
    RunLog practice = records.startRun(RunMode::Practice, "my \"best\", file.ksd", 0);
    practice.setTitle("れんしゅう, その1");
    practice.addKey(U'k', U'k', "か", 300);
    practice.finish(RunEnd::Abandoned, 2000);
    ASSERT_TRUE(records.save(practice).recorded);
    wall.ms += 60'000;
    RunLog idle = records.startRun(RunMode::Practice, "a.ksd", 0);
    idle.setTitle("あいうえお");
    idle.finish(RunEnd::TimeUp, 60000, std::nullopt, "時間切れ");
    ASSERT_TRUE(records.save(idle).recorded);

    EXPECT_EQ(records.runsCsv(),
              "\xEF\xBB\xBF"
              "id,started_at,mode,subject,title,duration_ms,keys,misses,hit_rate,keys_per_minute,"
              "outcome,score,result\r\n"
              "1,2024-05-01T21:34:56+09:00,speedtest,60,,60000,2,1,50.0,1.0,finished,88,88\r\n"
              "2,2024-05-01T21:36:26+09:00,practice,\"my \"\"best\"\", file.ksd\","
              "\"れんしゅう, その1\",2000,1,0,100.0,30.0,abandoned,,abandoned\r\n"
              "3,2024-05-01T21:37:26+09:00,practice,a.ksd,あいうえお,60000,0,0,,0.0,time_up,,"
              "時間切れ\r\n");

    const std::string out = dir.path("書き出し.csv");
    ASSERT_TRUE(records.exportCsv(out));
    EXPECT_EQ(dir.read("書き出し.csv"), *records.runsCsv());
    EXPECT_FALSE(records.exportCsv(dir.path("no/folder/x.csv")));
}

std::string writerProgram()
{
    return (std::filesystem::path(testing::internal::GetArgvs()[0]).parent_path() /
            "records-writer")
        .string();
}

// A writer in a process of its own, its "saved N" lines read as they come.
class Writer
{
public:
    Writer(const std::string &path, int runs, int keys, const std::string &tag)
    {
        int pipeFds[2];
        EXPECT_EQ(::pipe(pipeFds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const std::string program = writerProgram();
        std::vector<std::string> args{program, path, std::to_string(runs), std::to_string(keys),
                                      tag};
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        m_out = ::fdopen(pipeFds[0], "r");
    }
    ~Writer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
        if (m_out)
            std::fclose(m_out);
    }
    // The next run the writer reports committed; 0 at its end.
    int nextSaved()
    {
        int n = 0;
        return std::fscanf(m_out, "saved %d\n", &n) == 1 ? n : 0;
    }
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void kill()
    {
        ::kill(m_pid, SIGKILL);
        wait();
    }

private:
    pid_t m_pid = -1;
    std::FILE *m_out = nullptr;
};

// Two games saving at the same moment: every run of both lands whole.
TEST_F(RecordsTest, TwoProcessesWritingAtOnceLoseNothing)
{
    Writer a(file(), 40, 300, "a");
    Writer b(file(), 40, 300, "b");
    int savedA = 0;
    int savedB = 0;
    while (a.nextSaved())
        ++savedA;
    while (b.nextSaved())
        ++savedB;
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);
    EXPECT_EQ(savedA, 40);
    EXPECT_EQ(savedB, 40);
    Db db(file());
    EXPECT_EQ(db.value("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.rows("SELECT subject, count(*) FROM run GROUP BY subject ORDER BY subject"),
              (std::vector<std::string>{"a|40", "b|40"}));
    EXPECT_EQ(db.value(kRunsMissingKeys), "0");
}

// A game killed while it saves leaves a sound file that has every run it
// reported saved, and at most the one it was writing besides.
TEST_F(RecordsTest, AWriterKilledMidSaveLosesAtMostTheRunBeingWritten)
{
    int reported = 0;
    for (const int killAfter : {17, 64, 133}) {
        Writer writer(file(), 200, 600, "k");
        int saved = 0;
        while (saved < killAfter && writer.nextSaved())
            ++saved;
        ASSERT_EQ(saved, killAfter);
        writer.kill();
        // What it reported before it died, read or still in the pipe.
        while (writer.nextSaved())
            ++saved;
        reported += saved;

        Db db(file());
        EXPECT_EQ(db.value("PRAGMA integrity_check"), "ok");
        const int stored = std::stoi(db.value("SELECT count(*) FROM run"));
        EXPECT_GE(stored, reported);
        EXPECT_LE(stored, reported + 1);
        EXPECT_EQ(db.value(kRunsMissingKeys), "0");
        reported = stored;
    }
}

} // namespace
} // namespace ks
