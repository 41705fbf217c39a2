#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ks {

// Before a file reaches SDL_mixer it is checked here, on its bytes alone:
// the mixer trusts what a file says of itself, and a WAVE declaring 1 Hz
// overflows its conversion buffer, a MIDI file named .wav is rendered whole
// into memory (a gigabyte and more, on the sound thread), and neither may
// happen for whatever a player puts in a music slot.

// The mixer's own format: every effect is converted to it when decoded.
inline constexpr int kMixerRate = 44100;
inline constexpr int kMixerChannels = 2;
inline constexpr int kMixerFrameBytes = kMixerChannels * 2; // signed 16-bit

// No sound file is read past this: six minutes of CD-quality WAVE.
inline constexpr std::size_t kMaxSoundFileBytes = 64u << 20;

// A MIDI file is held whole while its tune plays, and FluidSynth makes many
// times its size of events from it. The largest General MIDI files are a few
// hundred kilobytes.
inline constexpr std::size_t kMaxMidiFileBytes = 2u << 20;

// An effect (a shot, a miss, the logo's jingle) is decoded whole before it
// sounds, so that a key's sound starts at once, and a play screen holds four
// of them. Five seconds is five times the longest the game ships (the
// logo's jingle), and four such effects hold 3.5 MB.
inline constexpr int kMaxEffectSeconds = 5;
inline constexpr std::uint64_t kMaxEffectDecodedBytes =
    std::uint64_t{kMaxEffectSeconds} * kMixerRate * kMixerFrameBytes;
// What the file of an effect may be: five seconds of CD-quality stereo, and
// room for its other chunks. Reading and converting it costs a few times its
// size for a moment; a file at a higher rate is a shorter effect.
inline constexpr std::size_t kMaxEffectFileBytes = 1u << 20;

// WAVE files are music too (the options offer them beside MIDI files), and
// music streams from its file as it plays. Its length is still held to what
// the largest file read holds at CD quality, six minutes and some: every WAVE
// the reader lets in at the mixer's rate plays, a file at a low rate cannot
// swell past it, and a tool that decodes it whole needs at most about twice
// that, far from where SDL's sizes overflow.
inline constexpr std::uint64_t kMaxDecodedSoundBytes = kMaxSoundFileBytes;

// The sample rates a WAVE may have; the mixer converts anything between.
inline constexpr std::uint32_t kMinSoundRate = 4000;
inline constexpr std::uint32_t kMaxSoundRate = 192000;

// What a player makes of a file, by its name: .mid, .midi and .rmi are music
// for the synthesiser, any other name a WAVE, decoded whole.
enum class SoundFileKind
{
    Wave,
    Midi,
};
SoundFileKind soundFileKindByName(std::string_view fileName);

struct SoundFileCheck
{
    std::string_view sound;   // what the mixer is given: the file, or the MIDI file in an .rmi
    std::string_view refusal; // why the mixer must not be given it; empty when it may

    bool isPlayable() const { return refusal.empty(); }
};

// Whether a file's bytes, named as kind, may reach the mixer. A WAVE must be
// PCM (8 or 16 bits) or IMA or Microsoft ADPCM, mono or stereo, at a rate
// in range, its fmt fields agreeing with each other, no chunk running past
// its end, and no longer decoded than kMaxDecodedSoundBytes. A MIDI file,
// bare or in an .rmi, must have a sane header and all its tracks whole.
// Anything else is refused, a MIDI file named as a WAVE included.
// An effect's WAVE is held to kMaxEffectDecodedBytes instead.
enum class SoundUse
{
    Music,
    Effect,
};
SoundFileCheck checkSoundFile(std::string_view file, SoundFileKind kind,
                              SoundUse use = SoundUse::Music);

} // namespace ks
