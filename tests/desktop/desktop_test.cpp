// The real game on a real X server (Xvfb), with a window manager (openbox)
// and without, driven by XTest keys as a keyboard player drives it. After
// every step the window in front is checked: viewable, focused, on top of
// the game's other windows and painted. What offscreen tests cannot see
// (focus, stacking, title bars, close buttons) is tested here.
#include "xdesktop.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace ks::desktop {
namespace {

using namespace std::chrono_literals;

const char *const kMenu = "キーストーム";
const char *const kBoxTitle = "キーストーム";

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Exam files whose every phrase is ten か, so a test knows what to type
// whatever word the battle draws; long enough that the battleship's words
// leave time to type them.
const std::string kEasyWord = "kakakakakakakakakaka";

void writeEasyExams(const fs::path &folder)
{
    std::string phrase = "@";
    for (int i = 0; i < 10; ++i)
        phrase += ",\x82\xa9"; // か in code page 932
    std::string exam;
    for (int i = 0; i < 51; ++i)
        exam += phrase + "\r\n";
    for (int index = 1; index <= 5; ++index)
        writeFile(folder / ("exam" + std::to_string(index) + ".ksd"), exam);
}

// One practice file of two problems, "kaka" each.
void writeEasyPractice(const fs::path &folder)
{
    for (const auto &entry : fs::directory_iterator(folder / "practice")) {
        if (entry.path().extension() == ".ksd")
            fs::remove(entry.path());
    }
    writeFile(folder / "practice" / "a.ksd",
              test::cp932("タイトル,かか\r\nレベル,1\r\n問題数,2\r\n制限時間,60\r\n"
                          "素材,standard\\\r\n文字,20\r\n作者,試験\r\n"
                          "@,蚊蚊,か,か\r\n@,かか,か,か\r\n@,end\r\n"));
}

std::string describe(const std::vector<TopWindow> &windows, XWindow focus)
{
    std::ostringstream out;
    for (const TopWindow &w : windows)
        out << " [" << w.title << (w.dialog ? " dialog" : "") << " " << w.width << "x" << w.height
            << (w.client == focus ? " focused" : "") << "]";
    return out.str();
}

// The fixture's helpers are public: the tables of cases below drive a test
// through them.
class DesktopTest : public ::testing::Test
{
public:
    explicit DesktopTest(bool windowManager = true) : m_windowManager(windowManager) {}

    void SetUp() override
    {
        desktop = std::make_unique<Desktop>(m_windowManager);
        ASSERT_TRUE(desktop->failure().empty()) << desktop->failure();
        game = std::make_unique<GameProcess>(KS_APP_DIR);
    }

    void TearDown() override
    {
        if (desktop && desktop->missedWakeUps() > 0)
            RecordProperty("missed_wake_ups", desktop->missedWakeUps());
        if (HasFailure() && desktop && desktop->failure().empty()) {
            const fs::path shot =
                fs::temp_directory_path() /
                (std::string("ks-desktop-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png");
            desktop->saveScreenshot(shot);
            std::cerr << "screenshot: " << shot << "\ngame log:\n" << game->log() << '\n';
        }
        game.reset();
        desktop.reset();
    }

    fs::path file(const std::string &name) const { return game->folder() / name; }

    // The window in front: one of the game's windows matching which, shown,
    // holding the keyboard focus, above the game's other windows, and drawn.
    TopWindow front(const std::string &what, const std::function<bool(const TopWindow &)> &which,
                    std::chrono::milliseconds timeout = 10s)
    {
        TopWindow found;
        const bool ok = desktop->waitFor(
            [&] {
                const auto windows = desktop->windows(game->pid());
                if (windows.empty() || !which(windows.back()))
                    return false;
                found = windows.back();
                if (std::getenv("KS_DESKTOP_DEBUG"))
                    std::cerr << std::chrono::steady_clock::now().time_since_epoch().count() /
                                     1000000
                              << " check " << what << " focus "
                              << (desktop->focusedClient() == found.client) << " painted "
                              << desktop->painted(found) << "\n";
                return desktop->focusedClient() == found.client && desktop->painted(found);
            },
            game.get(), timeout);
        if (std::getenv("KS_DESKTOP_DEBUG"))
            std::cerr << std::chrono::steady_clock::now().time_since_epoch().count() / 1000000
                      << " " << what << "\n";
        EXPECT_TRUE(ok) << what << " is not in front, focused and painted; the game shows"
                        << describe(desktop->windows(game->pid()), desktop->focusedClient())
                        << (game->hasEnded() ? " (the game has ended)" : "");
        return ok ? found : TopWindow{};
    }
    TopWindow front(const std::string &title)
    {
        // The menu and the message boxes share their caption.
        return front(title, [title](const TopWindow &w) {
            return w.is(title) && !(title == kBoxTitle && w.dialog);
        });
    }
    TopWindow box(std::chrono::milliseconds timeout = 10s)
    {
        return front(
            "the message box", [](const TopWindow &w) { return w.is(kBoxTitle) && w.dialog; },
            timeout);
    }
    TopWindow menu() { return front(kMenu); }

    // Nothing of the game is in view any more, and it has ended by itself.
    void expectEnded()
    {
        EXPECT_TRUE(desktop->waitFor([&] { return game->hasEnded(); }, game.get()))
            << "the game runs on, showing"
            << describe(desktop->windows(game->pid()), desktop->focusedClient());
        EXPECT_EQ(game->exitCode(), 0);
    }

    // From the start to the main menu, as a player: Return on the
    // confirmation, any key on the logo. The logo also leaves by itself
    // after two seconds, so on a slow machine the key may reach the menu:
    // Shift, which the menu ignores, not Return, which would open an item.
    void toMenu()
    {
        game->start(*desktop);
        front("確認");
        desktop->key("Return");
        // The logo has no caption; it is the game's one window of its size.
        front("the logo", [](const TopWindow &w) { return w.width == 439 && w.height == 180; });
        desktop->key("Shift_L");
        menu();
    }
    // The menu's item (1 the speed tester, 2 practice, 3 the missions, 4 the
    // options, 5 the records, 6 the end), opened with Return.
    void openItem(int item)
    {
        for (int i = 1; i < item; ++i)
            desktop->key("Right");
        desktop->key("Return");
    }
    void press(const std::string &keysym) { desktop->key(keysym); }

    // Until the screen takes keys for the count-th time: its count-th word
    // or problem is up, or its result's key lock has opened.
    // A speed-test run played to its end: each row's letters typed as the
    // row comes up, until a window other than the run shows.
    void playSpeedTest()
    {
        const std::string prefix = "ks.play: Tester2 ready ";
        std::size_t rows = 0;
        const auto runEnded = [&] {
            const auto windows = desktop->windows(game->pid());
            return windows.empty() || !windows.back().is("打速度テスター");
        };
        while (desktop->waitFor(
            [&] { return runEnded() || game->linesStartingWith(prefix).size() > rows; }, game.get(),
            40s)) {
            if (runEnded())
                return;
            const auto lines = game->linesStartingWith(prefix);
            for (; rows < lines.size(); ++rows)
                desktop->type(lines[rows].substr(prefix.size()));
        }
        ADD_FAILURE() << "the run never ended";
    }

    [[nodiscard]] ::testing::AssertionResult awaitReady(const std::string &screen, int count = 1)
    {
        const std::string line = "ks.play: " + screen + " ready";
        if (desktop->waitFor([&] { return game->count(line) >= count; }, game.get()))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << screen << " never took keys a " << count << ". time";
    }

    // Title bar hints that keep a window from being resized or minimised.
    void expectFixedWithoutMinimise(const TopWindow &w)
    {
        EXPECT_TRUE(desktop->fixedSize(w.client)) << w.title;
        const auto [functions, decorations] = desktop->motifHints(w.client);
        constexpr long kMinimise = 8, kMaximise = 16, kDecorMinimise = 32, kDecorMaximise = 64;
        EXPECT_NE(functions, -1) << w.title;
        EXPECT_EQ(functions & (kMinimise | kMaximise), 0) << w.title;
        EXPECT_EQ(decorations & (kDecorMinimise | kDecorMaximise), 0) << w.title;
        if (desktop->hasWindowManager()) {
            for (const std::string &action : desktop->allowedActions(w.client)) {
                EXPECT_TRUE(action.find("MAXIMIZE") == std::string::npos &&
                            action.find("RESIZE") == std::string::npos)
                    << w.title << " allows " << action;
            }
        }
    }

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<GameProcess> game;

private:
    bool m_windowManager;
};

class NoWindowManagerTest : public DesktopTest
{
protected:
    NoWindowManagerTest() : DesktopTest(false) {}
};

// ---------------------------------------------------------------- boxes while a screen loads

struct LoadBoxCase
{
    const char *name;
    std::function<void(DesktopTest &)> prepare; // before the start
    std::function<void(DesktopTest &)> reach;   // from the menu to the box
    const char *loading;                        // the screen whose load opens the box
    const char *landing;                        // where the answer leads
};

void PrintTo(const LoadBoxCase &c, std::ostream *os)
{
    *os << c.name;
}

class LoadBoxTest : public DesktopTest,
                    public ::testing::WithParamInterface<std::tuple<LoadBoxCase, const char *>>
{
};

const LoadBoxCase kLoadBoxes[] = {
    {"TesterCourseWithoutSettings", [](DesktopTest &t) { fs::remove(t.file("settei.dat")); },
     [](DesktopTest &t) { t.openItem(1); }, "打速度テスター～コース選択～", kMenu},
    {"TesterRunWithoutSettings",
     {},
     [](DesktopTest &d) {
         DesktopTest &t = d;
         t.openItem(1);
         t.front("打速度テスター～コース選択～");
         fs::remove(t.file("settei.dat"));
         t.press("Return");
     },
     "打速度テスター",
     kMenu},
    {"PracticeWithoutProblemFiles",
     [](DesktopTest &d) {
         DesktopTest &t = d;
         for (const auto &entry : fs::directory_iterator(t.file("practice"))) {
             if (entry.path().extension() == ".ksd")
                 fs::remove(entry.path());
         }
     },
     [](DesktopTest &t) { t.openItem(2); }, "練習問題", "練習問題"},
    {"PracticeWithoutRomajiTable", [](DesktopTest &t) { fs::remove(t.file("roumazi.dat")); },
     [](DesktopTest &t) { t.openItem(2); }, "練習問題", "練習問題"},
    {"MissionWithoutSettings",
     {},
     [](DesktopTest &d) {
         DesktopTest &t = d;
         t.openItem(3);
         t.front("ミッション～コード入力～");
         fs::remove(t.file("settei.dat"));
         t.press("Return");
     },
     "ミッション",
     kMenu},
    {"MissionWithoutItsExam", [](DesktopTest &t) { fs::remove(t.file("exam1.ksd")); },
     [](DesktopTest &d) {
         DesktopTest &t = d;
         t.openItem(3);
         t.front("ミッション～コード入力～");
         t.press("Return");
     },
     "ミッション", kMenu},
    {"MissionWithoutRomajiTable", [](DesktopTest &t) { fs::remove(t.file("roumazi.dat")); },
     [](DesktopTest &d) {
         DesktopTest &t = d;
         t.openItem(3);
         t.front("ミッション～コード入力～");
         t.press("Return");
     },
     "ミッション", kMenu},
    {"OptionsWithoutSettings", [](DesktopTest &t) { fs::remove(t.file("settei.dat")); },
     [](DesktopTest &t) { t.openItem(4); }, "オプション", kMenu},
    {"PracticeWithUnreadableChoices",
     [](DesktopTest &t) {
         writeFile(t.file("keystorm.ini"),
                   "[typing]\r\nspelling=any\r\n" + std::string(std::size_t{1} << 20, ';'));
     },
     [](DesktopTest &t) { t.openItem(2); }, "練習問題", "練習問題"},
    {"RecordsFromACorruptFile",
     [](DesktopTest &t) { writeFile(t.file("records.sqlite3"), std::string(4096, '#')); },
     [](DesktopTest &t) { t.openItem(5); }, "記録", "記録"},
    {"RomajiEditorWithoutItsTable", [](DesktopTest &t) { fs::remove(t.file("roumazi.dat")); },
     [](DesktopTest &d) {
         DesktopTest &t = d;
         t.openItem(4);
         t.front("オプション");
         // Tab from the first music box to the romaji editor's button.
         for (int i = 0; i < 12; ++i)
             t.press("Tab");
         t.press("space");
     },
     "ローマ字カスタマイズ", "オプション"},
};

// A box opened while a screen loads is the one window in front, focused and
// drawn; Return, Esc or Space answers it and leads where the box said.
TEST_P(LoadBoxTest, TheBoxIsInFrontAndTheAnswerLeadsOn)
{
    const auto &[c, answer] = GetParam();
    if (c.prepare)
        c.prepare(*this);
    toMenu();
    c.reach(*this);
    const TopWindow shown = box();
    expectFixedWithoutMinimise(shown);
    // The screen whose load opened the box does not stand over it, nor
    // behind it: it appears, if at all, once the box is answered.
    for (const TopWindow &w : desktop->windows(game->pid()))
        EXPECT_FALSE(w.is(c.loading)) << w.title;
    press(answer);
    front(c.landing);
    // And the keyboard goes on working there: Esc leads back to the menu.
    if (std::string(c.landing) != kMenu) {
        press("Escape");
        menu();
    }
    EXPECT_FALSE(game->hasEnded());
}

std::string loadBoxName(const ::testing::TestParamInfo<std::tuple<LoadBoxCase, const char *>> &info)
{
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param);
}

INSTANTIATE_TEST_SUITE_P(Boxes, LoadBoxTest,
                         ::testing::Combine(::testing::ValuesIn(kLoadBoxes),
                                            ::testing::Values("Return", "Escape")),
                         loadBoxName);

// Without a window manager nothing stacks or focuses windows but the game
// itself: the box must still come first and take the keys.
TEST_F(NoWindowManagerTest, ALoadBoxStillTakesTheKeys)
{
    fs::remove(file("settei.dat"));
    toMenu();
    openItem(1);
    box();
    press("space");
    menu();
    // And the romaji editor's box returns to the options.
    writeFile(file("settei.dat"), "100\r\n200\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n"
                                  "nodata\r\nnodata\r\n");
    fs::remove(file("roumazi.dat"));
    openItem(4);
    front("オプション");
    for (int i = 0; i < 12; ++i)
        press("Tab");
    press("space");
    box();
    press("Return");
    front("オプション");
    press("Escape");
    menu();
}

// An installed game whose player folder cannot be made says so once, in a
// box in front of everything, and then starts as usual.
TEST_F(DesktopTest, AnInstallWithoutAPlayerFolderSaysSoFirst)
{
    writeFile(file("keystorm.installed"), "");
    writeFile(file("../not-a-folder"), "a file where the data home should be");
    game->addEnvironment("XDG_DATA_HOME=" + file("../not-a-folder").string());
    game->start(*desktop);
    const TopWindow shown = box();
    expectFixedWithoutMinimise(shown);
    EXPECT_EQ(desktop->windows(game->pid()).size(), 1u);
    press("Return");
    front("確認");
}

// ---------------------------------------------------------------- close buttons

struct CloseCase
{
    const char *name;
    const char *title;                          // the window closed
    std::function<void(DesktopTest &)> prepare; // before the start
    std::function<void(DesktopTest &)> reach;   // from the menu to that window
    const char *landing;                        // nullptr: the game ends
};

void PrintTo(const CloseCase &c, std::ostream *os)
{
    *os << c.name;
}

class CloseButtonTest : public DesktopTest, public ::testing::WithParamInterface<CloseCase>
{
};

// Mission 1 with easy words, up to its first word.
void startMissionOne(DesktopTest &d)
{
    DesktopTest &t = d;
    t.openItem(3);
    t.front("ミッション～コード入力～");
    t.press("Return");
    t.front("ミッション");
    t.press("Return");
}

// Five walkers down, a word of "kaka" each: the result.
void winMissionOne(DesktopTest &d)
{
    DesktopTest &t = d;
    startMissionOne(d);
    for (int word = 1; word <= 5; ++word) {
        // Each word comes a second after the walker before goes down.
        ASSERT_TRUE(t.awaitReady("Fight", word));
        t.desktop->type(kEasyWord);
    }
}

const CloseCase kCloses[] = {
    {"Confirmation", "確認", {}, {}, nullptr},
    {"Menu", kMenu, {}, {}, nullptr},
    {"TesterCourse",
     "打速度テスター～コース選択～",
     {},
     [](DesktopTest &t) { t.openItem(1); },
     kMenu},
    {"TesterRun",
     "打速度テスター",
     {},
     [](DesktopTest &t) {
         t.openItem(1);
         t.front("打速度テスター～コース選択～");
         t.press("Return");
     },
     kMenu},
    {"PracticeSelection", "練習問題", {}, [](DesktopTest &t) { t.openItem(2); }, kMenu},
    {"PracticeRun", "練習問題", [](DesktopTest &t) { writeEasyPractice(t.file("")); },
     [](DesktopTest &t) {
         t.openItem(2);
         t.front("練習問題");
         t.press("Return");
         t.press("Return");
     },
     kMenu},
    {"PracticeResult", "Form1", [](DesktopTest &t) { writeEasyPractice(t.file("")); },
     [](DesktopTest &t) {
         t.openItem(2);
         t.front("練習問題");
         t.press("Return");
         t.press("Return");
         for (int problem = 1; problem <= 2; ++problem) {
             ASSERT_TRUE(t.awaitReady("FileLoad", problem));
             t.desktop->type("kaka");
         }
     },
     "練習問題"},
    {"MissionCode", "ミッション～コード入力～", {}, [](DesktopTest &t) { t.openItem(3); }, kMenu},
    {"Battle", "ミッション", [](DesktopTest &t) { writeEasyExams(t.file("")); }, startMissionOne,
     kMenu},
    {"MissionComplete", "完了", [](DesktopTest &t) { writeEasyExams(t.file("")); }, winMissionOne,
     kMenu},
    {"Options", "オプション", {}, [](DesktopTest &t) { t.openItem(4); }, kMenu},
    {"Records", "記録", {}, [](DesktopTest &t) { t.openItem(5); }, kMenu},
    {"RomajiEditor",
     "ローマ字カスタマイズ",
     {},
     [](DesktopTest &t) {
         t.openItem(4);
         t.front("オプション");
         for (int i = 0; i < 12; ++i)
             t.press("Tab");
         t.press("space");
     },
     "オプション"},
};

// Every window's close button: a play screen's does what its Esc does, a
// dialog's is Cancel, the menu's and the confirmation's end the game. The
// game never runs on with no window in view.
TEST_P(CloseButtonTest, ClosingLeadsWhereEscWould)
{
    const CloseCase &c = GetParam();
    if (c.prepare)
        c.prepare(*this);
    if (std::string(c.title) == "確認")
        game->start(*desktop);
    else
        toMenu();
    if (c.reach)
        c.reach(*this);
    const TopWindow closing = front(c.title);
    ASSERT_NE(closing.client, 0u);
    desktop->close(closing.client);
    if (c.landing)
        front(c.landing);
    else
        expectEnded();
}

INSTANTIATE_TEST_SUITE_P(Windows, CloseButtonTest, ::testing::ValuesIn(kCloses),
                         [](const auto &param) { return std::string(param.param.name); });

TEST_F(NoWindowManagerTest, TheMissionCodeWindowsCloseLeadsToTheMenu)
{
    toMenu();
    openItem(3);
    const TopWindow code = front("ミッション～コード入力～");
    desktop->close(code.client);
    menu();
    desktop->close(menu().client);
    expectEnded();
}

// ---------------------------------------------------------------- whole plays

// A practice file played to its verdict, keyboard only, and back.
// A run the records cannot keep (the file is a folder here) is told in a box
// that stands in front of the result, which follows once it is answered.
TEST_F(DesktopTest, ARunTheRecordsCannotKeepIsToldBeforeTheResult)
{
    writeEasyPractice(game->folder());
    fs::create_directory(file("records.sqlite3"));
    toMenu();
    openItem(2);
    front("練習問題");
    press("Return");
    press("Return");
    for (int problem = 1; problem <= 2; ++problem) {
        ASSERT_TRUE(awaitReady("FileLoad", problem));
        desktop->type("kaka");
    }
    box();
    press("Return");
    front("Form1");
    ASSERT_TRUE(awaitReady("Kekka"));
    press("Return");
    front("練習問題");
    press("Escape");
    menu();
}

// The same in the speed tester: the box stands alone in front, then the
// results come once it is answered.
TEST_F(DesktopTest, ASpeedTestTheRecordsCannotKeepIsToldBeforeTheResults)
{
    fs::create_directory(file("records.sqlite3"));
    toMenu();
    openItem(1);
    front("打速度テスター～コース選択～");
    press("Return");
    front("打速度テスター");
    press("Return");
    playSpeedTest();
    box(40s);
    for (const TopWindow &w : desktop->windows(game->pid()))
        EXPECT_FALSE(w.is("打速度でスター～コース１結果発表～")) << "the results came first";
    press("Return");
    front("打速度でスター～コース１結果発表～");
    ASSERT_TRUE(awaitReady("Hapyou1"));
    press("Return");
    front("打速度テスター～コース選択～");
    press("Escape");
    menu();
}

// And in a mission: the box comes as the mission is won, over the battle,
// before Mission Complete; the result follows once it is answered.
TEST_F(DesktopTest, AMissionTheRecordsCannotKeepIsToldBeforeItsResult)
{
    writeEasyExams(game->folder());
    fs::create_directory(file("records.sqlite3"));
    toMenu();
    winMissionOne(*this);
    box();
    for (const TopWindow &w : desktop->windows(game->pid()))
        EXPECT_FALSE(w.is("完了")) << "the result came first";
    press("Return");
    front("完了");
    ASSERT_TRUE(awaitReady("Complete"));
    press("Return");
    menu();
}

TEST_F(DesktopTest, APracticeFilePlayedToItsResult)
{
    writeEasyPractice(game->folder());
    toMenu();
    openItem(2);
    front("練習問題");
    press("Return");
    press("Return");
    for (int problem = 1; problem <= 2; ++problem) {
        ASSERT_TRUE(awaitReady("FileLoad", problem));
        desktop->type("kaka");
    }
    const TopWindow result = front("Form1");
    expectFixedWithoutMinimise(result);
    ASSERT_TRUE(awaitReady("Kekka"));
    press("Return");
    front("練習問題");
    press("Escape");
    menu();
}

// Mission 1 won with five words, then the result's key back to the menu.
TEST_F(DesktopTest, MissionOneWon)
{
    writeEasyExams(game->folder());
    toMenu();
    winMissionOne(*this);
    const TopWindow complete = front("完了");
    expectFixedWithoutMinimise(complete);
    ASSERT_TRUE(awaitReady("Complete"));
    press("Return");
    menu();
}

// The options: Tab to the high-score reset, Space ticks it, Return is OK
// and stores it; the dialog's title bar cannot resize or minimise it.
TEST_F(DesktopTest, OptionsResetTickedWithSpaceAndSavedWithReturn)
{
    writeFile(file("settei.dat"), "150\r\n260\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n"
                                  "nodata\r\n");
    toMenu();
    openItem(4);
    const TopWindow options = front("オプション");
    expectFixedWithoutMinimise(options);
    for (int i = 0; i < 13; ++i)
        press("Tab");
    press("space");
    press("Return");
    menu();
    EXPECT_EQ(readFile(file("settei.dat")).substr(0, 10), "100\r\n200\r\n");
}

// Return presses the button the focus frame is on, as on every desktop:
// the reset ticked with Space, then the focus moved to a button by Tab or
// Shift+Tab. Only OK, or Return where no button has the focus, writes
// settei.dat; キャンセル, the editor's button and 参照 leave its bytes as
// they were.
struct FocusedReturnCase
{
    const char *name;
    int tabs;          // after the reset box; negative: Shift+Tab
    const char *opens; // the window Return brings to the front
    const char *leave; // the key that leaves it, back to the options
    bool saves;        // the high scores are reset
};

void PrintTo(const FocusedReturnCase &c, std::ostream *os)
{
    *os << c.name;
}

class FocusedReturnTest : public DesktopTest,
                          public ::testing::WithParamInterface<FocusedReturnCase>
{
};

const FocusedReturnCase kFocusedReturns[] = {
    {"Ok", 1, kMenu, nullptr, true},
    {"Cancel", 2, kMenu, nullptr, false},
    {"RomajiEditor", -1, "ローマ字カスタマイズ", "ctrl+e", false},
    {"EndingMusicBrowse", -2, "ファイルを開く", "Escape", false},
    {"FirstMusicBrowse", -12, "ファイルを開く", "Escape", false},
    {"MusicBox", -3, kMenu, nullptr, true},
    {"ResetBox", 0, kMenu, nullptr, true},
};

TEST_P(FocusedReturnTest, ReturnPressesTheFocusedButton)
{
    const FocusedReturnCase &c = GetParam();
    const std::string settings =
        "150\r\n260\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n";
    writeFile(file("settei.dat"), settings);
    toMenu();
    openItem(4);
    front("オプション");
    for (int i = 0; i < 13; ++i)
        press("Tab");
    press("space");
    for (int i = 0; i < std::abs(c.tabs); ++i) {
        if (c.tabs > 0)
            press("Tab");
        else
            desktop->keyWith("Shift_L", "Tab");
    }
    press("Return");
    front(c.opens);
    if (c.leave) {
        EXPECT_EQ(readFile(file("settei.dat")), settings);
        if (std::string(c.leave) == "ctrl+e")
            desktop->key("e", true);
        else
            press(c.leave);
        front("オプション");
        EXPECT_EQ(readFile(file("settei.dat")), settings);
        press("Escape");
        menu();
    }
    const std::string after = readFile(file("settei.dat"));
    if (c.saves)
        EXPECT_EQ(after, "100\r\n200\r\n" + settings.substr(10));
    else
        EXPECT_EQ(after, settings);
}

INSTANTIATE_TEST_SUITE_P(Options, FocusedReturnTest, ::testing::ValuesIn(kFocusedReturns),
                         [](const auto &param) { return std::string(param.param.name); });

// How kana are judged is chosen from the keyboard: Alt+I opens the editor's
// 入力 menu, A picks any spelling, and the choice is in keystorm.ini at once.
TEST_F(DesktopTest, TheSpellingChoiceIsMadeWithTheKeyboard)
{
    toMenu();
    openItem(4);
    front("オプション");
    for (int i = 0; i < 12; ++i)
        press("Tab");
    press("space");
    const TopWindow editor = front("ローマ字カスタマイズ");
    desktop->keyWith("Alt_L", "i");
    EXPECT_TRUE(desktop->waitFor(
        [&] {
            const auto windows = desktop->windows(game->pid());
            return !windows.empty() && windows.back().client != editor.client;
        },
        game.get()))
        << "no menu opened over the editor";
    press("a");
    EXPECT_TRUE(desktop->waitFor(
        [&] { return readFile(file("keystorm.ini")).find("spelling=any") != std::string::npos; },
        game.get()));
    front("ローマ字カスタマイズ");
    desktop->key("e", true);
    front("オプション");
    press("Escape");
    menu();
}

// The romaji editor: a romaji retyped, Ctrl+S saves it, Ctrl+E leaves to the
// options, which are still in front and answer Esc.
TEST_F(DesktopTest, TheRomajiEditorSavesAndLeaves)
{
    const std::string before = readFile(file("roumazi.dat"));
    toMenu();
    openItem(4);
    front("オプション");
    for (int i = 0; i < 12; ++i)
        press("Tab");
    press("space");
    front("ローマ字カスタマイズ");
    // The first box has the focus: あ's romaji becomes "aa".
    press("End");
    desktop->type("a");
    desktop->key("s", true);
    EXPECT_TRUE(
        desktop->waitFor([&] { return readFile(file("roumazi.dat")) != before; }, game.get()));
    EXPECT_EQ(readFile(file("roumazi.dat")).substr(0, 7), "\x82\xa0,aa\r\n");
    desktop->key("e", true);
    front("オプション");
    press("Escape");
    menu();
}

// ---------------------------------------------------------------- the speed tester's results

// A whole 30-second run typed as the rows come up; the settings file cannot
// be written, so a box says the score was not saved before the results
// appear; then the result's key leads to the courses and Esc to the menu.
TEST_F(DesktopTest, ASpeedTestWhoseScoreCannotBeSaved)
{
    // Any score beats -1, so the run's score is to be stored.
    writeFile(file("settei.dat"), "-1\r\n-1\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n"
                                  "nodata\r\nnodata\r\n");
    chmod(file("settei.dat").c_str(), 0444);
    toMenu();
    openItem(1);
    front("打速度テスター～コース選択～");
    press("Return");
    front("打速度テスター");
    press("Return");
    playSpeedTest();
    box();
    for (const TopWindow &w : desktop->windows(game->pid()))
        EXPECT_TRUE(w.dialog) << w.title << " stands behind the box";
    press("Return");
    const TopWindow results = front(
        "打速度でスター～コース１結果発表～",
        [](const TopWindow &w) { return w.is("打速度でスター～コース１結果発表～"); }, 40s);
    expectFixedWithoutMinimise(results);
    ASSERT_TRUE(awaitReady("Hapyou1"));
    press("Return");
    front("打速度テスター～コース選択～");
    press("Escape");
    menu();
}

// The settings file broken during the run: the box says the score is not
// kept and the results lead to the menu; the results' close button does
// what their key does.
TEST_F(DesktopTest, ASpeedTestWhoseSettingsBrokeDuringTheRun)
{
    toMenu();
    openItem(1);
    front("打速度テスター～コース選択～");
    press("Return");
    front("打速度テスター");
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += "1\r\n";
    writeFile(file("settei.dat"), twelve);
    press("Return");
    playSpeedTest();
    box();
    for (const TopWindow &w : desktop->windows(game->pid()))
        EXPECT_TRUE(w.dialog) << w.title << " stands behind the box";
    press("Escape");
    const TopWindow results = front("打速度でスター～コース１結果発表～");
    desktop->close(results.client);
    menu();
    EXPECT_EQ(readFile(file("settei.dat")), twelve);
}

// The fourth mission won with the settings file gone: the credits cannot
// start, and their box leads back to the menu.
TEST_F(DesktopTest, TheEndingWithoutSettingsGoesBackToTheMenu)
{
    writeEasyExams(game->folder());
    toMenu();
    openItem(3);
    front("ミッション～コード入力～");
    desktop->type("3241");
    press("Return");
    front("ミッション");
    fs::remove(file("settei.dat"));
    press("Return");
    // Fourteen words, each followed at once by the next; the last turns the
    // battleship to flee; Return brings the final sentence.
    for (int word = 1; word <= 14; ++word) {
        ASSERT_TRUE(awaitReady("Fight", word));
        desktop->type(kEasyWord);
    }
    press("Return");
    ASSERT_TRUE(awaitReady("Fight", 16)); // a word is drawn and replaced by the final sentence
    desktop->type(kEasyWord);
    front("完了");
    ASSERT_TRUE(awaitReady("Complete"));
    press("Return");
    box();
    press("Return");
    menu();
}

} // namespace
} // namespace ks::desktop
