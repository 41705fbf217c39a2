#pragma once

#include <string_view>

namespace ks {

// The story mode's arithmetic: what a word brings when it is presented, how
// fast a plane flies, and the instructor's reading of the labels. Plain
// rules, tested without screens.

enum class BattleWord
{
    First, // presented by the Return that starts the mission
    Later, // every word after it
    Final, // mission 4's last sentence, after the battleship turns
};

struct WordSupplies
{
    int time = 0;    // seconds; not used by mission 2, where the plane is the clock
    int bullets = 0; // each judged key costs one
};

// Time and bullets for a word of romajiLength characters in mission stage
// (0 to 3). Longer words bring more of both; the first words of missions 2
// and 4 bring fewer bullets than the later ones.
WordSupplies wordSupplies(int stage, BattleWord word, int romajiLength);

// Mission 2: the seconds a plane takes to cross, Int(L × 0.6) + 1, and the
// pixels it moves per 100 ms tick to cover the 865 pixels from x = 640 to
// x = -225 in that time, 865 ÷ seconds ÷ 10 rounded to the nearest whole
// number, halves to even.
int planePassSeconds(int romajiLength);
int planeStep(int passSeconds);

// The instructor reads the labels as text, not as numbers: "0" and "1"
// bullets are few; a time label between "1" and "2" in character order is
// short, which counts "10" to "19" and "100" to "199" as short as well.
bool bulletsTextIsLow(std::string_view text);
bool timeTextIsShort(std::string_view text);

} // namespace ks
