#include "appdir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace ks {

namespace {

std::string asFolder(std::string_view dir)
{
    std::string path = toPosixSeparators(dir);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// The files a player changes, copied from the install the first time the
// game runs for them: the scores start from the shipped ones, the romaji from
// the shipped table.
constexpr const char *kSeededFiles[] = {"settei.dat", "roumazi.dat"};

void seed(const std::string &programDir, const std::string &playerDir)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(fs::path(playerDir) / "practice", error);
    for (const char *name : kSeededFiles) {
        const fs::path target = fs::path(playerDir) / name;
        if (fs::exists(target, error) || fs::is_symlink(target, error))
            continue;
        fs::copy_file(fs::path(programDir) / name, target, error);
        // A copy of a read-only install is the player's to change.
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, error);
    }
}

} // namespace

AppDir::AppDir(std::string_view dir) : m_path(asFolder(dir)), m_playerPath(m_path) {}

AppDir::AppDir(std::string_view programDir, std::string_view playerDir)
    : m_path(asFolder(programDir)), m_playerPath(asFolder(playerDir))
{}

AppDir AppDir::choose(const std::string &programDir, bool programDirWritable,
                      const std::string &dataHome)
{
    if (programDirWritable || dataHome.empty())
        return AppDir(programDir);
    const std::string playerDir = asFolder(dataHome) + "keystorm";
    seed(asFolder(programDir), playerDir);
    return AppDir(programDir, playerDir);
}

AppDir AppDir::ofRunningProgram()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string programDir =
        error ? std::filesystem::current_path(error).string() : exe.parent_path().string();
    std::string dataHome;
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        dataHome = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home == '/')
        dataHome = std::string(home) + "/.local/share";
    return choose(programDir, ::access(programDir.c_str(), W_OK) == 0, dataHome);
}

std::string AppDir::path(std::string_view relative) const
{
    return m_path + toPosixSeparators(relative);
}

std::string AppDir::playerFile(std::string_view name) const
{
    return m_playerPath + toPosixSeparators(name);
}

std::vector<std::string> AppDir::practiceFolders() const
{
    std::vector<std::string> folders{m_path + "practice/"};
    if (hasOwnPlayerFolder())
        folders.push_back(m_playerPath + "practice/");
    return folders;
}

std::string AppDir::resolve(std::string_view named) const
{
    if (named.empty() || named.front() == '/')
        return std::string(named);
    return path(named);
}

std::string toPosixSeparators(std::string_view name)
{
    std::string out(name);
    for (char &c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

} // namespace ks
