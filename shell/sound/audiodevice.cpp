#include "audiodevice.h"

#include "core/soundfile.h"
#include "fluidsynthhooks.h"
#include "quietstderr.h"
#include "sdllibrary.h"
#include "soundlog.h"

#include <QFileInfo>

namespace ks::sound {
namespace {

constexpr int kBufferFrames = 1024;

// Debian's SDL_mixer knows no soundfont of its own; these are what the
// General MIDI soundfont packages install, best first.
constexpr const char *kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

} // namespace

bool AudioDevice::open()
{
    switch (state()) {
    case State::Open:
        return true;
    case State::Absent: // a machine without a sound card is not asked at every sound
        return false;
    case State::Untried:
    case State::Closed:
        break;
    }
    if (m_beforeOpen)
        m_beforeOpen();
    if (!sdl().loaded) {
        setState(State::Absent);
        return false;
    }
    // SDL would otherwise take over SIGINT and SIGTERM, turning them into
    // SDL_QUIT events nobody reads: the game could no longer be stopped.
    sdl().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl().SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "キーストーム");
    findSoundfont();

    // Messages wait until the console is back, or they would vanish too.
    QString failure;
    {
        QuietStderr quiet;
        failure = openMixer();
    }
    if (!failure.isEmpty()) {
        qCDebug(lcSound) << failure;
        // A device that opened before may only be busy; one that never
        // opened is not there.
        if (state() == State::Untried)
            setState(State::Absent);
        return false;
    }
    setState(State::Open);
    // Players keep the channels they had before the device last closed.
    if (m_channelsUsed > sdl().Mix_AllocateChannels(-1))
        sdl().Mix_AllocateChannels(m_channelsUsed);
    return true;
}

// SDL_mixer only honours the SDL_SOUNDFONTS variable when forced, so the
// path is handed over explicitly, and before the MIDI decoders are set up by
// Mix_Init and Mix_OpenAudio.
void AudioDevice::findSoundfont()
{
    for (const char *font : kSoundFonts) {
        if (QFileInfo::exists(QString::fromUtf8(font))) {
            m_soundfont = font;
            sdl().Mix_SetSoundFonts(font);
            return;
        }
    }
}

QString AudioDevice::openMixer()
{
    if (sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return QStringLiteral("no audio: ") + QString::fromUtf8(sdl().SDL_GetError());
    const bool midi = (sdl().Mix_Init(MIX_INIT_MID) & MIX_INIT_MID) != 0;
    if (midi)
        quietenFluidSynth();
    if (sdl().Mix_OpenAudio(kMixerRate, AUDIO_S16SYS, kMixerChannels, kBufferFrames) != 0) {
        QString failure =
            QStringLiteral("no audio device: ") + QString::fromUtf8(sdl().SDL_GetError());
        sdl().Mix_Quit();
        sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return failure;
    }
    qCDebug(lcSound) << "audio open on" << sdl().SDL_GetCurrentAudioDriver()
                     << (midi ? "with MIDI" : "without MIDI");
    return QString();
}

void AudioDevice::close()
{
    if (!isOpen())
        return;
    QuietStderr quiet;
    sdl().Mix_HaltChannel(-1);
    sdl().Mix_HaltMusic();
    sdl().Mix_CloseAudio();
    sdl().Mix_Quit();
    sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setState(State::Closed);
}

void AudioDevice::shutDown()
{
    close();
    // SDL keeps its error text per thread, and frees it at the end of its
    // own threads only; this one is ours. Untried, SDL was never loaded.
    if (state() != State::Untried && sdl().SDL_TLSCleanup)
        sdl().SDL_TLSCleanup();
}

bool AudioDevice::sounding() const
{
    return isOpen() && (sdl().Mix_Playing(-1) != 0 || sdl().Mix_PlayingMusic() != 0);
}

int AudioDevice::takeChannel()
{
    if (!m_freeChannels.empty()) {
        const int channel = *m_freeChannels.begin();
        m_freeChannels.erase(m_freeChannels.begin());
        return channel;
    }
    const int channel = m_channelsUsed;
    if (channel >= sdl().Mix_AllocateChannels(-1) &&
        sdl().Mix_AllocateChannels(channel + 1) <= channel)
        return -1;
    ++m_channelsUsed;
    return channel;
}

void AudioDevice::giveChannel(int channel)
{
    if (channel < 0)
        return;
    if (isOpen())
        sdl().Mix_HaltChannel(channel);
    m_freeChannels.insert(channel);
}

} // namespace ks::sound
