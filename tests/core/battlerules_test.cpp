#include "core/battlerules.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

struct SupplyCase
{
    int stage;
    BattleWord word;
    int length;
    int time;
    int bullets;
};

TEST(BattleRules, WhatEachWordBrings)
{
    const SupplyCase cases[] = {
        // mission 1: 10 romaji give Int(9) + 1 and Int(11.1…) + 4
        {0, BattleWord::First, 10, 10, 15},
        {0, BattleWord::Later, 10, 10, 15},
        {0, BattleWord::Later, 1, 1, 5},
        // mission 2: the plane is the clock; the first word brings one bullet
        // less than the later ones
        {1, BattleWord::First, 9, 0, 11},
        {1, BattleWord::Later, 9, 0, 12},
        // mission 3
        {2, BattleWord::First, 20, 7, 23},
        {2, BattleWord::Later, 3, 1, 4},
        // mission 4: nothing added to the first word's bullets, four to the
        // later ones, no second added to the final sentence's time
        {3, BattleWord::First, 30, 7, 33},
        {3, BattleWord::Later, 30, 7, 37},
        {3, BattleWord::Final, 30, 6, 34},
        {3, BattleWord::Final, 4, 0, 5},
    };
    for (const SupplyCase &c : cases) {
        const WordSupplies s = wordSupplies(c.stage, c.word, c.length);
        EXPECT_EQ(s.time, c.time) << c.stage << " " << c.length;
        EXPECT_EQ(s.bullets, c.bullets) << c.stage << " " << c.length;
    }
}

// 865 pixels in passSeconds: 86.5 rounds to the even 86, 43.25 to 43.
TEST(BattleRules, PlaneSpeed)
{
    EXPECT_EQ(planePassSeconds(1), 1);
    EXPECT_EQ(planeStep(1), 86);
    EXPECT_EQ(planePassSeconds(2), 2);
    EXPECT_EQ(planeStep(2), 43);
    EXPECT_EQ(planePassSeconds(20), 13);
    EXPECT_EQ(planeStep(13), 7);  // 6.65
    EXPECT_EQ(planeStep(25), 3);  // 3.46
    EXPECT_EQ(planeStep(173), 0); // 0.5 rounds to the even 0
    EXPECT_EQ(planeStep(58), 1);  // 1.49
}

// The labels are compared as text.
TEST(BattleRules, TheInstructorReadsTheLabelsAsText)
{
    for (const char *low : {"0", "1", "05"})
        EXPECT_TRUE(bulletsTextIsLow(low)) << low;
    for (const char *plenty : {"2", "10", "-1"})
        EXPECT_FALSE(bulletsTextIsLow(plenty)) << plenty;
    for (const char *shortTime : {"1", "2", "10", "15", "19", "100", "199"})
        EXPECT_TRUE(timeTextIsShort(shortTime)) << shortTime;
    for (const char *plenty : {"3", "9", "20", "0", "200", "21"})
        EXPECT_FALSE(timeTextIsShort(plenty)) << plenty;
}

} // namespace
} // namespace ks
