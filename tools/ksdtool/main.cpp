// ksdtool: makes problem files (*.ksd) from a teacher's plain Japanese, and
// looks inside them the way the game reads and plays them.

#include "checkcommand.h"
#include "commandline.h"
#include "linescommand.h"
#include "makecommand.h"
#include "readingscommand.h"
#include "toolfolders.h"

#include "core/romajitable.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ksd::ParsedCommandLine parsed = ksd::parseCommandLine(args);
    const ksd::CommandLine &line = parsed.commandLine;
    if (line.help) {
        std::cout << ksd::usageText();
        return ksd::kExitOk;
    }
    if (!parsed.error.empty()) {
        std::cerr << "ksdtool: " << parsed.error << "\n\n" << ksd::usageText();
        return ksd::kExitUsage;
    }
    if (line.command == "readings")
        return ksd::runReadings(line, std::cout, std::cerr);

    const ksd::ToolFolders folders = ksd::toolFolders(line);
    // The play screens' reading: a short table is padded, as the game does.
    ks::Result<ks::RomajiTable> table = ks::loadRomajiTableForPlay(folders.tablePath);
    if (!table) {
        std::cerr << "ksdtool: ローマ字表 / romaji table：" << table.error().message() << '\n';
        return ksd::kExitBadInput;
    }
    if (line.command == "lines")
        return ksd::runLines(line, *table, std::cout, std::cerr);
    if (line.command == "check")
        return ksd::runCheck(line, *table, folders.game, std::cout);
    return ksd::runMake(line, *table, std::cout, std::cerr);
}
