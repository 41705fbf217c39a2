#include "core/problemmatcher.h"

#include "typekeys.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

using test::typeKeys;

const KanaProblem &shinka()
{
    static const KanaProblem problem{{"し", "shi"}, {"ん", "nn"}, {"か", "ka"}};
    return problem;
}

struct ModeCase
{
    SpellingMode mode;
    const char *keys;
    const char *result;
};

class ProblemMatcherMode : public ::testing::TestWithParam<ModeCase>
{
};

// Fixed judging asks for the table's line and nothing else; any-spelling
// judging takes the input method's spellings too.
TEST_P(ProblemMatcherMode, JudgesAsItsModeSays)
{
    ProblemMatcher matcher(GetParam().mode, shinka());
    EXPECT_EQ(matcher.guide(), "shinnka");
    EXPECT_EQ(typeKeys(matcher, GetParam().keys), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProblemMatcherMode,
                         ::testing::Values(ModeCase{SpellingMode::Table, "shinnka", "ok"},
                                           ModeCase{SpellingMode::Table, "sinka", "wrong key 1"},
                                           ModeCase{SpellingMode::Table, "shinka", "wrong key 4"},
                                           ModeCase{SpellingMode::Any, "shinnka", "ok"},
                                           ModeCase{SpellingMode::Any, "sinka", "ok"},
                                           ModeCase{SpellingMode::Any, "cixnca", "ok"}));

// Fixed judging is MatchRomajiKey, right and wrong keys alike.
TEST(LineMatcher, JudgesAsMatchRomajiKeyDoes)
{
    const std::string line = "ka,ki";
    LineMatcher matcher(line);
    std::string_view remaining = line;
    for (char32_t key : std::u32string_view(U"kxa,K、kii")) {
        const KeyMatch expected = MatchRomajiKey(remaining, key);
        EXPECT_EQ(matcher.judge(key), expected.outcome);
        remaining = expected.remaining;
        EXPECT_EQ(matcher.guide(), remaining);
        EXPECT_EQ(matcher.typed(), line.substr(0, line.size() - remaining.size()));
    }
    EXPECT_TRUE(matcher.isCompleted());
}

TEST(LineMatcher, TellsTheUnitOfTheNextKey)
{
    LineMatcher matcher(shinka());
    std::vector<std::size_t> units{matcher.unitIndex()};
    for (char key : std::string_view("shinnka")) {
        matcher.judge(static_cast<char32_t>(key));
        units.push_back(matcher.unitIndex());
    }
    EXPECT_EQ(units, (std::vector<std::size_t>{0, 0, 0, 1, 1, 2, 2, 3}));
}

// A problem with nothing to type can be neither typed nor finished.
TEST(ProblemMatcher, NothingToTypeTakesNoKey)
{
    for (ProblemMatcher matcher : {ProblemMatcher(), ProblemMatcher(std::string()),
                                   ProblemMatcher(SpellingMode::Table, KanaProblem{}),
                                   ProblemMatcher(SpellingMode::Any, KanaProblem{})}) {
        EXPECT_EQ(matcher.judge(U'a'), KeyOutcome::KeyWrong);
        EXPECT_EQ(matcher.judge(U'\0'), KeyOutcome::KeyWrong);
        EXPECT_EQ(matcher.guide(), "");
        EXPECT_FALSE(matcher.isCompleted());
    }
}

} // namespace
} // namespace ks
