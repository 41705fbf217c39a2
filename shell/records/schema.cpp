#include "schema.h"

#include "sqlite.h"

#include <QLoggingCategory>

#include <iterator>
#include <string>

Q_DECLARE_LOGGING_CATEGORY(lcRecords)

namespace ks::records {

namespace {

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
static_assert(std::size(kMigrations) == kSchemaVersion);

} // namespace

int ensureIndexes(sqlite3 *db)
{
    // Indexes change no row and no column, so they are not a version: an
    // older game reads a file that has them, and a file made by one gets
    // them at its next open here. The history and the latest runs go by
    // time; a subject's charts and titles by subject, then time.
    if (exec(db, "CREATE INDEX IF NOT EXISTS run_by_time ON run (started_at, id);"
                 "CREATE INDEX IF NOT EXISTS run_by_subject "
                 "ON run (mode, subject, started_at, id);") != SQLITE_OK)
        return lastError(db);
    return SQLITE_OK;
}

int readVersion(sqlite3 *db, int &version)
{
    // Finished before anything else runs: a journal mode cannot change while
    // a read is open.
    Statement statement(db, "PRAGMA user_version");
    if (!statement.ok() || statement.step() != SQLITE_ROW)
        return lastError(db);
    version = static_cast<int>(statement.integer(0));
    return SQLITE_OK;
}

int migrate(sqlite3 *db)
{
    if (exec(db, "BEGIN IMMEDIATE") != SQLITE_OK)
        return lastError(db);
    const auto rollBack = [db] {
        // ROLLBACK leaves its own code; the failed step's is the one that tells.
        const int code = lastError(db);
        exec(db, "ROLLBACK");
        return code;
    };
    int from = 0;
    if (readVersion(db, from) != SQLITE_OK)
        return rollBack();
    for (int step = from; step < kSchemaVersion; ++step) {
        if (exec(db, kMigrations[step]) != SQLITE_OK) {
            qCInfo(lcRecords) << "migration from version" << step
                              << "failed:" << api().sqlite3_errmsg(db);
            return rollBack();
        }
    }
    const std::string bump = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
    if (exec(db, bump.c_str()) != SQLITE_OK || exec(db, "COMMIT") != SQLITE_OK)
        return rollBack();
    return SQLITE_OK;
}

} // namespace ks::records
