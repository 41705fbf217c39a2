// The SDL2_mixer sound service, two ways.
//
// In this process, on SDL's dummy driver (real-time, silent): what the mixer
// is doing after each command, read back from SDL_mixer itself, which the
// service shares with the test because a process has only one mixer.
//
// Through ks-soundcheck on SDL's disk driver: what was actually rendered,
// measured sample by sample, so a service that loads and "plays" but is never
// heard cannot pass.

#include "core/soundfont.h"
#include "shell/soundservice.h"
#include "support/runprogram.h"
#include "support/scopedenv.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <QString>

#include <SDL.h>
#include <SDL_mixer.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <numbers>
#include <string>
#include <string_view>
#include <functional>
#include <future>
#include <thread>
#include <vector>

extern char **environ;

namespace {

using ks::SoundCommand;
using ks::SoundRole;
using ks::SoundService;
using ks::test::ScopedEnv;
using ks::test::TempDir;

const std::string kSoundcheck = KS_SOUNDCHECK_PATH;
constexpr int kRate = 44100;

// ---- Files made here, byte by byte -------------------------------------

void putLe(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xff));
}

void putBe(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(char((value >> (8 * i)) & 0xff));
}

// A mono PCM WAVE file of the samples given.
std::string monoWave(int rate, int bits, const std::string &data)
{
    std::string file = "RIFF";
    putLe(file, std::uint32_t(36 + data.size()), 4);
    file += "WAVEfmt ";
    putLe(file, 16, 4);
    putLe(file, 1, 2); // PCM
    putLe(file, 1, 2); // mono
    putLe(file, std::uint32_t(rate), 4);
    putLe(file, std::uint32_t(rate * bits / 8), 4);
    putLe(file, std::uint32_t(bits / 8), 2);
    putLe(file, std::uint32_t(bits), 2);
    file += "data";
    putLe(file, std::uint32_t(data.size()), 4);
    return file + data;
}

// A mono 16-bit PCM WAVE file holding a sine tone. The rate differs from the
// mixer's on purpose: the service must hand SDL_mixer the file as it is and
// let it convert, and a wrong conversion shows as a wrong pitch or length.
std::string sineWave(int rate, double seconds, double hertz, int amplitude)
{
    const auto frames = std::uint32_t(std::lround(rate * seconds));
    std::string data;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        putLe(data,
              std::uint32_t(std::int16_t(
                  std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * t)))),
              2);
    }
    return monoWave(rate, 16, data);
}

// A format 0 standard MIDI file: at 120 beats a minute and 96 ticks a beat,
// C4, E4 and G4 on the grand piano, an eighth note (0.25 s) each, 0.75 s in
// all. The last event ends the track exactly as the last note ends.
std::string pianoTune()
{
    std::string track;
    const auto event = [&track](std::uint8_t delta, std::initializer_list<std::uint8_t> bytes) {
        track.push_back(char(delta)); // every delta here fits one byte
        for (std::uint8_t b : bytes)
            track.push_back(char(b));
    };
    event(0, {0xff, 0x51, 0x03, 0x07, 0xa1, 0x20}); // 500000 us a beat
    event(0, {0xc0, 0x00});                         // program 1, grand piano
    for (std::uint8_t note : {std::uint8_t(60), std::uint8_t(64), std::uint8_t(67)}) {
        event(0, {0x90, note, 100});
        event(48, {0x80, note, 0});
    }
    event(0, {0xff, 0x2f, 0x00});

    std::string file = "MThd";
    putBe(file, 6, 4);
    putBe(file, 0, 2); // format 0
    putBe(file, 1, 2); // one track
    putBe(file, 96, 2);
    file += "MTrk";
    putBe(file, std::uint32_t(track.size()), 4);
    return file + track;
}

// The same tune in the RIFF "RMID" wrapper of .rmi files.
std::string rmid(const std::string &smf)
{
    std::string file = "RIFF";
    putLe(file, std::uint32_t(4 + 8 + smf.size() + (smf.size() & 1)), 4);
    file += "RMIDdata";
    putLe(file, std::uint32_t(smf.size()), 4);
    file += smf;
    if (smf.size() & 1)
        file.push_back('\0');
    return file;
}

// ---- Rendering through the tool --------------------------------------------

using ToolRun = ks::test::ProgramRun;

// Runs ks-soundcheck with the environment given in place of anything the
// caller's environment says about audio.
ToolRun runSoundcheck(const TempDir &dir, const std::vector<std::string> &args,
                      const std::vector<std::string> &audioEnv)
{
    std::vector<std::string> envStore;
    for (char **e = environ; *e; ++e) {
        const std::string_view entry = *e;
        if (entry.starts_with("SDL_") || entry.starts_with("ALSA_") ||
            entry.starts_with("QT_LOGGING_RULES="))
            continue;
        envStore.emplace_back(entry);
    }
    envStore.insert(envStore.end(), audioEnv.begin(), audioEnv.end());
    return ks::test::runProgram(dir, kSoundcheck, args, &envStore);
}

// What SDL's disk driver wrote: signed 16-bit little-endian, stereo, 44.1 kHz.
struct Render
{
    std::vector<int> left;
    std::vector<int> right;

    double seconds() const { return double(left.size()) / kRate; }
};

// Renders the files sounding together and returns what was heard. The disk
// driver paces itself at 4 ms a 1024-frame buffer instead of the real 23 ms,
// and the tool leaves as soon as nothing plays, so a render holds every sound
// whole and then a stretch of silence, however loaded the machine is.
Render render(const TempDir &dir, const std::vector<std::string> &files)
{
    const std::string raw = dir.path("render.raw");
    std::vector<std::string> args{"--ms", "6000", "--until-done"};
    args.insert(args.end(), files.begin(), files.end());
    const ToolRun run = runSoundcheck(
        dir, args, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw, "SDL_DISKAUDIODELAY=4"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string bytes = dir.read("render.raw");
    Render r;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        const auto sample = [&bytes](std::size_t i) {
            return int(std::int16_t(std::uint16_t(std::uint8_t(bytes[i])) |
                                    std::uint16_t(std::uint8_t(bytes[i + 1])) << 8));
        };
        r.left.push_back(sample(at));
        r.right.push_back(sample(at + 2));
    }
    return r;
}

int peak(const std::vector<int> &samples, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    int result = 0;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i)
        result = std::max(result, std::abs(samples[i]));
    return result;
}

double rms(const std::vector<int> &samples, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

// The frames from the first to the last one louder than threshold.
struct Span
{
    std::size_t begin = 0;
    std::size_t end = 0;
    double seconds() const { return double(end - begin) / kRate; }
};

Span sounding(const std::vector<int> &samples, int threshold)
{
    Span span;
    const auto loud = [threshold](int s) { return std::abs(s) > threshold; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    if (first == samples.end())
        return span;
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
    span.begin = std::size_t(first - samples.begin());
    span.end = samples.size() - std::size_t(last - samples.rbegin());
    return span;
}

TEST(SoundRender, AWaveIsHeardAsTheToneItHolds)
{
    TempDir dir;
    dir.write("tone.wav", sineWave(22050, 0.3, 440, 16000));
    const Render r = render(dir, {dir.path("tone.wav")});

    const Span span = sounding(r.left, 1000);
    ASSERT_GT(span.end, span.begin) << "nothing was heard in " << r.seconds() << " s of render";
    const double level = rms(r.left, span.begin, span.end);
    RecordProperty("peak", peak(r.left));
    RecordProperty("rms", int(level));
    // Full volume, once: two overlapping copies would double the peak.
    EXPECT_GT(peak(r.left), 15000);
    EXPECT_LT(peak(r.left), 17000);
    EXPECT_GT(level, 10000); // a full sine of 16000 has an RMS of 11314
    // The mono file is heard on both sides.
    EXPECT_GT(peak(r.right), 15000);
    // At the file's own pitch and length, played once and no more.
    EXPECT_NEAR(span.seconds(), 0.3, 0.01);
    int crossings = 0;
    for (std::size_t i = span.begin + 1; i < span.end; ++i)
        crossings += (r.left[i - 1] < 0) != (r.left[i] < 0);
    EXPECT_NEAR(crossings / 2.0 / span.seconds(), 440, 10);
    EXPECT_GT(r.seconds() - double(span.end) / kRate, 0.03) << "the render must end in silence";
}

TEST(SoundRender, AMidiFileIsHeardThroughTheSoundfontOnce)
{
    TempDir dir;
    dir.write("tune.mid", pianoTune());
    const Render r = render(dir, {dir.path("tune.mid")});

    const Span span = sounding(r.left, 300);
    ASSERT_GT(span.end, span.begin) << "nothing was heard in " << r.seconds() << " s of render";
    const double level = rms(r.left, span.begin, span.end);
    RecordProperty("peak", peak(r.left));
    RecordProperty("rms", int(level));
    EXPECT_GT(peak(r.left), 2000);
    EXPECT_GT(peak(r.right), 2000);
    EXPECT_GT(level, 500);
    // Three eighth notes and the piano's release; a second time through
    // would make it at least twice as long.
    EXPECT_GT(span.seconds(), 0.7);
    EXPECT_LT(span.seconds(), 1.4);
    ASSERT_GT(r.left.size(), std::size_t(kRate));
    EXPECT_LT(peak(r.left, r.left.size() - kRate / 5), 300) << "the render must end in silence";
}

TEST(SoundRender, WithoutASoundCardNothingReachesTheConsole)
{
    // The machine's own choice of driver, as a player's would be, with ALSA
    // pointed at a card that is not there: ALSA's library then writes a page
    // of errors to stderr unless the service keeps it quiet.
    TempDir dir;
    const ToolRun run =
        runSoundcheck(dir, {"--ms", "0", dir.path("missing.wav")}, {"ALSA_CARD=ks_no_such_card"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

// ---- The mixer's state, in this process ----------------------------------

// SDL_mixer has channels only while its device is open. The rate and layout
// it was opened with show in the renders above, which are read as 44.1 kHz
// stereo and would come out at the wrong pitch and length otherwise.
bool mixerOpen()
{
    return SDL_WasInit(SDL_INIT_AUDIO) != 0 && Mix_AllocateChannels(-1) > 0;
}

// SDL_mixer may not be asked about a closed mixer: it reads freed channels.
int playingChannels()
{
    return mixerOpen() ? Mix_Playing(-1) : 0;
}

int playingMusic()
{
    return mixerOpen() ? Mix_PlayingMusic() : 0;
}

// The cut soundfonts the service holds in memory for its tunes.
int tuneSoundfontsOpen()
{
    int open = 0;
    for (const auto &fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(fd.path(), error);
        open += !error && target.string().find("keystorm-tune.sf2") != std::string::npos;
    }
    return open;
}

std::atomic<int> g_channelsFinished{0};
std::mutex g_finishedMutex;
std::condition_variable g_finishedChanged;

// SDL_mixer calls this on its audio thread when a channel ends by itself,
// and on the caller's thread when a channel is halted.
void countFinished(int)
{
    {
        std::lock_guard lock(g_finishedMutex);
        ++g_channelsFinished;
    }
    g_finishedChanged.notify_all();
}

// Waits for a channel to finish on the audio thread. Not a timing: the
// limit only ends a test whose mixer never renders.
bool awaitFinished(int count)
{
    std::unique_lock lock(g_finishedMutex);
    return g_finishedChanged.wait_for(lock, std::chrono::seconds(10),
                                      [count] { return g_channelsFinished >= count; });
}

// The service with a wait after every call: commands run on the service's
// own thread, and these tests look at the mixer as soon as one is given.
class Synchronous
{
public:
    Synchronous() = default;
    explicit Synchronous(std::unique_ptr<SoundService> service) : m_service(std::move(service)) {}
    Synchronous &operator=(std::unique_ptr<SoundService> service)
    {
        m_service = std::move(service);
        return *this;
    }
    Synchronous *operator->() { return this; }
    void reset() { m_service.reset(); }

    int createPlayer(const QString &owner, SoundRole role = SoundRole::Effect)
    {
        const int player = m_service->createPlayer(owner, role);
        m_service->waitForCommands();
        return player;
    }
    void destroyPlayer(int player)
    {
        m_service->destroyPlayer(player);
        m_service->waitForCommands();
    }
    void command(int player, SoundCommand command, const QString &fileName)
    {
        m_service->command(player, command, fileName);
        m_service->waitForCommands();
    }

private:
    std::unique_ptr<SoundService> m_service;
};

class SoundServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Long enough never to end by itself while a test runs.
        m_dir.write("long.wav", sineWave(8000, 4.5, 440, 8000));
        m_dir.write("short.wav", sineWave(8000, 0.05, 440, 8000));
        m_dir.write("tune.mid", pianoTune());
        m_dir.write("tune.rmi", rmid(pianoTune()));
        m_dir.write("TUNE.MID", pianoTune());
        m_dir.write("garbage.wav", "RIFF this is no wave at all");
        m_dir.write("garbage.mid", "MThd this is no MIDI at all");
        m_dir.write("empty.wav", "");
        m_service = ks::createSdlSoundService();
        // The device opens with the first sound a player needs.
        ASSERT_FALSE(mixerOpen());
        g_channelsFinished = 0;
        // A restart or a halt of a playing channel is reported here at once,
        // on this thread, which is what tells a restart from playing on.
        Mix_ChannelFinished(countFinished);
    }

    void TearDown() override
    {
        Mix_ChannelFinished(nullptr);
        m_service.reset();
    }

    QString file(const char *name) const { return QString::fromStdString(m_dir.path(name)); }

    int openPlayer(const char *name)
    {
        const int player = m_service->createPlayer(QStringLiteral("Test.Oto"), SoundRole::Effect);
        m_service->command(player, SoundCommand::Open, file(name));
        return player;
    }

    void send(int player, SoundCommand command) { m_service->command(player, command, QString()); }

    void sound(int player) { send(player, SoundCommand::Restart); }

    // Each file, opened in the player and sounded, is not heard.
    void expectUnheard(int player, std::initializer_list<const char *> names)
    {
        for (const char *name : names) {
            m_service->command(player, SoundCommand::Open, file(name));
            sound(player);
            EXPECT_EQ(playingChannels(), 0) << name;
            EXPECT_EQ(playingMusic(), 0) << name;
        }
    }

    // Set before the service is made, put back after it has gone.
    const ScopedEnv m_driver{"SDL_AUDIODRIVER", "dummy"};
    TempDir m_dir;
    Synchronous m_service;
};

TEST_F(SoundServiceTest, CtrlCAndTerminationStillStopTheGame)
{
    // SDL's audio brings up its event loop, which by default turns these
    // signals into events that this program never reads.
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action = {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
    }
}

TEST_F(SoundServiceTest, NothingIsHeardOnOpen)
{
    openPlayer("long.wav");
    openPlayer("tune.mid");
    EXPECT_EQ(playingChannels(), 0);
    EXPECT_EQ(playingMusic(), 0);
}

TEST_F(SoundServiceTest, AHitRestartsTheEffectAndPlayAloneLetsItPlayOn)
{
    const int hit = openPlayer("long.wav");
    sound(hit);
    EXPECT_EQ(playingChannels(), 1);
    EXPECT_EQ(g_channelsFinished, 0);

    send(hit, SoundCommand::Play);
    EXPECT_EQ(g_channelsFinished, 0) << "Play while playing must not restart";
    EXPECT_EQ(playingChannels(), 1);

    sound(hit);
    EXPECT_EQ(g_channelsFinished, 1) << "a second hit restarts the sound, once";
    EXPECT_EQ(playingChannels(), 1);

    send(hit, SoundCommand::Stop);
    EXPECT_EQ(playingChannels(), 0);
    send(hit, SoundCommand::Stop);
    EXPECT_EQ(g_channelsFinished, 2);

    sound(hit);
    EXPECT_EQ(playingChannels(), 1) << "Restart after Stop starts again";
}

TEST_F(SoundServiceTest, PlayAtTheEndSoundsNothingUntilRestart)
{
    const int hit = openPlayer("short.wav");
    sound(hit);
    ASSERT_EQ(playingChannels(), 1);
    // The 50 ms sound is rendered to its end on the audio thread.
    ASSERT_TRUE(awaitFinished(1));
    ASSERT_EQ(playingChannels(), 0);

    send(hit, SoundCommand::Play);
    EXPECT_EQ(playingChannels(), 0);
    sound(hit);
    EXPECT_EQ(playingChannels(), 1);
}

TEST_F(SoundServiceTest, AllPlayersOfAScreenSoundTogether)
{
    // More effects than SDL_mixer's eight default channels, and music.
    std::vector<int> effects;
    for (int i = 0; i < 12; ++i)
        effects.push_back(openPlayer("long.wav"));
    const int music = openPlayer("tune.mid");
    for (int player : effects)
        sound(player);
    sound(music);
    EXPECT_EQ(playingChannels(), 12);
    EXPECT_EQ(playingMusic(), 1);
    EXPECT_EQ(g_channelsFinished, 0) << "no effect may cut another off";

    send(effects[3], SoundCommand::Stop);
    EXPECT_EQ(playingChannels(), 11);
    EXPECT_EQ(playingMusic(), 1);
}

TEST_F(SoundServiceTest, DestroyingAPlayerSilencesItAndFreesItsChannel)
{
    for (int i = 0; i < 30; ++i) {
        const int player = openPlayer("long.wav");
        sound(player);
        ASSERT_EQ(playingChannels(), 1);
        m_service->destroyPlayer(player);
        ASSERT_EQ(playingChannels(), 0);
    }
    EXPECT_LE(Mix_AllocateChannels(-1), 8) << "channels of destroyed players must be reused";

    const int music = openPlayer("tune.mid");
    sound(music);
    m_service->destroyPlayer(music);
    EXPECT_EQ(playingMusic(), 0);
}

TEST_F(SoundServiceTest, MidiPlayersTakeTheMusicStreamFromEachOther)
{
    const int first = openPlayer("tune.mid");
    const int second = openPlayer("tune.mid");
    EXPECT_EQ(ks::liveMidiSynthesizers(), 0) << "a tune makes its synthesiser when it plays";
    sound(first);
    ASSERT_EQ(playingMusic(), 1);
    EXPECT_EQ(ks::liveMidiSynthesizers(), 1);
    EXPECT_EQ(tuneSoundfontsOpen(), 1) << "the tune plays from a soundfont of its own";
    sound(second);
    ASSERT_EQ(playingMusic(), 1);
    EXPECT_EQ(ks::liveMidiSynthesizers(), 1) << "the first tune's synthesiser is gone";
    EXPECT_EQ(tuneSoundfontsOpen(), 1);

    // The first no longer has the stream: its Stop and its end must not
    // silence the second's music.
    send(first, SoundCommand::Stop);
    EXPECT_EQ(playingMusic(), 1);
    m_service->destroyPlayer(first);
    EXPECT_EQ(playingMusic(), 1);

    send(second, SoundCommand::Stop);
    EXPECT_EQ(playingMusic(), 0);
    send(second, SoundCommand::Play);
    EXPECT_EQ(playingMusic(), 1) << "Play after Stop starts the music again";

    // A tune that lost its synthesiser makes a new one when it plays again.
    const int third = openPlayer("tune.rmi");
    sound(third);
    send(second, SoundCommand::Play);
    EXPECT_EQ(playingMusic(), 1);
    EXPECT_EQ(ks::liveMidiSynthesizers(), 1);
    m_service->destroyPlayer(second);
    m_service->destroyPlayer(third);
    EXPECT_EQ(ks::liveMidiSynthesizers(), 0);
    EXPECT_EQ(tuneSoundfontsOpen(), 0);
}

// What SDL_mixer's synthesisers are made with: samples loaded as the tune's
// instruments need them, and the game's number of voices.
TEST(SoundTuneSettings, SynthesisersLoadOnlyTheSamplesATuneUses)
{
    using New = void *(*)();
    using Delete = void (*)(void *);
    using GetInt = int (*)(void *, const char *, int *);
    // The program's own, as SDL_mixer finds it.
    const auto make = reinterpret_cast<New>(dlsym(RTLD_DEFAULT, "new_fluid_settings"));
    const auto destroy = reinterpret_cast<Delete>(dlsym(RTLD_DEFAULT, "delete_fluid_settings"));
    const auto getInt = reinterpret_cast<GetInt>(dlsym(RTLD_DEFAULT, "fluid_settings_getint"));
    if (!getInt)
        GTEST_SKIP() << "SDL_mixer without FluidSynth";
    ASSERT_TRUE(make && destroy);

    void *settings = make();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(ks::liveMidiSynthesizers(), 1);
    int dynamic = 0;
    EXPECT_NE(getInt(settings, "synth.dynamic-sample-loading", &dynamic), -1);
    EXPECT_EQ(dynamic, 1);
    int voices = 0;
    EXPECT_NE(getInt(settings, "synth.polyphony", &voices), -1);
    EXPECT_EQ(voices, ks::kTuneVoices);
    destroy(settings);
    EXPECT_EQ(ks::liveMidiSynthesizers(), 0);
}

TEST_F(SoundServiceTest, TheKindFollowsFromTheExtension)
{
    for (const char *name : {"tune.rmi", "TUNE.MID"}) {
        const int player = openPlayer(name);
        sound(player);
        EXPECT_EQ(playingMusic(), 1) << name;
        EXPECT_EQ(playingChannels(), 0) << name;
        m_service->destroyPlayer(player);
    }
}

TEST_F(SoundServiceTest, FailuresAreSilentAndLeaveThePlayerUsable)
{
    const int player = m_service->createPlayer(QStringLiteral("Test.Oto"), SoundRole::Effect);
    // Before any Open.
    send(player, SoundCommand::Restart);
    send(player, SoundCommand::Play);
    send(player, SoundCommand::Stop);
    // Nothing to open, or nothing usable in it.
    for (const char *name :
         {"", "missing.wav", "missing.mid", "garbage.wav", "garbage.mid", "empty.wav"}) {
        m_service->command(player, SoundCommand::Open, name[0] ? file(name) : QString());
        sound(player);
        EXPECT_EQ(playingChannels(), 0) << name;
        EXPECT_EQ(playingMusic(), 0) << name;
    }
    // Handles that are not, or no longer, players.
    const int gone = m_service->createPlayer(QStringLiteral("Test.Gone"), SoundRole::Effect);
    m_service->destroyPlayer(gone);
    for (int handle : {0, -1, gone, player + 1000}) {
        m_service->command(handle, SoundCommand::Open, file("long.wav"));
        sound(handle);
        send(handle, SoundCommand::Stop);
        m_service->destroyPlayer(handle);
    }
    EXPECT_EQ(playingChannels(), 0);

    m_service->command(player, SoundCommand::Open, file("long.wav"));
    sound(player);
    EXPECT_EQ(playingChannels(), 1);
    // A failed Open replaces what the player held.
    m_service->command(player, SoundCommand::Open, file("missing.wav"));
    EXPECT_EQ(playingChannels(), 0);
    sound(player);
    EXPECT_EQ(playingChannels(), 0);
}

// Two files that reached SDL_mixer once: an 8-bit WAVE declaring 1 Hz, whose
// conversion buffer size overflowed (the game died), and a MIDI file named as
// a WAVE, which SDL_mixer renders whole into memory on the sound thread (a
// gigabyte for a long one, every later sound held up). Neither is heard now,
// and the sounds after them play.
TEST_F(SoundServiceTest, FilesThatWouldCrashOrStallTheMixerAreNotHeard)
{
    m_dir.write("onehz.wav", monoWave(1, 8, std::string(6087, '\x80')));
    m_dir.write("gun.wav", pianoTune());
    const int player = m_service->createPlayer(QStringLiteral("Test.Gunsound"), SoundRole::Effect);
    expectUnheard(player, {"onehz.wav", "gun.wav"});
    m_service->command(player, SoundCommand::Open, file("long.wav"));
    sound(player);
    EXPECT_EQ(playingChannels(), 1);
    const int music = openPlayer("tune.mid");
    sound(music);
    EXPECT_EQ(playingMusic(), 1);
}

// An effect is decoded whole, and so may last five seconds; a tune streams
// from its file, whatever its length, and sounds on the music stream. A WAVE
// tune keeps playing after its file is gone: it was opened when checked.
TEST_F(SoundServiceTest, EffectsAreShortAndWaveTunesStream)
{
    m_dir.write("six.wav", sineWave(8000, 6.0, 440, 8000));
    const int effect = openPlayer("six.wav");
    sound(effect);
    EXPECT_EQ(playingChannels(), 0) << "an effect of 6 s was decoded";
    EXPECT_EQ(playingMusic(), 0);

    const int tune = m_service->createPlayer(QStringLiteral("Test.Ongaku"), SoundRole::Music);
    m_service->command(tune, SoundCommand::Open, file("six.wav"));
    ASSERT_TRUE(std::filesystem::remove(m_dir.path("six.wav")));
    sound(tune);
    EXPECT_EQ(playingMusic(), 1);
    EXPECT_EQ(playingChannels(), 0) << "a tune took a channel";
}

// A music slot can name anything: a device would fill memory if read to its
// end, a FIFO would block an open for ever. Both are simply not heard, and
// a real file still plays afterwards.
TEST_F(SoundServiceTest, DevicesFifosAndFoldersAreSilentAtOnce)
{
    ASSERT_EQ(::mkfifo(m_dir.path("fifo.mid").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", m_dir.path("zero.wav").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", m_dir.path("zero.mid").c_str()), 0);
    ASSERT_EQ(::mkdir(m_dir.path("folder.mid").c_str(), 0755), 0);
    const int player = m_service->createPlayer(QStringLiteral("Test.Ongaku"), SoundRole::Music);
    expectUnheard(player, {"fifo.mid", "zero.wav", "zero.mid", "folder.mid"});
    m_service->command(player, SoundCommand::Open, file("tune.mid"));
    sound(player);
    EXPECT_EQ(playingMusic(), 1);
}

TEST_F(SoundServiceTest, ServicesAliveTogetherShareTheMixer)
{
    Synchronous other(ks::createSdlSoundService());
    const int mine = openPlayer("long.wav");
    const int theirs = other->createPlayer(QStringLiteral("Other.Oto"), SoundRole::Effect);
    other->command(theirs, SoundCommand::Open, file("long.wav"));
    sound(mine);
    other->command(theirs, SoundCommand::Restart, QString());
    EXPECT_EQ(playingChannels(), 2) << "each player needs a channel of its own";

    other.reset();
    EXPECT_EQ(playingChannels(), 1);
    EXPECT_TRUE(mixerOpen()) << "the device stays open for the rest";
}

// Something the sound thread does in its own time, waited for: the limit
// only ends a test whose service never does it.
class Signal
{
public:
    void raise()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_count;
        }
        m_changed.notify_all();
    }
    bool await(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_count >= count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count = 0;
};

// An idle game keeps no audio thread spinning: the device opens for the
// first sound, closes after the silence that follows, and opens again for
// the next sound, effects and music alike playing as before.
TEST(SoundServiceDevice, OpensForASoundAndClosesAfterSilence)
{
    const ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    TempDir dir;
    dir.write("short.wav", sineWave(8000, 0.05, 440, 8000));
    dir.write("tune.mid", pianoTune());
    {
        Signal closed;
        ks::SdlSoundOptions options;
        options.idleClose = std::chrono::milliseconds(100);
        options.afterDeviceClose = [&closed] { closed.raise(); };
        Synchronous service(ks::createSdlSoundService(options));
        const int effect = service->createPlayer(QStringLiteral("Test.Oto"), SoundRole::Effect);
        const int music = service->createPlayer(QStringLiteral("Test.Bgm"), SoundRole::Music);
        EXPECT_FALSE(mixerOpen());
        service->command(effect, SoundCommand::Open, QString::fromStdString(dir.path("short.wav")));
        service->command(music, SoundCommand::Open, QString::fromStdString(dir.path("tune.mid")));
        EXPECT_TRUE(mixerOpen());
        for (int round = 0; round < 2; ++round) {
            service->command(effect, SoundCommand::Restart, QString());
            EXPECT_TRUE(mixerOpen()) << round;
            EXPECT_EQ(playingChannels(), 1) << round;
            service->command(music, SoundCommand::Restart, QString());
            EXPECT_EQ(playingMusic(), 1) << round;
            service->command(music, SoundCommand::Stop, QString());
            ASSERT_TRUE(closed.await(round + 1)) << round;
            EXPECT_FALSE(mixerOpen()) << round;
        }
    }
}

// Commands never wait for the device: while it is still opening they are
// queued, and once it is open they run in order, none lost. The opening is
// held until the commands are given, so a command that waited for it would
// never return.
TEST(SoundServiceDevice, CommandsGivenWhileItOpensRunOnceItIsThere)
{
    const ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    TempDir dir;
    dir.write("long.wav", sineWave(8000, 4.5, 440, 8000));
    {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        Signal opening;
        ks::SdlSoundOptions options;
        options.beforeDeviceOpen = [&] {
            opening.raise();
            released.wait();
        };
        auto service = ks::createSdlSoundService(options);
        const int player = service->createPlayer(QStringLiteral("Logo.Oto"), SoundRole::Effect);
        service->command(player, SoundCommand::Open, QString::fromStdString(dir.path("long.wav")));
        service->command(player, SoundCommand::Restart, QString());
        ASSERT_TRUE(opening.await(1));
        EXPECT_FALSE(mixerOpen());
        release.set_value();
        service->waitForCommands();
        EXPECT_TRUE(mixerOpen());
        EXPECT_EQ(playingChannels(), 1) << "the queued Play was lost";
    }
}

TEST(SoundServiceWithoutDevice, EveryCommandIsANoOp)
{
    TempDir dir;
    dir.write("tone.wav", sineWave(8000, 1.0, 440, 8000));
    dir.write("tune.mid", pianoTune());
    const ScopedEnv driver("SDL_AUDIODRIVER", "ks_no_such_driver");
    {
        Synchronous service(ks::createSdlSoundService());
        EXPECT_FALSE(mixerOpen());
        const int effect = service->createPlayer(QStringLiteral("Test.Oto"), SoundRole::Effect);
        const int music = service->createPlayer(QStringLiteral("Test.Bgm"), SoundRole::Music);
        EXPECT_NE(effect, music);
        for (int player : {effect, music}) {
            const char *name = player == effect ? "tone.wav" : "tune.mid";
            service->command(player, SoundCommand::Open, QString::fromStdString(dir.path(name)));
            service->command(player, SoundCommand::Restart, QString());
            service->command(player, SoundCommand::Stop, QString());
        }
        EXPECT_FALSE(mixerOpen());
        service->destroyPlayer(effect);
    }
}

} // namespace
