#pragma once

#include <QColor>

namespace ks::test {

// How a colour looks to a player: with normal vision, or as the three common
// colour-vision deficiencies see it, after Machado, Oliveira and Fernandes
// (2009) at full severity, applied in linear RGB.
enum class Vision
{
    Normal,
    Protanopia,
    Deuteranopia,
    Tritanopia,
};
inline constexpr Vision kVisions[] = {Vision::Normal, Vision::Protanopia, Vision::Deuteranopia,
                                      Vision::Tritanopia};
const char *visionName(Vision vision);

// CIE L*a*b* under D65 of an sRGB colour as the vision sees it.
struct Lab
{
    double L = 0;
    double a = 0;
    double b = 0;
};
Lab labAsSeen(const QColor &colour, Vision vision);

// CIE 1976 colour difference, ΔE*ab.
double deltaE76(const Lab &x, const Lab &y);

// WCAG 2 contrast ratio of two sRGB colours, 1 to 21.
double contrastRatio(const QColor &x, const QColor &y);

} // namespace ks::test
