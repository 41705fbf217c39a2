#pragma once

#include "shell/controls.h"

#include <QPoint>
#include <QRect>

namespace ks {

// The battle screen's four mission panels as the battle lays them out: where
// each has its texts and frames from the panel's top left (rectangles in
// twips, made from pixels by px; points in pixels), and its fixed texts.

// Positions inside a panel are pixels; the screen's controls take twips.
constexpr QRect px(int x, int y, int w, int h)
{
    return {x * 15, y * 15, w * 15, h * 15};
}

// Where each panel has its texts and frames, in pixels from its top left.
struct PanelLayout
{
    QPoint kao;
    QRect title;
    QRect order;
    QRect message;
    QRect bubble;
    QRect time; // empty: no time display
    int timeCaptionIndex;
    QPoint timeCaption;
    QRect bullets;
    int bulletsCaptionIndex;
    QPoint bulletsCaption;
    QRect word;
    double wordPoints;
    bool wordBold;
    Align wordAlign;
    QRect romaji;
    double romajiPoints;
    QRect frame;
};

// Mission n's panel, n from 0 to 3.
const PanelLayout &battlePanel(int mission);
// The panel's title ("ミッション１") and standing order.
const char *battleTitle(int mission);
const char *battleOrder(int mission);

} // namespace ks
