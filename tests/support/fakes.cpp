#include "support/fakes.h"

namespace ks::test {

double ScriptedRandom::next()
{
    if (m_draws.empty())
        return 0.0;
    const double r = m_draws.front();
    m_draws.pop_front();
    return r;
}

void ScriptedDialogs::write(const QString &line)
{
    log << line;
    if (onLog)
        onLog(line);
}

void ScriptedDialogs::message(QWidget *, const QString &text, std::function<void()> then)
{
    write(QStringLiteral("message: ") + text);
    m_open.push_back([this, then = std::move(then)] {
        // Message boxes have only OK: a queued answer is taken but changes nothing.
        if (!m_answers.empty())
            m_answers.pop_front();
        if (then)
            then();
    });
}

void ScriptedDialogs::openFile(QWidget *, const QString &title, const QString &filter,
                               std::function<void(std::optional<QString>)> then)
{
    write(QStringLiteral("file dialog: %1 [%2]").arg(title, filter));
    m_open.push_back([this, then = std::move(then)] {
        QString answer = QStringLiteral("cancel");
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        }
        write(QStringLiteral("file dialog answer: ") + answer);
        if (then)
            then(answer == QLatin1String("cancel") ? std::nullopt : std::optional<QString>(answer));
    });
}

void ScriptedDialogs::answerAll()
{
    while (!m_open.empty()) {
        const std::function<void()> answer = std::move(m_open.front());
        m_open.pop_front();
        answer();
    }
}

int RecordingSoundService::createPlayer(const QString &owner)
{
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
    case SoundCommand::Prev:
        record(player, QStringLiteral("prev"));
        break;
    case SoundCommand::Play:
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

} // namespace ks::test
