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
    if (const auto opened = m_opened.find(player); opened != m_opened.end()) {
        QString file = opened->second;
        if (!baseDir.isEmpty() && file.startsWith(baseDir))
            file = file.mid(baseDir.size());
        const QString line = QStringLiteral("sound %1: close %2").arg(m_owners[player], file);
        log << line.trimmed();
        if (onLog)
            onLog(line.trimmed());
    }
    m_owners.erase(player);
    m_opened.erase(player);
}

void RecordingSoundService::command(int player, SoundCommand command, const QString &fileName)
{
    const auto owner = m_owners.find(player);
    if (owner == m_owners.end())
        return;
    QString word;
    switch (command) {
    case SoundCommand::Open:
        word = QStringLiteral("open");
        m_opened[player] = fileName;
        break;
    case SoundCommand::Prev:
        word = QStringLiteral("prev");
        break;
    case SoundCommand::Play:
        word = QStringLiteral("play");
        break;
    case SoundCommand::Stop:
        word = QStringLiteral("stop");
        break;
    }
    QString file = m_opened.count(player) ? m_opened[player] : QString();
    if (!baseDir.isEmpty() && file.startsWith(baseDir))
        file = file.mid(baseDir.size());
    const QString line = QStringLiteral("sound %1: %2 %3").arg(owner->second, word, file);
    log << line.trimmed();
    if (onLog)
        onLog(line.trimmed());
}

} // namespace ks::test
