#pragma once

#include "audiodevice.h"
#include "shell/soundservice.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
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

    void createPlayer(int handle, const QString &owner);
    void destroyPlayer(int handle);
    // Handles that are not players are ignored.
    void command(int handle, SoundCommand command, const QString &fileName);

    // Silence for a while: what was decoded goes, the device closes, and the
    // audio thread with it. The players keep their files and their places.
    void closeDevice();
    // Every player goes, then the device.
    void shutDown();

private:
    // Something a player holds: the file's bytes stay with it, so that what
    // is decoded from them can be dropped while the device is closed for
    // being idle and made again when the player next sounds.
    struct Player
    {
        QString owner;
        QString fileName;
        std::string bytes; // what the mixer is given; empty when there is nothing to play
        bool midi = false; // music through FluidSynth, else an effect on a channel
        Mix_Chunk *chunk = nullptr;
        _Mix_Music *music = nullptr;
        std::shared_ptr<TuneSoundfont> soundfont; // while the music is loaded
        int channel = -1;
        // Cleared by Play: a player that went silent without Stop or Restart
        // has played to its end, and Play at the end sounds nothing.
        bool atStart = true;
    };

    void open(Player &player, const QString &fileName);
    bool load(Player &player);
    bool loadMusic(Player &player);
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
