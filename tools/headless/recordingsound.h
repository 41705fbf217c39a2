#pragma once

#include "shell/soundservice.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <set>

namespace ks::headless {

// Logs every command as "sound Owner.Player: command file", a restart as
// "prev" then "play".
class RecordingSoundService final : public SoundService
{
public:
    int createPlayer(const QString &owner, SoundRole role) override;
    void destroyPlayer(int player) override;
    void command(int player, SoundCommand command, const QString &fileName) override;

    QStringList log;
    // The players made for music ("FileLoad.Ongaku"); the rest are effects.
    std::set<QString> music;
    std::function<void(const QString &)> onLog;
    // Paths are logged relative to this directory when they lie in it.
    QString baseDir;

private:
    void record(int player, const QString &word);

    std::map<int, QString> m_owners;
    std::map<int, QString> m_opened;
    int m_next = 0;
};

} // namespace ks::headless
