#pragma once

#include "headless/fixedservices.h"
#include "headless/manualclock.h"
#include "headless/recordingsound.h"
#include "headless/scripteddialogs.h"
#include "shell/random.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>

namespace ks::test {

// Draws come from a script; past its end, 0.
class ScriptedRandom final : public RandomSource
{
public:
    void script(std::initializer_list<double> draws) { m_draws.insert(m_draws.end(), draws); }
    double next() override;
    void seedFromClock() override { ++m_seeds; }
    int seeds() const { return m_seeds; }

private:
    std::deque<double> m_draws;
    int m_seeds = 0;
};

// What the scenario runner shares with the tests: the manual clock, the
// scripted dialogs, the recording sound service and the fixed wall clock and
// keyboard, in the tests' own namespace.
using headless::FixedKeyboardSettings;
using headless::FixedWallClock;
using headless::ManualClock;
using headless::RecordingSoundService;
using headless::ScriptedDialogs;

} // namespace ks::test
