#include "core/inifile.h"
#include "core/textfile.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ks {
namespace {

using test::TempDir;

struct ValueCase
{
    const char *name;
    std::string bytes;
    const char *section;
    const char *key;
    std::optional<std::string> value;
};

void PrintTo(const ValueCase &c, std::ostream *os)
{
    *os << c.name;
}

class IniValue : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(IniValue, ReadsWhatAHandEditedFileMeans)
{
    const ValueCase &c = GetParam();
    EXPECT_EQ(IniFile::parse(c.bytes).value(c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniValue,
    ::testing::Values(ValueCase{"Plain", "[a]\r\nk=v\r\n", "a", "k", "v"},
                      ValueCase{"BlanksAroundEquals", "[a]\n  k \t=  v w \n", "a", "k", "v w"},
                      ValueCase{"LoneCarriageReturns", "[a]\rk=v\r", "a", "k", "v"},
                      ValueCase{"NoFinalLineEnd", "[a]\nk=v", "a", "k", "v"},
                      ValueCase{"NamesIgnoreCase", "[ Typing ]\nSPELLING=Any\n", "typing",
                                "spelling", "Any"},
                      ValueCase{"EmptyValue", "[a]\nk=\n", "a", "k", ""},
                      ValueCase{"QuotedValue", "[a]\nk=\" v \"\n", "a", "k", " v "},
                      ValueCase{"FirstOfTwoKeys", "[a]\nk=1\nk=2\n", "a", "k", "1"},
                      ValueCase{"FirstOfTwoParts", "[a]\nj=0\n[b]\nk=1\n[a]\nk=2\n", "a", "k", "2"},
                      ValueCase{"OtherSection", "[b]\nk=v\n", "a", "k", std::nullopt},
                      ValueCase{"BeforeAnySection", "k=v\n[a]\n", "a", "k", std::nullopt},
                      ValueCase{"SemicolonComment", "[a]\n;k=v\n", "a", "k", std::nullopt},
                      ValueCase{"HashComment", "[a]\n # k=v\n", "a", "k", std::nullopt},
                      ValueCase{"NoEquals", "[a]\nk v\n", "a", "k", std::nullopt},
                      ValueCase{"UnclosedSectionIsNoSection", "[a]\n[b\nk=v\n", "a", "k", "v"},
                      ValueCase{"ByteOrderMark", "\xEF\xBB\xBF[a]\nk=v\n", "a", "k", "v"},
                      ValueCase{"Cp932Value", "[a]\nk=\x83\x4C\x81\x5B\n", "a", "k", "キー"},
                      // A line that is not code page 932 means nothing, the others still count.
                      ValueCase{"UndecodableLine", "[a]\nj=\x81\n\x80\xFF=1\nk=v\n", "a", "k", "v"},
                      ValueCase{"Empty", "", "a", "k", std::nullopt}));

// Everything the game does not set goes back as it was, byte for byte.
TEST(IniFile, UnchangedItGivesBackItsBytes)
{
    const std::string bytes = "; \x83\x52\x83\x81\x83\x93\x83\x67\r\n[a]\r\n k = v \r\n"
                              "\x80\xFF\r\n\r\n[b]\r\nx=\xED\x40\xFA\x5C\r\n";
    EXPECT_EQ(IniFile::parse(bytes).bytes(), bytes);
    // Each line keeps its own end, a last line without one too.
    EXPECT_EQ(IniFile::parse("[a]\nk=v\rx").bytes(), "[a]\nk=v\rx");
    EXPECT_EQ(IniFile::parse("[a]\r\nk=v\n\n").bytes(), "[a]\r\nk=v\n\n");
}

struct SetCase
{
    const char *name;
    std::string before;
    std::string after;
};

void PrintTo(const SetCase &c, std::ostream *os)
{
    *os << c.name;
}

// A ";" or "#" after a value's blank starts a comment: the value is what
// comes before it, and setting the value keeps the comment and the line's
// own end.
TEST(IniFile, ACommentAfterAValueIsKept)
{
    IniFile file = IniFile::parse("[typing]\nspelling=any ; mine\nname = \"a ; b\" # quoted\n"
                                  "path=/x;y#z\r");
    EXPECT_EQ(file.value("typing", "spelling"), "any");
    EXPECT_EQ(file.value("typing", "name"), "a ; b");
    EXPECT_EQ(file.value("typing", "path"), "/x;y#z"); // no blank before: part of the value
    ASSERT_TRUE(file.setValue("typing", "spelling", "table").ok());
    ASSERT_TRUE(file.setValue("typing", "path", "/q").ok());
    ASSERT_TRUE(file.setValue("other", "k", "v").ok());
    EXPECT_EQ(file.bytes(), "[typing]\nspelling=table ; mine\nname = \"a ; b\" # quoted\n"
                            "path=/q\r\r\n[other]\r\nk=v\r\n");
}

class IniSetValue : public ::testing::TestWithParam<SetCase>
{
};

TEST_P(IniSetValue, ChangesOnlyItsLine)
{
    IniFile file = IniFile::parse(GetParam().before);
    ASSERT_TRUE(file.setValue("typing", "spelling", "any").ok());
    EXPECT_EQ(file.bytes(), GetParam().after);
    EXPECT_EQ(file.value("typing", "spelling"), "any");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniSetValue,
    ::testing::Values(
        SetCase{"NewFile", "", "[typing]\r\nspelling=any\r\n"},
        SetCase{"KeepsTheLineUpToTheValue", "[Typing]\r\n  Spelling =  table\r\n",
                "[Typing]\r\n  Spelling =  any\r\n"},
        SetCase{"OnlyTheFirstOfTwo", "[typing]\r\nspelling=table\r\nspelling=x\r\n",
                "[typing]\r\nspelling=any\r\nspelling=x\r\n"},
        SetCase{"AfterTheSectionsLastKey", "[typing]\r\nspeed=2\r\n\r\n; next\r\n[b]\r\nk=v\r\n",
                "[typing]\r\nspeed=2\r\nspelling=any\r\n\r\n; next\r\n[b]\r\nk=v\r\n"},
        SetCase{"RightAfterABareHeader", "[typing]\r\n[b]\r\n",
                "[typing]\r\nspelling=any\r\n[b]\r\n"},
        SetCase{"NewSectionAtTheEnd", "[b]\r\nspelling=table\r\n",
                "[b]\r\nspelling=table\r\n\r\n[typing]\r\nspelling=any\r\n"},
        SetCase{"AfterGarbage", "\x80\xFF", "\x80\xFF\r\n\r\n[typing]\r\nspelling=any\r\n"}));

TEST(IniFile, AValueThatCannotStandInTheFileIsRefused)
{
    const std::string before = "[typing]\r\nspelling=table\r\n";
    IniFile file = IniFile::parse(before);
    EXPECT_EQ(file.setValue("typing", "spelling", "a\r\nb").error().code, ErrorCode::UnsafeItem);
    EXPECT_EQ(file.setValue("typing", "a=b", "x").error().code, ErrorCode::UnsafeItem);
    EXPECT_EQ(file.setValue("typing", "spelling", "\U0001F600").error().code,
              ErrorCode::Unencodable);
    EXPECT_EQ(file.bytes(), before);
    // A value in code page 932 is written in it.
    ASSERT_TRUE(file.setValue("player", "name", "キー").ok());
    EXPECT_EQ(file.bytes(), before + "\r\n[player]\r\nname=\x83\x4C\x81\x5B\r\n");
}

TEST(ReadIniFile, WhatCannotBeReadIsAnError)
{
    TempDir dir;
    EXPECT_EQ(readIniFile(dir.path("none.ini")).error().code, ErrorCode::NotFound);
    std::filesystem::create_directory(dir.path("folder.ini"));
    EXPECT_EQ(readIniFile(dir.path("folder.ini")).error().code, ErrorCode::Unreadable);
    dir.write("big.ini", std::string(kMaxTextFileBytes + 1, 'x'));
    EXPECT_EQ(readIniFile(dir.path("big.ini")).error().code, ErrorCode::TooLarge);
    dir.write("ok.ini", "[a]\nk=v\n");
    Result<IniFile> file = readIniFile(dir.path("ok.ini"));
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file->value("a", "k"), "v");
}

} // namespace
} // namespace ks
