#include "core/problemfile.h"
#include "core/records/kanatrail.h"
#include "core/romajimatcher.h"
#include "core/romajitable.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ks {
namespace {

const std::string kDataDir = KS_DATA_DIR;

RomajiTable shippedTable()
{
    Result<RomajiTable> table = loadRomajiTableForPlay(kDataDir + "/roumazi.dat");
    EXPECT_TRUE(table.ok());
    return table.ok() ? *table : RomajiTable{};
}

// Each romaji character belongs to the kana it was built from; "、" and
// anything past the line belong to none.
TEST(KanaTrail, EachRomajiCharacterKnowsItsKana)
{
    const RomajiTable table = shippedTable();
    const std::vector<std::string> items = {"前", "@", "き", "ゃ", "っと", "、", "ん", "@", "し"};
    const KanaTrail trail = KanaTrail::build(items, 0, table, 10);
    ASSERT_EQ(trail.lineCount(), 2u);
    // き ki, ゃ lya, っと tto, 、 ",", ん nn
    EXPECT_EQ(trail.romaji(0), "kilyatto,nn");
    const char *expected[] = {"き", "き", "ゃ", "ゃ", "ゃ", "っと", "っと", "っと", "", "ん", "ん"};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(trail.kanaAt(0, i), expected[i]) << i;
    EXPECT_EQ(trail.kanaAt(0, 11), "");
    EXPECT_EQ(trail.kanaAt(1, 0), "し");
    EXPECT_EQ(trail.kanaAt(5, 0), "");
    // What a play screen knows: the line and how much is still to type.
    EXPECT_EQ(trail.kanaBefore(0, 4), "っと"); // "o,nn" left
    EXPECT_EQ(trail.kanaBefore(0, 3), "");     // ",nn": the comma has no kana
    EXPECT_EQ(trail.kanaBefore(0, 11), "き");
    EXPECT_EQ(trail.kanaBefore(0, 0), "");
    EXPECT_EQ(trail.kanaBefore(0, 12), "");
}

// The trail spells every shipped problem exactly as the romaji lines the
// play screens type, so a key's offset finds its kana.
TEST(KanaTrail, SpellsEveryShippedProblemAsTheRomajiLines)
{
    const RomajiTable table = shippedTable();
    std::vector<std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(kDataDir + "/practice"))
        if (entry.path().extension() == ".ksd")
            files.push_back(entry.path().string());
    for (int n = 1; n <= 5; ++n)
        files.push_back(kDataDir + "/exam" + std::to_string(n) + ".ksd");
    ASSERT_GE(files.size(), 10u);
    for (const std::string &file : files) {
        Result<std::vector<std::string>> items = ReadProblemItems(file, 100000);
        ASSERT_TRUE(items.ok()) << file;
        const RomajiLines lines = BuildRomajiLines(*items, 0, table, 1000);
        const KanaTrail trail = KanaTrail::build(*items, 0, table, 1000);
        ASSERT_EQ(trail.lineCount(), lines.lineCount()) << file;
        for (std::size_t i = 0; i < lines.lineCount(); ++i)
            EXPECT_EQ(trail.romaji(i), lines.lines[i]) << file << " line " << i;
    }
}

} // namespace
} // namespace ks
