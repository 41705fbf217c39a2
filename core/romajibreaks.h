#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace ks {

// Where a line of romaji may be broken across lines on screen: the byte
// offsets, between 1 and the line's size - 1, after which a new line may
// start. A break always falls between two syllables, never inside one, so
// the keys of one kana stay together:
// - after a vowel ("ka|ki");
// - after a syllable-final n written "nn" or "n'" ("fu|ki|nn|he");
// - after punctuation, digits and any other mark that is no letter;
// - never after a consonant ("kitte" is "ki|tte", "tsu" is whole).
// Punctuation keeps to what comes before it (no line starts with "." or
// the long vowel's "-"), and a number stays whole. A run of n's at the
// start of a syllable pairs up from the left: "nn" before a vowel is read
// as a final n followed by that vowel, which is what it nearly always is.
// UTF-8 beyond ASCII is never cut inside a character.
std::vector<std::size_t> romajiLineBreaks(std::string_view romaji);

} // namespace ks
