#include "manualclock.h"

namespace ks::headless {

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
        next->second.at = m_now + timer->interval();
        // The tick may change this timer, start others or unload the screen.
        tick(*timer);
    }
    m_now = target;
}

void ManualClock::timerChanged(Timer &timer)
{
    const quint64 order = m_order.emplace(&timer, ++m_created).first->second;
    if (timer.isRunning())
        m_due[&timer] = {m_now + timer.interval(), order};
    else
        m_due.erase(&timer);
}

void ManualClock::timerGone(Timer &timer)
{
    m_due.erase(&timer);
    m_order.erase(&timer);
}

} // namespace ks::headless
