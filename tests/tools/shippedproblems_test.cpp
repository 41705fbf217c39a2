// The problem files that ship in data/: the exam files of the story mode and
// the practice library. They are generated from assets/problems/ by
// tools/make_problems.sh and committed, so these tests hold the committed bytes
// to their sources and both to what the game will accept and play.

#include "support/runprogram.h"
#include "support/tempdir.h"

#include "core/items.h"
#include "core/problemfile.h"
#include "core/romajitable.h"
#include "screens/story/missiontexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ks::test::TempDir;

const std::string kTool = KSDTOOL_PATH;
const std::string kTable = KS_ROMAJI_TABLE;
const std::string kSourceDir = KS_SOURCE_DIR;
const std::string kDataDir = kSourceDir + "/data";
// The built game, with the targets and sounds the practice files name.
const std::string kBuiltGame = KS_APP_DIR;

constexpr int kExamFiles = 5;
// Fewer would mean the library lost files (or the listing found none, which
// would let every loop below pass on nothing).
constexpr std::size_t kLeastPracticeFiles = 15;

std::string examName(int n)
{
    return "exam" + std::to_string(n) + ".ksd";
}

// data/practice/*.ksd by name, as the practice menu lists them.
std::vector<std::string> practiceNames()
{
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(kDataDir + "/practice")) {
        if (entry.is_regular_file() && entry.path().extension() == ".ksd")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ks::RomajiTable shippedTable()
{
    ks::Result<ks::RomajiTable> table = ks::loadRomajiTableForPlay(kTable);
    EXPECT_TRUE(table.ok());
    return table.ok() ? *table : ks::RomajiTable{};
}

// The words of exam n as the story mode shows them: missions 1 to 4, then the
// battleship's last sentences.
std::vector<std::string_view> shownTexts(int n)
{
    const std::span<const std::string_view> texts =
        n <= 4 ? ks::missionDisplayTexts(n - 1) : ks::finalPhaseTexts();
    return {texts.begin(), texts.end()};
}

// The display column of an exam source: the text before the tab of every line
// that is not a comment or blank.
std::vector<std::string> sourceDisplayTexts(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> texts;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.starts_with('#'))
            continue;
        texts.push_back(line.substr(0, line.find('\t')));
    }
    return texts;
}

// Romaji a second of a player of each level, 1 to 10: a beginner types about
// one a second, an expert five to seven.
constexpr std::array<double, 10> kLevelPace{1.1, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 4.7, 5.4, 6.2};

// ---------------------------------------------------------------- as files

TEST(ShippedProblems, CheckFindsNothingInAnyFile)
{
    struct Shipped
    {
        std::string path;
        const char *kind;
    };
    std::vector<Shipped> files;
    for (int n = 1; n <= kExamFiles; ++n)
        files.push_back({kDataDir + "/" + examName(n), "--exam"});
    const std::vector<std::string> practice = practiceNames();
    ASSERT_GE(practice.size(), kLeastPracticeFiles);
    for (const std::string &name : practice)
        files.push_back({kDataDir + "/practice/" + name, "--practice"});

    for (const Shipped &file : files) {
        SCOPED_TRACE(file.path);
        TempDir dir;
        const ks::test::ProgramRun run = ks::test::runProgram(
            dir, kTool, {"check", "--table", kTable, "--game", kBuiltGame, file.kind, file.path});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "OK\n");
    }
}

// The script makes every file anew into an empty directory; each must equal
// the committed one byte for byte, and the two sets of practice files must be
// the same, so no source and no shipped file can drift apart.
TEST(ShippedProblems, RegeneratingFromTheSourcesGivesTheCommittedBytes)
{
    TempDir dir;
    const std::string out = dir.path("data");
    const ks::test::ProgramRun run = ks::test::runProgram(
        dir, "/bin/bash", {kSourceDir + "/tools/make_problems.sh", kTool, out});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    for (int n = 1; n <= kExamFiles; ++n) {
        SCOPED_TRACE(examName(n));
        const std::string committed = readBytes(kDataDir + "/" + examName(n));
        ASSERT_FALSE(committed.empty());
        EXPECT_TRUE(readBytes(out + "/" + examName(n)) == committed);
    }

    std::vector<std::string> made;
    for (const fs::directory_entry &entry : fs::directory_iterator(out + "/practice"))
        made.push_back(entry.path().filename().string());
    std::sort(made.begin(), made.end());
    const std::vector<std::string> committed = practiceNames();
    ASSERT_EQ(made, committed);
    for (const std::string &name : committed) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(readBytes(out + "/practice/" + name) ==
                    readBytes(kDataDir + "/practice/" + name));
    }
}

// ---------------------------------------------------------------- as the game reads them

// Phrase k of exam n is typed while display text k of its mission is shown, so
// the counts must agree and every phrase must ask for something. The sources
// keep the display texts beside the readings; they must be the shown ones in
// the shown order, or a reading would sit under the wrong words.
TEST(ShippedExams, EachPhraseBelongsToTheTextShownWithIt)
{
    const ks::RomajiTable table = shippedTable();
    for (int n = 1; n <= kExamFiles; ++n) {
        SCOPED_TRACE(examName(n));
        const std::vector<std::string_view> shown = shownTexts(n);
        ASSERT_FALSE(shown.empty());

        ks::Result<std::vector<std::string>> phrases =
            ks::loadExamPhrases(kDataDir + "/" + examName(n), table);
        ASSERT_TRUE(phrases.ok()) << phrases.error().message();
        EXPECT_EQ(phrases->size(), shown.size());
        for (std::size_t k = 0; k < phrases->size(); ++k)
            EXPECT_FALSE((*phrases)[k].empty()) << "phrase " << k;

        const std::vector<std::string> source =
            sourceDisplayTexts(kSourceDir + "/assets/problems/exam" + std::to_string(n) + ".txt");
        ASSERT_EQ(source.size(), shown.size());
        for (std::size_t k = 0; k < source.size(); ++k)
            EXPECT_EQ(source[k], shown[k]) << "line " << k;
    }
}

// Each practice file loads as the practice screen loads it, every problem asks
// for something, and its header promises a run of one to three minutes to a
// player of its level.
TEST(ShippedPractice, EveryFileIsPlayableAtItsLevel)
{
    const ks::RomajiTable table = shippedTable();
    const std::vector<std::string> names = practiceNames();
    ASSERT_GE(names.size(), kLeastPracticeFiles);
    std::array<bool, kLevelPace.size()> levelsFound{};

    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        ks::Result<std::vector<std::string>> items =
            ks::ReadProblemItems(kDataDir + "/practice/" + name, ks::kPracticeItemCapacity);
        ASSERT_TRUE(items.ok()) << items.error().message();
        ks::Result<ks::PracticeProblems> problems = ks::preparePracticeProblems(*items, table);
        ASSERT_TRUE(problems.ok()) << problems.error().message();

        // The last line is the "@", "end" sentinel, which types nothing.
        const std::vector<std::string> &lines = problems->romajiLines;
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(problems->displayTexts.back(), ks::kEndSentinel);
        EXPECT_EQ(lines.back(), "");
        const std::size_t real = lines.size() - 1;
        for (std::size_t k = 0; k < real; ++k)
            EXPECT_FALSE(lines[k].empty()) << "problem " << k << " " << problems->displayTexts[k];

        const ks::PracticeHeader header = ks::practiceHeader(*items);
        EXPECT_FALSE(header.title.empty());
        EXPECT_FALSE(header.author.empty());
        const double level = ks::numberValue(header.level);
        const double count = ks::numberValue(header.problems);
        const double seconds = ks::numberValue(header.timeLimit);
        ASSERT_TRUE(level >= 1 && level <= 10 && level == static_cast<int>(level)) << level;
        levelsFound[static_cast<std::size_t>(level) - 1] = true;
        // Every problem is played: the instructor judges the pace against the
        // romaji of the whole file, so a file that played fewer would scold a
        // player who is on time, and its other problems would never be seen.
        EXPECT_EQ(count, static_cast<double>(real));
        EXPECT_GE(seconds, 60);
        EXPECT_LE(seconds, 180);

        // Typing the count of average problems at the level's pace fills at
        // least a minute and fits in the time limit.
        const double average =
            static_cast<double>(problems->romajiTotal) / static_cast<double>(real);
        const double typing = count * average / kLevelPace[static_cast<std::size_t>(level) - 1];
        EXPECT_GE(typing, 60) << "count " << count << ", average " << average;
        EXPECT_LE(typing, seconds) << "count " << count << ", average " << average;
    }
    for (std::size_t level = 1; level <= levelsFound.size(); ++level)
        EXPECT_TRUE(levelsFound[level - 1]) << "no file of level " << level;
}

} // namespace
