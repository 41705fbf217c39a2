#pragma once

#include "shell/dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace ks::headless {

// Dialogs stay open, as a player's would, until the test answers them: a
// message box with OK, a file dialog (open or save) with the next queued
// answer ("cancel" or none cancels). Every dialog is written to the log when it opens.
class ScriptedDialogs final : public Dialogs
{
public:
    void queueAnswer(const QString &answer) { m_answers.push_back(answer); }
    void message(QWidget *parent, const QString &text, std::function<void()> then) override;
    void openFile(QWidget *parent, const QString &title, const QString &filter,
                  const QString &startDir,
                  std::function<void(std::optional<QString>)> then) override;
    void saveFile(QWidget *parent, const QString &title, const QString &suggested,
                  const QString &filter, std::function<void(std::optional<QString>)> then) override;
    bool isOpen() const override { return !m_open.empty(); }

    // Answers every open dialog, and those their answers open in turn.
    void answerAll();
    // Answers open dialogs for as long as answers are queued.
    void answerQueued();
    // A key for the dialog in front, as a player gives it: Return, Space and
    // Esc close a message box; Esc cancels a file dialog and Return takes the
    // queued answer. Other keys do nothing. False when no dialog is open.
    bool pressKey(int qtKey);

    QStringList log;
    std::function<void(const QString &)> onLog;
    // Where the last file dialog opened.
    QString lastStartDir;

private:
    struct OpenDialog
    {
        bool isMessage = true;
        std::function<void(const std::optional<QString> &)> answer; // nothing: cancel
    };
    void write(const QString &line);
    void answerFront(std::optional<QString> answer);
    std::deque<QString> m_answers;
    std::deque<OpenDialog> m_open;
};

} // namespace ks::headless
