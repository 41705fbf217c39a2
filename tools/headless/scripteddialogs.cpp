#include "scripteddialogs.h"

namespace ks::headless {

void ScriptedDialogs::write(const QString &line)
{
    log << line;
    if (onLog)
        onLog(line);
}

void ScriptedDialogs::message(QWidget *, const QString &text, std::function<void()> then)
{
    write(QStringLiteral("message: ") + text);
    m_open.push_back({true, [then = std::move(then)](const std::optional<QString> &) {
                          if (then)
                              then();
                      }});
}

void ScriptedDialogs::openFile(QWidget *, const QString &title, const QString &filter,
                               const QString &startDir,
                               std::function<void(std::optional<QString>)> then)
{
    lastStartDir = startDir;
    write(QStringLiteral("file dialog: %1 [%2]").arg(title, filter));
    m_open.push_back({false, [this, then = std::move(then)](const std::optional<QString> &answer) {
                          write(QStringLiteral("file dialog answer: ") +
                                answer.value_or(QStringLiteral("cancel")));
                          if (then)
                              then(answer);
                      }});
}

void ScriptedDialogs::saveFile(QWidget *, const QString &title, const QString &suggested,
                               const QString &filter,
                               std::function<void(std::optional<QString>)> then)
{
    write(QStringLiteral("save dialog: %1 [%2] %3").arg(title, filter, suggested));
    m_open.push_back({false, [this, then = std::move(then)](const std::optional<QString> &answer) {
                          write(QStringLiteral("save dialog answer: ") +
                                answer.value_or(QStringLiteral("cancel")));
                          if (then)
                              then(answer);
                      }});
}

void ScriptedDialogs::answerFront(std::optional<QString> answer)
{
    OpenDialog dialog = std::move(m_open.front());
    m_open.pop_front();
    dialog.answer(dialog.isMessage ? std::nullopt : std::move(answer));
    answered();
}

namespace {

// The next queued answer; "cancel", or none, cancels.
std::optional<QString> takeAnswer(std::deque<QString> &answers)
{
    if (answers.empty())
        return std::nullopt;
    QString answer = answers.front();
    answers.pop_front();
    if (answer == QLatin1String("cancel"))
        return std::nullopt;
    return answer;
}

} // namespace

void ScriptedDialogs::answerAll()
{
    while (!m_open.empty())
        answerFront(takeAnswer(m_answers));
}

void ScriptedDialogs::answerQueued()
{
    while (!m_open.empty() && !m_answers.empty())
        answerFront(takeAnswer(m_answers));
}

bool ScriptedDialogs::pressKey(int qtKey)
{
    if (m_open.empty())
        return false;
    const bool closes = qtKey == Qt::Key_Escape || qtKey == Qt::Key_Return ||
                        qtKey == Qt::Key_Enter ||
                        (qtKey == Qt::Key_Space && m_open.front().isMessage);
    if (!closes)
        return true;
    if (qtKey == Qt::Key_Escape && !m_open.front().isMessage)
        answerFront(std::nullopt);
    else
        answerFront(m_open.front().isMessage ? std::nullopt : takeAnswer(m_answers));
    return true;
}

} // namespace ks::headless
