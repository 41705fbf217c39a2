// The label control: its look, and how its text is fitted to its box (the
// fitting itself is in textfit.cpp).
#include "controls.h"

#include "textfit.h"
#include "units.h"

#include <QFontMetrics>

#include <algorithm>
#include <utility>

namespace ks {

namespace {

void setPaletteColor(QWidget &widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget.palette();
    palette.setColor(role, color);
    widget.setPalette(palette);
}

} // namespace

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
        font.setPixelSize(textfit::shrunkLinePixels(m_caption, font, m_pixelSize, width()));
    // The romaji guide must fit on one line to be shown as it is; a text to
    // be read whole may take as many lines as the label holds.
    if (m_overflow != Overflow::Clip &&
        textfit::overflows(m_caption, font, room(), oneLine || m_overflow == Overflow::Guide)) {
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
    const QString shown =
        m_wrapAnywhere && !oneLine ? textfit::breakableAnywhere(m_caption) : m_caption;
    if (text() != shown)
        setText(shown);
}

// The player types from the front of the guide: whatever is cut, it is never
// the next key. On one line (already as small as it goes) the front is laid
// from the left edge; a taller label breaks it between syllables, so the
// keys of one kana are never split across lines.
void Label::showGuide(const QFont &font, bool oneLine)
{
    if (!oneLine) {
        showLines(font, textfit::syllableLines(m_caption, font, room().width));
        return;
    }
    const QFontMetrics metrics(font);
    m_elided = true;
    setWordWrap(false);
    setFont(font);
    const bool tooTall = metrics.height() > contentsRect().height();
    setAlignment(Qt::AlignLeft | (tooTall ? Qt::AlignVCenter : Qt::AlignTop));
    setText(metrics.elidedText(m_caption, Qt::ElideRight, room().width));
}

// A text to be read whole: at the largest size at which it fits, wrapped
// where Japanese may break.
void Label::showWhole(QFont font)
{
    font.setPixelSize(textfit::wholeTextPixels(m_caption, font, m_pixelSize, room()));
    showLines(font, textfit::wrappedLines(m_caption, font, room().width,
                                          QTextOption::WrapAtWordBoundaryOrAnywhere));
}

// Lines of the caption laid out by the label itself, each aligned as the
// label is.
void Label::showLines(const QFont &font, QStringList lines)
{
    lines = textfit::linesInRoom(std::move(lines), font, room(), m_elided);
    setWordWrap(false);
    setFont(font);
    const bool tooTall = QFontMetrics(font).height() > contentsRect().height();
    setAlignment(m_horizontal | (tooTall ? Qt::AlignVCenter : Qt::AlignTop));
    const QString shown = lines.join(u'\n');
    if (text() != shown)
        setText(shown);
}

textfit::Room Label::room() const
{
    return {contentsRect().width() - 2 * margin(), contentsRect().height() - 2 * margin()};
}

QStringList Label::shownLines() const
{
    QStringList lines =
        wordWrap() ? textfit::wrappedLines(text(), font(), room().width, QTextOption::WordWrap)
                   : text().split(u'\n');
    for (QString &line : lines)
        line = textfit::withoutBreakMarks(line);
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

} // namespace ks
