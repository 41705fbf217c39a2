#include "appdir.h"

#include <filesystem>
#include <system_error>

namespace ks {

AppDir::AppDir(std::string_view dir) : m_path(toPosixSeparators(dir))
{
    if (m_path.empty() || m_path.back() != '/')
        m_path += '/';
}

AppDir AppDir::ofRunningProgram()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return AppDir(std::filesystem::current_path(error).string());
    return AppDir(exe.parent_path().string());
}

std::string AppDir::path(std::string_view relative) const
{
    return m_path + toPosixSeparators(relative);
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
