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
constexpr Choice<bool, 2> kKeyboardGuide{"guide", "keyboard", {{{"off", false}, {"on", true}}}};
constexpr Choice<RomajiGuide, 3> kRomajiGuide{"guide",
                                              "romaji",
                                              {{{"always", RomajiGuide::Always},
                                                {"after-miss", RomajiGuide::AfterMiss},
                                                {"hidden", RomajiGuide::Hidden}}}};
constexpr Choice<bool, 2> kReadingLine{"guide", "reading", {{{"off", false}, {"on", true}}}};
constexpr Choice<GuideSpelling, 2> kGuideSpelling{
    "guide", "spelling", {{{"table", GuideSpelling::Table}, {"own", GuideSpelling::Own}}}};
constexpr Choice<WindowScale, 3> kScale{
    "window",
    "scale",
    {{{"1", WindowScale::One}, {"1.5", WindowScale::OneAndAHalf}, {"2", WindowScale::Two}}}};

// A volume: a key of [sound] holding a whole percent.
struct Volume
{
    std::string_view key;
};
constexpr Volume kEffectsVolume{"effects"};
constexpr Volume kMusicVolume{"music"};
constexpr int kFullVolume = 100;

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

void read(const IniFile &file, Volume volume, int &out)
{
    const std::optional<std::string> value = file.value("sound", volume.key);
    if (!value || value->empty() || value->size() > 3 ||
        !std::all_of(value->begin(), value->end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return;
    const int percent = std::stoi(*value);
    if (percent <= kFullVolume)
        out = percent;
}

// A choice the file never had, left at its default, is not written.
bool unasked(const IniFile &file, std::string_view section, std::string_view key, bool isDefault)
{
    return isDefault && !file.value(section, key);
}

Result<void> put(IniFile &file, Volume volume, int percent)
{
    if (unasked(file, "sound", volume.key, percent == kFullVolume))
        return {};
    return file.setValue("sound", volume.key, std::to_string(std::clamp(percent, 0, kFullVolume)));
}

template <typename T, std::size_t N>
Result<void> putChosen(IniFile &file, const Choice<T, N> &choice, T value)
{
    if (unasked(file, choice.section, choice.key, value == choice.values.front().second))
        return {};
    return put(file, choice, value);
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
    read(file, kKeyboardGuide, settings.keyboardGuide);
    read(file, kRomajiGuide, settings.romajiGuide);
    read(file, kReadingLine, settings.readingLine);
    read(file, kGuideSpelling, settings.guideSpelling);
    read(file, kEffectsVolume, settings.effectsVolume);
    read(file, kMusicVolume, settings.musicVolume);
    read(file, kScale, settings.scale);
    settings.recordsMovedAside = file.value("records", "moved_aside").value_or(std::string());
    return settings;
}

Result<void> putPlayerSettings(IniFile &file, const PlayerSettings &settings)
{
    for (Result<void> written :
         {put(file, kSpelling, settings.spelling),
          putChosen(file, kKeyboardGuide, settings.keyboardGuide),
          putChosen(file, kRomajiGuide, settings.romajiGuide),
          putChosen(file, kReadingLine, settings.readingLine),
          putChosen(file, kGuideSpelling, settings.guideSpelling),
          put(file, kEffectsVolume, settings.effectsVolume),
          put(file, kMusicVolume, settings.musicVolume), putChosen(file, kScale, settings.scale)}) {
        if (!written)
            return written;
    }
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
    const Result<PlayerSettings> settings = loadPlayerSettings(path);
    return settings ? *settings : PlayerSettings{};
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
