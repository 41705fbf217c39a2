#include "toolfolders.h"

#include "core/romajitable.h"

#include <filesystem>

namespace ksd {

namespace {

ks::AppDir gameAt(const std::string &dir)
{
    // A table named without a folder lies in the working one.
    const std::string folder = dir.empty() ? std::string(".") : dir;
    return ks::AppDir::locate(folder, ks::AppDir::isInstalled(folder),
                              ks::AppDir::dataHomeOfEnvironment());
}

} // namespace

ToolFolders toolFolders(const CommandLine &line)
{
    // A given game is played with its player's table, as it would be.
    const ks::AppDir game =
        !line.gamePath.empty() ? gameAt(line.gamePath)
        : !line.tablePath.empty()
            ? gameAt(std::filesystem::path(line.tablePath).parent_path().string())
            : gameAt(ks::AppDir::runningProgramDir());
    const std::string table =
        line.tablePath.empty() ? game.playerFile(ks::kRomajiTableFile) : line.tablePath;
    return {table, game};
}

} // namespace ksd
