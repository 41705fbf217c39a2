#pragma once

#include "shell/clock.h"

#include <map>

namespace ks::headless {

// Time moves only when the test says so; due ticks fire in time order, and
// ticks due at the same moment in the order the timers were created (a
// screen's timers in the order it adds them).
class ManualClock final : public Clock
{
public:
    qint64 now() const override { return m_now; }

    // Moves time forward by ms, firing every tick that falls due on the way.
    void advance(qint64 ms);

protected:
    void timerChanged(Timer &timer) override;
    void timerGone(Timer &timer) override;

private:
    struct Due
    {
        qint64 at;
        quint64 order;
    };
    qint64 m_now = 0;
    quint64 m_created = 0;
    std::map<Timer *, quint64> m_order;
    std::map<Timer *, Due> m_due;
};

} // namespace ks::headless
