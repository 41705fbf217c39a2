#pragma once

#include "mixer.h"
#include "shell/soundservice.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace ks::sound {

// Every SDL_mixer call runs on one thread of its own. The game's thread only
// queues a command and goes on: a key press never waits for a file to be
// read, a MIDI file to be set up or the audio device to open, and the first
// window appears before any of it. The device opens when a sound is first
// needed and closes again after a little silence, so an idle game does not
// keep an audio thread spinning; commands that come while it opens wait in
// the queue and run in order once it is there, late by the opening at most.
// SDL_mixer is one mixer per process, so there is one such thread, shared by
// every service alive.
class SoundThread
{
public:
    struct Command
    {
        enum class Kind
        {
            Create,
            Destroy,
            Sound, // a player's own command
            Quit,
        };
        Kind kind;
        int player = 0;
        SoundCommand sound = SoundCommand::Open;
        QString text;                       // the owner for Create, the file for Open
        SoundRole role = SoundRole::Effect; // for Create
    };

    // The options take effect when no other service holds the thread.
    static SoundThread &acquire(SdlSoundOptions options);
    static void release();
    ~SoundThread();
    SoundThread(const SoundThread &) = delete;
    SoundThread &operator=(const SoundThread &) = delete;

    int newHandle() { return ++m_lastHandle; }
    void post(Command command);
    void waitUntilDone();
    // No device was found, and none is looked for again: nothing will sound.
    bool isSilentForGood() const { return m_mixer.deviceState() == AudioDevice::State::Absent; }

private:
    explicit SoundThread(SdlSoundOptions options);

    void run();
    void execute(const Command &command);
    void markDone();

    // Shared with the game's thread.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_doneChanged;
    std::deque<Command> m_queue;
    std::uint64_t m_posted = 0;
    std::uint64_t m_done = 0;
    int m_users = 0;
    std::atomic<int> m_lastHandle = 0;

    // The sound thread's own.
    const std::chrono::milliseconds m_idleClose;
    const std::function<void()> m_afterClose;
    Mixer m_mixer;
    std::thread m_thread; // last: it runs on everything above
};

} // namespace ks::sound
