#include "core/romajimatcher.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

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
