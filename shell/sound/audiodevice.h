#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <set>
#include <string>

namespace ks::sound {

// The audio device, through SDL_mixer: opened when a sound needs it, closed
// again after silence, and the mixer channels the players take. Only the
// sound thread uses it, except state(), which any thread may read.
class AudioDevice
{
public:
    enum class State
    {
        Untried, // nothing asked yet: SDL is not even loaded
        Open,
        Closed, // open before, closed while silent, or busy when last asked
        Absent, // no SDL, or a device that never opened: never asked again
    };

    explicit AudioDevice(std::function<void()> beforeOpen) : m_beforeOpen(std::move(beforeOpen)) {}
    AudioDevice(const AudioDevice &) = delete;
    AudioDevice &operator=(const AudioDevice &) = delete;

    State state() const { return m_state.load(); }
    bool isOpen() const { return state() == State::Open; }

    // True when the device is open, after opening it if it can be.
    bool open();
    // What sounds is cut off; the players must have let go of what they
    // decoded for the device first.
    void close();
    // The last thing the sound thread does with SDL.
    void shutDown();
    bool sounding() const;

    // The whole General MIDI soundfont, once the device has been opened;
    // empty without one.
    const std::string &soundfont() const { return m_soundfont; }

    // A channel no other player uses, or -1; the lowest freed one first, so
    // that a screen that creates and destroys players keeps the mixer small.
    int takeChannel();
    void giveChannel(int channel);

private:
    // The one place the state changes.
    void setState(State state) { m_state.store(state); }
    void findSoundfont();
    QString openMixer();

    std::function<void()> m_beforeOpen;
    std::atomic<State> m_state = State::Untried;
    std::string m_soundfont;
    int m_channelsUsed = 0;
    std::set<int> m_freeChannels;
};

} // namespace ks::sound
