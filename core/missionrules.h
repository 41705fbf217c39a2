#pragma once

#include "battlerules.h"

#include <memory>
#include <vector>

namespace ks {

// A change to one of the mission's targets: which target (its index among
// the mission's own: the five walkers, the plane, the two bipeds, the
// battleship) and the cell of the mission's sheet it now shows; kGone takes
// the target off the field.
struct TargetCell
{
    static constexpr int kGone = -1;
    int target = 0;
    int cell = 0;
    bool operator==(const TargetCell &) const = default;
};
using TargetCells = std::vector<TargetCell>;

// What follows a word typed to its end.
enum class AfterWord
{
    TargetDown,    // a target went down: a second later the next word, or the win
    NextWordNow,   // the battleship takes the hit and the next word comes at once
    WaitForReturn, // the battleship turns to flee: Return brings the final sentence
    Destroyed,     // the battleship explodes: the result follows
};

// What a second after a target went down brings.
enum class AfterSecond
{
    NextWord,       // the next word, with the targets' pictures changed
    Won,            // the mission is won: its result
    WonWithCredits, // the story is won: the result, then the credits
    Wait,           // nothing yet
};

struct WordEnd
{
    TargetCells cells;
    AfterWord next = AfterWord::TargetDown;
};

struct Second
{
    TargetCells cells;
    AfterSecond next = AfterSecond::NextWord;
};

// Mission 2's plane: it starts just beyond the right edge and has escaped
// once its right edge has left the screen, 640 to -225, 865 pixels, at a
// speed each word sets from its length.
class PlaneFlight
{
public:
    static constexpr int kStart = 640;
    static constexpr int kGone = -225;
    static constexpr int kSlowFrom = 80; // a word finished left of here was slow

    int x() const { return m_x; }
    void restart() { m_x = kStart; }
    void setWordLength(int romajiLength);
    // One 100 ms tick: false once the plane has escaped.
    bool fly();

private:
    int m_x = kStart;
    int m_step = 0;
};

// Mission 4's battleship goes through these phases, in order.
enum class BattleshipPhase
{
    HeadOn,    // words come one after another
    Turned,    // turned to flee: waits for Return
    Fleeing,   // the final sentence is typed at it
    Exploding, // destroyed; the result comes in two seconds
    Gone,      // the result is due
};

// One mission's rules: its targets and their pictures through a battle, and
// what each finished word leads to. The battle screen asks and shows; the
// rules keep the count. One object per battle, made when it loads.
class MissionRules
{
public:
    // stage 0 to 3, missions 1 to 4.
    static std::unique_ptr<MissionRules> forStage(int stage);
    virtual ~MissionRules() = default;

    int stage() const { return m_stage; }

    // The targets as the battle loads.
    virtual TargetCells atLoad() = 0;
    // Return starts the typing: the word it presents is the first, or after
    // the battleship turned the final sentence; and the targets' pictures.
    struct Start
    {
        BattleWord word = BattleWord::First;
        TargetCells cells;
    };
    virtual Start start() { return {}; }

    // A correct key's flash, and the picture 50 ms later; none once the
    // word is done, so a finished target is never drawn whole again.
    virtual TargetCell hit() const = 0;
    virtual TargetCells restore() const = 0;

    virtual WordEnd finishWord() = 0;
    // A second after a target went down.
    virtual Second nextSecond() = 0;

    // The count the state dump has always shown as targetsLeft.
    virtual int targetsLeft() const = 0;

    // Mission 2's plane, which is its clock; none elsewhere.
    virtual PlaneFlight *plane() { return nullptr; }

protected:
    explicit MissionRules(int stage) : m_stage(stage) {}

private:
    int m_stage;
};

// Mission 1: five walkers, one word each (cells: 0 standing, 1 down, 2 hit).
class WalkerMission final : public MissionRules
{
public:
    WalkerMission() : MissionRules(0) {}
    TargetCells atLoad() override;
    TargetCell hit() const override;
    TargetCells restore() const override;
    WordEnd finishWord() override;
    Second nextSecond() override;
    int targetsLeft() const override { return m_left; }

private:
    int m_left = 5;
    int m_down = 0; // walkers down so far; the next word is at this one
    bool m_between = false;
};

// Mission 2: ten planes crossing the screen, one word each (cells: 0 flying,
// 1 hit, 2 down).
class PlaneMission final : public MissionRules
{
public:
    PlaneMission() : MissionRules(1) {}
    TargetCells atLoad() override;
    Start start() override;
    TargetCell hit() const override;
    TargetCells restore() const override;
    WordEnd finishWord() override;
    Second nextSecond() override;
    int targetsLeft() const override { return m_left; }
    PlaneFlight *plane() override { return &m_plane; }

private:
    int m_left = 10;
    bool m_between = false;
    PlaneFlight m_plane;
};

// Mission 3: two bipeds that take eight words between them, the fire
// changing sides after each (cells: damage stage s standing, s + 5 hit,
// s + 9 down).
class BipedMission final : public MissionRules
{
public:
    BipedMission() : MissionRules(2) {}
    TargetCells atLoad() override;
    TargetCell hit() const override;
    TargetCells restore() const override;
    WordEnd finishWord() override;
    Second nextSecond() override;
    int targetsLeft() const override { return m_left; }

private:
    int m_left = 8;
    int m_damage = 0; // the damage stage both have reached
    int m_slot = 0;   // the biped under fire
    bool m_between = false;
};

// Mission 4: thirteen words keep the battleship head-on, the fourteenth
// turns it to flee, and after a Return the final sentence destroys it
// (cells: 0 head-on, 1 head-on hit, 3 fleeing, 4 fleeing hit, 5 exploding).
class BattleshipMission final : public MissionRules
{
public:
    BattleshipMission() : MissionRules(3) {}
    TargetCells atLoad() override;
    Start start() override;
    TargetCell hit() const override;
    TargetCells restore() const override;
    WordEnd finishWord() override;
    Second nextSecond() override;
    int targetsLeft() const override;
    BattleshipPhase phase() const { return m_phase; }

private:
    int m_left = 15;
    BattleshipPhase m_phase = BattleshipPhase::HeadOn;
};

} // namespace ks
