#include "support/manualclock.h"

namespace ks::test {

void ManualClock::advance(qint64 ms)
{
    const qint64 target = m_now + ms;
    for (;;) {
        auto next = m_due.end();
        for (auto it = m_due.begin(); it != m_due.end(); ++it) {
            if (it->second.at > target)
                continue;
            if (next == m_due.end() || it->second.at < next->second.at ||
                (it->second.at == next->second.at && it->second.order < next->second.order))
                next = it;
        }
        if (next == m_due.end())
            break;
        Timer *timer = next->first;
        m_now = next->second.at;
        next->second = {m_now + timer->interval(), ++m_order};
        // The tick may change this timer, start others or unload the screen.
        tick(*timer);
    }
    m_now = target;
}

void ManualClock::timerChanged(Timer &timer)
{
    if (timer.isRunning())
        m_due[&timer] = {m_now + timer.interval(), ++m_order};
    else
        m_due.erase(&timer);
}

void ManualClock::timerGone(Timer &timer) { m_due.erase(&timer); }

} // namespace ks::test
