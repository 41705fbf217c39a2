// Any bytes in settei.dat: reading it as every screen does, and writing back a
// new high score, must neither crash nor change a byte of the lines the game
// did not touch, and what is written must read back as written.
#include "core/settings.h"
#include "core/textfile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// One file in a folder of this process, on a memory file system when there is one.
const std::string &settingsPath()
{
    static const std::string path = [] {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        const std::filesystem::path folder =
            base / ("ks-fuzz-settings-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        return (folder / "settei.dat").string();
    }();
    return path;
}

std::string readAll(const std::string &path)
{
    ks::Result<std::string> bytes = ks::readRegularFile(path, 1u << 22);
    return bytes ? *bytes : std::string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string before(reinterpret_cast<const char *>(data), size);
    const std::string &path = settingsPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(before.data(), static_cast<std::streamsize>(before.size()));
    }
    for (std::size_t capacity : {ks::kSettingsCapacityNarrow, ks::kSettingsCapacityWide}) {
        ks::Result<std::vector<std::string>> lines = ks::readSettings(path, capacity);
        if (lines && lines->size() != capacity)
            std::abort();
    }
    ks::Result<std::vector<std::string>> lines = ks::readSettings(path, ks::kSettingsCapacityWide);
    if (!lines)
        return 0;
    std::vector<std::string> changed = *lines;
    changed[ks::kHighScore30] = "12345";
    if (!ks::writeSettings(path, changed))
        return 0;

    // Lines 1 to 7 as they stood in the file come back byte for byte.
    const std::vector<std::string> oldLines = ks::splitLines(before);
    const std::vector<std::string> newLines = ks::splitLines(readAll(path));
    if (newLines.size() != ks::kSettingsLines || newLines[0] != "12345")
        std::abort();
    for (std::size_t i = 1; i < ks::kSettingsLines; ++i) {
        const std::string old = i < oldLines.size() ? oldLines[i] : std::string();
        if (newLines[i] != old)
            std::abort();
    }
    // And the file reads back to the lines that were written.
    ks::Result<std::vector<std::string>> again = ks::readSettings(path, ks::kSettingsLines);
    if (!again)
        std::abort();
    for (std::size_t i = 0; i < ks::kSettingsLines; ++i) {
        if ((*again)[i] != changed[i])
            std::abort();
    }
    return 0;
}
