#include "core/romajimatcher.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

using Strings = std::vector<std::string>;

RomajiTable tableOf(const Strings &pairs)
{
    RomajiTable table;
    std::copy(pairs.begin(), pairs.end(), table.items.begin());
    return table;
}

const RomajiTable &smallTable()
{
    static const RomajiTable table = tableOf({"か", "ka", "き", "ki", "あ", "a", "い", "i", "は",
                                              "ha", "な", "na", "っか", "kka", "＿", "\\"});
    return table;
}

struct BuildCase
{
    const char *name;
    Strings items;
    Strings lines;
};

void PrintTo(const BuildCase &c, std::ostream *os)
{
    *os << c.name;
}

class BuildLines : public ::testing::TestWithParam<BuildCase>
{
};

TEST_P(BuildLines, GivesOneLinePerProblem)
{
    const RomajiLines built = BuildRomajiLines(GetParam().items, 0, smallTable(), 51);
    EXPECT_EQ(built.lines, GetParam().lines);
    EXPECT_FALSE(built.overflow);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildLines,
    ::testing::Values(BuildCase{"CommaKanaTypesAComma", {"@", "か", "、", "き"}, {"ka,ki"}},
                      BuildCase{"NoKanaAddsNothing", {"@", "か", "本州", "き"}, {"kaki"}},
                      BuildCase{"TwoStartsGiveAnEmptyLine", {"@", "@", "か"}, {"", "ka"}},
                      BuildCase{"KanaBeforeFirstStartIsIgnored", {"か", "、", "@", "き"}, {"ki"}},
                      BuildCase{"DoubledPairIsOneToken", {"@", "あ", "っか", "い"}, {"akkai"}},
                      BuildCase{"MatchingIsExact", {"@", "カ", "か ", "ｶ", "KA"}, {""}},
                      BuildCase{"EmptyPlaceMarkerIsNoKana", {"@", "＿", "か"}, {"ka"}},
                      BuildCase{"EmptyItemAddsNothing", {"@", "", "か"}, {"ka"}},
                      BuildCase{"NothingAtAll", {}, {}}),
    [](const ::testing::TestParamInfo<BuildCase> &test) { return test.param.name; });

// The practice example: the display text is looked up like any token.
TEST(BuildRomajiLinesFrom, PracticeBodyAfterTheHeader)
{
    Strings items(14, "@"); // header items are never problem starts
    for (const char *item : {"@", "赤い花", "あ", "か", "い", "は", "な", "、", "@", "end"})
        items.push_back(item);
    const RomajiLines built = BuildRomajiLines(items, 14, smallTable(), 1000);
    EXPECT_EQ(built.lines, (Strings{"akaihana,", ""}));
}

TEST(BuildRomajiLinesFrom, ADisplayTextThatIsAKanaIsTyped)
{
    const RomajiLines built = BuildRomajiLines({"@", "あ", "か"}, 0, smallTable(), 10);
    EXPECT_EQ(built.lines, (Strings{"aka"}));
}

// Every pair with the kana contributes, in table order, not just the first.
TEST(BuildRomajiLinesFrom, AKanaTwiceInTheTableGivesBothRomaji)
{
    const RomajiTable table = tableOf({"ん", "n", "か", "ka", "ん", "m"});
    EXPECT_EQ(BuildRomajiLines({"@", "ん", "か"}, 0, table, 5).lines, (Strings{"nmka"}));
}

TEST(BuildRomajiLinesFrom, NoLineBeyondTheCapacityIsWritten)
{
    const Strings items{"@", "か", "@", "き", "@", "あ"};
    const RomajiLines built = BuildRomajiLines(items, 0, smallTable(), 2);
    EXPECT_EQ(built.lines, (Strings{"ka", "ki"}));
    EXPECT_TRUE(built.overflow);
    EXPECT_FALSE(BuildRomajiLines(items, 0, smallTable(), 3).overflow);
}

struct KeyCase
{
    const char *remaining;
    char32_t typed;
    KeyOutcome outcome;
    const char *left;
};

void PrintTo(const KeyCase &c, std::ostream *os)
{
    *os << c.remaining;
}

class MatchKey : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(MatchKey, JudgesTheFirstCharacter)
{
    const KeyCase &c = GetParam();
    const KeyMatch match = MatchRomajiKey(c.remaining, c.typed);
    EXPECT_EQ(match.outcome, c.outcome) << c.remaining;
    EXPECT_EQ(match.remaining, c.left) << c.remaining;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchKey,
    ::testing::Values(KeyCase{"ka", U'k', KeyOutcome::KeyAdvanced, "a"},
                      KeyCase{"a", U'a', KeyOutcome::KeyCompleted, ""},
                      KeyCase{"a", U'A', KeyOutcome::KeyWrong, "a"}, // case counts
                      KeyCase{",ki", U',', KeyOutcome::KeyAdvanced, "ki"},
                      KeyCase{",ki", U'、', KeyOutcome::KeyWrong, ",ki"}, // IME comma is wrong
                      KeyCase{",ki", U'k', KeyOutcome::KeyWrong, ",ki"},
                      KeyCase{"ーa", U'ー', KeyOutcome::KeyAdvanced, "a"}, // whole characters
                      KeyCase{"ーa", U'\xE3', KeyOutcome::KeyWrong, "ーa"},
                      KeyCase{"", U'a', KeyOutcome::KeyWrong, ""}, // nothing to match
                      KeyCase{"", U'\0', KeyOutcome::KeyWrong, ""}));

TEST(MatchKey, WrongKeysNeverShortenOrComplete)
{
    std::string_view remaining = "ka";
    for (char32_t key : {U'x', U'K', U'a', U' ', U'\r'}) {
        const KeyMatch match = MatchRomajiKey(remaining, key);
        EXPECT_EQ(match.outcome, KeyOutcome::KeyWrong);
        EXPECT_EQ(match.remaining, "ka");
    }
}

TEST(MatchKey, TypingALineToTheEnd)
{
    std::string_view remaining = "gakkou";
    std::vector<KeyOutcome> outcomes;
    for (char32_t key : std::u32string_view(U"gakkou")) {
        const KeyMatch match = MatchRomajiKey(remaining, key);
        outcomes.push_back(match.outcome);
        remaining = match.remaining;
    }
    EXPECT_EQ(outcomes.back(), KeyOutcome::KeyCompleted);
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), KeyOutcome::KeyAdvanced), 5);
    EXPECT_TRUE(remaining.empty());
}

} // namespace
} // namespace ks
