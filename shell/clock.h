#pragma once

#include <QObject>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <memory>

namespace ks {

class Timer;

// Where every screen timer gets its ticks from. The game runs on a real clock;
// tests and the scenario runner move a manual one by hand, so timing is exact
// and nothing waits for real time.
class Clock
{
public:
    virtual ~Clock() = default;

    // Milliseconds since the clock started.
    virtual qint64 now() const = 0;

protected:
    friend class Timer;
    // The timer was enabled, disabled or given a new interval: it restarts,
    // so its next tick is one interval from now (or it stops).
    virtual void timerChanged(Timer &timer) = 0;
    virtual void timerGone(Timer &timer) = 0;
    static void tick(Timer &timer);
};

// A screen timer: ticks every interval milliseconds while enabled. An interval
// of 0 or less never ticks, whatever enabled says.
class Timer
{
public:
    explicit Timer(Clock &clock);
    ~Timer();
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    int interval() const { return m_interval; }
    // A new interval applies from the next tick: setting it restarts the count.
    void setInterval(int ms);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool isRunning() const { return m_enabled && m_interval > 0; }

    std::function<void()> onTick;

private:
    friend class Clock;
    Clock &m_clock;
    int m_interval = 0;
    bool m_enabled = false;
};

// Production clock: one precise QTimer per screen timer.
class RealClock final : public QObject, public Clock
{
public:
    RealClock();
    ~RealClock() override;
    qint64 now() const override;

protected:
    void timerChanged(Timer &timer) override;
    void timerGone(Timer &timer) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Where the started-at time of a run comes from: the one wall time the game
// keeps. The game reads the system's clock; tests fix it.
class WallClock
{
public:
    virtual ~WallClock() = default;
    // Milliseconds since 1970, UTC.
    virtual std::int64_t nowMs() const = 0;
};

class SystemWallClock final : public WallClock
{
public:
    std::int64_t nowMs() const override;
};

} // namespace ks
