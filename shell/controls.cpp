#include "controls.h"

#include "soundservice.h"
#include "units.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <string_view>
#include <utility>

namespace ks {

namespace {

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString rectText(const QRect &r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

QString Control::id() const
{
    return m_index < 0 ? m_name : QStringLiteral("%1(%2)").arg(m_name).arg(m_index);
}

WidgetControl::WidgetControl(QString name, int index, QWidget &widget)
    : Control(std::move(name), index), m_widget(widget)
{
    m_widget.setMouseTracking(true);
}

void WidgetControl::writeCommon(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".visible"), flag(!m_widget.isHidden()));
    out.add(prefix + QStringLiteral(".rect"), rectText(m_widget.geometry()));
}

// Handlers are copied before they run: a click may unload the screen and with
// it this control.
void WidgetControl::runClick() const
{
    if (const std::function<void()> handler = m_click)
        handler();
}

void WidgetControl::runFocusIn() const
{
    if (const std::function<void()> handler = m_focusIn)
        handler();
}

bool WidgetControl::handleMouse(QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        afterOwnMouse(event);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && m_click &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        runClick();
        return true;
    }
    return false;
}

void WidgetControl::afterOwnMouse(QEvent *event)
{
    if (event->type() != QEvent::MouseMove)
        return;
    event->accept();
    if (const std::function<void()> handler = m_mouseMove)
        handler();
}

Image::Image(QWidget *parent, const QString &name, int index)
    : QLabel(parent), WidgetControl(name, index, *this)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAttribute(Qt::WA_TranslucentBackground);
}

void Image::setPicture(const Picture &picture)
{
    m_picture = picture;
    setPixmap(picture.pixmap);
}

void Image::writeState(StateWriter &out, const QString &prefix) const
{
    writeCommon(out, prefix);
    out.add(prefix + QStringLiteral(".picture"), m_picture.name);
}

bool Image::event(QEvent *event)
{
    return handleMouse(event) || QLabel::event(event);
}

namespace {

QPixmap laidOn(const QPixmap &picture, const QColor &background)
{
    QPixmap opaque(picture.size());
    opaque.setDevicePixelRatio(picture.devicePixelRatio());
    opaque.fill(background);
    QPainter painter(&opaque);
    painter.drawPixmap(0, 0, picture);
    return opaque;
}

} // namespace

OverlayImage::OverlayImage(Image &under, const QString &name, int index)
    : Control(name, index), m_under(under)
{}

void OverlayImage::setPicture(const Picture &picture, const QColor &background)
{
    m_picture = picture;
    m_lit = laidOn(m_under.picture().pixmap, background);
    m_over = laidOn(picture.pixmap, background);
    // Opaque now: nothing behind the image needs painting when it changes.
    m_under.setAttribute(Qt::WA_TranslucentBackground, false);
    m_under.setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_under.setPixmap(m_visible ? m_over : m_lit);
}

void OverlayImage::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_under.setPixmap(visible ? m_over : m_lit);
}

void OverlayImage::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".visible"), flag(m_visible));
    out.add(prefix + QStringLiteral(".rect"), rectText(m_under.geometry()));
    out.add(prefix + QStringLiteral(".picture"), m_picture.name);
}

Panel::Panel(QWidget *parent, const QString &name, int index)
    : QWidget(parent), WidgetControl(name, index, *this)
{}

void Panel::setBackColor(const QColor &color)
{
    m_back = color;
    update();
}

void Panel::setPicture(const Picture &picture)
{
    m_picture = picture;
    update();
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_back.isValid())
        painter.fillRect(rect(), m_back);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture.pixmap);
}

void Panel::writeState(StateWriter &out, const QString &prefix) const
{
    writeCommon(out, prefix);
    out.add(prefix + QStringLiteral(".picture"), m_picture.name);
    out.add(prefix + QStringLiteral(".back"), m_back.isValid() ? bgrText(m_back) : QString());
}

bool Panel::event(QEvent *event)
{
    if (event->type() == QEvent::Wheel && m_wheelTarget)
        return QCoreApplication::sendEvent(m_wheelTarget, event);
    return handleMouse(event) || QWidget::event(event);
}

TextBox::TextBox(QWidget *parent, const QString &name, int index)
    : QLineEdit(parent), WidgetControl(name, index, *this)
{
    setFont(screenFont(9, false));
}

void TextBox::setTakesKeysOnly(bool keysOnly)
{
    m_keysOnly = keysOnly;
    // The attribute alone is not enough: QLineEdit answers the input
    // method's ImEnabled query itself, and fcitx5 and ibus both ask.
    setAttribute(Qt::WA_InputMethodEnabled, !keysOnly);
    setInputMethodHints(keysOnly ? Qt::ImhLatinOnly | Qt::ImhNoPredictiveText |
                                       Qt::ImhNoAutoUppercase | Qt::ImhPreferLowercase
                                 : Qt::ImhNone);
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (m_keysOnly && query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(query);
}

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    // An input method that composes regardless is not let in.
    if (m_keysOnly) {
        event->ignore();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TextBox::setFontPoints(double points)
{
    setFont(screenFont(points, false));
}

void TextBox::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".text"), text());
    writeCommon(out, prefix);
}

bool TextBox::event(QEvent *event)
{
    // The window's menu shortcuts come before a text box's own key bindings
    // (on X11 Ctrl+E moves to the end of the line): Ctrl+E leaves the romaji
    // editor even from inside a box.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *action : window()->findChildren<QAction *>()) {
            if (action->isEnabled() && action->shortcut() == pressed) {
                event->ignore();
                return true;
            }
        }
    }
    const bool result = QLineEdit::event(event);
    if (event->type() == QEvent::FocusIn)
        runFocusIn();
    afterOwnMouse(event);
    return result || event->type() == QEvent::MouseMove;
}

Button::Button(QWidget *parent, const QString &name, int index)
    : OwnMouseControl(parent, name, index)
{
    setFont(screenFont(9, false));
    connect(this, &QPushButton::clicked, this, [this] { runClick(); });
}

void Button::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".caption"), text());
    writeCommon(out, prefix);
}

CheckBox::CheckBox(QWidget *parent, const QString &name, int index)
    : OwnMouseControl(parent, name, index)
{
    setFont(screenFont(9, false));
    connect(this, &QCheckBox::clicked, this, [this] { runClick(); });
}

void CheckBox::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".caption"), text());
    out.add(prefix + QStringLiteral(".value"), QString::number(value()));
    writeCommon(out, prefix);
}

Frame::Frame(QWidget *parent, const QString &name, int index) : OwnMouseControl(parent, name, index)
{
    setFont(screenFont(9, false));
}

void Frame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    // An etched line: a shadow and, one pixel in, a highlight.
    const QRect box(0, top, width() - 2, height() - top - 2);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(box);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(box.translated(1, 1));
    const QString text = title();
    if (text.isEmpty())
        return;
    const QRect label(6, 0, metrics.horizontalAdvance(text) + 4, metrics.height());
    painter.fillRect(label, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(label, Qt::AlignCenter, text);
}

void Frame::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".caption"), title());
    writeCommon(out, prefix);
}

VScrollBar::VScrollBar(QWidget *parent, const QString &name, int index)
    : OwnMouseControl(parent, name, index)
{
    setOrientation(Qt::Vertical);
    // Dragging moves nothing until the thumb is released.
    setTracking(false);
    connect(this, &QScrollBar::valueChanged, this, [this] {
        if (m_emitting)
            return;
        if (const std::function<void()> handler = m_change)
            handler();
    });
}

int VScrollBar::mirrored(int value) const
{
    return m_max < m_min ? m_min + m_max - value : value;
}

void VScrollBar::setRange(int min, int max)
{
    m_min = min;
    m_max = max;
    m_emitting = true;
    QScrollBar::setRange(std::min(min, max), std::max(min, max));
    QScrollBar::setValue(mirrored(min)); // a new bar stands at its minimum
    m_emitting = false;
}

void VScrollBar::setSteps(int small, int large)
{
    setSingleStep(small);
    setPageStep(large);
}

int VScrollBar::value() const
{
    return mirrored(QScrollBar::value());
}

void VScrollBar::setValue(int value)
{
    QScrollBar::setValue(mirrored(value));
}

void VScrollBar::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".value"), QString::number(value()));
    writeCommon(out, prefix);
}

Shape::Shape(QWidget *parent, const QString &name, int index)
    : QWidget(parent), WidgetControl(name, index, *this)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setKind(ShapeKind kind)
{
    m_kind = kind;
    update();
}

void Shape::setBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void Shape::setFillColor(const QColor &color)
{
    m_fill = color;
    update();
}

void Shape::setBorderWidth(int pixels)
{
    m_width = std::max(pixels, 1);
    update();
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_kind == ShapeKind::RoundedRectangle);
    QPen pen(m_border, m_width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const qreal inset = m_width / 2.0;
    const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    painter.setBrush(m_fill.isValid() ? QBrush(m_fill) : QBrush(Qt::NoBrush));
    if (m_kind == ShapeKind::RoundedRectangle) {
        const qreal radius = std::min(box.width(), box.height()) / 6.0;
        painter.drawRoundedRect(box, radius, radius);
    } else {
        painter.drawRect(box);
    }
}

void Shape::writeState(StateWriter &out, const QString &prefix) const
{
    writeCommon(out, prefix);
    out.add(prefix + QStringLiteral(".fore"), bgrText(m_border));
    out.add(prefix + QStringLiteral(".back"), m_fill.isValid() ? bgrText(m_fill) : QString());
}

Line::Line(QWidget *parent, const QString &name, int index)
    : QWidget(parent), WidgetControl(name, index, *this)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::setPoints(QPoint from, QPoint to)
{
    m_from = from;
    m_to = to;
    setGeometry(QRect(from, to).normalized().adjusted(0, 0, 1, 1));
    update();
}

void Line::setBorderColor(const QColor &color)
{
    m_color = color;
    update();
}

void Line::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(m_color);
    painter.drawLine(m_from - pos(), m_to - pos());
}

void Line::writeState(StateWriter &out, const QString &prefix) const
{
    writeCommon(out, prefix);
    out.add(prefix + QStringLiteral(".fore"), bgrText(m_color));
}

MenuItem::MenuItem(QAction *action, const QString &name, std::function<void()> onClick)
    : Control(name, -1), m_action(action)
{
    // The handler is held by the connection, not by this item: it may
    // unload the screen, and this item with it, while it runs.
    QObject::connect(action, &QAction::triggered, action,
                     [handler = std::move(onClick)] { handler(); });
}

void MenuItem::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".caption"), m_action->text());
    out.add(prefix + QStringLiteral(".visible"), flag(m_action->isVisible()));
    if (m_action->isCheckable())
        out.add(prefix + QStringLiteral(".checked"), flag(m_action->isChecked()));
}

TimerControl::TimerControl(Clock &clock, const QString &name, int index)
    : Control(name, index), Timer(clock)
{}

void TimerControl::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".enabled"), flag(isEnabled()));
    out.add(prefix + QStringLiteral(".interval"), QString::number(interval()));
}

SoundPlayer::SoundPlayer(SoundService &sound, const QString &owner, const QString &name,
                         SoundRole role)
    : Control(name, -1), m_sound(sound), m_player(sound.createPlayer(owner + '.' + id(), role))
{}

SoundPlayer::~SoundPlayer()
{
    m_sound.destroyPlayer(m_player);
}

void SoundPlayer::send(SoundCommand command)
{
    m_sound.command(m_player, command, m_fileName);
}

void SoundPlayer::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".file"), m_fileName);
}

} // namespace ks
