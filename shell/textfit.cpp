#include "textfit.h"

#include "core/romajibreaks.h"

#include <QFontMetrics>
#include <QTextLayout>

#include <algorithm>
#include <string_view>
#include <utility>

namespace ks::textfit {

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

QStringList syllableLines(const QString &text, const QFont &font, int width)
{
    const QFontMetrics metrics(font);
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

QString breakableAnywhere(const QString &text)
{
    QString shown;
    for (QChar c : text) {
        if (!shown.isEmpty() && !c.isLowSurrogate())
            shown += kBreakMark;
        shown += c;
    }
    return shown;
}

QString withoutBreakMarks(QString text)
{
    return text.remove(kBreakMark);
}

int linesThatFit(const QFont &font, int height)
{
    return std::max(1, height / QFontMetrics(font).lineSpacing());
}

// The width scales with the size, so one measurement says how far, and one
// more makes sure of it after rounding.
int shrunkLinePixels(const QString &text, QFont font, int pixels, int width)
{
    const int wide = QFontMetrics(font).horizontalAdvance(text);
    if (wide <= width || wide <= 0)
        return pixels;
    const int smallest = pixels * 2 / 3 + 1;
    const auto fits = [&](int size) {
        font.setPixelSize(size);
        return QFontMetrics(font).horizontalAdvance(text) <= width;
    };
    int size = std::clamp(pixels * width / wide, smallest, pixels - 1);
    if (fits(size)) {
        while (size + 1 < pixels && fits(size + 1))
            ++size;
    } else {
        while (size > smallest && !fits(size - 1))
            --size;
        size = std::max(size - 1, smallest);
    }
    return size;
}

bool overflows(const QString &text, const QFont &font, Room room, bool oneLine)
{
    const QFontMetrics metrics(font);
    if (oneLine)
        return metrics.horizontalAdvance(text) > room.width;
    const QStringList lines = wrappedLines(text, font, room.width, QTextOption::WordWrap);
    return lines.size() > linesThatFit(font, room.height) ||
           std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
               return metrics.horizontalAdvance(line.trimmed()) > room.width;
           });
}

// A title too long for its one line takes two at a larger size than one
// line would allow, when the label is tall enough for them.
int wholeTextPixels(const QString &text, QFont font, int pixels, Room room)
{
    const auto fitsAt = [&](int size) {
        font.setPixelSize(size);
        const QStringList lines =
            wrappedLines(text, font, room.width, QTextOption::WrapAtWordBoundaryOrAnywhere);
        const QFontMetrics metrics(font);
        return lines.size() <= linesThatFit(font, room.height) &&
               std::all_of(lines.begin(), lines.end(), [&](const QString &line) {
                   return metrics.horizontalAdvance(line.trimmed()) <= room.width;
               });
    };
    int low = std::min(kSmallestWholePixels, pixels);
    int high = pixels;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (fitsAt(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

QStringList linesInRoom(QStringList lines, const QFont &font, Room room, bool &elided)
{
    const int held = linesThatFit(font, room.height);
    if (lines.size() > held) {
        const QString rest = lines.mid(held - 1).join(QString());
        lines = lines.mid(0, held - 1);
        lines << QFontMetrics(font).elidedText(rest, Qt::ElideRight, room.width);
        elided = true;
    }
    for (QString &line : lines) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    }
    return lines;
}

} // namespace ks::textfit
