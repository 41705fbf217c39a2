#pragma once

#include "result.h"
#include "textfile.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ks {

class AppDir;

inline constexpr const char *kSettingsFile = "settei.dat";
inline constexpr const char *kNoMusic = "nodata"; // an empty music slot

// Lines of settei.dat: 0 and 1 are the high scores of the 30- and 60-second
// courses, 2 to 6 the play-music slots, 7 the ending-music slot.
inline constexpr std::size_t kSettingsLines = 8;
inline constexpr std::size_t kHighScore30 = 0;
inline constexpr std::size_t kHighScore60 = 1;
inline constexpr std::size_t kFirstPlayMusic = 2;
inline constexpr std::size_t kEndingMusic = 7;

// Most screens keep room for 11 lines, the battle and the ending for 8.
inline constexpr std::size_t kSettingsCapacityWide = 11;
inline constexpr std::size_t kSettingsCapacityNarrow = 8;

// Reads the file into exactly capacity lines; lines the file does not supply
// are empty. A file with more lines than capacity is TooManyLines.
Result<std::vector<std::string>> readSettings(const std::string &path, std::size_t capacity);

// Writes lines 0 to 7 (missing ones empty, extra ones dropped), atomically.
Result<void> writeSettings(const std::string &path, const std::vector<std::string> &lines,
                           const std::function<bool()> &beforeCommit = {});

// settei.dat's lines by what they hold, as the screens use them. The file's
// text stays as it was read: a high score is the line's text ("150", or
// whatever a hand-edited file says), an empty music slot "nodata".
struct SettingsLines
{
    std::string highScore30;
    std::string highScore60;
    // The options' boxes in order: five play-music slots, then the ending's.
    std::array<std::string, 6> music;

    static constexpr std::size_t kEndingSlot = 5;

    // From the lines as read; a line missing is empty.
    static SettingsLines fromLines(const std::vector<std::string> &lines);
    // The file's eight lines.
    std::vector<std::string> lines() const;

    // Course 1 is the 30-second course, any other the 60-second one.
    const std::string &highScore(int course) const;
    void setHighScore(int course, int score);
    const std::string &endingMusic() const { return music[kEndingSlot]; }
    // The music pick of the play screens: the slots, play and ending, that
    // are not "nodata", in order.
    std::vector<std::string> musicSlots() const;
};

// What settei.dat, a code page 932 file, can keep of a music path the
// player chose. A path that comes back as written is kept. One that comes
// back changed ("〜" as "～") is taken in that form only when the form still
// names the very same file; otherwise the tune would go quiet, or another
// file play in its place, with nobody told. A path that cannot be kept has no
// path here, and lost names the first character the file would change or
// cannot hold.
struct StorableMusicPath
{
    std::optional<std::string> path;
    Cp932Loss lost;
};
StorableMusicPath storableMusicPath(const std::string &path, const AppDir &dir);

} // namespace ks
