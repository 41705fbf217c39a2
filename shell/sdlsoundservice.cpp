#include "soundservice.h"

#include "core/textfile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <SDL.h>
#include <SDL_mixer.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace ks {
namespace {

// Room for minutes of CD-quality WAVE and any MIDI file; nothing a sound
// player is given may be read past it.
constexpr std::size_t kMaxSoundFileBytes = 64u << 20;

// Debug only: a player must never see sound diagnostics on the console, but a
// developer can switch them on with QT_LOGGING_RULES="ks.sound.debug=true".
Q_LOGGING_CATEGORY(lcSound, "ks.sound", QtInfoMsg)

constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kBufferFrames = 1024;

// Debian's SDL_mixer knows no soundfont of its own; these are what the
// General MIDI soundfont packages install, best first.
constexpr const char *kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// ALSA, PulseAudio and FluidSynth write their complaints straight to fd 2,
// below any logging we control; on a machine without a sound card that is a
// screenful of noise for a game that is merely silent. Only the calls that
// are known to talk are wrapped.
class QuietStderr
{
public:
    QuietStderr()
    {
        std::fflush(stderr);
        const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (devNull < 0)
            return;
        m_saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        if (m_saved >= 0)
            ::dup2(devNull, STDERR_FILENO);
        ::close(devNull);
    }
    ~QuietStderr()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStderr(const QuietStderr &) = delete;
    QuietStderr &operator=(const QuietStderr &) = delete;

private:
    int m_saved = -1;
};

// FluidSynth writes its errors and warnings to stderr itself, also while a
// song plays, on the audio thread. It is reached through the symbols SDL_mixer
// already loaded rather than linked again, so a build of SDL_mixer without it
// simply skips this.
using FluidLogFunction = void (*)(int level, const char *message, void *data);
using FluidSetLogFunction = FluidLogFunction (*)(int level, FluidLogFunction, void *data);

// Runs on the audio thread: touches Qt only when a developer asked for it.
void forwardFluidLog(int, const char *message, void *)
{
    qCDebug(lcSound) << "fluidsynth:" << message;
}

void quietenFluidSynth()
{
    void *symbol = ::dlsym(RTLD_DEFAULT, "fluid_set_log_function");
    if (!symbol) {
        if (void *library = ::dlopen("libfluidsynth.so.3", RTLD_LAZY | RTLD_NOLOAD)) {
            symbol = ::dlsym(library, "fluid_set_log_function");
            ::dlclose(library);
        }
    }
    if (!symbol)
        return;
    const auto setLogFunction = reinterpret_cast<FluidSetLogFunction>(symbol);
    const FluidLogFunction function = lcSound().isDebugEnabled() ? forwardFluidLog : nullptr;
    // FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG.
    for (int level = 0; level <= 4; ++level)
        setLogFunction(level, function, nullptr);
}

struct Player;

// SDL_mixer is one mixer per process: its channels and its single music
// stream are shared by every service that exists, so the device is opened by
// the first service and closed by the last, and channels are handed out here.
class Mixer
{
public:
    static bool acquire()
    {
        Mixer &m = instance();
        if (m.m_users > 0) {
            ++m.m_users;
            return true;
        }
        if (!m.open())
            return false;
        m.m_users = 1;
        return true;
    }

    static void release()
    {
        Mixer &m = instance();
        if (m.m_users == 0 || --m.m_users > 0)
            return;
        m.close();
    }

    // A channel no other player uses; the lowest freed one first so that a
    // screen that creates and destroys players keeps the mixer small.
    static int takeChannel()
    {
        Mixer &m = instance();
        if (!m.m_free.empty()) {
            const int channel = *m.m_free.begin();
            m.m_free.erase(m.m_free.begin());
            return channel;
        }
        const int channel = m.m_used;
        if (channel >= Mix_AllocateChannels(-1) && Mix_AllocateChannels(channel + 1) <= channel)
            return -1;
        ++m.m_used;
        return channel;
    }

    static void giveChannel(int channel)
    {
        if (channel < 0)
            return;
        Mix_HaltChannel(channel);
        instance().m_free.insert(channel);
    }

    // The player whose music is in the one music stream, or null.
    static Player *musicOwner() { return instance().m_musicOwner; }
    static void setMusicOwner(Player *player) { instance().m_musicOwner = player; }

private:
    static Mixer &instance()
    {
        static Mixer mixer;
        return mixer;
    }

    bool open()
    {
        // SDL would otherwise take over SIGINT and SIGTERM, turning them into
        // SDL_QUIT events nobody reads: the game could no longer be stopped.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "キーストーム");

        // SDL_mixer only honours the SDL_SOUNDFONTS variable when forced, so
        // the path is handed over explicitly, and before the MIDI decoders
        // are set up by Mix_Init and Mix_OpenAudio.
        for (const char *font : kSoundFonts) {
            if (QFileInfo::exists(QString::fromUtf8(font))) {
                Mix_SetSoundFonts(font);
                break;
            }
        }

        // Messages wait until the console is back, or they would vanish too.
        QString failure;
        {
            QuietStderr quiet;
            failure = openDevice();
        }
        if (!failure.isEmpty()) {
            qCDebug(lcSound) << failure;
            return false;
        }
        qCDebug(lcSound) << "audio open on" << SDL_GetCurrentAudioDriver()
                         << (m_midi ? "with MIDI" : "without MIDI");
        m_used = 0;
        m_free.clear();
        m_musicOwner = nullptr;
        return true;
    }

    QString openDevice()
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return QStringLiteral("no audio: ") + QString::fromUtf8(SDL_GetError());
        m_midi = (Mix_Init(MIX_INIT_MID) & MIX_INIT_MID) != 0;
        if (m_midi)
            quietenFluidSynth();
        if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kChannels, kBufferFrames) != 0) {
            const QString failure =
                QStringLiteral("no audio device: ") + QString::fromUtf8(Mix_GetError());
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return failure;
        }
        return QString();
    }

    void close()
    {
        QuietStderr quiet;
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_used = 0;
        m_free.clear();
        m_musicOwner = nullptr;
    }

    int m_users = 0;
    bool m_midi = false;
    int m_used = 0;
    std::set<int> m_free;
    Player *m_musicOwner = nullptr;
};

struct Player
{
    QString owner;
    QString fileName;
    Mix_Chunk *chunk = nullptr;
    Mix_Music *music = nullptr;
    // The MIDI bytes stay with the music for as long as it lives, in case a
    // decoder reads from them lazily.
    QByteArray musicBytes;
    int channel = -1;
    // Cleared by Play: a player that went silent without Stop or Prev has
    // played to its end, and Play at the end sounds nothing.
    bool atStart = true;
};

bool isMidiName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("mid") || suffix == QLatin1String("midi") ||
           suffix == QLatin1String("rmi");
}

quint32 le32(const char *p)
{
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16 |
           quint32(quint8(p[3])) << 24;
}

// An .rmi file is a standard MIDI file wrapped in a RIFF "RMID" container;
// FluidSynth reads only the bare file, so the "data" chunk is unwrapped.
QByteArray unwrapRmid(const QByteArray &bytes)
{
    if (bytes.size() < 12 || std::memcmp(bytes.constData(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.constData() + 8, "RMID", 4) != 0)
        return bytes;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const char *head = bytes.constData() + at;
        const qsizetype size = qsizetype(le32(head + 4));
        const qsizetype body = at + 8;
        if (size > bytes.size() - body)
            break;
        if (std::memcmp(head, "data", 4) == 0)
            return bytes.mid(body, size);
        at = body + size + (size & 1);
    }
    return bytes;
}

quint32 be32(const char *p)
{
    return quint32(quint8(p[0])) << 24 | quint32(quint8(p[1])) << 16 | quint32(quint8(p[2])) << 8 |
           quint32(quint8(p[3]));
}

// FluidSynth accepts anything at load time and only finds out while playing,
// when the music stream already counts as playing; checking the header here
// makes a broken file fail at Open like any other.
bool looksLikeSmf(const QByteArray &bytes)
{
    if (bytes.size() < 14 || std::memcmp(bytes.constData(), "MThd", 4) != 0)
        return false;
    const quint32 headerSize = be32(bytes.constData() + 4);
    const int format = quint8(bytes[8]) << 8 | quint8(bytes[9]);
    const int tracks = quint8(bytes[10]) << 8 | quint8(bytes[11]);
    if (headerSize < 6 || format > 2 || tracks < 1 || headerSize > quint32(bytes.size()) - 8)
        return false;
    const qsizetype firstTrack = 8 + qsizetype(headerSize);
    return bytes.size() >= firstTrack + 8 &&
           std::memcmp(bytes.constData() + firstTrack, "MTrk", 4) == 0;
}

class SdlSoundService final : public SoundService
{
public:
    SdlSoundService() : m_audio(Mixer::acquire()) {}

    ~SdlSoundService() override
    {
        for (auto &[handle, player] : m_players)
            close(player);
        m_players.clear();
        if (m_audio)
            Mixer::release();
    }

    SdlSoundService(const SdlSoundService &) = delete;
    SdlSoundService &operator=(const SdlSoundService &) = delete;

    int createPlayer(const QString &owner) override
    {
        const int handle = ++m_lastHandle;
        m_players[handle].owner = owner;
        return handle;
    }

    void destroyPlayer(int handle) override
    {
        const auto it = m_players.find(handle);
        if (it == m_players.end())
            return;
        close(it->second);
        Mixer::giveChannel(it->second.channel);
        m_players.erase(it);
    }

    void command(int handle, SoundCommand command, const QString &fileName) override
    {
        const auto it = m_players.find(handle);
        if (!m_audio || it == m_players.end())
            return;
        Player &player = it->second;
        switch (command) {
        case SoundCommand::Open:
            open(player, fileName);
            break;
        case SoundCommand::Prev:
            rewind(player);
            break;
        case SoundCommand::Play:
            play(player);
            break;
        case SoundCommand::Stop:
            stop(player);
            break;
        }
    }

private:
    static bool sounding(const Player &player)
    {
        if (player.chunk)
            return Mix_Playing(player.channel) != 0;
        if (player.music)
            return Mixer::musicOwner() == &player && Mix_PlayingMusic() != 0;
        return false;
    }

    void open(Player &player, const QString &fileName)
    {
        close(player);
        player.fileName = fileName;
        if (fileName.isEmpty())
            return;
        // Only a regular file, and one of a sound's size: a device or a FIFO
        // named as music must neither hang the game nor fill its memory.
        Result<std::string> read = readRegularFile(fileName.toStdString(), kMaxSoundFileBytes);
        if (!read) {
            qCDebug(lcSound) << player.owner << "cannot read" << fileName;
            return;
        }
        QByteArray bytes = QByteArray::fromStdString(*read);
        if (bytes.isEmpty()) {
            qCDebug(lcSound) << player.owner << "empty file" << fileName;
            return;
        }

        if (isMidiName(fileName)) {
            player.musicBytes = unwrapRmid(bytes);
            if (!looksLikeSmf(player.musicBytes)) {
                qCDebug(lcSound) << player.owner << "not a MIDI file" << fileName;
                player.musicBytes.clear();
                return;
            }
            SDL_RWops *rw =
                SDL_RWFromConstMem(player.musicBytes.constData(), int(player.musicBytes.size()));
            if (rw) {
                // FluidSynth reports soundfont oddities on stderr while loading.
                QuietStderr quiet;
                player.music = Mix_LoadMUSType_RW(rw, MUS_MID, 1);
            }
            if (!player.music) {
                qCDebug(lcSound) << player.owner << "cannot load MIDI" << fileName
                                 << Mix_GetError();
                player.musicBytes.clear();
            }
            return;
        }

        SDL_RWops *rw = SDL_RWFromConstMem(bytes.constData(), int(bytes.size()));
        player.chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
        if (!player.chunk) {
            qCDebug(lcSound) << player.owner << "cannot load" << fileName << Mix_GetError();
            return;
        }
        if (player.channel < 0)
            player.channel = Mixer::takeChannel();
        if (player.channel < 0) {
            qCDebug(lcSound) << player.owner << "no mixer channel left";
            Mix_FreeChunk(player.chunk);
            player.chunk = nullptr;
        }
    }

    void close(Player &player)
    {
        if (player.chunk) {
            Mix_HaltChannel(player.channel);
            Mix_FreeChunk(player.chunk);
            player.chunk = nullptr;
        }
        if (player.music) {
            if (Mixer::musicOwner() == &player) {
                Mix_HaltMusic();
                Mixer::setMusicOwner(nullptr);
            }
            Mix_FreeMusic(player.music);
            player.music = nullptr;
            player.musicBytes.clear();
        }
        player.atStart = true;
    }

    // Neither a chunk nor a MIDI stream can seek here, so the start is
    // reached by starting over: a hit sound played again restarts at once.
    void rewind(Player &player)
    {
        if (sounding(player))
            start(player);
        else
            player.atStart = true;
    }

    void play(Player &player)
    {
        if (sounding(player) || !player.atStart)
            return;
        start(player);
    }

    void stop(Player &player)
    {
        if (sounding(player)) {
            if (player.chunk)
                Mix_HaltChannel(player.channel);
            else
                Mix_HaltMusic();
        }
        if (Mixer::musicOwner() == &player)
            Mixer::setMusicOwner(nullptr);
        player.atStart = true;
    }

    void start(Player &player)
    {
        if (player.chunk) {
            if (Mix_PlayChannel(player.channel, player.chunk, 0) < 0) {
                qCDebug(lcSound) << player.owner << "cannot play" << player.fileName
                                 << Mix_GetError();
                return;
            }
        } else if (player.music) {
            // The one music stream changes hands; whoever had it is left
            // stopped, so its own Play starts it again from the beginning.
            if (Player *previous = Mixer::musicOwner(); previous && previous != &player)
                previous->atStart = true;
            Mixer::setMusicOwner(&player);
            if (Mix_PlayMusic(player.music, 0) != 0) {
                qCDebug(lcSound) << player.owner << "cannot play" << player.fileName
                                 << Mix_GetError();
                Mixer::setMusicOwner(nullptr);
                return;
            }
        } else {
            return;
        }
        player.atStart = false;
    }

    const bool m_audio;
    std::map<int, Player> m_players;
    int m_lastHandle = 0;
};

} // namespace

std::unique_ptr<SoundService> createSdlSoundService()
{
    return std::make_unique<SdlSoundService>();
}

} // namespace ks
