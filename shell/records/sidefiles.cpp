#include "sidefiles.h"

#include <sys/stat.h>
#include <unistd.h>

namespace ks::records {

namespace {

// A shared-memory file a connection has set up holds at least its first
// 32 KiB region.
constexpr off_t kLiveShmBytes = 32 * 1024;

bool statOf(const std::string &path, struct stat &st)
{
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

SideFiles sideFilesOf(const std::string &database)
{
    struct stat st
    {
    };
    return {statOf(database + "-wal", st), statOf(database + "-shm", st)};
}

bool walHasPages(const std::string &database)
{
    struct stat st
    {
    };
    return statOf(database + "-wal", st) && st.st_size > 0;
}

void healSideFiles(const std::string &database, unsigned int databaseMode)
{
    const mode_t write = databaseMode & (S_IWUSR | S_IWGRP | S_IWOTH);
    for (const char *suffix : {"-wal", "-shm"}) {
        const std::string path = database + suffix;
        struct stat st
        {
        };
        if (statOf(path, st) && (st.st_mode & write) != write)
            ::chmod(path.c_str(), (st.st_mode | write) & 07777);
    }
}

void removeSideFilesMadeSince(const std::string &database, SideFiles before)
{
    struct stat st
    {
    };
    const std::string wal = database + "-wal";
    const std::string shm = database + "-shm";
    if (!before.wal && statOf(wal, st) && st.st_size == 0)
        ::unlink(wal.c_str());
    if (!before.shm && statOf(shm, st) && st.st_size < kLiveShmBytes)
        ::unlink(shm.c_str());
}

} // namespace ks::records
