// ks_soundgen: synthesises the game's sounds and writes them as WAVE files,
// and writes the game's own tunes as MIDI files (composed in tune.cpp).
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
// and release, so nothing clicks, and is scaled to a chosen peak level so the
// sounds sit together without a mixer of their own: kPeakDbfs for the jingle
// and the loudest effect, a little less for the effects heard on every key.
//
// To add a sound: write a `Samples makeSomething()` beside makeMoko(), built
// from the voices, filters and envelopes here, and list it in kSounds. A tune
// is a function returning the bytes of a MIDI file, listed in kTunes.

#include "tune.h"

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
constexpr double kPeakDbfs = -3.0; // loud enough over music, with room left for mixing
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
    double decay = 0.25; // time constant of the exponential decay
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
    double start = 0.0;  // seconds
    double length = 0.2; // seconds, release included
    int pitch = 72;      // MIDI note number
    double gain = 1.0;
    Envelope envelope;
    double brightness = 1.6; // FM index at the strike
    double brightnessDecay = 0.08;
    double scoop = 0.5; // semitones below pitch the note slides up from
    double scoopTime = 0.03;
    double vibratoDepth = 0.0;  // semitones
    double vibratoDelay = 0.15; // seconds before the vibrato fades in
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

// ---------------------------------------------------------------------------
// Effects of the speed tester. They are heard on every key, hundreds of times
// a minute, so each is short and has no sharp high edge to tire the ear. The
// ones on every key sit below the jingle's level (the shot at -5 dBFS, the
// miss at -6: it should inform, not punish); the rarer brake is at full level.

// Noise from a fixed-seed xorshift, so every build writes the same bytes
// (the standard distributions may differ between libraries).
class Noise
{
public:
    explicit Noise(std::uint32_t seed) : m_state(seed ? seed : 1u) {}

    // Uniform in [-1, 1).
    double next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<double>(m_state) / 2147483648.0 - 1.0;
    }

    // Uniform in [low, high).
    double between(double low, double high) { return low + (high - low) * 0.5 * (next() + 1.0); }

private:
    std::uint32_t m_state;
};

// One-pole low-pass: the gentlest filter there is, used to take the hiss
// off noise so a burst sounds like a thud or a crunch, not a radio.
class LowPass
{
public:
    explicit LowPass(double cutoff) { setCutoff(cutoff); }

    void setCutoff(double cutoff) { m_a = 1.0 - std::exp(-kTwoPi * cutoff / kRate); }

    double operator()(double x)
    {
        m_y += m_a * (x - m_y);
        return m_y;
    }

private:
    double m_a = 0.0;
    double m_y = 0.0;
};

// Two-pole resonator: rings at one frequency when struck. Fed with a click of
// noise it gives the "tink" of a chip of board or the "clack" of a latch.
class Resonator
{
public:
    Resonator(double frequency, double decaySeconds)
    {
        const double r = std::exp(-1.0 / (decaySeconds * kRate));
        m_b1 = 2.0 * r * std::cos(kTwoPi * frequency / kRate);
        m_b2 = -r * r;
        m_gain = 1.0 - r; // keeps the ring at about the input's level
    }

    double operator()(double x)
    {
        const double y = m_gain * x + m_b1 * m_y1 + m_b2 * m_y2;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    double m_b1 = 0.0;
    double m_b2 = 0.0;
    double m_gain = 0.0;
    double m_y1 = 0.0;
    double m_y2 = 0.0;
};

// Fades both ends of a finished sound with the smooth ramp, so whatever the
// voices did it starts and ends at silence.
void fadeEnds(Samples &samples, double attack, double release)
{
    const double length = static_cast<double>(samples.size()) / kRate;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        samples[i] *= smoothRamp(t / attack) * smoothRamp((length - t) / release);
    }
}

// The shot, on every correct key: a short laser "pew" whose pitch drops fast
// from a bright start, with a tick of filtered noise at the front for the
// "tak" of the trigger. 90 ms; the pitch sweep carries it, so it stays crisp
// at a low level.
Samples makeGun()
{
    const double length = 0.09;
    Samples mix(sampleCount(length), 0.0);
    Noise noise(0x5EED01u);
    LowPass tickTone(5000.0);
    double phase = 0.0;
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double frequency = 520.0 + 1480.0 * std::exp(-t / 0.018);
        phase += kTwoPi * frequency / kRate;
        // Fundamental plus a soft second and third: a rounded square, no fizz.
        const double tone =
            std::sin(phase) + 0.32 * std::sin(2.0 * phase) + 0.12 * std::sin(3.0 * phase);
        const double body = tone * std::exp(-t / 0.028);
        const double tick = tickTone(noise.next()) * std::exp(-t / 0.003);
        mix[i] = body + 1.4 * tick;
    }
    fadeEnds(mix, 0.0012, 0.02);
    normalise(mix, -5.0);
    return mix;
}

// The row of targets rising: a small motor whirring up (a buzz whose pitch
// and ratchet rate climb), then the clack of the boards locking upright.
// 260 ms.
Samples makeSet()
{
    const double length = 0.26;
    const double lockAt = 0.185;
    Samples mix(sampleCount(length), 0.0);
    Noise noise(0x5EED02u);
    LowPass motorTone(2200.0);
    LowPass motorTone2(2200.0);
    Resonator latch(1650.0, 0.007);
    Resonator latchLow(420.0, 0.014);
    double phase = 0.0;
    double ratchetPhase = 0.0;
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Motor: 120 Hz climbing to 280 Hz as it spins up, fading out as the
        // boards lock.
        const double spin = std::min(t / lockAt, 1.0);
        const double frequency = 120.0 + 160.0 * spin * spin;
        phase += kTwoPi * frequency / kRate;
        double buzz = 0.0;
        for (int harmonic = 1; harmonic <= 6; ++harmonic)
            buzz += std::sin(harmonic * phase) / harmonic;
        // A ratchet ticking under it, once every three turns of the motor.
        ratchetPhase += frequency / 3.0 / kRate;
        const double tickShape = std::exp(-(ratchetPhase - std::floor(ratchetPhase)) * 14.0);
        const double ratchet = motorTone2(motorTone(noise.next())) * tickShape;
        const double motorGain = smoothRamp(t / 0.03) * smoothRamp((lockAt + 0.02 - t) / 0.04);
        double sample = motorGain * (0.45 * buzz + 1.2 * ratchet);

        // The clack: a short noise strike through a bright and a low resonator.
        const double sinceLock = t - lockAt;
        const double strike = sinceLock >= 0.0 && sinceLock < 0.004 ? noise.next() : 0.0;
        sample += 14.0 * latch(strike) + 10.0 * latchLow(strike);
        mix[i] = sample;
    }
    fadeEnds(mix, 0.004, 0.03);
    normalise(mix, -4.0);
    return mix;
}

// A wrong key: a soft, low "bzz" of two tones a semitone apart grinding
// against each other (the roughness is what says "wrong"), odd harmonics only,
// falling off fast enough to stay soft yet carry on a laptop's small
// speakers, over a short thud. 160 ms.
Samples makeMiss()
{
    const double length = 0.16;
    Samples mix(sampleCount(length), 0.0);
    double phaseA = 0.0;
    double phaseB = 0.0;
    double thudPhase = 0.0;
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double sag = 1.0 - 0.06 * t / length; // drooping a little, like a sigh
        phaseA += kTwoPi * 155.0 * sag / kRate;
        phaseB += kTwoPi * 164.5 * sag / kRate;
        double buzz = 0.0;
        for (int harmonic = 1; harmonic <= 13; harmonic += 2) {
            const double weight = std::pow(harmonic, -1.7);
            buzz += weight * (std::sin(harmonic * phaseA) + std::sin(harmonic * phaseB));
        }
        thudPhase += kTwoPi * (70.0 + 60.0 * std::exp(-t / 0.02)) / kRate;
        const double thud = std::sin(thudPhase) * std::exp(-t / 0.035);
        const double body =
            smoothRamp(t / 0.006) * smoothRamp((length - t) / 0.06) * std::exp(-t / 0.08);
        mix[i] = body * 0.55 * buzz + 0.6 * thud;
    }
    fadeEnds(mix, 0.003, 0.03);
    normalise(mix, -6.0);
    return mix;
}

// A target shot to pieces: a crunchy burst (noise darkening as it dies, over
// a low thump), then chips of board falling and bouncing, each a short
// resonant tink, fewer and lower as they settle. 420 ms.
Samples makeBrake()
{
    const double length = 0.42;
    Samples mix(sampleCount(length), 0.0);
    Noise noise(0x5EED04u);

    // The burst.
    LowPass crunchTone(6000.0);
    double thumpPhase = 0.0;
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        crunchTone.setCutoff(600.0 + 5400.0 * std::exp(-t / 0.05));
        // Crackle: the noise comes in grains, which gives the crunch.
        const double grain = noise.next() > 0.35 ? 1.0 : 0.35;
        const double crunch = crunchTone(noise.next() * grain) * std::exp(-t / 0.06);
        thumpPhase += kTwoPi * (55.0 + 130.0 * std::exp(-t / 0.03)) / kRate;
        const double thump = std::sin(thumpPhase) * std::exp(-t / 0.07);
        mix[i] = 1.2 * crunch + 0.7 * thump;
    }

    // The debris: chips landing from 40 ms on, their pitch and loudness
    // falling as the pieces get smaller and the heap settles.
    const int chips = 22;
    for (int c = 0; c < chips; ++c) {
        const double progress = static_cast<double>(c) / chips;
        const double start = 0.04 + 0.30 * progress * progress + noise.between(0.0, 0.02);
        const double pitch = noise.between(1400.0, 3600.0) * (1.0 - 0.45 * progress);
        const double gain = (0.7 - 0.5 * progress) * noise.between(0.5, 1.0);
        Resonator ring(pitch, noise.between(0.008, 0.02));
        Resonator knock(pitch * 0.31, 0.012);
        const std::size_t first = sampleCount(start);
        for (std::size_t i = 0; i + first < mix.size(); ++i) {
            const double strike = i < 40 ? noise.next() : 0.0;
            mix[first + i] += gain * (14.0 * ring(strike) + 6.0 * knock(strike));
        }
    }
    fadeEnds(mix, 0.002, 0.05);
    normalise(mix, kPeakDbfs);
    return mix;
}

struct Sound
{
    std::string_view file;
    Samples (*make)();
};

constexpr Sound kSounds[] = {
    {"moko.wav", makeMoko}, {"gun.wav", makeGun},     {"set.wav", makeSet},
    {"miss.wav", makeMiss}, {"brake.wav", makeBrake},
};

// A tune is written as it comes from its composer: the bytes of a MIDI file.
struct Tune
{
    std::string_view file;
    std::string (*make)();
};

constexpr Tune kTunes[] = {
    {"keystorm.mid", ks::tune::makeKeystorm},
    {"battle.mid", ks::tune::makeBattle},
    {"ending.mid", ks::tune::makeEnding},
};

void putLittleEndian(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

// Written beside the target and renamed over it, so a failed build never
// leaves a truncated file that looks up to date.
bool writeFile(const std::filesystem::path &path, const std::string &bytes)
{
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

std::string waveBytes(const Samples &samples)
{
    constexpr std::uint32_t channels = 1;
    constexpr std::uint32_t bitsPerSample = 16;
    constexpr std::uint32_t blockAlign = channels * bitsPerSample / 8;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * blockAlign);

    std::string out = "RIFF";
    putLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVE";
    out += "fmt ";
    putLittleEndian(out, 16, 4); // size of the fmt chunk
    putLittleEndian(out, 1, 2);  // PCM
    putLittleEndian(out, channels, 2);
    putLittleEndian(out, kRate, 4);
    putLittleEndian(out, kRate * blockAlign, 4); // bytes per second
    putLittleEndian(out, blockAlign, 2);
    putLittleEndian(out, bitsPerSample, 2);
    out += "data";
    putLittleEndian(out, dataBytes, 4);
    for (double s : samples) {
        const long value = std::lround(std::clamp(s, -1.0, 1.0) * 32767.0);
        putLittleEndian(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(value)), 2);
    }
    return out;
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
                                       [&](const Sound &sound) { return sound.file == name; }) ||
                           std::any_of(std::begin(kTunes), std::end(kTunes),
                                       [&](const Tune &tune) { return tune.file == name; });
        if (!known) {
            std::fprintf(stderr, "ks_soundgen: no sound named %.*s\n",
                         static_cast<int>(name.size()), name.data());
            return 2;
        }
    }

    const auto isWanted = [&](std::string_view name) {
        return wanted.empty() || std::find(wanted.begin(), wanted.end(), name) != wanted.end();
    };
    int status = 0;
    const auto write = [&](std::string_view name, const std::string &bytes) {
        const std::filesystem::path path = directory / std::string(name);
        if (!writeFile(path, bytes)) {
            std::fprintf(stderr, "ks_soundgen: cannot write %s\n", path.string().c_str());
            status = 1;
        }
    };
    for (const Sound &sound : kSounds) {
        if (isWanted(sound.file))
            write(sound.file, waveBytes(sound.make()));
    }
    for (const Tune &tune : kTunes) {
        if (isWanted(tune.file))
            write(tune.file, tune.make());
    }
    return status;
}
