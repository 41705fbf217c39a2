// "Keystorm", the speed tester's background tune: an upbeat arcade piece in
// A minor at 140 beats a minute, 38 bars, about 65 seconds, so one tune
// carries a whole 60-second course from the first key to the result.
//
// It is written as a General MIDI file rather than as audio so that it costs
// a few kilobytes, plays through the same synthesiser as a player's own music,
// and can be rearranged here by editing the score below.
//
// Form (bars):
//   0-3    intro: drums and bass, then pads and a short call on the lead
//   4-19   A: the theme (8 bars), then the theme again closing on the tonic
//   20-27  B: half-time drums, a rising answer over F G Em Am Dm G C E
//   28-35  A again, the climax: the lead doubled an octave below, 16th hats
//   36-37  ending: a run down over F and G, a last held A minor
//
// Instruments (General MIDI, programs counted from 1): 81 square lead,
// 82 saw lead (the octave double), 39 synth bass, 89 new-age pad, 63 synth
// brass (the off-beat stabs), and the drum kit on channel 10.

#include "tune.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ks::tune {

namespace {

constexpr int kBeatsPerMinute = 140;
constexpr int kTicksPerBeat = 480;
constexpr int kSixteenth = kTicksPerBeat / 4;
constexpr int kBar = 4 * kTicksPerBeat;
constexpr int kBars = 38;

// ---------------------------------------------------------------------------
// The file format.

struct Event
{
    int tick = 0;
    int order = 0; // at one tick: setup first, then note-offs, then note-ons
    std::string bytes;
};

std::string byte(int value)
{
    return std::string(1, static_cast<char>(value & 0xFF));
}

class Track
{
public:
    Track(std::string_view name, int channel) : m_channel(channel)
    {
        meta(0, 0x03, std::string(name));
    }

    void meta(int tick, int type, const std::string &data)
    {
        m_events.push_back({tick, -1,
                            byte(0xFF) + byte(type) +
                                variableLength(static_cast<std::uint32_t>(data.size())) + data});
    }

    void program(int number) { m_events.push_back({0, -1, byte(0xC0 | m_channel) + byte(number)}); }

    void control(int controller, int value)
    {
        m_events.push_back({0, -1, byte(0xB0 | m_channel) + byte(controller) + byte(value)});
    }

    void note(int tick, int length, int pitch, int velocity)
    {
        velocity = std::clamp(velocity, 1, 127);
        m_events.push_back({tick, 1, byte(0x90 | m_channel) + byte(pitch) + byte(velocity)});
        m_events.push_back(
            {tick + std::max(length, 1), 0, byte(0x80 | m_channel) + byte(pitch) + byte(0)});
    }

    // The track chunk: events in time order, delta-timed, closed by the
    // end-of-track event at `end`.
    std::string chunk(int end) const
    {
        std::vector<Event> events = m_events;
        std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::string body;
        int now = 0;
        for (const Event &event : events) {
            body += variableLength(static_cast<std::uint32_t>(event.tick - now)) + event.bytes;
            now = event.tick;
        }
        body += variableLength(static_cast<std::uint32_t>(std::max(end - now, 0))) + byte(0xFF) +
                byte(0x2F) + byte(0);
        return "MTrk" + bigEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
    }

    static std::string bigEndian(std::uint32_t value, int bytes)
    {
        std::string out;
        for (int i = bytes - 1; i >= 0; --i)
            out += byte(static_cast<int>((value >> (8 * i)) & 0xFFu));
        return out;
    }

    static std::string variableLength(std::uint32_t value)
    {
        std::string out = byte(static_cast<int>(value & 0x7Fu));
        while ((value >>= 7) != 0)
            out.insert(out.begin(), static_cast<char>((value & 0x7Fu) | 0x80u));
        return out;
    }

private:
    int m_channel;
    std::vector<Event> m_events;
};

// ---------------------------------------------------------------------------
// The score.

// A bar of melody in a small text notation: notes separated by spaces, each a
// name and octave (C4 is middle C, sharps with '#') or 'r' for a rest, then
// '/' and its length in sixteenths: "E5/2 A5/2 r/4". A bar must add up to 16.
struct Note
{
    int start;  // sixteenths from the bar's start
    int length; // sixteenths
    int pitch;  // MIDI note, or -1 for a rest
};

std::vector<Note> parseBar(std::string_view bar)
{
    std::vector<Note> notes;
    int at = 0;
    std::size_t i = 0;
    while (i < bar.size()) {
        if (bar[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t end = std::min(bar.find(' ', i), bar.size());
        const std::string_view token = bar.substr(i, end - i);
        i = end;
        const std::size_t slash = token.find('/');
        if (slash == std::string_view::npos || slash == 0)
            throw std::logic_error("tune: a note without a length: " + std::string(token));
        const int length = std::stoi(std::string(token.substr(slash + 1)));
        int pitch = -1;
        if (token[0] != 'r') {
            static constexpr std::string_view names = "C D EF G A B";
            const std::size_t semitone = names.find(token[0]);
            if (semitone == std::string_view::npos)
                throw std::logic_error("tune: not a note: " + std::string(token));
            std::size_t digits = 1;
            int sharp = 0;
            if (token[1] == '#') {
                sharp = 1;
                digits = 2;
            }
            const int octave = std::stoi(std::string(token.substr(digits, slash - digits)));
            pitch = 12 * (octave + 1) + static_cast<int>(semitone) + sharp;
        }
        notes.push_back({at, length, pitch});
        at += length;
    }
    if (at != 16)
        throw std::logic_error("tune: a bar of " + std::to_string(at) +
                               " sixteenths: " + std::string(bar));
    return notes;
}

// The chords, one per bar (two in the ending's first bar), as the pad voices
// them: close triads around middle C, moving as little as they can.
struct Chord
{
    int root; // the bass note, in the octave below the pad
    int voicing[3];
};

constexpr Chord kAm{45, {57, 60, 64}};
constexpr Chord kF{41, {57, 60, 65}};
constexpr Chord kG{43, {55, 59, 62}};
constexpr Chord kEm{40, {55, 59, 64}};
constexpr Chord kE{40, {56, 59, 64}}; // the major dominant: G sharp leads home to A
constexpr Chord kDm{38, {57, 62, 65}};
constexpr Chord kC{36, {55, 60, 64}};

// The theme, first time: a climbing A minor figure that turns on F and G and
// ends on the E major chord, asking to be answered.
constexpr std::string_view kThemeOpen[8] = {
    "E5/2 A5/2 E5/2 C5/2 A4/2 C5/2 E5/4",      "F5/2 E5/2 C5/2 A4/2 F5/4 E5/2 C5/2",
    "D5/2 G5/2 D5/2 B4/2 G4/2 B4/2 D5/2 G5/2", "E5/6 D5/2 B4/4 G4/4",
    "A4/2 C5/2 E5/2 A5/2 G5/2 E5/2 A5/4",      "C6/4 A5/2 F5/2 A5/4 C6/4",
    "B5/2 A5/2 G5/2 D5/2 B5/4 G5/4",           "G#5/4 B5/4 E6/6 r/2",
};
constexpr Chord kThemeOpenChords[8] = {kAm, kF, kG, kEm, kAm, kF, kG, kE};

// The theme, second time: the same opening, closing down onto A.
constexpr std::string_view kThemeClose[8] = {
    kThemeOpen[0],
    kThemeOpen[1],
    kThemeOpen[2],
    kThemeOpen[3],
    "A5/2 G5/2 E5/2 C5/2 D5/2 E5/2 A4/4",
    "F5/2 G5/2 A5/2 C6/2 A5/4 F5/4",
    "E5/2 G#5/2 B5/2 E6/2 D6/2 B5/2 G#5/4",
    "A5/12 r/4",
};
constexpr Chord kThemeCloseChords[8] = {kAm, kF, kG, kEm, kAm, kF, kE, kAm};

// The middle: longer notes climbing through the circle, then a run up to the
// top for the return of the theme.
constexpr std::string_view kBridge[8] = {
    "A5/4 C6/4 A5/2 G5/2 F5/4",
    "G5/4 B5/4 G5/2 F5/2 D5/4",
    "E5/4 G5/4 B5/4 G5/4",
    "A5/6 G5/2 E5/4 C5/4",
    "D5/2 F5/2 A5/2 D6/2 C6/2 A5/2 F5/4",
    "G5/2 B5/2 D6/2 G6/2 F6/2 D6/2 B5/4",
    "C6/2 B5/2 C6/2 E6/2 G6/4 E6/4",
    "E6/2 D6/2 B5/2 G#5/2 E5/4 G#5/4",
};
constexpr Chord kBridgeChords[8] = {kF, kG, kEm, kAm, kDm, kG, kC, kE};

// The intro's call (bars 2 and 3) and the ending's run (bar 36).
constexpr std::string_view kCall[2] = {
    "A4/2 A4/2 r/2 A4/2 C5/2 r/2 C5/2 D5/2",
    "D5/4 B4/2 D5/2 G5/4 r/4",
};
constexpr std::string_view kRunDown = "A5/2 G5/2 F5/2 E5/2 D5/4 B4/4";

// General MIDI drum keys.
enum Drum
{
    Kick = 36,
    Snare = 38,
    Clap = 39,
    ClosedHat = 42,
    LowTom = 45,
    OpenHat = 46,
    MidTom = 47,
    HighTom = 50,
    Crash = 49,
    Ride = 51,
};

struct Band
{
    Track conductor{"Keystorm", 0};
    Track lead{"Lead", 0};
    Track bass{"Bass", 1};
    Track pad{"Pad", 2};
    Track stabs{"Stabs", 3};
    Track doubled{"Lead, octave below", 4};
    Track drums{"Drums", 9};
};

int barTick(int bar)
{
    return bar * kBar;
}

// Plays a bar of melody; `gate` is how much of each note sounds (a little
// under 1 keeps repeated notes apart), the downbeats a touch louder.
void playBar(Track &track, int bar, std::string_view score, int velocity, int transpose = 0,
             double gate = 0.9)
{
    for (const Note &note : parseBar(score)) {
        if (note.pitch < 0)
            continue;
        const int accent = note.start % 4 == 0 ? 8 : 0;
        const int length = static_cast<int>(note.length * kSixteenth * gate);
        track.note(barTick(bar) + note.start * kSixteenth, length, note.pitch + transpose,
                   velocity + accent);
    }
}

// The bass drives in eighths: root, root, octave, root, root, octave, root,
// fifth; the intro's first bars keep to the root.
void bassBar(Track &bass, int bar, const Chord &chord, bool plain = false)
{
    static constexpr int steps[8] = {0, 0, 12, 0, 0, 12, 0, 7};
    for (int i = 0; i < 8; ++i) {
        const int step = plain ? 0 : steps[i];
        const int velocity = (i % 2 == 0 ? 100 : 84) + (i == 0 ? 10 : 0);
        bass.note(barTick(bar) + i * 2 * kSixteenth, 2 * kSixteenth * 85 / 100, chord.root + step,
                  velocity);
    }
}

void padChord(Track &pad, int tick, int length, const Chord &chord, int velocity = 62)
{
    for (int pitch : chord.voicing)
        pad.note(tick, length - 10, pitch, velocity);
}

// Off-beat stabs: the chord an octave up on every "and".
void stabBar(Track &stabs, int bar, const Chord &chord)
{
    for (int beat = 0; beat < 4; ++beat) {
        for (int pitch : chord.voicing)
            stabs.note(barTick(bar) + beat * kTicksPerBeat + 2 * kSixteenth, kSixteenth + 30,
                       pitch + 12, 72);
    }
}

// Held brass on the half bar, for the half-time middle section.
void swellBar(Track &stabs, int bar, const Chord &chord)
{
    for (int half = 0; half < 2; ++half) {
        for (int pitch : chord.voicing)
            stabs.note(barTick(bar) + half * 2 * kTicksPerBeat, 2 * kTicksPerBeat - 60, pitch + 12,
                       half ? 58 : 66);
    }
}

enum class Groove
{
    Intro,
    Drive,
    HalfTime,
    Climax
};

void drumBar(Track &drums, int bar, Groove groove, bool crash)
{
    const int t0 = barTick(bar);
    auto hit = [&](int sixteenth, int key, int velocity) {
        drums.note(t0 + sixteenth * kSixteenth, kSixteenth, key, velocity);
    };
    if (crash)
        hit(0, Crash, 104);
    switch (groove) {
    case Groove::Intro:
    case Groove::Drive:
    case Groove::Climax:
        for (int beat = 0; beat < 4; ++beat)
            hit(beat * 4, Kick, beat == 0 ? 118 : 108);
        if (groove != Groove::Intro || bar >= 2) {
            hit(4, Snare, 110);
            hit(12, Snare, 112);
        }
        if (groove == Groove::Climax) {
            hit(4, Clap, 90);
            hit(12, Clap, 92);
            for (int s = 0; s < 16; ++s)
                hit(s, ClosedHat, s % 4 == 0 ? 92 : (s % 2 == 0 ? 76 : 58));
        } else {
            for (int s = 0; s < 16; s += 2)
                hit(s, s == 14 && bar % 2 == 1 ? OpenHat : ClosedHat, s % 4 == 0 ? 88 : 70);
        }
        break;
    case Groove::HalfTime:
        hit(0, Kick, 118);
        hit(6, Kick, 96);
        hit(10, Kick, 100);
        hit(8, Snare, 114);
        for (int s = 0; s < 16; s += 2)
            hit(s, Ride, s % 4 == 0 ? 86 : 68);
        break;
    }
}

// The last beat of a phrase, filled: a snare roll, or a run down the toms.
void snareFill(Track &drums, int bar)
{
    const int t0 = barTick(bar) + 12 * kSixteenth;
    for (int s = 0; s < 4; ++s)
        drums.note(t0 + s * kSixteenth, kSixteenth, Snare, 84 + 10 * s);
}

void tomFill(Track &drums, int bar)
{
    const int t0 = barTick(bar) + 8 * kSixteenth;
    static constexpr int toms[8] = {HighTom, HighTom, MidTom, MidTom, LowTom, LowTom, Snare, Snare};
    for (int s = 0; s < 8; ++s)
        drums.note(t0 + s * kSixteenth, kSixteenth, toms[s], 92 + 3 * s);
}

// The build into the climax: the snare in eighths, then sixteenths, rising.
void buildUp(Track &drums, int bar)
{
    const int t0 = barTick(bar);
    for (int s = 0; s < 8; s += 2)
        drums.note(t0 + s * kSixteenth, kSixteenth, Snare, 70 + 3 * s);
    for (int s = 8; s < 16; ++s)
        drums.note(t0 + s * kSixteenth, kSixteenth, Snare, 84 + 4 * (s - 8));
    for (int beat = 0; beat < 4; ++beat)
        drums.note(t0 + beat * kTicksPerBeat, kSixteenth, Kick, 110);
}

void setUp(Track &track, int program, int volume, int pan, int reverb)
{
    track.program(program);
    track.control(7, volume);
    track.control(10, pan);
    track.control(91, reverb);
}

} // namespace

std::string makeKeystorm()
{
    Band band;

    // Tempo (microseconds a beat) and 4/4, both at the very start.
    band.conductor.meta(0, 0x51, Track::bigEndian(60'000'000 / kBeatsPerMinute, 3));
    band.conductor.meta(0, 0x58, std::string("\x04\x02\x18\x08", 4));

    // Programs are counted from 0 in the file.
    // Channel volumes leave the loudest bar a few dB under full scale through
    // FluidSynth with the General MIDI fonts, so the tune never clips and the
    // effects stay on top of it.
    setUp(band.lead, 80, 61, 64, 40);
    setUp(band.doubled, 81, 40, 84, 40);
    setUp(band.bass, 38, 66, 64, 16);
    setUp(band.pad, 88, 44, 44, 70);
    setUp(band.stabs, 62, 45, 90, 36);
    band.drums.control(7, 70);
    band.drums.control(91, 24);

    // Intro: Am Am F G.
    const Chord introChords[4] = {kAm, kAm, kF, kG};
    for (int bar = 0; bar < 4; ++bar) {
        bassBar(band.bass, bar, introChords[bar], bar < 2);
        drumBar(band.drums, bar, Groove::Intro, bar == 0);
        if (bar >= 2) {
            padChord(band.pad, barTick(bar), kBar, introChords[bar]);
            playBar(band.lead, bar, kCall[bar - 2], 88);
        }
    }
    snareFill(band.drums, 3);

    // A: the theme, open then closed.
    for (int i = 0; i < 16; ++i) {
        const int bar = 4 + i;
        const bool second = i >= 8;
        const Chord &chord = second ? kThemeCloseChords[i - 8] : kThemeOpenChords[i];
        playBar(band.lead, bar, second ? kThemeClose[i - 8] : kThemeOpen[i], 92);
        bassBar(band.bass, bar, chord);
        padChord(band.pad, barTick(bar), kBar, chord);
        stabBar(band.stabs, bar, chord);
        drumBar(band.drums, bar, Groove::Drive, i % 8 == 0);
    }
    tomFill(band.drums, 11);
    snareFill(band.drums, 19);

    // B: half time, held brass, and the build.
    for (int i = 0; i < 8; ++i) {
        const int bar = 20 + i;
        playBar(band.lead, bar, kBridge[i], 90, 0, 0.95);
        bassBar(band.bass, bar, kBridgeChords[i]);
        padChord(band.pad, barTick(bar), kBar, kBridgeChords[i], 68);
        swellBar(band.stabs, bar, kBridgeChords[i]);
        if (i < 7)
            drumBar(band.drums, bar, Groove::HalfTime, i == 0);
    }
    buildUp(band.drums, 27);

    // A, the climax: the closing theme with its octave double.
    for (int i = 0; i < 8; ++i) {
        const int bar = 28 + i;
        const Chord &chord = kThemeCloseChords[i];
        playBar(band.lead, bar, kThemeClose[i], 98);
        playBar(band.doubled, bar, kThemeClose[i], 84, -12);
        bassBar(band.bass, bar, chord);
        padChord(band.pad, barTick(bar), kBar, chord, 70);
        stabBar(band.stabs, bar, chord);
        drumBar(band.drums, bar, Groove::Climax, i % 4 == 0);
    }
    tomFill(band.drums, 35);

    // Ending: a run down over F and G, then one A minor hit, held.
    {
        const int bar = 36;
        playBar(band.lead, bar, kRunDown, 96);
        playBar(band.doubled, bar, kRunDown, 82, -12);
        padChord(band.pad, barTick(bar), 2 * kTicksPerBeat, kF, 70);
        padChord(band.pad, barTick(bar) + 2 * kTicksPerBeat, 2 * kTicksPerBeat, kG, 70);
        for (int beat = 0; beat < 4; ++beat) {
            const Chord &chord = beat < 2 ? kF : kG;
            band.bass.note(barTick(bar) + beat * kTicksPerBeat, kTicksPerBeat - 60, chord.root,
                           108);
            band.drums.note(barTick(bar) + beat * kTicksPerBeat, kSixteenth, Kick, 112);
            band.drums.note(barTick(bar) + beat * kTicksPerBeat, kSixteenth, Snare, 96 + 6 * beat);
            for (int pitch : chord.voicing)
                band.stabs.note(barTick(bar) + beat * kTicksPerBeat, kSixteenth * 2, pitch + 12,
                                80);
        }
        const int last = barTick(37);
        const int held = kBar - 120;
        band.lead.note(last, held, 81, 104);
        band.doubled.note(last, held, 69, 88);
        band.bass.note(last, held, kAm.root, 112);
        band.bass.note(last, held, kAm.root - 12, 100);
        padChord(band.pad, last, kBar, kAm, 76);
        for (int pitch : kAm.voicing)
            band.stabs.note(last, kTicksPerBeat, pitch + 12, 92);
        band.drums.note(last, kSixteenth, Crash, 118);
        band.drums.note(last, kSixteenth, Kick, 120);
    }

    const int end = barTick(kBars);
    const Track *tracks[] = {&band.conductor, &band.lead,  &band.doubled, &band.bass,
                             &band.pad,       &band.stabs, &band.drums};
    std::string file = "MThd" + Track::bigEndian(6, 4) + Track::bigEndian(1, 2) +
                       Track::bigEndian(static_cast<std::uint32_t>(std::size(tracks)), 2) +
                       Track::bigEndian(kTicksPerBeat, 2);
    for (const Track *track : tracks)
        file += track->chunk(end);
    return file;
}

} // namespace ks::tune
