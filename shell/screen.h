#pragma once

#include "controls.h"
#include "services.h"

#include <QColor>
#include <QKeySequence>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QMenu;
class QMenuBar;

namespace ks {

class ScreenHost;

enum class Border
{
    Fixed,  // title bar with minimise and close, fixed size, the program icon
    Result, // title bar with close only, fixed size, the program icon: a result waits to be read
    Tool,   // small title bar with close only, no taskbar entry
    None,   // no border, no caption
    Dialog, // a dialog's title bar with close only, the program icon, no taskbar entry
};

// Key codes the screens see in Form_KeyDown.
namespace KeyCode {
inline constexpr int Backspace = 8;
inline constexpr int Return = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
} // namespace KeyCode

class ScreenWindow;

// Where a control goes: its name, its index in a control array (-1 for
// none) and its rectangle in twips.
struct Place
{
    Place(QString controlName, QRect rect) : name(std::move(controlName)), twips(rect) {}
    Place(QString controlName, int arrayIndex, QRect rect)
        : name(std::move(controlName)), index(arrayIndex), twips(rect)
    {}
    QString name;
    int index = -1;
    QRect twips;
};

// How a label looks. No back colour: transparent, showing what lies under it.
struct LabelStyle
{
    double points = 9;
    bool bold = false;
    QColor fore = Qt::black;
    QColor back;
    Align align = Align::Left;
    bool italic = false;
    bool border = false;
};

// One screen of the game: its window, controls, timers, sound players and
// handlers. The object lives as long as the host, so its public variables keep
// their values after the window is unloaded; only Form_Load resets them.
class Screen
{
public:
    Screen(ScreenHost &host, QString name);
    virtual ~Screen();
    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;

    const QString &name() const { return m_name; }
    bool isLoaded() const { return m_window != nullptr; }
    bool isShown() const;
    QWidget *window() const;
    QWidget *client() const;
    const std::vector<Control *> &controls() const { return m_controls; }
    Control *control(const QString &id) const;

    // Window, controls and public variables as "Screen.Control.property=value".
    void writeState(StateWriter &out) const;

    // Handlers; the defaults do nothing.
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    virtual void Form_KeyDown(int &keyCode, int shift);
    virtual void Form_KeyPress(int &keyAscii);
    virtual void Form_MouseMove() {}
    // The window's close button. Unloading is enough for the screens whose
    // unload leads on (to the menu, or back to the screen that opened them);
    // a screen whose way back lies elsewhere says so here, so closing a
    // window never leaves the game running with none in view.
    virtual void closeRequested();

protected:
    // Builds the window's design state; runs at every load, before Form_Load.
    virtual void createControls() = 0;
    // Public variables, written as out.add(name() + ".Stage", ...).
    virtual void writeVariables(StateWriter &out) const;

    ScreenHost &host() const { return m_host; }
    Services &services() const;
    const AppDir &appDir() const { return services().appDir; }

    // The game's screens: 640 × 480, black, fixed border with the program icon.
    void setGameScreen(const QString &caption, Border border = Border::Fixed);
    void setCaption(const QString &caption);
    void setClientSize(int widthTwips, int heightTwips);
    void setBorder(Border border);
    void setBackColor(const QColor &color);

    // Controls, placed in twips on the client area or in a panel.
    template <typename T>
    T *add(const QString &name, int index, QRect twips, QWidget *parent = nullptr)
    {
        auto *control = new T(parent ? parent : client(), name, index);
        control->setGeometry(twipsRect(twips));
        m_controls.push_back(control);
        return control;
    }
    template <typename T> T *add(const QString &name, QRect twips, QWidget *parent = nullptr)
    {
        return add<T>(name, -1, twips, parent);
    }
    Label *addLabel(const Place &place, const QString &caption, const LabelStyle &style,
                    QWidget *parent = nullptr);
    // The instructor's speech bubble: a light-yellow rounded box with an
    // orange border, and the label on it, black and transparent.
    Label *addBubble(const Place &box, const Place &label, double points, bool bold,
                     QWidget *parent = nullptr);
    Image *addImage(const Place &place, const Picture &picture, QWidget *parent = nullptr);
    // A picture shown over under by swapping its pixels (see OverlayImage).
    OverlayImage *addOverlay(const QString &name, Image *under, const Picture &picture,
                             const QColor &background);
    TimerControl *addTimer(const QString &name, int interval, bool enabled,
                           std::function<void()> handler);
    SoundPlayer *addSoundPlayer(const QString &name, SoundRole role = SoundRole::Effect);
    QMenu *addMenu(const QString &title);
    // A label at the right end of the menu bar: a status line that takes no
    // room from the client area's design.
    Label *addMenuBarLabel(const Place &place, const LabelStyle &style);
    MenuItem *addMenuItem(QMenu *menu, const QString &name, const QString &caption,
                          const QKeySequence &shortcut, std::function<void()> handler);

    // Control events run as events of this screen, as keys and ticks do.
    void onClick(WidgetControl *control, std::function<void()> handler);
    void onMouseMove(WidgetControl *control, std::function<void()> handler);
    void onChange(VScrollBar *bar, std::function<void()> handler);
    void onFocusIn(WidgetControl *control, std::function<void()> handler);

    // Tells the player what went wrong; the screen closes once the box is answered.
    void tellAndClose(const QString &text);
    // The screen takes keys now (a word or problem is up, a result's key
    // lock has opened): a line on the ks.play log, so whoever drives the
    // real game from outside knows when to type.
    void traceReady(const QString &detail = {}) const;

private:
    // Runs handler as an event of this screen: keys, ticks and clicks go
    // through here so the host knows when the last handler has returned.
    std::function<void()> handlerOf(std::function<void()> handler);

    friend class ScreenHost;
    friend class ScreenWindow;
    friend class ScreenClient;
    void load();
    void destroyWindow();
    static QRect twipsRect(QRect twips);

    ScreenHost &m_host;
    QString m_name;
    std::unique_ptr<ScreenWindow> m_window;
    std::vector<Control *> m_controls;                     // in creation order
    std::vector<std::unique_ptr<Control>> m_ownedControls; // the ones that are no widgets
};

} // namespace ks
