#include "missionrules.h"

namespace ks {

std::unique_ptr<MissionRules> MissionRules::forStage(int stage)
{
    switch (stage) {
    case 1:
        return std::make_unique<PlaneMission>();
    case 2:
        return std::make_unique<BipedMission>();
    case 3:
        return std::make_unique<BattleshipMission>();
    default:
        return std::make_unique<WalkerMission>();
    }
}

// ---------------------------------------------------------------- the plane

void PlaneFlight::setWordLength(int romajiLength)
{
    m_step = planeStep(planePassSeconds(romajiLength));
}

bool PlaneFlight::fly()
{
    if (m_x < kGone)
        return false;
    m_x -= m_step;
    return true;
}

// ---------------------------------------------------------------- mission 1

TargetCells WalkerMission::atLoad()
{
    return {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
}

TargetCell WalkerMission::hit() const
{
    return {m_down, 2};
}

TargetCells WalkerMission::restore() const
{
    if (m_between || m_down >= 5)
        return {};
    return {{m_down, 0}};
}

WordEnd WalkerMission::finishWord()
{
    m_between = true;
    return {{{m_down++, 1}}, AfterWord::TargetDown};
}

Second WalkerMission::nextSecond()
{
    if (m_left == 1)
        return {{}, AfterSecond::Won};
    m_between = false;
    --m_left;
    return {{{m_down - 1, TargetCell::kGone}}, AfterSecond::NextWord};
}

// ---------------------------------------------------------------- mission 2

TargetCells PlaneMission::atLoad()
{
    m_plane.restart();
    return {};
}

MissionRules::Start PlaneMission::start()
{
    return {BattleWord::First, {{0, 0}}};
}

TargetCell PlaneMission::hit() const
{
    return {0, 1};
}

TargetCells PlaneMission::restore() const
{
    if (m_between)
        return {};
    return {{0, 0}};
}

WordEnd PlaneMission::finishWord()
{
    m_between = true;
    return {{{0, 2}}, AfterWord::TargetDown};
}

Second PlaneMission::nextSecond()
{
    if (m_left == 1)
        return {{}, AfterSecond::Won};
    m_between = false;
    --m_left;
    m_plane.restart();
    return {{{0, 0}}, AfterSecond::NextWord};
}

// ---------------------------------------------------------------- mission 3

TargetCells BipedMission::atLoad()
{
    return {{0, 0}, {1, 0}};
}

TargetCell BipedMission::hit() const
{
    return {m_slot, m_damage + 5};
}

TargetCells BipedMission::restore() const
{
    if (m_between)
        return {};
    return {{m_slot, m_damage}};
}

WordEnd BipedMission::finishWord()
{
    m_between = true;
    return {{{m_slot, m_damage + 9}}, AfterWord::TargetDown};
}

Second BipedMission::nextSecond()
{
    if (m_left == 1)
        return {{}, AfterSecond::Won};
    m_between = false;
    --m_left;
    // The fire changes sides: the left biped stands at its next damage
    // stage, or the right one catches up with it.
    if (m_slot == 0) {
        m_slot = 1;
        return {{{0, m_damage + 1}}, AfterSecond::NextWord};
    }
    ++m_damage;
    m_slot = 0;
    return {{{1, m_damage}}, AfterSecond::NextWord};
}

// ---------------------------------------------------------------- mission 4

namespace {

constexpr int kHeadOn = 0;
constexpr int kHeadOnHit = 1;
constexpr int kFleeing = 3;
constexpr int kFleeingHit = 4;
constexpr int kExploding = 5;

} // namespace

TargetCells BattleshipMission::atLoad()
{
    return {{0, kHeadOn}};
}

MissionRules::Start BattleshipMission::start()
{
    if (m_phase != BattleshipPhase::Turned)
        return {};
    m_phase = BattleshipPhase::Fleeing;
    return {BattleWord::Final, {}};
}

TargetCell BattleshipMission::hit() const
{
    return {0, m_phase == BattleshipPhase::Fleeing ? kFleeingHit : kHeadOnHit};
}

TargetCells BattleshipMission::restore() const
{
    switch (m_phase) {
    case BattleshipPhase::HeadOn:
        return {{0, kHeadOn}};
    case BattleshipPhase::Turned:
    case BattleshipPhase::Fleeing:
        return {{0, kFleeing}};
    case BattleshipPhase::Exploding:
    case BattleshipPhase::Gone:
        break;
    }
    return {};
}

WordEnd BattleshipMission::finishWord()
{
    switch (m_phase) {
    case BattleshipPhase::HeadOn:
        // The fourteenth word turns it; the fleeing picture comes with the
        // restore after the hit.
        if (m_left == 2) {
            m_phase = BattleshipPhase::Turned;
            return {{}, AfterWord::WaitForReturn};
        }
        --m_left;
        return {{{0, kHeadOnHit}}, AfterWord::NextWordNow};
    case BattleshipPhase::Fleeing:
        m_phase = BattleshipPhase::Exploding;
        return {{{0, kExploding}}, AfterWord::Destroyed};
    case BattleshipPhase::Turned:
    case BattleshipPhase::Exploding:
    case BattleshipPhase::Gone:
        break;
    }
    return {{}, AfterWord::Destroyed};
}

Second BattleshipMission::nextSecond()
{
    // Two seconds from the explosion to the result.
    if (m_phase == BattleshipPhase::Exploding) {
        m_phase = BattleshipPhase::Gone;
        return {{}, AfterSecond::Wait};
    }
    return {{}, AfterSecond::WonWithCredits};
}

int BattleshipMission::targetsLeft() const
{
    // The numbers the state dump has always shown for each phase.
    switch (m_phase) {
    case BattleshipPhase::HeadOn:
        return m_left;
    case BattleshipPhase::Exploding:
        return -1;
    case BattleshipPhase::Turned:
    case BattleshipPhase::Fleeing:
    case BattleshipPhase::Gone:
        break;
    }
    return 0;
}

} // namespace ks
