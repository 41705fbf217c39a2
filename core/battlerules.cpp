#include "battlerules.h"

#include <cmath>

namespace ks {

namespace {

int wholePart(double value)
{
    return static_cast<int>(std::floor(value));
}

} // namespace

WordSupplies wordSupplies(int stage, BattleWord word, int romajiLength)
{
    const double length = romajiLength;
    const int bullets = wholePart(length / 0.9);
    switch (stage) {
    case 0:
        return {wholePart(length * 0.9) + 1, bullets + 4};
    case 1:
        return {0, bullets + (word == BattleWord::First ? 1 : 2)};
    case 2:
        return {wholePart(length * 0.3) + 1, bullets + 1};
    case 3:
        switch (word) {
        case BattleWord::First:
            return {wholePart(length * 0.2) + 1, bullets};
        case BattleWord::Later:
            return {wholePart(length * 0.2) + 1, bullets + 4};
        case BattleWord::Final:
            return {wholePart(length * 0.2), bullets + 1};
        }
        break;
    default:
        break;
    }
    return {};
}

int planePassSeconds(int romajiLength)
{
    return wholePart(romajiLength * 0.6) + 1;
}

int planeStep(int passSeconds)
{
    // std::nearbyint rounds halves to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(865.0 / passSeconds / 10.0));
}

bool bulletsTextIsLow(std::string_view text)
{
    return text >= "0" && text <= "1";
}

bool timeTextIsShort(std::string_view text)
{
    return text >= "1" && text <= "2";
}

} // namespace ks
