#include "core/playersettings.h"
#include "core/textfile.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace ks {
namespace {

using test::TempDir;

struct FileCase
{
    const char *name;
    std::optional<std::string> bytes; // nullopt: no file at all
    SpellingMode spelling;
};

void PrintTo(const FileCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReadPlayerSettings : public ::testing::TestWithParam<FileCase>
{
};

// Whatever the file holds, the game plays: anything it does not understand
// is the default, fixed judging.
TEST_P(ReadPlayerSettings, GivesTheChoiceOrTheDefault)
{
    TempDir dir;
    if (GetParam().bytes)
        dir.write(kPlayerSettingsFile, *GetParam().bytes);
    EXPECT_EQ(readPlayerSettings(dir.path(kPlayerSettingsFile)).spelling, GetParam().spelling);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadPlayerSettings,
    ::testing::Values(
        FileCase{"Missing", std::nullopt, SpellingMode::Table},
        FileCase{"Empty", "", SpellingMode::Table},
        FileCase{"Garbage", std::string("\x00\xFF\x81[typing]\x00=any\xFE", 14),
                 SpellingMode::Table},
        FileCase{"Any", "[typing]\r\nspelling=any\r\n", SpellingMode::Any},
        FileCase{"Table", "[typing]\r\nspelling=table\r\n", SpellingMode::Table},
        FileCase{"LfAndBlanksAndCase", "[Typing]\n  Spelling = ANY \n", SpellingMode::Any},
        FileCase{"AmongOtherSections",
                 "[sound]\r\nvolume=3\r\n[typing]\r\nspeed=1\r\nspelling=any\r\n[x]\r\n",
                 SpellingMode::Any},
        FileCase{"InAnotherSection", "[sound]\r\nspelling=any\r\n", SpellingMode::Table},
        FileCase{"CommentedOut", "[typing]\r\n;spelling=any\r\n#spelling=any\r\n",
                 SpellingMode::Table},
        FileCase{"UnknownValue", "[typing]\r\nspelling=sometimes\r\n", SpellingMode::Table},
        FileCase{"InlineCommentAfterTheValue", "[typing]\r\nspelling=any ; yes\r\n",
                 SpellingMode::Any},
        FileCase{"HashCommentAfterTheValue", "[typing]\r\nspelling=any\t# mine\r\n",
                 SpellingMode::Any},
        FileCase{"DuplicateKeysFirstCounts", "[typing]\r\nspelling=any\r\nspelling=table\r\n",
                 SpellingMode::Any},
        FileCase{"DuplicateKeysFirstUnknown", "[typing]\r\nspelling=both\r\nspelling=any\r\n",
                 SpellingMode::Table},
        FileCase{"Cp932Comments", "; \x83\x4C\x81\x5B\r\n[typing]\r\nspelling=any\r\n",
                 SpellingMode::Any}));

TEST(ReadPlayerSettingsFrom, AFileThatCannotBeReadGivesTheDefault)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path(kPlayerSettingsFile));
    EXPECT_EQ(readPlayerSettings(dir.path(kPlayerSettingsFile)).spelling, SpellingMode::Table);
    dir.write("big.ini", "[typing]\r\nspelling=any\r\n" + std::string(kMaxTextFileBytes, ';'));
    EXPECT_EQ(readPlayerSettings(dir.path("big.ini")).spelling, SpellingMode::Table);
}

TEST(WritePlayerSettings, AMissingFileIsMade)
{
    TempDir dir;
    ASSERT_TRUE(writePlayerSettings(dir.path(kPlayerSettingsFile), {SpellingMode::Any}).ok());
    EXPECT_EQ(dir.read(kPlayerSettingsFile), "[typing]\r\nspelling=any\r\n");
    ASSERT_TRUE(writePlayerSettings(dir.path(kPlayerSettingsFile), {SpellingMode::Table}).ok());
    EXPECT_EQ(dir.read(kPlayerSettingsFile), "[typing]\r\nspelling=table\r\n");
}

// A round trip keeps every line the game does not own, byte for byte: other
// sections and keys, comments, text in code page 932 (NEC and IBM forms of
// the same character alike) and bytes that are not text at all.
TEST(WritePlayerSettings, KeepsEverythingElseByteForByte)
{
    TempDir dir;
    const std::string path = dir.path(kPlayerSettingsFile);
    const std::string head = "; \x83\x52\x83\x81\x83\x93\x83\x67\n[sound]\nvolume = 3\n"
                             "name=\xED\x40\xFA\x5C\n\x80\xFF\x81\n[Typing]\nspeed=2\n";
    const std::string tail = "\n; later\n[other]\nspelling=table\n";
    dir.write(kPlayerSettingsFile, head + "Spelling = table\n" + tail);
    // The file's LF line ends stay LF: every byte but the value is as it was.
    ASSERT_TRUE(writePlayerSettings(path, {SpellingMode::Any}).ok());
    EXPECT_EQ(dir.read(kPlayerSettingsFile), head + "Spelling = any\n" + tail);
    EXPECT_EQ(readPlayerSettings(path).spelling, SpellingMode::Any);

    ASSERT_TRUE(writePlayerSettings(path, {SpellingMode::Table}).ok());
    EXPECT_EQ(dir.read(kPlayerSettingsFile), head + "Spelling = table\n" + tail);
    EXPECT_EQ(readPlayerSettings(path).spelling, SpellingMode::Table);
}

// The player never loses what a file held because of a choice: one that
// cannot be read is left alone, and an interrupted write leaves the old file.
TEST(WritePlayerSettings, NeverCostsTheOldFile)
{
    TempDir dir;
    const std::string big = std::string(kMaxTextFileBytes + 1, ';');
    dir.write("big.ini", big);
    EXPECT_EQ(writePlayerSettings(dir.path("big.ini"), {SpellingMode::Any}).error().code,
              ErrorCode::TooLarge);
    EXPECT_EQ(dir.read("big.ini"), big);

    dir.write(kPlayerSettingsFile, "[typing]\nspelling=table\n");
    EXPECT_FALSE(writePlayerSettings(dir.path(kPlayerSettingsFile), {SpellingMode::Any}, [] {
                     return false;
                 }).ok());
    EXPECT_EQ(dir.read(kPlayerSettingsFile), "[typing]\nspelling=table\n");
}

} // namespace
} // namespace ks

namespace ks {
namespace {

// The guide, sound and window choices: each as the file spells it, or its
// default for anything the game does not know.
TEST(PlayerChoices, EachKeyOrItsDefault)
{
    const struct
    {
        const char *file;
        std::function<bool(const PlayerSettings &)> holds;
    } cases[] = {
        {"",
         [](const PlayerSettings &s) {
             return !s.keyboardGuide && s.romajiGuide == RomajiGuide::Always && !s.readingLine &&
                    s.guideSpelling == GuideSpelling::Table && s.effectsVolume == 100 &&
                    s.musicVolume == 100 && s.scale == WindowScale::One;
         }},
        {"[guide]\r\nkeyboard=on\r\n", [](const PlayerSettings &s) { return s.keyboardGuide; }},
        {"[guide]\r\nkeyboard=yes\r\n", [](const PlayerSettings &s) { return !s.keyboardGuide; }},
        {"[guide]\r\nromaji=After-Miss\r\n",
         [](const PlayerSettings &s) { return s.romajiGuide == RomajiGuide::AfterMiss; }},
        {"[guide]\r\nromaji=hidden ; experts\r\n",
         [](const PlayerSettings &s) { return s.romajiGuide == RomajiGuide::Hidden; }},
        {"[guide]\r\nromaji=sometimes\r\n",
         [](const PlayerSettings &s) { return s.romajiGuide == RomajiGuide::Always; }},
        {"[guide]\r\nreading=on\r\nspelling=own\r\n",
         [](const PlayerSettings &s) {
             return s.readingLine && s.guideSpelling == GuideSpelling::Own &&
                    s.spelling == SpellingMode::Table; // [typing] is another section
         }},
        {"[sound]\r\neffects=0\r\nmusic=050\r\n",
         [](const PlayerSettings &s) { return s.effectsVolume == 0 && s.musicVolume == 50; }},
        {"[sound]\r\neffects=101\r\nmusic=-5\r\n",
         [](const PlayerSettings &s) { return s.effectsVolume == 100 && s.musicVolume == 100; }},
        {"[sound]\r\neffects=loud\r\nmusic=\r\n",
         [](const PlayerSettings &s) { return s.effectsVolume == 100 && s.musicVolume == 100; }},
        {"[sound]\r\neffects=99999999999999999999\r\n",
         [](const PlayerSettings &s) { return s.effectsVolume == 100; }},
        {"[window]\r\nscale=1.5\r\n",
         [](const PlayerSettings &s) { return s.scale == WindowScale::OneAndAHalf; }},
        {"[window]\r\nscale=2\r\n",
         [](const PlayerSettings &s) { return s.scale == WindowScale::Two; }},
        {"[window]\r\nscale=3\r\n",
         [](const PlayerSettings &s) { return s.scale == WindowScale::One; }},
    };
    TempDir dir;
    for (const auto &c : cases) {
        dir.write(kPlayerSettingsFile, c.file);
        EXPECT_TRUE(c.holds(readPlayerSettings(dir.path(kPlayerSettingsFile)))) << c.file;
    }
}

// A choice left at its default is not written into a file that never had
// it, so the spelling menu writes what it always wrote; a choice made is
// written, and read back the same; one made back to the default stays.
TEST(PlayerChoices, OnlyChoicesMadeAreWritten)
{
    TempDir dir;
    const std::string path = dir.path(kPlayerSettingsFile);
    dir.write(kPlayerSettingsFile, "; mine\r\n[typing]\r\nspelling=table\r\n");
    ASSERT_TRUE(writePlayerSettings(path, PlayerSettings{SpellingMode::Any}));
    EXPECT_EQ(dir.read(kPlayerSettingsFile), "; mine\r\n[typing]\r\nspelling=any\r\n");

    PlayerSettings chosen;
    chosen.keyboardGuide = true;
    chosen.romajiGuide = RomajiGuide::AfterMiss;
    chosen.readingLine = true;
    chosen.guideSpelling = GuideSpelling::Own;
    chosen.effectsVolume = 35;
    chosen.musicVolume = 0;
    chosen.scale = WindowScale::Two;
    ASSERT_TRUE(writePlayerSettings(path, chosen));
    const PlayerSettings back = readPlayerSettings(path);
    EXPECT_TRUE(back.keyboardGuide);
    EXPECT_EQ(back.romajiGuide, RomajiGuide::AfterMiss);
    EXPECT_TRUE(back.readingLine);
    EXPECT_EQ(back.guideSpelling, GuideSpelling::Own);
    EXPECT_EQ(back.effectsVolume, 35);
    EXPECT_EQ(back.musicVolume, 0);
    EXPECT_EQ(back.scale, WindowScale::Two);

    ASSERT_TRUE(writePlayerSettings(path, PlayerSettings{}));
    const std::string reset = dir.read(kPlayerSettingsFile);
    EXPECT_NE(reset.find("keyboard=off"), std::string::npos) << reset;
    EXPECT_NE(reset.find("effects=100"), std::string::npos) << reset;
    EXPECT_NE(reset.find("scale=1\r\n"), std::string::npos) << reset;
}

} // namespace
} // namespace ks
