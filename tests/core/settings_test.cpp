#include "core/settings.h"
#include "core/textfile.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

using test::TempDir;
using Lines = std::vector<std::string>;

TEST(ReadSettings, AShortFileGivesEmptyLines)
{
    TempDir dir;
    dir.write("settei.dat", "150\r\n250\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n");
    Result<Lines> lines = readSettings(dir.path("settei.dat"), kSettingsCapacityWide);
    ASSERT_TRUE(lines.ok());
    ASSERT_EQ(lines->size(), 11u);
    EXPECT_EQ((*lines)[0], "150");
    EXPECT_EQ((*lines)[5], "nodata");
    EXPECT_EQ((*lines)[6], "");
    EXPECT_EQ((*lines)[7], "");
}

TEST(ReadSettings, ReadsMusicPathsInCp932AndLfFiles)
{
    TempDir dir;
    dir.write("settei.dat", test::cp932("100\n200\n/home/ユーザー/曲.mid\n"));
    Result<Lines> lines = readSettings(dir.path("settei.dat"), kSettingsCapacityNarrow);
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ((*lines)[2], "/home/ユーザー/曲.mid");
}

// Each screen holds a fixed number of lines; a longer file is an error the
// screen reports instead of losing lines.
TEST(ReadSettings, MoreLinesThanTheScreenHoldsIsAnError)
{
    TempDir dir;
    std::string nine;
    for (int i = 0; i < 9; ++i)
        nine += "x\r\n";
    dir.write("settei.dat", nine);
    EXPECT_EQ(readSettings(dir.path("settei.dat"), kSettingsCapacityNarrow).error().code,
              ErrorCode::TooManyLines);
    EXPECT_TRUE(readSettings(dir.path("settei.dat"), kSettingsCapacityWide).ok());
    EXPECT_EQ(readSettings(dir.path("none.dat"), 8).error().code, ErrorCode::NotFound);
}

// A writer writes all eight lines: changed ones and the others as read.
TEST(WriteSettings, WritesExactlyEightLines)
{
    TempDir dir;
    Lines eleven(11, "nodata");
    eleven[0] = "321";
    eleven[1] = "200";
    eleven[9] = "dropped";
    ASSERT_TRUE(writeSettings(dir.path("settei.dat"), eleven).ok());
    EXPECT_EQ(dir.read("settei.dat"),
              "321\r\n200\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n");

    ASSERT_TRUE(writeSettings(dir.path("settei.dat"), {"100", "200"}).ok());
    EXPECT_EQ(dir.read("settei.dat"), "100\r\n200\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
}

TEST(WriteSettings, ALineBreakInsideALineIsRefused)
{
    TempDir dir;
    dir.write("settei.dat", "100\r\n");
    Lines lines(8, "nodata");
    lines[2] = "/a\nb.mid";
    EXPECT_EQ(writeSettings(dir.path("settei.dat"), lines).error().code, ErrorCode::UnsafeItem);
    EXPECT_EQ(dir.read("settei.dat"), "100\r\n");
}

// Code page 932 holds some characters twice (NEC row 13 and the IBM rows):
// a line the game did not change keeps the bytes it was written with, and a
// changed line is encoded afresh.
TEST(WriteSettings, LinesTheGameDidNotChangeKeepTheirBytes)
{
    TempDir dir;
    // "≒" as NEC writes it (87 90) and "纊" in the NEC-selected IBM row (ED 40).
    const std::string old = std::string("150\r\n200\r\nC:\\\x87\x90\\a.mid\r\nnodata\r\n") +
                            "D:\\\xED\x40.wav\r\nnodata\r\nnodata\r\nnodata\r\n";
    dir.write("settei.dat", old);
    Result<Lines> lines = readSettings(dir.path("settei.dat"), kSettingsCapacityWide);
    ASSERT_TRUE(lines.ok());
    // The encoder would write these two characters in their other forms.
    EXPECT_NE(*encodeCp932((*lines)[2]), "C:\\\x87\x90\\a.mid");
    (*lines)[0] = "999";
    ASSERT_TRUE(writeSettings(dir.path("settei.dat"), *lines).ok());
    std::string expected = old;
    expected.replace(0, 3, "999");
    EXPECT_EQ(dir.read("settei.dat"), expected);
}

TEST(MusicSlots, OnlyNodataIsEmpty)
{
    const Lines lines{"100", "200", "nodata", "/a.mid", "", "nodata", "/b.wav", "/end.mid", "x"};
    EXPECT_EQ(SettingsLines::fromLines(lines).musicSlots(),
              (Lines{"/a.mid", "", "/b.wav", "/end.mid"}));
    const Lines none{"100", "200", "nodata", "nodata", "nodata", "nodata", "nodata", "nodata"};
    EXPECT_TRUE(SettingsLines::fromLines(none).musicSlots().empty());
}

// The lines by what they hold, and back: the eight lines as read, a line
// past them left out; a line the file lacks is empty.
TEST(SettingsLines, NamesEachLineAndGivesTheEightBack)
{
    const Lines lines{"150",    "260",    "/1.mid", "/2.mid", "/3.mid",
                      "/4.mid", "/5.mid", "/e.mid", "x"};
    SettingsLines settings = SettingsLines::fromLines(lines);
    EXPECT_EQ(settings.highScore(1), "150");
    EXPECT_EQ(settings.highScore(2), "260");
    EXPECT_EQ(settings.endingMusic(), "/e.mid");
    EXPECT_EQ(settings.lines(), Lines(lines.begin(), lines.begin() + 8));
    settings.setHighScore(2, 301);
    EXPECT_EQ(settings.lines()[1], "301");
    EXPECT_EQ(SettingsLines::fromLines({"100"}).lines(),
              (Lines{"100", "", "", "", "", "", "", ""}));
}

} // namespace
} // namespace ks
