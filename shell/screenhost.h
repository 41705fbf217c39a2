#pragma once

#include "screen.h"
#include "services.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace ks {

// Shows, hides and unloads the screens by name, routes keys to the screen in
// front, and ends the program when no screen is loaded any more.
class ScreenHost final : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<std::unique_ptr<Screen>(ScreenHost &)>;
    using ScreenTable = std::vector<std::pair<QString, Factory>>;

    ScreenHost(Services services, ScreenTable table);
    ~ScreenHost() override;

    Services &services() { return m_services; }
    const QIcon &programIcon() const { return m_icon; }
    void setProgramIcon(const QIcon &icon) { m_icon = icon; }

    // The screen object, created on first use; it is not loaded by this.
    Screen &screen(const QString &name);
    template <typename T> T &screenAs(const QString &name)
    {
        return dynamic_cast<T &>(screen(name));
    }
    // The screens created so far, in the order of the table.
    std::vector<Screen *> screens() const;

    // Loads the screen if needed (Form_Load first), shows it, returns at once.
    void show(Screen &screen);
    void show(const QString &name) { show(screen(name)); }
    // As show, application-modal; then runs once the screen is unloaded or
    // hidden. Other screens get no input meanwhile, but their timers tick.
    void showModal(Screen &screen, std::function<void()> then);
    void showModal(const QString &name, std::function<void()> then)
    {
        showModal(screen(name), std::move(then));
    }
    void hide(Screen &screen);
    // Form_Unload, then the timers stop and the controls go. A later show loads afresh.
    void unload(Screen &screen);

    // The screen that gets the keys: the topmost modal one, else the one shown last.
    Screen *activeScreen() const;
    bool anyLoaded() const;
    bool hasEnded() const { return m_ended; }
    // True the first time a notice is asked for: what the player is told
    // once a game, whichever screen meets it first.
    bool firstTime(const QString &notice) { return m_notices.insert(notice).second; }

    // One key as a keyboard gives it: key down with its key code, then, unless
    // the key down consumed it, a key press with the character it produces.
    // Returns whether the key was used up (not to be passed to a text box).
    bool deliverKey(int qtKey, const QString &text, Qt::KeyboardModifiers modifiers);

    // Runs f as an event handler. When the outermost handler returns and no
    // screen is loaded, the program ends: a screen that unloads itself and
    // then shows the next one does not end it in between.
    void dispatch(const std::function<void()> &f);

    // Lines for the scenario runner's trace: screens loaded, shown, hidden, unloaded.
    void setTrace(std::function<void(const QString &)> trace) { m_trace = std::move(trace); }
    void trace(const QString &line) const;

    // Maps Qt's key to the key code the screens know (13 Return, 37 Left …).
    static int keyCodeOf(int qtKey);

signals:
    void ended();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Modal
    {
        Screen *screen;
        std::function<void()> then;
    };

    // Loads the screen if needed (Form_Load first) and brings it to the front.
    void present(Screen &screen, bool modal);
    // Shows, raises and activates the window of a loaded screen.
    void reveal(Screen &screen, bool modal, bool wasShown);
    bool isPresented(const Screen &screen) const;
    void finishModal(Screen &screen);
    void refocus();
    void checkEnded();

    Services m_services;
    ScreenTable m_table;
    std::map<QString, std::unique_ptr<Screen>> m_screens;
    std::vector<Screen *> m_shownOrder;
    std::vector<Modal> m_modal;
    std::vector<Screen *> m_unloading;
    std::function<void(const QString &)> m_trace;
    QIcon m_icon;
    std::set<QString> m_notices;
    int m_depth = 0;
    bool m_ended = false;
};

} // namespace ks
