#include "recordingsound.h"

namespace ks::headless {

int RecordingSoundService::createPlayer(const QString &owner, SoundRole role)
{
    if (role == SoundRole::Music)
        music.insert(owner);
    m_owners[++m_next] = owner;
    return m_next;
}

void RecordingSoundService::destroyPlayer(int player)
{
    // A player that opened something falls silent with its screen.
    if (m_opened.count(player))
        record(player, QStringLiteral("close"));
    m_owners.erase(player);
    m_opened.erase(player);
}

void RecordingSoundService::command(int player, SoundCommand command, const QString &fileName)
{
    if (!m_owners.count(player))
        return;
    switch (command) {
    case SoundCommand::Open:
        m_opened[player] = fileName;
        record(player, QStringLiteral("open"));
        break;
    case SoundCommand::Play:
        record(player, QStringLiteral("play"));
        break;
    case SoundCommand::Restart:
        // Traced as the rewind and the play it is, the way traces always read.
        record(player, QStringLiteral("prev"));
        record(player, QStringLiteral("play"));
        break;
    case SoundCommand::Stop:
        record(player, QStringLiteral("stop"));
        break;
    }
}

void RecordingSoundService::record(int player, const QString &word)
{
    QString file = m_opened.count(player) ? m_opened[player] : QString();
    if (!baseDir.isEmpty() && file.startsWith(baseDir))
        file = file.mid(baseDir.size());
    const QString line =
        QStringLiteral("sound %1: %2 %3").arg(m_owners[player], word, file).trimmed();
    log << line;
    if (onLog)
        onLog(line);
}

} // namespace ks::headless
