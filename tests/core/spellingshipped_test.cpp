// Every kana of the shipped table and every problem the game ships, typed
// under any-spelling judging: in the table's spelling and in others.
#include "core/imeromaji.h"
#include "core/problemfile.h"
#include "core/spellingmatcher.h"
#include "typekeys.h"
#include "core/utf8.h"
#include "core/kanaproblem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace ks {
namespace {

using test::typeKeys;

const std::string kDataDir = KS_DATA_DIR;
// Every key a player could type for a problem of the game.
constexpr std::string_view kKeys = "abcdefghijklmnopqrstuvwxyz',.-!?/0123456789";

const RomajiTable &shippedTable()
{
    static const RomajiTable table = [] {
        Result<RomajiTable> loaded = loadRomajiTableForPlay(kDataDir + "/roumazi.dat");
        EXPECT_TRUE(loaded.ok());
        return loaded ? *loaded : RomajiTable{};
    }();
    return table;
}

// A complete spelling that leaves the table's wherever it can: at each key,
// the first key of kKeys other than the guide's that is right, else the
// guide's. Probing with wrong keys is harmless: they change nothing.
std::string otherSpelling(const KanaProblem &problem)
{
    SpellingMatcher matcher(problem);
    for (int keys = 0; !matcher.isCompleted() && keys < 1000; ++keys) {
        const char32_t guided = firstUtf8Char(matcher.guide()).code;
        bool moved = false;
        for (char key : kKeys) {
            if (static_cast<char32_t>(key) != guided &&
                matcher.judge(static_cast<char32_t>(key)) != KeyOutcome::KeyWrong) {
                moved = true;
                break;
            }
        }
        if (!moved && matcher.judge(guided) == KeyOutcome::KeyWrong)
            return "(the guide's key was wrong after " + std::string(matcher.typed()) + ")";
    }
    return std::string(matcher.typed());
}

// Types the table's spelling, and one leaving it as often as it can, each on a
// fresh matcher; tells whether the other spelling differs from the table's.
bool expectTypable(const KanaProblem &problem, const std::string &where)
{
    const std::string table = tableLine(problem);
    SpellingMatcher byTable(problem);
    EXPECT_EQ(byTable.guide(), table) << where;
    EXPECT_EQ(typeKeys(byTable, table), "ok") << where << ": " << table;
    const std::string other = otherSpelling(problem);
    SpellingMatcher byOther(problem);
    EXPECT_EQ(typeKeys(byOther, other), "ok") << where << ": " << other;
    return other != table;
}

// Whether the input methods know a unit by more than one spelling: every kana
// but the few spelled one way only (か is also ca, but き is only ki);
// contracted and doubled ones can always be split.
bool hasOtherSpelling(const KanaUnit &unit)
{
    static constexpr std::u32string_view kOneWayOnly =
        U"あえおきけさすそたてとなにぬねのはひへほまみむめもやゆよらりるれろわを"
        U"がぎぐげござずぜぞだぢづでどばびぶべぼぱぴぷぺぽヴ";
    const Utf8Char first = firstUtf8Char(unit.kana);
    if (!isImeKana(toHiragana(first.code)))
        return false;
    return first.bytes != unit.kana.size() ||
           kOneWayOnly.find(first.code) == std::u32string_view::npos;
}

TEST(ShippedSpellings, EveryKanaOfTheTableCanBeTyped)
{
    int withOtherSpelling = 0;
    for (std::size_t pair = 0; pair < kRomajiPairs; ++pair) {
        const std::string &kana = shippedTable().kana(pair);
        if (kana == kEmptyKana)
            continue;
        const KanaUnit unit{kana, shippedTable().romaji(pair)};
        const bool other = expectTypable({unit}, kana);
        EXPECT_EQ(other, hasOtherSpelling(unit)) << kana;
        withOtherSpelling += other;
    }
    EXPECT_GT(withOtherSpelling, 200);
}

// Where a player splits a token (っし typed "ltu" and then し), the guide
// completes it with the input method's first spelling: the table's own.
TEST(ShippedSpellings, TheTablesSpellingOfEachKanaIsTheInputMethodsFirst)
{
    for (std::size_t pair = 0; pair < kFirstDoubledPair; ++pair) {
        const std::string &kana = shippedTable().kana(pair);
        if (kana == kEmptyKana)
            continue;
        std::string hiragana = kana;
        const std::string_view vu = "ヴ";
        for (std::size_t at; (at = hiragana.find(vu)) != std::string::npos;)
            hiragana.replace(at, vu.size(), "ゔ");
        const std::vector<std::string> &spellings = imeSpellings(hiragana);
        ASSERT_FALSE(spellings.empty()) << kana;
        EXPECT_EQ(spellings.front(), shippedTable().romaji(pair)) << kana;
    }
}

struct ShippedFile
{
    std::string path;
    std::size_t itemCapacity;
    std::size_t firstItem;
    std::size_t lineCapacity;
};

std::vector<ShippedFile> shippedFiles()
{
    std::vector<ShippedFile> files;
    Result<std::vector<std::string>> practice = listProblemFiles(kDataDir + "/practice");
    EXPECT_TRUE(practice.ok());
    if (practice) {
        for (const std::string &name : *practice)
            files.push_back({kDataDir + "/practice/" + name, kPracticeItemCapacity,
                             kPracticeBodyStart, kPracticeLineCapacity});
    }
    for (int n = 1; n <= 5; ++n)
        files.push_back({kDataDir + "/exam" + std::to_string(n) + ".ksd", kExamItemCapacity, 0,
                         kExamLineCapacity});
    return files;
}

TEST(ShippedSpellings, EveryProblemOfEveryFileCanBeTypedInMoreThanOneWay)
{
    const std::vector<ShippedFile> files = shippedFiles();
    // Every practice file the game ships, and the five exams.
    EXPECT_EQ(files.size(), listProblemFiles(kDataDir + "/practice")->size() + 5);
    EXPECT_GE(files.size(), 17u);
    std::size_t problems = 0;
    std::size_t withOtherSpelling = 0;
    for (const ShippedFile &file : files) {
        Result<std::vector<std::string>> items = ReadProblemItems(file.path, file.itemCapacity);
        ASSERT_TRUE(items.ok()) << file.path;
        const KanaProblems built =
            BuildKanaProblems(*items, file.firstItem, shippedTable(), file.lineCapacity);
        const RomajiLines lines =
            BuildRomajiLines(*items, file.firstItem, shippedTable(), file.lineCapacity);
        ASSERT_EQ(built.problemCount(), lines.lineCount()) << file.path;
        for (std::size_t k = 0; k < built.problemCount(); ++k) {
            const std::string where =
                std::filesystem::path(file.path).filename().string() + " #" + std::to_string(k);
            EXPECT_EQ(tableLine(built.problems[k]), lines.lines[k]) << where;
            if (built.problems[k].empty())
                continue; // the "@", "end" sentinel
            ++problems;
            const bool other = expectTypable(built.problems[k], where);
            const KanaProblem &problem = built.problems[k];
            if (std::any_of(problem.begin(), problem.end(), hasOtherSpelling)) {
                EXPECT_TRUE(other) << where;
            }
            withOtherSpelling += other;
        }
    }
    EXPECT_GT(problems, 300u);
    EXPECT_GT(withOtherSpelling, problems * 4 / 5);
}

} // namespace
} // namespace ks
