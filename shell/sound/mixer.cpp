#include "mixer.h"

#include "core/soundfile.h"
#include "core/textfile.h"
#include "quietstderr.h"
#include "sdllibrary.h"
#include "soundlog.h"
#include "tunesoundfont.h"

#include <malloc.h>

namespace ks::sound {

void Mixer::createPlayer(int handle, const QString &owner, SoundRole role)
{
    Player &player = m_players[handle];
    player.owner = owner;
    player.role = role;
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

// The bytes of a sound file the mixer may be given whole: only a regular
// file, and one of the size its use allows (a device or a FIFO named as a
// sound must neither hang the game nor fill its memory).
std::optional<std::string> Mixer::readChecked(const Player &player, std::size_t maxBytes,
                                              SoundFileKind kind, SoundUse use) const
{
    const Result<std::string> read = readRegularFile(player.fileName.toStdString(), maxBytes);
    if (!read) {
        qCDebug(lcSound) << player.owner << "cannot read" << player.fileName;
        return std::nullopt;
    }
    const SoundFileCheck check = checkSoundFile(*read, kind, use);
    if (!check.isPlayable()) {
        qCDebug(lcSound) << player.owner << "will not play" << player.fileName << "-"
                         << QLatin1String(check.refusal.data(), qsizetype(check.refusal.size()));
        return std::nullopt;
    }
    return std::string(check.sound);
}

void Mixer::open(Player &player, const QString &fileName)
{
    unload(player);
    player.atStart = true;
    player.fileName = fileName;
    player.source = Source::None;
    player.bytes.clear();
    player.stream.reset();
    if (fileName.isEmpty())
        return;
    const std::string name = fileName.toStdString();
    if (soundFileKindByName(name) == SoundFileKind::Midi) {
        // A tune waits for its Play: decoding it makes a synthesiser, and
        // only the tune that plays keeps one.
        if (std::optional<std::string> tune =
                readChecked(player, kMaxMidiFileBytes, SoundFileKind::Midi, SoundUse::Music)) {
            player.bytes = std::move(*tune);
            player.source = Source::Tune;
        }
        return;
    }
    if (player.role == SoundRole::Music) {
        player.stream = WaveStream::open(name);
        if (player.stream)
            player.source = Source::WaveTune;
        return;
    }
    // An effect is decoded now, so that a broken file fails at Open like a
    // missing one and the first Play sounds at once.
    player.source = Source::Effect;
    if (!load(player))
        player.source = Source::None;
}

// Decodes the player's file for the open device; false when it cannot.
bool Mixer::load(Player &player)
{
    if (player.chunk || player.music)
        return true;
    if (player.source == Source::None || !m_device.open())
        return false;
    switch (player.source) {
    case Source::Tune:
        return loadMusic(player);
    case Source::WaveTune:
        return loadWaveTune(player);
    case Source::Effect:
        return loadEffect(player);
    case Source::None:
        break;
    }
    return false;
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

bool Mixer::loadWaveTune(Player &player)
{
    SDL_RWops *rw = player.stream->reader();
    player.music = rw ? sdl().Mix_LoadMUSType_RW(rw, MUS_WAV, 1) : nullptr;
    if (!player.music) {
        qCDebug(lcSound) << player.owner << "cannot stream" << player.fileName
                         << sdl().SDL_GetError();
        return false;
    }
    return true;
}

bool Mixer::loadEffect(Player &player)
{
    // The file is read each time the effect is decoded, and let go once it
    // is: only the decoded sound stays while the device is open.
    std::optional<std::string> wave =
        readChecked(player, kMaxEffectFileBytes, SoundFileKind::Wave, SoundUse::Effect);
    if (!wave)
        return false;
    SDL_RWops *rw = sdl().SDL_RWFromConstMem(wave->data(), int(wave->size()));
    player.chunk = rw ? sdl().Mix_LoadWAV_RW(rw, 1) : nullptr;
    // SDL_mixer keeps the buffer it converted in, sized for the conversion's
    // worst case: the sound keeps only what it holds. The file and the rest
    // of the conversion go back to the system, not only to the thread's heap.
    if (player.chunk && player.chunk->allocated && player.chunk->alen > 0) {
        if (void *fitted = sdl().SDL_realloc(player.chunk->abuf, player.chunk->alen))
            player.chunk->abuf = static_cast<Uint8 *>(fitted);
    }
    wave.reset();
    ::malloc_trim(0);
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
    if (player.source == Source::Tune && m_loadedTune && m_loadedTune != &player) {
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
