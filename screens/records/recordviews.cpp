#include "recordviews.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ks {

namespace {

QFont screenFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A step for the axis that gives three to five grid lines: 1, 2 or 5 times
// a power of ten.
double niceStep(double span)
{
    if (span <= 0)
        return 1;
    const double rough = span / 4;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

// Where a miss rate or a median time falls on the five steps. The bounds are
// chosen so a practised player's keys are green and a key missed one time in
// five, or taking over half a second, is red.
int stepOf(KeyMeasure measure, double value)
{
    static constexpr double kMissBounds[] = {0.02, 0.05, 0.10, 0.20};
    static constexpr double kSlowBounds[] = {200, 300, 400, 550};
    const double *bounds = measure == KeyMeasure::MissRate ? kMissBounds : kSlowBounds;
    int step = 0;
    while (step < 4 && value >= bounds[step])
        ++step;
    return step;
}

QString keyLabel(char32_t c, KeyboardKind kind)
{
    if (c == U' ')
        return QStringLiteral("スペース");
    if (c >= U'a' && c <= U'z')
        return QString(QChar(static_cast<char16_t>(c - U'a' + U'A')));
    // A JIS keyboard prints the yen sign on the key that types "\\"; the
    // screens' Japanese font draws "\\" as a yen sign too, so a US key gets
    // the full-width backslash, which it draws as one.
    if (c == U'\\')
        return kind == KeyboardKind::Jis ? QStringLiteral("¥") : QStringLiteral("＼");
    return QString::fromUcs4(&c, 1);
}

} // namespace

QColor RecordColors::heat(int step)
{
    // Bolt Yellow's highlight and base, then orange, red and wine: lightness
    // L* 95, 86, 65, 45, 28, falling at every step under normal vision and
    // under simulated protanopia, deuteranopia and tritanopia alike.
    static const QColor kSteps[kHeatSteps] = {
        {0xFF, 0xF3, 0xA0}, {0xFF, 0xD2, 0x3C}, {0xEE, 0x7E, 0x3A},
        {0xC2, 0x3A, 0x3A}, {0x7A, 0x1E, 0x40},
    };
    return kSteps[std::clamp(step, 0, kHeatSteps - 1)];
}

QColor RecordColors::heatText(int step)
{
    return std::clamp(step, 0, kHeatSteps - 1) < 3 ? Ink : White;
}

ChartView::ChartView(QWidget *parent, const QString &name, int index)
    : QWidget(parent), WidgetControl(name, index, *this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::setSeries(const QString &title, const QString &unit, std::vector<double> values,
                          int bestIndex, const QColor &color, int decimals)
{
    m_title = title;
    m_unit = unit;
    m_values = std::move(values);
    m_best = bestIndex;
    m_color = color;
    m_decimals = decimals;
    update();
}

void ChartView::setEmptyText(const QString &text)
{
    m_emptyText = text;
    update();
}

void ChartView::setWindow(int firstNumber, const QString &note)
{
    m_firstNumber = std::max(firstNumber, 1);
    m_note = note;
    update();
}

void ChartView::writeState(StateWriter &out, const QString &prefix) const
{
    writeCommon(out, prefix);
    QStringList values;
    for (double v : m_values)
        values << QString::number(v, 'f', m_decimals);
    out.add(prefix + QStringLiteral(".title"), m_title);
    out.add(prefix + QStringLiteral(".values"), values.join(' '));
    out.add(prefix + QStringLiteral(".best"), QString::number(m_best));
    if (m_values.empty())
        out.add(prefix + QStringLiteral(".empty"), m_emptyText);
    if (!m_note.isEmpty())
        out.add(prefix + QStringLiteral(".note"), m_note);
}

void ChartView::paintEvent(QPaintEvent *)
{
    using namespace RecordColors;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);

    const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
    p.setPen(QPen(Grey, 1));
    p.drawRoundedRect(frame, 6, 6);
    p.setFont(screenFont(13, true));
    p.setPen(m_color);
    p.drawText(QRectF(12, 4, width() - 24, 20), Qt::AlignLeft | Qt::AlignVCenter,
               m_title + QStringLiteral("（") + m_unit + QStringLiteral("）"));
    if (!m_note.isEmpty()) {
        p.setFont(screenFont(11));
        p.setPen(SteelShade);
        p.drawText(QRectF(12, 4, width() - 24, 20), Qt::AlignRight | Qt::AlignVCenter, m_note);
    }

    const QRectF plot(52, 30, width() - 70, height() - 54);
    if (m_values.empty()) {
        p.setPen(SteelShade);
        p.setFont(screenFont(13));
        p.drawText(plot, Qt::AlignCenter, m_emptyText);
        return;
    }

    // The axis from a round number below the lowest value to one above the
    // highest, so the line never touches the frame.
    const auto [low, high] = std::minmax_element(m_values.begin(), m_values.end());
    double step = niceStep(std::max(*high - *low, std::max(1.0, *high * 0.1)));
    double bottom = std::floor(*low / step) * step;
    double top = std::ceil(*high / step) * step;
    if (top <= bottom)
        top = bottom + step;
    if (bottom < 0)
        bottom = 0;
    const auto yOf = [&](double v) {
        return plot.bottom() - (v - bottom) / (top - bottom) * plot.height();
    };
    const int count = static_cast<int>(m_values.size());
    const auto xOf = [&](int i) {
        return count == 1 ? plot.center().x() : plot.left() + plot.width() * i / (count - 1);
    };

    p.setFont(screenFont(11));
    for (double v = bottom; v <= top + step / 2; v += step) {
        const double y = yOf(v);
        p.setPen(QPen(GreyShade, 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(SteelShade);
        p.drawText(QRectF(4, y - 8, plot.left() - 10, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'f', step < 1 ? 1 : 0));
    }
    // Run numbers under the first and the last point, and a few between.
    const int labelEvery = std::max(1, count / 6);
    for (int i = 0; i < count; i += labelEvery) {
        // The last run is always numbered: one too near it would overlap.
        if (i != count - 1 && (count - 1 - i) * 2 < labelEvery)
            continue;
        p.drawText(QRectF(xOf(i) - 24, plot.bottom() + 2, 48, 16), Qt::AlignCenter,
                   QString::number(m_firstNumber + i));
    }
    if ((count - 1) % labelEvery != 0) {
        p.drawText(QRectF(xOf(count - 1) - 24, plot.bottom() + 2, 48, 16), Qt::AlignCenter,
                   QString::number(m_firstNumber + count - 1));
    }

    QPainterPath line;
    for (int i = 0; i < count; ++i) {
        const QPointF at(xOf(i), yOf(m_values[static_cast<std::size_t>(i)]));
        if (i == 0)
            line.moveTo(at);
        else
            line.lineTo(at);
    }
    p.setPen(QPen(m_color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
    p.setPen(Qt::NoPen);
    p.setBrush(m_color);
    for (int i = 0; i < count; ++i)
        p.drawEllipse(QPointF(xOf(i), yOf(m_values[static_cast<std::size_t>(i)])), 2.5, 2.5);

    if (m_best >= 0 && m_best < count) {
        const QPointF at(xOf(m_best), yOf(m_values[static_cast<std::size_t>(m_best)]));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(BoltYellow, 2));
        p.drawEllipse(at, 6, 6);
        const QString text =
            QStringLiteral("最高 ") +
            QString::number(m_values[static_cast<std::size_t>(m_best)], 'f', m_decimals);
        p.setFont(screenFont(12, true));
        const double textWidth = QFontMetricsF(p.font()).horizontalAdvance(text) + 4;
        const double x = std::clamp(at.x() - textWidth / 2, plot.left(), plot.right() - textWidth);
        const double y = at.y() - 26 < plot.top() - 24 ? at.y() + 8 : at.y() - 26;
        p.drawText(QRectF(x, y, textWidth, 18), Qt::AlignCenter, text);
    }
}

KeyboardView::KeyboardView(QWidget *parent, const QString &name, int index)
    : QWidget(parent), WidgetControl(name, index, *this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void KeyboardView::setFigures(std::vector<KeyFigures> figures)
{
    m_figures = std::move(figures);
    update();
}

void KeyboardView::setKind(KeyboardKind kind)
{
    m_kind = kind;
    update();
}

void KeyboardView::setMeasure(KeyMeasure measure)
{
    m_measure = measure;
    update();
}

std::vector<KeyboardView::KeyTally> KeyboardView::tallies() const
{
    std::vector<KeyTally> out(keyboardKeys(m_kind).size());
    for (const KeyFigures &f : m_figures) {
        const std::optional<std::size_t> key = keyOf(m_kind, f.key);
        if (!key)
            continue;
        KeyTally &t = out[*key];
        t.asked += f.asked;
        t.misses += f.misses;
        // A key's capital and its letter share the key: the one typed more
        // often speaks for its speed.
        if (f.timed > t.timed) {
            t.timed = f.timed;
            t.medianMs = f.medianMs;
        }
    }
    return out;
}

double KeyboardView::unit() const
{
    double columns = 0;
    for (const KeyCap &key : keyboardKeys(m_kind))
        columns = std::max(columns, key.place.right());
    return std::min((width() - 8) / columns, (height() - 30) / 5.0);
}

QPointF KeyboardView::origin() const
{
    double columns = 0;
    for (const KeyCap &key : keyboardKeys(m_kind))
        columns = std::max(columns, key.place.right());
    return {(width() - unit() * columns) / 2, 2};
}

QRectF KeyboardView::capRect(std::size_t key) const
{
    const KeyCap &cap = keyboardKeys(m_kind).at(key);
    const double size = unit();
    const QPointF at = origin();
    return {at.x() + cap.place.x() * size + 2, at.y() + cap.place.y() * size + 2,
            cap.place.width() * size - 4, size - 4};
}

std::vector<int> KeyboardView::steps() const
{
    std::vector<int> out;
    for (const KeyTally &t : tallies()) {
        if (m_measure == KeyMeasure::MissRate)
            out.push_back(t.asked > 0 ? stepOf(m_measure, double(t.misses) / t.asked) : -1);
        else
            out.push_back(t.timed > 0 ? stepOf(m_measure, t.medianMs) : -1);
    }
    return out;
}

void KeyboardView::writeState(StateWriter &out, const QString &prefix) const
{
    writeCommon(out, prefix);
    out.add(prefix + QStringLiteral(".layout"),
            m_kind == KeyboardKind::Jis ? QStringLiteral("JIS") : QStringLiteral("US"));
    out.add(prefix + QStringLiteral(".measure"), m_measure == KeyMeasure::MissRate
                                                     ? QStringLiteral("miss rate")
                                                     : QStringLiteral("slowness"));
    QStringList hot;
    const std::vector<KeyCap> &keys = keyboardKeys(m_kind);
    const std::vector<int> keySteps = steps();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keySteps[i] >= 0)
            hot << keyLabel(keys[i].plain, m_kind) + ':' + QString::number(keySteps[i]);
    }
    out.add(prefix + QStringLiteral(".keys"), hot.join(' '));
}

void KeyboardView::paintEvent(QPaintEvent *)
{
    using namespace RecordColors;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);

    const std::vector<KeyCap> &keys = keyboardKeys(m_kind);
    const std::vector<KeyTally> keyTallies = tallies();
    const std::vector<int> keySteps = steps();

    const QFont figureFont = screenFont(10);
    const QFontMetricsF figureMetrics(figureFont);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QRectF cap = capRect(i);
        const int step = keySteps[i];
        if (step < 0) {
            p.setPen(QPen(NoFiguresEdge, 1.5));
            p.setBrush(NoFigures);
        } else {
            p.setPen(QPen(Ink, 2));
            p.setBrush(heat(step));
        }
        p.drawRoundedRect(cap, 5, 5);
        // The letter and the figure under it are stacked line box on line
        // box, the pair centred in the key, so the two never touch at any
        // scale; the letter stands at the same height on every key.
        const QFont letterFont = screenFont(keys[i].plain == U' ' ? 12 : 16, true);
        const QFontMetricsF letterMetrics(letterFont);
        const double gap = 1;
        const double stack = letterMetrics.height() + gap + figureMetrics.height();
        const double top = cap.top() + std::max(0.0, (cap.height() - stack) / 2);
        p.setPen(step < 0 ? NoFiguresText : heatText(step));
        p.setFont(letterFont);
        p.drawText(QRectF(cap.left(), top, cap.width(), letterMetrics.height()),
                   Qt::AlignHCenter | Qt::AlignTop, keyLabel(keys[i].plain, m_kind));
        const KeyTally &t = keyTallies[i];
        QString figure;
        if (m_measure == KeyMeasure::MissRate && t.asked > 0)
            figure = QString::number(std::lround(100.0 * t.misses / t.asked)) + '%';
        else if (m_measure == KeyMeasure::Slowness && t.timed > 0)
            figure = QString::number(std::lround(t.medianMs));
        if (!figure.isEmpty()) {
            p.setFont(figureFont);
            p.drawText(QRectF(cap.left(), top + letterMetrics.height() + gap, cap.width(),
                              figureMetrics.height()),
                       Qt::AlignHCenter | Qt::AlignTop, figure);
        }
    }

    // The legend: the five steps from few to many.
    const double y = origin().y() + 5 * unit() + 6;
    p.setFont(screenFont(12));
    p.setPen(Steel);
    const QString low =
        m_measure == KeyMeasure::MissRate ? QStringLiteral("少ない") : QStringLiteral("速い");
    const QString high =
        m_measure == KeyMeasure::MissRate ? QStringLiteral("多い") : QStringLiteral("遅い");
    const double legendX = width() / 2.0 - 110;
    p.drawText(QRectF(legendX - 70, y, 64, 18), Qt::AlignRight | Qt::AlignVCenter, low);
    for (int s = 0; s < kHeatSteps; ++s) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(heat(s));
        p.drawRoundedRect(QRectF(legendX + s * 44, y + 2, 40, 14), 3, 3);
    }
    p.setPen(Steel);
    p.drawText(QRectF(legendX + 5 * 44 + 4, y, 64, 18), Qt::AlignLeft | Qt::AlignVCenter, high);
    p.setBrush(NoFigures);
    p.setPen(QPen(NoFiguresEdge, 1.5));
    p.drawRoundedRect(QRectF(width() - 118, y + 2, 24, 14), 3, 3);
    p.setPen(NoFiguresText);
    p.drawText(QRectF(width() - 90, y, 90, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("記録なし"));
}

RunTable::RunTable(QWidget *parent, const QString &name, int index)
    : QWidget(parent), WidgetControl(name, index, *this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RunTable::setColumns(QStringList headers, std::vector<int> widths)
{
    m_headers = std::move(headers);
    m_widths = std::move(widths);
    update();
}

void RunTable::setRows(int count, RowSource source)
{
    m_count = std::max(count, 0);
    m_source = std::move(source);
    m_first = 0;
    fetchShown();
}

void RunTable::setRows(std::vector<QStringList> rows)
{
    const int count = static_cast<int>(rows.size());
    setRows(count, [rows = std::move(rows)](int first, int wanted) {
        const auto from = rows.begin() + first;
        return std::vector<QStringList>(from,
                                        from + std::min<std::ptrdiff_t>(wanted, rows.end() - from));
    });
}

void RunTable::fetchShown()
{
    const int wanted = std::min(visibleRows(), m_count - m_first);
    m_shown = m_source && wanted > 0 ? m_source(m_first, wanted) : std::vector<QStringList>();
    update();
}

void RunTable::resizeEvent(QResizeEvent *)
{
    // More room shows more rows, and the last of them may be needed.
    setFirstRow(m_first);
}

namespace {
constexpr int kRowHeight = 22;
constexpr int kHeaderHeight = 26;
constexpr int kTableMargin = 6;
constexpr int kCellPadding = 3;
constexpr int kScrollMark = 6; // the scroll mark's strip at the right edge
constexpr int kTablePixels = 13;
constexpr int kSmallestPixels = 9;
} // namespace

int RunTable::totalWidth() const
{
    return kTableMargin + std::accumulate(m_widths.begin(), m_widths.end(), 0) + kScrollMark;
}

int RunTable::cellPixelSize(const QString &text, int column) const
{
    if (column < 0 || column >= static_cast<int>(m_widths.size()))
        return 0;
    // Headers are bold: measured bold, the plain rows fit all the more.
    const double room = m_widths[static_cast<std::size_t>(column)] - 2 * kCellPadding;
    for (int pixels = kTablePixels; pixels >= kSmallestPixels; --pixels) {
        if (QFontMetricsF(screenFont(pixels, true)).horizontalAdvance(text) <= room)
            return pixels;
    }
    return 0;
}

int RunTable::visibleRows() const
{
    return std::max(1, (height() - kHeaderHeight) / kRowHeight);
}

void RunTable::setFirstRow(int first)
{
    m_first = std::clamp(first, 0, std::max(0, rowCount() - visibleRows()));
    fetchShown();
}

QStringList RunTable::shownRows() const
{
    QStringList out;
    for (const QStringList &row : m_shown)
        out << row.join(QStringLiteral(" | "));
    return out;
}

void RunTable::writeState(StateWriter &out, const QString &prefix) const
{
    writeCommon(out, prefix);
    out.add(prefix + QStringLiteral(".rows"), QString::number(rowCount()));
    out.add(prefix + QStringLiteral(".first"), QString::number(m_first));
    const QStringList shown = shownRows();
    for (int i = 0; i < shown.size(); ++i)
        out.add(prefix + QStringLiteral(".row(%1)").arg(m_first + i), shown[i]);
}

void RunTable::paintEvent(QPaintEvent *)
{
    using namespace RecordColors;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);

    const auto drawRow = [&](const QStringList &cells, double y, double h, bool bold) {
        double x = kTableMargin;
        for (int c = 0; c < cells.size() && c < static_cast<int>(m_widths.size()); ++c) {
            const double w = m_widths[static_cast<std::size_t>(c)];
            const bool left = c <= 2 || c == cells.size() - 1;
            const QRectF box(x + kCellPadding, y, w - 2 * kCellPadding, h);
            const int pixels = cellPixelSize(cells[c], c);
            const QFont font = screenFont(pixels > 0 ? pixels : kSmallestPixels, bold);
            p.setFont(font);
            p.drawText(box, (left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                       pixels > 0
                           ? cells[c]
                           : QFontMetricsF(font).elidedText(cells[c], Qt::ElideRight, box.width()));
            x += w;
        }
    };

    p.setPen(BoltYellow);
    drawRow(m_headers, 0, kHeaderHeight - 2, true);
    p.setPen(QPen(SteelShade, 1));
    p.drawLine(QPointF(4, kHeaderHeight - 1), QPointF(width() - 4, kHeaderHeight - 1));

    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        const double y = kHeaderHeight + static_cast<double>(i) * kRowHeight;
        if (i % 2 == 1)
            p.fillRect(QRectF(4, y, width() - 8, kRowHeight), GreyShade);
        p.setPen(Steel);
        drawRow(m_shown[i], y, kRowHeight, false);
    }
    // Where the view lies in the whole list.
    if (rowCount() > visibleRows()) {
        const double track = height() - kHeaderHeight - 4;
        const double h = track * visibleRows() / rowCount();
        const double y = kHeaderHeight + 2 + track * m_first / rowCount();
        p.fillRect(QRectF(width() - 5, y, 3, h), SteelShade);
    }
}

} // namespace ks
