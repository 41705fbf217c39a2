#pragma once

#include "shell/dialogs.h"
#include "shell/random.h"
#include "shell/records/records.h"
#include "shell/soundservice.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>

namespace ks::test {

// Draws come from a script; past its end, 0.
class ScriptedRandom final : public RandomSource
{
public:
    void script(std::initializer_list<double> draws) { m_draws.insert(m_draws.end(), draws); }
    double next() override;
    void seedFromClock() override { ++m_seeds; }
    int seeds() const { return m_seeds; }

private:
    std::deque<double> m_draws;
    int m_seeds = 0;
};

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
        std::function<void(std::optional<QString>)> answer; // nothing: cancel
    };
    void write(const QString &line);
    void answerFront(std::optional<QString> answer);
    std::deque<QString> m_answers;
    std::deque<OpenDialog> m_open;
};

// Wall time that moves only when the test moves it.
class FixedWallClock final : public WallClock
{
public:
    std::int64_t nowMs() const override { return ms; }
    std::int64_t ms = 1'714'566'896'000; // 2024-05-01T12:34:56Z
};

// Logs every command as "sound Owner.Player: command file", a restart as
// "prev" then "play".
class RecordingSoundService final : public SoundService
{
public:
    int createPlayer(const QString &owner) override;
    void destroyPlayer(int player) override;
    void command(int player, SoundCommand command, const QString &fileName) override;

    QStringList log;
    std::function<void(const QString &)> onLog;
    // Paths are logged relative to this directory when they lie in it.
    QString baseDir;

private:
    void record(int player, const QString &word);

    std::map<int, QString> m_owners;
    std::map<int, QString> m_opened;
    int m_next = 0;
};

} // namespace ks::test
