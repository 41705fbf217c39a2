#include "units.h"

#include <QFont>

#include <algorithm>
#include <cmath>

namespace ks {

QString bgrText(const QColor &color)
{
    const unsigned int value = (static_cast<unsigned>(color.blue()) << 16) |
                               (static_cast<unsigned>(color.green()) << 8) |
                               static_cast<unsigned>(color.red());
    return QStringLiteral("&H%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

void installScreenFont()
{
    QFont::insertSubstitutions(kScreenFont,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")});
}

QFont screenFont(double points, bool bold)
{
    QFont font(kScreenFont);
    font.setPixelSize(std::max(pointsToPixels(points), 1));
    font.setBold(bold);
    return font;
}

int pointsToPixels(double points)
{
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

} // namespace ks
