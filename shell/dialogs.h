#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QFileDialog;
class QWidget;

namespace ks {

// The message box and the open-file dialog. Both are modal and answer through
// a continuation, never a nested event loop: the code that follows the dialog
// runs in then, and timers keep ticking meanwhile.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Information icon, the text, an OK button.
    virtual void message(QWidget *parent, const QString &text, std::function<void()> then) = 0;

    // filter as Qt writes it: "MIDI (*.mid);;WAVE (*.wav)"; the dialog opens
    // in startDir, or on startDir's file when it names one. then gets the
    // chosen path, or nothing when the player cancels.
    virtual void openFile(QWidget *parent, const QString &title, const QString &filter,
                          const QString &startDir,
                          std::function<void(std::optional<QString>)> then) = 0;

    // A file to write: the dialog starts at suggested (a name or a path) and
    // asks before replacing a file. then gets the chosen path, or nothing
    // when the player cancels.
    virtual void saveFile(QWidget *parent, const QString &title, const QString &suggested,
                          const QString &filter,
                          std::function<void(std::optional<QString>)> then) = 0;

    // While a box or dialog is open it owns the keyboard: the screens behind
    // it get no key until it is answered.
    virtual bool isOpen() const = 0;

    // Runs f once no box or dialog is open any more, after the answer's own
    // continuation; at once when none is open. The host holds back a screen
    // whose load opened a box, so nothing covers the box.
    void whenAllAnswered(std::function<void()> f);
    // Runs after every answer that leaves no box open, once the waiting
    // ones have run: the host gives the keyboard back to the screen in front.
    void setAfterAnswers(std::function<void()> f) { m_afterAnswers = std::move(f); }

protected:
    // Implementations call this after running an answered dialog's continuation.
    void answered();

private:
    std::vector<std::function<void()>> m_waiting;
    std::function<void()> m_afterAnswers;
};

class QtDialogs final : public Dialogs
{
public:
    void message(QWidget *parent, const QString &text, std::function<void()> then) override;
    void openFile(QWidget *parent, const QString &title, const QString &filter,
                  const QString &startDir,
                  std::function<void(std::optional<QString>)> then) override;
    void saveFile(QWidget *parent, const QString &title, const QString &suggested,
                  const QString &filter, std::function<void(std::optional<QString>)> then) override;
    bool isOpen() const override { return m_open > 0; }

private:
    void openDialog(QFileDialog *dialog, std::function<void(std::optional<QString>)> then);

    int m_open = 0;
};

} // namespace ks
