#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

namespace ks {

// Layouts are designed in twips, 15 to the pixel.
constexpr int twips(int t)
{
    return t / 15;
}
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

// Colours are written &H00BBGGRR: blue in the high byte, red in the low one.
inline QColor bgrColor(unsigned int bbggrr)
{
    return QColor(int(bbggrr & 0xFF), int((bbggrr >> 8) & 0xFF), int((bbggrr >> 16) & 0xFF));
}
QString bgrText(const QColor &color);

// The house colours, shared by every screen: the green of the screens' texts
// and frames, and the instructor's speech bubble.
namespace HouseColour {
inline const QColor Green = bgrColor(0x0080FF80);
inline const QColor BubbleFill = bgrColor(0x00C0FFFF);
inline const QColor BubbleBorder = bgrColor(0x0080C0FF);
inline const QColor Red = bgrColor(0x000000FF);
} // namespace HouseColour

// The screens' typeface: "ＭＳ Ｐゴシック" stands in for IPA P Gothic, the
// proportional Japanese face closest to it in metrics.
inline const QString kScreenFont = QStringLiteral("ＭＳ Ｐゴシック");
void installScreenFont();
// The screens' typeface at a size in points, as every label sets it; ksdtool
// measures lines with it too.
QFont screenFont(double points, bool bold = false);

// Point sizes were chosen on a 96 dpi screen; using pixel sizes keeps the
// absolute layouts whatever dpi the desktop reports.
int pointsToPixels(double points);

} // namespace ks
