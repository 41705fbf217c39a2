#include "core/problemfile.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ks {
namespace {

using test::TempDir;
using Strings = std::vector<std::string>;

RomajiTable smallTable()
{
    RomajiTable table;
    const Strings pairs{"あ", "a", "か", "ka", "い", "i", "は", "ha", "な", "na", "き", "ki"};
    std::copy(pairs.begin(), pairs.end(), table.items.begin());
    return table;
}

// Header labels are free text: "@" there never starts a problem.
Strings header()
{
    return {"@", "ことわざ", "@", "5", "@", "2", "@", "60", "@", "", "@", "20", "@", "作者"};
}

Strings practice(const Strings &body)
{
    Strings items = header();
    items.insert(items.end(), body.begin(), body.end());
    return items;
}

TEST(PracticeHeader, TakesTheOddItems)
{
    const PracticeHeader h = practiceHeader(header());
    EXPECT_EQ(h.title, "ことわざ");
    EXPECT_EQ(h.level, "5");
    EXPECT_EQ(h.problems, "2");
    EXPECT_EQ(h.timeLimit, "60");
    EXPECT_EQ(h.assetFolder, "");
    EXPECT_EQ(h.fontSize, "20");
    EXPECT_EQ(h.author, "作者");
    EXPECT_EQ(practiceHeader({"x", "only a title"}).author, "");
}

TEST(PracticeHeader, LevelBarWidth)
{
    EXPECT_EQ(levelBarWidth(10), 305);
    EXPECT_EQ(levelBarWidth(5), 152); // Int(152.5)
    EXPECT_EQ(levelBarWidth(0), 0);
    EXPECT_EQ(levelBarWidth(-0.1), -4); // Int rounds down
}

// The worked example: two problems, the sentinel left out of the total.
TEST(PreparePractice, TheExampleFile)
{
    Result<PracticeProblems> p = preparePracticeProblems(
        practice({"@", "赤い花", "あ", "か", "い", "は", "な", "、", "@", "end"}), smallTable());
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p->romajiLines, (Strings{"akaihana,", ""}));
    EXPECT_EQ(p->displayTexts, (Strings{"赤い花", "end"}));
    EXPECT_EQ(p->romajiTotal, 9u);
}

TEST(PreparePractice, WithoutTheSentinelTheLastProblemIsLeftOutOfTheTotal)
{
    Result<PracticeProblems> p = preparePracticeProblems(
        practice({"@", "赤", "あ", "か", "@", "花", "は", "な"}), smallTable());
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p->romajiLines.size(), 2u);
    EXPECT_EQ(p->romajiTotal, 3u);
}

struct CheckCase
{
    const char *name;
    Strings body;
    bool valid;
};

void PrintTo(const CheckCase &c, std::ostream *os)
{
    *os << c.name;
}

class PracticeCheck : public ::testing::TestWithParam<CheckCase>
{
};

// A "、" or a table kana before the first "@" belongs to no problem: the file is broken.
TEST_P(PracticeCheck, RejectsKanaBeforeTheFirstProblem)
{
    Result<void> check = checkPracticeItems(practice(GetParam().body), smallTable());
    EXPECT_EQ(check.ok(), GetParam().valid);
    if (!check.ok()) {
        EXPECT_EQ(check.error().code, ErrorCode::KanaBeforeFirstProblem);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PracticeCheck,
    ::testing::Values(CheckCase{"KanjiFirstIsHarmless", {"漢字", "@", "本", "か"}, true},
                      CheckCase{"CommaKanaFirst", {"、", "@", "本", "か"}, false},
                      CheckCase{"TableKanaFirst", {"か", "@", "本", "か"}, false},
                      CheckCase{"EmptyPlaceMarkerIsNoKana", {"＿", "@", "か"}, true},
                      CheckCase{"NoProblemsAtAll", {"漢字"}, true},
                      CheckCase{"KanaAfterTheFirstProblem", {"@", "か", "、"}, true}),
    [](const ::testing::TestParamInfo<CheckCase> &test) { return test.param.name; });

TEST(PracticeCheckLimits, AThousandProblemsFitOneMoreDoesNot)
{
    Strings body;
    for (int i = 0; i < 1000; ++i)
        body.push_back("@");
    EXPECT_TRUE(checkPracticeItems(practice(body), smallTable()).ok());
    body.push_back("@");
    EXPECT_EQ(checkPracticeItems(practice(body), smallTable()).error().code,
              ErrorCode::TooManyProblems);
}

TEST(DisplayTexts, TheItemAfterEachStart)
{
    EXPECT_EQ(ProblemDisplayTexts({"@", "一", "か", "@", "二", "@"}, 0, 10),
              (Strings{"一", "二", ""}));
    EXPECT_EQ(ProblemDisplayTexts({"@", "一", "@", "二"}, 0, 1), (Strings{"一"}));
}

TEST(RomajiTotalOf, CountsCharactersOfAllButTheLastLine)
{
    EXPECT_EQ(RomajiTotal({"akaihana,", ""}, 2), 9u);
    EXPECT_EQ(RomajiTotal({"ka", "ki", "ku"}, 3), 4u);
    EXPECT_EQ(RomajiTotal({"ka"}, 1), 0u); // a single problem counts nothing
    EXPECT_EQ(RomajiTotal({}, 0), 0u);
    EXPECT_EQ(RomajiTotal({"ー!", "x"}, 2), 2u); // characters, not bytes
}

TEST(ReadProblemItemsFrom, ExactlyTheCapacityAndOneMore)
{
    TempDir dir;
    std::string text;
    for (int i = 0; i < 501; ++i)
        text += i % 10 == 0 ? "@\r\n" : "か,";
    dir.write("full.ksd", test::cp932(text));
    dir.write("over.ksd", test::cp932(text + "か"));
    Result<Strings> full = ReadProblemItems(dir.path("full.ksd"), kPracticeItemCapacity);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full->size(), 501u);
    EXPECT_EQ(ReadProblemItems(dir.path("over.ksd"), kPracticeItemCapacity).error().code,
              ErrorCode::TooManyItems);
    EXPECT_EQ(ReadProblemItems(dir.path("none.ksd"), 10).error().code, ErrorCode::NotFound);
}

TEST(ReadProblemItemsFrom, ABrokenShiftJisFileIsAnErrorNotAGuess)
{
    TempDir dir;
    dir.write("bad.ksd", "@,\x81\x20,\r\n");
    EXPECT_EQ(ReadProblemItems(dir.path("bad.ksd"), 501).error().code, ErrorCode::BadEncoding);
}

TEST(ExamPhrases, LoadsPhrasesFromItemZero)
{
    TempDir dir;
    dir.write("exam1.ksd", test::cp932("@,か,い\r\n@,あ,、,き\r\n"));
    Result<Strings> phrases = loadExamPhrases(dir.path("exam1.ksd"), smallTable());
    ASSERT_TRUE(phrases.ok());
    EXPECT_EQ(*phrases, (Strings{"kai", "a,ki"}));
}

TEST(ExamPhrases, BrokenFilesAreErrors)
{
    TempDir dir;
    dir.write("kana.ksd", test::cp932("か,@,か\r\n"));
    EXPECT_EQ(loadExamPhrases(dir.path("kana.ksd"), smallTable()).error().code,
              ErrorCode::KanaBeforeFirstProblem);
    std::string many;
    for (int i = 0; i < 52; ++i)
        many += "@,か\r\n";
    dir.write("many.ksd", test::cp932(many));
    EXPECT_EQ(loadExamPhrases(dir.path("many.ksd"), smallTable()).error().code,
              ErrorCode::TooManyProblems);
    EXPECT_EQ(loadExamPhrases(dir.path("exam9.ksd"), smallTable()).error().code,
              ErrorCode::NotFound);
}

} // namespace
} // namespace ks

namespace ks {
namespace {

// Hidden files, folders and other names are no practice files; the order is
// the names' bytes, the same on every machine.
TEST(ListProblemFiles, KsdFilesInByteOrder)
{
    TempDir dir;
    for (const char *name : {"b.KSD", "a.ksd", ".hidden.ksd", "note.txt", "Z.ksd", "c.ksdx"})
        dir.write(std::string("practice/") + name, "x");
    std::filesystem::create_directories(dir.path("practice/folder.ksd"));
    Result<Strings> names = listProblemFiles(dir.path("practice"));
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(*names, (Strings{"Z.ksd", "a.ksd", "b.KSD"}));

    EXPECT_EQ(listProblemFiles(dir.path("none")).error().code, ErrorCode::NotFound);
    std::filesystem::create_directories(dir.path("empty"));
    EXPECT_TRUE(listProblemFiles(dir.path("empty"))->empty());
}

// The pace divides by the time limit and the countdown steps by whole
// seconds to 1: a limit under one whole second cannot be played.
TEST(PreparePractice, ATimeLimitUnderOneWholeSecondIsRefused)
{
    for (const char *limit : {"0", "abc", "", "0.0", "0.5", "-30"}) {
        Strings items = practice({"@", "赤", "あ", "@", "end"});
        items[7] = limit;
        Result<PracticeProblems> p = preparePracticeProblems(items, smallTable());
        ASSERT_FALSE(p.ok()) << limit;
        EXPECT_EQ(p.error().code, ErrorCode::UnplayableTimeLimit);
    }
}

struct HeaderNumberCase
{
    const char *count;
    const char *limit;
    int problems;
    int seconds;
};

// Counters step by one and stop at exactly 1: the header's numbers count as
// their whole part, so no run counts past its end.
TEST(PreparePractice, HeaderNumbersCountAsTheirWholePart)
{
    const HeaderNumberCase cases[] = {{"3", "60", 3, 60},
                                      {"2.5", "90.7", 2, 90},
                                      {"0", "1", 0, 1},
                                      {"0.9", "1.99", 0, 1},
                                      {"7問", "45秒", 7, 45}};
    for (const HeaderNumberCase &c : cases) {
        Strings items = practice({"@", "赤", "あ", "@", "end"});
        items[5] = c.count;
        items[7] = c.limit;
        Result<PracticeProblems> p = preparePracticeProblems(items, smallTable());
        ASSERT_TRUE(p.ok()) << c.count << " " << c.limit;
        EXPECT_EQ(p->problemsToPlay, c.problems) << c.count;
        EXPECT_EQ(p->timeLimit, c.seconds) << c.limit;
    }
    Strings items = practice({"@", "赤", "あ", "@", "end"});
    items[5] = "-1";
    EXPECT_EQ(preparePracticeProblems(items, smallTable()).error().code,
              ErrorCode::UnplayableProblemCount);
}

} // namespace
} // namespace ks

namespace ks {
namespace {

// A file written on Linux is most likely UTF-8: read as such when it is no
// code page 932. Bytes that are both stay code page 932, as ever, and bytes
// that are neither stay an error.
TEST(ReadProblemItemsFrom, AFileThatIsNoCp932ButUtf8IsReadAsUtf8)
{
    TempDir dir;
    dir.write("utf8.ksd", "@,赤い花,あ,か\r\n");
    dir.write("bom.ksd", "\xEF\xBB\xBF@,赤,あ\n");
    dir.write("cp932.ksd", test::cp932("@,赤い花,あ,か\r\n"));
    // "é" in UTF-8 is "ﾃｩ" in code page 932: read as it always was.
    dir.write("both.ksd", "@,\xC3\xA9\r\n");
    dir.write("neither.ksd", "@,\x81\x20\r\n");
    EXPECT_EQ(*ReadProblemItems(dir.path("utf8.ksd"), 10), (Strings{"@", "赤い花", "あ", "か"}));
    EXPECT_EQ(*ReadProblemItems(dir.path("bom.ksd"), 10), (Strings{"@", "赤", "あ"}));
    EXPECT_EQ(*ReadProblemItems(dir.path("cp932.ksd"), 10), (Strings{"@", "赤い花", "あ", "か"}));
    EXPECT_EQ(*ReadProblemItems(dir.path("both.ksd"), 10), (Strings{"@", "ﾃｩ"}));
    EXPECT_EQ(ReadProblemItems(dir.path("neither.ksd"), 10).error().code, ErrorCode::BadEncoding);
}

TEST(AssetFolderItem, StaysInsideThePracticeFolder)
{
    for (const char *safe :
         {"", "standard\\", "standard", "pics\\flowers\\", "a/b/", "..x\\", "x..\\"})
        EXPECT_TRUE(checkAssetFolderItem(safe).ok()) << safe;
    for (const char *unsafe : {"..\\", "..", "..\\..\\..\\tmp\\x\\", "a\\..\\..\\b\\", "a/../b/",
                               "\\x\\", "/tmp/x/", "C:\\game\\", "c:x\\"})
        EXPECT_EQ(checkAssetFolderItem(unsafe).error().code, ErrorCode::UnsafeAssetFolder)
            << unsafe;
}

// The practice list reads every file: one it cannot read is left out and
// named, and the others keep their order.
TEST(PracticeFiles, AnUnreadableFileIsSkippedAndNamed)
{
    TempDir dir;
    dir.write("practice/a.ksd", test::cp932("@,赤,あ\r\n"));
    dir.write("practice/b.ksd", "@,\x81\x20\r\n");
    dir.write("player/practice/c.ksd", "@,あ\r\n");
    std::string tooLong;
    for (int i = 0; i < 502; ++i)
        tooLong += "あ\r\n";
    dir.write("player/practice/d.ksd", tooLong);
    const PracticeFileList list = listPracticeFiles(AppDir(dir.root(), dir.path("player")));
    EXPECT_EQ(list.paths, (Strings{dir.path("practice/a.ksd"), dir.path("player/practice/c.ksd")}));
    ASSERT_EQ(list.skipped.size(), 2u);
    EXPECT_EQ(list.skipped[0].path, dir.path("practice/b.ksd"));
    EXPECT_EQ(list.skipped[0].error.code, ErrorCode::BadEncoding);
    EXPECT_EQ(list.skipped[1].path, dir.path("player/practice/d.ksd"));
    EXPECT_EQ(list.skipped[1].error.code, ErrorCode::TooManyItems);
}

} // namespace
} // namespace ks
