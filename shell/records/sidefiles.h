#pragma once

#include <cstdint>
#include <string>

namespace ks::records {

// The journal files SQLite keeps beside a database in write-ahead mode
// ("-wal", "-shm"). A connection that fails, or only reads, must not leave
// them behind: made while the database was read-only they take its mode, and
// a later writer, once the player has made the file writable again, would
// find its shared memory read-only and fail on every run.
struct SideFiles
{
    bool wal = false;
    bool shm = false;
};

SideFiles sideFilesOf(const std::string &database);

// Whether the write-ahead log holds pages not yet in the database, which a
// reader must see.
bool walHasPages(const std::string &database);

// Gives a side file the database's write permission back where it lacks it:
// what a read-only spell left is writable again once the database is.
void healSideFiles(const std::string &database, unsigned int databaseMode);

// Removes the side files that were not there before a connection opened and
// that no live connection uses: a log without pages and a shared memory file
// never set up (a live one is at least 32 KiB).
void removeSideFilesMadeSince(const std::string &database, SideFiles before);

} // namespace ks::records
