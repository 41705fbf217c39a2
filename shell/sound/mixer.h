#pragma once

#include "audiodevice.h"
#include "core/soundfile.h"
#include "shell/soundservice.h"
#include "wavestream.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

struct Mix_Chunk;
// SDL_mixer's own name for its music, forward-declared so that this header
// needs no SDL: the reserved name is theirs.
struct _Mix_Music; // NOLINT(bugprone-reserved-identifier)

namespace ks::sound {

class TuneSoundfont;

// The sound players on SDL_mixer: what each opened, its channel, who has the
// one music stream, and the device they sound on. Only the sound thread
// uses it.
class Mixer
{
public:
    explicit Mixer(std::function<void()> beforeDeviceOpen) : m_device(std::move(beforeDeviceOpen))
    {}
    Mixer(const Mixer &) = delete;
    Mixer &operator=(const Mixer &) = delete;

    AudioDevice::State deviceState() const { return m_device.state(); }
    bool isOpen() const { return m_device.isOpen(); }
    bool sounding() const { return m_device.sounding(); }

    void createPlayer(int handle, const QString &owner, SoundRole role);
    void destroyPlayer(int handle);
    // Handles that are not players are ignored.
    void command(int handle, SoundCommand command, const QString &fileName);

    // Silence for a while: what was decoded goes, the device closes, and the
    // audio thread with it. The players keep their files and their places.
    void closeDevice();
    // Every player goes, then the device.
    void shutDown();

private:
    // What a player opened, and so how it sounds: nothing, an effect decoded
    // whole onto a channel of its own, a MIDI tune through FluidSynth, or a
    // WAVE tune streamed from its file. Tunes share the one music stream.
    enum class Source
    {
        None,
        Effect,
        Tune,
        WaveTune,
    };

    // Something a player holds: what it opened stays with it (a MIDI tune's
    // bytes, a WAVE tune's open file, an effect's name), so that what is
    // decoded can be dropped while the device is closed for being idle and
    // made again when the player next sounds.
    struct Player
    {
        QString owner;
        SoundRole role = SoundRole::Effect;
        QString fileName;
        Source source = Source::None;
        std::string bytes; // a MIDI tune, as the mixer is given it
        std::optional<WaveStream> stream;
        Mix_Chunk *chunk = nullptr;
        _Mix_Music *music = nullptr;
        std::shared_ptr<TuneSoundfont> soundfont; // while the music is loaded
        int channel = -1;
        // Cleared by Play: a player that went silent without Stop or Restart
        // has played to its end, and Play at the end sounds nothing.
        bool atStart = true;
    };

    void open(Player &player, const QString &fileName);
    std::optional<std::string> readChecked(const Player &player, std::size_t maxBytes,
                                           SoundFileKind kind, SoundUse use) const;
    bool load(Player &player);
    bool loadMusic(Player &player);
    bool loadWaveTune(Player &player);
    bool loadEffect(Player &player);
    void unload(Player &player);
    void play(Player &player);
    void restart(Player &player);
    void stop(Player &player);
    void start(Player &player);
    bool playing(const Player &player) const;

    AudioDevice m_device;
    std::map<int, Player> m_players;
    Player *m_musicOwner = nullptr;
    Player *m_loadedTune = nullptr; // the one player with a synthesiser
};

} // namespace ks::sound
