#pragma once

#include <string>
#include <string_view>

namespace ks {

// The directory that holds the program. Every file the game reads or writes is
// found from here, never from the working directory.
class AppDir
{
public:
    // dir with or without a final "/"; tests point this at a temporary directory.
    explicit AppDir(std::string_view dir);

    // The directory of the running executable.
    static AppDir ofRunningProgram();

    // The directory, always ending in exactly one "/".
    const std::string &Mypath() const { return m_path; }

    // Mypath followed by relative. Data files written on Windows name folders
    // with "\" ("practice\standard\"), so every "\" becomes "/".
    std::string path(std::string_view relative) const;

    // A path named by a data file (a music slot): an absolute path as it
    // stands, a relative one from this directory, so a game folder can move
    // and keep finding its own files. Empty stays empty.
    std::string resolve(std::string_view named) const;

private:
    std::string m_path;
};

// "\" to "/", for names that come from data files.
std::string toPosixSeparators(std::string_view name);

} // namespace ks
