// The story mode as a player meets it: the mission code, the four battles,
// their result screens and the credits, on the manual clock with scripted
// random draws.
#include "screens/story/ending.h"
#include "screens/story/fight.h"
#include "screens/story/mission.h"
#include "screens/story/missiontexts.h"
#include "support/romajilines.h"
#include "shell/records/records.h"
#include "support/gamefixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

namespace ks {
namespace {

const char *const kSettings =
    "100\r\n200\r\n/m/a.mid\r\n/m/b.mid\r\nnodata\r\nnodata\r\nnodata\r\n/m/end.mid\r\n";

std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// An exam file of count phrases, each typed as "ka" said `repeats` times.
std::string examFile(int count, int repeats)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "@";
        for (int r = 0; r < repeats; ++r)
            text += ",か";
        text += "\r\n";
    }
    return test::cp932(text);
}

class StoryTest : public test::GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        dir.write("settei.dat", kSettings);
        dir.write("roumazi.dat", readBytes(std::string(KS_DATA_DIR) + "/roumazi.dat"));
        for (int index = 0; index < 5; ++index)
            writeExam(index, 5); // every word "kakakakaka": 10 romaji
    }
    void writeExam(int index, int repeats)
    {
        const int count = index < 4 ? static_cast<int>(missionDisplayTexts(index).size())
                                    : static_cast<int>(finalPhaseTexts().size());
        dir.write("exam" + std::to_string(index + 1) + ".ksd", examFile(count, repeats));
    }

    void openCodeScreen()
    {
        if (!screen(ScreenName::Kidou).isLoaded())
            host().show(ScreenName::Kidou);
        while (caption(ScreenName::Kidou, QStringLiteral("Erabi")) != "ミッション")
            press(Qt::Key_Right);
        press(Qt::Key_Return, "\r");
    }
    // The battle of a mission, entered by its code, waiting for Return.
    void openMission(int stage)
    {
        const char *codes[] = {"0", "5047", "7258", "3241"};
        openCodeScreen();
        type(QString::fromLatin1(codes[stage]));
        press(Qt::Key_Return, "\r");
        ASSERT_TRUE(screen(ScreenName::Fight).isLoaded());
    }
    // Return, and the arming tick.
    void start()
    {
        press(Qt::Key_Return, "\r");
        clock.advance(5);
    }

    int n() { return host().screenAs<Mission>(ScreenName::Mission).shared().Stage; }
    QString code() { return caption(ScreenName::Mission, QStringLiteral("CodeT")); }
    QString fight(const QString &id) { return caption(ScreenName::Fight, id); }
    QString indexed(const char *name) { return QStringLiteral("%1(%2)").arg(name).arg(n()); }
    QString word() { return fight(indexed("Romazi1")); }
    QString shown() { return fight(indexed("Hira1")); }
    QString bullets() { return fight(indexed("Tama")); }
    QString time() { return fight(indexed("Time")); }
    QString message() { return fight(indexed("LMes")); }
    QString face() { return picture(ScreenName::Fight, indexed("Kao")); }
    void typeWord() { type(word()); }
    Fight &battle() { return host().screenAs<Fight>(ScreenName::Fight); }
    Image &target(const char *id)
    {
        return control<Image>(ScreenName::Fight, QString::fromLatin1(id));
    }
    QString targetPicture(const char *id) { return target(id).picture().name; }
    // Moves time on in steps until done() holds; false if it never does.
    bool advanceUntil(const std::function<bool()> &done, int stepMs = 100, int maxMs = 120000)
    {
        for (int waited = 0; waited <= maxMs && !done(); waited += stepMs)
            clock.advance(stepMs);
        return done();
    }
    bool pageShown(const char *page)
    {
        return control<Panel>(ScreenName::Ending, QString::fromLatin1(page)).y() == 0;
    }
    // The face animation's row: 0 calm, 1 stern.
    int faceRow()
    {
        const QString name = face();
        return name.mid(name.lastIndexOf('#') + 1).toInt() >= 4 ? 1 : 0;
    }
    // Closes a result screen once its keys unlock.
    void closeResult(const QString &name)
    {
        ASSERT_TRUE(screen(name).isShown()) << name.toStdString();
        clock.advance(600);
        press(Qt::Key_Space, " ");
        EXPECT_FALSE(screen(name).isLoaded());
    }
};

const QStringList kPraise = {"その調子だ！", "結構上手いぞ。", "素晴らしい撃ち方だなぁ。"};
const QStringList kHurry = {"もっと速く打て。", "急げ！！！", "急げ、急いで、たたけ、たたけ！"};
const QStringList kAccuracy = {"もう少し正確に！", "ミスリ過ぎだぞ。",
                               "もう少し、落ち着いて打てんのか？"};

// ---------------------------------------------------------------- the code

struct CodeCase
{
    const char *typed;
    const char *shown;
    int stage; // -1: Return opens nothing
};

TEST_F(StoryTest, MissionCodes)
{
    const CodeCase cases[] = {
        {"", "0", 0},         {"0", "0", 0},        {"05047", "5047", 1},
        {"72581", "7258", 2}, {"3241", "3241", 3},  {"12", "12", -1},
        {"a- 5", "5", -1},    {"5047x", "5047", 1}, {"00", "0", 0},
    };
    for (const CodeCase &c : cases) {
        openCodeScreen();
        ASSERT_TRUE(screen(ScreenName::Mission).isShown());
        EXPECT_EQ(screen(ScreenName::Mission).window()->windowTitle(), "ミッション～コード入力～");
        EXPECT_EQ(code(), "0");
        type(QString::fromLatin1(c.typed));
        press(Qt::Key_Backspace, "\b"); // no deleting of single digits
        EXPECT_EQ(code(), c.shown) << c.typed;
        press(Qt::Key_Return, "\r");
        if (c.stage < 0) {
            EXPECT_TRUE(screen(ScreenName::Mission).isShown()) << c.typed;
            EXPECT_TRUE(dialogs.log.isEmpty());
            press(Qt::Key_Escape, "\x1b"); // clears the code
            EXPECT_EQ(code(), "0");
            press(Qt::Key_Escape, "\x1b"); // and leaves
            EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
            continue;
        }
        EXPECT_FALSE(screen(ScreenName::Mission).isLoaded()) << c.typed;
        ASSERT_TRUE(screen(ScreenName::Fight).isShown()) << c.typed;
        EXPECT_EQ(n(), c.stage) << c.typed;
        press(Qt::Key_Escape, "\x1b");
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    }
}

// The code screen's close button leads back to the menu, whatever code is
// typed: a closed window never leaves the game running with none in view.
TEST_F(StoryTest, ClosingTheCodeScreenGoesBackToTheMenu)
{
    for (const char *code : {"", "50"}) {
        openCodeScreen();
        type(QString::fromLatin1(code));
        screen(ScreenName::Mission).window()->close();
        EXPECT_FALSE(screen(ScreenName::Mission).isLoaded()) << code;
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown()) << code;
        EXPECT_EQ(endings, 0);
    }
}

TEST_F(StoryTest, TheInstructorGreetsOnTheCodeScreen)
{
    openCodeScreen();
    EXPECT_EQ(caption(ScreenName::Mission, "KomentG"),
              "よーし、いよいよここから実践だな。\nミッションコードを入力して作戦を実行せよ。\n"
              "なお、初めての者は、コードを「0」のまま実行せよ。");
    EXPECT_EQ(picture(ScreenName::Mission, "Image1"), "forest_figure_mission");
}

// ---------------------------------------------------------------- setting up

TEST_F(StoryTest, EachMissionShowsItsPanelAndWaitsForReturn)
{
    const char *orders[] = {"地上の四足型歩行兵器を５体破壊せよ。",
                            "空中戦闘機１０機を目の前を通り過ぎる前にすべて打ち落とせ。",
                            "二足型地上歩行兵器２機を両方とも破壊せよ。", "大型戦艦を打ち落とせ。"};
    for (int stage = 0; stage < 4; ++stage) {
        openMission(stage);
        EXPECT_EQ(screen(ScreenName::Fight).window()->windowTitle(), "ミッション");
        for (int panel = 0; panel < 4; ++panel) {
            const int y =
                control<Panel>(ScreenName::Fight, QStringLiteral("Panel(%1)").arg(panel)).y();
            EXPECT_EQ(y, panel == stage ? 0 : 480) << stage << panel;
        }
        EXPECT_EQ(fight(QStringLiteral("Label1(%1)").arg(stage + 4)), orders[stage]);
        EXPECT_EQ(message(), "リターンキーでスタートだ。");
        EXPECT_EQ(bullets(), "0");
        EXPECT_EQ(word(), "");
        EXPECT_EQ(face(), "PCforest_battle#0");
        EXPECT_EQ(battle().state(), Fight::BattleState::Waiting);
        for (const char *timer : {"MatoT1", "Matot2", "LimitT", "KaoT", "MissT", "Hanteit"})
            EXPECT_FALSE(control<TimerControl>(ScreenName::Fight, timer).isEnabled()) << timer;
        press(Qt::Key_Escape, "\x1b");
    }
    // Mission 2 has no time display and its plane waits outside the panel.
    openMission(1);
    EXPECT_EQ(screen(ScreenName::Fight).control("Time(1)"), nullptr);
    EXPECT_EQ(target("Mato2").x(), 640);
    press(Qt::Key_Escape, "\x1b");
    openMission(2);
    EXPECT_EQ(targetPicture("Mato3(0)"), "Matodata1#0");
    EXPECT_EQ(targetPicture("Mato3(1)"), "Matodata1#0");
}

struct MusicCase
{
    const char *settings;
    double draw;
    const char *music; // empty: none
};

// The play slots that are set, never the last one collected when there are
// two or more: that is the ending music whenever its slot is set.
TEST_F(StoryTest, TheBattleMusicPick)
{
    const MusicCase cases[] = {
        {"1\r\n2\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n", 0.9, ""},
        {"1\r\n2\r\nnodata\r\nnodata\r\n/m/c.mid\r\nnodata\r\nnodata\r\nnodata\r\n", 0.9,
         "/m/c.mid"},
        {"1\r\n2\r\nnodata\r\n/m/b.mid\r\nnodata\r\n/m/d.mid\r\nnodata\r\nnodata\r\n", 0.9,
         "/m/b.mid"},
        {"1\r\n2\r\n/m/1\r\n/m/2\r\n/m/3\r\n/m/4\r\n/m/5\r\n/m/end.mid\r\n", 0.99, "/m/5"},
        {"1\r\n2\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n/m/end.mid\r\n", 0.5,
         "/m/end.mid"},
    };
    for (const MusicCase &c : cases) {
        dir.write("settei.dat", c.settings);
        sound.log.clear();
        openCodeScreen();
        random.script({0.0, c.draw});
        type("0");
        press(Qt::Key_Return, "\r");
        const QStringList music = sound.log.filter("Fight.Ongaku");
        if (*c.music == 0) // the player opens nothing and stays silent
            EXPECT_EQ(music, QStringList{"sound Fight.Ongaku: open"}) << c.settings;
        else
            EXPECT_EQ(music, QStringList{QStringLiteral("sound Fight.Ongaku: open ") + c.music})
                << c.settings;
        start();
        if (*c.music != 0) {
            EXPECT_TRUE(sound.log.contains(QStringLiteral("sound Fight.Ongaku: play ") + c.music));
        }
        press(Qt::Key_Escape, "\x1b");
    }
}

// A file the battle cannot use is named, and the menu comes back; nothing
// is written.
TEST_F(StoryTest, BrokenFilesGoBackToTheMenu)
{
    std::string twelveLines;
    for (int i = 0; i < 9; ++i)
        twelveLines += "1\r\n";
    const std::string table = readBytes(std::string(KS_DATA_DIR) + "/roumazi.dat");
    const struct
    {
        int stage;
        std::function<void()> breakIt;
        const char *message;
    } cases[] = {
        {0, [&] { std::filesystem::remove(dir.path("settei.dat")); },
         "設定ファイル（settei.dat）が見付かりません。メインメニューに戻ります。"},
        {0, [&] { dir.write("settei.dat", twelveLines); },
         "設定ファイル（settei.dat）の行が多すぎます。メインメニューに戻ります。"},
        {1, [&] { dir.write("roumazi.dat", table + test::cp932("ん,n\r\n")); },
         "ローマ字表（roumazi.dat）の項目が多すぎます。メインメニューに戻ります。"},
        {2, [&] { std::filesystem::remove(dir.path("exam3.ksd")); },
         "問題ファイル（exam3.ksd）が見付かりません。メインメニューに戻ります。"},
        {0, [&] { dir.write("exam1.ksd", test::cp932("か,@,か\r\n")); },
         "問題ファイル（exam1.ksd）の最初の「@」より前に、打つ文字があります。"
         "メインメニューに戻ります。"},
        {0, [&] { dir.write("exam1.ksd", examFile(52, 1)); },
         "問題ファイル（exam1.ksd）の問題が多すぎます。メインメニューに戻ります。"},
        {1, [&] { dir.write("exam2.ksd", examFile(30, 1)); },
         "問題ファイル（exam2.ksd）に、打つ文字のない文があります（31 番目）。"
         "メインメニューに戻ります。"},
        {2, [&] { dir.write("exam3.ksd", test::cp932("@,か\r\n@,漢字\r\n") + examFile(27, 1)); },
         "問題ファイル（exam3.ksd）に、打つ文字のない文があります（2 番目）。"
         "メインメニューに戻ります。"},
        {3, [&] { dir.write("exam5.ksd", "\x81\x20\r\n"); },
         "問題ファイル（exam5.ksd）に読めない文字があります。メインメニューに戻ります。"},
    };
    for (const auto &c : cases) {
        dir.write("settei.dat", kSettings);
        dir.write("roumazi.dat", table);
        for (int index = 0; index < 5; ++index)
            writeExam(index, 5);
        c.breakIt();
        const std::string settings = dir.read("settei.dat");
        dialogs.log.clear();
        openMission(c.stage);
        ASSERT_EQ(dialogs.log.size(), 1) << c.message;
        EXPECT_EQ(dialogs.log[0], QStringLiteral("message: ") + QString::fromUtf8(c.message));
        press(Qt::Key_Return, "\r"); // no battle starts behind the box
        EXPECT_EQ(battle().state(), Fight::BattleState::Waiting);
        // Nothing covers the box: the battle it refuses never appears.
        EXPECT_FALSE(screen(ScreenName::Fight).isShown()) << c.message;
        dialogs.answerAll();
        EXPECT_FALSE(screen(ScreenName::Fight).isLoaded()) << c.message;
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown()) << c.message;
        EXPECT_EQ(dir.read("settei.dat"), settings);
    }
}

// ---------------------------------------------------------------- typing and firing

struct SupplyCase
{
    int stage;
    int repeats; // romaji: 2 × repeats
    const char *time;
    const char *bullets;
    int passSeconds; // mission 2
    int planeStep;
};

// A battle left with Esc leaves nothing behind: the next battle of the
// mission starts, counts and shows exactly as the first did.
TEST_F(StoryTest, ASecondBattleStartsExactlyLikeTheFirst)
{
    for (int stage = 0; stage < 4; ++stage) {
        const auto firstSeconds = [&] {
            openMission(stage);
            start();
            QStringList seen;
            for (int ms = 0; ms < 2500; ms += 25) {
                if (ms == 100)
                    type("kax"); // a hit, then a miss
                if (ms == 600)
                    typeWord();
                seen << QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                            .arg(word(), bullets(), stage == 1 ? QString() : time(), face(),
                                 message())
                            .arg(static_cast<int>(battle().state()))
                            .arg(trace.filter("load Complete").size());
                clock.advance(25);
            }
            press(Qt::Key_Escape, "\x1b");
            return seen;
        };
        const QStringList first = firstSeconds();
        EXPECT_EQ(firstSeconds(), first) << "mission " << stage + 1;
    }
}

TEST_F(StoryTest, TheFirstWordsSupplies)
{
    const SupplyCase cases[] = {
        {0, 5, "10", "15", 0, 0}, // 10 romaji: Int(9) + 1, Int(11.1) + 4
        {2, 5, "4", "12", 0, 0},      {3, 5, "3", "11", 0, 0},
        {1, 1, nullptr, "3", 2, 43}, // 2 romaji: 43.25
        {1, 5, nullptr, "12", 7, 12},
    };
    for (const SupplyCase &c : cases) {
        writeExam(c.stage, c.repeats);
        openMission(c.stage);
        start();
        EXPECT_EQ(word(), QString("ka").repeated(c.repeats));
        if (c.time) {
            EXPECT_EQ(time(), c.time) << c.stage;
        }
        EXPECT_EQ(bullets(), c.bullets) << c.stage;
        EXPECT_EQ(message(), "始めろ！！");
        if (c.stage == 1) {
            EXPECT_EQ(control<TimerControl>(ScreenName::Fight, "LimitT").interval(), 100);
            // The plane covers 865 pixels in planeStep-pixel ticks.
            clock.advance(95);
            EXPECT_EQ(target("Mato2").x(), 640 - c.planeStep);
        }
        press(Qt::Key_Escape, "\x1b");
    }
}

// A one-romaji plane crosses in a second at 86 pixels a tick (86.5, halves
// to even).
TEST_F(StoryTest, AOneLetterPlaneIsFast)
{
    dir.write("exam2.ksd", test::cp932("@,あ\r\n") + examFile(30, 1));
    random.script({0.0, 0.0, 0.0}); // the first word
    openMission(1);
    start();
    EXPECT_EQ(word(), "a");
    clock.advance(95);
    EXPECT_EQ(target("Mato2").x(), 640 - 86);
}

// Before the arming tick a key costs nothing and a wrong one shows nothing
// (it may be the Return that started the mission); after it every judged
// key costs a bullet and a wrong one brings the miss face and an accuracy line.
TEST_F(StoryTest, ArmingAfterTheFirstTick)
{
    openMission(0);
    press(Qt::Key_Return, "\r");
    sound.log.clear();
    type("x");
    EXPECT_EQ(bullets(), "15");
    EXPECT_EQ(message(), "始めろ！！");
    EXPECT_TRUE(sound.log.filter("Misssound").isEmpty());
    type("k");
    EXPECT_EQ(bullets(), "15");
    EXPECT_EQ(word(), "akakakaka");
    clock.advance(5);
    random.script({0.5});
    type("x");
    EXPECT_EQ(bullets(), "14");
    EXPECT_EQ(word(), "akakakaka");
    EXPECT_EQ(message(), "ミスリ過ぎだぞ。");
    EXPECT_EQ(face(), "forest_miss");
    EXPECT_TRUE(sound.log.contains("sound Fight.Misssound: play practice/standard/miss.wav"));
    type("a");
    EXPECT_EQ(bullets(), "13");
    EXPECT_EQ(word(), "kakakaka");
}

// With no bullet left every key is ignored; the time runs on.
TEST_F(StoryTest, OutOfBulletsKeysAreIgnored)
{
    writeExam(2, 1); // "ka": 2 bullets
    openMission(2);
    start();
    EXPECT_EQ(bullets(), "3");
    type("xxx");
    EXPECT_EQ(bullets(), "0");
    type("ka");
    EXPECT_EQ(word(), "ka");
    EXPECT_EQ(battle().state(), Fight::BattleState::Typing);
    clock.advance(1000);
    EXPECT_TRUE(screen(ScreenName::Incomplete).isShown());
}

// A hit flashes the target for 50 ms; the last key of a word takes it down.
struct HitCase
{
    int stage;
    const char *targetId;
    const char *normal;
    const char *hit;
    const char *down;
};

TEST_F(StoryTest, HitsAndFinishedWordsInEachMission)
{
    const HitCase cases[] = {
        {0, "mato1(0)", "PCkame#0", "PCkame#2", "PCkame#1"},
        {1, "Mato2", "PCfly#0", "PCfly#1", "PCfly#2"},
        {2, "Mato3(0)", "Matodata1#0", "Matodata1#5", "Matodata1#9"},
        {3, "Mato4", "Matodata2#0", "Matodata2#1", "Matodata2#1"},
    };
    for (const HitCase &c : cases) {
        openMission(c.stage);
        start();
        sound.log.clear();
        type("k");
        EXPECT_EQ(targetPicture(c.targetId), c.hit) << c.stage;
        EXPECT_TRUE(sound.log.contains("sound Fight.Gunsound: play practice/standard/gun.wav"));
        clock.advance(50);
        EXPECT_EQ(targetPicture(c.targetId), c.normal) << c.stage;
        type("akakakaka");
        EXPECT_TRUE(sound.log.contains("sound Fight.Brakesound: play practice/standard/brake.wav"));
        EXPECT_EQ(targetPicture(c.targetId), c.down) << c.stage;
        // The hit's 50 ms restore, still due from the last keys, leaves a
        // target that went down as it is.
        clock.advance(50);
        EXPECT_EQ(targetPicture(c.targetId), c.stage < 3 ? c.down : c.normal) << c.stage;
        if (c.stage < 3) {
            EXPECT_EQ(battle().state(), Fight::BattleState::TargetDown) << c.stage;
            EXPECT_EQ(shown(), "") << c.stage;
            EXPECT_FALSE(control<TimerControl>(ScreenName::Fight, "LimitT").isEnabled());
            EXPECT_TRUE(control<TimerControl>(ScreenName::Fight, "MatoT1").isEnabled());
            type("ka"); // nothing to type until the next word
            EXPECT_EQ(bullets(), c.stage == 1 ? "2" : c.stage == 2 ? "2" : "5");
        } else {
            // Mission 4: the next word at once, the battleship still head-on.
            EXPECT_EQ(battle().state(), Fight::BattleState::Typing);
            EXPECT_EQ(word(), "kakakakaka");
            EXPECT_EQ(bullets(), "15");
        }
        press(Qt::Key_Escape, "\x1b");
    }
}

struct CommentCase
{
    int stage;
    int wrongKeys; // spent before the word, leaving bullets
    int waitMs;    // before the last key
    QStringList group;
    int mood;
};

// The comment on a finished word: one bullet or none left is careless; a
// short time (as text: "1", "2", "10"…"19") or a plane past x = 80 is slow;
// anything else is praise.
TEST_F(StoryTest, TheCommentOnAFinishedWord)
{
    const CommentCase cases[] = {
        {0, 0, 0, kHurry, 1},       // time "10": between "1" and "2" as text
        {0, 0, 1000, kPraise, 0},   // time "9"
        {0, 0, 8000, kHurry, 1},    // time "2"
        {0, 4, 1000, kAccuracy, 1}, // 15 - 4 - 10 = 1 bullet left
        {2, 0, 0, kPraise, 0},      // time "4"
        {1, 0, 0, kPraise, 0},      // the plane far right
        {1, 0, 6000, kHurry, 1},    // the plane past the left
    };
    for (const CommentCase &c : cases) {
        openMission(c.stage);
        start();
        type(QString(c.wrongKeys, 'x'));
        type("kakakakak");
        clock.advance(c.waitMs);
        type("a");
        EXPECT_TRUE(c.group.contains(message())) << c.stage << " " << c.waitMs;
        // The face's mood shows on the next frame of the animation.
        clock.advance(100);
        EXPECT_EQ(faceRow(), c.mood) << c.stage << " " << c.waitMs;
        press(Qt::Key_Escape, "\x1b");
    }
}

// ---------------------------------------------------------------- the face

// Calm: the glint sweeps 1,2,3,2,1,0 at 100 ms a frame. A wrong key: the
// glasses flash for one second, then the stern face from cell 4, and the
// stern animation from cell 5 on.
TEST_F(StoryTest, TheFaceAnimationAndTheMissFace)
{
    openMission(0);
    start(); // t = 5; KaoT enabled at 0
    QStringList frames;
    for (int i = 0; i < 6; ++i) {
        clock.advance(i == 0 ? 95 : 100);
        frames << face();
    }
    EXPECT_EQ(frames, (QStringList{"PCforest_battle#1", "PCforest_battle#2", "PCforest_battle#3",
                                   "PCforest_battle#2", "PCforest_battle#1", "PCforest_battle#0"}));
    type("x");
    EXPECT_EQ(face(), "forest_miss");
    clock.advance(999);
    EXPECT_EQ(face(), "forest_miss");
    clock.advance(1);
    EXPECT_EQ(face(), "PCforest_battle#4");
    clock.advance(100);
    EXPECT_EQ(face(), "PCforest_battle#5");
    clock.advance(200);
    EXPECT_EQ(face(), "PCforest_battle#7");
    // Return during typing only starts the face again; the word stays.
    const QString before = word();
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(word(), before);
    EXPECT_EQ(bullets(), "14");
}

// ---------------------------------------------------------------- enemies and timers

// Time 3 on a word: 3, 2, 1, and the third tick opens the failure.
TEST_F(StoryTest, TimeRunningOutLosesTheMission)
{
    writeExam(2, 1); // mission 3, "ka": time Int(0.6) + 1 = 1
    writeExam(0, 1); // mission 1, "ka": time Int(1.8) + 1 = 2
    openMission(0);
    start();
    EXPECT_EQ(time(), "2");
    clock.advance(995);
    EXPECT_EQ(time(), "1");
    sound.log.clear();
    clock.advance(999);
    EXPECT_FALSE(screen(ScreenName::Incomplete).isLoaded());
    clock.advance(1);
    ASSERT_TRUE(screen(ScreenName::Incomplete).isShown());
    EXPECT_TRUE(sound.log.contains("sound Fight.Ongaku: stop /m/a.mid"));
    EXPECT_EQ(screen(ScreenName::Incomplete).window()->windowTitle(), "失敗！");
    EXPECT_EQ(caption(ScreenName::Incomplete, "Label1"), "Mission Incomplete");
    EXPECT_EQ(
        caption(ScreenName::Incomplete, "KomentG"),
        "ダメだな。まだまだ修行がたりん。次はちゃんと作戦を遂行できるように、練習をつんどけ。");
    EXPECT_EQ(picture(ScreenName::Incomplete, "Image1"), "forest_miss");
    // The battle stays behind the result until it is closed; keys are the
    // result's, and locked for 600 ms.
    EXPECT_TRUE(screen(ScreenName::Fight).isLoaded());
    clock.advance(599);
    press(Qt::Key_Space, " ");
    EXPECT_TRUE(screen(ScreenName::Incomplete).isShown());
    clock.advance(1);
    press(Qt::Key_Space, " ");
    EXPECT_FALSE(screen(ScreenName::Incomplete).isLoaded());
    EXPECT_FALSE(screen(ScreenName::Fight).isLoaded());
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    EXPECT_EQ(endings, 0);
}

// Mission 2: planeStep 7 flies 640, 633 … -221, -228; the tick that finds
// -228 opens the failure, 125 ticks after the plane started.
TEST_F(StoryTest, APlaneThatGetsAwayLosesTheMission)
{
    writeExam(1, 10); // 20 romaji: 13 seconds, 865 / 130 = 6.65: 7 pixels
    openMission(1);
    press(Qt::Key_Return, "\r");
    clock.advance(124 * 100);
    EXPECT_EQ(target("Mato2").x(), 640 - 124 * 7);
    EXPECT_FALSE(screen(ScreenName::Incomplete).isLoaded());
    clock.advance(100);
    EXPECT_TRUE(screen(ScreenName::Incomplete).isShown());
    EXPECT_EQ(target("Mato2").x(), -228);
    EXPECT_EQ(battle().state(), Fight::BattleState::Finished);
}

// Mission 1: five walkers, one per word, in order; each destroyed walker
// vanishes a second later as the next word comes; the fifth wins.
TEST_F(StoryTest, MissionOneIsWonAfterFiveWalkers)
{
    openMission(0);
    start();
    for (int walker = 0; walker < 5; ++walker) {
        typeWord();
        const QString id = QStringLiteral("mato1(%1)").arg(walker);
        EXPECT_EQ(target(id.toLatin1().constData()).picture().name, "PCkame#1");
        clock.advance(999);
        EXPECT_EQ(word(), "");
        clock.advance(1);
        if (walker < 4) {
            EXPECT_EQ(target(id.toLatin1().constData()).size(), QSize(0, 0));
            EXPECT_EQ(word(), "kakakakaka");
            EXPECT_EQ(time(), "10");
            EXPECT_EQ(bullets(), "15");
        }
    }
    ASSERT_TRUE(screen(ScreenName::Complete).isShown());
    EXPECT_EQ(battle().state(), Fight::BattleState::Won);
}

// Mission 3: the words alternate between the walkers, left first; each loses
// a part per word; after word 7 the left walker is gone; word 8 wins.
TEST_F(StoryTest, MissionThreeWalkersBreakApartInTurn)
{
    openMission(2);
    start();
    const struct
    {
        const char *left;
        const char *right;
    } afterWord[] = {{"Matodata1#1", "Matodata1#0"}, {"Matodata1#1", "Matodata1#1"},
                     {"Matodata1#2", "Matodata1#1"}, {"Matodata1#2", "Matodata1#2"},
                     {"Matodata1#3", "Matodata1#2"}, {"Matodata1#3", "Matodata1#3"},
                     {"Matodata1#4", "Matodata1#3"}};
    for (int i = 0; i < 7; ++i) {
        const char *side = i % 2 == 0 ? "Mato3(0)" : "Mato3(1)";
        typeWord();
        EXPECT_EQ(targetPicture(side), QStringLiteral("Matodata1#%1").arg(9 + i / 2)) << i;
        clock.advance(1000);
        EXPECT_EQ(targetPicture("Mato3(0)"), afterWord[i].left) << i;
        EXPECT_EQ(targetPicture("Mato3(1)"), afterWord[i].right) << i;
    }
    typeWord();
    EXPECT_EQ(targetPicture("Mato3(1)"), "Matodata1#12");
    clock.advance(1000);
    EXPECT_TRUE(screen(ScreenName::Complete).isShown());
}

// Mission 4: thirteen words keep the battleship head-on; the fourteenth
// turns it, silences the music and disarms; Return starts the music again
// with one of the final sentences; destroying it shows "よっし！", and two
// seconds later the result opens, then the credits.
TEST_F(StoryTest, MissionFourTheBattleshipFleesAndFalls)
{
    writeExam(4, 7); // the final sentences: 14 romaji
    openMission(3);
    start();
    for (int i = 0; i < 13; ++i) {
        typeWord();
        EXPECT_EQ(battle().state(), Fight::BattleState::Typing) << i;
        clock.advance(50);
        EXPECT_EQ(targetPicture("Mato4"), "Matodata2#0") << i;
    }
    sound.log.clear();
    typeWord();
    EXPECT_EQ(battle().state(), Fight::BattleState::Waiting);
    EXPECT_TRUE(sound.log.contains("sound Fight.Ongaku: stop /m/a.mid"));
    EXPECT_EQ(message(), "リターンキーを押し、一気に破壊せよ。");
    EXPECT_EQ(fight("Label1(7)"), "逃げ行く戦艦を去って行く前に破壊せよ。");
    EXPECT_EQ(face(), "PCforest_battle#4");
    EXPECT_EQ(shown(), "");
    clock.advance(50);
    EXPECT_EQ(targetPicture("Mato4"), "Matodata2#3");
    clock.advance(5000); // no time runs while it waits
    EXPECT_FALSE(screen(ScreenName::Incomplete).isLoaded());
    type("ka"); // keys do nothing before Return

    sound.log.clear();
    random.script({0.0, 0.7}); // a word drawn and replaced, then the final sentence 2
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(message(), "ぶっこわせ！！");
    EXPECT_EQ(shown(), QString::fromUtf8(std::string(finalPhaseTexts()[2]).c_str()));
    EXPECT_EQ(word(), QString("ka").repeated(7));
    EXPECT_EQ(time(), "2");     // Int(14 × 0.2), nothing added
    EXPECT_EQ(bullets(), "16"); // Int(15.6) + 1
    EXPECT_TRUE(sound.log.contains("sound Fight.Ongaku: prev /m/a.mid"));
    EXPECT_TRUE(sound.log.contains("sound Fight.Ongaku: play /m/a.mid"));
    type("k"); // not armed yet: free
    EXPECT_EQ(bullets(), "16");
    clock.advance(5);
    type("a");
    EXPECT_EQ(targetPicture("Mato4"), "Matodata2#4");
    clock.advance(50);
    EXPECT_EQ(targetPicture("Mato4"), "Matodata2#3");
    type("kakakakakaka");
    EXPECT_EQ(message(), "よっし！");
    EXPECT_EQ(targetPicture("Mato4"), "Matodata2#5");
    EXPECT_EQ(battle().state(), Fight::BattleState::Finished);
    clock.advance(50); // the last hit's restore is not drawn over the explosion
    EXPECT_EQ(targetPicture("Mato4"), "Matodata2#5");
    clock.advance(1949);
    EXPECT_FALSE(screen(ScreenName::Complete).isLoaded());
    clock.advance(1);
    ASSERT_TRUE(screen(ScreenName::Complete).isShown());
    EXPECT_EQ(caption(ScreenName::Complete, "KomentG"),
              "ありがとう、よくやってくれた！だが奴らがこれであきらめたとはおもわん。\n"
              "今後に備えてトレーニングを怠るなよ。");
    clock.advance(5000); // further ticks do nothing while the result is up
    EXPECT_EQ(trace.filter("load Complete").size(), 1);
    closeResult(ScreenName::Complete);
    ASSERT_TRUE(screen(ScreenName::Ending).isShown());
    EXPECT_TRUE(screen(ScreenName::Fight).isLoaded());
    // Nothing of the battle shows around the credits.
    EXPECT_FALSE(screen(ScreenName::Fight).isShown());
}

// Mission 4's fifth phrase, 67 romaji.
const char *const kLongPhrase = "ひ,こ,う,き,に,の,る,と,き,は,、,す,ちゅ,わ,ー,で,す,さ,ん,と,は,"
                                "な,す,た,め,に,い,り,ぐ,ち,ふ,き,ん,へ,。";

// A word too long for its romaji line keeps its next key in view as it is
// typed: missions 1 to 3 show its front from the left edge and an ellipsis
// for the rest; mission 4's taller line wraps it between syllables only
// ("…fukinn" / "he.", never "…fukinnh" / "e.").
TEST_F(StoryTest, ALongWordKeepsItsNextKeyInView)
{
    for (int stage = 0; stage < 4; ++stage) {
        // The first words long (the draws are 0), the rest short: a file
        // holds 1000 items at most. Twice the phrase is too long for any
        // one-line romaji even at its smallest; 86 romaji take mission 4's
        // two lines.
        const std::string longer = stage < 3
                                       ? std::string(kLongPhrase) + "," + kLongPhrase
                                       : std::string(kLongPhrase) + ",し,ん,ぶ,ん,は,い,た,つ,の";
        std::string exam;
        for (std::size_t i = 0; i < missionDisplayTexts(stage).size(); ++i)
            exam += std::string("@,") + (i < 4 ? longer : std::string("か")) + "\r\n";
        dir.write("exam" + std::to_string(stage + 1) + ".ksd", test::cp932(exam));
        openMission(stage);
        start();
        const Label &guide = control<Label>(ScreenName::Fight, indexed("Romazi1"));
        ASSERT_EQ(word().size(), stage < 3 ? 134 : 86) << stage;
        for (int typed = 0; typed < 6; ++typed) {
            const QStringList lines = guide.shownLines();
            if (stage < 3) {
                EXPECT_TRUE(guide.isElided()) << stage << typed;
                ASSERT_EQ(lines.size(), 1) << stage;
                EXPECT_TRUE(lines[0].endsWith(QChar(0x2026)));
                EXPECT_TRUE(word().startsWith(lines[0].chopped(1)))
                    << stage << lines[0].toStdString();
                EXPECT_EQ(guide.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
            } else {
                EXPECT_FALSE(guide.isElided()) << typed;
                EXPECT_EQ(lines.size(), 2) << typed;
                EXPECT_EQ(lines.join(QString()), word()) << typed;
                EXPECT_TRUE(test::breaksAreSyllables(lines)) << lines.join('|').toStdString();
            }
            for (const QString &line : lines)
                EXPECT_LE(QFontMetrics(guide.font()).horizontalAdvance(line), guide.width());
            type(word().left(1));
        }
        EXPECT_EQ(word().left(4), "inin") << stage; // six keys went in
        press(Qt::Key_Escape, "\x1b");
    }
}

// The final sentence has its own time limit; running out of it loses.
TEST_F(StoryTest, MissionFourCanStillBeLostInTheFinalPhase)
{
    writeExam(4, 7);
    openMission(3);
    start();
    for (int i = 0; i < 14; ++i)
        typeWord();
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(time(), "2");
    clock.advance(2000);
    EXPECT_TRUE(screen(ScreenName::Incomplete).isShown());
}

// A final sentence too short to bring any time fails at the first tick
// rather than counting below zero for ever.
TEST_F(StoryTest, AFinalSentenceWithNoTimeRunsOutAtOnce)
{
    writeExam(4, 1); // 2 romaji: Int(0.4) = 0 seconds
    openMission(3);
    start();
    for (int i = 0; i < 14; ++i)
        typeWord();
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(time(), "0");
    clock.advance(1000);
    EXPECT_TRUE(screen(ScreenName::Incomplete).isShown());
}

// ---------------------------------------------------------------- results

struct CompleteCase
{
    int stage;
    std::vector<double> draws;
    const char *message;
};

TEST_F(StoryTest, TheCompleteMessageGivesTheNextCode)
{
    const CompleteCase cases[] = {
        {0,
         {0.0, 0.0, 0.0},
         "良くやった！！\n無事に任務を完了してくれたな。\n次の作戦のミッションコードは、「５０４７"
         "」だ。\n"
         "次も上手くやってくれよ。"},
        {1,
         {0.4, 0.4, 0.99},
         "でかしたぞ！\n今回の君の仕事は見事だったぞ。\n次の作戦のミッションコードは、「７２５８」"
         "だ。\n"
         "それじゃあ、また今度。"},
        {2,
         {0.99, 0.99, 0.5},
         "よっし！！！\n上手く敵を一掃してくれたなぁ。\n次の作戦のミッションコードは、「３２４１」"
         "だ。\n"
         "この調子で一気に行け！"},
    };
    for (const CompleteCase &c : cases) {
        openMission(c.stage);
        for (double d : c.draws)
            random.script({d});
        host().showModal(ScreenName::Complete, {});
        EXPECT_EQ(screen(ScreenName::Complete).window()->windowTitle(), "完了");
        EXPECT_EQ(caption(ScreenName::Complete, "Label1"), "Mission Complete");
        EXPECT_EQ(caption(ScreenName::Complete, "KomentG"), c.message);
        EXPECT_EQ(picture(ScreenName::Complete, "Image1"), "PCforest_battle#0");
        closeResult(ScreenName::Complete);
        press(Qt::Key_Escape, "\x1b");
    }
}

// ---------------------------------------------------------------- the ending

// Each page's heading stands alone, then its names are typed a letter every
// 100 ms; at the end the mascot sings, and two seconds later the menu.
TEST_F(StoryTest, TheCreditsRunTheirCourse)
{
    host().show(ScreenName::Kidou);
    host().hide(screen(ScreenName::Kidou));
    sound.log.clear();
    host().showModal(ScreenName::Ending, {});
    ASSERT_TRUE(screen(ScreenName::Ending).isShown());
    EXPECT_EQ(sound.log, (QStringList{"sound Ending.Oto: open moko.wav",
                                      "sound Ending.Ongaku: open /m/end.mid",
                                      "sound Ending.Ongaku: open /m/end.mid",
                                      "sound Ending.Ongaku: play /m/end.mid"}));
    const auto &names = Ending::creditNameList();
    const QString name1 = names[0];
    // The first heading alone for six seconds, then name 1 a letter a tick.
    clock.advance(6000);
    EXPECT_EQ(caption(ScreenName::Ending, "Name1"), name1.left(1));
    clock.advance(100 * (name1.size() - 1));
    EXPECT_EQ(caption(ScreenName::Ending, "Name1"), name1);
    EXPECT_EQ(control<Panel>(ScreenName::Ending, "Panel(0)").y(), 0);
    // Done at the next tick, then five seconds to the second page.
    clock.advance(100 + 5000);
    EXPECT_EQ(control<Panel>(ScreenName::Ending, "Panel(1)").y(), 0);
    EXPECT_EQ(control<Panel>(ScreenName::Ending, "Panel(0)").y(), 512);
    press(Qt::Key_Escape, "\x1b"); // no skipping
    press(Qt::Key_Return, "\r");
    EXPECT_TRUE(screen(ScreenName::Ending).isShown());

    // The rest of the pages, in order, with their names as the credits list them.
    const struct
    {
        const char *page;
        QStringList labels;
        QStringList names;
    } pages[] = {
        {"Panel(2)", {"Name3(0)", "Name3(1)", "Name3(2)"}, {names[1], names[0], names[2]}},
        {"Panel(3)", {"Name4(0)", "Name4(1)"}, {names[3], names[0]}},
        {"Panel(4)",
         {"Name5(0)", "Name5(1)", "Name5(2)", "Name5(3)", "Name5(4)", "Name5(5)"},
         {names[1], names[4], names[3], names[5], names[0], names[2]}},
        {"Panel(5)", {"Name6(0)"}, {names[0]}},
    };
    for (const auto &p : pages) {
        ASSERT_TRUE(advanceUntil([&] { return pageShown(p.page); })) << p.page;
        const QString &lastLabel = p.labels.last();
        const QString &lastName = p.names.last();
        ASSERT_TRUE(advanceUntil([&] {
            return caption(ScreenName::Ending, lastLabel) == lastName;
        })) << p.page;
        for (int i = 0; i < p.labels.size(); ++i)
            EXPECT_EQ(caption(ScreenName::Ending, p.labels[i]), p.names[i]) << p.page;
    }
    ASSERT_TRUE(advanceUntil([&] { return pageShown("Panel(6)"); }));
    EXPECT_EQ(picture(ScreenName::Ending, "Image1"), "PCmoko#0");
    EXPECT_EQ(control<Panel>(ScreenName::Ending, "Panel(6)").y(), 0);
    for (int guard = 0; guard < 100 && !sound.log.contains("sound Ending.Oto: play moko.wav");
         ++guard)
        clock.advance(100);
    ASSERT_TRUE(sound.log.contains("sound Ending.Oto: play moko.wav"));
    EXPECT_EQ(picture(ScreenName::Ending, "Image1"), "PCmoko#1");
    clock.advance(150);
    EXPECT_EQ(picture(ScreenName::Ending, "Image1"), "PCmoko#0");
    clock.advance(1999);
    EXPECT_TRUE(screen(ScreenName::Ending).isLoaded());
    clock.advance(1);
    EXPECT_FALSE(screen(ScreenName::Ending).isLoaded());
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
}

// The exact timing of a page with several names: a second between two names,
// then the given wait before the next heading.
TEST_F(StoryTest, TheCreditsTimingOfTheThirdPage)
{
    host().showModal(ScreenName::Ending, {});
    ASSERT_TRUE(advanceUntil([&] { return pageShown("Panel(2)"); }, 10));
    const auto &names = Ending::creditNameList();
    const int k0 = static_cast<int>(names[1].size());
    // 5 s of heading, then k0 ticks of 100 ms for the first name.
    clock.advance(5000 + 100 * (k0 - 1));
    EXPECT_EQ(caption(ScreenName::Ending, "Name3(0)"), names[1]);
    EXPECT_EQ(caption(ScreenName::Ending, "Name3(1)"), "");
    clock.advance(100 + 1000); // done, then a second before the next name
    EXPECT_EQ(caption(ScreenName::Ending, "Name3(1)"), names[0].left(1));
}

TEST_F(StoryTest, WithoutEndingMusicTheCreditsAreSilentUntilTheJingle)
{
    dir.write("settei.dat",
              "1\r\n2\r\n/m/a.mid\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n");
    sound.log.clear();
    host().showModal(ScreenName::Ending, {});
    EXPECT_TRUE(sound.log.filter("Ongaku").isEmpty());
}

TEST_F(StoryTest, TheCreditsWithABrokenSettingsFileGoBackToTheMenu)
{
    std::remove(dir.path("settei.dat").c_str());
    host().show(ScreenName::Kidou);
    host().hide(screen(ScreenName::Kidou));
    bool after = false;
    host().showModal(ScreenName::Ending, [&] { after = true; });
    EXPECT_EQ(
        dialogs.log,
        QStringList{
            "message: 設定ファイル（settei.dat）が見付かりません。メインメニューに戻ります。"});
    dialogs.answerAll();
    EXPECT_TRUE(after);
    EXPECT_FALSE(screen(ScreenName::Ending).isLoaded());
}

// ---------------------------------------------------------------- records and spellings

// Every battle begun is kept: won, lost or left with Esc, each key with the
// kana it was typed for. A battle left before its Return is none.
TEST_F(StoryTest, EachBattleIsRecordedWonLostOrAbandoned)
{
    openMission(0);
    start();
    for (int walker = 0; walker < 5; ++walker) {
        typeWord();
        clock.advance(1000);
    }
    closeResult(ScreenName::Complete);
    writeExam(0, 1); // "ka": two seconds
    openMission(0);
    start();
    clock.advance(2000);
    closeResult(ScreenName::Incomplete);
    openMission(0);
    start();
    type("kx");
    press(Qt::Key_Escape, "\x1b");
    openMission(0);
    press(Qt::Key_Escape, "\x1b");
    ASSERT_TRUE(screen(ScreenName::Kidou).isShown());

    const std::optional<std::vector<RunSummary>> runs = records().runs();
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 3u);
    EXPECT_EQ((*runs)[0].mode, RunMode::Mission);
    EXPECT_EQ((*runs)[0].subject, "ミッション1");
    EXPECT_EQ((*runs)[0].end, RunEnd::Won);
    EXPECT_EQ((*runs)[0].verdict, "Mission Complete");
    EXPECT_EQ((*runs)[0].keys, 50);
    EXPECT_EQ((*runs)[0].misses, 0);
    EXPECT_EQ((*runs)[1].end, RunEnd::Lost);
    EXPECT_EQ((*runs)[1].verdict, "Mission Incomplete");
    EXPECT_EQ((*runs)[1].durationMs, 2000);
    EXPECT_EQ((*runs)[2].end, RunEnd::Abandoned);
    EXPECT_EQ((*runs)[2].keys, 2);
    EXPECT_EQ((*runs)[2].misses, 1);

    const std::optional<std::vector<KeyEvent>> keys = records().keysOfLatestRuns(1);
    ASSERT_TRUE(keys && keys->size() == 2u);
    EXPECT_EQ((*keys)[1].expected, U'a');
    EXPECT_EQ((*keys)[1].typed, U'x');
    EXPECT_EQ((*keys)[1].kana.view(), "か");
}

// A mission run the records cannot keep is told as the mission ends, in a
// box that stands before Mission Complete or Incomplete, over the battle;
// the result follows once it is answered. Every lost run is told.
TEST_F(StoryTest, ALostRunIsToldBeforeTheResult)
{
    std::filesystem::create_directory(dir.path("records.sqlite3"));
    for (const QString &result : {ScreenName::Complete, ScreenName::Incomplete}) {
        SCOPED_TRACE(result.toStdString());
        dialogs.log.clear();
        if (result == ScreenName::Incomplete)
            writeExam(0, 1); // "ka": two seconds
        openMission(0);
        start();
        if (result == ScreenName::Complete) {
            for (int walker = 0; walker < 5; ++walker) {
                typeWord();
                clock.advance(1000);
            }
        } else {
            clock.advance(2000);
        }
        ASSERT_EQ(dialogs.log.size(), 1);
        EXPECT_TRUE(dialogs.log[0].startsWith(
            "message: 今回のプレイは記録（records.sqlite3）に残せませんでした。"));
        EXPECT_FALSE(screen(result).isShown());
        EXPECT_TRUE(screen(ScreenName::Fight).isShown());
        dialogs.answerAll();
        ASSERT_TRUE(screen(result).isShown());
        EXPECT_EQ(host().activeScreen(), &screen(result));
        closeResult(result);
        EXPECT_EQ(dialogs.log.size(), 1); // nothing more after the result
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    }
}

// The battle follows the player's choice as practice does: つじ typed tuzi
// finishes the word under any spelling, and misses under the table's.
TEST_F(StoryTest, WordsAreJudgedByTheSpellingThePlayerChose)
{
    std::string exam;
    for (std::size_t k = 0; k < missionDisplayTexts(0).size(); ++k)
        exam += "@,つ,じ\r\n";
    dir.write("exam1.ksd", test::cp932(exam));
    for (const bool any : {false, true}) {
        dir.write("keystorm.ini", any ? "[typing]\r\nspelling=any\r\n" : "");
        openMission(0);
        start();
        EXPECT_EQ(word(), "tsuji");
        type("tu");
        EXPECT_EQ(word(), any ? "ji" : "suji");
        type("zi");
        EXPECT_EQ(word(), any ? "" : "suji");
        press(Qt::Key_Escape, "\x1b");
        const std::optional<std::vector<RunSummary>> runs = records().runs();
        ASSERT_TRUE(runs && !runs->empty());
        EXPECT_EQ(runs->back().misses, any ? 0 : 3) << any;
    }
}

} // namespace
} // namespace ks
