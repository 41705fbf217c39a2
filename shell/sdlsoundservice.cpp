#include "soundservice.h"

#include "core/textfile.h"
#include "core/soundfont.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <SDL.h>
#include <SDL_mixer.h>

#include <dlfcn.h>
#include <malloc.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

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

// SDL and SDL_mixer, with FluidSynth and the codecs behind them, are some
// forty libraries. Linked to the program, the dynamic linker would load them
// all before main and hold up the first window by a good 15 ms; they are
// loaded at the first sound instead, on the sound thread. Globally, so that
// FluidSynth's symbols are found by the settings hook below and by
// quietenFluidSynth.
#define KS_SDL_FUNCTIONS(X)                                                                        \
    X(SDL_InitSubSystem)                                                                           \
    X(SDL_QuitSubSystem)                                                                           \
    X(SDL_SetHint)                                                                                 \
    X(SDL_GetError)                                                                                \
    X(SDL_GetCurrentAudioDriver)                                                                   \
    X(SDL_RWFromConstMem)                                                                          \
    X(Mix_Init)                                                                                    \
    X(Mix_Quit)                                                                                    \
    X(Mix_OpenAudio)                                                                               \
    X(Mix_CloseAudio)                                                                              \
    X(Mix_AllocateChannels)                                                                        \
    X(Mix_SetSoundFonts)                                                                           \
    X(Mix_LoadWAV_RW)                                                                              \
    X(Mix_FreeChunk)                                                                               \
    X(Mix_LoadMUSType_RW)                                                                          \
    X(Mix_FreeMusic)                                                                               \
    X(Mix_PlayChannelTimed)                                                                        \
    X(Mix_PlayMusic)                                                                               \
    X(Mix_HaltChannel)                                                                             \
    X(Mix_HaltMusic)                                                                               \
    X(Mix_Playing)                                                                                 \
    X(Mix_PlayingMusic)

struct SdlLibrary
{
#define KS_SDL_POINTER(name) decltype(&::name) name = nullptr;
    KS_SDL_FUNCTIONS(KS_SDL_POINTER)
#undef KS_SDL_POINTER
    // Optional: SDL before 2.0.16 keeps a thread's error text for good.
    void (*SDL_TLSCleanup)() = nullptr;
    bool loaded = false;
};

SdlLibrary loadSdl()
{
    SdlLibrary library;
    void *mixer = ::dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!mixer) {
        qCDebug(lcSound) << "no SDL_mixer:" << ::dlerror();
        return library;
    }
    // SDL's own functions are found through SDL_mixer, which depends on it.
#define KS_SDL_RESOLVE(name)                                                                       \
    library.name = reinterpret_cast<decltype(library.name)>(::dlsym(mixer, #name));                \
    if (!library.name) {                                                                           \
        qCDebug(lcSound) << "SDL_mixer lacks" << #name;                                            \
        return SdlLibrary();                                                                       \
    }
    KS_SDL_FUNCTIONS(KS_SDL_RESOLVE)
#undef KS_SDL_RESOLVE
    library.SDL_TLSCleanup =
        reinterpret_cast<decltype(library.SDL_TLSCleanup)>(::dlsym(mixer, "SDL_TLSCleanup"));
    library.loaded = true;
    return library;
}

// Loaded once, by the first caller: only the sound thread calls, and only
// after it has opened the device with them.
const SdlLibrary &sdl()
{
    static const SdlLibrary library = loadSdl();
    return library;
}

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

// SDL_mixer gives every tune a FluidSynth of its own, made with FluidSynth's
// defaults, which load every sample of the soundfont at once: some 7 MB for
// a tune that uses a dozen instruments. The game's settings go in where
// SDL_mixer makes the settings: the program exports new_fluid_settings (see
// CMakeLists.txt), so SDL_mixer's call lands below and FluidSynth's own
// comes next. A build of SDL_mixer that finds FluidSynth by dlopen simply
// keeps the defaults.
std::atomic<int> g_midiSynthesizers = 0;

// Samples are loaded for the instruments a tune selects, when it selects
// them, on a synthesiser of kTuneVoices voices.
void applyTuneSettings(void *settings)
{
    using SetInt = int (*)(void *, const char *, int);
    static const auto setInt =
        reinterpret_cast<SetInt>(::dlsym(RTLD_DEFAULT, "fluid_settings_setint"));
    if (!settings || !setInt)
        return;
    setInt(settings, "synth.dynamic-sample-loading", 1);
    setInt(settings, "synth.polyphony", kTuneVoices);
}

// A tune's own soundfont, cut from the whole one (see soundfont.h). It lives
// in memory, not on disk, named by its /proc path for FluidSynth, which
// opens it by name, and again while the tune plays to load the samples of
// each instrument the tune selects.
class TuneSoundfont
{
public:
    static std::shared_ptr<TuneSoundfont> make(const std::string &wholeSoundfont,
                                               const QByteArray &smf)
    {
        const std::optional<PresetSet> presets =
            presetsUsedBy(std::string_view(smf.constData(), std::size_t(smf.size())));
        if (!presets)
            return nullptr;
        std::ifstream whole(wholeSoundfont, std::ios::binary);
        const std::optional<std::string> cut = cutSoundfont(whole, *presets);
        if (!cut)
            return nullptr;
        const int fd = ::memfd_create("keystorm-tune.sf2", MFD_CLOEXEC);
        if (fd < 0)
            return nullptr;
        auto font = std::shared_ptr<TuneSoundfont>(new TuneSoundfont(fd));
        for (std::size_t written = 0; written < cut->size();) {
            const ssize_t n = ::write(fd, cut->data() + written, cut->size() - written);
            if (n <= 0)
                return nullptr;
            written += std::size_t(n);
        }
        return font;
    }
    ~TuneSoundfont() { ::close(m_fd); }
    TuneSoundfont(const TuneSoundfont &) = delete;
    TuneSoundfont &operator=(const TuneSoundfont &) = delete;

    const std::string &path() const { return m_path; }

private:
    explicit TuneSoundfont(int fd) : m_fd(fd), m_path("/proc/self/fd/" + std::to_string(fd)) {}

    int m_fd;
    std::string m_path;
};

// Something a player holds: the file's bytes stay with it, so that what is
// decoded from them can be dropped while the device is closed for being idle
// and made again when the player next sounds.
struct Player
{
    QString owner;
    QString fileName;
    QByteArray bytes;  // the file as read; empty when there is nothing to play
    bool midi = false; // music through FluidSynth, else an effect on a channel
    Mix_Chunk *chunk = nullptr;
    Mix_Music *music = nullptr;
    std::shared_ptr<TuneSoundfont> soundfont; // while the music is loaded
    int channel = -1;
    // Cleared by Play: a player that went silent without Stop or Restart has
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
        QString text; // the owner for Create, the file for Open
    };

    static SoundThread &acquire(SdlSoundOptions options)
    {
        std::lock_guard lock(instanceMutex());
        std::unique_ptr<SoundThread> &thread = instancePointer();
        if (!thread) {
            thread.reset(new SoundThread(std::move(options)));
            qCDebug(lcSound) << "no audio device yet: it opens at the first sound";
        }
        ++thread->m_users;
        return *thread;
    }

    static void release()
    {
        std::unique_ptr<SoundThread> stopped;
        {
            std::lock_guard lock(instanceMutex());
            std::unique_ptr<SoundThread> &thread = instancePointer();
            if (!thread || --thread->m_users > 0)
                return;
            stopped = std::move(thread);
        }
        stopped.reset(); // joins the thread, which closes the device
    }

    int newHandle() { return ++m_lastHandle; }

    // The thread sleeps only on an empty queue: a command behind others is
    // seen without waking it, and the game's thread skips the wake-up call.
    void post(Command command)
    {
        bool wasEmpty = false;
        {
            std::lock_guard lock(m_mutex);
            wasEmpty = m_queue.empty();
            m_queue.push_back(std::move(command));
            ++m_posted;
        }
        if (wasEmpty)
            m_wake.notify_one();
    }

    void waitUntilDone()
    {
        std::unique_lock lock(m_mutex);
        const std::uint64_t target = m_posted;
        m_doneChanged.wait(lock, [&] { return m_done >= target; });
    }

    ~SoundThread()
    {
        post({Command::Kind::Quit});
        m_thread.join();
    }

private:
    using Clock = std::chrono::steady_clock;

    // While anything sounds, the thread looks every so often whether it still does.
    static constexpr auto kWhilePlaying = std::chrono::milliseconds(250);

    explicit SoundThread(SdlSoundOptions options)
        : m_options(std::move(options)), m_thread([this] { run(); })
    {}

    static std::mutex &instanceMutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static std::unique_ptr<SoundThread> &instancePointer()
    {
        static std::unique_ptr<SoundThread> thread;
        return thread;
    }

    void run()
    {
        // When the silence began; the epoch while something sounds.
        Clock::time_point silentSince{};
        for (;;) {
            std::unique_lock lock(m_mutex);
            if (m_queue.empty()) {
                if (!m_open) {
                    m_wake.wait(lock, [&] { return !m_queue.empty(); });
                } else if (sounding()) {
                    silentSince = {};
                    m_wake.wait_for(lock, kWhilePlaying, [&] { return !m_queue.empty(); });
                } else {
                    if (silentSince == Clock::time_point{})
                        silentSince = Clock::now();
                    if (!m_wake.wait_until(lock, silentSince + m_options.idleClose,
                                           [&] { return !m_queue.empty(); })) {
                        lock.unlock();
                        closeDevice();
                        silentSince = {};
                    }
                }
                continue;
            }
            Command command = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            if (command.kind == Command::Kind::Quit) {
                shutDown();
                markDone();
                return;
            }
            execute(command);
            silentSince = {};
            markDone();
        }
    }

    void markDone()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_done;
        }
        m_doneChanged.notify_all();
    }

    // ---- the device

    bool ensureDevice()
    {
        if (m_open)
            return true;
        // A machine without a sound card is not asked again at every sound.
        if (m_noDevice)
            return false;
        if (m_options.beforeDeviceOpen)
            m_options.beforeDeviceOpen();
        m_sdlUsed = true;
        if (!sdl().loaded) {
            m_noDevice = true;
            return false;
        }
        // SDL would otherwise take over SIGINT and SIGTERM, turning them into
        // SDL_QUIT events nobody reads: the game could no longer be stopped.
        sdl().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl().SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "キーストーム");

        // SDL_mixer only honours the SDL_SOUNDFONTS variable when forced, so
        // the path is handed over explicitly, and before the MIDI decoders
        // are set up by Mix_Init and Mix_OpenAudio.
        for (const char *font : kSoundFonts) {
            if (QFileInfo::exists(QString::fromUtf8(font))) {
                m_soundfont = font;
                sdl().Mix_SetSoundFonts(font);
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
            // A device that opened before may only be busy; one that never
            // opened is not there.
            m_noDevice = !m_everOpened;
            return false;
        }
        qCDebug(lcSound) << "audio open on" << sdl().SDL_GetCurrentAudioDriver()
                         << (m_midi ? "with MIDI" : "without MIDI");
        m_open = true;
        m_everOpened = true;
        // Players keep the channels they had before the device last closed.
        if (m_channelsUsed > sdl().Mix_AllocateChannels(-1))
            sdl().Mix_AllocateChannels(m_channelsUsed);
        return true;
    }

    QString openDevice()
    {
        if (sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return QStringLiteral("no audio: ") + QString::fromUtf8(sdl().SDL_GetError());
        m_midi = (sdl().Mix_Init(MIX_INIT_MID) & MIX_INIT_MID) != 0;
        if (m_midi)
            quietenFluidSynth();
        if (sdl().Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kChannels, kBufferFrames) != 0) {
            const QString failure =
                QStringLiteral("no audio device: ") + QString::fromUtf8(sdl().SDL_GetError());
            sdl().Mix_Quit();
            sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return failure;
        }
        return QString();
    }

    // Silence for a while: what was decoded goes, the device closes, and the
    // audio thread with it. The players keep their files and their places.
    void closeDevice()
    {
        if (!m_open)
            return;
        for (auto &[handle, player] : m_players)
            unload(player);
        QuietStderr quiet;
        sdl().Mix_HaltChannel(-1);
        sdl().Mix_HaltMusic();
        sdl().Mix_CloseAudio();
        sdl().Mix_Quit();
        sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_open = false;
        m_musicOwner = nullptr;
        qCDebug(lcSound) << "audio closed while silent";
    }

    void shutDown()
    {
        for (auto &[handle, player] : m_players)
            unload(player);
        m_players.clear();
        closeDevice();
        // SDL keeps its error text per thread, and frees it at the end of
        // its own threads only; this one is ours.
        if (m_sdlUsed && sdl().SDL_TLSCleanup)
            sdl().SDL_TLSCleanup();
    }

    bool sounding() const
    {
        return m_open && (sdl().Mix_Playing(-1) != 0 || sdl().Mix_PlayingMusic() != 0);
    }

    bool playing(const Player &player) const
    {
        if (player.chunk)
            return sdl().Mix_Playing(player.channel) != 0;
        if (player.music)
            return m_musicOwner == &player && sdl().Mix_PlayingMusic() != 0;
        return false;
    }

    // A channel no other player uses; the lowest freed one first so that a
    // screen that creates and destroys players keeps the mixer small.
    int takeChannel()
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

    void giveChannel(int channel)
    {
        if (channel < 0)
            return;
        if (m_open)
            sdl().Mix_HaltChannel(channel);
        m_freeChannels.insert(channel);
    }

    // ---- the players

    void execute(const Command &command)
    {
        if (command.kind == Command::Kind::Create) {
            m_players[command.player].owner = command.text;
            return;
        }
        const auto it = m_players.find(command.player);
        if (it == m_players.end())
            return;
        Player &player = it->second;
        switch (command.kind) {
        case Command::Kind::Destroy:
            unload(player);
            giveChannel(player.channel);
            m_players.erase(it);
            break;
        case Command::Kind::Sound:
            sound(player, command.sound, command.text);
            break;
        default:
            break;
        }
    }

    void sound(Player &player, SoundCommand command, const QString &fileName)
    {
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

    void open(Player &player, const QString &fileName)
    {
        unload(player);
        player.atStart = true;
        player.fileName = fileName;
        player.bytes.clear();
        if (fileName.isEmpty())
            return;
        // Only a regular file, and one of a sound's size: a device or a FIFO
        // named as music must neither hang the game nor fill its memory.
        Result<std::string> read = readRegularFile(fileName.toStdString(), kMaxSoundFileBytes);
        if (!read || read->empty()) {
            qCDebug(lcSound) << player.owner << "cannot read" << fileName;
            return;
        }
        player.midi = isMidiName(fileName);
        player.bytes = QByteArray::fromStdString(*read);
        if (player.midi) {
            player.bytes = unwrapRmid(player.bytes);
            if (!looksLikeSmf(player.bytes)) {
                qCDebug(lcSound) << player.owner << "not a MIDI file" << fileName;
                player.bytes.clear();
                return;
            }
        }
        // An effect is decoded now, so that a broken file fails at Open like
        // a missing one and the first Play sounds at once. A tune waits for
        // its Play: decoding it makes a synthesiser, and only the tune that
        // plays keeps one.
        if (!player.midi && !load(player))
            player.bytes.clear();
    }

    // Decodes the player's file for the open device; false when it cannot.
    bool load(Player &player)
    {
        if (player.chunk || player.music)
            return true;
        if (player.bytes.isEmpty() || !ensureDevice())
            return false;
        if (player.midi) {
            // The whole soundfont when the tune's instruments cannot be told.
            if (!m_soundfont.empty()) {
                player.soundfont = TuneSoundfont::make(m_soundfont, player.bytes);
                sdl().Mix_SetSoundFonts(player.soundfont ? player.soundfont->path().c_str()
                                                         : m_soundfont.c_str());
            }
            SDL_RWops *rw =
                sdl().SDL_RWFromConstMem(player.bytes.constData(), int(player.bytes.size()));
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
        SDL_RWops *rw =
            sdl().SDL_RWFromConstMem(player.bytes.constData(), int(player.bytes.size()));
        player.chunk = rw ? sdl().Mix_LoadWAV_RW(rw, 1) : nullptr;
        if (!player.chunk) {
            qCDebug(lcSound) << player.owner << "cannot load" << player.fileName
                             << sdl().SDL_GetError();
            return false;
        }
        if (player.channel < 0)
            player.channel = takeChannel();
        if (player.channel < 0) {
            qCDebug(lcSound) << player.owner << "no mixer channel left";
            sdl().Mix_FreeChunk(player.chunk);
            player.chunk = nullptr;
            return false;
        }
        return true;
    }

    // What was decoded goes; the file stays for the next load.
    void unload(Player &player)
    {
        if (player.chunk) {
            if (m_open)
                sdl().Mix_HaltChannel(player.channel);
            sdl().Mix_FreeChunk(player.chunk);
            player.chunk = nullptr;
        }
        if (player.music) {
            if (m_musicOwner == &player) {
                if (m_open)
                    sdl().Mix_HaltMusic();
                m_musicOwner = nullptr;
            }
            sdl().Mix_FreeMusic(player.music);
            player.music = nullptr;
            player.soundfont.reset();
            if (m_loadedTune == &player)
                m_loadedTune = nullptr;
            // The synthesiser's memory goes back to the system, not only to
            // the sound thread's heap, where nothing else would use it.
            ::malloc_trim(0);
        }
    }

    // Neither a chunk nor a MIDI stream can seek here, so the start is
    // reached by starting over: a hit sound played again restarts at once.
    void restart(Player &player)
    {
        player.atStart = true;
        start(player);
    }

    void play(Player &player)
    {
        if (playing(player) || !player.atStart)
            return;
        start(player);
    }

    void stop(Player &player)
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

    void start(Player &player)
    {
        // The tune that had the stream gives up its synthesiser before the
        // next one makes its own, so that two are never alive together.
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
    const SdlSoundOptions m_options;
    std::map<int, Player> m_players;
    bool m_open = false;
    bool m_midi = false;
    bool m_everOpened = false;
    bool m_noDevice = false;
    bool m_sdlUsed = false; // the library is loaded, or was tried
    int m_channelsUsed = 0;
    std::set<int> m_freeChannels;
    Player *m_musicOwner = nullptr;
    Player *m_loadedTune = nullptr; // the one player with a synthesiser
    std::string m_soundfont;        // the whole General MIDI soundfont
    std::thread m_thread;
};

class SdlSoundService final : public SoundService
{
public:
    explicit SdlSoundService(SdlSoundOptions options)
        : m_thread(SoundThread::acquire(std::move(options)))
    {}

    ~SdlSoundService() override
    {
        // This service's players fall silent before it is gone.
        for (int handle : m_handles)
            m_thread.post({SoundThread::Command::Kind::Destroy, handle});
        m_thread.waitUntilDone();
        SoundThread::release();
    }

    SdlSoundService(const SdlSoundService &) = delete;
    SdlSoundService &operator=(const SdlSoundService &) = delete;

    int createPlayer(const QString &owner) override
    {
        const int handle = m_thread.newHandle();
        m_handles.insert(handle);
        m_thread.post({SoundThread::Command::Kind::Create, handle, SoundCommand::Open, owner});
        return handle;
    }

    void destroyPlayer(int handle) override
    {
        if (m_handles.erase(handle) == 0)
            return;
        m_thread.post({SoundThread::Command::Kind::Destroy, handle});
    }

    void command(int handle, SoundCommand command, const QString &fileName) override
    {
        if (!m_handles.count(handle))
            return;
        m_thread.post({SoundThread::Command::Kind::Sound, handle, command,
                       command == SoundCommand::Open ? fileName : QString()});
    }

    void waitForCommands() override { m_thread.waitUntilDone(); }

private:
    SoundThread &m_thread;
    std::set<int> m_handles; // this service's players
};

} // namespace

std::unique_ptr<SoundService> createSdlSoundService(SdlSoundOptions options)
{
    return std::make_unique<SdlSoundService>(std::move(options));
}

int liveMidiSynthesizers()
{
    return g_midiSynthesizers.load();
}

} // namespace ks

extern "C" {

__attribute__((visibility("default"))) void *new_fluid_settings()
{
    using New = void *(*)();
    static const auto next = reinterpret_cast<New>(::dlsym(RTLD_NEXT, "new_fluid_settings"));
    void *settings = next ? next() : nullptr;
    if (settings) {
        ks::applyTuneSettings(settings);
        ++ks::g_midiSynthesizers;
    }
    return settings;
}

__attribute__((visibility("default"))) void delete_fluid_settings(void *settings)
{
    using Delete = void (*)(void *);
    static const auto next = reinterpret_cast<Delete>(::dlsym(RTLD_NEXT, "delete_fluid_settings"));
    if (settings && next) {
        next(settings);
        --ks::g_midiSynthesizers;
    }
}

} // extern "C"
