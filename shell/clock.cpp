#include "clock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <map>
#include <memory>

namespace ks {

void Clock::tick(Timer &timer)
{
    if (!timer.isRunning() || !timer.onTick)
        return;
    // A tick may unload the screen that owns the timer: the handler must
    // outlive the timer it came from.
    const std::function<void()> handler = timer.onTick;
    handler();
}

Timer::Timer(Clock &clock) : m_clock(clock) {}

Timer::~Timer()
{
    m_clock.timerGone(*this);
}

void Timer::setInterval(int ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    m_clock.timerChanged(*this);
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    m_clock.timerChanged(*this);
}

struct RealClock::Private
{
    QElapsedTimer elapsed;
    std::map<Timer *, std::unique_ptr<QTimer>> timers;
};

RealClock::RealClock() : d(std::make_unique<Private>())
{
    d->elapsed.start();
}

RealClock::~RealClock() = default;

qint64 RealClock::now() const
{
    return d->elapsed.elapsed();
}

void RealClock::timerChanged(Timer &timer)
{
    std::unique_ptr<QTimer> &qtimer = d->timers[&timer];
    if (!qtimer) {
        qtimer = std::make_unique<QTimer>();
        qtimer->setTimerType(Qt::PreciseTimer);
        Timer *target = &timer;
        QObject::connect(qtimer.get(), &QTimer::timeout, this, [target] { tick(*target); });
    }
    if (timer.isRunning())
        qtimer->start(timer.interval());
    else
        qtimer->stop();
}

void RealClock::timerGone(Timer &timer)
{
    const auto found = d->timers.find(&timer);
    if (found == d->timers.end())
        return;
    // A tick may unload its own screen: the QTimer emitting it is still on the
    // stack, so it goes later.
    found->second->stop();
    found->second.release()->deleteLater();
    d->timers.erase(found);
}

std::int64_t SystemWallClock::nowMs() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace ks
