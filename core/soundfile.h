#pragma once

#include <cstddef>
#include <string_view>

namespace ks {

// No sound file is read past this: room for minutes of CD-quality WAVE and
// any MIDI file.
inline constexpr std::size_t kMaxSoundFileBytes = 64u << 20;

// What a player makes of a file, by its name: .mid, .midi and .rmi are music
// for the synthesiser, any other name a WAVE.
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

// Whether a file's bytes, named as kind, may reach the mixer.
SoundFileCheck checkSoundFile(std::string_view file, SoundFileKind kind);

} // namespace ks
