#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ks {

// The directory that holds the program. Every file the game reads or writes is
// found from here, never from the working directory.
//
// The player's own files (settei.dat, roumazi.dat, their practice files) live
// there too, as files of older versions expect, unless the game was installed
// where it cannot write: then they live in the player's data folder
// ($XDG_DATA_HOME/keystorm), and the shipped files are read from the install.
class AppDir
{
public:
    // One folder for everything; tests point this at a temporary directory.
    // A dir with or without a final "/".
    explicit AppDir(std::string_view dir);
    // The install's folder and the player's own.
    AppDir(std::string_view programDir, std::string_view playerDir);

    // The running program's folder, and the player's folder as above (made
    // and seeded from the shipped settings and romaji table on first start).
    static AppDir ofRunningProgram();

    // The choice ofRunningProgram makes, for a program folder and the
    // player's data home ($XDG_DATA_HOME, else ~/.local/share): the program
    // folder when it can be written, else dataHome + "/keystorm", seeded.
    static AppDir choose(const std::string &programDir, bool programDirWritable,
                         const std::string &dataHome);

    // The program's directory, always ending in exactly one "/".
    const std::string &Mypath() const { return m_path; }
    // The player's folder, ending in "/": Mypath() unless the install is read-only.
    const std::string &playerPath() const { return m_playerPath; }
    bool hasOwnPlayerFolder() const { return m_playerPath != m_path; }

    // A shipped file: Mypath followed by relative. Data files written on
    // Windows name folders with "\" ("practice\standard\"), so every "\"
    // becomes "/".
    std::string path(std::string_view relative) const;

    // One of the player's files: settei.dat, roumazi.dat.
    std::string playerFile(std::string_view name) const;

    // Where practice files are listed from: the shipped folder, then the
    // player's own when there is one.
    std::vector<std::string> practiceFolders() const;

    // A path named by a data file (a music slot): an absolute path as it
    // stands, a relative one from the program's directory, so a game folder
    // can move and keep finding its own files. Empty stays empty.
    std::string resolve(std::string_view named) const;

private:
    std::string m_path;
    std::string m_playerPath;
};

// "\" to "/", for names that come from data files.
std::string toPosixSeparators(std::string_view name);

} // namespace ks
