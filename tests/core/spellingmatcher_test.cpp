#include "core/spellingmatcher.h"

#include "core/imeromaji.h"
#include "typekeys.h"
#include "core/utf8.h"
#include "core/kanaproblem.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace ks {
namespace {

using Strings = std::vector<std::string>;
using test::typeKeys;

// The table spellings the cases are written against: the usual ones, as the
// shipped table has them, so a case reads like what a player sees.
const std::map<std::string, std::string, std::less<>> &caseTable()
{
    static const std::map<std::string, std::string, std::less<>> table{
        {"あ", "a"},       {"い", "i"},        {"う", "u"},        {"え", "e"},
        {"お", "o"},       {"か", "ka"},       {"き", "ki"},       {"く", "ku"},
        {"け", "ke"},      {"こ", "ko"},       {"さ", "sa"},       {"し", "shi"},
        {"す", "su"},      {"せ", "se"},       {"た", "ta"},       {"ち", "chi"},
        {"つ", "tsu"},     {"て", "te"},       {"と", "to"},       {"な", "na"},
        {"に", "ni"},      {"は", "ha"},       {"ひ", "hi"},       {"ふ", "fu"},
        {"ま", "ma"},      {"み", "mi"},       {"も", "mo"},       {"や", "ya"},
        {"ゆ", "yu"},      {"よ", "yo"},       {"ら", "ra"},       {"り", "ri"},
        {"わ", "wa"},      {"を", "wo"},       {"ん", "nn"},       {"が", "ga"},
        {"ご", "go"},      {"ざ", "za"},       {"じ", "ji"},       {"だ", "da"},
        {"ぢ", "di"},      {"づ", "du"},       {"で", "de"},       {"ば", "ba"},
        {"ぶ", "bu"},      {"ぱ", "pa"},       {"ぷ", "pu"},       {"ぁ", "la"},
        {"ゃ", "lya"},     {"っ", "ltu"},      {"ゎ", "lwa"},      {"きゃ", "kya"},
        {"しゃ", "sha"},   {"しゅ", "shu"},    {"ちゃ", "cha"},    {"ちょ", "cho"},
        {"じゃ", "ja"},    {"ヴ", "vu"},       {"ヴぁ", "va"},     {"っか", "kka"},
        {"っさ", "ssa"},   {"っし", "sshi"},   {"った", "tta"},    {"っち", "cchi"},
        {"っつ", "ttsu"},  {"っと", "tto"},    {"って", "tte"},    {"っな", "nna"},
        {"っは", "hha"},   {"っふ", "ffu"},    {"っま", "mma"},    {"っや", "yya"},
        {"っら", "rra"},   {"っわ", "wwa"},    {"っが", "gga"},    {"っざ", "zza"},
        {"っじ", "jji"},   {"っだ", "dda"},    {"っば", "bba"},    {"っぱ", "ppa"},
        {"っぷ", "ppu"},   {"っきゃ", "kkya"}, {"っしゃ", "ssha"}, {"っちゃ", "ccha"},
        {"っじゃ", "jja"}, {"ー", "-"},        {"、", ","},        {"。", "."},
        {"！", "!"},       {"０", "0"}};
    return table;
}

// A problem from its tokens separated by spaces, spelled by caseTable.
KanaProblem problemOf(std::string_view tokens)
{
    KanaProblem problem;
    while (!tokens.empty()) {
        const std::size_t space = tokens.find(' ');
        const std::string_view token = tokens.substr(0, space);
        tokens = space == std::string_view::npos ? std::string_view() : tokens.substr(space + 1);
        const auto found = caseTable().find(token);
        if (found == caseTable().end()) {
            ADD_FAILURE() << "no table spelling for " << token;
            continue;
        }
        problem.push_back({std::string(token), found->second});
    }
    return problem;
}

std::string typeProblem(std::string_view tokens, std::string_view keys)
{
    SpellingMatcher matcher(problemOf(tokens));
    return typeKeys(matcher, keys);
}

struct TypingCase
{
    const char *tokens;
    const char *keys;
    const char *result; // what typeKeys reports
};

void PrintTo(const TypingCase &c, std::ostream *os)
{
    *os << c.tokens << " / " << c.keys;
}

class AnySpelling : public ::testing::TestWithParam<TypingCase>
{
};

TEST_P(AnySpelling, JudgesEveryKey)
{
    EXPECT_EQ(typeProblem(GetParam().tokens, GetParam().keys), GetParam().result);
}

// Each kana's spellings, on its own and inside contracted sounds.
INSTANTIATE_TEST_SUITE_P(
    Kana, AnySpelling,
    ::testing::Values(
        TypingCase{"し", "si", "ok"}, TypingCase{"し", "shi", "ok"}, TypingCase{"し", "ci", "ok"},
        TypingCase{"ち", "ti", "ok"}, TypingCase{"ち", "chi", "ok"},
        TypingCase{"ち", "ci", "wrong key 1"}, TypingCase{"つ", "tu", "ok"},
        TypingCase{"つ", "tsu", "ok"}, TypingCase{"ふ", "hu", "ok"}, TypingCase{"ふ", "fu", "ok"},
        TypingCase{"じ", "zi", "ok"}, TypingCase{"じ", "ji", "ok"}, TypingCase{"を", "wo", "ok"},
        TypingCase{"を", "o", "wrong key 0"}, TypingCase{"ぢ", "di", "ok"},
        TypingCase{"づ", "du", "ok"}, TypingCase{"ヴ", "vu", "ok"}, TypingCase{"か", "ka", "ok"},
        TypingCase{"か", "ca", "ok"}, TypingCase{"く", "ku", "ok"}, TypingCase{"く", "cu", "ok"},
        TypingCase{"く", "qu", "ok"}, TypingCase{"せ", "se", "ok"}, TypingCase{"せ", "ce", "ok"},
        TypingCase{"ぁ", "xa", "ok"}, TypingCase{"ぁ", "la", "ok"}, TypingCase{"ゃ", "xya", "ok"},
        TypingCase{"ゃ", "lya", "ok"}, TypingCase{"ゃ", "ya", "wrong key 0"},
        TypingCase{"ゎ", "xwa", "ok"}, TypingCase{"ゎ", "lwa", "ok"}, TypingCase{"っ", "xtu", "ok"},
        TypingCase{"っ", "ltu", "ok"}, TypingCase{"っ", "xtsu", "ok"},
        TypingCase{"っ", "ltsu", "ok"}, TypingCase{"しゃ", "sya", "ok"},
        TypingCase{"しゃ", "sha", "ok"}, TypingCase{"しゃ", "sixya", "ok"},
        TypingCase{"しゃ", "silya", "ok"}, TypingCase{"しゃ", "shilya", "ok"},
        TypingCase{"しゃ", "cixya", "ok"}, TypingCase{"しゃ", "shya", "wrong key 2"},
        TypingCase{"ちゃ", "tya", "ok"}, TypingCase{"ちゃ", "cha", "ok"},
        TypingCase{"ちゃ", "cya", "ok"}, TypingCase{"ちゃ", "tilya", "ok"},
        TypingCase{"じゃ", "ja", "ok"}, TypingCase{"じゃ", "zya", "ok"},
        TypingCase{"じゃ", "jya", "ok"}, TypingCase{"じゃ", "jixya", "ok"},
        TypingCase{"きゃ", "kya", "ok"}, TypingCase{"きゃ", "kixya", "ok"},
        TypingCase{"きゃ", "kilya", "ok"}, TypingCase{"ヴぁ", "va", "ok"},
        TypingCase{"ヴぁ", "vuxa", "ok"},
        // The input method reads kana, not tokens: き and ゃ given apart are still きゃ.
        TypingCase{"き ゃ", "kya", "ok"}, TypingCase{"き ゃ", "kilya", "ok"},
        // Upper case is another key, as in fixed judging.
        TypingCase{"か", "Ka", "wrong key 0"}));

// "っ" before every row: the doubled first consonant of any spelling of what
// follows, or a small っ of its own; given as one token of the table ("っか")
// or as two ("っ", "か").
INSTANTIATE_TEST_SUITE_P(
    SmallTsu, AnySpelling,
    ::testing::Values(TypingCase{"っか", "kka", "ok"}, TypingCase{"っか", "cca", "ok"},
                      TypingCase{"っか", "ltuka", "ok"}, TypingCase{"っか", "xtsuca", "ok"},
                      TypingCase{"っ か", "kka", "ok"}, TypingCase{"っ か", "ltuka", "ok"},
                      TypingCase{"っか", "kca", "wrong key 1"}, TypingCase{"っさ", "ssa", "ok"},
                      TypingCase{"っし", "sshi", "ok"}, TypingCase{"っし", "ssi", "ok"},
                      TypingCase{"っし", "cci", "ok"}, TypingCase{"った", "tta", "ok"},
                      TypingCase{"っち", "cchi", "ok"}, TypingCase{"っち", "tti", "ok"},
                      TypingCase{"っつ", "ttsu", "ok"}, TypingCase{"っつ", "ttu", "ok"},
                      // nn is ん: っな has only its table spelling and the small っ.
                      TypingCase{"っな", "nna", "ok"}, TypingCase{"っな", "xtuna", "ok"},
                      TypingCase{"っ な", "nna", "wrong key 0"}, TypingCase{"っ な", "ltuna", "ok"},
                      TypingCase{"っは", "hha", "ok"}, TypingCase{"っふ", "ffu", "ok"},
                      TypingCase{"っふ", "hhu", "ok"}, TypingCase{"っま", "mma", "ok"},
                      TypingCase{"っや", "yya", "ok"}, TypingCase{"っら", "rra", "ok"},
                      TypingCase{"っわ", "wwa", "ok"}, TypingCase{"っが", "gga", "ok"},
                      TypingCase{"っざ", "zza", "ok"}, TypingCase{"っじ", "jji", "ok"},
                      TypingCase{"っじ", "zzi", "ok"}, TypingCase{"っだ", "dda", "ok"},
                      TypingCase{"っば", "bba", "ok"}, TypingCase{"っぱ", "ppa", "ok"},
                      TypingCase{"っきゃ", "kkya", "ok"}, TypingCase{"っきゃ", "kkixya", "ok"},
                      TypingCase{"っしゃ", "ssha", "ok"}, TypingCase{"っしゃ", "ssya", "ok"},
                      TypingCase{"っちゃ", "ccha", "ok"}, TypingCase{"っちゃ", "ttya", "ok"},
                      TypingCase{"っちゃ", "ccya", "ok"}, TypingCase{"っじゃ", "jja", "ok"},
                      TypingCase{"っじゃ", "zzya", "ok"},
                      // Two in a row double twice.
                      TypingCase{"っ っか", "kkka", "ok"}, TypingCase{"っ っか", "ltukka", "ok"},
                      // Before a vowel, ん or the end nothing doubles.
                      TypingCase{"っ あ", "aa", "wrong key 0"}, TypingCase{"っ あ", "ltua", "ok"},
                      TypingCase{"っ ん", "nnn", "wrong key 0"},
                      TypingCase{"っ ん", "xxn", "wrong key 1"}, TypingCase{"っ ん", "xtunn", "ok"},
                      TypingCase{"っ", "k", "wrong key 0"},
                      // Nor before what is no kana, even when the table spells it with a letter.
                      TypingCase{"っ ー", "--", "wrong key 0"}, TypingCase{"っ ー", "ltu-", "ok"}));

// "ん": nn, n' or xn always; a single n only where the next key cannot carry it on.
INSTANTIATE_TEST_SUITE_P(
    SyllabicN, AnySpelling,
    ::testing::Values(TypingCase{"ん か", "nka", "ok"}, TypingCase{"ん か", "nnka", "ok"},
                      TypingCase{"ん か", "n'ka", "ok"}, TypingCase{"ん か", "xnka", "ok"},
                      TypingCase{"ん あ", "na", "wrong key 1"}, TypingCase{"ん あ", "nna", "ok"},
                      TypingCase{"ん あ", "n'a", "ok"}, TypingCase{"ん や", "nya", "wrong key 1"},
                      TypingCase{"ん や", "nnya", "ok"}, TypingCase{"ん な", "nna", "wrong key 2"},
                      TypingCase{"ん な", "nnna", "ok"}, TypingCase{"ん な", "xnna", "ok"},
                      TypingCase{"ん", "n", "unfinished"}, TypingCase{"ん", "nn", "ok"},
                      TypingCase{"ん", "n'", "ok"}, TypingCase{"ん", "xn", "ok"},
                      TypingCase{"ん っか", "nkka", "ok"},
                      TypingCase{"ん っ や", "nyya", "wrong key 1"},
                      TypingCase{"ん 、", "n,", "ok"}, TypingCase{"ん ー", "n-", "ok"},
                      TypingCase{"ん ん", "nnn", "unfinished"}, TypingCase{"ん ん", "nnnn", "ok"},
                      TypingCase{"ん ん", "nnxn", "ok"}));

// What is no kana is typed as the table spells it.
INSTANTIATE_TEST_SUITE_P(NotKana, AnySpelling,
                         ::testing::Values(TypingCase{"ー", "-", "ok"}, TypingCase{"。", ".", "ok"},
                                           TypingCase{"、", ",", "ok"},
                                           TypingCase{"、", "、", "wrong key 0"},
                                           TypingCase{"０", "0", "ok"}, TypingCase{"！", "!", "ok"},
                                           TypingCase{"か ー", "ca-", "ok"}));

// Whole sentences, each in three spellings a player might use, without a miss.
INSTANTIATE_TEST_SUITE_P(
    Sentences, AnySpelling,
    ::testing::Values(TypingCase{"し ん ぶ ん を よ ん で い ま す", "shinbunwoyondeimasu", "ok"},
                      TypingCase{"し ん ぶ ん を よ ん で い ま す", "sinnbunnwoyonndeimasu", "ok"},
                      TypingCase{"し ん ぶ ん を よ ん で い ま す", "cixnbun'woyoxndeimasu", "ok"},
                      TypingCase{"ちょ っと ま って 、 き っぷ を か い ま す 。",
                                 "chottomatte,kippuwokaimasu.", "ok"},
                      TypingCase{"ちょ っと ま って 、 き っぷ を か い ま す 。",
                                 "tyottomatte,kippuwokaimasu.", "ok"},
                      TypingCase{"ちょ っと ま って 、 き っぷ を か い ま す 。",
                                 "cyoltutomaxtute,kixtsupuwocaimasu.", "ok"},
                      TypingCase{"じゃ ん け ん で しゅ う ご う ！", "jankendeshuugou!", "ok"},
                      TypingCase{"じゃ ん け ん で しゅ う ご う ！", "zyannkenndesyuugou!", "ok"},
                      TypingCase{"じゃ ん け ん で しゅ う ご う ！", "jixyaxnkendesilyuugou!",
                                 "ok"},
                      TypingCase{"ヴぁ い お り ん", "vaiorinn", "ok"},
                      TypingCase{"ヴぁ い お り ん", "vuxaiorin'", "ok"},
                      TypingCase{"ヴぁ い お り ん", "vulaiorixn", "ok"}));

// A wrong key changes nothing: not the guide, not the keys typed, not the unit.
TEST(SpellingMatcher, AWrongKeyLeavesEverythingAsItWas)
{
    SpellingMatcher matcher(problemOf("し ん か"));
    ASSERT_EQ(typeKeys(matcher, "sh"), "unfinished");
    for (char32_t wrong : {U'a', U'S', U'n', U'\r', U'し', U'\0'}) {
        EXPECT_EQ(matcher.judge(wrong), KeyOutcome::KeyWrong);
        EXPECT_EQ(matcher.guide(), "innka");
        EXPECT_EQ(matcher.typed(), "sh");
        EXPECT_EQ(matcher.unitIndex(), 0u);
    }
    EXPECT_EQ(typeKeys(matcher, "inka"), "ok");
}

TEST(SpellingMatcher, NothingIsRightAfterTheEndOrInAnEmptyProblem)
{
    SpellingMatcher matcher(problemOf("か"));
    ASSERT_EQ(typeKeys(matcher, "ka"), "ok");
    EXPECT_TRUE(matcher.isCompleted());
    EXPECT_EQ(matcher.judge(U'a'), KeyOutcome::KeyWrong);
    EXPECT_EQ(matcher.guide(), "");
    EXPECT_EQ(matcher.unitIndex(), 1u);

    SpellingMatcher empty;
    EXPECT_EQ(empty.judge(U'a'), KeyOutcome::KeyWrong);
    EXPECT_EQ(empty.guide(), "");
    EXPECT_FALSE(empty.isCompleted());
}

// The table's spelling is always one of the ways, even one no input method
// knows: a player's own romaji keep working.
TEST(SpellingMatcher, APlayersOwnTableSpellingIsAccepted)
{
    const KanaProblem problem{{"し", "xyz"}, {"ん", "n"}};
    for (const char *keys : {"xyzn", "shin", "cixn", "xyzxn"}) {
        SpellingMatcher matcher(problem);
        EXPECT_EQ(typeKeys(matcher, keys), "ok") << keys;
    }
    SpellingMatcher matcher(problem);
    EXPECT_EQ(matcher.guide(), "xyzn");
}

// A unit the table types as nothing is still kana to the input method, but
// a unit that is no kana and has no spelling is skipped as in fixed judging.
TEST(SpellingMatcher, UnitsWithoutATableSpelling)
{
    SpellingMatcher kana(KanaProblem{{"か", ""}, {"き", "ki"}});
    EXPECT_EQ(kana.guide(), "kaki");
    EXPECT_EQ(typeKeys(kana, "caki"), "ok");
    SpellingMatcher mark(KanaProblem{{"ー", ""}, {"き", "ki"}});
    EXPECT_EQ(mark.guide(), "ki");
    EXPECT_EQ(typeKeys(mark, "ki"), "ok");
}

struct GuideCase
{
    const char *tokens;
    const char *keys;
    Strings guides; // before the first key, then after each key
};

void PrintTo(const GuideCase &c, std::ostream *os)
{
    *os << c.tokens << " / " << c.keys;
}

class Guide : public ::testing::TestWithParam<GuideCase>
{
};

// The guide shows the rest of the spelling the keys chose, the table's where
// they leave a choice.
TEST_P(Guide, FollowsThePlayer)
{
    const GuideCase &c = GetParam();
    SpellingMatcher matcher(problemOf(c.tokens));
    Strings guides{std::string(matcher.guide())};
    for (const char *key = c.keys; *key; ++key) {
        EXPECT_NE(matcher.judge(static_cast<char32_t>(*key)), KeyOutcome::KeyWrong) << *key;
        guides.emplace_back(matcher.guide());
    }
    EXPECT_EQ(guides, c.guides);
    EXPECT_EQ(matcher.typed(), c.keys);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Guide,
    ::testing::Values(GuideCase{"し", "si", {"shi", "hi", ""}},
                      GuideCase{"し か", "sika", {"shika", "hika", "ka", "a", ""}},
                      GuideCase{"し か", "cica", {"shika", "ika", "ka", "a", ""}},
                      GuideCase{"っか", "ltuca", {"kka", "tuka", "uka", "ka", "a", ""}},
                      GuideCase{"っか", "kka", {"kka", "ka", "a", ""}},
                      GuideCase{"っ か", "cca", {"ltuka", "ca", "a", ""}},
                      GuideCase{"ちゃ", "cya", {"cha", "ha", "a", ""}},
                      GuideCase{"ん か", "nka", {"nnka", "nka", "a", ""}},
                      GuideCase{"き ゃ", "kya", {"kilya", "ilya", "a", ""}},
                      GuideCase{"しゃ し",
                                "silyasi",
                                {"shashi", "hashi", "lyashi", "yashi", "ashi", "shi", "hi", ""}},
                      GuideCase{"ちょ っと ま って 、",
                                "tyoltutomatte,",
                                {"chottomatte,", "yottomatte,", "ottomatte,", "ttomatte,",
                                 "tutomatte,", "utomatte,", "tomatte,", "omatte,", "matte,",
                                 "atte,", "tte,", "te,", "e,", ",", ""}}));

// The unit each key belongs to, for the records of weak kana.
TEST(SpellingMatcher, TellsTheUnitOfTheNextKey)
{
    SpellingMatcher matcher(problemOf("し ん か ー"));
    std::vector<std::size_t> units{matcher.unitIndex()};
    for (char key : std::string_view("sinka-")) {
        matcher.judge(static_cast<char32_t>(key));
        units.push_back(matcher.unitIndex());
    }
    // s i → し; n could still be nn, so it is ん's; k belongs to か, - to ー.
    EXPECT_EQ(units, (std::vector<std::size_t>{0, 0, 1, 1, 2, 3, 4}));
}

// Every key the matcher accepts leaves a way to finish: whatever right keys a
// player picks, the problem can be completed, and the guide is such a way.
TEST(SpellingMatcher, ARightKeyNeverLeadsToADeadEnd)
{
    const char *sentences[] = {
        "ちょ っと ま って 、 き っぷ を か い ま す 。", "ん っ っか ん ん あ ん や っ ん",
        "じゃ ん け ん で しゅ う ご う ！", "っ ー っ", "き ゃ ヴぁ っきゃ"};
    const std::string keys = "abcdefghijklmnopqrstuvwxyz',.-!0";
    std::mt19937 random(20240601);
    for (const char *sentence : sentences) {
        for (int run = 0; run < 40; ++run) {
            SpellingMatcher matcher(problemOf(sentence));
            int steps = 0;
            while (!matcher.isCompleted()) {
                ASSERT_LT(++steps, 200) << sentence;
                // The guide's next key is always right.
                SpellingMatcher probe = matcher;
                ASSERT_NE(probe.judge(firstUtf8Char(matcher.guide()).code), KeyOutcome::KeyWrong)
                    << sentence << " after " << matcher.typed();
                std::string right;
                for (char key : keys) {
                    SpellingMatcher attempt = matcher;
                    if (attempt.judge(static_cast<char32_t>(key)) != KeyOutcome::KeyWrong)
                        right += key;
                }
                ASSERT_FALSE(right.empty()) << sentence << " after " << matcher.typed();
                std::uniform_int_distribution<std::size_t> pick(0, right.size() - 1);
                matcher.judge(static_cast<char32_t>(right[pick(random)]));
            }
        }
    }
}

// The rules' own data: every kana of the chart has a spelling, and no
// spelling is one the input methods would read as other kana.
TEST(ImeRomaji, EveryKanaOfTheChartHasASpelling)
{
    for (char32_t kana = U'ぁ'; kana <= U'ゖ'; ++kana) {
        std::string utf8;
        utf8 += static_cast<char>(0xE0 | (kana >> 12));
        utf8 += static_cast<char>(0x80 | ((kana >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (kana & 0x3F));
        EXPECT_TRUE(isImeKana(kana));
        EXPECT_FALSE(imeSpellings(utf8).empty()) << utf8;
    }
    EXPECT_FALSE(isImeKana(U'ー'));
    EXPECT_FALSE(isImeKana(U'ゝ'));
    EXPECT_EQ(toHiragana(U'ヴ'), U'ゔ');
    EXPECT_EQ(toHiragana(U'ァ'), U'ぁ');
    EXPECT_EQ(toHiragana(U'ー'), U'ー');
}

} // namespace
} // namespace ks
