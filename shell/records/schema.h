#pragma once

struct sqlite3;

namespace ks::records {

// The version of the records' tables and views this game writes; a file of
// an older one is taken forward, one of a newer one left as it is.
inline constexpr int kSchemaVersion = 3;

// The file's version (PRAGMA user_version) into version: SQLITE_OK, or the
// code that stopped the reading. Nothing is changed.
int readVersion(sqlite3 *db, int &version);

// Takes an open, writable file from its version to kSchemaVersion in one
// transaction: SQLITE_OK, or the code of the step that failed, with nothing
// changed. Another game may have migrated the file meanwhile; then there is
// nothing left to do.
int migrate(sqlite3 *db);

// Makes the indexes the records window reads by, where they are missing:
// SQLITE_OK, or the code that stopped it.
int ensureIndexes(sqlite3 *db);

} // namespace ks::records
