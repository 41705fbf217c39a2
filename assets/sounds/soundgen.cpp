// ks_soundgen: synthesises the game's sounds and writes them as WAVE files.
//
//   ks_soundgen <out-dir> [file...]     e.g.  ks_soundgen build/app moko.wav
//
// The sounds are made from code rather than shipped as recordings so that
// they stay ours, stay small in the repository, and can be retuned together:
// each one is a function of a few notes and envelopes below. Without file
// names every sound is written; with them, only those (the build asks for each
// file it needs, so one output maps to one command).
//
// Format: RIFF WAVE, PCM 16-bit, 44100 Hz, mono, the plainest format every
// mixer plays. Every sound starts and ends at silence through a smooth attack
// and release, so nothing clicks, and is scaled to one peak level so the
// sounds sit together without a mixer of their own.
//
// To add a sound (the shot, the "set", the miss buzz, the brake): write a
// `Samples makeSomething()` beside makeMoko(), built from the voices and
// envelopes here, and list it in kSounds.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPeakDbfs = -3.0;  // loud enough over music, with room left for mixing
constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Samples = std::vector<double>;

std::size_t sampleCount(double seconds)
{
    return static_cast<std::size_t>(std::lround(seconds * kRate));
}

double noteFrequency(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// Raised-cosine ramp from 0 to 1 over [0, 1]: its slope is zero at both ends,
// so a sound faded in or out with it has no corner to click on.
double smoothRamp(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

// Gain envelope of a struck voice: a short smooth attack, an exponential
// decay (how a bell or a plucked tine dies away) and a smooth release that
// reaches exact silence at `length`.
struct Envelope
{
    double attack = 0.006;
    double decay = 0.25;    // time constant of the exponential decay
    double release = 0.03;

    double at(double t, double length) const
    {
        if (t < 0.0 || t >= length)
            return 0.0;
        const double in = smoothRamp(t / attack);
        const double out = smoothRamp((length - t) / release);
        return in * out * std::exp(-t / decay);
    }
};

// A note of the mascot's voice: a soft FM bell (modulator an octave above the
// carrier, so the partials stay harmonic and it sounds sung, not struck) with a
// brightness that fades faster than the note, as real bells do.
struct BellNote
{
    double start = 0.0;          // seconds
    double length = 0.2;         // seconds, release included
    int pitch = 72;              // MIDI note number
    double gain = 1.0;
    Envelope envelope;
    double brightness = 1.6;     // FM index at the strike
    double brightnessDecay = 0.08;
    double scoop = 0.5;          // semitones below pitch the note slides up from
    double scoopTime = 0.03;
    double vibratoDepth = 0.0;   // semitones
    double vibratoDelay = 0.15;  // seconds before the vibrato fades in
};

void addBell(Samples &mix, const BellNote &note)
{
    const double base = noteFrequency(note.pitch);
    const std::size_t first = sampleCount(note.start);
    const std::size_t count = sampleCount(note.length);
    if (mix.size() < first + count)
        mix.resize(first + count, 0.0);

    double carrierPhase = 0.0;
    double modulatorPhase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // The pitch is integrated sample by sample so the slide and the
        // vibrato bend it without jumps in phase.
        double semitones = -note.scoop * (1.0 - smoothRamp(t / note.scoopTime));
        if (note.vibratoDepth > 0.0) {
            const double fadeIn = smoothRamp((t - note.vibratoDelay) / 0.12);
            semitones += note.vibratoDepth * fadeIn * std::sin(kTwoPi * 6.0 * t);
        }
        const double frequency = base * std::pow(2.0, semitones / 12.0);
        carrierPhase += kTwoPi * frequency / kRate;
        modulatorPhase += kTwoPi * 2.0 * frequency / kRate;

        const double index = 0.35 + note.brightness * std::exp(-t / note.brightnessDecay);
        const double bell = std::sin(carrierPhase + index * std::sin(modulatorPhase));
        // A faint tine two octaves up gives the attack its sparkle.
        const double tine = 0.18 * std::exp(-t / 0.04) * std::sin(4.0 * carrierPhase);
        mix[first + i] += note.gain * note.envelope.at(t, note.length) * (bell + tine);
    }
}

// Scales the sound so its loudest sample sits at `dbfs`.
void normalise(Samples &samples, double dbfs)
{
    double peak = 0.0;
    for (double s : samples)
        peak = std::max(peak, std::abs(s));
    if (peak <= 0.0)
        return;
    const double scale = std::pow(10.0, dbfs / 20.0) / peak;
    for (double &s : samples)
        s *= scale;
}

// The logo's jingle, sung by モコ while its mouth moves: a rising C major
// arpeggio, a little turn, and a high C held with a chord under it and a
// touch of vibrato, about one second in all.
Samples makeMoko()
{
    Samples mix;
    const Envelope quick{0.006, 0.22, 0.04};
    const double step = 0.085;

    // G4 C5 E5 G5, then E5 G5: short bright notes that overlap a little.
    const int run[] = {67, 72, 76, 79, 76, 79};
    const double at[] = {0.0, step, 2 * step, 3 * step, 4 * step + 0.02, 5 * step + 0.02};
    for (std::size_t i = 0; i < std::size(run); ++i)
        addBell(mix, {at[i], 0.16, run[i], 0.8, quick});

    // The held C6 with E5 and G5 under it, all fading out together.
    const double hold = 6 * step + 0.04;
    const double holdLength = 1.05 - hold;
    const Envelope held{0.008, 0.35, 0.22};
    BellNote top{hold, holdLength, 84, 1.0, held};
    top.vibratoDepth = 0.18;
    addBell(mix, top);
    BellNote third{hold, holdLength, 76, 0.35, held};
    third.scoop = 0.0;
    third.brightness = 0.8;
    addBell(mix, third);
    BellNote fifth{hold, holdLength, 79, 0.35, held};
    fifth.scoop = 0.0;
    fifth.brightness = 0.8;
    addBell(mix, fifth);

    normalise(mix, kPeakDbfs);
    return mix;
}

struct Sound
{
    std::string_view file;
    Samples (*make)();
};

constexpr Sound kSounds[] = {
    {"moko.wav", makeMoko},
};

void putLittleEndian(std::ofstream &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

bool writeWave(const std::filesystem::path &path, const Samples &samples)
{
    constexpr std::uint32_t channels = 1;
    constexpr std::uint32_t bitsPerSample = 16;
    constexpr std::uint32_t blockAlign = channels * bitsPerSample / 8;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * blockAlign);

    // Written beside the target and renamed over it, so a failed build never
    // leaves a truncated file that looks up to date.
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write("RIFF", 4);
        putLittleEndian(out, 36 + dataBytes, 4);
        out.write("WAVE", 4);
        out.write("fmt ", 4);
        putLittleEndian(out, 16, 4);                   // size of the fmt chunk
        putLittleEndian(out, 1, 2);                    // PCM
        putLittleEndian(out, channels, 2);
        putLittleEndian(out, kRate, 4);
        putLittleEndian(out, kRate * blockAlign, 4);   // bytes per second
        putLittleEndian(out, blockAlign, 2);
        putLittleEndian(out, bitsPerSample, 2);
        out.write("data", 4);
        putLittleEndian(out, dataBytes, 4);
        for (double s : samples) {
            const long value = std::lround(std::clamp(s, -1.0, 1.0) * 32767.0);
            putLittleEndian(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(value)), 2);
        }
        out.close();
        if (!out)
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ks_soundgen <out-dir> [file...]\n");
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        std::fprintf(stderr, "ks_soundgen: cannot create %s\n", argv[1]);
        return 1;
    }

    std::vector<std::string_view> wanted(argv + 2, argv + argc);
    for (std::string_view name : wanted) {
        const bool known = std::any_of(std::begin(kSounds), std::end(kSounds),
                                       [&](const Sound &sound) { return sound.file == name; });
        if (!known) {
            std::fprintf(stderr, "ks_soundgen: no sound named %.*s\n",
                         static_cast<int>(name.size()), name.data());
            return 2;
        }
    }

    int status = 0;
    for (const Sound &sound : kSounds) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), sound.file) == wanted.end())
            continue;
        const std::filesystem::path path = directory / std::string(sound.file);
        if (!writeWave(path, sound.make())) {
            std::fprintf(stderr, "ks_soundgen: cannot write %s\n", path.string().c_str());
            status = 1;
        }
    }
    return status;
}
