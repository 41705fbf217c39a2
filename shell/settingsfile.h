#pragma once

#include "core/appdir.h"
#include "core/result.h"
#include "core/settings.h"

#include <QString>

#include <array>
#include <cstddef>
#include <string>

namespace ks {

class RandomSource;

// settei.dat, as every screen uses it: the two high scores, five play-music
// slots and the ending-music slot. Reading, writing and what the player is
// told when it goes wrong live here once.
class SettingsFile
{
public:
    explicit SettingsFile(AppDir dir) : m_dir(std::move(dir)) {}

    // The file, read into capacity lines (8 or 11, by screen): missing lines
    // are empty, more lines than capacity is an error.
    Result<SettingsLines> read(std::size_t capacity) const;

    // The settings as read, with the course's high score replaced (course 1
    // is the 30-second course).
    Result<void> writeHighScore(SettingsLines settings, int course, int score) const;

    // The options: the six music boxes (an empty box is "nodata") and the
    // scores as read, or "100" and "200" when reset.
    Result<void> writeOptions(SettingsLines settings, const std::array<QString, 6> &musicBoxes,
                              bool resetScores) const;

    // The play music: among the set slots, entry Int(r × (count − 1)) + 1, so
    // with two or more the last one is never picked. Empty when no slot is
    // set; r is drawn only when one is.
    QString pickMusic(const SettingsLines &settings, RandomSource &random) const;

    // The ending-music slot, or empty when it is "nodata".
    QString endingMusic(const SettingsLines &settings) const;

    // What is wrong with the file, in one sentence that names it.
    static QString readProblem(const Error &error);
    // The same, and that the screen goes back to the menu.
    static QString readFailureText(const Error &error);
    // A new high score could not be stored.
    static QString highScoreWriteFailureText(const Error &error);

private:
    QString musicPath(const std::string &line) const;

    AppDir m_dir;
};

} // namespace ks
