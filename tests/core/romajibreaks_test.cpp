#include "core/romajibreaks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ks {
namespace {

struct BreakCase
{
    const char *romaji;
    std::vector<std::size_t> breaks;
};

// A long romaji line wraps between syllables only: after a vowel, a final
// "nn" or "n'", or a mark; never after a consonant, never before a mark.
TEST(RomajiLineBreaks, OnlyBetweenSyllables)
{
    const BreakCase cases[] = {
        {"fukinnhe.", {2, 4, 6}},         // fu|ki|nn|he.
        {"kitte", {2}},                   // ki|tte: the doubled consonant opens its syllable
        {"kyakka", {3}},                  // kya|kka
        {"tsu", {}},                      // one syllable
        {"nn'", {}},                      // a final n and its mark stay together
        {"kan'i", {2, 4}},                // ka|n'|i
        {"nn'a", {3}},                    // nn'|a
        {"konnnichiha", {2, 4, 6, 9}},    // ko|nn|ni|chi|ha: n's pair from the left
        {"tanni", {2, 4}},                // ta|nn|i
        {"kinnyoubi", {2, 4, 6, 7}},      // ki|nn|yo|u|bi
        {"kanji", {2}},                   // ka|nji: a lone n is a consonant
        {"shh", {}},                      // no vowel: no break at all
        {"ko-hi-", {3}},                  // ko-|hi-: the long vowel mark keeps to its syllable
        {"a!?b", {3}},                    // a!?|b
        {"200kiro", {3, 5}},              // 200|ki|ro: a number stays whole
        {"ou", {1}},                      // o|u
        {"\\\\", {1}},                    // marks that are no punctuation stand alone
        {"KAKI", {2}},                    // capitals are letters too
        {"", {}},                         // nothing
        {"a", {}},                        // nothing inside
        {"a\xE3\x81\x82u", {1, 4}},       // a|あ|u: never inside a UTF-8 character
        {"sutchuwa-desu", {2, 6, 9, 11}}, // su|tchu|wa-|de|su
    };
    for (const BreakCase &c : cases)
        EXPECT_EQ(romajiLineBreaks(c.romaji), c.breaks) << c.romaji;
}

} // namespace
} // namespace ks
