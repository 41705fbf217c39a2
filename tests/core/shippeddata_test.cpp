// The files that ship beside the program, read as the game reads them.
#include "core/items.h"
#include "core/problemfile.h"
#include "core/romajimatcher.h"
#include "core/romajitable.h"
#include "core/settings.h"
#include "core/kanaproblem.h"

#include <gtest/gtest.h>

#include <set>

namespace ks {
namespace {

using Strings = std::vector<std::string>;

const std::string kDataDir = KS_DATA_DIR;

RomajiTable shippedTable()
{
    Result<RomajiTable> table = loadRomajiTableForEditing(kDataDir + "/roumazi.dat");
    EXPECT_TRUE(table.ok()) << (table.ok() ? "" : table.error().message());
    return table.ok() ? *table : RomajiTable{};
}

std::string romajiOf(const RomajiTable &table, std::string_view kana)
{
    for (std::size_t p = 0; p < kRomajiPairs; ++p) {
        if (table.kana(p) == kana)
            return table.romaji(p);
    }
    return "(none)";
}

TEST(ShippedTable, HasExactly710ItemsAndIsSound)
{
    Result<RomajiTable> forPlay = loadRomajiTableForPlay(kDataDir + "/roumazi.dat");
    ASSERT_TRUE(forPlay.ok());
    const RomajiTable table = shippedTable();
    EXPECT_EQ(forPlay->items, table.items);
    for (const std::string &item : table.items)
        EXPECT_FALSE(item.empty());
    // unique kana, no unsafe item, doubled pairs following their pairs
    EXPECT_EQ(romajiTableFaults(table), Strings{});
}

TEST(ShippedTable, SavingItUneditedGivesTheSameBytes)
{
    const RomajiTable table = shippedTable();
    Strings romaji;
    for (std::size_t k = 0; k < kEditablePairs; ++k)
        romaji.push_back(table.romaji(k));
    Result<Strings> lines = romajiTableLines(table, romaji);
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(romajiTableForEditing([&] {
                  std::string text;
                  for (const std::string &line : *lines)
                      text += line + "\r\n";
                  return text;
              }())
                  ->items,
              table.items);
}

// Every empty place is marked on both sides, and a consonant-initial syllable
// has its doubled form "っ" + kana.
TEST(ShippedTable, SectionsFollowTheChart)
{
    const RomajiTable table = shippedTable();
    const std::set<std::string> noDoubled{"ん", "ぁ", "ぃ", "ぅ", "ぇ", "ぉ",
                                          "ゃ", "っ", "ゅ", "ゎ", "ょ"};
    for (std::size_t k = 0; k < kEditablePairs; ++k) {
        const std::string &kana = table.kana(k);
        const std::string &romaji = table.romaji(k);
        const std::size_t d = kFirstDoubledPair + k;
        EXPECT_EQ(kana == kEmptyKana, romaji == kLockedRomaji) << k;
        const bool consonant =
            kana != kEmptyKana && std::string("aiueo").find(romaji[0]) == std::string::npos;
        if (consonant && !noDoubled.contains(kana)) {
            EXPECT_EQ(table.kana(d), "っ" + kana) << k;
        } else {
            EXPECT_EQ(table.kana(d), kEmptyKana) << k;
        }
    }
    for (std::size_t p = kFirstFixedPair; p < kRomajiPairs; ++p)
        EXPECT_NE(table.kana(p), kEmptyKana) << p;
}

TEST(ShippedTable, UsesTheSpellingsMostPlayersType)
{
    const RomajiTable table = shippedTable();
    const std::pair<const char *, const char *> expected[] = {
        {"し", "shi"},    {"ち", "chi"}, {"つ", "tsu"},   {"ふ", "fu"}, {"じ", "ji"},
        {"ん", "nn"},     {"を", "wo"},  {"しゃ", "sha"}, {"ー", "-"},  {"っか", "kka"},
        {"っち", "cchi"}, {"ヴ", "vu"},  {"てぃ", "thi"}, {"０", "0"},  {"。", "."}};
    for (const auto &[kana, romaji] : expected)
        EXPECT_EQ(romajiOf(table, kana), romaji) << kana;
}

TEST(ShippedTable, TypesAWholeSentence)
{
    const Strings items{"@", "学校", "が", "っこ", "う", "、", "こ", "ー", "ひ", "ー", "！"};
    EXPECT_EQ(BuildRomajiLines(items, 0, shippedTable(), 1).lines, Strings{"gakkou,ko-hi-!"});
}

// A new player hears the game's own tunes at once. They are named relative
// to the program's folder, so the folder can move and keep its music.
TEST(ShippedSettings, HoldsTheResetScoresAndTheGamesOwnTunes)
{
    Result<Strings> lines = readSettings(kDataDir + "/settei.dat", kSettingsCapacityNarrow);
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(*lines, (Strings{"100", "200", "music/keystorm.mid", "music/battle.mid", "nodata",
                               "nodata", "nodata", "music/ending.mid"}));
}

} // namespace
} // namespace ks
