#pragma once

#include <QString>

#include <memory>

namespace ks {

enum class SoundCommand
{
    Open,
    Prev,
    Play,
    Stop
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
    virtual int createPlayer(const QString &owner) = 0;
    // Closes what the player opened and silences it.
    virtual void destroyPlayer(int player) = 0;
    // Open takes the file name the player holds; the other commands act on
    // what the last Open opened and ignore fileName.
    virtual void command(int player, SoundCommand command, const QString &fileName) = 0;
};

// The real service over SDL2_mixer: WAVE effects on a channel of their own
// per player, MIDI through FluidSynth with the General MIDI soundfont.
// Never fails to construct; without a device it stays silent.
std::unique_ptr<SoundService> createSdlSoundService();

} // namespace ks
