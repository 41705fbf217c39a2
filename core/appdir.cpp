#include "appdir.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
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

std::string playerFolderIn(const std::string &dataHome)
{
    return dataHome.empty() ? std::string() : asFolder(dataHome) + "keystorm/";
}

// The files a player changes, copied from the install the first time the
// game runs for them: the scores start from the shipped ones, the romaji from
// the shipped table.
constexpr const char *kSeededFiles[] = {"settei.dat", "roumazi.dat"};

// False when the folder cannot be made. A shipped file missing from the
// install only leaves the player without a copy: it is read from the install.
bool seed(const std::string &programDir, const std::string &playerDir)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(fs::path(playerDir) / "practice", error);
    if (error || !fs::is_directory(fs::path(playerDir) / "practice", error))
        return false;
    for (const char *name : kSeededFiles) {
        const fs::path target = fs::path(playerDir) / name;
        if (fs::exists(target, error) || fs::is_symlink(target, error))
            continue;
        fs::copy_file(fs::path(programDir) / name, target, error);
        // A copy of a read-only install is the player's to change.
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, error);
    }
    return true;
}

} // namespace

AppDir::AppDir(std::string_view dir) : m_path(asFolder(dir)), m_playerPath(m_path) {}

AppDir::AppDir(std::string_view programDir, std::string_view playerDir)
    : m_path(asFolder(programDir)), m_playerPath(asFolder(playerDir))
{}

AppDir AppDir::choose(const std::string &programDir, bool installed, const std::string &dataHome)
{
    AppDir dir = locate(programDir, installed, dataHome);
    if (installed)
        dir.m_canSave = !dir.m_playerPath.empty() && seed(dir.m_path, dir.m_playerPath);
    return dir;
}

AppDir AppDir::locate(const std::string &programDir, bool installed, const std::string &dataHome)
{
    AppDir dir(programDir);
    if (installed) {
        dir.m_playerPath = playerFolderIn(dataHome);
        dir.m_canSave = !dir.m_playerPath.empty();
    }
    return dir;
}

bool AppDir::isInstalled(const std::string &programDir)
{
    std::error_code error;
    return std::filesystem::is_regular_file(asFolder(programDir) + std::string(kInstalledMarker),
                                            error);
}

std::string AppDir::runningProgramDir()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error).string() : exe.parent_path().string();
}

std::string AppDir::dataHomeOfEnvironment()
{
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return xdg;
    if (const char *home = std::getenv("HOME"); home && *home == '/')
        return std::string(home) + "/.local/share";
    // A service or a login without HOME still has an account with a home.
    const passwd *account = ::getpwuid(::getuid());
    if (account && account->pw_dir && account->pw_dir[0] == '/')
        return std::string(account->pw_dir) + "/.local/share";
    return {};
}

AppDir AppDir::ofRunningProgram()
{
    const std::string programDir = runningProgramDir();
    return choose(programDir, isInstalled(programDir), dataHomeOfEnvironment());
}

std::string AppDir::path(std::string_view relative) const
{
    return m_path + toPosixSeparators(relative);
}

std::string AppDir::playerFile(std::string_view name) const
{
    if (!hasOwnPlayerFolder() || m_playerPath.empty())
        return path(name);
    const std::string own = m_playerPath + toPosixSeparators(name);
    std::error_code error;
    return std::filesystem::exists(own, error) ? own : path(name);
}

std::string AppDir::playerFileToWrite(std::string_view name) const
{
    // /dev/null is no folder, so nothing can ever be written under it, not
    // even by root: the install stays as it was shipped.
    const std::string folder = m_playerPath.empty() ? std::string("/dev/null/") : m_playerPath;
    return folder + toPosixSeparators(name);
}

std::vector<std::string> AppDir::practiceFolders() const
{
    std::vector<std::string> folders{m_path + "practice/"};
    if (hasOwnPlayerFolder() && !m_playerPath.empty())
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
