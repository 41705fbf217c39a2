#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace ks {

// What a sound player can be told; the one list of them.
enum class SoundCommand
{
    Open,    // take the player's file, ready to sound from its start
    Play,    // sound from where it stands; at its end, or while it sounds, nothing
    Restart, // sound from the start, cutting off what sounds: a hit played again
    Stop,    // fall silent and go back to the start
};

// What a player sounds: effects are decoded whole when opened, so that a
// key's sound starts at once, and may be short; music streams from its file
// as it plays, whatever its length.
enum class SoundRole
{
    Effect,
    Music,
};

// Where the sound players of the screens send their commands. One handle per
// player control; the service keeps what that player opened. Every failure is
// silent: a missing file, an unsupported format or no sound device simply
// means nothing is heard.
class SoundService
{
public:
    virtual ~SoundService() = default;

    // owner names the player for traces, "Logo.Oto".
    virtual int createPlayer(const QString &owner, SoundRole role) = 0;
    // Closes what the player opened and silences it.
    virtual void destroyPlayer(int player) = 0;
    // Open takes the file name the player holds; the other commands act on
    // what the last Open opened and ignore fileName.
    virtual void command(int player, SoundCommand command, const QString &fileName) = 0;

    // Returns once every command given so far has been carried out. Commands
    // may run after they are given; tests, and tools that look at what
    // sounds, wait here. The game itself never needs to.
    virtual void waitForCommands() {}
};

// The real service over SDL2_mixer: WAVE effects on a channel of their own
// per player, MIDI through FluidSynth with the General MIDI soundfont, all on
// a thread of its own, so no command ever keeps the game waiting. The audio
// device opens at the first sound and closes after some silence. Never fails
// to construct; without a device it stays silent.
struct SdlSoundOptions
{
    // The device closes after this much silence.
    std::chrono::milliseconds idleClose{1500};
    // Runs on the sound thread each time the device is about to open; tests
    // hold the opening there to see what happens to commands meanwhile.
    std::function<void()> beforeDeviceOpen;
    // Runs on the sound thread each time the device has closed after the
    // silence: what a test waits for, rather than polling the mixer.
    std::function<void()> afterDeviceClose;
};
// The options take effect when no other service is alive: the sound thread
// and the device are shared by all of them.
std::unique_ptr<SoundService> createSdlSoundService(SdlSoundOptions options = {});

// How many FluidSynth synthesisers are alive: each holds the soundfont's
// instruments, and only the tune that plays has one.
int liveMidiSynthesizers();

} // namespace ks
