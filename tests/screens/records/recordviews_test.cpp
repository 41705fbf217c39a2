// The records window's drawings, checked the way a player sees them: the
// weak-key colours under each common colour-vision deficiency, the contrast
// of every text on a key, and the letter and figure of each key apart.
#include "screens/records/keyboardlayout.h"
#include "screens/records/recordviews.h"
#include "support/colourvision.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <vector>

namespace ks {
namespace {

using test::Vision;

// The colours a key can have: the five steps, then a key with no figures.
std::vector<QColor> keyFills()
{
    std::vector<QColor> fills;
    for (int step = 0; step < RecordColors::kHeatSteps; ++step)
        fills.push_back(RecordColors::heat(step));
    fills.push_back(RecordColors::NoFigures);
    return fills;
}

// The steps are read in order by lightness alone, which every vision keeps:
// L* falls from each step to the next, under normal vision and simulated
// protanopia, deuteranopia and tritanopia.
TEST(HeatColours, LightnessFallsAtEveryStepForEveryVision)
{
    for (const Vision vision : test::kVisions) {
        SCOPED_TRACE(test::visionName(vision));
        for (int step = 1; step < RecordColors::kHeatSteps; ++step) {
            const double before = test::labAsSeen(RecordColors::heat(step - 1), vision).L;
            const double now = test::labAsSeen(RecordColors::heat(step), vision).L;
            EXPECT_GT(before - now, 5.0) << "step " << step;
        }
    }
}

// No two colours a key can have, a key with no figures included, come
// closer than ΔE*ab 15 under any vision (the green-to-red ramp this replaced
// came to 14 under deuteranopia, and to 4.5 between two steps' lightness).
TEST(HeatColours, EveryTwoKeyColoursStayApartForEveryVision)
{
    const std::vector<QColor> fills = keyFills();
    for (const Vision vision : test::kVisions) {
        SCOPED_TRACE(test::visionName(vision));
        for (std::size_t i = 0; i < fills.size(); ++i) {
            for (std::size_t j = i + 1; j < fills.size(); ++j) {
                const double distance = test::deltaE76(test::labAsSeen(fills[i], vision),
                                                       test::labAsSeen(fills[j], vision));
                EXPECT_GE(distance, 15.0)
                    << fills[i].name().toStdString() << " and " << fills[j].name().toStdString();
            }
        }
    }
}

// Every text on a key, letter and figure alike, stands at 4.5:1 or more
// against the key (WCAG AA for text of any size).
TEST(HeatColours, EveryTextOnAKeyMeetsContrastAA)
{
    for (int step = 0; step < RecordColors::kHeatSteps; ++step) {
        EXPECT_GE(test::contrastRatio(RecordColors::heat(step), RecordColors::heatText(step)), 4.5)
            << "step " << step;
    }
    EXPECT_GE(test::contrastRatio(RecordColors::NoFigures, RecordColors::NoFiguresText), 4.5);
}

// The rows of a key's face that hold any of its text, top to bottom, as runs
// of consecutive rows: the letter and the figure, if apart, are two.
int textBands(const QImage &image, const QRect &face, const QColor &fill)
{
    int bands = 0;
    bool inBand = false;
    for (int y = face.top(); y <= face.bottom(); ++y) {
        bool ink = false;
        for (int x = face.left(); x <= face.right() && !ink; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            ink = std::max({std::abs(pixel.red() - fill.red()),
                            std::abs(pixel.green() - fill.green()),
                            std::abs(pixel.blue() - fill.blue())}) > 48;
        }
        if (ink && !inBand)
            ++bands;
        inBand = ink;
    }
    return bands;
}

// On every key with figures, at 1× and 2×, the letter and the figure under
// it are drawn with clear rows of the key's colour between them.
TEST(KeyboardViewDrawing, TheLetterNeverTouchesTheFigureUnderIt)
{
    for (const KeyboardKind kind : {KeyboardKind::Jis, KeyboardKind::Us}) {
        KeyboardView view(nullptr, QStringLiteral("Keyboard"));
        view.resize(624, 226);
        view.setKind(kind);
        // Every key asked for, most missed at all five steps; 100 % is the
        // widest figure.
        std::vector<KeyFigures> figures;
        const std::vector<KeyCap> &keys = keyboardKeys(kind);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            static constexpr int kMisses[] = {0, 3, 7, 15, 100};
            figures.push_back({keys[i].plain, 100, kMisses[i % 5], 0, 0, 0});
        }
        view.setFigures(figures);
        const std::vector<int> steps = view.steps();
        for (const qreal ratio : {1.0, 2.0}) {
            SCOPED_TRACE(ratio);
            QImage image(view.size() * ratio, QImage::Format_ARGB32);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::black);
            view.render(&image);
            int checked = 0;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                // A sign typed on two keys of a JIS keyboard counts on the first.
                if (steps[i] < 0)
                    continue;
                ++checked;
                // Inside the outline and the rounded corners.
                const QRectF cap = view.capRect(i).adjusted(4, 4, -4, -4);
                const QRect face(QPointF(cap.topLeft() * ratio).toPoint(),
                                 QPointF(cap.bottomRight() * ratio).toPoint());
                const int bands = textBands(image, face, RecordColors::heat(steps[i]));
                const char32_t c = keys[i].plain;
                const bool onePiece =
                    (c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') || c == U' ';
                // A letter or digit is one piece of ink, the figure another;
                // a sign like ";" may be two pieces of its own.
                if (onePiece)
                    EXPECT_EQ(bands, 2) << "key " << QString::fromUcs4(&c, 1).toStdString();
                else
                    EXPECT_GE(bands, 2) << "key " << QString::fromUcs4(&c, 1).toStdString();
            }
            EXPECT_GE(checked, 45);
        }
    }
}

} // namespace
} // namespace ks
