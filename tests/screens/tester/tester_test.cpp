#include "screens/screentable.h"
#include "screens/tester/hapyou.h"
#include "screens/tester/tester1.h"
#include "screens/tester/tester2.h"
#include "shell/records/records.h"
#include "shell/screenwindow.h"
#include "support/hostfixture.h"

#include <QApplication>

#include <filesystem>
#include <sys/stat.h>
#include <QTest>

namespace ks {
namespace {

using Strings = std::vector<std::string>;

const char *const kFreshSettings =
    "100\r\n200\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n";

class TesterTest : public test::HostFixture
{
protected:
    void SetUp() override { makeHost(gameScreens()); }

    Screen &screen(const char *name) { return host().screen(QString::fromLatin1(name)); }
    template <typename T> T &control(const char *screenName, const QString &id)
    {
        Control *c = screen(screenName).control(id);
        EXPECT_NE(c, nullptr) << screenName << "." << id.toStdString();
        return dynamic_cast<T &>(*c);
    }
    QString caption(const char *screenName, const QString &id)
    {
        return control<Label>(screenName, id).caption();
    }
    QString picture(const char *screenName, const QString &id)
    {
        Control *c = screen(screenName).control(id);
        if (auto *image = dynamic_cast<Image *>(c))
            return image->picture().name;
        return dynamic_cast<Panel &>(*c).picture().name;
    }
    Tester2 &run() { return host().screenAs<Tester2>("Tester2"); }

    // The course screen, opened from the menu as a player would.
    void openCourses(const std::string &settings = kFreshSettings)
    {
        dir.write("settei.dat", settings);
        host().show("Kidou");
        press(Qt::Key_Return, "\r");
        dialogs.answerAll();
    }

    // Return on the course, then Return on the run: the first row has risen
    // 60 ms later. Unscripted draws are 0, so every letter is "A".
    void startRun(int course = 1, const std::string &settings = kFreshSettings)
    {
        openCourses(settings);
        if (course == 2)
            press(Qt::Key_Down);
        press(Qt::Key_Return, "\r");
        ASSERT_TRUE(screen("Tester2").isShown());
        press(Qt::Key_Return, "\r");
        clock.advance(60);
        ASSERT_EQ(run().state(), Tester2::RunState::Typing);
    }
    void type(const QString &text)
    {
        for (QChar c : text)
            press(c.isUpper() ? Qt::Key_A + (c.unicode() - 'A') : Qt::Key_A + (c.unicode() - 'a'),
                  QString(c));
    }
    int hits() { return run().shared().counts.rated(); }
    int count(Rating rating) { return run().shared().counts.count(rating); }
};

// ---------------------------------------------------------------- courses

TEST_F(TesterTest, CourseScreenShowsBothStoredScoresAndTheGreeting)
{
    openCourses("150\r\n2x\r\nnodata\r\n");
    ASSERT_TRUE(screen("Tester1").isShown());
    EXPECT_FALSE(screen("Kidou").isShown());
    EXPECT_EQ(screen("Tester1").window()->windowTitle(), "打速度テスター～コース選択～");
    EXPECT_EQ(caption("Tester1", "Scoa(0)"), "150");
    EXPECT_EQ(caption("Tester1", "Scoa(1)"), "2x"); // shown as stored
    EXPECT_TRUE(caption("Tester1", "KomentG").startsWith("よーっし、来たな。"));
    EXPECT_EQ(control<Label>("Tester1", "Zikan(0)").backColor(), QColor(Qt::red));
    EXPECT_EQ(control<Label>("Tester1", "Zikan(1)").backColor(), QColor(Qt::black));
}

struct CourseCase
{
    std::vector<int> keys;
    int tlimit;
};

TEST_F(TesterTest, UpAndDownChooseTheCourseWithoutWrapping)
{
    const CourseCase cases[] = {{{}, 30},
                                {{Qt::Key_Down}, 60},
                                {{Qt::Key_Down, Qt::Key_Down}, 60},
                                {{Qt::Key_Up}, 30},
                                {{Qt::Key_Down, Qt::Key_Up}, 30},
                                {{Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}, 60}};
    for (const CourseCase &c : cases) {
        openCourses();
        for (int key : c.keys)
            press(key);
        press(Qt::Key_Return, "\r");
        EXPECT_EQ(host().screenAs<Tester1>("Tester1").shared().Tlimit1, c.tlimit);
        EXPECT_TRUE(screen("Tester2").isShown());
        EXPECT_FALSE(screen("Tester1").isLoaded());
        EXPECT_FALSE(screen("Kidou").isShown()); // Return never shows the menu
        EXPECT_EQ(caption("Tester2", "Lim"), QString::number(c.tlimit));
        press(Qt::Key_Escape, "\x1b");
        ASSERT_TRUE(screen("Kidou").isShown());
    }
}

TEST_F(TesterTest, ReopeningTheCoursesStartsOnCourseOne)
{
    openCourses();
    press(Qt::Key_Down);
    press(Qt::Key_Escape, "\x1b");
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_FALSE(screen("Tester1").isLoaded());
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(control<Label>("Tester1", "Zikan(0)").backColor(), QColor(Qt::red));
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(host().screenAs<Tester1>("Tester1").shared().Tlimit1, 30);
}

// Without a usable settings file there is nothing to show or beat: the player
// is told and goes back to the menu, and nothing is written.
TEST_F(TesterTest, ABrokenSettingsFileGoesBackToTheMenu)
{
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += "1\r\n";
    for (const std::string &content :
         {std::string("missing"), twelve, std::string("\x81\x20\r\n")}) {
        dialogs.log.clear();
        std::remove(dir.path("settei.dat").c_str());
        if (content != "missing")
            dir.write("settei.dat", content);
        if (!screen("Kidou").isLoaded())
            host().show("Kidou");
        press(Qt::Key_Return, "\r");
        ASSERT_EQ(dialogs.log.size(), 1) << content;
        EXPECT_TRUE(dialogs.log[0].contains("settei.dat"));
        dialogs.answerAll();
        EXPECT_FALSE(screen("Tester1").isLoaded());
        EXPECT_TRUE(screen("Kidou").isShown());
        if (content != "missing")
            EXPECT_EQ(dir.read("settei.dat"), content);
        else
            EXPECT_FALSE(dir.exists("settei.dat"));
    }
}

// The game's real message boxes own the keyboard: Return answers the box and
// reaches neither the course screen nor the run behind it.
class TesterRealBoxTest : public TesterTest
{
protected:
    void SetUp() override { makeHost(gameScreens(), &real); }
    void pressIntoBox(Qt::Key key)
    {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(screenOf(box), nullptr); // a box, not a screen
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
    }
    QtDialogs real;
};

TEST_F(TesterRealBoxTest, ReturnOnTheCourseScreensBoxGoesBackToTheMenuOnly)
{
    host().show("Kidou");
    press(Qt::Key_Return, "\r"); // no settei.dat in a fresh folder
    ASSERT_TRUE(real.isOpen());
    press(Qt::Key_Return, "\r"); // a key the screen behind must not see
    pressIntoBox(Qt::Key_Return);
    EXPECT_FALSE(real.isOpen());
    EXPECT_FALSE(screen("Tester1").isLoaded());
    EXPECT_FALSE(screen("Tester2").isLoaded());
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_EQ(endings, 0);
}

TEST_F(TesterRealBoxTest, ReturnOnTheRunsBoxStartsNoRun)
{
    openCourses();
    std::remove(dir.path("settei.dat").c_str());
    press(Qt::Key_Return, "\r");
    ASSERT_TRUE(real.isOpen());
    ASSERT_TRUE(screen("Tester2").isLoaded());
    pressIntoBox(Qt::Key_Return);
    EXPECT_FALSE(screen("Tester2").isLoaded());
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_TRUE(sound.log.filter("Gunsound: open").isEmpty()); // no run began
}

// A FIFO or a folder where settei.dat should be is told like an unreadable
// file at once: the course screen does not wait on it.
TEST_F(TesterTest, ASettingsFileThatIsNoFileIsToldAtOnce)
{
    ASSERT_EQ(::mkfifo(dir.path("settei.dat").c_str(), 0644), 0);
    host().show("Kidou");
    press(Qt::Key_Return, "\r");
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(dialogs.log[0], "message: 設定ファイル（settei.dat）を読み込めません。"
                              "メインメニューに戻ります。");
    dialogs.answerAll();
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_TRUE(std::filesystem::is_fifo(dir.path("settei.dat")));
}

// ---------------------------------------------------------------- the run

TEST_F(TesterTest, KeysBeforeReturnAndDuringARiseCountForNothing)
{
    openCourses();
    press(Qt::Key_Return, "\r");
    type("aab");
    EXPECT_EQ(count(Rating::Miss) + hits(), 0);
    EXPECT_EQ(caption("Tester2", "Label3"), "リターンキーでスタートだ。");
    press(Qt::Key_Return, "\r");
    clock.advance(59); // the first row is still rising
    type("ab");
    EXPECT_EQ(count(Rating::Miss) + hits(), 0);
    clock.advance(1);
    type("a");
    EXPECT_EQ(hits(), 1);
}

TEST_F(TesterTest, TheRowRisesInTwoTicksWithTheSoundOnTheUpperRowOnly)
{
    openCourses();
    press(Qt::Key_Return, "\r");
    sound.log.clear();
    random.script({0.0, 1.0 / 26, 2.0 / 26}); // letters A, B, C, then A
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(picture("Tester2", "Target(0)"), "Mato1#0");
    EXPECT_EQ(picture("Tester2", "Target(10)"), "Mato1#2");
    clock.advance(30);
    EXPECT_EQ(picture("Tester2", "Target(9)"), "Mato1#1");
    EXPECT_TRUE(sound.log.contains("sound Tester2.Setsound: play practice/standard/set.wav"));
    clock.advance(30);
    EXPECT_EQ(picture("Tester2", "Target(0)"), "Mato0#0");
    EXPECT_EQ(picture("Tester2", "Target(1)"), "Mato0#1");
    EXPECT_EQ(picture("Tester2", "Target(2)"), "Mato0#2");
    EXPECT_EQ(picture("Tester2", "Target(10)"), "Mato1#2");

    // Targets are hit in order: "b" is wrong for the first target "A".
    type("b");
    EXPECT_EQ(count(Rating::Miss), 1);
    type("a");
    EXPECT_EQ(picture("Tester2", "Target(0)"), "Mato1#2");
    type("b");
    EXPECT_EQ(hits(), 2);
}

struct RatingCase
{
    int ms; // after Return
    const char *flash;
    Rating rating;
};

// Ratings count 100 ms ticks since the previous hit, here since Return, the
// row's rise included.
// A run left with Esc halfway leaves nothing behind: the next run's first
// second looks and counts exactly as the first one's did.
TEST_F(TesterTest, ASecondRunStartsExactlyLikeTheFirst)
{
    const auto firstSecond = [this] {
        startRun();
        QStringList seen;
        for (int ms = 0; ms < 1000; ms += 20) {
            if (ms == 200)
                type("aax");
            seen << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(picture("Tester2", "Target(0)"), picture("Tester2", "Target(1)"),
                             caption("Tester2", "Lim"), caption("Tester2", "Ten(0)"),
                             picture("Tester2", "Kao"));
            clock.advance(20);
        }
        press(Qt::Key_Escape, "\x1b");
        EXPECT_TRUE(screen("Kidou").isShown());
        return seen;
    };
    const QStringList first = firstSecond();
    EXPECT_EQ(firstSecond(), first);
}

TEST_F(TesterTest, RatingBandsAtTheirBorders)
{
    const RatingCase cases[] = {{299, "Fervor!!!", Rating::Fervor}, {300, "Grate!!", Rating::Grate},
                                {599, "Grate!!", Rating::Grate},    {600, "Good!", Rating::Good},
                                {899, "Good!", Rating::Good},       {900, "OK", Rating::Ok},
                                {1099, "OK", Rating::Ok},           {1100, "Bad", Rating::Bad},
                                {60, "Fervor!!!", Rating::Fervor},  {5000, "Bad", Rating::Bad}};
    for (const RatingCase &c : cases) {
        startRun();
        clock.advance(c.ms - 60);
        type("a");
        EXPECT_EQ(caption("Tester2", "Label1"), c.flash) << c.ms;
        EXPECT_EQ(count(c.rating), 1) << c.ms;
        EXPECT_EQ(hits(), 1) << c.ms;
        press(Qt::Key_Escape, "\x1b");
    }
}

TEST_F(TesterTest, AMissKeepsTargetAndRatingClock)
{
    startRun();
    clock.advance(440); // 5 ticks since Return
    type("a");          // Grate, clock back to 0 at t = 500
    clock.advance(250); // ticks at 600, 700
    type("qq");
    clock.advance(100); // tick at 800
    type("a");          // 3 ticks since the previous hit: Grate
    EXPECT_EQ(count(Rating::Grate), 2);
    EXPECT_EQ(count(Rating::Miss), 2);
    EXPECT_EQ(caption("Tester2", "Ten(5)"), "2");
    EXPECT_EQ(caption("Tester2", "Ten(1)"), "2");
}

TEST_F(TesterTest, CapsLockLettersReturnAndOtherKeysAreMisses)
{
    startRun();
    type("A");
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Space, " ");
    press(Qt::Key_Backspace, "\b");
    press(Qt::Key_1, "1");
    EXPECT_EQ(count(Rating::Miss), 5);
    EXPECT_EQ(hits(), 0);
    EXPECT_EQ(caption("Tester2", "Label1"), "Miss");
    clock.advance(300);
    EXPECT_EQ(caption("Tester2", "Label1"), "");
}

// The tenth hit knocks the upper row down and raises the lower one with new
// letters; the upper row rises again after the twentieth.
TEST_F(TesterTest, RowsAlternateWithFreshLetters)
{
    startRun();
    type("aaaaaaaaa");
    for (int i = 0; i < 20; ++i)
        random.script({3.0 / 26}); // every new letter is "D"
    sound.log.clear();
    type("a"); // target 9
    EXPECT_EQ(run().state(), Tester2::RunState::Rising);
    EXPECT_EQ(picture("Tester2", "Target(9)"), "Mato1#2");
    EXPECT_EQ(picture("Tester2", "Target(10)"), "Mato1#0");
    type("d");
    EXPECT_EQ(hits(), 10); // ignored while rising
    clock.advance(60);
    EXPECT_FALSE(sound.log.join('\n').contains("Setsound")); // the lower row rises silently
    EXPECT_EQ(picture("Tester2", "Target(10)"), "Mato0#3");
    EXPECT_EQ(picture("Tester2", "Target(0)"), "Mato1#2"); // the upper row stays down
    type("dddddddddd");
    EXPECT_EQ(hits(), 20);
    EXPECT_EQ(picture("Tester2", "Target(0)"), "Mato1#0");
    clock.advance(60);
    EXPECT_EQ(picture("Tester2", "Target(0)"), "Mato0#0");
    EXPECT_TRUE(sound.log.join('\n').contains("Setsound: play"));
    type("a");
    EXPECT_EQ(hits(), 21);
}

// Lim counts from Tlimit1 down to 1; the results follow exactly Tlimit1
// seconds after Return.
TEST_F(TesterTest, TheCountdownEndsExactlyAtTheCourseLength)
{
    for (int course : {1, 2}) {
        const int seconds = course == 1 ? 30 : 60;
        startRun(course);
        clock.advance(1000 - 60);
        EXPECT_EQ(caption("Tester2", "Lim"), QString::number(seconds - 1));
        clock.advance((seconds - 2) * 1000);
        EXPECT_EQ(caption("Tester2", "Lim"), "1");
        clock.advance(999);
        EXPECT_TRUE(screen("Tester2").isLoaded());
        clock.advance(1);
        EXPECT_FALSE(screen("Tester2").isLoaded());
        Screen &results = screen(course == 1 ? "Hapyou1" : "Hapyou2");
        ASSERT_TRUE(results.isShown());
        EXPECT_EQ(host().activeScreen(), &results);
        clock.advance(1000);
        press(Qt::Key_Space, " ");
        EXPECT_TRUE(screen("Tester1").isShown()); // the courses again, not the menu
        press(Qt::Key_Escape, "\x1b");
    }
}

TEST_F(TesterTest, EscDuringTheRunGoesToTheMenuWithoutResults)
{
    startRun();
    type("aaab");
    clock.advance(10000);
    press(Qt::Key_Escape, "\x1b");
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_FALSE(screen("Hapyou1").isLoaded());
    EXPECT_EQ(dir.read("settei.dat"), kFreshSettings);
}

// Every run started is kept: played to its end with its points, left with
// Esc as abandoned, each key with the letter it was typed for. Courses left
// before Return are no run.
TEST_F(TesterTest, RunsAreRecordedFinishedOrAbandoned)
{
    startRun();
    clock.advance(200);
    type("ab");
    clock.advance(300);
    type("a");
    const int points = run().shared().counts.total();
    clock.advance(30000);
    ASSERT_TRUE(screen("Hapyou1").isShown());
    clock.advance(1000);
    press(Qt::Key_Space, " ");
    ASSERT_TRUE(screen("Tester1").isShown());
    press(Qt::Key_Down);
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    clock.advance(60);
    type("a");
    press(Qt::Key_Escape, "\x1b");
    openCourses();
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Escape, "\x1b");

    const std::optional<std::vector<RunSummary>> runs = records().runs();
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 2u);
    const RunSummary &finished = (*runs)[0];
    EXPECT_EQ(finished.mode, RunMode::SpeedTest);
    EXPECT_EQ(finished.subject, "30秒");
    EXPECT_EQ(finished.end, RunEnd::Finished);
    EXPECT_EQ(finished.durationMs, 30000);
    EXPECT_EQ(finished.keys, 3);
    EXPECT_EQ(finished.misses, 1);
    EXPECT_EQ(finished.score, points);
    const RunSummary &left = (*runs)[1];
    EXPECT_EQ(left.subject, "60秒");
    EXPECT_EQ(left.end, RunEnd::Abandoned);
    EXPECT_EQ(left.keys, 1);

    const std::optional<std::vector<KeyEvent>> keys = records().keysOfLatestRuns(2);
    ASSERT_TRUE(keys);
    ASSERT_EQ(keys->size(), 4u);
    EXPECT_EQ((*keys)[1].expected, U'a');
    EXPECT_EQ((*keys)[1].typed, U'b');
    EXPECT_TRUE((*keys)[1].kana.empty());
    EXPECT_EQ((*keys)[2].intervalMs, 300);
}

// The records are opened as the run starts, while the player looks for the
// first letters, so that its end has only the run to write; a screen of
// courses left before Return opens nothing.
TEST_F(TesterTest, TheRecordsAreOpenedAsTheRunStarts)
{
    openCourses();
    press(Qt::Key_Return, "\r");
    EXPECT_FALSE(std::filesystem::exists(dir.path("records.sqlite3")));
    press(Qt::Key_Escape, "\x1b");
    startRun();
    EXPECT_TRUE(std::filesystem::exists(dir.path("records.sqlite3")));
    ASSERT_TRUE(records().runs());
    EXPECT_TRUE(records().runs()->empty());
}

// Records that cannot be written never stop a game: the player is told of
// every lost run, before its results, which then show as always.
TEST_F(TesterTest, EveryRunThatCannotBeRecordedIsToldAndTheResultsStillShow)
{
    std::filesystem::create_directory(dir.path("records.sqlite3"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        dialogs.log.clear();
        startRun();
        type("a");
        clock.advance(30000);
        ASSERT_EQ(dialogs.log.size(), 1) << attempt;
        EXPECT_FALSE(screen("Hapyou1").isShown()) << attempt;
        EXPECT_TRUE(dialogs.log[0].startsWith(
            "message: 今回のプレイは記録（records.sqlite3）に残せませんでした。"))
            << dialogs.log[0].toStdString();
        dialogs.answerAll();
        ASSERT_TRUE(screen("Hapyou1").isShown());
        EXPECT_EQ(host().activeScreen(), &screen("Hapyou1"));
        clock.advance(1000);
        press(Qt::Key_Space, " ");
        press(Qt::Key_Escape, "\x1b");
    }
}

// A second Return while the first row rises must not start the run over.
TEST_F(TesterTest, ASecondReturnWhileTheFirstRowRisesChangesNothing)
{
    openCourses();
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    sound.log.clear();
    press(Qt::Key_Return, "\r");
    EXPECT_FALSE(sound.log.join('\n').contains("open"));
    clock.advance(60);
    EXPECT_EQ(count(Rating::Miss), 0);
    press(Qt::Key_Return, "\r"); // now a miss
    EXPECT_EQ(count(Rating::Miss), 1);
}

struct MusicCase
{
    const char *settings;
    double draw;
    const char *played; // empty: silence
};

// The last listed music is never chosen when there are two or more.
TEST_F(TesterTest, MusicPick)
{
    const MusicCase cases[] = {
        {"1\r\n2\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n", 0.5, ""},
        {"1\r\n2\r\nnodata\r\n/m/one.mid\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n", 0.99,
         "/m/one.mid"},
        {"1\r\n2\r\n/m/a.mid\r\n/m/b.mid\r\nnodata\r\nnodata\r\nnodata\r\n/m/end.mid\r\n", 0.99,
         "/m/b.mid"},
        {"1\r\n2\r\n/m/a.mid\r\n/m/b.mid\r\nnodata\r\nnodata\r\nnodata\r\n/m/end.mid\r\n", 0.0,
         "/m/a.mid"},
        // a short file's missing lines are no "nodata": they count as entries
        {"1\r\n2\r\n/m/a.mid\r\n/m/b.mid\r\n", 0.2, "/m/b.mid"},
    };
    for (const MusicCase &c : cases) {
        openCourses(c.settings);
        press(Qt::Key_Return, "\r");
        sound.log.clear();
        random.script({c.draw});
        press(Qt::Key_Return, "\r");
        const QStringList music = sound.log.filter("Ongaku");
        if (*c.played == 0) {
            EXPECT_TRUE(music.isEmpty()) << c.settings;
        } else {
            EXPECT_EQ(music,
                      (QStringList{QStringLiteral("sound Tester2.Ongaku: open %1").arg(c.played),
                                   QStringLiteral("sound Tester2.Ongaku: prev %1").arg(c.played),
                                   QStringLiteral("sound Tester2.Ongaku: play %1").arg(c.played)}))
                << c.settings;
        }
        press(Qt::Key_Escape, "\x1b");
    }
}

// A music slot named relative to the game's folder is found in the folder
// the game runs from now, so a moved folder keeps its music; a slot written
// on Windows names its folders with "\\".
TEST_F(TesterTest, AMovedGameFolderStillHearsItsTune)
{
    sound.baseDir.clear(); // log whole paths
    const QString tune = QString::fromStdString(dir.root()) + "/music/keystorm.mid";
    for (const char *slot : {"music/keystorm.mid", "music\\keystorm.mid"}) {
        openCourses(std::string("1\r\n2\r\n") + slot + "\r\nnodata\r\n");
        press(Qt::Key_Return, "\r");
        sound.log.clear();
        press(Qt::Key_Return, "\r");
        EXPECT_TRUE(sound.log.contains("sound Tester2.Ongaku: play " + tune))
            << slot << sound.log.join('\n').toStdString();
        press(Qt::Key_Escape, "\x1b");
    }
}

// ---------------------------------------------------------------- the instructor

TEST_F(TesterTest, BeforeTheStartTheCalmFaceGlintsOnceASecond)
{
    openCourses();
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(picture("Tester2", "Kao"), "PCforest#0");
    QStringList cells;
    clock.advance(1000);
    cells << picture("Tester2", "Kao");
    for (int i = 0; i < 3; ++i) {
        clock.advance(50);
        cells << picture("Tester2", "Kao");
    }
    EXPECT_EQ(cells, (QStringList{"PCforest#1", "PCforest#2", "PCforest#3", "PCforest#0"}));
    clock.advance(999);
    EXPECT_EQ(picture("Tester2", "Kao"), "PCforest#0");
    clock.advance(1);
    EXPECT_EQ(picture("Tester2", "Kao"), "PCforest#1");
}

// Two rated hits per elapsed second is on pace; exactly that is enough.
TEST_F(TesterTest, PaceRuleAtItsBorder)
{
    for (int rated : {5, 6}) {
        startRun();
        type(QString(rated, 'a'));
        clock.advance(3000 - 60 - 1);
        random.script({0.0});
        clock.advance(1); // three seconds elapsed: six rated hits needed
        EXPECT_EQ(caption("Tester2", "Label3"),
                  rated == 6 ? "その調子だ。" : "もうちょい速く打て。")
            << rated;
        press(Qt::Key_Escape, "\x1b");
    }
}

TEST_F(TesterTest, MissesNeverCountTowardsThePace)
{
    for (int rated : {1, 2}) {
        startRun();
        type(QString(rated, 'a'));
        type("bbbbbbbbbb");
        clock.advance(999);
        random.script({0.0});
        clock.advance(1); // the recovery, one second after the first miss
        EXPECT_EQ(caption("Tester2", "Label3"),
                  rated == 2 ? "その調子だ。" : "もうちょい速く打て。")
            << rated;
        press(Qt::Key_Escape, "\x1b");
    }
}

TEST_F(TesterTest, WithNoHitsTheFaceTurnsRedAfterOneSecond)
{
    startRun();
    // Atime ticks at 1000 (frame 0): one second has elapsed, no hits.
    clock.advance(1000 - 60);
    EXPECT_EQ(picture("Tester2", "Kao"), "PCforest#5");
    QStringList cells;
    for (int i = 0; i < 5; ++i) {
        clock.advance(50);
        cells << picture("Tester2", "Kao");
    }
    // Red cycles every 50 ms without rest.
    EXPECT_EQ(cells,
              (QStringList{"PCforest#6", "PCforest#7", "PCforest#4", "PCforest#5", "PCforest#6"}));
    clock.advance(3000);
    const QString comment = caption("Tester2", "Label3");
    EXPECT_TRUE(comment == "もうちょい速く打て。" || comment == "ペースが落ちてるぞ。" ||
                comment == "もっと速く。");
}

// A miss shows the shouting face until one second later, whatever the player
// does meanwhile; then a pace comment and the glint come back.
TEST_F(TesterTest, AMissShoutsForOneSecond)
{
    startRun();
    random.script({0.0, 0.99});
    clock.advance(140);
    type("x"); // at t = 200
    EXPECT_EQ(picture("Tester2", "Kao"), "forest_shout");
    EXPECT_EQ(caption("Tester2", "Label3"), "焦るな。");
    type("aaaaaa");
    clock.advance(999);
    EXPECT_EQ(picture("Tester2", "Kao"), "forest_shout");
    clock.advance(1);
    EXPECT_EQ(picture("Tester2", "Kao"), "PCforest#1");
    EXPECT_EQ(caption("Tester2", "Label3"), "いいぞ、いいぞ。"); // on pace: group 3, third line
    // The periodic comments restarted from the recovery: the next one 3 s
    // later, when 6 hits in 4 seconds are behind the pace.
    random.script({0.0});
    clock.advance(2999);
    EXPECT_EQ(caption("Tester2", "Label3"), "いいぞ、いいぞ。");
    clock.advance(1);
    EXPECT_EQ(caption("Tester2", "Label3"), "もうちょい速く打て。");
}

TEST_F(TesterTest, TheStartLineComesFromTheFirstGroup)
{
    openCourses();
    press(Qt::Key_Return, "\r");
    std::vector<double> draws(20, 0.0);
    draws.push_back(0.4);
    for (double d : draws)
        random.script({d});
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(caption("Tester2", "Label3"), "いくずぇ、おるぁ～～～！！");
}

// ---------------------------------------------------------------- results

class ResultsTest : public TesterTest
{
protected:
    // A finished run with these counts: the counters are set just before the
    // countdown ends, as the run would have left them.
    void finishRun(int course, std::array<int, 6> counts,
                   const std::string &settings = kFreshSettings)
    {
        startRun(course, settings);
        clock.advance((course == 1 ? 30000 : 60000) - 61);
        for (Rating rating : kRatings)
            run().shared().counts.set(rating, counts[static_cast<std::size_t>(rating)]);
        clock.advance(1);
        ASSERT_TRUE(screen(course == 1 ? "Hapyou1" : "Hapyou2").isLoaded());
    }
    // Any key after the first second closes the results; Esc then leaves the courses.
    void closeResults()
    {
        clock.advance(1000);
        press(Qt::Key_Return, "\r");
        press(Qt::Key_Escape, "\x1b");
        ASSERT_TRUE(screen("Kidou").isShown());
    }
};

TEST_F(ResultsTest, ProductsTotalAndTheBeatenScore)
{
    finishRun(1, {10, 5, 4, 3, 2, 6});
    EXPECT_EQ(screen("Hapyou1").window()->windowTitle(), "打速度でスター～コース１結果発表～");
    const QStringList counts{"10", "5", "4", "3", "2", "6"};
    const QStringList products{"1200", "500", "240", "135", "10", "-120"};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(caption("Hapyou1", QStringLiteral("Ten(%1)").arg(10 + r)), counts[r]);
        EXPECT_EQ(caption("Hapyou1", QStringLiteral("Kei1(%1)").arg(r)), products[r]);
    }
    EXPECT_EQ(caption("Hapyou1", "Kei2"), "1965");
    EXPECT_EQ(caption("Hapyou1", "Hi"), "100"); // the score just beaten
    EXPECT_EQ(caption("Hapyou1", "Coment"), "ハイスコアだ。おめでとう。");
    EXPECT_EQ(picture("Hapyou1", "Kao"), "PCforest#0");
    EXPECT_EQ(dir.read("settei.dat"),
              "1965\r\n200\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n");
}

// After a reset, a score just above 100 on the 30-second course is stored as
// it is; the other course and the music lines are written back unchanged.
TEST_F(ResultsTest, ResetScoreBeaten)
{
    const std::string settings =
        "100\r\n200\r\n/m/a.mid\r\nnodata\r\n/m/c.wav\r\nnodata\r\nnodata\r\n/m/e.mid\r\n";
    finishRun(1, {0, 1, 0, 0, 1, 0}, settings);
    EXPECT_EQ(caption("Hapyou1", "Kei2"), "105");
    EXPECT_EQ(dir.read("settei.dat"),
              "105\r\n200\r\n/m/a.mid\r\nnodata\r\n/m/c.wav\r\nnodata\r\nnodata\r\n/m/e.mid\r\n");
}

TEST_F(ResultsTest, AnEqualTotalIsNotStored)
{
    const std::string settings = "305\r\n200\r\nnodata\r\n";
    finishRun(1, {2, 0, 0, 1, 0, 0}, settings);
    EXPECT_EQ(caption("Hapyou1", "Kei2"), "285");
    closeResults();
    finishRun(1, {2, 0, 0, 1, 4, 0}, settings);
    EXPECT_EQ(caption("Hapyou1", "Kei2"), "305");
    EXPECT_EQ(caption("Hapyou1", "Coment"), "この位出来て当たり前だ。まだまだ伸びるぞ。");
    EXPECT_EQ(dir.read("settei.dat"), settings);
}

TEST_F(ResultsTest, SixtySecondsStoresLineOneAndKeepsShortFilesShort)
{
    finishRun(2, {0, 3, 0, 0, 0, 0}, "150\r\n200\r\n/m/a.mid\r\n");
    EXPECT_EQ(screen("Hapyou2").window()->windowTitle(), "打速度テスター～コース２結果発表～");
    EXPECT_EQ(caption("Hapyou2", "Hi"), "200");
    EXPECT_EQ(dir.read("settei.dat"), "150\r\n300\r\n/m/a.mid\r\n\r\n\r\n\r\n\r\n\r\n");
}

// A settings file the player made read-only is not replaced: the player is
// told the score could not be stored, and the file stays as it was.
TEST_F(ResultsTest, AReadOnlySettingsFileKeepsItsScore)
{
    dir.write("settei.dat", kFreshSettings);
    ::chmod(dir.path("settei.dat").c_str(), 0444);
    dialogs.log.clear();
    finishRun(1, {5, 0, 0, 0, 0, 0}, kFreshSettings);
    EXPECT_EQ(caption("Hapyou1", "Coment"), "ハイスコアだ。おめでとう。");
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(dialogs.log[0],
              "message: 設定ファイル（settei.dat）にハイスコアを保存できませんでした。"
              "前のファイルはそのまま残っています。");
    EXPECT_EQ(dir.read("settei.dat"), kFreshSettings);
    // The box comes first, the results once it is answered.
    EXPECT_FALSE(screen("Hapyou1").isShown());
    dialogs.answerAll();
    EXPECT_TRUE(screen("Hapyou1").isShown());
}

// 274 Fervor hits already make a product above 32767: nothing wraps.
TEST_F(ResultsTest, LargeScoresDoNotWrap)
{
    finishRun(2, {274, 300, 0, 0, 0, 0});
    EXPECT_EQ(caption("Hapyou2", "Kei1(0)"), "32880");
    EXPECT_EQ(caption("Hapyou2", "Kei2"), "62880");
    EXPECT_EQ(dir.read("settei.dat").substr(0, 12), "100\r\n62880\r\n");
}

// A score line that is no number counts as 0 and is shown as stored.
TEST_F(ResultsTest, ANonNumericScoreCountsAsZero)
{
    finishRun(1, {0, 0, 0, 0, 1, 0}, "abc\r\n200\r\n");
    EXPECT_EQ(caption("Hapyou1", "Hi"), "abc");
    EXPECT_EQ(caption("Hapyou1", "Coment"), "ハイスコアだ。おめでとう。");
    EXPECT_EQ(dir.read("settei.dat").substr(0, 8), "5\r\n200\r\n");
}

TEST_F(ResultsTest, MissLimitFaceDiffersByCourse)
{
    finishRun(1, {10, 0, 0, 0, 0, 10}, "9999\r\n9999\r\n");
    EXPECT_EQ(caption("Hapyou1", "Coment"), "ミスり過ぎだなぁ。もっと正確に打つように心がけろ。");
    EXPECT_EQ(picture("Hapyou1", "Kao"), "forest_shout");
    closeResults();
    finishRun(2, {10, 0, 0, 0, 0, 20}, "9999\r\n9999\r\n");
    EXPECT_EQ(picture("Hapyou2", "Kao"), "PCforest#4");
    EXPECT_EQ(control<Image>("Hapyou2", "Kao").geometry().top(), 320);
}

// Keys in the first second do nothing; then any key closes, and the courses follow.
TEST_F(ResultsTest, KeysAreLockedForOneSecond)
{
    finishRun(1, {1, 0, 0, 0, 0, 0});
    press(Qt::Key_Return, "\r");
    clock.advance(999);
    press(Qt::Key_A, "a");
    EXPECT_TRUE(screen("Hapyou1").isShown());
    clock.advance(1);
    press(Qt::Key_Left);
    EXPECT_FALSE(screen("Hapyou1").isLoaded());
    EXPECT_TRUE(screen("Tester1").isShown());
    EXPECT_EQ(caption("Tester1", "Scoa(0)"), "120"); // re-read after the new score
    EXPECT_EQ(endings, 0);
}

// The run is gone while its results are open: no second results screen, no
// second write, whatever time passes.
TEST_F(ResultsTest, OnlyOneResultsScreenPerRun)
{
    finishRun(1, {1, 0, 0, 0, 0, 0});
    const QStringList before = trace;
    clock.advance(10000);
    EXPECT_EQ(trace, before);
    EXPECT_EQ(trace.filter("load Hapyou1").size(), 1);
}

// A settings file that broke during the run: the results are still shown,
// the player is told once and truthfully (the results stay up; no score is
// stored), nothing is written, and closing them leads to the menu rather than
// to a course screen that would fail on the same file.
TEST_F(ResultsTest, ASettingsFileBrokenDuringTheRunIsToldOnceAndNothingIsWritten)
{
    startRun(1);
    clock.advance(30000 - 61);
    run().shared().counts.set(Rating::Fervor, 3);
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += "1\r\n";
    dir.write("settei.dat", twelve);
    dialogs.log.clear();
    clock.advance(1);
    ASSERT_TRUE(screen("Hapyou1").isLoaded());
    EXPECT_FALSE(screen("Hapyou1").isShown()); // the box is in front, alone
    EXPECT_EQ(caption("Hapyou1", "Kei2"), "360");
    EXPECT_EQ(caption("Hapyou1", "Hi"), "");
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(dialogs.log[0],
              "message: 設定ファイル（settei.dat）の行が多すぎます。"
              "ハイスコアは記録されません。結果を閉じるとメインメニューに戻ります。");
    dialogs.answerAll();
    EXPECT_TRUE(screen("Hapyou1").isShown()); // the results stay, as the box said

    clock.advance(1000);
    press(Qt::Key_Return, "\r");
    EXPECT_FALSE(screen("Hapyou1").isLoaded());
    EXPECT_FALSE(screen("Tester1").isLoaded());
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_EQ(dialogs.log.size(), 1); // told once
    EXPECT_EQ(dir.read("settei.dat"), twelve);
}

} // namespace
} // namespace ks
