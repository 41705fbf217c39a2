#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ks {

// The directory that holds the program. Every file the game reads or writes is
// found from here, never from the working directory.
//
// The player's own files (settei.dat, roumazi.dat, their practice files) live
// there too, as files of older versions expect, unless the game is installed:
// then they live in the player's data folder ($XDG_DATA_HOME/keystorm), and
// the shipped files are read from the install, which the game never writes,
// whoever runs it.
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
    // folder unless the game is installed, else dataHome + "/keystorm",
    // made and seeded. When that folder cannot be made, the game plays from
    // the shipped files and saves nothing (canSave() is false).
    static AppDir choose(const std::string &programDir, bool installed,
                         const std::string &dataHome);

    // The same folders for a tool that ships with the game: nothing is made
    // or seeded, and a player file the player does not have yet is read from
    // the install.
    static AppDir locate(const std::string &programDir, bool installed,
                         const std::string &dataHome);

    // An install lays a marker beside the program; a build folder, or a copy
    // of one, has none. Whether the folder can be written says nothing: root
    // can write anywhere, and a game in a read-only folder is still not
    // installed.
    static bool isInstalled(const std::string &programDir);
    static std::string runningProgramDir();
    // $XDG_DATA_HOME, else $HOME/.local/share, else the account's home's;
    // empty when there is none of these.
    static std::string dataHomeOfEnvironment();

    // The program's directory, always ending in exactly one "/".
    const std::string &Mypath() const { return m_path; }
    // The player's folder, ending in "/": Mypath() unless installed.
    const std::string &playerPath() const { return m_playerPath; }
    bool hasOwnPlayerFolder() const { return m_playerPath != m_path; }
    // False when the player's folder could not be made: nothing can be saved.
    bool canSave() const { return m_canSave; }

    // A shipped file: Mypath followed by relative. Data files written on
    // Windows name folders with "\" ("practice\standard\"), so every "\"
    // becomes "/".
    std::string path(std::string_view relative) const;

    // One of the player's files (settei.dat, roumazi.dat) as it is read: the
    // player's copy, or the shipped one while the player has none.
    std::string playerFile(std::string_view name) const;
    // Where the player's file is saved. Without a player's folder this is a
    // path no write can create, so saving fails as any failed write does.
    std::string playerFileToWrite(std::string_view name) const;

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
    bool m_canSave = true;
};

// The file an install lays beside the program.
inline constexpr std::string_view kInstalledMarker = "keystorm.installed";

// "\" to "/", for names that come from data files.
std::string toPosixSeparators(std::string_view name);

} // namespace ks
