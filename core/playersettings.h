#pragma once

#include "inifile.h"
#include "spellingmode.h"
#include "result.h"

#include <functional>
#include <string>

namespace ks {

// The player's own choices, in keystorm.ini beside settei.dat (the player's
// folder). settei.dat keeps the fixed eight lines older versions read; new
// choices go here, each as a key of an INI section:
//
//   [typing]
//   spelling=any        ; or table, the default
//   [guide]
//   keyboard=on         ; or off, the default: the keyboard under the play area
//   romaji=after-miss   ; always (the default), after-miss or hidden
//   reading=on          ; or off, the default: the kana reading line
//   spelling=own        ; or table, the default: the guide's spelling with any spelling
//   [sound]
//   effects=80          ; 0 to 100 (percent), 100 the default
//   music=50            ; the same
//   [window]
//   scale=1.5           ; 1 (the default), 1.5 or 2
//
// A choice that is missing, unreadable or spelled in a way the game does not
// know has its default, so an old game folder, a hand-edited file or a file
// from a newer version always plays.
inline constexpr const char *kPlayerSettingsFile = "keystorm.ini";

// When the romaji guide shows the rest of the current syllable.
enum class RomajiGuide
{
    Always,
    AfterMiss, // after a miss or a pause, until the syllable is done
    Hidden,
};

// Whose spelling the guide shows when any spelling is taken.
enum class GuideSpelling
{
    Table,
    Own, // the spelling the player last used for each kana
};

// The game's size on screen, as QT_SCALE_FACTOR would make it.
enum class WindowScale
{
    One,
    OneAndAHalf,
    Two,
};

struct PlayerSettings
{
    SpellingMode spelling = SpellingMode::Table;
    bool keyboardGuide = false;
    RomajiGuide romajiGuide = RomajiGuide::Always;
    bool readingLine = false;
    GuideSpelling guideSpelling = GuideSpelling::Table;
    int effectsVolume = 100; // percent
    int musicVolume = 100;   // percent
    WindowScale scale = WindowScale::One;
    // [records] moved_aside: where a damaged records file was moved, until
    // the player has been told; empty when there is nothing to tell.
    std::string recordsMovedAside;
};

// The choices a file holds; every failure gives the defaults.
PlayerSettings readPlayerSettings(const std::string &path);
// The same, telling a file that is there but cannot be read (too large,
// unreadable) from one that is missing, which is the defaults.
Result<PlayerSettings> loadPlayerSettings(const std::string &path);
PlayerSettings playerSettingsFrom(const IniFile &file);

// Sets every choice in file (the rest of it untouched). A choice the file
// never had is written only when it is not the default: a file stays as
// short as the player's choices.
Result<void> putPlayerSettings(IniFile &file, const PlayerSettings &settings);

// Writes the choices into the file at path, keeping everything else it holds
// byte for byte, atomically and in CR LF. A missing file is made; one that is
// there but cannot be read is left alone (its error), so a choice never costs
// the player what the file held.
Result<void> writePlayerSettings(const std::string &path, const PlayerSettings &settings,
                                 const std::function<bool()> &beforeCommit = {});

} // namespace ks
