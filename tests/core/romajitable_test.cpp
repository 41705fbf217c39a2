#include "core/romajitable.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

using test::TempDir;
using Strings = std::vector<std::string>;

// A complete table with plain ASCII kana so failures read easily: editable
// pair k is "K<k>" typed "r<k>", its doubled pair "xK<k>" unless k is a
// multiple of 7 (an empty place "＿" with romaji "\"), fixed pairs "F<j>".
RomajiTable fixtureTable()
{
    RomajiTable table;
    for (std::size_t k = 0; k < kEditablePairs; ++k) {
        table.items[2 * k] = "K" + std::to_string(k);
        table.items[2 * k + 1] = "r" + std::to_string(k);
        const std::size_t d = kFirstDoubledPair + k;
        const bool empty = k % 7 == 0;
        table.items[2 * d] = empty ? std::string(kEmptyKana) : "xK" + std::to_string(k);
        table.items[2 * d + 1] = empty ? std::string(kLockedRomaji) : "rr" + std::to_string(k);
    }
    for (std::size_t p = kFirstFixedPair; p < kRomajiPairs; ++p) {
        table.items[2 * p] = "F" + std::to_string(p);
        table.items[2 * p + 1] = std::to_string(p % 10);
    }
    return table;
}

Strings editableRomaji(const RomajiTable &table)
{
    Strings romaji;
    for (std::size_t k = 0; k < kEditablePairs; ++k)
        romaji.push_back(table.romaji(k));
    return romaji;
}

std::string itemsText(std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i % 2 ? "r," : "k,");
    return text;
}

TEST(RomajiTableForPlay, AShortTableIsPaddedWithEmptyItems)
{
    Result<RomajiTable> table = romajiTableForPlay("か,ka\r\nき,ki\r\n");
    ASSERT_TRUE(table.ok());
    ASSERT_EQ(table->items.size(), kRomajiItems);
    EXPECT_EQ(table->kana(1), "き");
    EXPECT_EQ(table->romaji(1), "ki");
    EXPECT_EQ(table->kana(2), "");
}

TEST(RomajiTableForPlay, At710ItemsItIsFullAndOneMoreIsAnError)
{
    EXPECT_TRUE(romajiTableForPlay(itemsText(710)).ok());
    EXPECT_EQ(romajiTableForPlay(itemsText(711)).error().code, ErrorCode::TooManyItems);
}

// A romaji no key can type would leave every problem with its kana
// unfinishable: the play reader refuses the table, naming the kana, the
// romaji and why. An empty place of the chart is never asked for.
TEST(RomajiTableForPlay, ARomajiNoKeyTypesIsRefusedNamingItsKana)
{
    const struct
    {
        const char *line;
        const char *detail; // empty: the table plays
    } cases[] = {
        {"し,shi", ""},
        {"し,Shi!", ""},
        {"し,\"s i\"", ""},
        {"＿,ｘｘ", ""},
        {"し,shi　", "「し」のローマ字「shi　」は打てません。キーで打てない全角の空白があります"},
        {"ら,ｒａ", "「ら」のローマ字「ｒａ」は打てません。キーで打てない文字「ｒ」があります"},
        {"ら,ら", "「ら」のローマ字「ら」は打てません。キーで打てない文字「ら」があります"},
        {"し,\"shi \"", "「し」のローマ字「shi 」は打てません。後ろに空白があります"},
        {"し,\" shi\"", "「し」のローマ字「 shi」は打てません。前に空白があります"},
        {"し,s\thi", "「し」のローマ字「s\thi」は打てません。キーで打てない制御文字があります"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const Result<RomajiTable> table = romajiTableForPlay(std::string("か,ka\r\n") + c.line);
        if (*c.detail == 0) {
            EXPECT_TRUE(table.ok());
            continue;
        }
        ASSERT_FALSE(table.ok());
        EXPECT_EQ(table.error().code, ErrorCode::UntypableRomaji);
        EXPECT_EQ(table.error().detail, c.detail);
    }
}

// The whole-table check the tool and the shipped-table tests use says the same.
TEST(RomajiTableFaults, NamesARomajiNoKeyTypes)
{
    RomajiTable table = fixtureTable();
    table.items[2 * 3 + 1] = "r3\u3000";
    table.items[2 * (kFirstDoubledPair + 3) + 1] = "rr3\u3000";
    const Strings expected{
        "3 番の組：ローマ字「r3　」は打てません（キーで打てない全角の空白があります）",
        "173 番の組：ローマ字「rr3　」は打てません（キーで打てない全角の空白があります）"};
    EXPECT_EQ(romajiTableFaults(table), expected);
}

TEST(RomajiTableForEditing, NeedsAll710ItemsAndIgnoresTheRest)
{
    EXPECT_EQ(romajiTableForEditing(itemsText(709)).error().code, ErrorCode::TooFewItems);
    Result<RomajiTable> table = romajiTableForEditing(itemsText(710) + "extra,items");
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(table->items.size(), kRomajiItems);
    EXPECT_EQ(table->items.back(), "r");
}

TEST(LoadRomajiTable, MissingFileIsNotFound)
{
    TempDir dir;
    EXPECT_EQ(loadRomajiTableForPlay(dir.path("roumazi.dat")).error().code, ErrorCode::NotFound);
    EXPECT_EQ(loadRomajiTableForEditing(dir.path("roumazi.dat")).error().code, ErrorCode::NotFound);
}

// Saved and loaded again, a table is the same but for the doubled pairs, which
// follow the current romaji of their editable pair.
TEST(SaveRomajiTable, RoundTripsWithDoubledPairsFollowingTheEdit)
{
    TempDir dir;
    const RomajiTable loaded = fixtureTable();
    Strings edited = editableRomaji(loaded);
    edited[3] = "shi"; // doubled pair 173 is "xK3"
    edited[7] = "tsu"; // doubled pair 177 is an empty place

    ASSERT_TRUE(saveRomajiTable(dir.path("roumazi.dat"), loaded, edited).ok());
    Result<RomajiTable> back = loadRomajiTableForEditing(dir.path("roumazi.dat"));
    ASSERT_TRUE(back.ok());

    RomajiTable expected = loaded;
    expected.items[2 * 3 + 1] = "shi";
    expected.items[2 * 7 + 1] = "tsu";
    for (std::size_t k = 0; k < kEditablePairs; ++k) {
        const std::size_t d = kFirstDoubledPair + k;
        if (expected.kana(d) != kEmptyKana)
            expected.items[2 * d + 1] = doubledRomaji(edited[k]);
    }
    EXPECT_EQ(back->items, expected.items);
    EXPECT_EQ(back->romaji(173), "sshi");
    EXPECT_EQ(back->romaji(177), "\\"); // "＿" keeps its romaji
    EXPECT_EQ(back->romaji(340), "0");  // fixed pairs as loaded
    EXPECT_TRUE(romajiTableFaults(*back).empty());

    // One pair a line, 355 lines, CRLF.
    const std::string bytes = dir.read("roumazi.dat");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 355);
    EXPECT_EQ(bytes.substr(0, 6), "K0,r0\r");
}

TEST(SaveRomajiTable, SavingTwiceWritesTheSameFile)
{
    TempDir dir;
    Strings edited = editableRomaji(fixtureTable());
    edited[1] = "ka";
    ASSERT_TRUE(saveRomajiTable(dir.path("a.dat"), fixtureTable(), edited).ok());
    ASSERT_TRUE(saveRomajiTable(dir.path("b.dat"), fixtureTable(), edited).ok());
    EXPECT_EQ(dir.read("a.dat"), dir.read("b.dat"));
}

TEST(SaveRomajiTable, LockedRomajiIsWrittenBackAsABackslash)
{
    TempDir dir;
    RomajiTable loaded = fixtureTable();
    loaded.items[2 * 14] = std::string(kEmptyKana);
    loaded.items[2 * 14 + 1] = std::string(kLockedRomaji);
    ASSERT_TRUE(saveRomajiTable(dir.path("roumazi.dat"), loaded, editableRomaji(loaded)).ok());
    EXPECT_NE(dir.read("roumazi.dat").find(test::cp932("＿,\\\r\n")), std::string::npos);
    EXPECT_EQ(loadRomajiTableForEditing(dir.path("roumazi.dat"))->romaji(14), "\\");
}

// The file has no escaping: such an item would not read back as written, so
// the save is refused and the old file stays.
TEST(SaveRomajiTable, AnItemThatCannotReadBackRefusesTheSave)
{
    TempDir dir;
    dir.write("roumazi.dat", "old\r\n");
    for (const std::string bad : {"", "a,b", "a\"", " a", "a\t", "a\r\nb"}) {
        Strings edited = editableRomaji(fixtureTable());
        edited[42] = bad;
        Result<void> saved = saveRomajiTable(dir.path("roumazi.dat"), fixtureTable(), edited);
        ASSERT_FALSE(saved.ok()) << "[" << bad << "]";
        EXPECT_EQ(saved.error().code, ErrorCode::UnsafeItem);
        EXPECT_NE(saved.error().detail.find("42 番"), std::string::npos);
    }
    // A kana loaded from a quoted item may hold a comma: it cannot be written back either.
    RomajiTable quoted = fixtureTable();
    quoted.items[2 * 350] = "、,";
    EXPECT_FALSE(saveRomajiTable(dir.path("roumazi.dat"), quoted, editableRomaji(quoted)).ok());
    EXPECT_EQ(dir.read("roumazi.dat"), "old\r\n");
}

TEST(SaveRomajiTable, NeedsTheRomajiOfAll170Pairs)
{
    TempDir dir;
    EXPECT_FALSE(saveRomajiTable(dir.path("roumazi.dat"), fixtureTable(), Strings(169, "a")).ok());
    EXPECT_FALSE(dir.exists("roumazi.dat"));
}

TEST(DoubledRomaji, RepeatsTheFirstCharacter)
{
    EXPECT_EQ(doubledRomaji("ka"), "kka");
    EXPECT_EQ(doubledRomaji("tsu"), "ttsu");
    EXPECT_EQ(doubledRomaji("ー"), "ーー"); // a whole character, not its first byte
}

TEST(RomajiTableFaults, FindsDuplicateKanaAndDoubledPairsOutOfStep)
{
    RomajiTable table = fixtureTable();
    EXPECT_TRUE(romajiTableFaults(table).empty());
    table.items[2 * 5] = "K4";       // same kana as pair 4
    table.items[2 * 171 + 1] = "zz"; // doubled pair of pair 1 no longer rr1
    const Strings faults = romajiTableFaults(table);
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_NE(faults[0].find("K4"), std::string::npos);
    EXPECT_NE(faults[1].find("171"), std::string::npos);
}

} // namespace
} // namespace ks
