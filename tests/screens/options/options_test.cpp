// The options dialog and the romaji editor, driven with the mouse and the
// keyboard as a player would, on the manual clock.
#include "core/romajitable.h"
#include "core/textfile.h"
#include "screens/options/romacast.h"
#include "screens/options/settei.h"
#include "support/gamefixture.h"

#include <QDir>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QMenu>
#include <QMouseEvent>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace ks {
namespace {

const char *const kSettings = "150\r\n260\r\n/m/a.mid\r\nnodata\r\n/m/c.wav\r\nnodata\r\nnodata\r\n"
                              "/m/end.mid\r\n";

std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class OptionsTest : public test::GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        dir.write("settei.dat", kSettings);
        dir.write("roumazi.dat", shippedTable());
    }
    static std::string shippedTable()
    {
        return readBytes(std::string(KS_DATA_DIR) + "/roumazi.dat");
    }

    // From the menu's fourth item: the options over the menu.
    void openOptions()
    {
        if (!screen(ScreenName::Kidou).isLoaded())
            host().show(ScreenName::Kidou);
        while (caption(ScreenName::Kidou, QStringLiteral("Erabi")) != "オプション")
            press(Qt::Key_Right);
        press(Qt::Key_Return, "\r");
    }
    void openEditor()
    {
        openOptions();
        click(ScreenName::Settei, "Command1");
    }
    void click(const QString &screenName, const char *id)
    {
        QTest::mouseClick(&control<QWidget>(screenName, QString::fromLatin1(id)), Qt::LeftButton);
    }
    void moveOver(QWidget &widget, QPoint at = {5, 5})
    {
        QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&widget, &move);
    }
    void moveOver(const char *id)
    {
        moveOver(control<QWidget>(ScreenName::Settei, QString::fromLatin1(id)));
    }
    TextBox &box(int i)
    {
        return control<TextBox>(ScreenName::Settei, QStringLiteral("BGName(%1)").arg(i));
    }
    TextBox &alfa(int i)
    {
        return control<TextBox>(ScreenName::romacast, QStringLiteral("alfa(%1)").arg(i));
    }
    QString help() { return caption(ScreenName::Settei, QStringLiteral("Label1")); }
    bool darkFace() { return visible(ScreenName::Settei, QStringLiteral("Image2")); }
    void triggerMenu(const char *id)
    {
        dynamic_cast<MenuItem &>(*screen(ScreenName::romacast).control(QString::fromLatin1(id)))
            .action()
            ->trigger();
    }
    int pairOf(const char *kana)
    {
        Result<RomajiTable> table = romajiTableForEditing(*decodeCp932(shippedTable()));
        for (std::size_t i = 0; i < kEditablePairs; ++i) {
            if (table->kana(i) == kana)
                return static_cast<int>(i);
        }
        return -1;
    }
};

// ---------------------------------------------------------------- the options

TEST_F(OptionsTest, TheBoxesShowTheMusicLinesWithNodataAsEmpty)
{
    openOptions();
    ASSERT_TRUE(screen(ScreenName::Settei).isShown());
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown()); // the menu stays in view
    EXPECT_EQ(host().activeScreen(), &screen(ScreenName::Settei));
    EXPECT_EQ(screen(ScreenName::Settei).window()->windowTitle(), "オプション");
    EXPECT_EQ(screen(ScreenName::Settei).client()->size(), QSize(602, 504));
    const QStringList expected = {"/m/a.mid", "", "/m/c.wav", "", "", "/m/end.mid"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(box(i).text(), expected[i]) << i;
    EXPECT_EQ(help(), "");
    EXPECT_TRUE(darkFace());
    EXPECT_FALSE(control<CheckBox>(ScreenName::Settei, "HighC").isChecked());
}

struct OkCase
{
    const char *before;
    std::function<void(OptionsTest &)> change;
    bool reset;
    const char *after;
};

// OK writes the eight lines: the scores as read (or 100 and 200 with the
// reset ticked), each box as typed, "nodata" for an empty one.
TEST_F(OptionsTest, OkWritesTheEightLines)
{
    const struct
    {
        const char *what;
        const char *before;
        int emptyBox;      // -1: none
        const char *typed; // into box 1, or nothing
        bool reset;
        const char *after;
    } cases[] = {
        {"no change", kSettings, -1, nullptr, false, kSettings},
        {"an emptied box", kSettings, 2, nullptr, false,
         "150\r\n260\r\n/m/a.mid\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n/m/end.mid\r\n"},
        {"the reset", kSettings, -1, nullptr, true,
         "100\r\n200\r\n/m/a.mid\r\nnodata\r\n/m/c.wav\r\nnodata\r\nnodata\r\n/m/end.mid\r\n"},
        {"a six-line file", "1\r\n2\r\n/x.mid\r\nnodata\r\n\r\n\r\n", -1, nullptr, false,
         "1\r\n2\r\n/x.mid\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\nnodata\r\n"},
        {"a typed path", kSettings, -1, " 曲/新しい曲.MID ", false,
         "150\r\n260\r\n/m/a.mid\r\n 曲/新しい曲.MID \r\n/m/c.wav\r\nnodata\r\nnodata\r\n"
         "/m/end.mid\r\n"},
    };
    for (const auto &c : cases) {
        dir.write("settei.dat", test::cp932(c.before));
        openOptions();
        if (c.emptyBox >= 0)
            box(c.emptyBox).clear();
        if (c.typed)
            box(1).setText(QString::fromUtf8(c.typed));
        if (c.reset)
            click(ScreenName::Settei, "HighC");
        click(ScreenName::Settei, "Ok(0)");
        EXPECT_FALSE(screen(ScreenName::Settei).isLoaded()) << c.what;
        EXPECT_EQ(dir.read("settei.dat"), test::cp932(c.after)) << c.what;
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
        EXPECT_EQ(caption(ScreenName::Kidou, "Erabi"), "オプション");
    }
}

// Cancel, Esc and the title bar's close write nothing, whatever was changed.
TEST_F(OptionsTest, CancelEscAndCloseWriteNothing)
{
    for (int way = 0; way < 3; ++way) {
        openOptions();
        click(ScreenName::Settei, "HighC");
        box(0).clear();
        if (way == 0)
            click(ScreenName::Settei, "No(1)");
        else if (way == 1)
            press(Qt::Key_Escape, "\x1b");
        else
            screen(ScreenName::Settei).window()->close();
        EXPECT_FALSE(screen(ScreenName::Settei).isLoaded()) << way;
        EXPECT_EQ(dir.read("settei.dat"), kSettings) << way;
        EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
        EXPECT_EQ(endings, 0);
    }
}

// Return presses the focused button: キャンセル keeps the high scores, the
// editor's and a 参照 button open what they open, and anywhere else (the
// reset box, a music box) Return is OK.
TEST_F(OptionsTest, ReturnPressesTheFocusedButtonElseOk)
{
    enum class After
    {
        Saved,
        Cancelled,
        EditorOpen,
        FileDialogOpen,
    };
    const struct
    {
        const char *focus;
        After after;
    } cases[] = {
        {"HighC", After::Saved},
        {"BGName(2)", After::Saved},
        {"Ok(0)", After::Saved},
        {"No(1)", After::Cancelled},
        {"Command1", After::EditorOpen},
        {"Command2(0)", After::FileDialogOpen},
        {"Command2(5)", After::FileDialogOpen},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.focus);
        dir.write("settei.dat", kSettings);
        dialogs.log.clear();
        openOptions();
        click(ScreenName::Settei, "HighC");
        ASSERT_EQ(control<CheckBox>(ScreenName::Settei, QStringLiteral("HighC")).value(), 1);
        QApplication::setActiveWindow(screen(ScreenName::Settei).window());
        auto &widget = control<QWidget>(ScreenName::Settei, QString::fromLatin1(c.focus));
        widget.setFocus();
        QTest::keyClick(&widget, Qt::Key_Return);
        switch (c.after) {
        case After::Saved:
            EXPECT_TRUE(dialogs.log.isEmpty());
            EXPECT_FALSE(screen(ScreenName::Settei).isLoaded());
            EXPECT_EQ(dir.read("settei.dat").substr(0, 10), "100\r\n200\r\n");
            break;
        case After::Cancelled:
            EXPECT_FALSE(screen(ScreenName::Settei).isLoaded());
            EXPECT_EQ(dir.read("settei.dat"), kSettings);
            break;
        case After::EditorOpen:
            EXPECT_TRUE(screen(ScreenName::romacast).isShown());
            EXPECT_TRUE(screen(ScreenName::Settei).isLoaded());
            EXPECT_EQ(dir.read("settei.dat"), kSettings);
            triggerMenu("exit");
            break;
        case After::FileDialogOpen:
            EXPECT_TRUE(dialogs.log.value(0).startsWith("file dialog: ファイルを開く"));
            EXPECT_TRUE(screen(ScreenName::Settei).isLoaded());
            EXPECT_EQ(dir.read("settei.dat"), kSettings);
            dialogs.queueAnswer("cancel");
            dialogs.answerQueued();
            break;
        }
        if (screen(ScreenName::Settei).isLoaded())
            click(ScreenName::Settei, "No(1)");
        EXPECT_EQ(host().activeScreen(), &screen(ScreenName::Kidou));
    }
}

// The file dialog opens beside the slot's own file, else in its folder,
// else among the game's tunes.
TEST_F(OptionsTest, TheFileDialogStartsBesideTheSlotsFile)
{
    dir.write("music/keystorm.mid", "MThd");
    dir.write("tunes/mine.mid", "MThd");
    const std::string settings = "150\r\n260\r\ntunes/mine.mid\r\ntunes/gone.mid\r\n" +
                                 dir.path("tunes/mine.mid") +
                                 "\r\nnodata\r\n/nowhere/x.mid\r\nnodata\r\n";
    dir.write("settei.dat", settings);
    openOptions();
    const QString root = QString::fromStdString(dir.root());
    const struct
    {
        const char *button;
        QString start;
    } cases[] = {
        {"Command2(0)", root + "/tunes/mine.mid"}, {"Command2(1)", root + "/tunes"},
        {"Command2(2)", root + "/tunes/mine.mid"}, {"Command2(3)", root + "/music/"},
        {"Command2(4)", root + "/music/"},
    };
    for (const auto &c : cases) {
        dialogs.queueAnswer("cancel");
        click(ScreenName::Settei, c.button);
        dialogs.answerQueued();
        EXPECT_EQ(QDir::cleanPath(dialogs.lastStartDir), QDir::cleanPath(c.start)) << c.button;
    }
}

// The file dialog's title and three filters; a chosen file's full path goes
// into the box, whatever filter; a cancelled dialog leaves the box as it was.
TEST_F(OptionsTest, TheFileDialogFillsTheBoxOrLeavesIt)
{
    openOptions();
    dialogs.queueAnswer("/home/player/曲/tune.wav");
    click(ScreenName::Settei, "Command2(1)");
    EXPECT_EQ(
        dialogs.log.value(0),
        "file dialog: ファイルを開く [ＭＩＤＩファイル（*.mid） (*.mid);;ＷＡＶＥファイル（*.wav） "
        "(*.wav);;すべてのファイル（*.*） (*)]");
    dialogs.answerQueued();
    EXPECT_EQ(box(1).text(), "/home/player/曲/tune.wav");
    dialogs.queueAnswer("cancel");
    click(ScreenName::Settei, "Command2(5)");
    dialogs.answerQueued();
    EXPECT_EQ(box(5).text(), "/m/end.mid");
    EXPECT_EQ(dir.read("settei.dat"), kSettings);
}

// The guide explains what the mouse rests on; over a box, a 参照 button, the
// faces or the help line itself the line stays as it was; over the bare
// dialog it goes and the eyes go dark.
TEST_F(OptionsTest, TheHelpLineFollowsTheMouse)
{
    openOptions();
    const struct
    {
        const char *control;
        const char *start;
    } cases[] = {
        {"Command1", "ローマ字入力の設定をします。\n"},
        {"Frame2", "そこはＢＧＭの設定をします。\n参照ボタン"},
        {"Frame1", "そこはエンディングのＢＧＭの設定をします。\n参照ボタン"},
        {"HighC", "そこにチェックを付けた状態で「ＯＫボタン」を押しますと"},
        {"No(1)", "設定を反映させずに終了します。"},
        {"Ok(0)", "設定を反映させて終了します。"},
    };
    for (const auto &c : cases) {
        moveOver(c.control);
        EXPECT_TRUE(help().startsWith(QString::fromUtf8(c.start))) << c.control;
        EXPECT_FALSE(darkFace()) << c.control;
        // Onto a box, a button, a face or the line: it stays.
        for (const char *quiet : {"BGName(0)", "Command2(0)", "Image1", "Label1"}) {
            moveOver(quiet);
            EXPECT_TRUE(help().startsWith(QString::fromUtf8(c.start))) << quiet;
        }
        moveOver(*screen(ScreenName::Settei).client(), QPoint(300, 5));
        EXPECT_EQ(help(), "");
        EXPECT_TRUE(darkFace());
    }
    // From the play-music frame onto one of its boxes: the line stays.
    moveOver("Frame2");
    moveOver("BGName(3)");
    EXPECT_TRUE(help().startsWith("そこはＢＧＭの設定をします。"));
}

TEST_F(OptionsTest, AMissingSettingsFileIsToldAndTheMenuStays)
{
    std::remove(dir.path("settei.dat").c_str());
    openOptions();
    EXPECT_EQ(
        dialogs.log,
        QStringList{
            "message: 設定ファイル（settei.dat）が見付かりません。メインメニューに戻ります。"});
    dialogs.answerAll();
    EXPECT_FALSE(screen(ScreenName::Settei).isLoaded());
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    EXPECT_FALSE(dir.exists("settei.dat"));
}

// A path settei.dat would not give back as chosen is refused at OK, naming
// the box and the character: "〜" would come back as "～", another name
// than the file's, and the tune would stop playing without a word; "é" has
// no form in the file at all. Nothing is written, and the dialog stays as the
// player left it, the emptied box included.
TEST_F(OptionsTest, OkRefusesAMusicPathTheFileWouldChange)
{
    dir.write("曲〜.mid", "MThd");
    dir.write("A−B.mid", "MThd");
    dir.write("A－B.mid", "MThd"); // another tune, which the changed name would play
    const struct
    {
        int box;
        std::string path;
        const char *message;
    } cases[] = {
        {2, dir.path("曲〜.mid"),
         "ゲームＢＧＭの3番目の曲の場所にある「〜」は、設定ファイル（settei.dat）では「～」になり、"
         "別のファイル名になってしまいます。"},
        {0, dir.path("A−B.mid"),
         "ゲームＢＧＭの1番目の曲の場所にある「−」は、設定ファイル（settei.dat）では「－」になり、"
         "別のファイル名になってしまいます。"},
        {4, "/m/¥100.mid",
         "ゲームＢＧＭの5番目の曲の場所にある「¥」は、設定ファイル（settei.dat）では「\\」になり、"
         "別のファイル名になってしまいます。"},
        {5, "/m/café.mid",
         "エンディングＢＧＭの曲の場所に、"
         "設定ファイル（settei.dat）に書けない文字「é」があります。"},
        {1, "/m/♫.mid",
         "ゲームＢＧＭの2番目の曲の場所に、"
         "設定ファイル（settei.dat）に書けない文字「♫」があります。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        dialogs.log.clear();
        openOptions();
        box(3).clear();
        box(c.box).setText(QString::fromStdString(c.path));
        click(ScreenName::Settei, "Ok(0)");
        ASSERT_EQ(dialogs.log.size(), 1);
        EXPECT_EQ(dialogs.log[0],
                  QStringLiteral("message: ") + QString::fromUtf8(c.message) +
                      QStringLiteral("この文字のない名前のファイルやフォルダにしてから、選び直して"
                                     "下さい。"));
        dialogs.answerAll();
        EXPECT_TRUE(screen(ScreenName::Settei).isShown());
        EXPECT_EQ(box(c.box).text().toStdString(), c.path);
        EXPECT_EQ(box(3).text(), "");
        EXPECT_EQ(dir.read("settei.dat"), kSettings);
        click(ScreenName::Settei, "No(1)");
    }
}

// When the form the file holds names the very same file (a link, or a file
// system that takes both names as one), that form is written and the tune
// plays on; a relative path stays relative.
TEST_F(OptionsTest, OkWritesTheFileFormWhenItNamesTheSameFile)
{
    dir.write("tunes/曲～.mid", "MThd");
    std::filesystem::create_symlink("曲～.mid", dir.path("tunes/曲〜.mid"));
    for (const std::string &chosen : {dir.path("tunes/曲〜.mid"), std::string("tunes/曲〜.mid")}) {
        SCOPED_TRACE(chosen);
        dir.write("settei.dat", kSettings);
        openOptions();
        box(1).setText(QString::fromStdString(chosen));
        click(ScreenName::Settei, "Ok(0)");
        EXPECT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join('\n').toStdString();
        EXPECT_FALSE(screen(ScreenName::Settei).isLoaded());
        std::string written = chosen;
        written.replace(written.find("〜"), std::string("〜").size(), "～");
        EXPECT_EQ(dir.read("settei.dat"),
                  test::cp932("150\r\n260\r\n/m/a.mid\r\n" + written +
                              "\r\n/m/c.wav\r\nnodata\r\nnodata\r\n/m/end.mid\r\n"));
    }
}

// A box that cannot be written for another cause (a line break pasted in):
// the player is told, the old file stays whole and the dialog stays with the
// player's choices.
TEST_F(OptionsTest, ASettingThatCannotBeWrittenKeepsTheDialogAndTheFile)
{
    openOptions();
    box(2).setText(QStringLiteral("/m/a\nb.mid"));
    click(ScreenName::Settei, "Ok(0)");
    EXPECT_EQ(dialogs.log.value(0), "message: 設定ファイル（settei.dat）に保存できませんでした。"
                                    "前のファイルはそのまま残っています。");
    dialogs.answerAll();
    EXPECT_TRUE(screen(ScreenName::Settei).isShown());
    EXPECT_EQ(box(2).text(), "/m/a\nb.mid");
    EXPECT_EQ(dir.read("settei.dat"), kSettings);
}

// ---------------------------------------------------------------- the romaji editor

TEST_F(OptionsTest, TheEditorShowsTheEditablePairs)
{
    openEditor();
    ASSERT_TRUE(screen(ScreenName::romacast).isShown());
    EXPECT_EQ(screen(ScreenName::romacast).window()->windowTitle(), "ローマ字カスタマイズ");
    EXPECT_EQ(host().activeScreen(), &screen(ScreenName::romacast));
    const RomajiTable table = *romajiTableForEditing(*decodeCp932(shippedTable()));
    int hiddenLabels = 0;
    int hiddenBoxes = 0;
    for (std::size_t i = 0; i < kEditablePairs; ++i) {
        const QString id = QStringLiteral("(%1)").arg(i);
        const auto &label = control<Label>(ScreenName::romacast, "hira" + id);
        EXPECT_EQ(label.caption().toStdString(), table.kana(i));
        EXPECT_EQ(alfa(static_cast<int>(i)).text().toStdString(), table.romaji(i));
        EXPECT_EQ(label.isHidden(), table.kana(i) == kEmptyKana) << i;
        EXPECT_EQ(alfa(static_cast<int>(i)).isHidden(), table.romaji(i) == kLockedRomaji) << i;
        hiddenLabels += label.isHidden();
        hiddenBoxes += alfa(static_cast<int>(i)).isHidden();
        // Pair i in column i mod 5, row i div 5.
        EXPECT_EQ(label.pos(),
                  QPoint(8 + 128 * (static_cast<int>(i) % 5), 8 + 24 * (static_cast<int>(i) / 5)));
    }
    EXPECT_GT(hiddenLabels, 0);
    EXPECT_GT(hiddenBoxes, 0);
}

// The bar runs from 0 down to -480 (361 − 841 pixels): at the bottom the
// last row sits just above the lower edge.
TEST_F(OptionsTest, TheScrollBarMovesTheGrid)
{
    openEditor();
    auto &bar = control<VScrollBar>(ScreenName::romacast, "VScroll1");
    auto &grid = control<Panel>(ScreenName::romacast, "Picture1");
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(grid.y(), 0);
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.y(), -18);
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid.y(), -379);
    bar.triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(bar.value(), -480);
    EXPECT_EQ(grid.y(), -480);
    const QWidget &last = alfa(169);
    EXPECT_EQ(grid.y() + grid.height(), 361);
    EXPECT_EQ(grid.y() + last.y() + last.height(), 361 - 16);
    bar.triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(grid.y(), 0);
    // A box reached by the keyboard is scrolled into view.
    QFocusEvent tabbedIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&alfa(165), &tabbedIn);
    EXPECT_LE(grid.y() + alfa(165).y() + alfa(165).height(), 361);
    EXPECT_LT(grid.y(), 0);
}

// Saving writes the whole table: the doubled pair of a changed romaji
// follows it, the fixed pairs are as loaded; saving twice writes the same.
// Changing し to "si" and back gives the shipped table byte for byte.
TEST_F(OptionsTest, SavingRecomputesTheDoubledPairs)
{
    const int shi = pairOf("し");
    ASSERT_GE(shi, 0);
    openEditor();
    alfa(shi).setText(QStringLiteral("si"));
    triggerMenu("save");
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_TRUE(screen(ScreenName::romacast).isShown()); // it stays open
    const std::string saved = dir.read("roumazi.dat");
    RomajiTable table = *romajiTableForEditing(*decodeCp932(saved));
    EXPECT_EQ(table.romaji(shi), "si");
    EXPECT_EQ(table.kana(kFirstDoubledPair + shi), "っし");
    EXPECT_EQ(table.romaji(kFirstDoubledPair + shi), "ssi");
    const RomajiTable shipped = *romajiTableForEditing(*decodeCp932(shippedTable()));
    for (std::size_t p = kFirstFixedPair; p < kRomajiPairs; ++p)
        EXPECT_EQ(table.romaji(p), shipped.romaji(p));
    triggerMenu("save");
    EXPECT_EQ(dir.read("roumazi.dat"), saved);
    alfa(shi).setText(QStringLiteral("shi"));
    triggerMenu("save");
    EXPECT_EQ(dir.read("roumazi.dat"), shippedTable());
}

// Ctrl+S saves and Ctrl+E leaves without saving or asking; the options stay.
TEST_F(OptionsTest, CtrlSSavesAndCtrlELeaves)
{
    const int ka = pairOf("か");
    openEditor();
    QWidget *window = screen(ScreenName::romacast).window();
    // Window shortcuts need the window in front, as the player's is.
    QApplication::setActiveWindow(window);
    alfa(ka).setText(QStringLiteral("ca"));
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(dir.read("roumazi.dat"), shippedTable());
    const std::string saved = dir.read("roumazi.dat");
    alfa(ka).setText(QStringLiteral("xa"));
    // From inside a box, whose own key bindings would take Ctrl+E.
    alfa(ka).setFocus();
    QTest::keyClick(&alfa(ka), Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(screen(ScreenName::romacast).isLoaded());
    EXPECT_TRUE(screen(ScreenName::Settei).isShown());
    EXPECT_EQ(dir.read("roumazi.dat"), saved);
    EXPECT_TRUE(dialogs.log.isEmpty());
}

// A box the file could not hold back is refused: the player is told which
// and why, nothing is written, and the edits stay to be put right.
TEST_F(OptionsTest, SavingRefusesWhatTheFileCannotHold)
{
    const int ka = pairOf("か");
    const struct
    {
        const char *typed;
        const char *message;
    } cases[] = {
        {"", "データーの入力内容に不正（空白など）があります。"},
        {"k,a", "「か」のローマ字「k,a」は保存できません。"},
        {"k\"a", "「か」のローマ字「k\"a」は保存できません。"},
        {" ka", "「か」のローマ字「 ka」は保存できません。"},
        {"ka ", "「か」のローマ字「ka 」は保存できません。"},
    };
    openEditor();
    for (const auto &c : cases) {
        dialogs.log.clear();
        alfa(ka).setText(QString::fromUtf8(c.typed));
        triggerMenu("save");
        ASSERT_EQ(dialogs.log.size(), 1) << c.typed;
        EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("message: ") + c.message)) << c.typed;
        dialogs.answerAll();
        EXPECT_TRUE(screen(ScreenName::romacast).isShown()) << c.typed;
        EXPECT_EQ(alfa(ka).text(), QString::fromUtf8(c.typed));
        EXPECT_EQ(dir.read("roumazi.dat"), shippedTable()) << c.typed;
    }
}

// A romaji the editor or the file would turn into something else, or no
// key could type, is refused the same way, naming the kana the player
// sees: "\" alone is the mark of a hidden box.
TEST_F(OptionsTest, SavingRefusesABackslashAndWhatNoKeyTypes)
{
    const int ka = pairOf("か");
    const QString typable = QStringLiteral("。ローマ字は半角の英字、数字、記号で入力して下さい。");
    const struct
    {
        const char *typed;
        QString why;
    } cases[] = {
        {"\\", QStringLiteral("「\\」だけのローマ字は、入力欄を隠す印になってしまいます。")},
        {"ké", QStringLiteral("キーで打てない文字「é」があります") + typable},
        {"k〜", QStringLiteral("キーで打てない文字「〜」があります") + typable},
        // The file would give "\" back, and the box would be hidden.
        {"¥", QStringLiteral("キーで打てない文字「¥」があります") + typable},
    };
    openEditor();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs.log.clear();
        alfa(ka).setText(QString::fromUtf8(c.typed));
        triggerMenu("save");
        EXPECT_EQ(dialogs.log, QStringList{QStringLiteral("message: 「か」のローマ字「%1」は保存"
                                                          "できません。%2")
                                               .arg(QString::fromUtf8(c.typed), c.why)});
        dialogs.answerAll();
        EXPECT_TRUE(screen(ScreenName::romacast).isShown());
        EXPECT_EQ(dir.read("roumazi.dat"), shippedTable());
    }
    // Once put right it saves, the hidden boxes keeping their "\" marks.
    dialogs.log.clear();
    alfa(ka).setText(QStringLiteral("ka"));
    triggerMenu("save");
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_EQ(dir.read("roumazi.dat"), shippedTable());
}

// What an input method or a paste leaves in a box: compatibility forms
// become the plain ASCII they stand for (NFKC) and are saved, in the box as
// in the file; what is still no key's, or ends in a blank, is refused with
// the kana named, and the file stays as it was.
TEST_F(OptionsTest, SavingNormalisesFullWidthFormsAndRefusesWhatNoKeyTypes)
{
    const int ka = pairOf("か");
    const struct
    {
        const char *typed;
        const char *saved; // the か line and its doubled pair's, or nothing
        const char *message; // the box's words after 「か」のローマ字「…」は保存できません。
        const char *shown; // the box after saving
    } cases[] = {
        // F9 in an input method: full-width letters.
        {"ｋａ", "か,ka\r\n", nullptr, "ka"},
        {"ＫＡ", "か,KA\r\n", nullptr, "KA"},
        {"ｃａ", "か,ca\r\n", nullptr, "ca"},
        // A space inside is a key like any other.
        {"ｋ　ａ", "か,k a\r\n", nullptr, "k a"},
        // Space after "ka" with the input method on: an ideographic space.
        {"ka　", nullptr, "後ろに空白があります。", "ka "},
        {"　ka", nullptr, "前に空白があります。", " ka"},
        // Kana left by the input method, full or half width.
        {"か", nullptr, "キーで打てない文字「か」があります。", "か"},
        {"ｶ", nullptr, "キーで打てない文字「カ」があります。", "カ"},
        {"k\ta", nullptr, "キーで打てない制御文字があります。", "k\ta"},
    };
    openEditor();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        dir.write("roumazi.dat", shippedTable());
        dialogs.log.clear();
        alfa(ka).setText(QString::fromUtf8(c.typed));
        triggerMenu("save");
        EXPECT_EQ(alfa(ka).text(), QString::fromUtf8(c.shown));
        if (c.saved) {
            EXPECT_TRUE(dialogs.log.isEmpty());
            const std::string table = *decodeCp932(dir.read("roumazi.dat"));
            EXPECT_NE(table.find(std::string("\r\n") + c.saved), std::string::npos);
            const std::string romaji(c.shown);
            EXPECT_NE(table.find("\r\nっか," + romaji.substr(0, 1) + romaji + "\r\n"),
                      std::string::npos);
        } else {
            EXPECT_EQ(dialogs.log,
                      QStringList{QStringLiteral("message: 「か」のローマ字「%1」は保存"
                                                 "できません。")
                                      .arg(QString::fromUtf8(c.shown)) +
                                  QString::fromUtf8(c.message).chopped(1) +
                                  QStringLiteral("。ローマ字は半角の英字、数字、記号"
                                                 "で入力して下さい。")});
            dialogs.answerAll();
            EXPECT_EQ(dir.read("roumazi.dat"), shippedTable());
        }
    }
}

// The romaji boxes never engage the input method, which asks the focused
// widget whether it takes one; the music boxes, which hold Japanese file
// names, still do.
TEST_F(OptionsTest, TheRomajiBoxesRefuseTheInputMethod)
{
    const auto takesInputMethod = [](QWidget &widget) {
        QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
        QApplication::sendEvent(&widget, &query);
        return query.value(Qt::ImEnabled).toBool();
    };
    openOptions();
    EXPECT_TRUE(takesInputMethod(box(0)));
    click(ScreenName::Settei, "Command1");
    for (int pair : {0, pairOf("し"), 169}) {
        SCOPED_TRACE(pair);
        EXPECT_FALSE(takesInputMethod(alfa(pair)));
        EXPECT_TRUE(alfa(pair).inputMethodHints() & Qt::ImhLatinOnly);
    }
    // A composition sent regardless leaves the box as it was.
    const int shi = pairOf("し");
    QInputMethodEvent compose(QStringLiteral("し"), {});
    QApplication::sendEvent(&alfa(shi), &compose);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("し"));
    QApplication::sendEvent(&alfa(shi), &commit);
    EXPECT_EQ(alfa(shi).text(), "shi");
}

// Ctrl+S says it saved, at the end of the menu bar; the word goes as soon as
// a box is edited again, and a refused save never shows it.
TEST_F(OptionsTest, TheEditorShowsThatItSaved)
{
    const int ka = pairOf("か");
    openEditor();
    const auto status = [this] { return caption(ScreenName::romacast, QStringLiteral("Status")); };
    EXPECT_EQ(status(), "");
    triggerMenu("save");
    EXPECT_EQ(status(), "保存しました");
    QApplication::setActiveWindow(screen(ScreenName::romacast).window());
    alfa(ka).setFocus();
    QTest::keyClick(&alfa(ka), Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(alfa(ka).text(), "kaa");
    EXPECT_EQ(status(), "");
    alfa(ka).setText(QString());
    triggerMenu("save");
    dialogs.answerAll();
    EXPECT_EQ(status(), "");
}

// A box whose kana is the empty place "＿" shows no kana: the message names
// its place in the grid instead.
TEST_F(OptionsTest, ABoxWithoutAKanaIsNamedByItsPlace)
{
    RomajiTable table = *romajiTableForEditing(*decodeCp932(shippedTable()));
    ASSERT_EQ(table.kana(36), kEmptyKana);
    std::vector<std::string> romaji;
    for (std::size_t k = 0; k < kEditablePairs; ++k)
        romaji.push_back(k == 36 ? "xx" : table.romaji(k));
    ASSERT_TRUE(saveRomajiTable(dir.path("roumazi.dat"), table, romaji).ok());
    openEditor();
    ASSERT_FALSE(alfa(36).isHidden());
    alfa(36).setText(QStringLiteral("é"));
    triggerMenu("save");
    EXPECT_EQ(dialogs.log,
              QStringList{"message: 左から2列目、上から8段目の欄のローマ字「é」は保存できません。"
                          "キーで打てない文字「é」があります。ローマ字は半角の英字、数字、記号で"
                          "入力して下さい。"});
}

TEST_F(OptionsTest, AMissingOrShortTableOpensNoGrid)
{
    for (const std::string &content : {std::string(), test::cp932("あ,a\r\nい,i\r\n")}) {
        if (content.empty())
            std::remove(dir.path("roumazi.dat").c_str());
        else
            dir.write("roumazi.dat", content);
        dialogs.log.clear();
        openEditor();
        ASSERT_EQ(dialogs.log.size(), 1);
        EXPECT_TRUE(dialogs.log[0].contains("ローマ字表（roumazi.dat）"));
        dialogs.answerAll();
        EXPECT_FALSE(screen(ScreenName::romacast).isLoaded());
        EXPECT_TRUE(screen(ScreenName::Settei).isShown());
        click(ScreenName::Settei, "No(1)");
    }
}

// The 入力 menu: the choice is kept in keystorm.ini the moment it is made,
// with whatever else the file holds, and shown checked when the editor opens
// again. A file that cannot be written leaves the choice as it was.
TEST_F(OptionsTest, TheSpellingChoiceIsKeptAtOnce)
{
    const auto checked = [this](const char *id) {
        return dynamic_cast<MenuItem &>(
                   *screen(ScreenName::romacast).control(QString::fromLatin1(id)))
            .action()
            ->isChecked();
    };
    dir.write("keystorm.ini", "; mine\r\n[sound]\r\nvolume=3\r\n");
    openEditor();
    EXPECT_TRUE(checked("tableSpelling"));
    EXPECT_FALSE(checked("anySpelling"));
    triggerMenu("anySpelling");
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_EQ(dir.read("keystorm.ini"),
              "; mine\r\n[sound]\r\nvolume=3\r\n\r\n[typing]\r\nspelling=any\r\n");
    EXPECT_TRUE(checked("anySpelling"));
    EXPECT_FALSE(checked("tableSpelling"));
    triggerMenu("exit");
    click(ScreenName::Settei, "Command1");
    EXPECT_TRUE(checked("anySpelling"));
    triggerMenu("tableSpelling");
    EXPECT_EQ(dir.read("keystorm.ini"),
              "; mine\r\n[sound]\r\nvolume=3\r\n\r\n[typing]\r\nspelling=table\r\n");

    // A folder where the file would go: no write can replace it.
    std::filesystem::remove(dir.path("keystorm.ini"));
    std::filesystem::create_directory(dir.path("keystorm.ini"));
    triggerMenu("anySpelling");
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(
        dialogs.log[0].startsWith("message: 設定ファイル（keystorm.ini）に保存できませんでした"))
        << dialogs.log[0].toStdString();
    EXPECT_TRUE(dialogs.log[0].endsWith("つづりの選び方は前のままです。"));
    EXPECT_TRUE(checked("tableSpelling"));
    EXPECT_FALSE(checked("anySpelling"));
    dialogs.answerAll();
    EXPECT_TRUE(screen(ScreenName::romacast).isShown());
}

} // namespace
} // namespace ks
