#include "battlepanels.h"

namespace ks {

namespace {

const PanelLayout kPanels[4] = {
    {
        .kao = {48, 16},
        .title = px(184, 16, 57, 17),
        .order = px(248, 16, 353, 17),
        .message = px(192, 88, 409, 17),
        .bubble = px(184, 80, 425, 33),
        .time = px(104, 384, 65, 41),
        .timeCaptionIndex = 0,
        .timeCaption = {56, 352},
        .bullets = px(512, 384, 65, 41),
        .bulletsCaptionIndex = 1,
        .bulletsCaption = {488, 352},
        .word = px(200, 352, 257, 33),
        .wordPoints = 21.75,
        .wordBold = false,
        .wordAlign = Align::Center,
        .romaji = px(216, 400, 225, 25),
        .romajiPoints = 15.75,
        .frame = px(176, 344, 305, 105),
    },
    {
        .kao = {48, 8},
        .title = px(200, 32, 57, 17),
        .order = px(264, 32, 353, 41),
        .message = px(208, 104, 409, 17),
        .bubble = px(200, 96, 425, 33),
        .time = {},
        .timeCaptionIndex = -1,
        .timeCaption = {},
        .bullets = px(352, 312, 65, 33),
        .bulletsCaptionIndex = 2,
        .bulletsCaption = {256, 320},
        .word = px(144, 360, 369, 49),
        .wordPoints = 14.25,
        .wordBold = true,
        .wordAlign = Align::Center,
        .romaji = px(136, 416, 385, 41),
        .romajiPoints = 15.75,
        .frame = px(128, 352, 401, 113),
    },
    {
        .kao = {32, 8},
        .title = px(192, 24, 57, 25),
        .order = px(256, 24, 353, 41),
        .message = px(200, 96, 409, 17),
        .bubble = px(192, 88, 425, 33),
        .time = px(184, 312, 65, 33),
        .timeCaptionIndex = 4,
        .timeCaption = {72, 320},
        .bullets = px(512, 312, 65, 33),
        .bulletsCaptionIndex = 3,
        .bulletsCaption = {416, 320},
        .word = px(80, 360, 497, 25),
        .wordPoints = 18,
        .wordBold = false,
        .wordAlign = Align::Center,
        .romaji = px(72, 408, 513, 25),
        .romajiPoints = 15.75,
        .frame = px(64, 352, 529, 105),
    },
    {
        .kao = {48, 8},
        .title = px(192, 16, 57, 25),
        .order = px(256, 16, 353, 33),
        .message = px(200, 88, 409, 17),
        .bubble = px(192, 80, 425, 33),
        .time = px(176, 312, 65, 33),
        .timeCaptionIndex = 5,
        .timeCaption = {64, 320},
        .bullets = px(504, 312, 65, 33),
        .bulletsCaptionIndex = 6,
        .bulletsCaption = {408, 320},
        .word = px(8, 360, 625, 49),
        .wordPoints = 18,
        .wordBold = false,
        .wordAlign = Align::Left,
        .romaji = px(8, 408, 629, 61),
        .romajiPoints = 14.25,
        .frame = px(0, 352, 641, 121),
    },
};

const char *const kTitles[4] = {"ミッション１", "ミッション２", "ミッション３", "ミッション４"};
const char *const kOrders[4] = {"地上の四足型歩行兵器を５体破壊せよ。",
                                "空中戦闘機１０機を目の前を通り過ぎる前にすべて打ち落とせ。",
                                "二足型地上歩行兵器２機を両方とも破壊せよ。",
                                "大型戦艦を打ち落とせ。"};

} // namespace

const PanelLayout &battlePanel(int mission)
{
    return kPanels[mission];
}

const char *battleTitle(int mission)
{
    return kTitles[mission];
}

const char *battleOrder(int mission)
{
    return kOrders[mission];
}

} // namespace ks
