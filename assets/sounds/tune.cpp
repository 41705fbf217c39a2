// The game's own music, three tunes written as General MIDI files rather
// than as audio so that each costs a few kilobytes, plays through the same
// synthesiser as a player's own music, and can be rearranged here by editing
// its score:
//
//   keystorm.mid  the speed tester's background (first below)
//   battle.mid    the story mode's mission music
//   ending.mid    the credits music after the last mission
//
// They share the file writer, the bar notation and a few players (pads,
// fills, rolls); each tune has its own score, band and levels.
//
// "Keystorm", the speed tester's background tune: an upbeat arcade piece in
// A minor at 140 beats a minute, 38 bars, about 65 seconds, so one tune
// carries a whole 60-second course from the first key to the result.
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
#include <initializer_list>
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
// name and octave (C4 is middle C, sharps with '#', flats with 'b': "Bb4") or
// 'r' for a rest, then '/' and its length in sixteenths: "E5/2 A5/2 r/4". A
// bar must add up to 16.
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
            int accidental = 0;
            if (token[1] == '#' || token[1] == 'b') {
                accidental = token[1] == '#' ? 1 : -1;
                digits = 2;
            }
            const int octave = std::stoi(std::string(token.substr(digits, slash - digits)));
            pitch = 12 * (octave + 1) + static_cast<int>(semitone) + accidental;
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
    SideStick = 37,
    Snare = 38,
    Clap = 39,
    FloorTom = 41,
    ClosedHat = 42,
    LowTom = 45,
    OpenHat = 46,
    MidTom = 47,
    HighTom = 50,
    Crash = 49,
    Ride = 51,
    Tambourine = 54,
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

// Tempo (microseconds a beat) and 4/4, both at the very start; no tune
// changes either later.
void setTempo(Track &conductor, int beatsPerMinute)
{
    conductor.meta(0, 0x51,
                   Track::bigEndian(static_cast<std::uint32_t>(60'000'000 / beatsPerMinute), 3));
    conductor.meta(0, 0x58, std::string("\x04\x02\x18\x08", 4));
}

// A format 1 file: the conductor first, then the parts, all ending at `end`.
std::string midiFile(std::initializer_list<const Track *> tracks, int end)
{
    std::string file = "MThd" + Track::bigEndian(6, 4) + Track::bigEndian(1, 2) +
                       Track::bigEndian(static_cast<std::uint32_t>(tracks.size()), 2) +
                       Track::bigEndian(kTicksPerBeat, 2);
    for (const Track *track : tracks)
        file += track->chunk(end);
    return file;
}

Chord transposed(const Chord &chord, int semitones)
{
    return {
        chord.root + semitones,
        {chord.voicing[0] + semitones, chord.voicing[1] + semitones, chord.voicing[2] + semitones}};
}

// A roll: 32nd notes from velocity `from` to `to`, the way a timpanist swells
// into (or fades out of) a downbeat.
void roll(Track &track, int tick, int length, int pitch, int from, int to)
{
    constexpr int stroke = kSixteenth / 2;
    const int strokes = std::max(length / stroke, 1);
    for (int i = 0; i < strokes; ++i)
        track.note(tick + i * stroke, stroke, pitch, from + (to - from) * i / strokes);
}

} // namespace

std::string makeKeystorm()
{
    Band band;

    setTempo(band.conductor, kBeatsPerMinute);

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

    return midiFile({&band.conductor, &band.lead, &band.doubled, &band.bass, &band.pad, &band.stabs,
                     &band.drums},
                    barTick(kBars));
}

// ---------------------------------------------------------------------------
// "Battle", the story mode's mission music: D minor at 144 beats a minute,
// 60 bars, 100 seconds. It plays once from the start of a mission, so rather
// than looping it builds to one climax and stops on a short last hit.
//
// Form (bars):
//   0-3    intro: tremolo strings and timpani, the bass pulse, a snare build
//   4-7    the horn's call over the full band (Dm Bb C A)
//   8-23   A: the trumpet's theme, open (ending on A major), then closed
//   24-39  B: a long line in F major, on the horn over half-time drums, then
//          trumpet and horn in octaves with the drive back, a build at 39
//   40-55  A again, the climax: horn an octave below, galloping bass
//   56-59  ending: a run up over Bb and C, 3+3+2 hits on A, D minor held for
//          a bar over a timpani swell, one short hit and its ring
//
// Instruments (General MIDI, programs counted from 1): 57 trumpet, 61 French
// horn, 34 fingered bass, 30 overdriven guitar, 45 tremolo strings, 62 brass
// section, 48 timpani, and the drum kit on channel 10.

namespace {
namespace battle {

constexpr int kBeatsPerMinute = 144;
constexpr int kBars = 60;

// Bass roots between A1 and G2; the brass and strings play close triads
// around middle C, under the trumpet.
constexpr Chord kDm{38, {57, 62, 65}};
constexpr Chord kBb{34, {58, 62, 65}};
constexpr Chord kC{36, {55, 60, 64}};
constexpr Chord kGm{43, {55, 58, 62}};
constexpr Chord kF{41, {57, 60, 65}};
constexpr Chord kA{33, {57, 61, 64}}; // the major dominant: C sharp leads home to D

// The theme, first time: a dotted call up to A, answered on B flat, the call
// again on C, then a climb through G minor that stops on A major.
constexpr std::string_view kThemeOpen[8] = {
    "D5/3 D5/1 A5/4 A5/3 G5/1 F5/2 E5/2",        // Dm
    "F5/6 D5/2 Bb4/4 D5/4",                      // Bb
    "E5/3 E5/1 G5/4 C6/4 Bb5/2 G5/2",            // C
    "A5/10 F5/2 G5/2 A5/2",                      // Dm
    "D6/3 D6/1 C6/2 A5/2 F5/4 A5/4",             // Dm
    "Bb5/3 A5/1 G5/2 F5/2 D5/4 F5/4",            // Bb
    "G5/2 A5/2 Bb5/2 D6/2 C6/3 Bb5/1 A5/2 G5/2", // Gm
    "E5/3 E5/1 A5/4 C#6/4 r/4",                  // A
};
constexpr Chord kThemeOpenChords[8] = {kDm, kBb, kC, kDm, kDm, kBb, kGm, kA};

// The theme, second time: the call rises in a sequence, B flat then C, and
// comes home to D.
constexpr std::string_view kThemeClose[8] = {
    kThemeOpen[0],                          // Dm
    kThemeOpen[1],                          // Bb
    kThemeOpen[2],                          // C
    kThemeOpen[3],                          // Dm
    "F5/3 F5/1 Bb5/4 Bb5/3 A5/1 G5/2 F5/2", // Bb
    "G5/3 G5/1 C6/4 C6/3 Bb5/1 A5/2 G5/2",  // C
    "A5/4 E5/2 F5/2 G5/2 A5/2 C#6/4",       // A
    "D6/8 A5/2 F5/2 D5/4",                  // Dm
};
constexpr Chord kThemeCloseChords[8] = {kDm, kBb, kC, kDm, kBb, kC, kA, kDm};

// The middle: a long line in the relative major, the heroic side of the
// tune, climbing to D and falling back onto A for the return. Its fifteenth
// bar has two chords, B flat and C.
constexpr std::string_view kSoar[16] = {
    "F5/6 E5/2 F5/4 A5/4",  // F
    "G5/8 E5/4 C5/4",       // C
    "D5/6 E5/2 F5/4 A5/4",  // Dm
    "Bb5/8 A5/4 F5/4",      // Bb
    "C6/6 Bb5/2 A5/4 F5/4", // F
    "G5/6 A5/2 Bb5/4 G5/4", // C
    "F5/6 G5/2 A5/4 Bb5/4", // Bb
    "A5/12 r/4",            // A
    "Bb5/6 A5/2 G5/4 D5/4", // Gm
    "F5/6 E5/2 D5/4 A4/4",  // Dm
    "D5/4 F5/4 Bb5/4 D6/4", // Bb
    "C6/8 A5/4 F5/4",       // F
    "G5/4 Bb5/4 D6/6 C6/2", // Gm
    "C#6/8 A5/4 E5/4",      // A
    "D6/4 C6/4 Bb5/4 C6/4", // Bb C
    "A5/16",                // A
};
constexpr Chord kSoarChords[16] = {kF,  kC,  kDm, kBb, kF,  kC, kBb, kA,
                                   kGm, kDm, kBb, kF,  kGm, kA, kBb, kA};

// The horn's call in the intro: the theme's dotted figure, an octave down.
constexpr std::string_view kCall[4] = {
    "D4/3 D4/1 A4/4 D5/8",       // Dm
    "C5/3 Bb4/1 A4/4 F4/8",      // Bb
    "G4/3 A4/1 Bb4/4 C5/4 E5/4", // C
    "A4/3 A4/1 C#5/4 E5/4 r/4",  // A
};
constexpr Chord kCallChords[4] = {kDm, kBb, kC, kA};

// The ending: a run up the B flat and C chords, then A major hammered in
// 3+3+2.
constexpr std::string_view kRunUp = "D5/2 F5/2 Bb5/4 E5/2 G5/2 C6/4";
constexpr std::string_view kHammer = "A5/3 A5/3 A5/2 C#6/3 C#6/3 E6/2";

struct Band
{
    Track conductor{"Battle", 0};
    Track trumpet{"Trumpet", 0};
    Track bass{"Bass", 1};
    Track guitar{"Guitar", 2};
    Track strings{"Tremolo strings", 3};
    Track horn{"Horn", 4};
    Track brass{"Brass", 5};
    Track timpani{"Timpani", 6};
    Track drums{"Drums", 9};
};

// The timpani stay between D2 and C3, where the drum sings; far below that
// it only booms.
int timpaniPitch(const Chord &chord)
{
    return chord.root < 38 ? chord.root + 12 : chord.root;
}

enum class BassStyle
{
    Pulse,  // the root in plain eighths
    Drive,  // root, root, octave, root, root, octave, fifth, octave
    Gallop, // each beat an eighth and two sixteenths, the last up an octave
};

void bassBeats(Track &bass, int tick, int beats, const Chord &chord, BassStyle style, int velocity)
{
    static constexpr int drive[8] = {0, 0, 12, 0, 0, 12, 7, 12};
    for (int beat = 0; beat < beats; ++beat) {
        const int t = tick + beat * kTicksPerBeat;
        const int accent = beat == 0 ? 10 : 0;
        if (style == BassStyle::Gallop) {
            bass.note(t, 2 * kSixteenth - 30, chord.root, velocity + accent);
            bass.note(t + 2 * kSixteenth, kSixteenth - 20, chord.root, velocity - 12);
            bass.note(t + 3 * kSixteenth, kSixteenth - 20, chord.root + 12, velocity - 8);
            continue;
        }
        for (int half = 0; half < 2; ++half) {
            const int step = style == BassStyle::Drive ? drive[(2 * beat + half) % 8] : 0;
            bass.note(t + half * 2 * kSixteenth, 2 * kSixteenth - 36, chord.root + step,
                      velocity + (half ? -14 : accent));
        }
    }
}

// Power chords (root, fifth, octave) an octave above the bass, damped short
// in eighths and left longer on the 3+3+2 accents the brass hits.
void guitarBeats(Track &guitar, int tick, int beats, const Chord &chord, int velocity)
{
    const int root = chord.root + 12;
    for (int i = 0; i < 2 * beats; ++i) {
        const bool accent = i % 8 == 0 || i % 8 == 3 || i % 8 == 6;
        for (int pitch : {root, root + 7, root + 12})
            guitar.note(tick + i * 2 * kSixteenth, accent ? 200 : 120, pitch,
                        velocity + (accent ? 14 : 0));
    }
}

void guitarHeld(Track &guitar, int tick, int length, const Chord &chord, int velocity)
{
    const int root = chord.root + 12;
    for (int pitch : {root, root + 7, root + 12})
        guitar.note(tick, length, pitch, velocity);
}

// The strings hold the chord with the root doubled below it.
void stringsHeld(Track &strings, int tick, int length, const Chord &chord, int velocity)
{
    strings.note(tick, length, chord.root + 12, velocity);
    for (int pitch : chord.voicing)
        strings.note(tick, length, pitch, velocity);
}

// Brass hits on the 3+3+2 of the bar: the downbeat, the second beat's "and",
// the fourth beat.
void brassHits(Track &brass, int bar, const Chord &chord, int velocity)
{
    static constexpr int at[3] = {0, 6, 12};
    for (int i = 0; i < 3; ++i) {
        for (int pitch : chord.voicing)
            brass.note(barTick(bar) + at[i] * kSixteenth, 2 * kSixteenth, pitch,
                       velocity + (i == 0 ? 8 : 0));
    }
}

void brassHeld(Track &brass, int tick, int length, const Chord &chord, int velocity)
{
    for (int pitch : chord.voicing)
        brass.note(tick, length, pitch, velocity);
}

enum class Groove
{
    Pulse,    // kick on the beats, hats in eighths: the intro's heartbeat
    Drive,    // kick 1, 2-and, 3; snare 2 and 4; hats in eighths
    HalfTime, // kick 1 and 3-and, snare on 3, ride, floor tom answering
    Climax,   // kick in eighths, sixteenth hats
};

void drumBar(Track &drums, int bar, Groove groove, bool crash)
{
    const int t0 = barTick(bar);
    auto hit = [&](int sixteenth, int key, int velocity) {
        drums.note(t0 + sixteenth * kSixteenth, kSixteenth, key, velocity);
    };
    if (crash)
        hit(0, Crash, 108);
    switch (groove) {
    case Groove::Pulse:
        for (int beat = 0; beat < 4; ++beat)
            hit(4 * beat, Kick, beat == 0 ? 110 : 96);
        for (int s = 0; s < 16; s += 2)
            hit(s, ClosedHat, s % 4 == 0 ? 76 : 58);
        break;
    case Groove::Drive:
        hit(0, Kick, 118);
        hit(6, Kick, 104);
        hit(8, Kick, 110);
        if (bar % 2 == 1)
            hit(11, Kick, 96);
        hit(4, Snare, 112);
        hit(12, Snare, 114);
        for (int s = 0; s < 16; s += 2)
            hit(s, s == 14 && bar % 2 == 1 ? OpenHat : ClosedHat, s % 4 == 0 ? 88 : 70);
        break;
    case Groove::HalfTime:
        hit(0, Kick, 118);
        hit(10, Kick, 100);
        hit(8, Snare, 116);
        hit(6, FloorTom, 84);
        hit(14, FloorTom, 90);
        for (int s = 0; s < 16; s += 2)
            hit(s, Ride, s % 4 == 0 ? 84 : 66);
        break;
    case Groove::Climax:
        for (int s = 0; s < 16; s += 2)
            hit(s, Kick, s % 4 == 0 ? 114 : 92);
        hit(4, Snare, 116);
        hit(12, Snare, 118);
        for (int s = 0; s < 16; ++s)
            hit(s, ClosedHat, s % 4 == 0 ? 90 : (s % 2 == 0 ? 74 : 56));
        break;
    }
}

std::string compose()
{
    Band band;
    setTempo(band.conductor, kBeatsPerMinute);

    // Programs are counted from 0 in the file. In TimGM6mb the horn is by
    // far the loudest of these voices and the guitar and brass the
    // quietest, hence the spread of volumes; together they put the render
    // at about -4.4 dBFS peak, -23 dBFS RMS (measured as the style guide
    // shows).
    setUp(band.trumpet, 56, 59, 64, 40);
    setUp(band.horn, 60, 41, 50, 50);
    setUp(band.bass, 33, 61, 64, 12);
    setUp(band.guitar, 29, 57, 30, 20);
    setUp(band.strings, 44, 50, 96, 70);
    setUp(band.brass, 61, 77, 80, 40);
    setUp(band.timpani, 47, 72, 64, 50);
    band.drums.control(7, 60);
    band.drums.control(91, 28);

    // Intro: the strings tremble on D minor, the timpani beat a heartbeat;
    // the bass and kick join, and the snare builds into the call.
    const Chord introChords[4] = {kDm, kDm, kBb, kA};
    for (int bar = 0; bar < 4; ++bar) {
        const Chord &chord = introChords[bar];
        const int t0 = barTick(bar);
        stringsHeld(band.strings, t0, kBar - 20, chord, 64 + 10 * bar);
        if (bar < 3) {
            band.timpani.note(t0, kTicksPerBeat, timpaniPitch(chord), 100);
            band.timpani.note(t0 + 10 * kSixteenth, kSixteenth, timpaniPitch(chord), 78);
            band.timpani.note(t0 + 12 * kSixteenth, kTicksPerBeat, timpaniPitch(chord), 90);
        } else {
            roll(band.timpani, t0, kBar, timpaniPitch(chord), 60, 112);
        }
        if (bar >= 2) {
            bassBeats(band.bass, t0, 4, chord, BassStyle::Pulse, 84 + 8 * (bar - 2));
            guitarHeld(band.guitar, t0, kBar - 40, chord, 60 + 10 * (bar - 2));
        }
        if (bar == 2)
            drumBar(band.drums, bar, Groove::Pulse, false);
    }
    buildUp(band.drums, 3);

    // The call: the horn over the band at full strength.
    for (int i = 0; i < 4; ++i) {
        const int bar = 4 + i;
        const Chord &chord = kCallChords[i];
        playBar(band.horn, bar, kCall[i], 100);
        bassBeats(band.bass, barTick(bar), 4, chord, BassStyle::Drive, 96);
        guitarBeats(band.guitar, barTick(bar), 4, chord, 74);
        brassHits(band.brass, bar, chord, 88);
        stringsHeld(band.strings, barTick(bar), kBar - 20, chord, 70);
        drumBar(band.drums, bar, Groove::Drive, i == 0);
        if (i == 0)
            band.timpani.note(barTick(bar), kTicksPerBeat, timpaniPitch(chord), 100);
    }
    tomFill(band.drums, 7);

    // A: the theme, open then closed.
    for (int i = 0; i < 16; ++i) {
        const int bar = 8 + i;
        const bool second = i >= 8;
        const Chord &chord = second ? kThemeCloseChords[i - 8] : kThemeOpenChords[i];
        playBar(band.trumpet, bar, second ? kThemeClose[i - 8] : kThemeOpen[i], 96);
        bassBeats(band.bass, barTick(bar), 4, chord, BassStyle::Drive, 96);
        guitarBeats(band.guitar, barTick(bar), 4, chord, 70);
        brassHits(band.brass, bar, chord, 74);
        stringsHeld(band.strings, barTick(bar), kBar - 20, chord, 52);
        drumBar(band.drums, bar, Groove::Drive, i % 4 == 0);
        if (i % 4 == 0)
            band.timpani.note(barTick(bar), kTicksPerBeat, timpaniPitch(chord), 104);
    }
    tomFill(band.drums, 15);
    snareFill(band.drums, 23);

    // B: the long line on the horn over half time, then trumpet and horn in
    // octaves with the drive back, and a build on A.
    for (int i = 0; i < 16; ++i) {
        const int bar = 24 + i;
        const int t0 = barTick(bar);
        const bool driving = i >= 8;
        const Chord &chord = kSoarChords[i];
        playBar(band.horn, bar, kSoar[i], driving ? 94 : 100, -12, 0.95);
        if (driving)
            playBar(band.trumpet, bar, kSoar[i], 96, 0, 0.95);
        if (i == 14) {
            // Two chords, B flat and C: everyone on the beat.
            for (int half = 0; half < 2; ++half) {
                const Chord &c = half ? kC : kBb;
                const int t = t0 + half * 2 * kTicksPerBeat;
                bassBeats(band.bass, t, 2, c, BassStyle::Drive, 100);
                guitarBeats(band.guitar, t, 2, c, 76);
                stringsHeld(band.strings, t, 2 * kTicksPerBeat - 20, c, 84);
                for (int beat = 0; beat < 2; ++beat)
                    brassHeld(band.brass, t + beat * kTicksPerBeat, kSixteenth * 2, c, 84);
            }
            drumBar(band.drums, bar, Groove::Drive, false);
            continue;
        }
        if (i == 15) {
            // The build: held A major under a snare and timpani crescendo.
            bassBeats(band.bass, t0, 4, chord, BassStyle::Pulse, 100);
            guitarBeats(band.guitar, t0, 4, chord, 80);
            stringsHeld(band.strings, t0, kBar - 20, chord, 92);
            brassHeld(band.brass, t0, kBar - 60, chord, 80);
            roll(band.timpani, t0 + 2 * kTicksPerBeat, 2 * kTicksPerBeat, timpaniPitch(chord), 60,
                 110);
            buildUp(band.drums, bar);
            continue;
        }
        bassBeats(band.bass, t0, 4, chord, BassStyle::Drive, driving ? 98 : 86);
        stringsHeld(band.strings, t0, kBar - 20, chord, driving ? 80 : 78);
        if (driving) {
            guitarBeats(band.guitar, t0, 4, chord, 74);
            brassHits(band.brass, bar, chord, 78);
            drumBar(band.drums, bar, Groove::Drive, i % 4 == 0);
        } else {
            guitarHeld(band.guitar, t0, kBar - 40, chord, 66);
            if (i >= 4)
                brassHeld(band.brass, t0, kBar - 60, chord, 58);
            drumBar(band.drums, bar, Groove::HalfTime, i % 4 == 0);
            band.timpani.note(t0, kTicksPerBeat, timpaniPitch(chord), 88);
        }
    }

    // A again, the climax: the theme with the horn an octave below it.
    for (int i = 0; i < 16; ++i) {
        const int bar = 40 + i;
        const bool second = i >= 8;
        const Chord &chord = second ? kThemeCloseChords[i - 8] : kThemeOpenChords[i];
        const std::string_view score = second ? kThemeClose[i - 8] : kThemeOpen[i];
        playBar(band.trumpet, bar, score, 100);
        playBar(band.horn, bar, score, 90, -12);
        bassBeats(band.bass, barTick(bar), 4, chord, BassStyle::Gallop, 98);
        guitarBeats(band.guitar, barTick(bar), 4, chord, 76);
        brassHits(band.brass, bar, chord, 80);
        stringsHeld(band.strings, barTick(bar), kBar - 20, chord, 62);
        drumBar(band.drums, bar, Groove::Climax, i % 4 == 0);
        if (i % 4 == 0)
            band.timpani.note(barTick(bar), kTicksPerBeat, timpaniPitch(chord), 108);
    }
    tomFill(band.drums, 47);
    tomFill(band.drums, 55);

    // Ending: the run up over B flat and C with the band on every beat...
    {
        const int t0 = barTick(56);
        playBar(band.trumpet, 56, kRunUp, 102);
        playBar(band.horn, 56, kRunUp, 94, -12);
        for (int beat = 0; beat < 4; ++beat) {
            const Chord &chord = beat < 2 ? kBb : kC;
            const int t = t0 + beat * kTicksPerBeat;
            band.bass.note(t, kTicksPerBeat - 80, chord.root, 100);
            guitarHeld(band.guitar, t, kTicksPerBeat - 80, chord, 90);
            brassHeld(band.brass, t, kTicksPerBeat - 120, chord, 92);
            band.timpani.note(t, kTicksPerBeat, timpaniPitch(chord), 88 + 4 * beat);
            band.drums.note(t, kSixteenth, Kick, 104);
            band.drums.note(t, kSixteenth, Snare, 92 + 4 * beat);
        }
        stringsHeld(band.strings, t0, 2 * kTicksPerBeat - 20, kBb, 92);
        stringsHeld(band.strings, t0 + 2 * kTicksPerBeat, 2 * kTicksPerBeat - 20, kC, 96);
        band.drums.note(t0, kSixteenth, Crash, 100);
    }
    // ...A major hammered in 3+3+2...
    {
        const int t0 = barTick(57);
        playBar(band.trumpet, 57, kHammer, 104);
        playBar(band.horn, 57, kHammer, 96, -12);
        stringsHeld(band.strings, t0, kBar - 20, kA, 100);
        static constexpr int at[6] = {0, 3, 6, 8, 11, 14};
        for (int i = 0; i < 6; ++i) {
            const int t = t0 + at[i] * kSixteenth;
            const int length = (i % 3 == 2 ? 2 : 3) * kSixteenth - 40;
            band.bass.note(t, length, kA.root, 100);
            guitarHeld(band.guitar, t, length, kA, 92);
            brassHeld(band.brass, t, length, kA, 90 + 2 * i);
            band.timpani.note(t, length, timpaniPitch(kA), 90 + 2 * i);
            band.drums.note(t, kSixteenth, Kick, 104);
            band.drums.note(t, kSixteenth, i < 3 ? Snare : LowTom, 94 + 3 * i);
        }
        band.drums.note(t0, kSixteenth, Crash, 100);
    }
    // ...and the last D minor, held over a timpani swell, then one more hit.
    {
        const int t0 = barTick(58);
        const int held = kBar - 40;
        band.trumpet.note(t0, held, 86, 108);
        band.horn.note(t0, held, 74, 100);
        band.bass.note(t0, held, kDm.root, 112);
        guitarHeld(band.guitar, t0, held, kDm, 88);
        brassHeld(band.brass, t0, held, transposed(kDm, 12), 96);
        stringsHeld(band.strings, t0, held, kDm, 104);
        band.timpani.note(t0, kTicksPerBeat, timpaniPitch(kDm), 100);
        roll(band.timpani, t0 + kTicksPerBeat, 3 * kTicksPerBeat, timpaniPitch(kDm), 50, 104);
        band.drums.note(t0, kSixteenth, Crash, 104);
        band.drums.note(t0, kSixteenth, Kick, 108);

        const int button = barTick(59);
        const int shortHit = kTicksPerBeat - 60;
        band.trumpet.note(button, shortHit, 74, 110);
        band.horn.note(button, shortHit, 62, 104);
        band.bass.note(button, shortHit, kDm.root, 104);
        guitarHeld(band.guitar, button, shortHit, kDm, 92);
        brassHeld(band.brass, button, shortHit, kDm, 100);
        stringsHeld(band.strings, button, shortHit, kDm, 104);
        band.timpani.note(button, kTicksPerBeat, timpaniPitch(kDm), 104);
        band.drums.note(button, kSixteenth, Crash, 106);
        band.drums.note(button, kSixteenth, Kick, 108);
        band.drums.note(button, kSixteenth, Snare, 100);
    }

    return midiFile({&band.conductor, &band.trumpet, &band.horn, &band.bass, &band.guitar,
                     &band.strings, &band.brass, &band.timpani, &band.drums},
                    barTick(kBars));
}

} // namespace battle
} // namespace

std::string makeBattle()
{
    return battle::compose();
}

// ---------------------------------------------------------------------------
// "Ending", the credits music after the last mission: D major at 90 beats a
// minute, 30 bars, 80 seconds. The credits roll for about 75 of them, so the
// last chord is still sounding when they stop. Warm and triumphant first,
// then quieter, and the song's last statement lifted a semitone to E flat.
//
// Form (bars):
//   0-3    intro: strings swell, the horns' fanfare on the song's first notes
//   4-11   A: the song on the trumpet, horns' counter-line, full band
//   12-19  B: the flute over piano and soft strings, drums barely there;
//          bar 19 turns through B flat 7 into the new key
//   20-25  A in E flat: trumpet and horns in octaves, the band at its fullest
//   26-29  the flute takes the last phrase home; the E flat chord held
//
// Instruments (General MIDI, programs counted from 1): 57 trumpet, 61 French
// horns, 74 flute, 49 string ensemble, 1 grand piano, 33 acoustic bass,
// 47 harp, 48 timpani, and the drum kit on channel 10.

namespace {
namespace ending {

constexpr int kBeatsPerMinute = 90;
constexpr int kBars = 30;
constexpr int kLift = 1; // D major to E flat for the last statement

// Bass notes low in the acoustic bass, close triads just under the melody.
// The A section's bass walks down D C# B G, then up E F# G A.
constexpr Chord kD{38, {54, 57, 62}};
constexpr Chord kGoverD{38, {55, 59, 62}};
constexpr Chord kAoverCs{37, {57, 61, 64}};
constexpr Chord kBm{35, {54, 59, 62}};
constexpr Chord kGlow{31, {55, 59, 62}};
constexpr Chord kEm{40, {55, 59, 64}};
constexpr Chord kDoverFs{42, {54, 57, 62}};
constexpr Chord kG{43, {55, 59, 62}};
constexpr Chord kAsus{45, {57, 62, 64}};
constexpr Chord kA{45, {57, 61, 64}};
constexpr Chord kAlow{33, {57, 61, 64}};
constexpr Chord kBb7{46, {56, 62, 65}}; // the pivot: the dominant of E flat

// The song: up a fourth and on by step to a long F sharp, the same shape
// a step lower twice, the top reached on D in the seventh bar, and a rest
// on the dominant.
constexpr std::string_view kSong[8] = {
    "A4/2 D5/2 E5/2 F#5/10",     // D
    "E5/6 D5/2 C#5/4 E5/4",      // A/C#
    "F#5/2 G5/2 A5/4 B5/6 A5/2", // Bm
    "G5/4 F#5/2 E5/2 D5/8",      // G
    "E5/2 F#5/2 G5/4 B5/6 A5/2", // Em
    "A5/4 F#5/2 D5/2 A5/8",      // D/F#
    "B5/4 D6/4 B5/2 A5/2 G5/4",  // G
    "A5/4 G5/2 F#5/2 E5/8",      // A
};
constexpr Chord kSongChords[8] = {kD, kAoverCs, kBm, kGlow, kEm, kDoverFs, kG, kA};

// The song's close: the seventh bar turns through A and climbs to the
// tonic, which is then held.
constexpr std::string_view kSongClose = "B5/4 D6/4 C#6/4 B5/2 C#6/2";

// The horns' counter-line under the song, in half notes.
constexpr std::string_view kCounter[8] = {
    "D4/8 F#4/8", // D
    "E4/8 A4/8",  // A/C#
    "B4/8 F#4/8", // Bm
    "G4/8 D4/8",  // G
    "E4/8 G4/8",  // Em
    "F#4/8 A4/8", // D/F#
    "B4/8 D5/8",  // G
    "C#5/8 A4/8", // A
};

// The middle, on the flute: the same rhythms, turned towards B minor.
constexpr std::string_view kBridge[8] = {
    "D5/4 C#5/2 B4/2 F#5/8",      // Bm
    "E5/4 D5/2 B4/2 G5/8",        // G
    "F#5/4 E5/2 D5/2 A5/6 F#5/2", // D
    "E5/8 C#5/4 A4/4",            // A
    "D5/4 C#5/2 B4/2 F#5/6 G5/2", // Bm
    "A5/4 G5/2 F#5/2 E5/4 D5/4",  // G
    "G5/4 F#5/2 E5/2 B5/6 A5/2",  // Em
    "A5/4 C#6/4 D6/4 Bb5/4",      // A Bb7
};
constexpr Chord kBridgeChords[8] = {kBm, kGlow, kD, kAlow, kBm, kGlow, kEm, kA};

// The intro: the horns state the song's opening as a fanfare, rising to D
// and leaning on it over A suspended before it falls to C sharp.
constexpr std::string_view kFanfare[4] = {
    "A3/4 D4/4 F#4/8", // D
    "G4/6 F#4/2 E4/8", // G/D
    "F#4/4 A4/4 D5/8", // D
    "D5/8 C#5/8",      // Asus4 A
};
constexpr Chord kIntroChords[4] = {kD, kGoverD, kD, kAsus};

struct Band
{
    Track conductor{"Ending", 0};
    Track trumpet{"Trumpet", 0};
    Track bass{"Bass", 1};
    Track strings{"Strings", 2};
    Track piano{"Piano", 3};
    Track flute{"Flute", 4};
    Track horns{"Horns", 5};
    Track harp{"Harp", 6};
    Track timpani{"Timpani", 7};
    Track drums{"Drums", 9};
};

// The strings hold the chord over the bass an octave up; `full` adds the
// lowest voice an octave higher too, for the loud sections.
void stringsHeld(Track &strings, int tick, int length, const Chord &chord, int velocity,
                 bool full = false)
{
    strings.note(tick, length, chord.root + 12, velocity - 6);
    for (int pitch : chord.voicing)
        strings.note(tick, length, pitch, velocity);
    if (full)
        strings.note(tick, length, chord.voicing[0] + 12, velocity);
}

// The piano rolls the chord in eighths, up and back, each note let ring for
// a beat so it blurs like a held pedal.
void pianoBeats(Track &piano, int tick, int beats, const Chord &chord, int velocity)
{
    const int low = chord.root + 12;
    const int pattern[8] = {low,
                            chord.voicing[0],
                            chord.voicing[1],
                            chord.voicing[2],
                            chord.voicing[0] + 12,
                            chord.voicing[2],
                            chord.voicing[1],
                            chord.voicing[0]};
    for (int i = 0; i < 2 * beats; ++i)
        piano.note(tick + i * 2 * kSixteenth, kTicksPerBeat, pattern[i % 8],
                   velocity + (i % 4 == 0 ? 6 : 0));
}

// The ballad bass: a dotted quarter, an eighth, a half; over two beats one
// half note.
void bassBeats(Track &bass, int tick, int beats, const Chord &chord, int velocity)
{
    if (beats < 4) {
        bass.note(tick, beats * kTicksPerBeat - 40, chord.root, velocity);
        return;
    }
    bass.note(tick, 6 * kSixteenth - 40, chord.root, velocity + 6);
    bass.note(tick + 6 * kSixteenth, 2 * kSixteenth - 30, chord.root, velocity - 10);
    bass.note(tick + 8 * kSixteenth, 8 * kSixteenth - 40, chord.root, velocity);
}

// A sweep up the harp through the chord, two and a half octaves, each string
// left ringing.
void harpSweep(Track &harp, int tick, const Chord &chord, int velocity, int ring)
{
    for (int i = 0; i < 10; ++i) {
        const int pitch = chord.voicing[i % 3] - 12 + 12 * (i / 3);
        harp.note(tick + i * kSixteenth / 2, ring - i * kSixteenth / 2, pitch, velocity + i);
    }
}

enum class Groove
{
    Ballad, // kick 1 and 3-and, snare 2 and 4, hats in eighths
    Soft,   // kick on 1, side stick on 2 and 4, hats on the beats
};

void drumBar(Track &drums, int bar, Groove groove, bool crash)
{
    const int t0 = barTick(bar);
    auto hit = [&](int sixteenth, int key, int velocity) {
        drums.note(t0 + sixteenth * kSixteenth, kSixteenth, key, velocity);
    };
    if (crash)
        hit(0, Crash, 96);
    if (groove == Groove::Ballad) {
        hit(0, Kick, 108);
        hit(10, Kick, 92);
        hit(4, Snare, 96);
        hit(12, Snare, 100);
        for (int s = 0; s < 16; s += 2)
            hit(s, ClosedHat, s % 4 == 0 ? 76 : 58);
        hit(4, Tambourine, 56);
        hit(12, Tambourine, 60);
    } else {
        hit(0, Kick, 82);
        hit(4, SideStick, 70);
        hit(12, SideStick, 74);
        for (int s = 0; s < 16; s += 4)
            hit(s, ClosedHat, 54);
    }
}

std::string compose()
{
    Band band;
    setTempo(band.conductor, kBeatsPerMinute);

    // Programs are counted from 0 in the file. In TimGM6mb the string
    // ensemble is loud and the piano soft, hence the spread of volumes;
    // together they put the render at about -4.7 dBFS peak, -23 dBFS RMS
    // (measured as the style guide shows).
    setUp(band.trumpet, 56, 70, 64, 56);
    setUp(band.horns, 60, 52, 46, 64);
    setUp(band.flute, 73, 62, 70, 64);
    setUp(band.strings, 48, 30, 80, 80);
    setUp(band.piano, 0, 110, 52, 56);
    setUp(band.bass, 32, 74, 64, 24);
    setUp(band.harp, 46, 58, 96, 70);
    setUp(band.timpani, 47, 78, 64, 56);
    band.drums.control(7, 76);
    band.drums.control(91, 40);

    // Intro: strings and horns, the harp sweeping in, the piano from bar 2.
    for (int bar = 0; bar < 4; ++bar) {
        const int t0 = barTick(bar);
        const Chord &chord = kIntroChords[bar];
        playBar(band.horns, bar, kFanfare[bar], 86, 0, 0.95);
        if (bar < 3) {
            stringsHeld(band.strings, t0, kBar - 20, chord, 58 + 6 * bar);
            bassBeats(band.bass, t0, 2, chord, 80);
            bassBeats(band.bass, t0 + 2 * kTicksPerBeat, 2, chord, 74);
        } else {
            stringsHeld(band.strings, t0, 2 * kTicksPerBeat - 20, kAsus, 74);
            stringsHeld(band.strings, t0 + 2 * kTicksPerBeat, 2 * kTicksPerBeat - 20, kA, 76);
            bassBeats(band.bass, t0, 4, kA, 84);
        }
        if (bar >= 2) {
            pianoBeats(band.piano, t0, 2, chord, 58);
            pianoBeats(band.piano, t0 + 2 * kTicksPerBeat, 2, bar == 3 ? kA : chord, 60);
        }
    }
    harpSweep(band.harp, 0, kD, 70, kBar);
    harpSweep(band.harp, barTick(3) + 2 * kTicksPerBeat, kA, 72, 2 * kTicksPerBeat);
    band.timpani.note(barTick(2), kTicksPerBeat, 38, 80);
    roll(band.timpani, barTick(3) + 2 * kTicksPerBeat, 2 * kTicksPerBeat, 45, 40, 90);
    for (int s = 0; s < 4; ++s)
        band.drums.note(barTick(3) + (12 + s) * kSixteenth, kSixteenth, Snare, 56 + 10 * s);

    // A: the song, with the whole band.
    for (int i = 0; i < 8; ++i) {
        const int bar = 4 + i;
        const int t0 = barTick(bar);
        const Chord &chord = kSongChords[i];
        playBar(band.trumpet, bar, kSong[i], 92, 0, 0.95);
        playBar(band.horns, bar, kCounter[i], 76, 0, 0.95);
        stringsHeld(band.strings, t0, kBar - 20, chord, 70, true);
        pianoBeats(band.piano, t0, 4, chord, 60);
        bassBeats(band.bass, t0, 4, chord, 92);
        drumBar(band.drums, bar, Groove::Ballad, i % 4 == 0);
        if (i % 4 == 0)
            band.timpani.note(t0, kTicksPerBeat, chord.root, 96);
    }
    harpSweep(band.harp, barTick(11) + 2 * kTicksPerBeat, kA, 60, 2 * kTicksPerBeat);

    // B: the flute over the piano, the drums only keeping time.
    for (int i = 0; i < 8; ++i) {
        const int bar = 12 + i;
        const int t0 = barTick(bar);
        const Chord &chord = kBridgeChords[i];
        playBar(band.flute, bar, kBridge[i], 88, 0, 0.95);
        if (i < 7) {
            stringsHeld(band.strings, t0, kBar - 20, chord, 56);
            pianoBeats(band.piano, t0, 4, chord, 66);
            bassBeats(band.bass, t0, 2, chord, 82);
            bassBeats(band.bass, t0 + 2 * kTicksPerBeat, 2, chord, 76);
        }
        if (i >= 4 && i < 7)
            drumBar(band.drums, bar, Groove::Soft, false);
    }
    // Bar 19: A, then B flat 7 swelling into the new key.
    {
        const int t0 = barTick(19);
        const int t1 = t0 + 2 * kTicksPerBeat;
        stringsHeld(band.strings, t0, 2 * kTicksPerBeat - 20, kA, 60);
        stringsHeld(band.strings, t1, 2 * kTicksPerBeat - 20, kBb7, 72);
        pianoBeats(band.piano, t0, 2, kA, 66);
        pianoBeats(band.piano, t1, 2, kBb7, 70);
        bassBeats(band.bass, t0, 2, kA, 82);
        bassBeats(band.bass, t1, 2, kBb7, 90);
        playBar(band.horns, 19, "C#4/8 D4/8", 70, 0, 0.95);
        harpSweep(band.harp, t1, kBb7, 76, 2 * kTicksPerBeat);
        roll(band.timpani, t1, 2 * kTicksPerBeat, kBb7.root, 40, 96);
        band.drums.note(t0, kSixteenth, Kick, 82);
        band.drums.note(t0 + 4 * kSixteenth, kSixteenth, SideStick, 70);
        for (int s = 8; s < 16; ++s)
            band.drums.note(t0 + s * kSixteenth, kSixteenth, Snare, 50 + 7 * (s - 8));
    }

    // A in E flat: trumpet and horns in octaves, the fullest the band gets.
    for (int i = 0; i < 6; ++i) {
        const int bar = 20 + i;
        const int t0 = barTick(bar);
        const Chord chord = transposed(kSongChords[i], kLift);
        playBar(band.trumpet, bar, kSong[i], 98, kLift, 0.95);
        playBar(band.horns, bar, kSong[i], 84, kLift - 12, 0.95);
        stringsHeld(band.strings, t0, kBar - 20, chord, 80, true);
        pianoBeats(band.piano, t0, 4, chord, 64);
        bassBeats(band.bass, t0, 4, chord, 98);
        drumBar(band.drums, bar, Groove::Ballad, i % 4 == 0);
        if (i % 2 == 0)
            band.timpani.note(t0, kTicksPerBeat, chord.root, 100);
    }

    // The last phrase, quieter: the flute climbs to the tonic over G and A,
    // with no drums.
    {
        const int t0 = barTick(26);
        const int t1 = t0 + 2 * kTicksPerBeat;
        const Chord g = transposed(kG, kLift);
        const Chord a = transposed(kA, kLift);
        playBar(band.flute, 26, kSongClose, 90, kLift, 0.97);
        stringsHeld(band.strings, t0, 2 * kTicksPerBeat - 20, g, 68);
        stringsHeld(band.strings, t1, 2 * kTicksPerBeat - 20, a, 66);
        pianoBeats(band.piano, t0, 2, g, 56);
        pianoBeats(band.piano, t1, 2, a, 54);
        bassBeats(band.bass, t0, 2, g, 80);
        bassBeats(band.bass, t1, 2, a, 76);
        playBar(band.horns, 26, "B3/8 C#4/8", 64, kLift, 0.95);
    }

    // The final chord: E flat held for three bars, the flute on the high
    // tonic, the piano echoing the song's first notes, the harp sweeping up
    // once more; everything released a beat before the end.
    {
        const Chord home = transposed(kD, kLift);
        const int t0 = barTick(27);
        const int held = 3 * kBar - kTicksPerBeat;
        stringsHeld(band.strings, t0, held, home, 66, true);
        band.bass.note(t0, 2 * kBar, home.root, 80);
        band.flute.note(t0, 2 * kBar - 60, 86 + kLift, 80);
        playBar(band.horns, 27, "F#4/16", 60, kLift, 1.0);
        band.horns.note(barTick(28), kBar, 57 + kLift, 52);
        pianoBeats(band.piano, t0, 2, home, 54);
        playBar(band.piano, 28, kSong[0], 60, kLift);
        for (int pitch : home.voicing)
            band.piano.note(barTick(29), kBar - kTicksPerBeat, pitch + 12, 48);
        harpSweep(band.harp, t0, home, 70, kBar);
        harpSweep(band.harp, barTick(29), transposed(home, 12), 52, kBar - kTicksPerBeat);
        roll(band.timpani, t0, 2 * kTicksPerBeat, home.root, 76, 30);
        band.drums.note(t0, kSixteenth, Crash, 72);
    }

    return midiFile({&band.conductor, &band.trumpet, &band.horns, &band.flute, &band.strings,
                     &band.piano, &band.bass, &band.harp, &band.timpani, &band.drums},
                    barTick(kBars));
}

} // namespace ending
} // namespace

std::string makeEnding()
{
    return ending::compose();
}

} // namespace ks::tune
