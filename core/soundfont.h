#pragma once

#include <istream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace ks {

// The voices a tune's synthesiser is given. The game's own tunes reach 114
// at their busiest, releases included, and MIDI files of the Windows era
// were written for synthesisers of 24 to 64 voices; FluidSynth's default
// of 256 costs close to 3 MB for voices that never sound.
inline constexpr int kTuneVoices = 128;

// A General MIDI soundfont holds every instrument, and the synthesiser keeps
// a description of each of them in memory, some 6 MB for the small TimGM6mb
// alone. A tune names the dozen or so it plays: the synthesiser is given a
// soundfont cut down to those.

// A preset as MIDI selects it: (bank, program), the drum kits in bank 128.
using Preset = std::pair<int, int>;
using PresetSet = std::set<Preset>;

// Every preset a standard MIDI file may select, with what the synthesiser
// falls back on when a bank lacks one: generous where a file leaves doubt
// (a bank select on one track, a program change on another). Nothing when
// the file cannot be read as MIDI.
std::optional<PresetSet> presetsUsedBy(std::string_view smf);

// A SoundFont 2 file with only the presets named, the instruments they play
// and those instruments' samples, read from a complete one; only the parts
// kept are read. Nothing when the soundfont is not one this can cut, or
// holds none of the presets.
std::optional<std::string> cutSoundfont(std::istream &soundfont, const PresetSet &presets);

} // namespace ks
