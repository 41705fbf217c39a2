#include "shell/screenhost.h"

#include "shell/units.h"
#include "support/hostfixture.h"

#include "shell/application.h"
#include "shell/dialogs.h"

#include <QApplication>
#include <QBackingStore>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

namespace ks {
namespace {

// A screen that records what happens to it; its behaviour is set per test.
class Probe final : public Screen
{
public:
    Probe(ScreenHost &host, const QString &name) : Screen(host, name) {}

    void Form_Load() override
    {
        ++loads;
        counter = 0;
        if (onLoad)
            onLoad();
    }
    void Form_Unload() override
    {
        ++unloads;
        if (onUnload)
            onUnload();
    }
    void Form_KeyDown(int &keyCode, int shift) override
    {
        events << QStringLiteral("down %1/%2").arg(keyCode).arg(shift);
        if (keyCode == consume)
            keyCode = 0;
        if (onKey)
            onKey(keyCode);
    }
    void Form_KeyPress(int &keyAscii) override
    {
        events << QStringLiteral("press %1").arg(keyAscii);
    }
    void Form_MouseMove() override { ++screenMoves; }

    TimerControl *Timer1 = nullptr;
    SoundPlayer *Oto = nullptr;
    Button *Go = nullptr;
    int loads = 0;
    int screenMoves = 0;
    int unloads = 0;
    int ticks = 0;
    int consume = -1;
    int counter = 0; // a public variable: kept after unload, reset by Form_Load
    QStringList events;
    std::vector<qint64> tickTimes;
    std::function<void()> onLoad;
    std::function<void()> onUnload;
    std::function<void()> onTick;
    std::function<void(int)> onKey;
    std::function<void()> onGo;

protected:
    void createControls() override
    {
        setClientSize(3000, 1500);
        Timer1 = addTimer(QStringLiteral("Timer1"), 100, true, [this] {
            ++ticks;
            tickTimes.push_back(services().clock.now());
            if (onTick)
                onTick();
        });
        Oto = addSoundPlayer(QStringLiteral("Oto"));
        Go = add<Button>(QStringLiteral("Go"), {150, 150, 1200, 375});
        onClick(Go, [this] {
            if (onGo)
                onGo();
        });
    }
    void writeVariables(StateWriter &out) const override
    {
        out.add(name() + QStringLiteral(".counter"), QString::number(counter));
    }
};

class ScreenHostTest : public test::HostFixture
{
protected:
    void SetUp() override
    {
        makeHost(
            {{QStringLiteral("A"), [](ScreenHost &h) { return std::make_unique<Probe>(h, "A"); }},
             {QStringLiteral("B"), [](ScreenHost &h) { return std::make_unique<Probe>(h, "B"); }},
             {QStringLiteral("C"), [](ScreenHost &h) { return std::make_unique<Probe>(h, "C"); }}});
    }
    Probe &probe(const char *name) { return host().screenAs<Probe>(QString::fromLatin1(name)); }
};

TEST_F(ScreenHostTest, ShowLoadsOnceAndHideKeepsState)
{
    host().show("A");
    host().show("A");
    EXPECT_EQ(probe("A").loads, 1);
    probe("A").counter = 7;
    host().hide(probe("A"));
    EXPECT_FALSE(probe("A").isShown());
    EXPECT_TRUE(probe("A").isLoaded());
    host().show("A");
    EXPECT_EQ(probe("A").loads, 1);
    EXPECT_EQ(probe("A").counter, 7);
    EXPECT_EQ(trace, (QStringList{"load A", "show A", "hide A", "show A"}));
}

// A hidden screen gives back its window's pixels (the menu stays loaded,
// hidden, through a whole mode), and draws them all again when shown.
TEST_F(ScreenHostTest, AHiddenScreenHoldsNoPixels)
{
    host().show("A");
    QWidget *window = probe("A").window();
    QCoreApplication::processEvents();
    ASSERT_NE(window->backingStore(), nullptr);
    const QSize full = window->backingStore()->size();
    EXPECT_EQ(full, window->size());

    host().hide(probe("A"));
    QCoreApplication::processEvents();
    const QSize hidden = window->backingStore()->size();
    EXPECT_LE(hidden.width() * hidden.height(), 1);

    host().show("A");
    QCoreApplication::processEvents();
    EXPECT_EQ(window->backingStore()->size(), full);
}

// Code after a modal show runs only once the modal screen closes, and the
// screens behind it keep their timers but get no keys.
TEST_F(ScreenHostTest, ModalShowIsAContinuationWhileOtherTimersTick)
{
    host().show("A");
    int continued = 0;
    host().showModal(probe("B"), [&] { ++continued; });
    clock.advance(1000);
    EXPECT_EQ(probe("A").ticks, 10);
    EXPECT_EQ(continued, 0);

    press(Qt::Key_X, "x");
    EXPECT_TRUE(probe("A").events.isEmpty());
    EXPECT_EQ(probe("B").events, (QStringList{"down 88/0", "press 120"}));

    host().unload(probe("B"));
    EXPECT_EQ(continued, 1);
    EXPECT_EQ(host().activeScreen(), &probe("A"));
    host().show("B");
    host().unload(probe("B"));
    EXPECT_EQ(continued, 1); // the continuation belonged to that one modal show
}

TEST_F(ScreenHostTest, HidingAModalScreenAlsoContinues)
{
    host().show("A");
    int continued = 0;
    host().showModal(probe("B"), [&] { ++continued; });
    host().hide(probe("B"));
    EXPECT_EQ(continued, 1);
    EXPECT_TRUE(probe("B").isLoaded());
}

// Unload inside a modal show inside Form_Unload: the rest runs when the modal
// screen closes, and nothing runs twice.
TEST_F(ScreenHostTest, ModalShowFromFormUnloadContinuesLater)
{
    host().show("A");
    int rest = 0;
    probe("A").onUnload = [&] {
        host().showModal(probe("B"), [&] {
            ++rest;
            host().show("C");
        });
    };
    host().unload(probe("A"));
    EXPECT_FALSE(probe("A").isLoaded());
    EXPECT_EQ(rest, 0);
    host().unload(probe("A"));
    EXPECT_EQ(probe("A").unloads, 1);
    host().unload(probe("B"));
    EXPECT_EQ(rest, 1);
    EXPECT_TRUE(probe("C").isShown());
    EXPECT_EQ(endings, 0);
}

// A new interval applies from the next tick, counted from the change.
TEST_F(ScreenHostTest, IntervalChangeAppliesFromTheNextTick)
{
    host().show("A");
    Probe &a = probe("A");
    a.onTick = [&] {
        if (a.ticks == 1)
            a.Timer1->setInterval(30);
        if (a.ticks == 3)
            a.Timer1->setInterval(1000);
    };
    clock.advance(2200);
    EXPECT_EQ(a.tickTimes, (std::vector<qint64>{100, 130, 160, 1160, 2160}));
}

TEST_F(ScreenHostTest, DisabledOrZeroIntervalTimersNeverTick)
{
    host().show("A");
    probe("A").Timer1->setEnabled(false);
    clock.advance(500);
    EXPECT_EQ(probe("A").ticks, 0);
    probe("A").Timer1->setEnabled(true);
    probe("A").Timer1->setInterval(0);
    clock.advance(500);
    EXPECT_EQ(probe("A").ticks, 0);
    probe("A").Timer1->setInterval(100);
    clock.advance(250);
    EXPECT_EQ(probe("A").tickTimes, (std::vector<qint64>{1100, 1200}));
}

TEST_F(ScreenHostTest, UnloadStopsTimersAndSilencesPlayers)
{
    host().show("A");
    probe("A").Oto->setFileName("/tmp/a.wav");
    probe("A").Oto->open();
    probe("A").Oto->play();
    clock.advance(250);
    host().unload(probe("A"));
    clock.advance(1000);
    EXPECT_EQ(probe("A").ticks, 2);
    EXPECT_EQ(sound.log,
              (QStringList{"sound A.Oto: open /tmp/a.wav", "sound A.Oto: play /tmp/a.wav",
                           "sound A.Oto: close /tmp/a.wav"}));
}

TEST_F(ScreenHostTest, AUnloadingTickStopsItsOwnTimer)
{
    host().show("A");
    host().show("B");
    probe("A").onTick = [&] { host().unload(probe("A")); };
    clock.advance(1000);
    EXPECT_EQ(probe("A").ticks, 1);
    EXPECT_EQ(probe("B").ticks, 10);
}

TEST_F(ScreenHostTest, PublicVariablesOutliveTheWindowUntilTheNextLoad)
{
    host().show("A");
    host().show("B");
    probe("A").counter = 42;
    host().unload(probe("A"));
    EXPECT_EQ(probe("A").counter, 42);
    StateWriter out;
    probe("A").writeState(out);
    EXPECT_TRUE(out.lines().contains("A.counter=42"));
    EXPECT_TRUE(out.lines().contains("A.loaded=0"));
    host().show("A");
    EXPECT_EQ(probe("A").counter, 0);
}

// A screen that unloads itself and then shows the next does not end the
// program in between; the last unload does.
TEST_F(ScreenHostTest, ProgramEndsWhenTheLastScreenIsUnloaded)
{
    host().show("A");
    probe("A").onKey = [&](int) {
        host().unload(probe("A"));
        host().show("B");
    };
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(endings, 0);
    EXPECT_TRUE(probe("B").isShown());
    EXPECT_TRUE(probe("A").events.contains("down 13/0"));
    // The key press of a key whose key down closed the screen is lost with it.
    EXPECT_FALSE(probe("A").events.contains("press 13"));
    EXPECT_TRUE(probe("B").events.isEmpty());

    host().unload(probe("B"));
    EXPECT_EQ(endings, 1);
    EXPECT_TRUE(host().hasEnded());
}

TEST_F(ScreenHostTest, ClosingTheWindowUnloadsTheScreen)
{
    host().show("A");
    probe("A").window()->close();
    EXPECT_EQ(probe("A").unloads, 1);
    EXPECT_EQ(endings, 1);
}

TEST_F(ScreenHostTest, KeyDownSetToZeroSwallowsTheKeyPress)
{
    host().show("A");
    probe("A").consume = 'A';
    press(Qt::Key_A, "a");
    press(Qt::Key_B, "B");
    press(Qt::Key_Left);
    EXPECT_EQ(probe("A").events, (QStringList{"down 65/0", "down 66/1", "press 66", "down 37/0"}));
}

// Keys sent to the window through Qt reach the screen once, as the keyboard would.
TEST_F(ScreenHostTest, RealKeyEventsReachTheScreen)
{
    host().show("A");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(probe("A").window(), &key);
    EXPECT_EQ(probe("A").events, (QStringList{"down 27/0", "press 27"}));
}

// The key that closes a window is still being delivered to that window: the
// window must outlive the event, as it does when Return leaves the
// confirmation screen.
TEST_F(ScreenHostTest, AKeyThatUnloadsItsOwnScreenThroughQtIsSafe)
{
    host().show("A");
    probe("A").onKey = [&](int) {
        host().unload(probe("A"));
        host().show("B");
    };
    QPointer<QWidget> window = probe("A").window();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(window, &key);
    EXPECT_FALSE(probe("A").isLoaded());
    EXPECT_TRUE(probe("B").isShown());
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

// A click is an event of its screen like a key: a click that unloads its
// screen and shows the next one does not end the game in between.
TEST_F(ScreenHostTest, AClickThatMovesToAnotherScreenKeepsTheGameRunning)
{
    host().show("A");
    probe("A").onGo = [&] {
        host().unload(probe("A"));
        host().show("B");
    };
    QTest::mouseClick(probe("A").Go, Qt::LeftButton);
    EXPECT_EQ(endings, 0);
    EXPECT_FALSE(host().hasEnded());
    EXPECT_FALSE(probe("A").isLoaded());
    EXPECT_TRUE(probe("B").isShown());
}

// While a box is open the screens behind it get no key at all.
TEST_F(ScreenHostTest, AnOpenBoxTakesTheKeysFromTheScreens)
{
    host().show("A");
    int answered = 0;
    dialogs.message(probe("A").window(), "x", [&] { ++answered; });
    press(Qt::Key_Return, "\r");
    press(Qt::Key_Escape, "\x1b");
    press(Qt::Key_A, "a");
    EXPECT_TRUE(probe("A").events.isEmpty());
    EXPECT_EQ(answered, 0);
    EXPECT_TRUE(dialogs.pressKey(Qt::Key_A)); // taken by the box, which stays
    EXPECT_TRUE(dialogs.isOpen());
    EXPECT_TRUE(dialogs.pressKey(Qt::Key_Escape));
    EXPECT_EQ(answered, 1);
    press(Qt::Key_A, "a");
    EXPECT_EQ(probe("A").events, (QStringList{"down 65/0", "press 97"}));
}

// A box opened while a screen loads stands alone in front: the screen
// appears once the box is answered, or never when the answer sends the
// player elsewhere, modal or not.
TEST_F(ScreenHostTest, AScreenWhoseLoadOpensABoxWaitsForTheAnswer)
{
    for (const bool modal : {false, true}) {
        for (const bool answerCloses : {false, true}) {
            SCOPED_TRACE(testing::Message() << "modal " << modal << ", closes " << answerCloses);
            trace.clear();
            int continued = 0;
            probe("A").onLoad = [&] {
                dialogs.message(probe("A").window(), "box", [&] {
                    if (answerCloses) {
                        host().unload(probe("A"));
                        host().show("B");
                    }
                });
            };
            if (modal)
                host().showModal("A", [&] { ++continued; });
            else
                host().show("A");
            EXPECT_TRUE(probe("A").isLoaded());
            EXPECT_FALSE(probe("A").isShown());
            EXPECT_EQ(host().activeScreen(), nullptr);
            dialogs.answerAll();
            EXPECT_EQ(probe("A").isShown(), !answerCloses);
            EXPECT_EQ(probe("B").isShown(), answerCloses);
            EXPECT_EQ(trace.contains(modal ? "show modal A" : "show A"), !answerCloses);
            EXPECT_EQ(continued, modal && answerCloses ? 1 : 0);
            probe("A").onLoad = {};
            host().unload(probe("A"));
            host().unload(probe("B"));
        }
    }
}

// Nothing is brought up over an open box, whoever asks for it.
TEST_F(ScreenHostTest, NoScreenAppearsOverAnOpenBox)
{
    host().show("A");
    dialogs.message(probe("A").window(), "box", {});
    host().show("B");
    EXPECT_TRUE(probe("B").isLoaded());
    EXPECT_FALSE(probe("B").isShown());
    dialogs.answerAll();
    EXPECT_TRUE(probe("B").isShown());
    EXPECT_EQ(host().activeScreen(), &probe("B"));
}

// The window's close button runs the screen's own way out, which by default
// unloads it; a screen may lead elsewhere instead.
TEST_F(ScreenHostTest, TheCloseButtonRunsTheScreensWayOut)
{
    class Leaver final : public Screen
    {
    public:
        explicit Leaver(ScreenHost &host) : Screen(host, QStringLiteral("L")) {}
        void closeRequested() override
        {
            host().unload(*this);
            host().show("A");
        }

    protected:
        void createControls() override { setClientSize(1500, 1500); }
    };
    ScreenHost::ScreenTable table = {
        {QStringLiteral("A"), [](ScreenHost &h) { return std::make_unique<Probe>(h, "A"); }},
        {QStringLiteral("L"), [](ScreenHost &h) { return std::make_unique<Leaver>(h); }}};
    makeHost(std::move(table));
    host().show("L");
    host().screen("L").window()->close();
    EXPECT_FALSE(host().screen("L").isLoaded());
    EXPECT_TRUE(probe("A").isShown());
    EXPECT_EQ(endings, 0);
}

// The game's real message box, offscreen: Return, Space and Esc each close
// it as on any desktop, and the screen behind hears none of them.
class RealDialogsTest : public test::HostFixture
{
protected:
    void SetUp() override
    {
        makeHost(
            {{QStringLiteral("A"), [](ScreenHost &h) { return std::make_unique<Probe>(h, "A"); }}},
            &real);
    }
    Probe &probe() { return host().screenAs<Probe>(QStringLiteral("A")); }
    QtDialogs real;
};

TEST_F(RealDialogsTest, AMessageBoxOwnsTheKeyboard)
{
    host().show("A");
    for (int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape}) {
        int answered = 0;
        real.message(probe().window(), QStringLiteral("箱"), [&] { ++answered; });
        QPointer<QWidget> box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        ASSERT_NE(box, probe().window());
        EXPECT_TRUE(real.isOpen());

        // A key that reaches the screen's window while the box is up is
        // swallowed, as is every key typed into the box.
        QKeyEvent stray(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(probe().window(), &stray);
        QWidget *target = box->focusWidget() ? box->focusWidget() : box.data();
        QTest::keyClick(target, Qt::Key_X);
        EXPECT_EQ(answered, 0) << key;
        EXPECT_TRUE(real.isOpen());

        QTest::keyClick(target, Qt::Key(key));
        EXPECT_EQ(answered, 1) << key;
        EXPECT_FALSE(real.isOpen()) << key;
        EXPECT_TRUE(probe().events.isEmpty())
            << key << " " << probe().events.join(',').toStdString();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull());
    }
    press(Qt::Key_A, "a");
    EXPECT_EQ(probe().events, (QStringList{"down 65/0", "press 97"}));
}

// A mouse move over a control is the control's: the screen's own mouse-move
// event comes only over bare parts of the window.
TEST_F(ScreenHostTest, MouseMovesOverControlsStayWithTheControl)
{
    host().show("A");
    Probe &a = probe("A");
    QTest::mouseMove(a.Go, QPoint(5, 5));
    EXPECT_EQ(a.screenMoves, 0);
    QTest::mouseMove(a.client(), QPoint(190, 90));
    EXPECT_EQ(a.screenMoves, 1);
}

// The desktop shows each window's title as the screen's caption and nothing
// more: no program name is appended.
TEST(Application, NoDisplayNameIsAppendedToTitles)
{
    setUpApplication();
    EXPECT_EQ(QCoreApplication::applicationName(), "keystorm");
    // An unset display name follows the program's name; a set one would stay.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
    QCoreApplication::setApplicationName(QStringLiteral("keystorm"));
}

struct KeyCodeCase
{
    int qtKey;
    int code;
};

TEST(KeyCodes, TheCodesScreensKnow)
{
    const KeyCodeCase cases[] = {
        {Qt::Key_Return, 13},
        {Qt::Key_Enter, 13},
        {Qt::Key_Escape, 27},
        {Qt::Key_Left, 37},
        {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},
        {Qt::Key_Down, 40},
        {Qt::Key_Backspace, 8},
        {Qt::Key_A, 65},
        {Qt::Key_Z, 90},
        {Qt::Key_5, 53},
        {Qt::Key_Space, 32},
        // Shifted symbols share numbers with the cursor keys in Qt: never confuse them.
        {Qt::Key_Percent, 229},
        {Qt::Key_Ampersand, 229},
        {Qt::Key_ParenLeft, 229},
        {Qt::Key_unknown, 229}};
    for (const KeyCodeCase &c : cases)
        EXPECT_EQ(ScreenHost::keyCodeOf(c.qtKey), c.code) << c.qtKey;
}

} // namespace
} // namespace ks
