#include "settings.h"

#include "appdir.h"
#include "textfile.h"

#include <algorithm>
#include <filesystem>

namespace ks {

Result<std::vector<std::string>> readSettings(const std::string &path, std::size_t capacity)
{
    Result<std::string> text = readTextFile(path);
    if (!text)
        return text.error();
    std::vector<std::string> lines = splitLines(*text);
    if (lines.size() > capacity)
        return Error{ErrorCode::TooManyLines, path};
    lines.resize(capacity);
    return lines;
}

Result<void> writeSettings(const std::string &path, const std::vector<std::string> &lines,
                           const std::function<bool()> &beforeCommit)
{
    std::vector<std::string> out(lines.begin(),
                                 lines.begin() + std::min(lines.size(), kSettingsLines));
    out.resize(kSettingsLines);
    // A line break inside a line would shift every later line on the next read.
    for (const std::string &line : out) {
        if (line.find_first_of("\r\n") != std::string::npos)
            return Error{ErrorCode::UnsafeItem, path};
    }
    // A line the game did not change goes back byte for byte: code page 932
    // holds some characters twice (the NEC and IBM rows), and encoding the
    // text again would pick one form where an older file may use the other.
    std::vector<std::string> before;
    if (Result<std::string> raw = readRegularFile(path, kMaxTextFileBytes))
        before = splitLines(*raw);
    std::string bytes;
    for (std::size_t i = 0; i < out.size(); ++i) {
        Result<std::string> same = i < before.size() ? decodeCp932(before[i]) : Error{};
        if (same && *same == out[i]) {
            bytes += before[i];
        } else {
            Result<std::string> encoded = encodeCp932(out[i]);
            if (!encoded)
                return Error{encoded.error().code, path + "：" + encoded.error().detail};
            bytes += *encoded;
        }
        bytes += "\r\n";
    }
    return writeFileAtomic(path, bytes, beforeCommit);
}

SettingsLines SettingsLines::fromLines(const std::vector<std::string> &lines)
{
    const auto line = [&lines](std::size_t i) {
        return i < lines.size() ? lines[i] : std::string();
    };
    SettingsLines settings;
    settings.highScore30 = line(kHighScore30);
    settings.highScore60 = line(kHighScore60);
    for (std::size_t i = 0; i < settings.music.size(); ++i)
        settings.music[i] = line(kFirstPlayMusic + i);
    return settings;
}

std::vector<std::string> SettingsLines::lines() const
{
    std::vector<std::string> out{highScore30, highScore60};
    out.insert(out.end(), music.begin(), music.end());
    return out;
}

const std::string &SettingsLines::highScore(int course) const
{
    return course == 1 ? highScore30 : highScore60;
}

void SettingsLines::setHighScore(int course, int score)
{
    (course == 1 ? highScore30 : highScore60) = std::to_string(score);
}

std::vector<std::string> SettingsLines::musicSlots() const
{
    std::vector<std::string> slots;
    for (const std::string &slot : music) {
        if (slot != kNoMusic)
            slots.push_back(slot);
    }
    return slots;
}

StorableMusicPath storableMusicPath(const std::string &path, const AppDir &dir)
{
    const std::optional<Cp932Loss> lost = firstCp932Loss(path);
    if (!lost)
        return {path, {}};
    Result<std::string> readBack = cp932ReadBack(path);
    // The folder's file system, not the code page, decides what a name
    // means: a name stored as typed ("〜") is another name than its code
    // page form ("～"), unless a link or the file system makes them one file.
    std::error_code error;
    if (readBack && std::filesystem::equivalent(dir.resolve(path), dir.resolve(*readBack), error))
        return {*readBack, {}};
    return {std::nullopt, *lost};
}

} // namespace ks
