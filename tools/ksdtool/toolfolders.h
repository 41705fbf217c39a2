#pragma once

#include "commandline.h"

#include "core/appdir.h"

#include <string>

namespace ksd {

// The romaji table the tool reads and the game folder check plays a file
// from. The tool belongs to the game it lies beside, as the game finds its
// own files: installed, the player's table is the one in their data folder
// ($XDG_DATA_HOME/keystorm) once the game has made it, else the shipped one.
struct ToolFolders
{
    std::string tablePath;
    ks::AppDir game;
};

// --table and --game as given. Without --game, the folder of a given table
// (a game folder holds its table), else the tool's own game; without
// --table, the player's table of that game.
ToolFolders toolFolders(const CommandLine &line);

} // namespace ksd
