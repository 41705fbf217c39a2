// A tune's soundfont: the presets a MIDI file selects, and a soundfont cut
// down to them that must sound exactly like the whole one.
#include "core/soundfont.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <fluidsynth.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

using namespace ks;
using ks::test::TempDir;

namespace {

constexpr const char *kWholeSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

void putBe(std::string &out, std::uint32_t value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.push_back(char(value >> (8 * i) & 0xFF));
}

// A format 1 file of the given tracks, each given as its event bytes.
std::string smf(std::initializer_list<std::vector<int>> tracks)
{
    std::string file = "MThd";
    putBe(file, 6, 4);
    putBe(file, 1, 2);
    putBe(file, std::uint32_t(tracks.size()), 2);
    putBe(file, 96, 2);
    for (const std::vector<int> &events : tracks) {
        file += "MTrk";
        putBe(file, std::uint32_t(events.size()), 4);
        for (int b : events)
            file.push_back(char(b));
    }
    return file;
}

const std::vector<int> kEnd = {0x00, 0xFF, 0x2F, 0x00};

// A track's events, with the end of track after them.
std::vector<int> track(std::initializer_list<int> events)
{
    std::vector<int> bytes(events);
    bytes.insert(bytes.end(), kEnd.begin(), kEnd.end());
    return bytes;
}

struct PresetCase
{
    const char *what;
    std::string file;
    PresetSet mustHave;
    PresetSet mustLack;
};

} // namespace

TEST(TunePresets, TheProgramsBanksAndDrumsAFileSelects)
{
    const PresetSet defaults{{0, 0}, {128, 0}};
    const PresetCase cases[] = {
        {"notes without a program play the piano",
         smf({track({0x00, 0x90, 60, 100, 0x30, 0x80, 60, 0})}),
         defaults,
         {{0, 1}}},
        {"a program change, then notes in running status",
         smf({track({0x00, 0xC0, 56, 0x00, 0x90, 60, 100, 0x10, 64, 100, 0x10, 60, 0})}),
         {{0, 56}},
         {}},
        {"a bank, with the General MIDI program to fall back on",
         smf({track({0x00, 0xB1, 0x00, 8, 0x00, 0xC1, 48, 0x00, 0x91, 60, 90})}),
         {{8, 48}, {0, 48}},
         {{128, 48}}},
        {"the tenth channel plays drum kits",
         smf({track({0x00, 0xC9, 25, 0x00, 0x99, 36, 100})}),
         {{128, 25}, {128, 0}},
         {{0, 25}}},
        {"meta events and system exclusives are stepped over",
         smf({track({0x00, 0xFF, 0x03, 0x03, 'a',  'b', 'c',  0x00, 0xF0, 0x03,
                     0x7E, 0x7F, 0xF7, 0x00, 0xC2, 73,  0x00, 0x92, 70,   80})}),
         {{0, 73}},
         {}},
        {"tracks are read alike",
         smf({track({0x00, 0xC3, 19}), track({0x00, 0xC4, 105, 0x00, 0x94, 50, 60})}),
         {{0, 19}, {0, 105}},
         {}},
        {"a few stray bytes after the last track",
         smf({track({0x00, 0xC5, 40})}) + std::string(3, '\0'),
         {{0, 40}},
         {}},
    };
    for (const PresetCase &c : cases) {
        const std::optional<PresetSet> presets = presetsUsedBy(c.file);
        ASSERT_TRUE(presets) << c.what;
        for (const Preset &p : defaults)
            EXPECT_TRUE(presets->count(p)) << c.what << ": the start-up preset " << p.first;
        for (const Preset &p : c.mustHave)
            EXPECT_TRUE(presets->count(p)) << c.what << ": lacks " << p.first << "," << p.second;
        for (const Preset &p : c.mustLack)
            EXPECT_FALSE(presets->count(p)) << c.what << ": has " << p.first << "," << p.second;
    }
}

TEST(TunePresets, WhatIsNoMidiFileGivesNothing)
{
    std::string truncated = smf({track({0x00, 0xC0, 5})});
    truncated.resize(truncated.size() - 2);
    std::string tooLong = smf({kEnd});
    tooLong[21] = char(0x7F); // the track claims more than there is
    const std::pair<const char *, std::string> cases[] = {
        {"empty", ""},
        {"no header", "RIFF....RMID"},
        {"a short header", std::string("MThd\0\0\0\2\0\1", 10)},
        {"a track cut short", truncated},
        {"a track longer than the file", tooLong},
        {"running status before any status", smf({track({0x00, 60, 100})})},
        {"a delta time of five bytes", smf({track({0x81, 0x81, 0x81, 0x81, 0x01, 0xC0, 1})})},
    };
    for (const auto &[what, bytes] : cases)
        EXPECT_FALSE(presetsUsedBy(bytes)) << what;
}

namespace {

// Renders the first seconds of a MIDI file through FluidSynth from a
// soundfont file, as the game's synthesiser is set up.
std::vector<std::int16_t> renderTune(const std::string &soundfont, const std::string &midi,
                                     double seconds)
{
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    fluid_settings_t *settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setnum(settings, "synth.sample-rate", 44100);
    fluid_synth_t *synth = new_fluid_synth(settings);
    std::vector<std::int16_t> out;
    if (fluid_synth_sfload(synth, soundfont.c_str(), 1) != FLUID_FAILED) {
        fluid_player_t *player = new_fluid_player(synth);
        fluid_player_add(player, midi.c_str());
        fluid_player_play(player);
        const int frames = int(seconds * 44100);
        out.resize(std::size_t(frames) * 2);
        for (int done = 0; done < frames; done += 512) {
            const int n = std::min(512, frames - done);
            fluid_synth_write_s16(synth, n, out.data() + 2 * done, 0, 2, out.data() + 2 * done, 1,
                                  2);
        }
        delete_fluid_player(player);
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return out;
}

} // namespace

// The game's own tunes, and one on a bank of its own with drums: cut to
// their presets, the soundfont is under half the whole and every sample of
// the render is the same.
TEST(TuneSoundfont, ACutSoundfontSoundsExactlyLikeTheWhole)
{
    if (!std::filesystem::exists(kWholeSoundfont))
        GTEST_SKIP() << "no TimGM6mb soundfont";
    TempDir dir;
    std::vector<std::string> tunes;
    for (const char *name : {"keystorm.mid", "battle.mid", "ending.mid"})
        tunes.push_back(std::string(KS_MUSIC_DIR) + "/" + name);
    dir.write("banked.mid", smf({track({0x00, 0xB0, 0x00, 8,    0x00, 0xC0, 80,   0x00, 0x90,
                                        72,   100,  0x60, 0x80, 72,   0,    0x00, 0xC9, 0,
                                        0x00, 0x99, 38,   100,  0x30, 0x89, 38,   0})}));
    tunes.push_back(dir.path("banked.mid"));

    const auto wholeSize = std::filesystem::file_size(kWholeSoundfont);
    for (const std::string &tune : tunes) {
        std::ifstream midi(tune, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(midi), {}};
        const std::optional<PresetSet> presets = presetsUsedBy(bytes);
        ASSERT_TRUE(presets) << tune;
        std::ifstream whole(kWholeSoundfont, std::ios::binary);
        const std::optional<std::string> cut = cutSoundfont(whole, *presets);
        ASSERT_TRUE(cut) << tune;
        EXPECT_LT(cut->size(), wholeSize / 2) << tune;
        dir.write("cut.sf2", *cut);

        const std::vector<std::int16_t> fromWhole = renderTune(kWholeSoundfont, tune, 8.0);
        const std::vector<std::int16_t> fromCut = renderTune(dir.path("cut.sf2"), tune, 8.0);
        ASSERT_FALSE(fromCut.empty()) << "FluidSynth refused the cut soundfont of " << tune;
        const auto loud = std::count_if(fromWhole.begin(), fromWhole.end(),
                                        [](std::int16_t s) { return std::abs(s) > 500; });
        EXPECT_GT(loud, 1000) << tune << " is heard";
        EXPECT_TRUE(fromWhole == fromCut) << tune << " sounds different from its cut soundfont";
    }
}

// The game's tunes, played to their last release on FluidSynth's 256
// voices, never sound as many at once as the game gives a tune: none of
// their notes is cut short.
TEST(TuneSoundfont, TheGamesTunesFitInTheirVoices)
{
    if (!std::filesystem::exists(kWholeSoundfont))
        GTEST_SKIP() << "no TimGM6mb soundfont";
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    for (const char *name : {"keystorm.mid", "battle.mid", "ending.mid"}) {
        const std::string tune = std::string(KS_MUSIC_DIR) + "/" + name;
        fluid_settings_t *settings = new_fluid_settings();
        fluid_settings_setint(settings, "synth.polyphony", 256);
        fluid_synth_t *synth = new_fluid_synth(settings);
        ASSERT_NE(fluid_synth_sfload(synth, kWholeSoundfont, 1), FLUID_FAILED);
        fluid_player_t *player = new_fluid_player(synth);
        ASSERT_EQ(fluid_player_add(player, tune.c_str()), FLUID_OK) << tune;
        fluid_player_play(player);
        std::vector<float> left(512), right(512);
        int peak = 0;
        int blocks = 0;
        constexpr int kTenMinutes = 10 * 60 * 44100 / 512;
        while ((fluid_player_get_status(player) == FLUID_PLAYER_PLAYING ||
                fluid_synth_get_active_voice_count(synth) > 0) &&
               ++blocks < kTenMinutes) {
            fluid_synth_write_float(synth, 512, left.data(), 0, 1, right.data(), 0, 1);
            peak = std::max(peak, fluid_synth_get_active_voice_count(synth));
        }
        EXPECT_LT(blocks, kTenMinutes) << tune << " never ends";
        EXPECT_GT(peak, 8) << tune << " is heard";
        EXPECT_LT(peak, ks::kTuneVoices) << tune;
        delete_fluid_player(player);
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
}

TEST(TuneSoundfont, WhatCannotBeCutGivesNothing)
{
    if (!std::filesystem::exists(kWholeSoundfont))
        GTEST_SKIP() << "no TimGM6mb soundfont";
    std::ifstream file(kWholeSoundfont, std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(file), {}};
    const std::size_t hydra = whole.find("pdta");
    ASSERT_NE(hydra, std::string::npos);
    std::string badOrder = whole;
    const std::size_t pbag = whole.find("pbag", hydra);
    ASSERT_NE(pbag, std::string::npos);
    badOrder[pbag + 8 + 4] = char(0xFF); // the second zone's generators before the first's
    badOrder[pbag + 8 + 5] = char(0xFF);
    std::string badSample = whole;
    const std::size_t shdr = whole.find("shdr", hydra);
    ASSERT_NE(shdr, std::string::npos);
    const auto shdrSize = std::uint32_t(std::uint8_t(whole[shdr + 4])) |
                          std::uint32_t(std::uint8_t(whole[shdr + 5])) << 8 |
                          std::uint32_t(std::uint8_t(whole[shdr + 6])) << 16;
    for (std::size_t header = 0; header + 46 <= shdrSize; header += 46) {
        for (std::size_t i = 0; i < 4; ++i)
            badSample[shdr + 8 + header + 24 + i] = char(0xFF); // every sample ends far out
    }

    const PresetSet piano{{0, 0}};
    const std::pair<const char *, std::string> cases[] = {
        {"empty", ""},
        {"not RIFF", "RIFX" + whole.substr(4)},
        {"cut off before its presets", whole.substr(0, hydra)},
        {"zones out of order", badOrder},
        {"a sample past the sample data", badSample},
    };
    for (const auto &[what, bytes] : cases) {
        std::istringstream in(bytes);
        EXPECT_FALSE(cutSoundfont(in, piano)) << what;
    }
    std::istringstream in(whole);
    EXPECT_FALSE(cutSoundfont(in, {{5, 127}})) << "none of the presets";
}
