// The practice mode as a player meets it: the selection page, a run against
// the clock, and the result screen, on the manual clock.
#include "core/textfile.h"
#include "screens/practice/fileload.h"
#include "shell/records/records.h"
#include "shell/units.h"
#include "support/gamefixture.h"

#include <QImage>
#include <QLabel>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sstream>

namespace ks {
namespace {

const char *const kSettings =
    "100\r\n200\r\n/m/a.mid\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n";

std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct Header
{
    std::string title = "花の名前";
    std::string level = "3";
    std::string count = "2";
    std::string time = "60";
    std::string assets = "standard\\";
    std::string font = "20";
    std::string author = "山田";
};

struct Problem
{
    std::string display;
    std::vector<std::string> tokens;
};

// A practice file as a player would write one: seven header lines of a free
// label and a value, then "@", the display text and the kana tokens of each
// problem, then the end marker.
std::string practiceFile(const Header &h, const std::vector<Problem> &problems,
                         bool endMarker = true)
{
    std::string text = "タイトル," + h.title + "\r\nレベル," + h.level + "\r\n問題数," + h.count +
                       "\r\n制限時間," + h.time + "\r\n素材," + h.assets + "\r\n文字," + h.font +
                       "\r\n作者," + h.author + "\r\n";
    for (const Problem &p : problems) {
        text += "@," + p.display;
        for (const std::string &token : p.tokens)
            text += "," + token;
        text += "\r\n";
    }
    if (endMarker)
        text += "@,end\r\n";
    return test::cp932(text);
}

// "aka", "ika" and "kai" with the shipped table.
const std::vector<Problem> kThree = {
    {"赤", {"あ", "か"}}, {"烏賊", {"い", "か"}}, {"貝", {"か", "い"}}};

class PracticeTest : public test::GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        dir.write("settei.dat", kSettings);
        dir.write("roumazi.dat", readBytes(std::string(KS_DATA_DIR) + "/roumazi.dat"));
        writeTarget("practice/standard/");
    }

    // A target sheet of 2 × 4 cells, as the build draws them, and the four
    // sounds beside it (the recording sound service never opens them).
    void writeTarget(const std::string &folder)
    {
        QImage sheet(804, 594, QImage::Format_RGB32);
        sheet.fill(Qt::darkRed);
        std::filesystem::create_directories(dir.path(folder));
        ASSERT_TRUE(sheet.save(QString::fromStdString(dir.path(folder + "target.bmp")), "BMP"));
        for (const char *effect : {"gun.wav", "set.wav", "miss.wav", "brake.wav"})
            dir.write(folder + effect, "RIFF");
    }
    void writeFile(const std::string &name, const Header &h,
                   const std::vector<Problem> &problems = kThree, bool endMarker = true)
    {
        dir.write("practice/" + name, practiceFile(h, problems, endMarker));
    }

    // From the menu's second item, as a player opens it.
    void openPractice()
    {
        if (!screen(ScreenName::Kidou).isLoaded())
            host().show(ScreenName::Kidou);
        while (caption(ScreenName::Kidou, QStringLiteral("Erabi")) != "練習問題編")
            press(Qt::Key_Right);
        press(Qt::Key_Return, "\r");
    }
    // Return on the first file, Return again, and the first target up.
    void startRun()
    {
        openPractice();
        press(Qt::Key_Return, "\r");
        ASSERT_EQ(stage(), PracticeStage::Prepared);
        press(Qt::Key_Return, "\r");
        clock.advance(200);
        ASSERT_EQ(stage(), PracticeStage::Typing);
    }

    FileLoad &fileLoad() { return host().screenAs<FileLoad>(ScreenName::FileLoad); }
    PracticeStage stage() { return fileLoad().shared().Stage; }
    QString fl(const char *id) { return caption(ScreenName::FileLoad, QString::fromLatin1(id)); }
    QString targetCell()
    {
        const QString name = picture(ScreenName::FileLoad, QStringLiteral("MatoP"));
        return name.mid(name.lastIndexOf('#') + 1);
    }
    QString face() { return picture(ScreenName::FileLoad, QStringLiteral("Kao")); }
    QString kekka(const char *id) { return caption(ScreenName::Kekka, QString::fromLatin1(id)); }
};

// ---------------------------------------------------------------- the selection page

struct HeaderCase
{
    const char *level;
    const char *count;
    const char *time;
    int barWidth;
    const char *kazu;
    const char *zikan;
};

TEST_F(PracticeTest, TheHeaderOfTheSelectedFile)
{
    const HeaderCase cases[] = {
        {"5", "2", "60", 152, "問題数　2問", "制限時間　60秒"},
        {"10", "2", "60", 305, "問題数　2問", "制限時間　60秒"},
        {"abc", "x", "二分", 0, "問題数　x問", "制限時間　二分秒"}, // shown as written
        {"-2", "2", "60", 0, "問題数　2問", "制限時間　60秒"},
        {"40", "2", "60", 305, "問題数　2問", "制限時間　60秒"}, // the bar's own width at most
    };
    for (const HeaderCase &c : cases) {
        Header h;
        h.level = c.level;
        h.count = c.count;
        h.time = c.time;
        writeFile("a.ksd", h);
        openPractice();
        ASSERT_TRUE(screen(ScreenName::FileLoad).isShown());
        EXPECT_FALSE(screen(ScreenName::Kidou).isShown());
        EXPECT_EQ(control<Panel>(ScreenName::FileLoad, "Level").width(), c.barWidth) << c.level;
        EXPECT_EQ(fl("LabKazu"), c.kazu);
        EXPECT_EQ(fl("LabTime"), c.zikan);
        EXPECT_EQ(fl("LabTitle"), "花の名前");
        EXPECT_EQ(fl("LabSakusya"), "山田");
        EXPECT_EQ(fl("LabNum"), "1/1");
        EXPECT_EQ(
            fl("Label2(0)"),
            "練習問題のコーナーへようこそ。左右のカーソルキーで問題ファイルを選択後、リターンキー"
            "で決定して下さい。");
        EXPECT_TRUE(dialogs.log.isEmpty());
        press(Qt::Key_Escape, "\x1b");
        ASSERT_TRUE(screen(ScreenName::Kidou).isShown());
        EXPECT_FALSE(screen(ScreenName::FileLoad).isLoaded());
    }
}

// Left from the first file goes to the last, Right from the last to the
// first; the list is in name order.
TEST_F(PracticeTest, LeftAndRightWrapAroundTheList)
{
    for (const char *name : {"b.ksd", "c.KSD", "a.ksd"}) {
        Header h;
        h.title = name;
        writeFile(name, h);
    }
    dir.write("practice/notes.txt", "x");
    openPractice();
    EXPECT_EQ(fl("LabTitle"), "a.ksd");
    const std::pair<int, const char *> steps[] = {{Qt::Key_Left, "3/3 c.KSD"},
                                                  {Qt::Key_Right, "1/3 a.ksd"},
                                                  {Qt::Key_Right, "2/3 b.ksd"},
                                                  {Qt::Key_Right, "3/3 c.KSD"},
                                                  {Qt::Key_Right, "1/3 a.ksd"}};
    for (const auto &[key, expected] : steps) {
        press(key);
        EXPECT_EQ(fl("LabNum") + ' ' + fl("LabTitle"), expected);
    }
}

// With one file both keys read it again from disk.
TEST_F(PracticeTest, WithOneFileLeftAndRightReadItAgain)
{
    writeFile("a.ksd", Header());
    openPractice();
    for (int key : {Qt::Key_Left, Qt::Key_Right}) {
        Header h;
        h.title = key == Qt::Key_Left ? "左" : "右";
        writeFile("a.ksd", h);
        press(key);
        EXPECT_EQ(fl("LabNum"), "1/1");
        EXPECT_EQ(fl("LabTitle"), QString::fromUtf8(h.title.c_str()));
    }
}

struct BrokenCase
{
    const char *what;
    std::function<void()> breakIt;
    const char *said = "";
};

// Anything wrong while the screen loads: a message that names what is wrong,
// and the screen stays as far as it got; the next key tells the second
// message and the menu comes back. Nothing is written.
TEST_F(PracticeTest, LoadFailuresTellTheFirstMessageThenTheSecond)
{
    const std::string table = readBytes(std::string(KS_DATA_DIR) + "/roumazi.dat");
    std::string twelveLines;
    for (int i = 0; i < 12; ++i)
        twelveLines += "1\r\n";
    const BrokenCase cases[] = {
        {"no practice folder", [&] { std::filesystem::remove_all(dir.path("practice")); },
         "練習問題ファイルが見付かりません。"},
        {"no practice file",
         [&] {
             std::filesystem::remove(dir.path("practice/a.ksd"));
             dir.write("practice/read.txt", "x");
         },
         "練習問題ファイルが見付かりません。"},
        {"settings too long", [&] { dir.write("settei.dat", twelveLines); },
         "設定ファイル（settei.dat）の行が多すぎます。"},
        {"settings missing", [&] { std::filesystem::remove(dir.path("settei.dat")); },
         "設定ファイル（settei.dat）が見付かりません。"},
        {"settings undecodable", [&] { dir.write("settei.dat", "100\r\n\x81\x20\r\n"); },
         "設定ファイル（settei.dat）に読めない文字があります。"},
        {"table too long", [&] { dir.write("roumazi.dat", table + test::cp932("ん,n\r\n")); },
         "ローマ字表（roumazi.dat）の項目が多すぎます。"},
        {"table missing", [&] { std::filesystem::remove(dir.path("roumazi.dat")); },
         "ローマ字表（roumazi.dat）が見付かりません。"},
        // Saved by an editor with the input method on: no problem with し
        // could ever be finished.
        {"a romaji no key types",
         [&] {
             std::string bad = table;
             const std::string shi = test::cp932("し,shi\r\n");
             bad.replace(bad.find(shi), shi.size(), test::cp932("し,shi　\r\n"));
             dir.write("roumazi.dat", bad);
         },
         "ローマ字表（roumazi."
         "dat）の「し」のローマ字「shi　」は打てません。キーで打てない全角の空白"
         "があります。オプションの「ローマ字カスタマイズ」で直して下さい。"},
    };
    for (const BrokenCase &c : cases) {
        std::filesystem::remove_all(dir.path("practice"));
        writeTarget("practice/standard/");
        writeFile("a.ksd", Header());
        dir.write("settei.dat", kSettings);
        dir.write("roumazi.dat", table);
        c.breakIt();
        const std::string settings = dir.read("settei.dat");
        dialogs.log.clear();
        openPractice();
        ASSERT_EQ(dialogs.log, QStringList{QStringLiteral("message: ") + QString::fromUtf8(c.said)})
            << c.what;
        dialogs.answerAll();
        EXPECT_TRUE(screen(ScreenName::FileLoad).isShown()) << c.what;
        press(Qt::Key_Left);
        EXPECT_EQ(dialogs.log.value(1),
                  "message: 問題が見付からないか、不正な問題ファイルがあります。")
            << c.what;
        dialogs.answerAll();
        EXPECT_FALSE(screen(ScreenName::FileLoad).isLoaded()) << c.what;
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown()) << c.what;
        EXPECT_EQ(dir.read("settei.dat"), settings) << c.what;
    }
}

// A folder of more files than the page lists: the first 1000 by name are
// listed and played, and one box says how many were left out and names the
// unreadable ones among the listed, the first five and how many more.
TEST_F(PracticeTest, AFolderOfTooManyFilesListsTheFirstThousand)
{
    Header header;
    for (int i = 0; i < 1010; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.ksd", i);
        header.title = name;
        if (i % 100 == 1 && i < 800)
            dir.write(std::string("practice/") + name, "\x81\x20,x\r\n"); // 8 unreadable
        else
            writeFile(name, header);
    }
    openPractice();
    ASSERT_EQ(dialogs.log.size(), 1);
    const QString said = dialogs.log[0];
    for (const char *named : {"0001.ksd", "0101.ksd", "0201.ksd", "0301.ksd", "0401.ksd"})
        EXPECT_TRUE(said.contains(QStringLiteral("「%1」に読めない文字").arg(named))) << named;
    EXPECT_FALSE(said.contains("0501.ksd"));
    EXPECT_TRUE(said.contains("ほかに 3 個のファイルも読めません。"));
    EXPECT_TRUE(said.endsWith("名前の順に 1000 個までを一覧にして、残りの 2 個は外しました。"))
        << said.toStdString();
    dialogs.answerAll();
    EXPECT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(fl("LabNum") + ' ' + fl("LabTitle"), "1/1000 0000.ksd");
    press(Qt::Key_Left); // round to the last listed
    EXPECT_EQ(fl("LabNum") + ' ' + fl("LabTitle"),
              "1000/1000 " + QString("%1.ksd").arg(1007, 4, 10, QChar('0')));
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(stage(), PracticeStage::Prepared);
}

// A header's control characters are never shown: a title with a NUL shows
// the text around it.
TEST_F(PracticeTest, ControlCharactersInTheHeaderAreNotShown)
{
    Header header;
    header.title = std::string("花の\0名前", 13);
    header.author = "山\t田";
    writeFile("a.ksd", header);
    openPractice();
    EXPECT_EQ(fl("LabTitle"), "花の名前");
    EXPECT_EQ(fl("LabSakusya"), "山田");
}

// A file that cannot be read is left out of the list, and the page names it
// in one box before it shows the others; with no other file, the page goes
// on as with none at all.
TEST_F(PracticeTest, AnUnreadableFileIsNamedOnceAndTheOthersPlay)
{
    const std::string tooLong =
        practiceFile(Header(), std::vector<Problem>(200, Problem{"字", {"あ"}}));
    const struct
    {
        const char *what;
        std::string bytes;
        const char *said;
    } cases[] = {
        {"too long", tooLong, "練習問題ファイル「a.ksd」の項目が多すぎます。"},
        {"undecodable", "\x81\x20,x\r\n", "練習問題ファイル「a.ksd」に読めない文字があります。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("practice/a.ksd", c.bytes);
        Header other;
        other.title = "読める";
        writeFile("b.ksd", other);
        writeFile("c.ksd", other);
        dialogs.log.clear();
        openPractice();
        ASSERT_EQ(dialogs.log, QStringList{QStringLiteral("message: ") + QString::fromUtf8(c.said) +
                                           QStringLiteral("\nこのファイルは一覧から外しました。")});
        dialogs.answerAll();
        EXPECT_EQ(dialogs.log.size(), 1);
        EXPECT_EQ(fl("LabNum") + ' ' + fl("LabTitle"), "1/2 読める");
        press(Qt::Key_Return, "\r");
        EXPECT_EQ(stage(), PracticeStage::Prepared);
        press(Qt::Key_Escape, "\x1b");

        std::filesystem::remove(dir.path("practice/b.ksd"));
        std::filesystem::remove(dir.path("practice/c.ksd"));
        dialogs.log.clear();
        openPractice();
        dialogs.answerAll();
        EXPECT_EQ(dialogs.log.value(1), "message: 練習問題ファイルが見付かりません。");
        dialogs.answerAll();
        press(Qt::Key_Left);
        EXPECT_EQ(dialogs.log.value(2),
                  "message: 問題が見付からないか、不正な問題ファイルがあります。");
        dialogs.answerAll();
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    }
}

// A practice file written on Linux is most likely UTF-8: it is read as such
// when it is no code page 932, and plays like any other.
TEST_F(PracticeTest, AUtf8FileIsReadAsUtf8)
{
    dir.write("practice/a.ksd", "タイトル,ユーティーエフ\nレベル,2\n問題数,1\n制限時間,60\n"
                                "素材,standard\\\n文字,20\n作者,林\n@,赤,あ,か\n@,end\n");
    openPractice();
    ASSERT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join('\n').toStdString();
    EXPECT_EQ(fl("LabTitle"), "ユーティーエフ");
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    clock.advance(200);
    EXPECT_EQ(fl("Alufabet"), "aka");
}

// Anything wrong with the chosen file when it is read or prepared: the
// second message, then the menu. The selection page stays behind the box.
TEST_F(PracticeTest, BrokenFilesAreRefusedWithTheSecondMessage)
{
    // Something the player would type, standing before the first problem.
    const auto beforeTheFirstProblem = [&](const char *kana) {
        std::string text = practiceFile(Header(), kThree);
        text.insert(text.find('@'), test::cp932(kana) + "\r\n");
        dir.write("practice/b.ksd", text);
    };
    const auto withHeader = [&](std::string Header::*item, const std::string &value) {
        Header h;
        h.*item = value;
        writeFile("b.ksd", h);
    };
    const BrokenCase cases[] = {
        {"a kana before the first @", [&] { beforeTheFirstProblem("か"); }},
        {"a comma before the first @", [&] { beforeTheFirstProblem("、"); }},
        {"a time limit of 0", [&] { withHeader(&Header::time, "0"); }},
        {"a time limit under a second", [&] { withHeader(&Header::time, "0.5"); }},
        {"a negative count", [&] { withHeader(&Header::count, "-2"); }},
        {"no target picture", [&] { withHeader(&Header::assets, "nowhere\\"); }},
        {"no shot sound",
         [&] {
             writeTarget("practice/quiet/");
             std::filesystem::remove(dir.path("practice/quiet/gun.wav"));
             withHeader(&Header::assets, "quiet\\");
         }},
        // Pictures and sounds come from inside the practice folder only.
        {"an asset folder that climbs out",
         [&] {
             writeTarget("outside/");
             withHeader(&Header::assets, "..\\outside\\");
         }},
        {"an absolute asset folder",
         [&] {
             writeTarget("outside/");
             withHeader(&Header::assets, dir.path("outside/"));
         }},
        {"a FIFO as the target picture",
         [&] {
             std::filesystem::create_directories(dir.path("practice/pipe"));
             ASSERT_EQ(::mkfifo(dir.path("practice/pipe/target.bmp").c_str(), 0644), 0);
             withHeader(&Header::assets, "pipe\\");
         }},
    };
    writeFile("a.ksd", Header());
    for (const BrokenCase &c : cases) {
        c.breakIt();
        dialogs.log.clear();
        openPractice();
        press(Qt::Key_Right);
        ASSERT_EQ(fl("LabNum"), "2/2") << c.what;
        press(Qt::Key_Return, "\r");
        ASSERT_EQ(dialogs.log,
                  QStringList{"message: 問題が見付からないか、不正な問題ファイルがあります。"})
            << c.what;
        EXPECT_EQ(control<Panel>(ScreenName::FileLoad, "Panel1").y(), 0) << c.what;
        dialogs.answerAll();
        EXPECT_FALSE(screen(ScreenName::FileLoad).isLoaded()) << c.what;
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown()) << c.what;
    }
}

// A file that went missing after it was listed.
TEST_F(PracticeTest, AFileGoneFromTheListIsTheSecondMessage)
{
    writeFile("a.ksd", Header());
    writeFile("b.ksd", Header());
    openPractice();
    std::filesystem::remove(dir.path("practice/b.ksd"));
    press(Qt::Key_Right);
    EXPECT_EQ(dialogs.log,
              QStringList{"message: 問題が見付からないか、不正な問題ファイルがあります。"});
    dialogs.answerAll();
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
}

// An install the player cannot write: their settings live in their own
// folder, and the practice list holds the shipped files and their own, by
// name; their file may use the shipped target or bring its own.
class PlayerFolderTest : public PracticeTest
{
protected:
    void SetUp() override
    {
        playerFolder = "player";
        PracticeTest::SetUp();
        dir.write("player/settei.dat", kSettings);
        dir.write("player/roumazi.dat", dir.read("roumazi.dat"));
        std::filesystem::remove(dir.path("settei.dat"));
        std::filesystem::remove(dir.path("roumazi.dat"));
    }
};

TEST_F(PlayerFolderTest, BothPracticeFoldersAreListedByName)
{
    Header shipped;
    shipped.title = "同梱";
    writeFile("b.ksd", shipped);
    Header own;
    own.title = "自作";
    dir.write("player/practice/a.ksd", practiceFile(own, kThree));
    Header ownTarget;
    ownTarget.title = "自作の的";
    ownTarget.assets = "mine\\";
    dir.write("player/practice/c.ksd", practiceFile(ownTarget, kThree));
    writeTarget("player/practice/mine/");

    openPractice();
    ASSERT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join('\n').toStdString();
    EXPECT_EQ(fl("LabNum") + ' ' + fl("LabTitle"), "1/3 自作");
    press(Qt::Key_Right);
    EXPECT_EQ(fl("LabNum") + ' ' + fl("LabTitle"), "2/3 同梱");
    press(Qt::Key_Left);
    press(Qt::Key_Return, "\r"); // the player's file, on the shipped target
    EXPECT_EQ(stage(), PracticeStage::Prepared);
    EXPECT_TRUE(sound.log.contains("sound FileLoad.Gunsound: open practice/standard/gun.wav"));
    press(Qt::Key_Escape, "\x1b");
    openPractice();
    press(Qt::Key_Left);
    EXPECT_EQ(fl("LabTitle"), "自作の的");
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(stage(), PracticeStage::Prepared);
    EXPECT_TRUE(picture(ScreenName::FileLoad, "MatoP").contains("player/practice/mine/target.bmp"));
}

// ---------------------------------------------------------------- the run

TEST_F(PracticeTest, ConfirmingAFilePreparesThePlayPage)
{
    Header h;
    h.font = "14.25";
    writeFile("a.ksd", h);
    openPractice();
    EXPECT_EQ(sound.log.filter("Ongaku"), QStringList{"sound FileLoad.Ongaku: open /m/a.mid"});
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(stage(), PracticeStage::Prepared);
    EXPECT_EQ(control<Panel>(ScreenName::FileLoad, "Panel2").geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(control<Panel>(ScreenName::FileLoad, "Panel1").y(), 480);
    EXPECT_EQ(targetCell(), "6");
    EXPECT_EQ(face(), "PCmika#0");
    EXPECT_EQ(fl("Label3"), "リターンキーでスタートです。");
    EXPECT_EQ(fl("LMondai"), "2");
    EXPECT_EQ(fl("LZikan"), "60");
    EXPECT_EQ(control<Label>(ScreenName::FileLoad, "Alufabet").font().pixelSize(), 19);
    EXPECT_FALSE(visible(ScreenName::FileLoad, "Picture2"));
    for (const char *effect :
         {"Gunsound: open practice/standard/gun.wav", "Setsound: open practice/standard/set.wav",
          "Misssound: open practice/standard/miss.wav",
          "Brakesound: open practice/standard/brake.wav"})
        EXPECT_TRUE(sound.log.contains(QStringLiteral("sound FileLoad.") + effect)) << effect;
}

// A music line that names no file (here "～" where the disk has "〜") is
// a tune that does not play: nobody is told, nothing else changes, and the
// run starts as ever.
TEST_F(PracticeTest, AMusicLineNamingNoFileIsAQuietTune)
{
    dir.write("曲〜.mid", "MThd");
    dir.write("settei.dat", test::cp932("100\r\n200\r\n" + dir.path("曲～.mid") +
                                        "\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n"));
    const std::string settings = dir.read("settei.dat");
    writeFile("a.ksd", Header());
    openPractice();
    EXPECT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join('\n').toStdString();
    EXPECT_EQ(sound.log.filter("Ongaku"), QStringList{"sound FileLoad.Ongaku: open 曲～.mid"});
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(stage(), PracticeStage::Between);
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_EQ(dir.read("settei.dat"), settings);
}

// The first Return prepares, the second starts: the music from its start,
// the first problem put up, the target rising in two 100 ms steps before
// any key counts.
TEST_F(PracticeTest, TheRunStartsAndTheTargetRises)
{
    writeFile("a.ksd", Header());
    openPractice();
    press(Qt::Key_Return, "\r");
    sound.log.clear();
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(stage(), PracticeStage::Between);
    EXPECT_EQ(sound.log, (QStringList{"sound FileLoad.Ongaku: prev /m/a.mid",
                                      "sound FileLoad.Ongaku: play /m/a.mid"}));
    EXPECT_EQ(fl("Label3"), "打ちまくって下さい。");
    EXPECT_EQ(fl("Mondai"), "赤");
    EXPECT_EQ(fl("Alufabet"), "aka");
    EXPECT_EQ(targetCell(), "0");
    type("ak"); // while it rises: neither counted nor judged
    clock.advance(100);
    EXPECT_EQ(targetCell(), "1");
    type("a");
    EXPECT_FALSE(visible(ScreenName::FileLoad, "Picture2"));
    clock.advance(100);
    EXPECT_EQ(targetCell(), "2");
    EXPECT_TRUE(visible(ScreenName::FileLoad, "Picture2"));
    EXPECT_EQ(stage(), PracticeStage::Typing);
    EXPECT_EQ(fileLoad().shared().Tipe, 0);
    EXPECT_EQ(fl("Alufabet"), "aka");
}

// Every problem of the header's count is typed (the file holds more); the
// countdown pauses between problems; the result is a perfect hit rate.
TEST_F(PracticeTest, ARunTypesTheHeadersCountOfProblems)
{
    writeFile("a.ksd", Header()); // count 2 of 3 problems
    startRun();
    sound.log.clear();
    type("a");
    EXPECT_EQ(fl("Alufabet"), "ka");
    EXPECT_EQ(targetCell(), "3");
    EXPECT_TRUE(sound.log.contains("sound FileLoad.Gunsound: play practice/standard/gun.wav"));
    clock.advance(50);
    EXPECT_EQ(targetCell(), "2");
    type("ka");
    EXPECT_EQ(fl("Alufabet"), "");
    EXPECT_EQ(targetCell(), "5");
    EXPECT_FALSE(visible(ScreenName::FileLoad, "Picture2"));
    EXPECT_EQ(stage(), PracticeStage::Between);
    EXPECT_TRUE(sound.log.contains("sound FileLoad.Brakesound: play practice/standard/brake.wav"));
    clock.advance(50);
    EXPECT_EQ(targetCell(), "5"); // the broken target stays broken
    clock.advance(650);           // the next problem up and risen: the countdown waited
    EXPECT_EQ(fl("LZikan"), "60");
    // The next problem came 500 ms after the last key, with the set sound.
    EXPECT_EQ(fl("Mondai"), "烏賊");
    EXPECT_EQ(fl("LMondai"), "1");
    EXPECT_TRUE(sound.log.contains("sound FileLoad.Setsound: play practice/standard/set.wav"));
    EXPECT_EQ(stage(), PracticeStage::Typing);
    type("ika");
    clock.advance(499);
    EXPECT_TRUE(screen(ScreenName::FileLoad).isLoaded());
    clock.advance(1);
    EXPECT_FALSE(screen(ScreenName::FileLoad).isLoaded());
    EXPECT_EQ(fileLoad().shared().Stage, PracticeStage::Done);
    EXPECT_EQ(fileLoad().shared().Tipe, 6);
    EXPECT_EQ(fileLoad().shared().Miss, 0);
    ASSERT_TRUE(screen(ScreenName::Kekka).isShown());
    EXPECT_EQ(kekka("Saigo"), "命中率100％");
    EXPECT_EQ(kekka("Coment"), "まっ、参りました。");
    EXPECT_EQ(kekka("Label1"), "お疲れさまでした。");
}

// Every key with a character counts while a problem is typed: Return, Space
// and Backspace too. A wrong one leaves the romaji, shows the missed target
// for one MatoT tick and the dismayed face for two seconds.
TEST_F(PracticeTest, AWrongKeyCountsAndShowsTheDismayedFace)
{
    writeFile("a.ksd", Header());
    startRun();
    sound.log.clear();
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Space, " ");
    press(Qt::Key_Backspace, "\b");
    type("A"); // Caps Lock on: a capital is wrong
    EXPECT_EQ(fileLoad().shared().Tipe, 4);
    EXPECT_EQ(fileLoad().shared().Miss, 4);
    EXPECT_EQ(fl("Alufabet"), "aka");
    EXPECT_EQ(targetCell(), "4");
    EXPECT_EQ(face(), "mika_dismayed");
    EXPECT_EQ(sound.log.filter("Misssound: play").size(), 4);
    clock.advance(50);
    EXPECT_EQ(targetCell(), "2");
    clock.advance(1949);
    EXPECT_EQ(face(), "mika_dismayed");
    clock.advance(1);
    EXPECT_EQ(face(), "PCmika#0");
    // The animation restarts a second later, from its first cell.
    clock.advance(999);
    EXPECT_EQ(face(), "PCmika#0");
    clock.advance(1);
    EXPECT_NE(face(), "PCmika#0");
}

// The countdown runs only while a problem is typed and ends the run one
// second after showing 1; the display never shows 0.
TEST_F(PracticeTest, TimeUpCountsTypingTimeOnly)
{
    Header h;
    h.time = "3";
    writeFile("a.ksd", h);
    startRun();
    clock.advance(999);
    EXPECT_EQ(fl("LZikan"), "3");
    clock.advance(1);
    EXPECT_EQ(fl("LZikan"), "2");
    type("aka");        // LimitT stops with the problem
    clock.advance(700); // 500 to the next problem, 200 to rise
    EXPECT_EQ(stage(), PracticeStage::Typing);
    EXPECT_EQ(fl("LZikan"), "2");
    clock.advance(1000);
    EXPECT_EQ(fl("LZikan"), "1");
    clock.advance(999);
    EXPECT_TRUE(screen(ScreenName::FileLoad).isLoaded());
    clock.advance(1);
    EXPECT_FALSE(screen(ScreenName::FileLoad).isLoaded());
    EXPECT_EQ(fileLoad().shared().Stage, PracticeStage::TimeUp);
    ASSERT_TRUE(screen(ScreenName::Kekka).isShown());
    EXPECT_EQ(kekka("Label1"), "");
    EXPECT_EQ(kekka("Saigo"), "時間切れです。");
    EXPECT_EQ(kekka("Coment"), "残念ながら時間切れです。今度はもっと早く打ち込んでいって下さい。");
    EXPECT_EQ(picture(ScreenName::Kekka, "Image2"), "mika_dismayed");
}

// The pace is the file's romaji per second of the limit; the comment every
// three seconds says whether the player is ahead of it.
TEST_F(PracticeTest, ThePaceCommentsCompareWithThePace)
{
    Header h;
    h.time = "20"; // kThree: 9 romaji in all (the end marker is not counted), pace 0.45
    writeFile("a.ksd", h);
    startRun();
    // At 3 s: 18 seconds left, 9 to type: 0.5 needed, behind.
    random.script({0.0});
    clock.advance(2800);
    EXPECT_EQ(fl("Label3"), "まだまだあきらめないで。");
    type("aka"); // at 6 s: 6 to type in 16 seconds, 0.375 needed: ahead
    random.script({0.99});
    clock.advance(3000);
    EXPECT_EQ(fl("Label3"), "打って打って打って打って打って。");
}

// Once a second the face plays its short animation and rests smiling when
// the player can still finish in time, stern when not.
TEST_F(PracticeTest, TheFaceFollowsThePace)
{
    Header h;
    h.time = "4"; // pace 9 / 4: at 1 s, 4 seconds × 2.25 = 9 ≥ 9 left: smiling
    writeFile("a.ksd", h);
    startRun();
    clock.advance(800);
    QStringList cells;
    for (int i = 0; i < 6; ++i) {
        clock.advance(i == 0 ? 0 : 50);
        cells << face();
    }
    EXPECT_EQ(cells, (QStringList{"PCmika#1", "PCmika#2", "PCmika#3", "PCmika#2", "PCmika#1",
                                  "PCmika#0"}));
    // One second later 2 seconds are left: 4.5 < 9: stern.
    clock.advance(999);
    EXPECT_EQ(face(), "PCmika#0");
    clock.advance(1);
    EXPECT_EQ(face(), "PCmika#5");
    clock.advance(250);
    EXPECT_EQ(face(), "PCmika#4");
}

// Header numbers that are no whole numbers count as their whole part.
TEST_F(PracticeTest, AFractionalCountAndLimitCountAsWholeNumbers)
{
    Header h;
    h.count = "1.5";
    h.time = "2.9";
    writeFile("a.ksd", h);
    startRun();
    EXPECT_EQ(fl("LMondai"), "1");
    EXPECT_EQ(fl("LZikan"), "2");
    type("aka");
    clock.advance(500);
    EXPECT_TRUE(screen(ScreenName::Kekka).isShown());
}

// A count of 0 plays nothing: the target never rises, and only Esc leaves.
TEST_F(PracticeTest, ACountOfZeroWaitsForEsc)
{
    Header h;
    h.count = "0";
    writeFile("a.ksd", h);
    openPractice();
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    clock.advance(5000);
    EXPECT_EQ(stage(), PracticeStage::Between);
    EXPECT_EQ(targetCell(), "0");
    EXPECT_FALSE(control<TimerControl>(ScreenName::FileLoad, "Timer1").isEnabled());
    press(Qt::Key_Escape, "\x1b");
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    EXPECT_FALSE(screen(ScreenName::Kekka).isLoaded());
}

// A file announcing more problems than it holds ends, as finished, when the
// end marker comes up; a file without one ends after its last problem.
TEST_F(PracticeTest, ARunEndsWhenTheFileRunsOutOfProblems)
{
    for (bool endMarker : {true, false}) {
        Header h;
        h.count = "9";
        writeFile("a.ksd", h, {kThree[0]}, endMarker);
        startRun();
        type("aka");
        clock.advance(500);
        EXPECT_FALSE(screen(ScreenName::FileLoad).isLoaded()) << endMarker;
        ASSERT_TRUE(screen(ScreenName::Kekka).isShown()) << endMarker;
        EXPECT_EQ(kekka("Saigo"), "命中率100％");
        clock.advance(300);
        press(Qt::Key_Escape, "\x1b"); // closes the result
        press(Qt::Key_Escape, "\x1b"); // leaves the selection page
    }
}

// A problem with nothing to type is done as soon as its target is up, and a
// run that judged no key at all has no hit rate to divide by.
TEST_F(PracticeTest, ProblemsWithNothingToTypeAreDoneAtOnce)
{
    Header h;
    writeFile("a.ksd", h, {{"漢字", {"漢"}}, {"空", {}}});
    openPractice();
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(fl("Alufabet"), "");
    clock.advance(200);
    EXPECT_EQ(targetCell(), "5");
    EXPECT_EQ(stage(), PracticeStage::Between);
    clock.advance(500 + 200 + 500);
    ASSERT_TRUE(screen(ScreenName::Kekka).isShown());
    EXPECT_EQ(kekka("Saigo"), "命中率－％");
    EXPECT_EQ(kekka("Coment"), "打つ問題がありませんでした。別の問題ファイルを選んで下さい。");
}

// A miss's 50 ms restore still due when the next problem, with nothing to
// type, breaks on its own does not show that target whole again.
TEST_F(PracticeTest, ABrokenTargetStaysBrokenWhenARestoreIsDue)
{
    Header h;
    h.count = "3";
    writeFile("a.ksd", h, {{"蚊", {"か"}}, {"空", {}}, {"赤", {"あ", "か"}}});
    startRun();
    type("kxa"); // the miss starts a restore; the last key breaks the target
    EXPECT_EQ(targetCell(), "5");
    clock.advance(500 + 200); // the empty problem is up and breaks at once
    ASSERT_EQ(fl("Alufabet"), "");
    EXPECT_EQ(targetCell(), "5");
    for (int ms = 0; ms < 60; ms += 10) {
        clock.advance(10);
        EXPECT_EQ(targetCell(), "5") << ms;
    }
}

// A run left with Esc in the middle of a problem leaves nothing behind: the
// next run's target rises, opens and takes keys exactly as the first's did.
TEST_F(PracticeTest, ASecondRunStartsExactlyLikeTheFirst)
{
    writeFile("a.ksd", Header());
    const auto firstProblem = [this] {
        openPractice();
        press(Qt::Key_Return, "\r");
        press(Qt::Key_Return, "\r");
        QStringList seen;
        for (int ms = 0; ms < 400; ms += 10) {
            if (ms == 300)
                type("ax");
            seen << QStringLiteral("%1 %2 %3 %4")
                        .arg(targetCell())
                        .arg(static_cast<int>(stage()))
                        .arg(fl("Alufabet"), face());
            clock.advance(10);
        }
        press(Qt::Key_Escape, "\x1b");
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
        return seen;
    };
    const QStringList first = firstProblem();
    EXPECT_EQ(firstProblem(), first);
}

// ---------------------------------------------------------------- the result

struct RateCase
{
    float tipe;
    float miss;
    const char *saigo;
    int line;
    const char *face;
};

TEST_F(PracticeTest, TheHitRateBandsAtTheirBorders)
{
    const char *lines[] = {
        "",
        "おめでとうございます。合格です。この調子で次の問題に挑戦してみましょう。",
        "ぎりぎり合格です。次はもう少し余裕を持ってクリアーできるようにして下さいね。",
        "間違いすぎです。これじゃあ、合格は無理です。もっと正確にタイプするよう心がけて下さい。",
        "うわ～、すごい！人は見かけによりませんねぇ。",
        "まっ、参りました。"};
    const RateCase cases[] = {
        {200, 10, "命中率95％", 4, "PCmika#0"}, {100, 12, "命中率88％", 1, "PCmika#0"},
        {100, 13, "命中率87％", 2, "PCmika#0"}, {100, 20, "命中率80％", 2, "PCmika#0"},
        {300, 63, "命中率79％", 3, "PCmika#4"}, {100, 0, "命中率100％", 5, "PCmika#0"},
        {100, 1, "命中率99％", 4, "PCmika#0"},  {1, 1, "命中率0％", 3, "PCmika#4"},
    };
    for (const RateCase &c : cases) {
        PracticeShared &run = fileLoad().shared();
        run.Stage = PracticeStage::Done;
        run.Tipe = c.tipe;
        run.Miss = c.miss;
        host().show(ScreenName::Kekka);
        EXPECT_EQ(screen(ScreenName::Kekka).window()->windowTitle(), "Form1");
        EXPECT_EQ(kekka("Saigo"), c.saigo);
        EXPECT_EQ(kekka("Coment"), lines[c.line]) << c.saigo;
        EXPECT_EQ(picture(ScreenName::Kekka, "Image2"), c.face) << c.saigo;
        host().unload(screen(ScreenName::Kekka));
        host().unload(screen(ScreenName::FileLoad));
    }
}

// The first 300 ms lock the keys; then any key goes back to a fresh
// selection page at the first file.
TEST_F(PracticeTest, TheResultLocksKeysThenReturnsToAFreshSelection)
{
    writeFile("a.ksd", Header());
    writeFile("b.ksd", Header());
    openPractice();
    press(Qt::Key_Right);
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    clock.advance(200);
    type("aka");
    clock.advance(700);
    type("ika");
    clock.advance(500);
    ASSERT_TRUE(screen(ScreenName::Kekka).isShown());
    press(Qt::Key_A, "a");
    clock.advance(299);
    press(Qt::Key_A, "a");
    EXPECT_TRUE(screen(ScreenName::Kekka).isShown());
    clock.advance(1);
    press(Qt::Key_A, "a");
    EXPECT_FALSE(screen(ScreenName::Kekka).isLoaded());
    ASSERT_TRUE(screen(ScreenName::FileLoad).isShown());
    EXPECT_EQ(fl("LabNum"), "1/2");
    EXPECT_EQ(stage(), PracticeStage::Selecting);
    EXPECT_EQ(fl("Label2(0)").left(9), "練習問題のコーナー");
    EXPECT_EQ(endings, 0);
}

// ---------------------------------------------------------------- records and spellings

// Each run is kept with the kana of every key: played through with its
// verdict, left with Esc as abandoned. A file confirmed but never started is
// no run.
TEST_F(PracticeTest, EachRunIsRecordedWithTheKanaOfItsKeys)
{
    writeFile("a.ksd", Header());
    startRun();
    type("akx"); // the x is a miss, waiting for the a of か
    type("a");
    clock.advance(700);
    type("ika");
    clock.advance(500);
    ASSERT_TRUE(screen(ScreenName::Kekka).isShown());
    clock.advance(300);
    press(Qt::Key_A, "a");
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    clock.advance(200);
    type("ak");
    press(Qt::Key_Escape, "\x1b");
    openPractice();
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Escape, "\x1b");

    const std::optional<std::vector<RunSummary>> runs = records().runs();
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 2u);
    const RunSummary &played = (*runs)[0];
    EXPECT_EQ(played.mode, RunMode::Practice);
    EXPECT_EQ(played.subject, "a.ksd");
    EXPECT_EQ(played.title, "花の名前"); // as the selection page shows it
    EXPECT_EQ(played.end, RunEnd::Finished);
    EXPECT_EQ(played.keys, 7);
    EXPECT_EQ(played.misses, 1);
    EXPECT_EQ(played.verdict, "ぎりぎり合格"); // 85 %, as the result screen says
    EXPECT_EQ((*runs)[1].end, RunEnd::Abandoned);
    EXPECT_EQ((*runs)[1].keys, 2);

    const std::optional<std::vector<KeyEvent>> keys = records().keysOfLatestRuns(2);
    ASSERT_TRUE(keys);
    ASSERT_EQ(keys->size(), 9u);
    const std::vector<std::pair<std::string_view, char32_t>> kanaAndExpected = {
        {"あ", U'a'}, {"か", U'k'}, {"か", U'a'}, {"か", U'a'},
        {"い", U'i'}, {"か", U'k'}, {"か", U'a'}};
    for (std::size_t k = 0; k < kanaAndExpected.size(); ++k) {
        EXPECT_EQ((*keys)[k].kana.view(), kanaAndExpected[k].first) << k;
        EXPECT_EQ((*keys)[k].expected, kanaAndExpected[k].second) << k;
    }
    EXPECT_EQ((*keys)[2].typed, U'x');
}

// A run the records cannot keep is told before its result, every time.
TEST_F(PracticeTest, ALostRunIsToldBeforeTheResult)
{
    writeFile("a.ksd", Header());
    std::filesystem::create_directory(dir.path("records.sqlite3"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        dialogs.log.clear();
        startRun();
        type("aka");
        clock.advance(700);
        type("ika");
        clock.advance(500);
        ASSERT_EQ(dialogs.log.size(), 1);
        EXPECT_TRUE(dialogs.log[0].startsWith(
            "message: 今回のプレイは記録（records.sqlite3）に残せませんでした。"));
        EXPECT_FALSE(screen(ScreenName::Kekka).isShown());
        dialogs.answerAll();
        ASSERT_TRUE(screen(ScreenName::Kekka).isShown());
        EXPECT_EQ(host().activeScreen(), &screen(ScreenName::Kekka));
        clock.advance(300);
        press(Qt::Key_Escape, "\x1b");
        if (screen(ScreenName::FileLoad).isShown())
            press(Qt::Key_Escape, "\x1b");
        ASSERT_TRUE(screen(ScreenName::Kidou).isShown());
    }
}

TEST_F(PracticeTest, ARunOutOfTimeIsRecordedAsSuch)
{
    Header header;
    header.time = "2";
    writeFile("a.ksd", header);
    startRun();
    type("a");
    clock.advance(2000);
    ASSERT_TRUE(screen(ScreenName::Kekka).isShown());
    const std::optional<std::vector<RunSummary>> runs = records().runs();
    ASSERT_TRUE(runs && runs->size() == 1u);
    EXPECT_EQ(runs->front().end, RunEnd::TimeUp);
    EXPECT_EQ(runs->front().verdict, "時間切れ");
    EXPECT_EQ(runs->front().keys, 1);
}

struct SpellingCase
{
    const char *settings; // keystorm.ini; nullptr: none
    const char *keys;
    int misses;
    const char *guide; // Alufabet after the keys
    bool done;
};

// つじ is "tsuji" in the table. Any spelling takes tuzi as well, and the guide
// follows the spelling begun; the table's judging, the default, does not.
TEST_F(PracticeTest, KeysAreJudgedByTheSpellingThePlayerChose)
{
    const SpellingCase cases[] = {
        {nullptr, "tuzi", 3, "suji", false},
        {"[typing]\r\nspelling=table\r\n", "tuzi", 3, "suji", false},
        {"[typing]\r\nspelling=nonsense\r\n", "tuzi", 3, "suji", false},
        {"[typing]\r\nspelling=any\r\n", "tuzi", 0, "", true},
        {"[typing]\r\nspelling=any\r\n", "tsuji", 0, "", true},
        {"[typing]\r\nspelling=any\r\n", "tu", 0, "ji", false},
        {"[typing]\r\nspelling=any\r\n", "tuzx", 1, "i", false},
    };
    Header header;
    header.count = "1";
    writeFile("a.ksd", header, {{"辻", {"つ", "じ"}}});
    for (const SpellingCase &c : cases) {
        std::filesystem::remove(dir.path("keystorm.ini"));
        if (c.settings)
            dir.write("keystorm.ini", c.settings);
        startRun();
        type(QString::fromLatin1(c.keys));
        EXPECT_EQ(fileLoad().shared().Miss, static_cast<float>(c.misses)) << c.keys;
        EXPECT_EQ(fl("Alufabet"), QString::fromLatin1(c.guide)) << c.keys;
        EXPECT_EQ(stage() != PracticeStage::Typing, c.done) << c.keys;
        press(Qt::Key_Escape, "\x1b");
        ASSERT_FALSE(screen(ScreenName::FileLoad).isLoaded()) << c.keys;
    }
}

// A keystorm.ini that is there but cannot be read plays with the defaults,
// and the player hears of it once a game, not at every screen that reads it.
TEST_F(PracticeTest, AnUnreadableSettingsFileIsToldOnceAndPlaysTheDefaults)
{
    writeFile("a.ksd", Header(), {{"辻", {"つ", "じ"}}});
    dir.write("keystorm.ini", "[typing]\r\nspelling=any\r\n" + std::string(kMaxTextFileBytes, ';'));
    for (int visit = 0; visit < 2; ++visit) {
        SCOPED_TRACE(visit);
        dialogs.log.clear();
        openPractice();
        dialogs.answerAll();
        if (visit == 0) {
            ASSERT_EQ(dialogs.log.size(), 1);
            EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("keystorm.ini")));
            EXPECT_TRUE(dialogs.log[0].endsWith(
                QStringLiteral("つづりの選び方などは初めの設定のまま遊びます。")));
        } else {
            EXPECT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join('\n').toStdString();
        }
        press(Qt::Key_Return, "\r");
        press(Qt::Key_Return, "\r");
        clock.advance(200);
        ASSERT_EQ(stage(), PracticeStage::Typing);
        type(QStringLiteral("tuzi"));
        EXPECT_EQ(fileLoad().shared().Miss, 3.0F);
        press(Qt::Key_Escape, "\x1b");
    }
    EXPECT_EQ(dir.read("keystorm.ini").size(), kMaxTextFileBytes + 24);
}

// ---------------------------------------------------------------- long lines

// 88 romaji: "hikoukininorutokiha,suchuwa-desusanntohanasutameniiriguchifukinnhe."
// and "shinnbunnhaitatsunoka".
const Problem kLongLine = {"飛行機", {"ひ", "こ", "う", "き",   "に", "の", "る", "と", "き",
                                      "は", "、", "す", "ちゅ", "わ", "ー", "で", "す", "さ",
                                      "ん", "と", "は", "な",   "す", "た", "め", "に", "い",
                                      "り", "ぐ", "ち", "ふ",   "き", "ん", "へ", "。", "し",
                                      "ん", "ぶ", "ん", "は",   "い", "た", "つ", "の", "か"}};

bool lit(QRgb pixel)
{
    return qGray(pixel) > 128;
}

// A romaji line too long for the page is shown from its next key: drawn at
// the left edge exactly as the first keys alone would be, its end cut by an
// ellipsis, and so on after ten keys; the short line after it is centred
// as ever.
TEST_F(PracticeTest, ALongRomajiLineShowsItsNextKeysFirst)
{
    Header h; // the practice tool's size, 20
    writeFile("a.ksd", h, {kLongLine, {"赤", {"あ", "か"}}});
    startRun();
    Label &guide = control<Label>(ScreenName::FileLoad, QStringLiteral("Alufabet"));
    ASSERT_EQ(guide.caption().size(), 88);
    QWidget *window = screen(ScreenName::FileLoad).window();
    for (int typed : {0, 10}) {
        type(guide.caption().left(typed));
        ASSERT_EQ(guide.caption().size(), 88 - typed);
        EXPECT_TRUE(guide.isElided());
        const QString shown = guide.shownLines().value(0);
        EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
        EXPECT_TRUE(guide.caption().startsWith(shown.chopped(1))) << shown.toStdString();

        const QImage drawn = window->grab(QRect(guide.mapTo(window, QPoint()), guide.size()))
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        // The first five keys as a label of the same font draws them alone.
        QLabel alone(guide.caption().left(5));
        alone.setFont(guide.font());
        alone.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        alone.setAutoFillBackground(true);
        QPalette palette = alone.palette();
        palette.setColor(QPalette::Window, Qt::black);
        palette.setColor(QPalette::WindowText, Qt::white);
        alone.setPalette(palette);
        alone.resize(guide.size());
        const QImage expected = alone.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int front = QFontMetrics(guide.font()).horizontalAdvance(alone.text()) - 2;
        int litAtTheEdge = 0;
        int mismatches = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < front; ++x) {
                mismatches += drawn.pixel(x, y) != expected.pixel(x, y);
                litAtTheEdge += x < 10 && lit(drawn.pixel(x, y));
            }
        }
        EXPECT_EQ(mismatches, 0) << typed;
        EXPECT_GT(litAtTheEdge, 0) << typed;
        // Past the last whole key only the three dots, low and flat.
        const int dots = QFontMetrics(guide.font()).horizontalAdvance(shown.chopped(1));
        int top = drawn.height();
        int bottom = -1;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = dots; x < drawn.width(); ++x) {
                if (lit(drawn.pixel(x, y))) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        EXPECT_GE(bottom, 0) << typed;
        EXPECT_LE(bottom - top, 4) << typed;
    }

    const QString rest = guide.caption();
    type(rest);
    clock.advance(700);
    ASSERT_EQ(guide.caption(), "aka");
    EXPECT_FALSE(guide.isElided());
    EXPECT_EQ(guide.shownLines(), QStringList{"aka"});
    EXPECT_EQ(guide.alignment(), Qt::AlignHCenter | Qt::AlignTop);
    EXPECT_EQ(guide.font().pixelSize(), pointsToPixels(20));
}

// A display text, a title or an author too long for its label is shown
// whole, smaller and on two lines where it must, never cut.
TEST_F(PracticeTest, LongDisplayTextsTitlesAndAuthorsAreShownWhole)
{
    Header h;
    h.title = "とても長いタイトルの練習問題ファイルはこうなりますね本当に";
    h.author = "作者の名前がとても長い場合の表示を確かめるための名前です";
    const std::string display =
        "飛行機に乗るときは、スチュワーデスさんと話すために入り口付近へ。"
        "新聞配達の自転車の音が響いている夜明けの通り、駅へ向かう人たちは白い息をはく。";
    writeFile("a.ksd", h, {{display, {"あ", "か"}}, {"赤", {"あ", "か"}}});
    openPractice();
    // lines: how many it takes; 0: any number the label holds.
    const auto wholeIn = [this](const char *id, qsizetype lines) {
        const Label &label = control<Label>(ScreenName::FileLoad, QString::fromLatin1(id));
        const QStringList shown = label.shownLines();
        EXPECT_EQ(shown.join(QString()), label.caption()) << id;
        if (lines > 0) {
            EXPECT_EQ(shown.size(), lines) << id;
        }
        EXPECT_FALSE(label.isElided()) << id;
        for (const QString &line : shown)
            EXPECT_LE(QFontMetrics(label.font()).horizontalAdvance(line), label.width()) << id;
        EXPECT_LE(shown.size() * QFontMetrics(label.font()).lineSpacing(),
                  std::max<qsizetype>(label.height(), QFontMetrics(label.font()).lineSpacing()))
            << id;
    };
    EXPECT_EQ(fl("LabTitle"), QString::fromStdString(h.title));
    wholeIn("LabTitle", 2);
    wholeIn("LabSakusya", 0); // one line or two, whichever is larger
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(fl("Mondai"), QString::fromStdString(display));
    wholeIn("Mondai", 2);
    clock.advance(200);
    type("aka");
    clock.advance(700);
    EXPECT_EQ(fl("Mondai"), "赤");
    wholeIn("Mondai", 1);
    EXPECT_EQ(control<Label>(ScreenName::FileLoad, QStringLiteral("Mondai")).font().pixelSize(),
              pointsToPixels(18));
}

} // namespace
} // namespace ks
