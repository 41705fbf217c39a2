#include "controls.h"

#include "core/romajibreaks.h"
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
#include <QTextLayout>

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

void setPaletteColor(QWidget &widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget.palette();
    palette.setColor(role, color);
    widget.setPalette(palette);
}

// Lets a line break where it stands, and shows nothing.
constexpr QChar kBreakMark(0x200B);

// Below this a text to be read whole is no longer shrunk, but cut.
constexpr int kSmallestWholePixels = 8;

// The text in lines as Qt breaks it at width in font, as a label's painter
// does.
QStringList wrappedLines(const QString &text, const QFont &font, int width,
                         QTextOption::WrapMode mode)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(mode);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

// A romaji line filled into lines of width, broken only between syllables;
// a syllable wider than a whole line (a long run of consonants) is broken
// anywhere rather than cut off.
QStringList syllableLines(const QString &text, const QFontMetrics &metrics, int width)
{
    const QByteArray utf8 = text.toUtf8();
    QStringList pieces;
    qsizetype from = 0;
    for (const std::size_t at : romajiLineBreaks(
             std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())))) {
        const auto end = static_cast<qsizetype>(at);
        pieces << QString::fromUtf8(utf8.mid(from, end - from));
        from = end;
    }
    pieces << QString::fromUtf8(utf8.mid(from));

    const auto fits = [&](const QString &line) { return metrics.horizontalAdvance(line) <= width; };
    QStringList lines;
    QString line;
    for (const QString &piece : pieces) {
        if (fits(line + piece)) {
            line += piece;
            continue;
        }
        if (!line.isEmpty())
            lines << std::exchange(line, QString());
        if (fits(piece)) {
            line = piece;
            continue;
        }
        for (qsizetype i = 0; i < piece.size(); ++i) {
            const qsizetype length = piece[i].isHighSurrogate() && i + 1 < piece.size() ? 2 : 1;
            const QString character = piece.mid(i, length);
            i += length - 1;
            if (!line.isEmpty() && !fits(line + character))
                lines << std::exchange(line, QString());
            line += character;
        }
    }
    lines << line;
    return lines;
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

Label::Label(QWidget *parent, const QString &name, int index)
    : QLabel(parent), WidgetControl(name, index, *this)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pixelSize = pointsToPixels(9);
    setForeColor(m_fore);
    setBackColor(m_back);
}

void Label::setForeColor(const QColor &color)
{
    m_fore = color;
    setPaletteColor(*this, QPalette::WindowText, color);
}

void Label::setBackColor(const QColor &color)
{
    m_back = color;
    setPaletteColor(*this, QPalette::Window, color);
    setAutoFillBackground(!m_transparent);
}

void Label::setTransparent(bool transparent)
{
    m_transparent = transparent;
    setAutoFillBackground(!transparent);
}

void Label::setTextAlign(Align align)
{
    m_horizontal = align == Align::Left     ? Qt::AlignLeft
                   : align == Align::Center ? Qt::AlignHCenter
                                            : Qt::AlignRight;
    setAlignment(m_horizontal | Qt::AlignTop);
    m_fitted = {};
    fitText();
}

void Label::setFontPoints(double points, bool bold)
{
    m_pixelSize = pointsToPixels(points);
    m_bold = bold;
    fitText();
}

void Label::setItalic(bool italic)
{
    m_italic = italic;
    fitText();
}

void Label::setBorder(bool border)
{
    setFrameStyle(border ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    // A framed label would indent its text by half an "x", from the top as
    // well: the box is tight around its text, as designed.
    setIndent(border ? 2 : -1);
}

void Label::setWrapAnywhere(bool anywhere)
{
    m_wrapAnywhere = anywhere;
    fitText();
}

void Label::setOverflow(Overflow overflow)
{
    m_overflow = overflow;
    fitText();
}

void Label::setCaption(const QString &caption)
{
    m_caption = caption;
    fitText();
}

void Label::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    fitText();
}

// The layouts were drawn for ＭＳ Ｐゴシック, whose Latin letters are narrower
// than those of the IPA face standing in for it. A label one line high whose
// text would not fit keeps to one line and gives up a little size, rather
// than wrapping out of sight or losing letters at its edge.
void Label::finishSetUp()
{
    m_settingUp = false;
    fitText();
}

void Label::fitText()
{
    if (m_settingUp)
        return;
    const Fit fit{m_caption, size(), m_pixelSize, m_bold, m_italic, m_wrapAnywhere, m_overflow};
    if (fit == m_fitted)
        return;
    m_fitted = fit;
    m_elided = false;
    QFont font = screenFont(0, m_bold);
    font.setItalic(m_italic);
    font.setPixelSize(m_pixelSize);
    const bool oneLine = height() < 2 * QFontMetrics(font).lineSpacing();
    if (oneLine)
        shrinkLine(font);
    if (m_overflow != Overflow::Clip && overflows(font, oneLine)) {
        if (m_overflow == Overflow::Guide)
            showGuide(font, oneLine);
        else
            showWhole(font);
        return;
    }
    setWordWrap(!oneLine);
    setFont(font);
    // A line taller than its box keeps its middle in view rather than its
    // top: the digits of a tight code box stay whole.
    const bool tooTall = oneLine && QFontMetrics(font).height() > contentsRect().height();
    setAlignment(m_horizontal | (tooTall ? Qt::AlignVCenter : Qt::AlignTop));
    QString shown = m_caption;
    if (m_wrapAnywhere && !oneLine) {
        // A zero-width space between characters lets the line break anywhere.
        shown.clear();
        for (QChar c : m_caption) {
            if (!shown.isEmpty() && !c.isLowSurrogate())
                shown += kBreakMark;
            shown += c;
        }
    }
    if (text() != shown)
        setText(shown);
}

// A line a little too long shrinks to fit, down to two thirds of its size:
// the width scales with the size, so one measurement says how far, and one
// more makes sure of it after rounding.
void Label::shrinkLine(QFont &font) const
{
    const int wide = QFontMetrics(font).horizontalAdvance(m_caption);
    if (wide <= width() || wide <= 0)
        return;
    const int smallest = m_pixelSize * 2 / 3 + 1;
    const auto fits = [&](int size) {
        font.setPixelSize(size);
        return QFontMetrics(font).horizontalAdvance(m_caption) <= width();
    };
    int size = std::clamp(m_pixelSize * width() / wide, smallest, m_pixelSize - 1);
    if (fits(size)) {
        while (size + 1 < m_pixelSize && fits(size + 1))
            ++size;
    } else {
        while (size > smallest && !fits(size - 1))
            --size;
        size = std::max(size - 1, smallest);
    }
    font.setPixelSize(size);
}

// Whether the caption, as the label would show it in font, leaves the label.
// The romaji guide must fit on one line to be shown as it is; a text to be
// read whole may take as many lines as the label holds.
bool Label::overflows(const QFont &font, bool oneLine) const
{
    const QFontMetrics metrics(font);
    if (oneLine || m_overflow == Overflow::Guide)
        return metrics.horizontalAdvance(m_caption) > width();
    const QStringList lines = wrappedLines(m_caption, font, textWidth(), QTextOption::WordWrap);
    return lines.size() > linesThatFit(font) ||
           std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
               return metrics.horizontalAdvance(line.trimmed()) > textWidth();
           });
}

// The player types from the front of the guide: whatever is cut, it is never
// the next key. On one line (already as small as it goes) the front is laid
// from the left edge; a taller label breaks it between syllables, so the
// keys of one kana are never split across lines.
void Label::showGuide(const QFont &font, bool oneLine)
{
    const QFontMetrics metrics(font);
    if (!oneLine) {
        showLines(font, syllableLines(m_caption, metrics, textWidth()));
        return;
    }
    m_elided = true;
    setWordWrap(false);
    setFont(font);
    const bool tooTall = metrics.height() > contentsRect().height();
    setAlignment(Qt::AlignLeft | (tooTall ? Qt::AlignVCenter : Qt::AlignTop));
    setText(metrics.elidedText(m_caption, Qt::ElideRight, textWidth()));
}

// The largest size at which the text, wrapped where Japanese may break, fits
// the label's width and the lines it holds: a title too long for its one line
// takes two at a larger size than one line would allow, when the label is
// tall enough for them.
void Label::showWhole(QFont font)
{
    const int width = textWidth();
    const auto linesAt = [&](int size) {
        font.setPixelSize(size);
        return wrappedLines(m_caption, font, width, QTextOption::WrapAtWordBoundaryOrAnywhere);
    };
    const auto fitsAt = [&](int size) {
        const QStringList lines = linesAt(size);
        const QFontMetrics metrics(font);
        return lines.size() <= linesThatFit(font) &&
               std::all_of(lines.begin(), lines.end(), [&](const QString &line) {
                   return metrics.horizontalAdvance(line.trimmed()) <= width;
               });
    };
    int low = std::min(kSmallestWholePixels, m_pixelSize);
    int high = m_pixelSize;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (fitsAt(middle))
            low = middle;
        else
            high = middle - 1;
    }
    const QStringList lines = linesAt(low);
    showLines(font, lines);
}

// Lines of the caption laid out by the label itself: each line aligned as
// the label is, and, should there be more than the label holds, the last
// one it holds cut with an ellipsis.
void Label::showLines(const QFont &font, QStringList lines)
{
    const QFontMetrics metrics(font);
    const int room = linesThatFit(font);
    if (lines.size() > room) {
        const QString rest = lines.mid(room - 1).join(QString());
        lines = lines.mid(0, room - 1);
        lines << metrics.elidedText(rest, Qt::ElideRight, textWidth());
        m_elided = true;
    }
    for (QString &line : lines) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    }
    setWordWrap(false);
    setFont(font);
    const bool tooTall = metrics.height() > contentsRect().height();
    setAlignment(m_horizontal | (tooTall ? Qt::AlignVCenter : Qt::AlignTop));
    const QString shown = lines.join(u'\n');
    if (text() != shown)
        setText(shown);
}

int Label::textWidth() const
{
    return contentsRect().width() - 2 * margin();
}

// At least one: a line taller than its box still shows, by its middle.
int Label::linesThatFit(const QFont &font) const
{
    const int height = contentsRect().height() - 2 * margin();
    return std::max(1, height / QFontMetrics(font).lineSpacing());
}

QStringList Label::shownLines() const
{
    QStringList lines = wordWrap()
                            ? wrappedLines(text(), font(), textWidth(), QTextOption::WordWrap)
                            : text().split(u'\n');
    for (QString &line : lines)
        line.remove(kBreakMark);
    return lines;
}

void Label::writeState(StateWriter &out, const QString &prefix) const
{
    out.add(prefix + QStringLiteral(".caption"), caption());
    if (m_elided)
        out.add(prefix + QStringLiteral(".elided"), QStringLiteral("1"));
    writeCommon(out, prefix);
    out.add(prefix + QStringLiteral(".fore"), bgrText(m_fore));
    out.add(prefix + QStringLiteral(".back"), m_transparent ? QString() : bgrText(m_back));
}

bool Label::event(QEvent *event)
{
    return handleMouse(event) || QLabel::event(event);
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

SoundPlayer::SoundPlayer(SoundService &sound, const QString &owner, const QString &name, int index)
    : Control(name, index), m_sound(sound), m_player(sound.createPlayer(owner + '.' + id()))
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
