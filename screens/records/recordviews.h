#pragma once

#include "core/records/runstats.h"
#include "keyboardlayout.h"
#include "shell/controls.h"

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

namespace ks {

// The records window's colours, from the game's palette (assets/STYLE.md).
namespace RecordColors {
inline const QColor Ink{0x16, 0x13, 0x1F};
inline const QColor StormCyan{0x26, 0xC6, 0xEA};
inline const QColor ChalkGreen{0x48, 0xC0, 0x88};
inline const QColor BoltYellow{0xFF, 0xD2, 0x3C};
inline const QColor AlarmRed{0xEC, 0x33, 0x42};
inline const QColor SteelLight{0xF5, 0xF8, 0xFD};
inline const QColor Steel{0xC9, 0xD2, 0xE4};
inline const QColor SteelShade{0x85, 0x92, 0xB0};
inline const QColor Grey{0x42, 0x45, 0x52};
inline const QColor GreyShade{0x2B, 0x2D, 0x37};
inline const QColor GuideGreen{0x80, 0xFF, 0x80};
inline const QColor White{0xFF, 0xFF, 0xFF};
// Five steps from few to many (misses, or milliseconds): from pale yellow
// through orange and red to wine, each darker than the one before, so the
// order can be read from lightness alone, whatever colours a player tells
// apart.
inline constexpr int kHeatSteps = 5;
QColor heat(int step);
// The text on a step: ink on the light ones, white on the dark.
QColor heatText(int step);
// A key with no figures is empty: black, with an outline and a light letter.
inline const QColor NoFigures{0x00, 0x00, 0x00};
inline const QColor NoFiguresEdge = SteelShade;
inline const QColor NoFiguresText = Steel;
} // namespace RecordColors

// One figure per run as a line, oldest run on the left, with the best run
// ringed and its value written beside it. Drawn with QPainter, so it is as
// sharp at twice the scale as the text.
class ChartView final : public QWidget, public WidgetControl
{
public:
    ChartView(QWidget *parent, const QString &name, int index = -1);

    // decimals: how the values are written ("123.4").
    void setSeries(const QString &title, const QString &unit, std::vector<double> values,
                   int bestIndex, const QColor &color, int decimals = 1);
    // What the chart says when it has no values.
    void setEmptyText(const QString &text);
    // The values are runs firstNumber on of a longer list: the runs are
    // numbered from there, and note is written at the top right.
    void setWindow(int firstNumber, const QString &note);
    const QString &note() const { return m_note; }
    const std::vector<double> &values() const { return m_values; }
    int bestIndex() const { return m_best; }
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_unit;
    std::vector<double> m_values;
    int m_best = -1;
    QColor m_color;
    int m_decimals = 1;
    QString m_emptyText = QStringLiteral("まだ記録がありません");
    int m_firstNumber = 1;
    QString m_note;
};

enum class KeyMeasure
{
    MissRate,
    Slowness,
};

// A keyboard whose keys are coloured by how often they were missed, or how
// long a right press of them took; keys never asked for stay grey.
class KeyboardView final : public QWidget, public WidgetControl
{
public:
    KeyboardView(QWidget *parent, const QString &name, int index = -1);

    void setFigures(std::vector<KeyFigures> figures);
    void setKind(KeyboardKind kind);
    void setMeasure(KeyMeasure measure);
    KeyboardKind kind() const { return m_kind; }
    KeyMeasure measure() const { return m_measure; }
    // The heat step of each key (-1: no figures), in the order of keyboardKeys.
    std::vector<int> steps() const;
    // Where a key's cap is drawn, in the order of keyboardKeys.
    QRectF capRect(std::size_t key) const;
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct KeyTally
    {
        int asked = 0;
        int misses = 0;
        int timed = 0;
        double medianMs = 0;
    };
    std::vector<KeyTally> tallies() const;
    // The size of one key, and where the keyboard's top left corner lies.
    double unit() const;
    QPointF origin() const;

    std::vector<KeyFigures> m_figures;
    KeyboardKind m_kind = KeyboardKind::Us;
    KeyMeasure m_measure = KeyMeasure::MissRate;
};

// Rows of text under a header row, columns at fixed widths; the first
// column left-aligned, the others right-aligned except the last.
class RunTable final : public QWidget, public WidgetControl
{
public:
    RunTable(QWidget *parent, const QString &name, int index = -1);

    // The rows from first on, as many as asked for (fewer at the end).
    using RowSource = std::function<std::vector<QStringList>(int first, int count)>;

    void setColumns(QStringList headers, std::vector<int> widths);
    // count rows in all, read from source only as they come into view: a
    // list of tens of thousands costs no more than a page of it.
    void setRows(int count, RowSource source);
    void setRows(std::vector<QStringList> rows);
    void setFirstRow(int first);
    int firstRow() const { return m_first; }
    int rowCount() const { return m_count; }
    int visibleRows() const;
    // The rows in view, columns joined with " | ".
    QStringList shownRows() const;
    // The pixel size a cell's text is drawn at: the table's own, or smaller
    // where the text would not fit its column whole. 0 when even the
    // smallest size cannot hold it, and the text is cut with an ellipsis.
    int cellPixelSize(const QString &text, int column) const;
    int totalWidth() const;
    void writeState(StateWriter &out, const QString &prefix) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fetchShown();

    QStringList m_headers;
    std::vector<int> m_widths;
    RowSource m_source;
    int m_count = 0;
    std::vector<QStringList> m_shown; // the rows in view, from m_first on
    int m_first = 0;
};

} // namespace ks
