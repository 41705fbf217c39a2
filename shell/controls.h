#pragma once

#include "assetstore.h"
#include "clock.h"
#include "soundservice.h"
#include "textfit.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;

namespace ks {

// Collects "key=value" lines for the scenario runner's state dump.
class StateWriter
{
public:
    void add(const QString &key, const QString &value) { m_lines << key + '=' + value; }
    const QStringList &lines() const { return m_lines; }

private:
    QStringList m_lines;
};

// What every control of a screen has: a name, an index in its control array
// (-1 for none) and a way to describe itself.
class Control
{
public:
    Control(QString name, int index) : m_name(std::move(name)), m_index(index) {}
    virtual ~Control() = default;

    // "Erabi", or "Image1(2)" for a member of a control array.
    QString id() const;
    virtual void writeState(StateWriter &out, const QString &prefix) const = 0;

private:
    QString m_name;
    int m_index;
};

enum class Align
{
    Left,
    Center,
    Right
};

// Shared by the widget controls: geometry and visibility in the dump, and the
// click and mouse-move events.
class WidgetControl : public Control
{
public:
    WidgetControl(QString name, int index, QWidget &widget);

protected:
    void writeCommon(StateWriter &out, const QString &prefix) const;
    // The control's share of a mouse event, for controls that have no mouse
    // handling of their own: a left click runs the click handler, and a mouse
    // move runs the mouse-move handler and stops here, never reaching the
    // screen beneath. True when the event needs nothing more.
    bool handleMouse(QEvent *event);
    // For widgets that handle the mouse themselves (text boxes, buttons):
    // call after the widget has seen the event.
    void afterOwnMouse(QEvent *event);
    void runClick() const;
    void runFocusIn() const;

private:
    // Set only through the screen, which runs them as its own events.
    friend class Screen;
    QWidget &m_widget;
    std::function<void()> m_click;
    std::function<void()> m_mouseMove;
    std::function<void()> m_focusIn;
};

// What a label does with a text too wide for it. Every label one line high
// first gives up a little size; what it does beyond that is its overflow.
enum class Overflow
{
    // Cut at the label's edges: texts the layout was made for.
    Clip,
    // The romaji still to type: its next key is always in view. One line
    // shows the front from the left edge and cuts the end with an
    // ellipsis; a taller label wraps it between syllables.
    Guide,
    // A text to be read whole: it wraps, and grows smaller until it fits.
    Whole
};

class Label final : public QLabel, public WidgetControl
{
public:
    Label(QWidget *parent, const QString &name, int index = -1);

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);
    void setForeColor(const QColor &color);
    void setBackColor(const QColor &color);
    // A transparent label shows what lies under it.
    void setTransparent(bool transparent);
    void setTextAlign(Align align);
    void setFontPoints(double points, bool bold = false);
    void setItalic(bool italic);
    // A taller label breaks its text between any two characters, not only
    // at spaces: a romaji line is one long word.
    void setWrapAnywhere(bool anywhere);
    // A thin box in the text's colour around the label.
    void setBorder(bool border);
    void setOverflow(Overflow overflow);

    // The text as the label draws it, line by line, without the invisible
    // marks that allow a break.
    QStringList shownLines() const;
    // Part of the caption is left out, an ellipsis in its place.
    bool isElided() const { return m_elided; }

    // A new label measures its text only once it is set up: its font, size
    // and caption arrive one after another, and measuring a font size for
    // the first time is what costs.
    void finishSetUp();

    QColor foreColor() const { return m_fore; }
    QColor backColor() const { return m_back; }
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // What the text was last fitted to; fitting again to the same is skipped.
    struct Fit
    {
        QString caption;
        QSize size;
        int pixelSize = 0;
        bool bold = false;
        bool italic = false;
        bool wrapAnywhere = false;
        Overflow overflow = Overflow::Clip;
        bool operator==(const Fit &) const = default;
    };
    void fitText();
    void showGuide(const QFont &font, bool oneLine);
    void showWhole(QFont font);
    void showLines(const QFont &font, QStringList lines);
    textfit::Room room() const;

    bool m_settingUp = true;
    Fit m_fitted;
    int m_pixelSize = 12;
    bool m_bold = false;
    bool m_italic = false;
    bool m_wrapAnywhere = false;
    Overflow m_overflow = Overflow::Clip;
    bool m_elided = false;
    Qt::Alignment m_horizontal = Qt::AlignLeft;
    QString m_caption;
    QColor m_fore = Qt::black;
    QColor m_back = QColor(0xF0, 0xF0, 0xF0);
    bool m_transparent = false;
};

// Shows a picture at its natural size from the top left, like an image control
// without stretching; a null picture shows nothing.
class Image final : public QLabel, public WidgetControl
{
public:
    Image(QWidget *parent, const QString &name, int index = -1);

    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    bool event(QEvent *event) override;

private:
    Picture m_picture;
};

// A picture shown over an image by swapping the image's pixels rather than
// by a widget of its own: a face that blinks twice a second would otherwise
// show and hide a translucent widget over another, and each time the window
// asks the X server where the pointer is and repaints what lies beneath. Both
// pictures are laid on the background once, so the image paints opaque. In
// the state dump it is a control of its own, with its own visibility.
class OverlayImage final : public Control
{
public:
    OverlayImage(Image &under, const QString &name, int index = -1);

    // The overlay's picture; both it and the image's own are laid on
    // background, the colour behind them.
    void setPicture(const Picture &picture, const QColor &background);
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    void writeState(StateWriter &out, const QString &prefix) const override;

private:
    Image &m_under;
    Picture m_picture;
    QPixmap m_lit;  // the image's own picture on the background
    QPixmap m_over; // this one's
    bool m_visible = false;
};

// A picture box used as a panel: its children move with it.
class Panel final : public QWidget, public WidgetControl
{
public:
    Panel(QWidget *parent, const QString &name, int index = -1);

    void setBackColor(const QColor &color);
    QColor backColor() const { return m_back; }
    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    // The mouse wheel over the panel turns this widget (its scroll bar).
    void setWheelTarget(QWidget *target) { m_wheelTarget = target; }
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_back;
    Picture m_picture;
    QWidget *m_wheelTarget = nullptr;
};

class TextBox final : public QLineEdit, public WidgetControl
{
public:
    TextBox(QWidget *parent, const QString &name, int index = -1);
    void setFontPoints(double points);
    // A box for keys as the keyboard gives them (romaji): the input method
    // is never engaged, whatever state the player left it in, so no
    // composition, conversion or full-width form can reach the text.
    void setTakesKeysOnly(bool keysOnly);
    bool takesKeysOnly() const { return m_keysOnly; }
    using QLineEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    bool event(QEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    bool m_keysOnly = false;
};

// A control on a widget that handles the mouse itself (a button, a check
// box, a frame, a scroll bar): the widget sees each event first, then the
// control's handlers run, and a mouse move stops here, never reaching the
// screen beneath.
template <typename Widget> class OwnMouseControl : public Widget, public WidgetControl
{
public:
    OwnMouseControl(QWidget *parent, const QString &name, int index)
        : Widget(parent), WidgetControl(name, index, *this)
    {}

protected:
    bool event(QEvent *event) override
    {
        const bool result = Widget::event(event);
        afterOwnMouse(event);
        return result || event->type() == QEvent::MouseMove;
    }
};

class Button final : public OwnMouseControl<QPushButton>
{
public:
    Button(QWidget *parent, const QString &name, int index = -1);
    void writeState(StateWriter &out, const QString &prefix) const override;
};

class CheckBox final : public OwnMouseControl<QCheckBox>
{
public:
    CheckBox(QWidget *parent, const QString &name, int index = -1);
    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }
    void writeState(StateWriter &out, const QString &prefix) const override;
};

class Frame final : public OwnMouseControl<QGroupBox>
{
public:
    Frame(QWidget *parent, const QString &name, int index = -1);
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    // The frame's line runs through the middle of its title, as the layout
    // of the options expects: the first control sits a little below it.
    void paintEvent(QPaintEvent *event) override;
};

// A vertical scroll bar whose maximum may lie below its minimum: then the
// value falls as the thumb goes down. onChange runs when the value has changed
// by an arrow, a page step, a key, or the thumb released, not while dragging.
class VScrollBar final : public OwnMouseControl<QScrollBar>
{
public:
    VScrollBar(QWidget *parent, const QString &name, int index = -1);

    void setRange(int min, int max);
    void setSteps(int small, int large);
    int min() const { return m_min; }
    int max() const { return m_max; }
    int value() const;
    void setValue(int value);

    void writeState(StateWriter &out, const QString &prefix) const override;

private:
    friend class Screen; // the change handler runs as the screen's event
    std::function<void()> m_change;
    // Between the game's values and Qt's, which always rise downwards: a
    // bar running downwards mirrors them, and mirroring twice gives back
    // the value, so one function goes both ways.
    int mirrored(int value) const;
    int m_min = 0;
    int m_max = 32767;
    bool m_emitting = false;
};

enum class ShapeKind
{
    Rectangle,
    RoundedRectangle
};

// An outlined shape, transparent inside unless it has a fill colour.
class Shape final : public QWidget, public WidgetControl
{
public:
    Shape(QWidget *parent, const QString &name, int index = -1);
    void setKind(ShapeKind kind);
    void setBorderColor(const QColor &color);
    void setFillColor(const QColor &color);
    void setBorderWidth(int pixels);
    QColor borderColor() const { return m_border; }
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ShapeKind m_kind = ShapeKind::Rectangle;
    QColor m_border = Qt::black;
    QColor m_fill;
    int m_width = 1;
};

// A straight line from (x1, y1) to (x2, y2) in its parent's pixels.
class Line final : public QWidget, public WidgetControl
{
public:
    Line(QWidget *parent, const QString &name, int index = -1);
    void setPoints(QPoint from, QPoint to);
    void setBorderColor(const QColor &color);
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_from;
    QPoint m_to;
    QColor m_color = Qt::black;
};

// A menu item of the screen's menu bar, with its shortcut.
class MenuItem final : public Control
{
public:
    MenuItem(QAction *action, const QString &name, std::function<void()> onClick);
    QAction *action() const { return m_action; }
    void writeState(StateWriter &out, const QString &prefix) const override;

private:
    QAction *m_action;
};

// A screen timer, as a control of its screen.
class TimerControl final : public Control, public Timer
{
public:
    TimerControl(Clock &clock, const QString &name, int index = -1);
    void writeState(StateWriter &out, const QString &prefix) const override;
};

// The screens' sound player: a file name and the commands of SoundCommand.
class SoundPlayer final : public Control
{
public:
    SoundPlayer(SoundService &sound, const QString &owner, const QString &name, SoundRole role);
    ~SoundPlayer() override;

    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    void open() { send(SoundCommand::Open); }
    void play() { send(SoundCommand::Play); }
    void restart() { send(SoundCommand::Restart); }
    void stop() { send(SoundCommand::Stop); }
    void writeState(StateWriter &out, const QString &prefix) const override;

private:
    void send(SoundCommand command);

    SoundService &m_sound;
    int m_player;
    QString m_fileName;
};

} // namespace ks
