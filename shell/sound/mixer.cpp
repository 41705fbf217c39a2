#include "mixer.h"

#include "core/soundfile.h"
#include "core/textfile.h"
#include "quietstderr.h"
#include "sdllibrary.h"
#include "soundlog.h"
#include "tunesoundfont.h"

#include <malloc.h>

namespace ks::sound {

void Mixer::createPlayer(int handle, const QString &owner)
{
    m_players[handle].owner = owner;
}

void Mixer::destroyPlayer(int handle)
{
    const auto it = m_players.find(handle);
    if (it == m_players.end())
        return;
    unload(it->second);
    m_device.giveChannel(it->second.channel);
    m_players.erase(it);
}

void Mixer::command(int handle, SoundCommand command, const QString &fileName)
{
    const auto it = m_players.find(handle);
    if (it == m_players.end())
        return;
    Player &player = it->second;
    switch (command) {
    case SoundCommand::Open:
        open(player, fileName);
        break;
    case SoundCommand::Play:
        play(player);
        break;
    case SoundCommand::Restart:
        restart(player);
        break;
    case SoundCommand::Stop:
        stop(player);
        break;
    }
}

void Mixer::closeDevice()
{
    if (!m_device.isOpen())
        return;
    for (auto &[handle, player] : m_players)
        unload(player);
    m_device.close();
    m_musicOwner = nullptr;
    qCDebug(lcSound) << "audio closed while silent";
}

void Mixer::shutDown()
{
    for (auto &[handle, player] : m_players)
        unload(player);
    m_players.clear();
    m_musicOwner = nullptr;
    m_device.shutDown();
}

bool Mixer::playing(const Player &player) const
{
    if (player.chunk)
        return sdl().Mix_Playing(player.channel) != 0;
    if (player.music)
        return m_musicOwner == &player && sdl().Mix_PlayingMusic() != 0;
    return false;
}

void Mixer::open(Player &player, const QString &fileName)
{
    unload(player);
    player.atStart = true;
    player.fileName = fileName;
    player.bytes.clear();
    if (fileName.isEmpty())
        return;
    const std::string name = fileName.toStdString();
    // Only a regular file, and one of a sound's size: a device or a FIFO
    // named as music must neither hang the game nor fill its memory.
    const Result<std::string> read = readRegularFile(name, kMaxSoundFileBytes);
    if (!read) {
        qCDebug(lcSound) << player.owner << "cannot read" << fileName;
        return;
    }
    const SoundFileKind kind = soundFileKindByName(name);
    const SoundFileCheck check = checkSoundFile(*read, kind);
    if (!check.isPlayable()) {
        qCDebug(lcSound) << player.owner << "will not play" << fileName << "-"
                         << QLatin1String(check.refusal.data(), qsizetype(check.refusal.size()));
        return;
    }
    player.midi = kind == SoundFileKind::Midi;
    player.bytes.assign(check.sound);
    // An effect is decoded now, so that a broken file fails at Open like a
    // missing one and the first Play sounds at once. A tune waits for its
    // Play: decoding it makes a synthesiser, and only the tune that plays
    // keeps one.
    if (!player.midi && !load(player))
        player.bytes.clear();
}

// Decodes the player's file for the open device; false when it cannot.
bool Mixer::load(Player &player)
{
    if (player.chunk || player.music)
        return true;
    if (player.bytes.empty() || !m_device.open())
        return false;
    return player.midi ? loadMusic(player) : loadEffect(player);
}

bool Mixer::loadMusic(Player &player)
{
    // The whole soundfont when the tune's instruments cannot be told.
    const std::string &whole = m_device.soundfont();
    if (!whole.empty()) {
        player.soundfont = TuneSoundfont::make(whole, player.bytes);
        sdl().Mix_SetSoundFonts(player.soundfont ? player.soundfont->path().c_str()
                                                 : whole.c_str());
    }
    SDL_RWops *rw = sdl().SDL_RWFromConstMem(player.bytes.data(), int(player.bytes.size()));
    if (rw) {
        // FluidSynth reports soundfont oddities on stderr while loading.
        QuietStderr quiet;
        player.music = sdl().Mix_LoadMUSType_RW(rw, MUS_MID, 1);
    }
    if (!player.music) {
        qCDebug(lcSound) << player.owner << "cannot load MIDI" << player.fileName
                         << sdl().SDL_GetError();
        player.soundfont.reset();
        return false;
    }
    return true;
}

bool Mixer::loadEffect(Player &player)
{
    SDL_RWops *rw = sdl().SDL_RWFromConstMem(player.bytes.data(), int(player.bytes.size()));
    player.chunk = rw ? sdl().Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (!player.chunk) {
        qCDebug(lcSound) << player.owner << "cannot load" << player.fileName
                         << sdl().SDL_GetError();
        return false;
    }
    if (player.channel < 0)
        player.channel = m_device.takeChannel();
    if (player.channel < 0) {
        qCDebug(lcSound) << player.owner << "no mixer channel left";
        sdl().Mix_FreeChunk(player.chunk);
        player.chunk = nullptr;
        return false;
    }
    return true;
}

// What was decoded goes; the file stays for the next load.
void Mixer::unload(Player &player)
{
    if (player.chunk) {
        if (m_device.isOpen())
            sdl().Mix_HaltChannel(player.channel);
        sdl().Mix_FreeChunk(player.chunk);
        player.chunk = nullptr;
    }
    if (player.music) {
        if (m_musicOwner == &player) {
            if (m_device.isOpen())
                sdl().Mix_HaltMusic();
            m_musicOwner = nullptr;
        }
        sdl().Mix_FreeMusic(player.music);
        player.music = nullptr;
        player.soundfont.reset();
        if (m_loadedTune == &player)
            m_loadedTune = nullptr;
        // The synthesiser's memory goes back to the system, not only to the
        // sound thread's heap, where nothing else would use it.
        ::malloc_trim(0);
    }
}

void Mixer::play(Player &player)
{
    if (playing(player) || !player.atStart)
        return;
    start(player);
}

// Neither a chunk nor a MIDI stream can seek here, so the start is reached
// by starting over: a hit sound played again restarts at once.
void Mixer::restart(Player &player)
{
    player.atStart = true;
    start(player);
}

void Mixer::stop(Player &player)
{
    if (playing(player)) {
        if (player.chunk)
            sdl().Mix_HaltChannel(player.channel);
        else
            sdl().Mix_HaltMusic();
    }
    if (m_musicOwner == &player)
        m_musicOwner = nullptr;
    player.atStart = true;
}

void Mixer::start(Player &player)
{
    // The tune that had the stream gives up its synthesiser before the next
    // one makes its own, so that two are never alive together.
    if (player.midi && m_loadedTune && m_loadedTune != &player) {
        m_loadedTune->atStart = true; // as when it loses the stream below
        unload(*m_loadedTune);
    }
    if (!load(player))
        return;
    if (player.music)
        m_loadedTune = &player;
    if (player.chunk) {
        if (sdl().Mix_PlayChannelTimed(player.channel, player.chunk, 0, -1) < 0) {
            qCDebug(lcSound) << player.owner << "cannot play" << player.fileName
                             << sdl().SDL_GetError();
            return;
        }
    } else {
        // The one music stream changes hands; whoever had it is left
        // stopped, so its own Play starts it again from the beginning.
        if (m_musicOwner && m_musicOwner != &player)
            m_musicOwner->atStart = true;
        m_musicOwner = &player;
        if (sdl().Mix_PlayMusic(player.music, 0) != 0) {
            qCDebug(lcSound) << player.owner << "cannot play" << player.fileName
                             << sdl().SDL_GetError();
            m_musicOwner = nullptr;
            return;
        }
    }
    player.atStart = false;
}

} // namespace ks::sound
