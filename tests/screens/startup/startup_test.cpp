#include "screens/screentable.h"
#include "screens/startup/kidou.h"
#include "support/hostfixture.h"

namespace ks {
namespace {

class StartupTest : public test::HostFixture
{
protected:
    void SetUp() override
    {
        makeHost(gameScreens());
        host().show(kStartScreen);
    }

    Screen &screen(const char *name) { return host().screen(QString::fromLatin1(name)); }
    template <typename T> T &control(const char *screenName, const char *id)
    {
        Control *c = screen(screenName).control(QString::fromLatin1(id));
        EXPECT_NE(c, nullptr) << screenName << "." << id;
        return dynamic_cast<T &>(*c);
    }
    QString cell() { return control<Image>("Logo", "Image1").picture().name; }

    void toMenu()
    {
        press(Qt::Key_Return, "\r");
        clock.advance(2150);
        ASSERT_TRUE(screen("Kidou").isShown());
        trace.clear();
        sound.log.clear();
    }

    QString item() { return control<Label>("Kidou", "Erabi").caption(); }
    bool arrow(int i)
    {
        return !control<Image>("Kidou", i == 0 ? "Image1(0)" : "Image1(1)").isHidden();
    }
};

TEST_F(StartupTest, ConfirmationScreenAsDesigned)
{
    Screen &kakunin = screen("Kakunin");
    ASSERT_TRUE(kakunin.isShown());
    EXPECT_EQ(kakunin.window()->windowTitle(), "確認");
    EXPECT_EQ(kakunin.client()->size(), QSize(454, 207));
    auto &line0 = control<Label>("Kakunin", "Label1(0)");
    EXPECT_EQ(line0.caption(),
              "本ゲームをプレイする際は、キャップスロックと日本語入力をオフにしてお楽しみ下さい。");
    EXPECT_EQ(line0.foreColor(), QColor(0xFF, 0xC0, 0x80));
    EXPECT_EQ(control<Label>("Kakunin", "Label1(1)").caption(),
              "確認できましたらリターンキーをおして下さい。");
    EXPECT_EQ(control<Label>("Kakunin", "Label1(1)").geometry(), QRect(32, 128, 393, 17));
}

// Return is the only way on.
TEST_F(StartupTest, OnlyReturnLeavesTheConfirmation)
{
    for (auto [key, text] : {std::pair{Qt::Key_Escape, "\x1b"},
                             {Qt::Key_Space, " "},
                             {Qt::Key_A, "a"},
                             {Qt::Key_Left, ""},
                             {Qt::Key_Backspace, "\b"}})
        press(key, QString::fromLatin1(text));
    clock.advance(10000);
    EXPECT_TRUE(screen("Kakunin").isShown());
    EXPECT_FALSE(screen("Logo").isLoaded());

    press(Qt::Key_Return, "\r");
    EXPECT_FALSE(screen("Kakunin").isLoaded());
    EXPECT_TRUE(screen("Logo").isShown());
    EXPECT_EQ(endings, 0);
}

// One second of the closed mouth, the jingle with the mouth opening and
// closing 30 ms a frame, another second, then the menu: 2.15 s in all.
TEST_F(StartupTest, LogoTimeline)
{
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(cell(), "PCmoko#0");
    EXPECT_EQ(control<Label>("Logo", "Logo").caption(), "Ｚｏｒａｍｉｗｏｒｋｓ");
    EXPECT_EQ(sound.log, QStringList{"sound Logo.Oto: open moko.wav"});

    clock.advance(999);
    EXPECT_EQ(cell(), "PCmoko#0");
    EXPECT_EQ(sound.log.size(), 1);

    QStringList cells;
    for (int i = 0; i < 6; ++i) {
        clock.advance(i == 0 ? 1 : 30);
        cells << cell();
    }
    EXPECT_EQ(cells, (QStringList{"PCmoko#1", "PCmoko#2", "PCmoko#3", "PCmoko#2", "PCmoko#1",
                                  "PCmoko#0"}));
    EXPECT_EQ(sound.log,
              (QStringList{"sound Logo.Oto: open moko.wav", "sound Logo.Oto: prev moko.wav",
                           "sound Logo.Oto: play moko.wav"}));
    EXPECT_EQ(control<TimerControl>("Logo", "Timer1").interval(), 1000);

    clock.advance(999); // t = 2149
    EXPECT_TRUE(screen("Logo").isShown());
    clock.advance(1);
    EXPECT_FALSE(screen("Logo").isLoaded());
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_EQ(endings, 0);
}

TEST_F(StartupTest, AKeyOnTheLogoBeforeTheFirstTickSkipsTheJingle)
{
    press(Qt::Key_Return, "\r");
    clock.advance(500);
    press(Qt::Key_Q, "q");
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_FALSE(sound.log.join('\n').contains("play"));
    EXPECT_TRUE(sound.log.contains("sound Logo.Oto: close moko.wav"));
}

// The keyboard repeats a held Return: the repeat lands on the logo and skips it.
TEST_F(StartupTest, AHeldReturnSkipsTheLogo)
{
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Return, "\r");
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_EQ(item(), "打速度テスター");
}

// Without moko.wav the logo keeps its timing; only the sound is missing.
TEST_F(StartupTest, MissingJingleChangesNoTiming)
{
    ASSERT_FALSE(dir.exists("moko.wav"));
    press(Qt::Key_Return, "\r");
    clock.advance(2149);
    EXPECT_TRUE(screen("Logo").isShown());
    clock.advance(1);
    EXPECT_TRUE(screen("Kidou").isShown());
}

TEST_F(StartupTest, MenuAsDesigned)
{
    toMenu();
    Screen &menu = screen("Kidou");
    EXPECT_EQ(menu.window()->windowTitle(), "キーストーム");
    EXPECT_EQ(menu.client()->size(), QSize(640, 480));
    EXPECT_EQ(item(), "打速度テスター");
    EXPECT_EQ(control<Label>("Kidou", "Koment").caption(),
              "あなたの文字の入力速度を測ります。腕試しにどうぞ。");
    EXPECT_FALSE(arrow(0));
    EXPECT_TRUE(arrow(1));
    EXPECT_EQ(control<Image>("Kidou", "Image3").picture().pixmap.size(), QSize(615, 215));
    EXPECT_EQ(control<Image>("Kidou", "Image1(0)").picture().pixmap.size(), QSize(50, 30));
    EXPECT_EQ(control<Image>("Kidou", "Image1(2)").picture().pixmap.size(), QSize(120, 120));
    EXPECT_FALSE(control<OverlayImage>("Kidou", "Image2").isVisible());
    EXPECT_TRUE(control<Image>("Kidou", "Image4").isHidden());
}

TEST_F(StartupTest, MenuStepsWithoutWrapping)
{
    toMenu();
    press(Qt::Key_Left);
    EXPECT_EQ(item(), "打速度テスター");

    const QStringList names{"練習問題編", "ミッション", "オプション", "記録", "終了"};
    for (const QString &name : names) {
        press(Qt::Key_Right);
        EXPECT_EQ(item(), name);
    }
    EXPECT_TRUE(arrow(0));
    EXPECT_FALSE(arrow(1));
    EXPECT_EQ(control<Label>("Kidou", "Koment").caption(), "キーストームを終了します。");
    press(Qt::Key_Right);
    EXPECT_EQ(item(), "終了");
    EXPECT_EQ(host().screenAs<Kidou>("Kidou").shownItem(), 6);

    press(Qt::Key_Left);
    EXPECT_EQ(item(), "記録");
    // The records' emblem shows with their item only.
    EXPECT_FALSE(control<Image>("Kidou", "Image4").isHidden());
    EXPECT_EQ(control<Image>("Kidou", "Image4").picture().name, "records");
    EXPECT_EQ(control<Label>("Kidou", "Koment").caption(),
              "これまでのプレイの記録です。上達の様子と苦手なキーを確かめられます。");
    EXPECT_TRUE(arrow(0));
    EXPECT_TRUE(arrow(1));
}

TEST_F(StartupTest, RightRightLeftShowsPracticeWithBothArrows)
{
    toMenu();
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Left);
    EXPECT_EQ(item(), "練習問題編");
    EXPECT_EQ(control<Label>("Kidou", "Koment").caption(),
              "数多く用意された練習問題の中から、お好きな問題を選んでプレイします。試験問題の予行練"
              "習にどうぞ。");
    EXPECT_TRUE(arrow(0));
    EXPECT_TRUE(arrow(1));
}

// The guide's eyes go dark and light again, half a second each, also while
// the menu is hidden.
TEST_F(StartupTest, TheGuideBlinksEveryHalfSecond)
{
    toMenu();
    auto &dark = control<OverlayImage>("Kidou", "Image2");
    auto &face = control<Image>("Kidou", "Image1(2)");
    QList<bool> shown;
    QSet<qint64> pixels;
    for (int i = 0; i < 4; ++i) {
        clock.advance(500);
        shown << dark.isVisible();
        pixels << face.pixmap().cacheKey();
    }
    EXPECT_EQ(shown, (QList<bool>{true, false, true, false}));
    // One control shows both faces, each an opaque picture of its own; the
    // lit face keeps its name.
    EXPECT_EQ(pixels.size(), 2);
    EXPECT_TRUE(face.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(face.picture().name, "guide");
    host().hide(screen("Kidou"));
    clock.advance(500);
    EXPECT_TRUE(dark.isVisible());
}

TEST_F(StartupTest, EscEndsTheProgramFromAnyItem)
{
    toMenu();
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(screen("Kidou").isLoaded());
    EXPECT_EQ(endings, 1);
}

TEST_F(StartupTest, ReturnOnQuitEndsTheProgram)
{
    toMenu();
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Right);
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(endings, 1);
}

// The options are a dialog over the menu: the menu stays in view and gets
// no keys while it is open, and afterwards shows the options item again.
TEST_F(StartupTest, OptionsOpenOverTheMenu)
{
    dir.write("settei.dat", "100\r\n200\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n"
                            "nodata\r\n");
    toMenu();
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Right);
    press(Qt::Key_Return, "\r");
    ASSERT_TRUE(screen("Settei").isShown());
    EXPECT_TRUE(screen("Kidou").isShown());
    press(Qt::Key_Left); // the dialog's, not the menu's
    EXPECT_EQ(item(), "オプション");
    press(Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(screen("Settei").isLoaded());
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_EQ(item(), "オプション");
    press(Qt::Key_Right);
    EXPECT_EQ(item(), "記録");
    EXPECT_EQ(endings, 0);
}

// The records are a mode of their own: the window is shown, the menu hides,
// and Esc brings the menu back on the same item.
TEST_F(StartupTest, RecordsOpenFromTheMenuAndEscComesBack)
{
    toMenu();
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Right);
    ASSERT_EQ(item(), "記録");
    press(Qt::Key_Return, "\r");
    EXPECT_TRUE(screen("Kiroku").isShown());
    EXPECT_FALSE(screen("Kidou").isShown());
    press(Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(screen("Kiroku").isLoaded());
    EXPECT_TRUE(screen("Kidou").isShown());
    EXPECT_EQ(item(), "記録");
    press(Qt::Key_Right);
    EXPECT_EQ(item(), "終了");
    EXPECT_EQ(endings, 0);
}

} // namespace
} // namespace ks
