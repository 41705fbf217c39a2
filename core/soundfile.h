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

// No sound file is read past this: six minutes of CD-quality WAVE, and
// more than any MIDI file needs.
inline constexpr std::size_t kMaxSoundFileBytes = 64u << 20;

// A WAVE is decoded whole, at the mixer's format, before it sounds, and
// WAVE files are music too (the options offer them beside MIDI files). So
// the cap is what the largest file read holds at CD quality, six minutes and
// some: every WAVE the reader lets in at the mixer's rate still plays, while
// a file at a low rate can no longer swell past it. SDL's conversion then
// needs at most about twice the cap, far from where its sizes overflow.
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
SoundFileCheck checkSoundFile(std::string_view file, SoundFileKind kind);

} // namespace ks
