// A file's items turned into the problems the player types: the tokens with
// the table's romaji, and the one romaji line per problem fixed judging asks for.
#include "core/kanaproblem.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(BuildKanaProblems, KeepsTheTokensOfEachLine)
{
    RomajiTable table;
    const Strings pairs{"か", "ka", "っか", "kka", "ん", "n", "ん", "n", "＿", "\\", "ー", ""};
    std::copy(pairs.begin(), pairs.end(), table.items.begin());
    const Strings items{"か", "、", "@", "表示", "か", "、", "っか", "ん", "ー", "@", "@", "か"};
    const KanaProblems built = BuildKanaProblems(items, 0, table, 5);
    ASSERT_EQ(built.problemCount(), 3u);
    EXPECT_FALSE(built.overflow);
    // Before the first "@" nothing; a kana in two pairs typed as both; a
    // kana typed as nothing and a kanji left out.
    const KanaProblem first{{"か", "ka"}, {"、", ","}, {"っか", "kka"}, {"ん", "nn"}};
    ASSERT_EQ(built.problems[0].size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(built.problems[0][i].kana, first[i].kana);
        EXPECT_EQ(built.problems[0][i].tableRomaji, first[i].tableRomaji);
    }
    EXPECT_TRUE(built.problems[1].empty());
    EXPECT_EQ(tableLine(built.problems[2]), "ka");
    // The same lines as fixed judging, and the same capacity rule.
    const RomajiLines lines = BuildRomajiLines(items, 0, table, 5);
    for (std::size_t k = 0; k < built.problemCount(); ++k)
        EXPECT_EQ(tableLine(built.problems[k]), lines.lines[k]);
    const KanaProblems capped = BuildKanaProblems(items, 0, table, 2);
    EXPECT_EQ(capped.problemCount(), 2u);
    EXPECT_TRUE(capped.overflow);
    EXPECT_EQ(BuildKanaProblems(items, 3, table, 5).problemCount(), 2u);
}

} // namespace
} // namespace ks
