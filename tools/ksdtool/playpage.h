#pragma once

#include <string>
#include <string_view>

namespace ksd {

// The practice play page's two lines, as screens/practice/fileload.cpp lays
// them out: the display text (Mondai) and the romaji still to type
// (Alufabet), each the width of the screen. A test holds these to the
// screen's own labels.
inline constexpr int kPlayLineWidth = 640;
inline constexpr double kDisplayLinePoints = 18;
inline constexpr double kDesignRomajiPoints = 15.75; // when the header gives no usable size

// Widths in pixels of text in the screens' font, as the game's labels
// measure it. Needs a Qt GUI application: one for the offscreen platform is
// made at the first measure, so the tool needs no display.
int displayLineWidth(std::string_view text);
int romajiLineWidth(std::string_view romaji, double points);

// Whether the game's picture loader makes a picture of the file, as it does
// of a practice file's target.bmp when the player confirms the file.
bool pictureLoads(const std::string &path);

} // namespace ksd
