// ksdtool driven as an author would drive it: the built program, real files,
// exit statuses and output compared in full where the output is the product.

#include "support/runprogram.h"
#include "support/tempdir.h"

#include "core/appdir.h"
#include "core/problemfile.h"
#include "core/romajitable.h"
#include "core/textfile.h"

#include <sys/stat.h>

using ks::kMaxTextFileBytes;

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using ks::test::cp932;
using ks::test::TempDir;

const std::string kTool = KSDTOOL_PATH;
const std::string kShippedTable = KS_ROMAJI_TABLE;
const std::string kBuiltGame = KS_APP_DIR;

using ToolRun = ks::test::ProgramRun;

ToolRun runTool(const TempDir &dir, const std::vector<std::string> &args)
{
    return ks::test::runProgram(dir, kTool, args);
}

// A game folder as check plays files from: the shipped table, and the
// standard target and sounds the build made.
void layOutGame(const std::string &folder)
{
    namespace fs = std::filesystem;
    fs::create_directories(folder + "/practice");
    fs::copy_file(kShippedTable, folder + "/roumazi.dat");
    fs::copy(kBuiltGame + "/practice/standard", folder + "/practice/standard");
}

// One game folder for the whole run, its table the one every test names.
const std::string &gameFolder()
{
    static const TempDir dir;
    static const std::string folder = [] {
        layOutGame(dir.path("game"));
        return dir.path("game");
    }();
    return folder;
}
const std::string kTable = gameFolder() + "/roumazi.dat";

std::vector<std::string> withTable(std::vector<std::string> args)
{
    args.insert(args.begin() + 1, {"--table", kTable});
    return args;
}

// A practice file's seven header lines and the given body, CP932 and CRLF.
std::string practiceFile(std::string_view body, std::string_view timeLimit = "60")
{
    std::string text = "タイトル,花の名前\r\nレベル,3\r\n問題数,1\r\n制限時間,";
    text += timeLimit;
    text += "\r\n素材フォルダ,standard\\\r\n文字サイズ,20\r\n作者,山田\r\n";
    text += body;
    return cp932(text);
}

std::string repeated(std::string_view piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::vector<std::string> linesOf(const std::string &text)
{
    return ks::splitLines(text);
}

// ---------------------------------------------------------------- lines

TEST(Lines, PrintsEachProblemWithItsDisplayTextAndTheTotal)
{
    TempDir dir;
    dir.write("a.ksd", practiceFile("@,赤い花,あ,か,い,は,な,、\r\n@,end\r\n"));
    const ToolRun run = runTool(dir, withTable({"lines", dir.path("a.ksd")}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "0\t赤い花\takaihana,\n1\tend\t\ntotal 9\n");
    EXPECT_EQ(run.err, "");
}

TEST(Lines, TotalLeavesOutTheLastLineEvenWithoutTheSentinel)
{
    TempDir dir;
    dir.write("a.ksd", practiceFile("@,赤,あ,か\r\n@,青,あ,お\r\n"));
    const ToolRun run = runTool(dir, withTable({"lines", dir.path("a.ksd")}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "0\t赤\taka\n1\t青\tao\ntotal 3\n");
}

TEST(Lines, ExamFileHasNoDisplayTextAndNoTotal)
{
    TempDir dir;
    dir.write("e.ksd", cp932("@,が,っこ,う\r\n@,、,ー,ん\r\n"));
    const ToolRun run = runTool(dir, withTable({"lines", "--exam", dir.path("e.ksd")}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "0\t\tgakkou\n1\t\t,-nn\n");
}

// Files the game refuses: lines says why and prints nothing, check calls it an
// error, and both exit 1.
struct RefusedFile
{
    const char *name;
    bool exam;
    std::string bytes;
    const char *reason; // part of the message on standard error
};

TEST(Lines, RefusesWhatTheGameRefusesAndCheckAgrees)
{
    const std::vector<RefusedFile> cases{
        {"kana before the first @", false, practiceFile("か,@,赤,あ\r\n@,end\r\n"),
         "最初の「@」より前にかなか「、」があります：14 番の項目「か」"},
        {"comma before the first @ in an exam file", true, cp932("、,@,か\r\n"),
         "0 番の項目「、」"},
        {"time limit reading as 0", false, practiceFile("@,赤,あ\r\n@,end\r\n", "６０"),
         "制限時間が 1 秒に足りません"},
        {"502 items in a practice file", false,
         practiceFile("@,長い" + repeated(",あ", 484) + "\r\n@,end\r\n"), "項目が多すぎます"},
        {"52 phrases in an exam file", true, cp932(repeated("@,か\r\n", 52)), "問題が多すぎます"},
        {"bytes that are not Shift_JIS", false, practiceFile("@,赤,あ\r\n") + "\x81\x20\r\n",
         "Shift_JIS として読めない"},
    };
    for (const RefusedFile &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("f.ksd", c.bytes);
        const std::string kind = c.exam ? "--exam" : "--practice";
        const ToolRun lines = runTool(dir, withTable({"lines", kind, dir.path("f.ksd")}));
        EXPECT_EQ(lines.exitCode, 1);
        EXPECT_EQ(lines.out, "");
        EXPECT_NE(lines.err.find(c.reason), std::string::npos) << lines.err;

        const ToolRun check = runTool(dir, withTable({"check", kind, dir.path("f.ksd")}));
        EXPECT_EQ(check.exitCode, 1);
        EXPECT_NE(check.out.find("error: "), std::string::npos) << check.out;
    }
}

TEST(Lines, MissingFileIsABadInputNotAUsageError)
{
    TempDir dir;
    const ToolRun run = runTool(dir, withTable({"lines", dir.path("none.ksd")}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("見付かりません"), std::string::npos) << run.err;
}

// ---------------------------------------------------------------- check

struct CheckCase
{
    const char *name;
    bool exam;
    std::string bytes;
    int exitCode;
    // Each output line must start with its entry, and there are no others.
    std::vector<std::string> linePrefixes;
};

TEST(Check, ListsEveryFindingMarkedAsErrorOrWarning)
{
    const std::vector<CheckCase> cases{
        {"clean practice file",
         false,
         practiceFile("@,赤い花,あ,か,い,は,な,、\r\n@,end\r\n"),
         0,
         {"OK"}},
        {"clean exam file", true, cp932("@,か,き\r\n@,っこ,ヴぁ\r\n"), 0, {"OK"}},
        // Items: 14 @, 15 赤い花, 16 あ, 17 か, 18 xyz, 19 @, 20 空, 21 ぬぬ, 22 @, 23 end.
        // Display texts, "@" and "end" are no tokens to complain about.
        {"unknown tokens and a problem that types nothing",
         false,
         practiceFile("@,赤い花,あ,か,xyz\r\n@,空,ぬぬ\r\n@,end\r\n"),
         0,
         {"warning: 18 番の項目「xyz」", "warning: 問題 1「空」（19 番の項目）",
          "warning: 21 番の項目「ぬぬ」", "0 errors, 3 warnings"}},
        {"kana before the first @, and plain text there",
         false,
         practiceFile("メモ,か,@,赤,あ\r\n@,end\r\n"),
         1,
         {"warning: 14 番の項目「メモ」",
          "error: 最初の「@」より前にかなか「、」があります：15 番の項目「か」",
          "1 error, 1 warning"}},
        {"every stray kana is listed, not only the first",
         true,
         cp932("あ,い,@,う\r\n"),
         1,
         {"error: 最初の「@」より前にかなか「、」があります：0 番の項目「あ」",
          "error: 最初の「@」より前にかなか「、」があります：1 番の項目「い」",
          "2 errors, 0 warnings"}},
        {"time limit reading as 0",
         false,
         practiceFile("@,赤,あ\r\n@,end\r\n", "abc"),
         1,
         {"error: 制限時間が 1 秒に足りません：7 番の項目「abc」", "1 error, 0 warnings"}},
        {"time limit with a unit still reads as a number",
         false,
         practiceFile("@,赤,あ\r\n@,end\r\n", "90秒"),
         0,
         {"OK"}},
        {"missing sentinel",
         false,
         practiceFile("@,赤,あ\r\n@,青,あ,お\r\n"),
         0,
         {"warning: 終わりの「@」「end」がありません", "0 errors, 1 warning"}},
        {"sentinel followed by a token is no sentinel",
         false,
         practiceFile("@,赤,あ\r\n@,end,あ\r\n"),
         0,
         {"warning: 終わりの「@」「end」がありません", "0 errors, 1 warning"}},
        {"empty phrase in an exam file, the last one included",
         true,
         cp932("@,か\r\n@,xx\r\n@\r\n"),
         0,
         {"warning: 問題 1（2 番の項目）", "warning: 3 番の項目「xx」",
          "warning: 問題 2（4 番の項目）", "0 errors, 3 warnings"}},
        {"display text that is a kana is typed too",
         false,
         practiceFile("@,ー,あ\r\n@,end\r\n"),
         0,
         {"warning: 15 番の項目「ー」", "0 errors, 1 warning"}},
        {"too many items, and the rest still checked",
         false,
         practiceFile("@,長い" + repeated(",あ", 484) + ",zz\r\n@,end\r\n"),
         1,
         {"error: 項目が多すぎます：503 / 501 項目",
          "warning: 問題 0「長い」（14 番の項目）：ローマ字の幅が文字サイズ 20 で",
          "warning: 500 番の項目「zz」", "1 error, 2 warnings"}},
        {"too many phrases",
         true,
         cp932(repeated("@,か\r\n", 52)),
         1,
         {"error: 問題が多すぎます：52 / 51 問", "1 error, 0 warnings"}},
        {"header one item short",
         false,
         cp932("タイトル,花\r\nレベル,3\r\n問題数,1\r\n制限時間,60\r\n素材フォルダ,"
               "\"\"\r\n文字サイズ,20\r\n作者\r\n@,赤,あ\r\n@,end\r\n"),
         1,
         {"warning: 13 番の項目「@」：見出しの中に「@」があります", "warning: 14 番の項目「赤」",
          "error: 最初の「@」より前にかなか「、」があります：15 番の項目「あ」",
          "1 error, 2 warnings"}},
    };
    for (const CheckCase &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("f.ksd", c.bytes);
        const ToolRun run =
            runTool(dir, withTable({"check", c.exam ? "--exam" : "--practice", dir.path("f.ksd")}));
        EXPECT_EQ(run.exitCode, c.exitCode);
        const std::vector<std::string> lines = linesOf(run.out);
        ASSERT_EQ(lines.size(), c.linePrefixes.size()) << run.out;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].starts_with(c.linePrefixes[i]))
                << "line " << i << ": " << lines[i] << "\nexpected to start with "
                << c.linePrefixes[i];
    }
}

TEST(Check, UnreadableFileIsOneError)
{
    TempDir dir;
    const ToolRun run = runTool(dir, withTable({"check", dir.path("none.ksd")}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(linesOf(run.out).size(), 2u) << run.out;
    EXPECT_TRUE(run.out.starts_with("error: ファイルが見付かりません")) << run.out;
}

// A file that repeats one fault a million times lists the first few of
// each kind and counts the rest, in bounded output and memory; the totals
// still count every finding.
TEST(Check, ARepeatedFaultIsListedOnceAndCounted)
{
    TempDir dir;
    std::string body = "@,表示";
    body += repeated(",x", 100000);
    body += "\r\n@,end\r\n";
    dir.write("f.ksd", practiceFile(body));
    const ToolRun run = runTool(dir, withTable({"check", dir.path("f.ksd")}));
    EXPECT_EQ(run.exitCode, 1); // far over the game's 501 items
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_LT(lines.size(), 40u) << run.out.substr(0, 2000);
    ASSERT_GE(lines.size(), 2u) << run.err;
    EXPECT_EQ(lines.front(), "error: 項目が多すぎます：100018 / 501 項目");
    EXPECT_EQ(lines[lines.size() - 2],
              "warning: ほかに「ローマ字表にないかな」が 99980 件 / 99980 more like the above");
    // Every finding is counted: 100000 unknown kana and the empty problem.
    EXPECT_EQ(lines.back(), "1 error, 100001 warnings");
}

// ---------------------------------------------------------------- make

std::string makeInput()
{
    return "# 飲み物と学校\n"
           "コーヒー\tコーヒー\n"
           "\n"
           "学校\tがっこう\r\n"
           "花、鳥\tはな、 とり\n"
           "楽器\tヴァイオリン\n"
           "切手\tきって　きっぷ\n";
}

TEST(Make, RoundTripGivesBackTheRomajiOfTheReadings)
{
    TempDir dir;
    dir.write("in.txt", makeInput());
    const ToolRun made = runTool(
        dir, withTable({"make", "--time", "60", dir.path("in.txt"), "-o", dir.path("out.ksd")}));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.out, "");

    const ToolRun lines = runTool(dir, withTable({"lines", dir.path("out.ksd")}));
    EXPECT_EQ(lines.exitCode, 0) << lines.err;
    EXPECT_EQ(lines.out, "0\tコーヒー\tko-hi-\n"
                         "1\t学校\tgakkou\n"
                         "2\t花、鳥\thana,tori\n"
                         "3\t楽器\tvaiorinn\n"
                         "4\t切手\tkittekippu\n"
                         "5\tend\t\n"
                         "total 39\n");

    const ToolRun check = runTool(dir, withTable({"check", dir.path("out.ksd")}));
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out, "OK\n");
}

TEST(Make, WritesTheHeaderAndOneLinePerProblemInCp932)
{
    TempDir dir;
    dir.write("in.txt", "学校\tがっこう\n花、鳥\tはな、とり\n");
    const ToolRun made = runTool(
        dir, withTable({"make", "--title", "花, 鳥", "--level", "2.5", "--time", "90", "--author",
                        "山田", dir.path("in.txt"), "-o", dir.path("out.ksd")}));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(dir.read("out.ksd"), cp932("タイトル,\"花, 鳥\"\r\n"
                                         "レベル,2.5\r\n"
                                         "問題数,2\r\n"
                                         "制限時間,90\r\n"
                                         "素材フォルダ,standard\\\r\n"
                                         "文字サイズ,20\r\n"
                                         "作者,山田\r\n"
                                         "@,学校,が,っこ,う\r\n"
                                         "@,花、鳥,は,な,、,と,り\r\n"
                                         "@,end\r\n"));
}

TEST(Make, StandardOutputGetsTheSameBytesAsTheFile)
{
    TempDir dir;
    dir.write("in.txt", makeInput());
    const ToolRun toFile = runTool(
        dir, withTable({"make", "--time", "60", dir.path("in.txt"), "-o", dir.path("out.ksd")}));
    const ToolRun toStdout = runTool(dir, withTable({"make", "--time", "60", dir.path("in.txt")}));
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_FALSE(toStdout.out.empty());
    EXPECT_EQ(toStdout.out, dir.read("out.ksd"));
}

// Header values must read back as written: the reader trims blanks, splits at
// commas and drops a comma before a line end.
TEST(Make, HeaderValuesReadBackExactly)
{
    struct Case
    {
        const char *option;
        std::string value;
        std::string expectedLine;
    };
    const std::vector<Case> cases{
        {"--assets", "", "素材フォルダ,\"\""},
        {"--assets", "pics\\flowers\\", "素材フォルダ,pics\\flowers\\"},
        {"--title", "", "タイトル,\"\""},
        {"--title", "a,b", "タイトル,\"a,b\""},
        {"--title", " 前に空白", "タイトル,\" 前に空白\""},
        {"--title", "後ろに空白\t", "タイトル,\"後ろに空白\t\""},
        {"--title", "中に 空白", "タイトル,中に 空白"},
        {"--author", "", "作者,\"\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.option) + " [" + c.value + "]");
        TempDir dir;
        dir.write("in.txt", "花\tはな\n");
        const ToolRun made =
            runTool(dir, withTable({"make", "--time", "60", c.option, c.value, dir.path("in.txt"),
                                    "-o", dir.path("out.ksd")}));
        ASSERT_EQ(made.exitCode, 0) << made.err;
        ks::Result<std::string> text = ks::readTextFile(dir.path("out.ksd"));
        ASSERT_TRUE(text.ok());
        const std::vector<std::string> lines = ks::splitLines(*text);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.expectedLine), lines.end()) << *text;

        ks::Result<std::vector<std::string>> items =
            ks::ReadProblemItems(dir.path("out.ksd"), ks::kPracticeItemCapacity);
        ASSERT_TRUE(items.ok());
        const ks::PracticeHeader header = ks::practiceHeader(*items);
        const std::string &readBack = std::string_view(c.option) == "--assets"  ? header.assetFolder
                                      : std::string_view(c.option) == "--title" ? header.title
                                                                                : header.author;
        EXPECT_EQ(readBack, c.value);
        EXPECT_EQ(header.timeLimit, "60");
        EXPECT_EQ((*items)[ks::kPracticeBodyStart], "@");
    }
}

TEST(Make, ExamFileHasNoHeaderAndIgnoresDisplayTexts)
{
    TempDir dir;
    dir.write("in.txt", "がっこう\n無視される\tキャッチ\n");
    const ToolRun made =
        runTool(dir, withTable({"make", "--exam", dir.path("in.txt"), "-o", dir.path("e.ksd")}));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(dir.read("e.ksd"), cp932("@,が,っこ,う\r\n@,きゃ,っち\r\n"));

    const ToolRun lines = runTool(dir, withTable({"lines", "--exam", dir.path("e.ksd")}));
    EXPECT_EQ(lines.exitCode, 0) << lines.err;
    EXPECT_EQ(lines.out, "0\t\tgakkou\n1\t\tkyacchi\n");
}

// Whatever goes wrong, make exits 1 with a message naming the place, and an
// existing output file is left as it was.
TEST(Make, RefusesInputItCannotTurnIntoAPlayableFile)
{
    struct Case
    {
        const char *name;
        std::string input;
        std::vector<std::string> options;
        std::string message; // part of standard error
    };
    const std::vector<Case> cases{
        {"kanji in a reading",
         "学校\tがっこう\n# 2\n花\tはな漢\n",
         {},
         "in.txt:3 行目：読みの「漢」(U+6F22)"},
        {"latin letter in a reading", "花\tはなx\n", {}, "in.txt:1 行目：読みの「x」(U+0078)"},
        {"small ヶ has no kana in the table", "ヶ月\tいっヶげつ\n", {}, "「ヶ」(U+30F6)"},
        {"no tab in a practice line", "がっこう\n", {}, "in.txt:1 行目："},
        {"empty reading", "花\t　 \n", {}, "in.txt:1 行目：読みがありません"},
        {"display text with a double quote", "\"花\"\tはな\n", {}, "in.txt:1 行目：表示に「\"」"},
        {"display text @", "@\tはな\n", {}, "in.txt:1 行目：表示が「@」"},
        {"display text that is a kana", "ー\tはな\n", {}, "in.txt:1 行目：表示の「ー」"},
        {"display text outside Shift_JIS", "花😀\tはな\n", {}, "「😀」(U+1F600)"},
        {"input that is not UTF-8", "花\tはな\n\x82\xa0\tあ\n", {}, "in.txt:2 行目：UTF-8"},
        {"nothing but comments", "# なし\n\n", {}, "問題が一つもありません"},
        {"title with a double quote", "花\tはな\n", {"--title", "\"x\""}, "タイトルに「\"」"},
        {"level above 10", "花\tはな\n", {"--level", "11"}, "--level"},
        {"time limit 0", "花\tはな\n", {"--time", "0"}, "--time"},
        {"count above the number of problems", "花\tはな\n", {"--count", "2"}, "--count"},
        {"asset folder outside the practice folder",
         "花\tはな\n",
         {"--assets", "..\\..\\tmp\\"},
         "--assets"},
        {"502 items", "長い\t" + repeated("あ", 484) + "\n", {}, "項目が多すぎます：502 / 501"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("in.txt", c.input);
        dir.write("out.ksd", "old");
        std::vector<std::string> args{"make", "--time", "60"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {dir.path("in.txt"), "-o", dir.path("out.ksd")});
        const ToolRun run = runTool(dir, withTable(args));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(dir.read("out.ksd"), "old");
        EXPECT_EQ(dir.listing(), "in.txt\nout.ksd\nrun.stderr\nrun.stdout\n");
    }
}

TEST(Make, CapacityIsCheckedAtItsEdge)
{
    struct Case
    {
        const char *name;
        bool exam;
        std::string input;
        int exitCode;
    };
    // A practice file holds 14 header items, "@" and a display text per
    // problem, the tokens, and the two items of the sentinel.
    const std::vector<Case> cases{
        {"501 items", false, "長い\t" + repeated("あ", 483) + "\n", 0},
        {"502 items", false, "長い\t" + repeated("あ", 484) + "\n", 1},
        {"51 phrases", true, repeated("か\n", 51), 0},
        {"52 phrases", true, repeated("か\n", 52), 1},
        {"1000 exam items", true, repeated("あ", 999) + "\n", 0},
        {"1001 exam items", true, repeated("あ", 1000) + "\n", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("in.txt", c.input);
        std::vector<std::string> args{"make"};
        if (c.exam)
            args.push_back("--exam");
        else
            args.insert(args.end(), {"--time", "60"});
        args.insert(args.end(), {dir.path("in.txt"), "-o", dir.path("out.ksd")});
        const ToolRun made = runTool(dir, withTable(args));
        EXPECT_EQ(made.exitCode, c.exitCode) << made.err;
        if (c.exitCode != 0)
            continue;
        // What make accepts, the game accepts too.
        const ToolRun lines = runTool(
            dir, withTable({"lines", c.exam ? "--exam" : "--practice", dir.path("out.ksd")}));
        EXPECT_EQ(lines.exitCode, 0) << lines.err;
    }
}

// What the game would refuse unread, make refuses too: a file over the
// game's size limit is not written, and an older file there stays.
TEST(Make, AFileTooLargeForTheGameIsNotWritten)
{
    TempDir dir;
    // One long display text, just within the input's own limit: the header
    // and the end marker take the file past the game's.
    dir.write("in.txt", std::string(kMaxTextFileBytes - 8, 'x') + "\tあ\n");
    dir.write("out.ksd", "old");
    const ToolRun made = runTool(
        dir, withTable({"make", "--time", "60", dir.path("in.txt"), "-o", dir.path("out.ksd")}));
    EXPECT_EQ(made.exitCode, 1);
    EXPECT_NE(made.err.find("ファイルが大きすぎます"), std::string::npos) << made.err;
    EXPECT_EQ(dir.read("out.ksd"), "old");
    const ToolRun piped = runTool(dir, withTable({"make", "--time", "60", dir.path("in.txt")}));
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_EQ(piped.out, "");
}

// ---------------------------------------------------------------- check == plays

// A file that check passes is one the game plays, and one it refuses the
// game refuses for the same reason: each case is run through the game's own
// check (what the practice screen calls when the player confirms a file) and
// through ksdtool check as a program, on one game folder.
struct PlayCase
{
    const char *name;
    std::string assets = "standard\\";
    std::string body = "@,赤い花,あ,か,い,は,な\r\n@,end\r\n";
    std::string count = "1";
    std::string time = "60";
    // Changes to the fresh game folder before the file is checked.
    std::function<void(const TempDir &dir)> arrange = [](const TempDir &) {};
    std::optional<ks::ErrorCode> refusal;
};

std::string practiceFileWith(const PlayCase &c)
{
    return cp932("タイトル,花\r\nレベル,3\r\n問題数," + c.count + "\r\n制限時間," + c.time +
                 "\r\n素材フォルダ," + (c.assets.empty() ? "\"\"" : c.assets) +
                 "\r\n文字サイズ,20\r\n作者,山田\r\n" + c.body);
}

// The five files of an asset folder, copied from the built standard ones.
void layOutAssets(const TempDir &dir, const std::string &folder)
{
    std::filesystem::create_directories(dir.path(folder));
    for (const char *name : {"target.bmp", "gun.wav", "set.wav", "miss.wav", "brake.wav"})
        std::filesystem::copy_file(kBuiltGame + "/practice/standard/" + name,
                                   dir.path(folder + "/" + name));
}

std::optional<ks::ErrorCode> gameRefusal(const std::string &game, const std::string &file)
{
    ks::Result<std::vector<std::string>> items =
        ks::ReadProblemItems(file, ks::kPracticeItemCapacity);
    if (!items)
        return items.error().code;
    ks::Result<ks::RomajiTable> table = ks::loadRomajiTableForPlay(game + "/roumazi.dat");
    EXPECT_TRUE(table.ok());
    ks::Result<ks::PlayablePractice> playable =
        ks::confirmPracticeFile(*items, *table, file, ks::AppDir(game));
    return playable ? std::nullopt : std::optional(playable.error().code);
}

TEST(CheckPlays, CheckRefusesExactlyWhatTheGameRefuses)
{
    using ks::ErrorCode;
    const std::vector<PlayCase> cases{
        {.name = "the shipped standard folder"},
        {.name = "standard without its backslash", .assets = "standard"},
        {.name = "an empty folder: practice\\ itself, which holds no target",
         .assets = "",
         .refusal = ErrorCode::NotFound},
        {.name = "a folder that is not there",
         .assets = "nosuch\\",
         .refusal = ErrorCode::NotFound},
        {.name = "a folder of its own beside the file",
         .assets = "mine\\",
         .arrange = [](const TempDir &dir) { layOutAssets(dir, "game/practice/mine"); }},
        {.name = "a folder without its miss sound",
         .assets = "quiet\\",
         .arrange =
             [](const TempDir &dir) {
                 layOutAssets(dir, "game/practice/quiet");
                 std::filesystem::remove(dir.path("game/practice/quiet/miss.wav"));
             },
         .refusal = ErrorCode::NotFound},
        {.name = "a FIFO for a target",
         .assets = "pipe\\",
         .arrange =
             [](const TempDir &dir) {
                 layOutAssets(dir, "game/practice/pipe");
                 std::filesystem::remove(dir.path("game/practice/pipe/target.bmp"));
                 ASSERT_EQ(::mkfifo(dir.path("game/practice/pipe/target.bmp").c_str(), 0644), 0);
             },
         .refusal = ErrorCode::Unreadable},
        {.name = "a folder that climbs out of practice\\",
         .assets = "..\\..\\elsewhere\\",
         .arrange = [](const TempDir &dir) { layOutAssets(dir, "elsewhere"); },
         .refusal = ErrorCode::UnsafeAssetFolder},
        {.name = "an absolute folder", .assets = "/tmp\\", .refusal = ErrorCode::UnsafeAssetFolder},
        {.name = "a kana of the game's table before the first @",
         .body = "か\r\n@,赤,あ\r\n@,end\r\n",
         .refusal = ErrorCode::KanaBeforeFirstProblem},
        {.name = "a time limit under a second",
         .time = "0.5",
         .refusal = ErrorCode::UnplayableTimeLimit},
        {.name = "a negative count", .count = "-1", .refusal = ErrorCode::UnplayableProblemCount},
        {.name = "502 items",
         .body = "@,長い" + repeated(",あ", 484) + "\r\n@,end\r\n",
         .refusal = ErrorCode::TooManyItems},
    };
    for (const PlayCase &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        layOutGame(dir.path("game"));
        c.arrange(dir);
        const std::string file = dir.path("game/practice/f.ksd");
        dir.write("game/practice/f.ksd", practiceFileWith(c));

        EXPECT_EQ(gameRefusal(dir.path("game"), file), c.refusal);

        const ToolRun run = runTool(dir, {"check", "--game", dir.path("game"), file});
        if (!c.refusal) {
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
            EXPECT_EQ(run.out, "OK\n");
            continue;
        }
        EXPECT_EQ(run.exitCode, 1) << run.out;
        const std::string reason = ks::Error{*c.refusal, ""}.message();
        EXPECT_NE(run.out.find("error: " + reason), std::string::npos)
            << "expected: " << reason << "\n"
            << run.out;
    }
}

// A game folder is played with that game's romaji table, unless told another.
TEST(CheckPlays, AGivenGameIsPlayedWithItsOwnTable)
{
    TempDir dir;
    layOutGame(dir.path("game"));
    // This game's player spells あ "aa"; a file of nothing but あ still plays.
    ks::Result<std::string> table = ks::readTextFile(dir.path("game/roumazi.dat"));
    ASSERT_TRUE(table.ok());
    std::string edited = *table;
    edited.replace(edited.find("あ,a\r\n"), 5, "ぬ,zz\r\n");
    dir.write("game/roumazi.dat", cp932(edited));
    PlayCase c{.name = "", .body = "あ\r\n@,赤,か\r\n@,end\r\n"};
    dir.write("game/practice/f.ksd", practiceFileWith(c));
    const ToolRun own =
        runTool(dir, {"check", "--game", dir.path("game"), dir.path("game/practice/f.ksd")});
    EXPECT_EQ(own.exitCode, 0) << own.out;
    const ToolRun shipped = runTool(dir, {"check", "--game", dir.path("game"), "--table",
                                          kShippedTable, dir.path("game/practice/f.ksd")});
    EXPECT_EQ(shipped.exitCode, 1) << shipped.out;
}

// A table the romaji editor of an earlier version could save with an input
// method on ("shi" then Space: an ideographic space) is refused by check as
// by the game, naming the kana, never called OK.
TEST(CheckPlays, ATableWithARomajiNoKeyTypesIsRefused)
{
    TempDir dir;
    layOutGame(dir.path("game"));
    ks::Result<std::string> table = ks::readTextFile(dir.path("game/roumazi.dat"));
    ASSERT_TRUE(table.ok());
    std::string edited = *table;
    const std::string shi = "し,shi\r\n";
    edited.replace(edited.find(shi), shi.size(), "し,shi\u3000\r\n");
    dir.write("game/roumazi.dat", cp932(edited));
    PlayCase c{.name = "", .body = "@,寿司,す,し\r\n@,end\r\n"};
    dir.write("game/practice/f.ksd", practiceFileWith(c));
    const ToolRun run =
        runTool(dir, {"check", "--game", dir.path("game"), dir.path("game/practice/f.ksd")});
    EXPECT_NE(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.find("OK"), std::string::npos) << run.out;
    EXPECT_NE(
        run.err.find("「し」のローマ字「shi　」は打てません。キーで打てない全角の空白があります"),
        std::string::npos)
        << run.err;
}

// A line wider than the play page still plays (the game scrolls the romaji
// and wraps the display text), so check warns and says what will happen;
// the romaji is measured at the file's own font size.
TEST(CheckPlays, LinesWiderThanThePlayPageAreWarnedOf)
{
    TempDir dir;
    dir.write("in.txt", "字\t" + repeated("か", 30) + "\n" + repeated("長い", 16) + "\tながい\n");
    struct Case
    {
        const char *font;
        bool romajiFits;
    };
    for (const Case &c : {Case{"14", true}, Case{"20", false}}) {
        SCOPED_TRACE(c.font);
        const ToolRun made = runTool(dir, withTable({"make", "--time", "60", "--font", c.font,
                                                     dir.path("in.txt"), "-o", dir.path("f.ksd")}));
        ASSERT_EQ(made.exitCode, 0) << made.err;
        const ToolRun run = runTool(dir, withTable({"check", dir.path("f.ksd")}));
        EXPECT_EQ(run.exitCode, 0) << run.out;
        const std::vector<std::string> lines = linesOf(run.out);
        std::vector<std::string> expected;
        if (!c.romajiFits)
            expected.push_back(
                std::string("warning: 問題 0「字」（14 番の項目）：ローマ字の幅が文字サイズ ") +
                c.font + " で");
        expected.push_back("warning: 問題 1「" + repeated("長い", 16) +
                           "」（46 番の項目）：表示の幅が ");
        expected.push_back(c.romajiFits ? "0 errors, 1 warning" : "0 errors, 2 warnings");
        ASSERT_EQ(lines.size(), expected.size()) << run.out;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].starts_with(expected[i])) << lines[i];
        EXPECT_NE(run.out.find("ゲームでは折り返すか、文字を小さくします"), std::string::npos);
        EXPECT_EQ(
            run.out.find("ゲームでは次に打つ文字から表示し、続きは打つにつれて見えてきます") ==
                std::string::npos,
            c.romajiFits);
    }
}

// ---------------------------------------------------------------- readings

// Plain lines get their readings in hiragana; digits stay digits, letters
// are spelled by their names, the table's marks are kept in its form and
// other marks dropped; comments, blank lines and lines with a reading pass.
TEST(Readings, FillsInTheReadingOfEachPlainLine)
{
    TempDir dir;
    dir.write("in.txt", "# ことわざ\n"
                        "猿も木から落ちる\n"
                        "\n"
                        "コーヒーを飲む\n"
                        "1月、PCを3台買った!\n"
                        "「本」を読む？\n"
                        "学校\tがっこう\n");
    const ToolRun run = runTool(dir, {"readings", dir.path("in.txt"), "-o", dir.path("sheet.tsv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.read("sheet.tsv"), "# ことわざ\n"
                                     "猿も木から落ちる\tさるもきからおちる\n"
                                     "\n"
                                     "コーヒーを飲む\tこーひーをのむ\n"
                                     "1月、PCを3台買った!\t１がつ、ぴーしーを３だいかった！\n"
                                     "「本」を読む？\tほんをよむ？\n"
                                     "学校\tがっこう\n");
    // The sheet makes a file as it stands.
    const ToolRun made = runTool(
        dir, withTable({"make", "--time", "60", dir.path("sheet.tsv"), "-o", dir.path("f.ksd")}));
    EXPECT_EQ(made.exitCode, 0) << made.err;
}

// A word the dictionary cannot read stays as written, for the teacher to
// correct, and is named; make refuses the sheet until it is corrected.
TEST(Readings, AWordWithoutAReadingIsNamedAndLeftForTheTeacher)
{
    TempDir dir;
    dir.write("in.txt", "犇犇たる\n");
    const ToolRun run = runTool(dir, {"readings", dir.path("in.txt")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "犇犇たる\t犇犇たる\n");
    EXPECT_NE(run.err.find("in.txt:1 行目：「犇犇」の読みが分かりません"), std::string::npos)
        << run.err;
    dir.write("sheet.tsv", run.out);
    const ToolRun made = runTool(dir, withTable({"make", "--time", "60", dir.path("sheet.tsv")}));
    EXPECT_EQ(made.exitCode, 1);
    EXPECT_NE(made.err.find("sheet.tsv:1 行目：読みの「犇」"), std::string::npos) << made.err;
}

// ---------------------------------------------------------------- make, the teacher's spellings

// Digits, "!" and "?" typed plainly are the table's full-width ones.
TEST(Make, AsciiDigitsAndMarksInAReadingAreTheTablesFullWidthOnes)
{
    TempDir dir;
    dir.write("in.txt", "３時！\t3じ!\n何？\tなに?\n");
    const ToolRun made = runTool(
        dir, withTable({"make", "--time", "60", dir.path("in.txt"), "-o", dir.path("f.ksd")}));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const ToolRun lines = runTool(dir, withTable({"lines", dir.path("f.ksd")}));
    EXPECT_EQ(lines.out, "0\t３時！\t3ji!\n1\t何？\tnani?\n2\tend\t\ntotal 9\n");
}

// However the folder is spelled, the file names it as the game's files do.
TEST(Make, TheAssetFolderIsWrittenTheWayTheGameReadsIt)
{
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {std::nullopt, "standard\\"},
        {"standard", "standard\\"},
        {"standard/", "standard\\"},
        {"standard\\", "standard\\"},
        {"pics/flowers", "pics\\flowers\\"}};
    for (const auto &[given, written] : cases) {
        SCOPED_TRACE(given.value_or("(none)"));
        TempDir dir;
        dir.write("in.txt", "花\tはな\n");
        std::vector<std::string> args{"make", "--time", "60"};
        if (given)
            args.insert(args.end(), {"--assets", *given});
        args.insert(args.end(), {dir.path("in.txt"), "-o", dir.path("f.ksd")});
        const ToolRun made = runTool(dir, withTable(args));
        ASSERT_EQ(made.exitCode, 0) << made.err;
        ks::Result<std::vector<std::string>> items =
            ks::ReadProblemItems(dir.path("f.ksd"), ks::kPracticeItemCapacity);
        ASSERT_TRUE(items.ok());
        EXPECT_EQ(ks::practiceHeader(*items).assetFolder, written);
    }
}

// A sheet too long for one file names the line where it stops fitting and
// says to split it.
TEST(Make, ACapacityErrorNamesTheLineAndSaysToSplitTheFile)
{
    TempDir dir;
    std::string sheet;
    for (int i = 0; i < 40; ++i)
        sheet += "字\t" + repeated("か", 20) + "\n"; // 22 items each
    dir.write("in.txt", sheet);
    const ToolRun made = runTool(dir, withTable({"make", "--time", "60", dir.path("in.txt")}));
    EXPECT_EQ(made.exitCode, 1);
    // 14 header items and 22 a problem: the 23rd problem, line 23, ends at item 519.
    EXPECT_NE(made.err.find("項目が多すぎます：896 / 501 項目。"), std::string::npos) << made.err;
    EXPECT_NE(
        made.err.find("in.txt:23 行目：ここから先が入りません。ファイルを二つ以上に分けて下さい"),
        std::string::npos)
        << made.err;

    dir.write("exam.txt", repeated("か\n", 52));
    const ToolRun exam = runTool(dir, withTable({"make", "--exam", dir.path("exam.txt")}));
    EXPECT_EQ(exam.exitCode, 1);
    EXPECT_NE(exam.err.find("問題が多すぎます：52 / 51 問。"), std::string::npos) << exam.err;
    EXPECT_NE(exam.err.find("exam.txt:52 行目：ここから先が入りません"), std::string::npos)
        << exam.err;
}

// ---------------------------------------------------------------- usage

TEST(Usage, MistakesOnTheCommandLineExitWithStatus2)
{
    const std::vector<std::vector<std::string>> cases{
        {},
        {"frobnicate", "--table", kTable, "a.ksd"},
        {"lines", "--table", kTable},
        {"check", "a.ksd", "--game"},
        {"lines", "--game", "/tmp", "a.ksd"},
        {"lines", "--table", kTable, "--bogus", "a.ksd"},
        {"lines", "--table", kTable, "a.ksd", "b.ksd"},
        {"lines", "--table"},
        {"lines", "--table", kTable, "-o", "out.ksd", "a.ksd"},
        {"check", "--table", kTable, "--exam", "--practice", "a.ksd"},
        {"make", "--table", kTable, "in.txt"},
        {"make", "--table", kTable, "--exam", "--title", "x", "in.txt"},
    };
    for (const std::vector<std::string> &args : cases) {
        std::string shown;
        for (const std::string &arg : args)
            shown += " " + arg;
        SCOPED_TRACE("ksdtool" + shown);
        TempDir dir;
        const ToolRun run = runTool(dir, args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Usage"), std::string::npos) << run.err;
    }
}

TEST(Usage, HelpGoesToStandardOutputWithStatus0)
{
    TempDir dir;
    const ToolRun run = runTool(dir, {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("ksdtool make"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(Usage, UnreadableTableIsABadInput)
{
    TempDir dir;
    dir.write("a.ksd", practiceFile("@,赤,あ\r\n@,end\r\n"));
    const ToolRun run = runTool(dir, {"lines", "--table", dir.path("none.dat"), dir.path("a.ksd")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("none.dat"), std::string::npos) << run.err;
}

} // namespace
