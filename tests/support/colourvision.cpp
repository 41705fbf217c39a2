#include "colourvision.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ks::test {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// Machado, Oliveira and Fernandes, "A Physiologically-based Model for
// Simulation of Color Vision Deficiency" (2009), severity 1.0.
const Matrix &simulation(Vision vision)
{
    static const Matrix identity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    static const Matrix protanopia = {{{0.152286, 1.052583, -0.204868},
                                       {0.114503, 0.786281, 0.099216},
                                       {-0.003882, -0.048116, 1.051998}}};
    static const Matrix deuteranopia = {{{0.367322, 0.860646, -0.227968},
                                         {0.280085, 0.672501, 0.047413},
                                         {-0.011820, 0.042940, 0.968881}}};
    static const Matrix tritanopia = {{{1.255528, -0.076749, -0.178779},
                                       {-0.078411, 0.930809, 0.147602},
                                       {0.004733, 0.691367, 0.303900}}};
    switch (vision) {
    case Vision::Protanopia:
        return protanopia;
    case Vision::Deuteranopia:
        return deuteranopia;
    case Vision::Tritanopia:
        return tritanopia;
    case Vision::Normal:
        break;
    }
    return identity;
}

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

std::array<double, 3> linearRgb(const QColor &colour)
{
    return {linear(colour.redF()), linear(colour.greenF()), linear(colour.blueF())};
}

double luminance(const std::array<double, 3> &rgb)
{
    return 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
}

} // namespace

const char *visionName(Vision vision)
{
    switch (vision) {
    case Vision::Protanopia:
        return "protanopia";
    case Vision::Deuteranopia:
        return "deuteranopia";
    case Vision::Tritanopia:
        return "tritanopia";
    case Vision::Normal:
        break;
    }
    return "normal vision";
}

Lab labAsSeen(const QColor &colour, Vision vision)
{
    const std::array<double, 3> rgb = linearRgb(colour);
    const Matrix &m = simulation(vision);
    std::array<double, 3> seen{};
    for (std::size_t i = 0; i < 3; ++i)
        seen[i] = std::clamp(m[i][0] * rgb[0] + m[i][1] * rgb[1] + m[i][2] * rgb[2], 0.0, 1.0);
    const double x = 0.4124 * seen[0] + 0.3576 * seen[1] + 0.1805 * seen[2];
    const double y = luminance(seen);
    const double z = 0.0193 * seen[0] + 0.1192 * seen[1] + 0.9505 * seen[2];
    const auto f = [](double t) {
        constexpr double delta = 6.0 / 29.0;
        return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29.0;
    };
    const double fx = f(x / 0.95047);
    const double fy = f(y);
    const double fz = f(z / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double deltaE76(const Lab &x, const Lab &y)
{
    return std::hypot(x.L - y.L, x.a - y.a, x.b - y.b);
}

double contrastRatio(const QColor &x, const QColor &y)
{
    const double a = luminance(linearRgb(x));
    const double b = luminance(linearRgb(y));
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace ks::test
