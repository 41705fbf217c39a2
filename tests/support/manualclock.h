#pragma once

#include "shell/clock.h"

#include <map>

namespace ks::test {

// Time moves only when the test says so; due ticks fire in time order, ties in
// the order the timers were started.
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
    quint64 m_order = 0;
    std::map<Timer *, Due> m_due;
};

} // namespace ks::test
