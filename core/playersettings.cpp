#include "playersettings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace ks {

namespace {

// A choice among named values: its place in the file and how each value is
// written. Adding a choice is one more of these and a line in each direction
// below.
template <typename T, std::size_t N> struct Choice
{
    std::string_view section;
    std::string_view key;
    std::array<std::pair<std::string_view, T>, N> values; // the first is written for nothing else
};

constexpr Choice<SpellingMode, 2> kSpelling{
    "typing", "spelling", {{{"table", SpellingMode::Table}, {"any", SpellingMode::Any}}}};

bool sameWord(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

template <typename T, std::size_t N>
void read(const IniFile &file, const Choice<T, N> &choice, T &out)
{
    const std::optional<std::string> value = file.value(choice.section, choice.key);
    if (!value)
        return;
    for (const auto &[name, meaning] : choice.values) {
        if (sameWord(*value, name)) {
            out = meaning;
            return;
        }
    }
}

template <typename T, std::size_t N>
Result<void> put(IniFile &file, const Choice<T, N> &choice, T value)
{
    for (const auto &[name, meaning] : choice.values) {
        if (meaning == value)
            return file.setValue(choice.section, choice.key, name);
    }
    return file.setValue(choice.section, choice.key, choice.values.front().first);
}

} // namespace

PlayerSettings playerSettingsFrom(const IniFile &file)
{
    PlayerSettings settings;
    read(file, kSpelling, settings.spelling);
    settings.recordsMovedAside = file.value("records", "moved_aside").value_or(std::string());
    return settings;
}

Result<void> putPlayerSettings(IniFile &file, const PlayerSettings &settings)
{
    if (Result<void> spelling = put(file, kSpelling, settings.spelling); !spelling)
        return spelling;
    // Nothing to tell writes nothing: a file that never had the key keeps
    // not having it.
    if (settings.recordsMovedAside.empty() && !file.value("records", "moved_aside"))
        return {};
    return file.setValue("records", "moved_aside", settings.recordsMovedAside);
}

Result<PlayerSettings> loadPlayerSettings(const std::string &path)
{
    const Result<IniFile> file = readIniFile(path);
    if (!file && file.error().code != ErrorCode::NotFound)
        return file.error();
    return file ? playerSettingsFrom(*file) : PlayerSettings{};
}

PlayerSettings readPlayerSettings(const std::string &path)
{
    const Result<IniFile> file = readIniFile(path);
    return file ? playerSettingsFrom(*file) : PlayerSettings{};
}

Result<void> writePlayerSettings(const std::string &path, const PlayerSettings &settings,
                                 const std::function<bool()> &beforeCommit)
{
    Result<IniFile> file = readIniFile(path);
    if (!file && file.error().code != ErrorCode::NotFound)
        return file.error();
    IniFile updated = file ? std::move(*file) : IniFile{};
    if (Result<void> stored = putPlayerSettings(updated, settings); !stored)
        return stored.error();
    return writeIniFile(path, updated, beforeCommit);
}

} // namespace ks
