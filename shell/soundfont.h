#pragma once

#include <istream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace ks {

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
