#include "settingsfile.h"

#include "fileproblem.h"
#include "random.h"

#include "core/settings.h"

namespace ks {

Result<std::vector<std::string>> SettingsFile::read(std::size_t capacity) const
{
    return readSettings(m_dir.playerFile(kSettingsFile), capacity);
}

Result<void> SettingsFile::writeHighScore(const std::vector<std::string> &lines, int course,
                                          int score) const
{
    std::vector<std::string> updated = lines;
    updated.resize(std::max(updated.size(), kSettingsLines));
    updated[course == 1 ? kHighScore30 : kHighScore60] = std::to_string(score);
    return writeSettings(m_dir.playerFileToWrite(kSettingsFile), updated);
}

Result<void> SettingsFile::writeOptions(const std::vector<std::string> &lines,
                                        const std::array<QString, 6> &musicBoxes,
                                        bool resetScores) const
{
    std::vector<std::string> updated = lines;
    updated.resize(kSettingsLines);
    if (resetScores) {
        updated[kHighScore30] = "100";
        updated[kHighScore60] = "200";
    }
    for (std::size_t i = 0; i < musicBoxes.size(); ++i) {
        const QString &box = musicBoxes[i];
        updated[kFirstPlayMusic + i] = box.isEmpty() ? kNoMusic : box.toStdString();
    }
    return writeSettings(m_dir.playerFileToWrite(kSettingsFile), updated);
}

QString SettingsFile::pickMusic(const std::vector<std::string> &lines, RandomSource &random) const
{
    const std::vector<std::string> music = musicSlots(lines);
    const int count = static_cast<int>(music.size());
    if (count == 0)
        return {};
    const int entry = choose(random, count - 1) + 1;
    return musicPath(music[static_cast<std::size_t>(entry - 1)]);
}

QString SettingsFile::endingMusic(const std::vector<std::string> &lines) const
{
    if (lines.size() <= kEndingMusic || lines[kEndingMusic] == kNoMusic)
        return {};
    return musicPath(lines[kEndingMusic]);
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
