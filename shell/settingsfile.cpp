#include "settingsfile.h"

#include "fileproblem.h"
#include "random.h"

#include "core/settings.h"

namespace ks {

Result<SettingsLines> SettingsFile::read(std::size_t capacity) const
{
    Result<std::vector<std::string>> lines =
        readSettings(m_dir.playerFile(kSettingsFile), capacity);
    if (!lines)
        return lines.error();
    return SettingsLines::fromLines(*lines);
}

Result<void> SettingsFile::writeHighScore(SettingsLines settings, int course, int score) const
{
    settings.setHighScore(course, score);
    return writeSettings(m_dir.playerFileToWrite(kSettingsFile), settings.lines());
}

Result<void> SettingsFile::writeOptions(SettingsLines settings,
                                        const std::array<QString, 6> &musicBoxes,
                                        bool resetScores) const
{
    if (resetScores) {
        settings.highScore30 = "100";
        settings.highScore60 = "200";
    }
    for (std::size_t i = 0; i < musicBoxes.size(); ++i) {
        const QString &box = musicBoxes[i];
        settings.music[i] = box.isEmpty() ? kNoMusic : box.toStdString();
    }
    return writeSettings(m_dir.playerFileToWrite(kSettingsFile), settings.lines());
}

QString SettingsFile::pickMusic(const SettingsLines &settings, RandomSource &random) const
{
    const std::vector<std::string> music = settings.musicSlots();
    const int count = static_cast<int>(music.size());
    if (count == 0)
        return {};
    const int entry = choose(random, count - 1) + 1;
    return musicPath(music[static_cast<std::size_t>(entry - 1)]);
}

QString SettingsFile::endingMusic(const SettingsLines &settings) const
{
    if (settings.endingMusic() == kNoMusic)
        return {};
    return musicPath(settings.endingMusic());
}

QString SettingsFile::musicPath(const std::string &line) const
{
    return QString::fromStdString(m_dir.resolve(line));
}

QString SettingsFile::readProblem(const Error &error)
{
    return fileProblemText(QStringLiteral("設定ファイル（settei.dat）"), error);
}

QString SettingsFile::readFailureText(const Error &error)
{
    return fileProblemBackToMenuText(QStringLiteral("設定ファイル（settei.dat）"), error);
}

QString SettingsFile::highScoreWriteFailureText(const Error &)
{
    return QStringLiteral("設定ファイル（settei.dat）にハイスコアを保存できませんでした。"
                          "前のファイルはそのまま残っています。");
}

} // namespace ks
