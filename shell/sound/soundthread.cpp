#include "soundthread.h"

#include "soundlog.h"

#include <chrono>

namespace ks::sound {
namespace {

using Clock = std::chrono::steady_clock;

// While anything sounds, the thread looks every so often whether it still does.
constexpr auto kWhilePlaying = std::chrono::milliseconds(250);

std::mutex &instanceMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<SoundThread> &instancePointer()
{
    static std::unique_ptr<SoundThread> thread;
    return thread;
}

} // namespace

SoundThread &SoundThread::acquire(SdlSoundOptions options)
{
    std::lock_guard lock(instanceMutex());
    std::unique_ptr<SoundThread> &thread = instancePointer();
    if (!thread) {
        thread.reset(new SoundThread(std::move(options)));
        qCDebug(lcSound) << "no audio device yet: it opens at the first sound";
    }
    ++thread->m_users;
    return *thread;
}

void SoundThread::release()
{
    std::unique_ptr<SoundThread> stopped;
    {
        std::lock_guard lock(instanceMutex());
        std::unique_ptr<SoundThread> &thread = instancePointer();
        if (!thread || --thread->m_users > 0)
            return;
        stopped = std::move(thread);
    }
    stopped.reset(); // joins the thread, which closes the device
}

SoundThread::SoundThread(SdlSoundOptions options)
    : m_idleClose(options.idleClose), m_afterClose(std::move(options.afterDeviceClose)),
      m_mixer(std::move(options.beforeDeviceOpen)), m_thread([this] { run(); })
{}

SoundThread::~SoundThread()
{
    post({Command::Kind::Quit});
    m_thread.join();
}

// The thread sleeps only on an empty queue: a command behind others is seen
// without waking it, and the game's thread skips the wake-up call.
void SoundThread::post(Command command)
{
    bool wasEmpty = false;
    {
        std::lock_guard lock(m_mutex);
        wasEmpty = m_queue.empty();
        m_queue.push_back(std::move(command));
        ++m_posted;
    }
    if (wasEmpty)
        m_wake.notify_one();
}

void SoundThread::waitUntilDone()
{
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_posted;
    m_doneChanged.wait(lock, [&] { return m_done >= target; });
}

void SoundThread::run()
{
    // When the silence began; the epoch while something sounds.
    Clock::time_point silentSince{};
    const auto queued = [this] { return !m_queue.empty(); };
    for (;;) {
        std::unique_lock lock(m_mutex);
        if (m_queue.empty()) {
            if (!m_mixer.isOpen()) {
                m_wake.wait(lock, queued);
            } else if (m_mixer.sounding()) {
                silentSince = {};
                m_wake.wait_for(lock, kWhilePlaying, queued);
            } else {
                if (silentSince == Clock::time_point{})
                    silentSince = Clock::now();
                if (!m_wake.wait_until(lock, silentSince + m_idleClose, queued)) {
                    lock.unlock();
                    m_mixer.closeDevice();
                    silentSince = {};
                    if (m_afterClose)
                        m_afterClose();
                }
            }
            continue;
        }
        Command command = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        if (command.kind == Command::Kind::Quit) {
            m_mixer.shutDown();
            markDone();
            return;
        }
        execute(command);
        silentSince = {};
        markDone();
    }
}

void SoundThread::execute(const Command &command)
{
    switch (command.kind) {
    case Command::Kind::Create:
        m_mixer.createPlayer(command.player, command.text, command.role);
        break;
    case Command::Kind::Destroy:
        m_mixer.destroyPlayer(command.player);
        break;
    case Command::Kind::Sound:
        m_mixer.command(command.player, command.sound, command.text);
        break;
    case Command::Kind::Quit:
        break;
    }
}

void SoundThread::markDone()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_done;
    }
    m_doneChanged.notify_all();
}

} // namespace ks::sound
