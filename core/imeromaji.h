#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// The romaji a Japanese input method (MS-IME, ATOK, Google日本語入力) turns
// into kana: what a player types when no game tells them how. The rules are
// the part those three agree on; the table itself is data, in imeromaji.cpp.

// Spellings of a run of one to three hiragana that an input method turns into
// exactly that run, the most usual first; empty when it knows no single
// spelling for the run. Two rules are not in the list, because they depend
// on what follows: "ん" as a single "n" and "っ" as a doubled consonant.
const std::vector<std::string> &imeSpellings(std::string_view hiragana);

// The longest run imeSpellings knows, in characters.
inline constexpr std::size_t kLongestImeKana = 3;

// Whether the input methods spell this character as kana on its own: every
// hiragana of the chart (katakana after toHiragana). Marks such as "ー", "ゝ"
// and punctuation are not: the game types them as its table says.
bool isImeKana(char32_t hiragana);

// Katakana folded onto hiragana ("ヴ" → "ゔ"), which the input methods spell
// the same way; everything else as it is.
char32_t toHiragana(char32_t kana);

// "ん" typed as a single "n" stands only before a key that cannot carry the
// n on into another kana: not a vowel, "y" or "n", and not the end.
bool continuesSingleN(char32_t nextKey);

// "っ" typed as the doubled first consonant of what follows: any consonant
// but "n" (nn is ん) and "x" or "l", which start the small kana.
bool isDoublingConsonant(char32_t key);

inline constexpr char32_t kHiraganaN = U'ん';
inline constexpr char32_t kHiraganaSmallTsu = U'っ';

} // namespace ks
