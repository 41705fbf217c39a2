// What may reach the mixer: crafted WAVE and MIDI files, good ones and the
// faults that crashed the game or stalled its sound, through the check.
#include "core/soundfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace ks;

namespace {

void putLe(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char(value >> (8 * i) & 0xFF));
}

void putBe(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(char(value >> (8 * i) & 0xFF));
}

std::string riffChunk(const std::string &id, const std::string &body)
{
    std::string out = id;
    putLe(out, std::uint32_t(body.size()), 4);
    out += body;
    if (body.size() & 1)
        out.push_back('\0');
    return out;
}

// A WAVE file, field by field; what is not set follows from the rest.
struct Wave
{
    std::uint32_t tag = 1;
    std::uint32_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint32_t bits = 16;
    std::optional<std::uint32_t> blockAlign;
    std::optional<std::uint32_t> byteRate;
    std::optional<std::string> extra; // after the plain 16 bytes, cbSize first
    std::size_t dataBytes = 1000;
    std::string before; // chunks before fmt

    std::uint32_t align() const { return blockAlign.value_or(channels * bits / 8); }

    std::string fmt() const
    {
        std::string out;
        putLe(out, tag, 2);
        putLe(out, channels, 2);
        putLe(out, rate, 4);
        putLe(out, byteRate.value_or(rate * align()), 4);
        putLe(out, align(), 2);
        putLe(out, bits, 2);
        if (extra) {
            putLe(out, std::uint32_t(extra->size()), 2);
            out += *extra;
        }
        return out;
    }

    std::string data() const { return std::string(dataBytes, '\x80'); }

    std::string bytes() const
    {
        return riffChunk("RIFF",
                         "WAVE" + before + riffChunk("fmt ", fmt()) + riffChunk("data", data()));
    }
};

Wave pcm(std::uint32_t channels, std::uint32_t rate, std::uint32_t bits)
{
    Wave w;
    w.channels = channels;
    w.rate = rate;
    w.bits = bits;
    return w;
}

// An ADPCM WAVE at 22.05 kHz, ten blocks long, its extra part starting with
// the frames a block holds.
Wave adpcm(std::uint32_t tag, std::uint32_t channels, std::uint32_t blockAlign,
           std::uint32_t framesPerBlock)
{
    Wave w;
    w.tag = tag;
    w.channels = channels;
    w.rate = 22050;
    w.bits = 4;
    w.blockAlign = blockAlign;
    w.byteRate = 22050 * blockAlign / framesPerBlock;
    w.extra.emplace();
    putLe(*w.extra, framesPerBlock, 2);
    w.dataBytes = blockAlign * 10;
    return w;
}

Wave imaAdpcm(std::uint32_t channels, std::uint32_t blockAlign, std::uint32_t framesPerBlock)
{
    return adpcm(0x11, channels, blockAlign, framesPerBlock);
}

constexpr std::int16_t kPredictors[14] = {256, 0,   512, -256, 0,    0,   192,
                                          64,  240, 0,   460,  -208, 392, -232};

Wave msAdpcm(std::uint32_t channels, std::uint32_t blockAlign, std::uint32_t framesPerBlock,
             std::int16_t firstPredictor = 256)
{
    Wave w = adpcm(0x02, channels, blockAlign, framesPerBlock);
    putLe(*w.extra, 7, 2);
    for (int i = 0; i < 14; ++i)
        putLe(*w.extra, std::uint16_t(i == 0 ? firstPredictor : kPredictors[i]), 2);
    return w;
}

// The sub-format GUID of extensible PCM, its tag in the first word.
std::string extensible(std::uint32_t subTag, std::uint32_t bits)
{
    std::string extra;
    putLe(extra, bits, 2); // valid bits
    putLe(extra, 0x4, 4);  // front centre
    putLe(extra, subTag, 2);
    extra += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    return extra;
}

std::string smfHeader(std::uint32_t format, std::uint32_t tracks, std::uint32_t division,
                      std::uint32_t headerSize = 6)
{
    std::string out = "MThd";
    putBe(out, headerSize, 4);
    putBe(out, format, 2);
    putBe(out, tracks, 2);
    putBe(out, division, 2);
    out += std::string(headerSize - 6, '\0');
    return out;
}

std::string track(const std::string &events, std::uint32_t declared = 0)
{
    std::string out = "MTrk";
    putBe(out, declared ? declared : std::uint32_t(events.size()), 4);
    return out + events;
}

const std::string kEvents("\x00\x90\x3C\x40\x60\x80\x3C\x00\x00\xFF\x2F\x00", 12);

std::string midi()
{
    return smfHeader(1, 2, 96) + track(kEvents) + track(kEvents);
}

// A note of 37 hours at the slowest tempo: tiny as a file, endless when a
// decoder renders it into memory.
std::string endlessMidi()
{
    return smfHeader(0, 1, 96) + track(std::string("\x00\xFF\x51\x03\xFF\xFF\xFF\x00\x90\x3C\x40"
                                                   "\x8F\xFF\x7F\x80\x3C\x00\x00\xFF\x2F\x00",
                                                   21));
}

std::string rmid(const std::string &smf)
{
    return riffChunk("RIFF", "RMID" + riffChunk("data", smf));
}

std::string cut(std::string bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

// Cut, with the RIFF size saying so: the chunk cut is what runs past the end.
std::string cutRiff(std::string bytes, std::size_t size)
{
    bytes.resize(size);
    std::string riffSize;
    putLe(riffSize, std::uint32_t(size - 8), 4);
    return bytes.replace(4, 4, riffSize);
}

// A file with one thing changed.
template <typename Change> std::string edited(Wave wave, Change change)
{
    change(wave);
    return wave.bytes();
}

struct Case
{
    const char *name;
    std::string file;
    SoundFileKind kind;
    bool playable;
};

std::vector<Case> cases()
{
    constexpr auto wav = SoundFileKind::Wave;
    constexpr auto mid = SoundFileKind::Midi;
    const Wave good = pcm(1, 44100, 16);
    const std::string oddChunks = riffChunk("LIST", "INFOabc") + riffChunk("junk", "x");
    std::vector<Case> c = {
        {"16-bit mono PCM", good.bytes(), wav, true},
        {"8-bit stereo PCM", pcm(2, 22050, 8).bytes(), wav, true},
        {"IMA ADPCM mono", imaAdpcm(1, 512, 1017).bytes(), wav, true},
        {"IMA ADPCM stereo", imaAdpcm(2, 1024, 1017).bytes(), wav, true},
        {"MS ADPCM mono", msAdpcm(1, 256, 500).bytes(), wav, true},
        {"MS ADPCM stereo", msAdpcm(2, 512, 500).bytes(), wav, true},
        {"MIDI", midi(), mid, true},
        {"RMID", rmid(midi()), mid, true},
        {"lowest rate", pcm(1, 4000, 8).bytes(), wav, true},
        {"highest rate", pcm(2, 192000, 16).bytes(), wav, true},
        // The 8-bit mono WAVE at 1 Hz that overflowed SDL_mixer's conversion.
        {"1 Hz",
         edited(pcm(1, 1, 8), [](Wave &w) { w.dataBytes = 6087; }),
         wav, false},
        {"3999 Hz", pcm(1, 3999, 16).bytes(), wav, false},
        {"200 kHz", pcm(1, 200000, 16).bytes(), wav, false},
        // The MIDI file named gun.wav that decoded to more than a gigabyte.
        {"MIDI named as a WAVE", endlessMidi(), wav, false},
        {"RMID named as a WAVE", rmid(midi()), wav, false},
        {"WAVE named as MIDI", good.bytes(), mid, false},
        {"empty as WAVE", "", wav, false},
        {"empty as MIDI", "", mid, false},
        {"zero channels", pcm(0, 44100, 16).bytes(), wav, false},
        {"3 channels", pcm(3, 44100, 16).bytes(), wav, false},
        {"24-bit", pcm(2, 44100, 24).bytes(), wav, false},
        {"12-bit", pcm(1, 44100, 12).bytes(), wav, false},
        {"float",
         edited(pcm(1, 44100, 32), [](Wave &w) { w.tag = 3; }),
         wav, false},
        {"wrong block align",
         edited(good, [](Wave &w) { w.blockAlign = 4; }),
         wav, false},
        {"wrong byte rate",
         edited(good, [](Wave &w) { w.byteRate = 44100; }),
         wav, false},
        {"extensible PCM",
         edited(pcm(1, 44100, 16), [](Wave &w) { w.tag = 0xFFFE; w.extra = extensible(1, 16); }),
         wav, true},
        {"extensible float",
         edited(pcm(1, 44100, 32), [](Wave &w) { w.tag = 0xFFFE; w.extra = extensible(3, 32); }),
         wav, false},
        {"IMA ADPCM, more frames than its blocks hold", imaAdpcm(1, 512, 1018).bytes(), wav, false},
        {"IMA ADPCM, blocks of part words", imaAdpcm(2, 1028, 1018).bytes(), wav, false},
        {"IMA ADPCM, block no bigger than its header", imaAdpcm(1, 4, 1).bytes(), wav, false},
        {"MS ADPCM, other predictors", msAdpcm(1, 256, 500, 255).bytes(), wav, false},
        {"MS ADPCM, more frames than its blocks hold", msAdpcm(1, 256, 501).bytes(), wav, false},
        {"MS ADPCM, predictors missing",
         edited(msAdpcm(1, 256, 500), [](Wave &w) { w.extra->resize(20); }),
         wav, false},
        {"ADPCM byte rate off by half",
         edited(imaAdpcm(1, 512, 1017), [](Wave &w) { w.byteRate = *w.byteRate / 2; }),
         wav, false},
        // 4 kHz 8-bit mono swells 44-fold: the last file within the cap, and one past it.
        {"longest a sound may be",
         edited(pcm(1, 4000, 8), [](Wave &w) { w.dataBytes = 1521700; }),
         wav, true},
        {"longer than a sound may be",
         edited(pcm(1, 4000, 8), [](Wave &w) { w.dataBytes = 1522000; }),
         wav, false},
        {"no data", riffChunk("RIFF", "WAVE" + riffChunk("fmt ", good.fmt())), wav, false},
        {"empty data",
         edited(pcm(1, 44100, 16), [](Wave &w) { w.dataBytes = 0; }),
         wav, false},
        {"data before its format",
         riffChunk("RIFF", "WAVE" + riffChunk("data", good.data()) + riffChunk("fmt ", good.fmt())),
         wav, false},
        {"odd chunks before the format, padded",
         edited(good, [&](Wave &w) { w.before = oddChunks; }),
         wav, true},
        {"an odd data chunk without its last pad byte",
         [] {
             Wave w = pcm(1, 8000, 8);
             w.dataBytes = 101;
             std::string bytes = w.bytes();
             bytes.pop_back();
             bytes[4] = char(bytes[4] - 1); // the RIFF size without the pad
             return bytes;
         }(),
         wav, true},
        {"huge data size",
         [&] {
             std::string bytes = good.bytes();
             return bytes.replace(40, 4, std::string("\x00\x00\x00\x40", 4)); // 1 GiB
         }(),
         wav, false},
        {"data running past the file", cutRiff(good.bytes(), good.bytes().size() - 10), wav, false},
        {"RIFF size running past the file",
         [&] {
             std::string bytes = good.bytes();
             bytes[4] = char(bytes[4] + 2);
             return bytes;
         }(),
         wav, false},
        {"header cut in RIFF", cut(good.bytes(), 10), wav, false},
        {"header cut in fmt", cutRiff(good.bytes(), 30), wav, false},
        {"header cut in fmt, the RIFF size left", cut(good.bytes(), 30), wav, false},
        {"fmt too short",
         riffChunk("RIFF", "WAVE" + riffChunk("fmt ", good.fmt().substr(0, 14)) +
                               riffChunk("data", good.data())),
         wav, false},
        {"not RIFF", "RIFX" + good.bytes().substr(4), wav, false},
        {"not WAVE", "RIFF" + good.bytes().substr(4, 4) + "AVI " + good.bytes().substr(12), wav,
         false},
        {"MIDI cut in its header", cut(midi(), 10), mid, false},
        {"MIDI header of eight bytes", smfHeader(0, 1, 96, 8) + track(kEvents), mid, false},
        {"MIDI format 3", smfHeader(3, 1, 96) + track(kEvents), mid, false},
        {"MIDI without tracks", smfHeader(0, 0, 96), mid, false},
        {"MIDI with SMPTE timing", smfHeader(0, 1, 0xE728) + track(kEvents), mid, false},
        {"MIDI with no ticks", smfHeader(0, 1, 0) + track(kEvents), mid, false},
        {"MIDI track running past the file", smfHeader(0, 1, 96) + track(kEvents, 1000), mid,
         false},
        {"MIDI with fewer tracks than it names", smfHeader(1, 3, 96) + track(kEvents), mid, false},
        {"MIDI with a chunk of its own between tracks",
         smfHeader(1, 2, 96) + track(kEvents) + "XTRA" + std::string("\0\0\0\2ab", 6) +
             track(kEvents),
         mid, true},
        {"MIDI with bytes after its tracks", midi() + "tail", mid, true},
        {"RMID with its MIDI cut",
         [] {
             std::string bytes = rmid(midi());
             bytes.resize(bytes.size() - 8);
             bytes[4] = char(bytes[4] - 8);
             return bytes;
         }(),
         mid, false},
        {"RMID without data", riffChunk("RIFF", "RMID" + riffChunk("LIST", "INFO")), mid, false},
        {"text", "MThd this is no MIDI at all", mid, false},
    };
    return c;
}

TEST(SoundFileCheck, OnlySaneWavesAndMidiFilesReachTheMixer)
{
    for (const Case &c : cases()) {
        const SoundFileCheck check = checkSoundFile(c.file, c.kind);
        EXPECT_EQ(check.isPlayable(), c.playable) << c.name << ": " << check.refusal;
        // What is refused gives nothing to play, and a reason for the log.
        if (!c.playable) {
            EXPECT_TRUE(check.sound.empty()) << c.name;
        }
    }
}

// An effect is decoded whole and so may last five seconds at the mixer's
// format; music streams and may last its six minutes. The bounds at their
// edges, for a file at the mixer's rate and one at a low rate.
TEST(SoundFileCheck, AnEffectMayLastFiveSecondsAndMusicLonger)
{
    const struct
    {
        const char *name;
        std::uint32_t rate;
        std::size_t dataBytes; // 16-bit mono
        bool effect, music;
    } lengths[] = {
        {"five seconds at 44.1 kHz", 44100, 220500 * 2, true, true},
        {"a frame more", 44100, 220501 * 2, false, true},
        {"five seconds at 8 kHz", 8000, 40000 * 2, true, true},
        {"a frame more at 8 kHz", 8000, 40001 * 2, false, true},
    };
    for (const auto &c : lengths) {
        Wave w = pcm(1, c.rate, 16);
        w.dataBytes = c.dataBytes;
        const std::string bytes = w.bytes();
        EXPECT_EQ(checkSoundFile(bytes, SoundFileKind::Wave, SoundUse::Effect).isPlayable(),
                  c.effect)
            << c.name;
        EXPECT_EQ(checkSoundFile(bytes, SoundFileKind::Wave, SoundUse::Music).isPlayable(), c.music)
            << c.name;
    }
}

// The mixer is given the file as it is, or the MIDI file inside an .rmi.
TEST(SoundFileCheck, GivesTheMixerTheBareSound)
{
    const std::string wave = pcm(1, 44100, 16).bytes();
    EXPECT_EQ(checkSoundFile(wave, SoundFileKind::Wave).sound, wave);
    const std::string tune = midi();
    EXPECT_EQ(checkSoundFile(tune, SoundFileKind::Midi).sound, tune);
    const std::string wrapped = rmid(tune + "x"); // odd: padded in the wrapper
    EXPECT_EQ(checkSoundFile(wrapped, SoundFileKind::Midi).sound, tune + "x");
}

TEST(SoundFileCheck, TheKindFollowsFromTheName)
{
    const std::pair<const char *, SoundFileKind> names[] = {
        {"music/keystorm.mid", SoundFileKind::Midi},
        {"TUNE.MID", SoundFileKind::Midi},
        {"a.Midi", SoundFileKind::Midi},
        {"song.rmi", SoundFileKind::Midi},
        {"practice/standard/gun.wav", SoundFileKind::Wave},
        {"tune.mid.wav", SoundFileKind::Wave},
        {"folder.mid/gun", SoundFileKind::Wave},
        {"noextension", SoundFileKind::Wave},
        {"mid", SoundFileKind::Wave},
    };
    for (const auto &[name, kind] : names)
        EXPECT_EQ(soundFileKindByName(name), kind) << name;
}

} // namespace
