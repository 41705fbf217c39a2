// Each mission's rules on their own, without a screen: the targets'
// pictures through a battle and what each finished word leads to.
#include "core/missionrules.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

// Every word of a battle typed: finish it, then the second after it.
TEST(WalkerMission, FiveWalkersGoDownOneAWordAndTheLastWins)
{
    WalkerMission m;
    EXPECT_EQ(m.atLoad(), (TargetCells{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
    for (int walker = 0; walker < 5; ++walker) {
        EXPECT_EQ(m.targetsLeft(), 5 - walker);
        EXPECT_EQ(m.hit(), (TargetCell{walker, 2}));
        EXPECT_EQ(m.restore(), (TargetCells{{walker, 0}}));
        const WordEnd end = m.finishWord();
        EXPECT_EQ(end.cells, (TargetCells{{walker, 1}}));
        EXPECT_EQ(end.next, AfterWord::TargetDown);
        EXPECT_TRUE(m.restore().empty()) << "a walker down is never drawn standing";
        const Second second = m.nextSecond();
        if (walker < 4) {
            EXPECT_EQ(second.next, AfterSecond::NextWord);
            EXPECT_EQ(second.cells, (TargetCells{{walker, TargetCell::kGone}}));
        } else {
            EXPECT_EQ(second.next, AfterSecond::Won);
        }
    }
}

TEST(PlaneMission, TenPlanesEachRestartingFromTheRightEdge)
{
    PlaneMission m;
    EXPECT_TRUE(m.atLoad().empty());
    ASSERT_NE(m.plane(), nullptr);
    EXPECT_EQ(m.plane()->x(), PlaneFlight::kStart);
    EXPECT_EQ(m.start().cells, (TargetCells{{0, 0}}));
    for (int plane = 0; plane < 10; ++plane) {
        m.plane()->setWordLength(4); // 3 s to cross: 29 pixels a tick
        ASSERT_TRUE(m.plane()->fly());
        EXPECT_EQ(m.plane()->x(), PlaneFlight::kStart - 29);
        EXPECT_EQ(m.hit(), (TargetCell{0, 1}));
        EXPECT_EQ(m.finishWord().cells, (TargetCells{{0, 2}}));
        EXPECT_TRUE(m.restore().empty());
        const Second second = m.nextSecond();
        EXPECT_EQ(second.next, plane < 9 ? AfterSecond::NextWord : AfterSecond::Won);
        if (plane < 9) {
            EXPECT_EQ(m.plane()->x(), PlaneFlight::kStart);
        }
    }
}

// The plane flies while its right edge is on the screen and one tick more.
TEST(PlaneFlight, EscapesOnceItsRightEdgeHasLeft)
{
    PlaneFlight plane;
    plane.setWordLength(1); // 1 s: 86 pixels a tick (86.5, halves to even)
    int ticks = 0;
    while (plane.fly())
        ++ticks;
    EXPECT_EQ(ticks, 11); // 640 − 11 × 86 = −306, the first x below −225
    EXPECT_LT(plane.x(), PlaneFlight::kGone);
}

// The fire changes sides after every word; both bipeds break down together.
TEST(BipedMission, TheFireChangesSidesAndTheDamageGrows)
{
    BipedMission m;
    EXPECT_EQ(m.atLoad(), (TargetCells{{0, 0}, {1, 0}}));
    const struct
    {
        TargetCell hit;
        TargetCell down;
        TargetCells next;
    } words[] = {
        {{0, 5}, {0, 9}, {{0, 1}}},  {{1, 5}, {1, 9}, {{1, 1}}},  {{0, 6}, {0, 10}, {{0, 2}}},
        {{1, 6}, {1, 10}, {{1, 2}}}, {{0, 7}, {0, 11}, {{0, 3}}}, {{1, 7}, {1, 11}, {{1, 3}}},
        {{0, 8}, {0, 12}, {{0, 4}}},
    };
    for (const auto &w : words) {
        EXPECT_EQ(m.hit(), w.hit);
        EXPECT_EQ(m.restore(), (TargetCells{{w.hit.target, w.hit.cell - 5}}));
        EXPECT_EQ(m.finishWord().cells, (TargetCells{w.down}));
        EXPECT_TRUE(m.restore().empty());
        const Second second = m.nextSecond();
        EXPECT_EQ(second.next, AfterSecond::NextWord);
        EXPECT_EQ(second.cells, w.next);
    }
    EXPECT_EQ(m.finishWord().cells, (TargetCells{{1, 12}}));
    EXPECT_EQ(m.nextSecond().next, AfterSecond::Won);
}

// Thirteen words head-on, the fourteenth turns it, Return brings the final
// sentence, which destroys it; the result comes two seconds later.
TEST(BattleshipMission, ItsPhasesInOrder)
{
    BattleshipMission m;
    EXPECT_EQ(m.atLoad(), (TargetCells{{0, 0}}));
    EXPECT_EQ(m.start().word, BattleWord::First);
    for (int word = 0; word < 13; ++word) {
        EXPECT_EQ(m.phase(), BattleshipPhase::HeadOn);
        EXPECT_EQ(m.targetsLeft(), 15 - word);
        EXPECT_EQ(m.hit(), (TargetCell{0, 1}));
        const WordEnd end = m.finishWord();
        EXPECT_EQ(end.next, AfterWord::NextWordNow);
        EXPECT_EQ(end.cells, (TargetCells{{0, 1}}));
        EXPECT_EQ(m.restore(), (TargetCells{{0, 0}}));
    }
    const WordEnd turn = m.finishWord();
    EXPECT_EQ(turn.next, AfterWord::WaitForReturn);
    EXPECT_EQ(m.phase(), BattleshipPhase::Turned);
    EXPECT_EQ(m.targetsLeft(), 0);
    EXPECT_EQ(m.restore(), (TargetCells{{0, 3}})); // it shows its stern

    const MissionRules::Start final = m.start();
    EXPECT_EQ(final.word, BattleWord::Final);
    EXPECT_EQ(m.phase(), BattleshipPhase::Fleeing);
    EXPECT_EQ(m.hit(), (TargetCell{0, 4}));
    EXPECT_EQ(m.restore(), (TargetCells{{0, 3}}));

    const WordEnd destroyed = m.finishWord();
    EXPECT_EQ(destroyed.next, AfterWord::Destroyed);
    EXPECT_EQ(destroyed.cells, (TargetCells{{0, 5}}));
    EXPECT_TRUE(m.restore().empty()) << "the explosion is never drawn over";
    EXPECT_EQ(m.targetsLeft(), -1);
    EXPECT_EQ(m.nextSecond().next, AfterSecond::Wait);
    EXPECT_EQ(m.nextSecond().next, AfterSecond::WonWithCredits);
}

TEST(MissionRules, EachStageHasItsRules)
{
    for (int stage = 0; stage < 4; ++stage) {
        const auto rules = MissionRules::forStage(stage);
        EXPECT_EQ(rules->stage(), stage);
        EXPECT_EQ(rules->plane() != nullptr, stage == 1);
    }
}

} // namespace
} // namespace ks
