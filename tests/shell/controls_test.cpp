// The controls the screens are built from, on a screen of their own.
#include "shell/controls.h"

#include "support/romajilines.h"
#include "shell/screen.h"
#include "shell/units.h"
#include "support/hostfixture.h"

#include <QApplication>
#include <QDirIterator>
#include <QKeyEvent>
#include <QSvgRenderer>
#include <QTest>

#include <algorithm>
#include <string_view>
#include <vector>

namespace ks {
namespace {

class Board final : public Screen
{
public:
    explicit Board(ScreenHost &host) : Screen(host, QStringLiteral("Board")) {}

    Label *OneLine = nullptr;
    Label *TwoLines = nullptr;
    Label *Plain = nullptr;
    Label *Bubble = nullptr;
    VScrollBar *VScroll1 = nullptr;
    TextBox *Box = nullptr;
    QStringList events;

protected:
    void createControls() override
    {
        setGameScreen(QStringLiteral("Board"));
        OneLine = addLabel({QStringLiteral("OneLine"), {0, 0, 1200, 375}}, QString(),
                           {18, false, Qt::white, Qt::black});
        TwoLines = addLabel({QStringLiteral("TwoLines"), {0, 600, 1200, 975}}, QString(),
                            {12, true, Qt::white, Qt::black});
        Plain = addLabel({QStringLiteral("Plain"), 3, {0, 1800, 3000, 375}}, QStringLiteral("x"),
                         {9, false, bgrColor(0x0080FF80), QColor(), Align::Right});
        Bubble = addBubble({QStringLiteral("Shape1"), 2, {3000, 0, 3000, 900}},
                           {QStringLiteral("Say"), {3120, 120, 2760, 660}}, 12, true);
        VScroll1 = add<VScrollBar>(QStringLiteral("VScroll1"), {9345, 0, 255, 5415});
        VScroll1->setRange(0, -480);
        VScroll1->setSteps(18, 361);
        onChange(VScroll1, [this] { events << QString::number(VScroll1->value()); });
        Box = add<TextBox>(QStringLiteral("Box"), {0, 2400, 3000, 375});
        addMenuItem(addMenu(QStringLiteral("ファイル")), QStringLiteral("all"),
                    QStringLiteral("全部(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A),
                    [this] { events << QStringLiteral("all"); });
    }
};

class ControlsTest : public test::HostFixture
{
protected:
    void SetUp() override
    {
        makeHost(
            {{QStringLiteral("Board"), [](ScreenHost &h) { return std::make_unique<Board>(h); }}});
        host().show("Board");
    }
    Board &board() { return host().screenAs<Board>(QStringLiteral("Board")); }
};

TEST(Units, ColoursAreBlueGreenRed)
{
    const QColor c = bgrColor(0x0080C0FF);
    EXPECT_EQ(c, QColor(0xFF, 0xC0, 0x80));
    EXPECT_EQ(bgrText(c), "&H0080C0FF");
    EXPECT_EQ(bgrText(bgrColor(0x00FF8080)), "&H00FF8080");
    EXPECT_EQ(twipsRect(2640, 480, 1200, 1200), QRect(176, 32, 80, 80));
    EXPECT_EQ(pointsToPixels(36), 48);
    EXPECT_EQ(pointsToPixels(11.25), 15);
}

TEST(SpriteSheets, CellsAreCountedRowByRow)
{
    QPixmap sheet(120, 80);
    sheet.fill(Qt::black);
    const SpriteSheet sprites(Picture{sheet, "S"}, 2, 3);
    const Picture cell = sprites.cell(4);
    EXPECT_EQ(cell.name, "S#4");
    EXPECT_EQ(cell.pixmap.size(), QSize(40, 40));
    EXPECT_TRUE(sprites.cell(6).isNull());
    EXPECT_TRUE(sprites.cell(-1).isNull());
}

// On a HiDPI desktop the pictures are drawn from their sources at the
// screen's resolution, sprite cells included, and still take their own size
// on the screen: sharp, not enlarged.
TEST(AssetStore, PicturesAreDrawnAtTheDevicePixelRatio)
{
    AssetStore sharp(2.0);
    const Picture title = sharp.picture(QStringLiteral("title"));
    EXPECT_EQ(title.pixmap.size(), QSize(1230, 430));
    EXPECT_EQ(title.pixmap.deviceIndependentSize().toSize(), QSize(615, 215));
    const Picture cell = sharp.sheet(QStringLiteral("PCforest"), 2, 4).cell(5);
    EXPECT_EQ(cell.pixmap.size(), QSize(300, 300));
    EXPECT_EQ(cell.pixmap.deviceIndependentSize().toSize(), QSize(150, 150));
    Image shown(nullptr, QStringLiteral("Kao"));
    shown.setPicture(cell);
    EXPECT_EQ(shown.sizeHint(), QSize(150, 150));

    AssetStore plain(1.0);
    EXPECT_EQ(plain.picture(QStringLiteral("title")).pixmap.size(), QSize(615, 215));
}

// At a scale where the cells' edges fall between device pixels, a cell shows
// nothing of its neighbour: the empty cell under a full red one stays empty.
TEST(AssetStore, CellsShowNothingOfTheirNeighboursAtAnyScale)
{
    for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        AssetStore store(ratio);
        const QImage empty =
            store.sheet(QStringLiteral("test_cells"), 2, 1).cell(1).pixmap.toImage();
        ASSERT_FALSE(empty.isNull()) << ratio;
        for (int y = 0; y < empty.height(); ++y) {
            for (int x = 0; x < empty.width(); ++x)
                ASSERT_EQ(qAlpha(empty.pixel(x, y)), 0) << ratio << " at " << x << "," << y;
        }
        const QImage full =
            store.sheet(QStringLiteral("test_cells"), 2, 1).cell(0).pixmap.toImage();
        EXPECT_EQ(qRed(full.pixel(0, 0)), 255) << ratio;
    }
}

// Every picture the game ships is drawn whole: a node Qt's SVG renderer
// cannot read is left out of the picture with only a warning on the console.
TEST(AssetStore, EveryShippedPictureParsesWithoutAWarning)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (context.category && std::string_view(context.category) == "qt.svg")
                warnings << text;
        });
    QDirIterator it(QStringLiteral(":/pictures"), {QStringLiteral("*.svg")});
    int pictures = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        EXPECT_TRUE(QSvgRenderer(path).isValid()) << path.toStdString();
        ++pictures;
    }
    qInstallMessageHandler(previous);
    EXPECT_GT(pictures, 20);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
}

// Every window hands its icon to the desktop: the sizes title bars and
// switchers use, none of them large.
TEST(AssetStore, TheProgramIconComesAtTheSizesDesktopsShow)
{
    const QIcon icon = AssetStore(1.0).icon(QStringLiteral("icon"));
    EXPECT_EQ(icon.availableSizes(),
              (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
    const QImage small = icon.pixmap(16).toImage();
    EXPECT_GT(qAlpha(small.pixel(8, 8)), 0) << "the icon is drawn, not blank";
}

// A bar whose maximum lies below its minimum runs downwards; its change
// event comes through the screen, and not for the value set at load.
TEST_F(ControlsTest, AScrollBarWithItsMaximumBelowItsMinimumRunsDownwards)
{
    VScrollBar &bar = *board().VScroll1;
    EXPECT_EQ(bar.value(), 0);
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd); // the down arrow
    EXPECT_EQ(bar.value(), -18);
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar.value(), -379);
    bar.triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(bar.value(), -480);
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar.value(), -462);
    EXPECT_EQ(board().events, (QStringList{"-18", "-379", "-480", "-462"}));
}

// Dragging the thumb moves nothing until it is let go.
TEST_F(ControlsTest, AScrollBarReportsADragWhenTheThumbIsReleased)
{
    VScrollBar &bar = *board().VScroll1;
    bar.setSliderDown(true);
    bar.setSliderPosition(-200); // on Qt's own scale, which runs the other way
    EXPECT_TRUE(board().events.isEmpty());
    bar.setSliderDown(false);
    EXPECT_EQ(board().events, (QStringList{"-280"}));
}

// The layouts were drawn for a narrower face: a one-line label whose text is
// too wide gives up a little size rather than wrapping out of sight, but
// never more than a third of it; a taller label wraps instead.
// A one-line label whose font is taller than its box shows the middle of
// the line, so digits stay whole; one with room keeps its text at the top.
TEST(Labels, ALineTallerThanItsBoxKeepsItsMiddleInView)
{
    QWidget parent;
    Label code(&parent, QStringLiteral("CodeT"));
    code.setGeometry(twipsRect(6720, 1200, 1110, 405));
    code.setFontPoints(20.25, true);
    code.setBorder(true);
    code.setCaption(QStringLiteral("5047"));
    code.finishSetUp();
    EXPECT_TRUE(code.alignment() & Qt::AlignVCenter);
    EXPECT_FALSE(code.alignment() & Qt::AlignTop);

    Label roomy(&parent, QStringLiteral("Roomy"));
    roomy.setGeometry(0, 0, 200, 60);
    roomy.setFontPoints(12);
    roomy.setTextAlign(Align::Right);
    roomy.setCaption(QStringLiteral("5047"));
    roomy.finishSetUp();
    EXPECT_EQ(roomy.alignment(), Qt::AlignRight | Qt::AlignTop);
}

TEST_F(ControlsTest, OneLineLabelsShrinkALittleAndTallerOnesWrap)
{
    Label &one = *board().OneLine;
    const int full = one.font().pixelSize();
    EXPECT_EQ(full, pointsToPixels(18));
    one.setCaption(QStringLiteral("Fervor!!!"));
    EXPECT_LT(one.font().pixelSize(), full);
    EXPECT_GE(one.font().pixelSize(), full * 2 / 3);
    EXPECT_LE(QFontMetrics(one.font()).horizontalAdvance(one.caption()), one.width());
    // The largest size that fits, not merely one that does.
    QFont larger = one.font();
    larger.setPixelSize(one.font().pixelSize() + 1);
    EXPECT_GT(QFontMetrics(larger).horizontalAdvance(one.caption()), one.width());
    EXPECT_FALSE(one.wordWrap());
    one.setCaption(QStringLiteral("ＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷ"));
    EXPECT_EQ(one.font().pixelSize(), full * 2 / 3 + 1); // the smallest it goes
    one.setCaption(QStringLiteral("OK"));
    EXPECT_EQ(one.font().pixelSize(), full);

    Label &two = *board().TwoLines;
    two.setCaption(QStringLiteral("ずっと長い文章がこのラベルには入りきらないので折り返します。"));
    EXPECT_TRUE(two.wordWrap());
    EXPECT_EQ(two.font().pixelSize(), pointsToPixels(12));
    EXPECT_TRUE(two.font().bold());

    // The same text fitted again after the label changed size.
    const QSize tall = two.size();
    two.resize(tall.width(), QFontMetrics(two.font()).lineSpacing());
    EXPECT_FALSE(two.wordWrap());
    EXPECT_LT(two.font().pixelSize(), pointsToPixels(12));
    two.resize(tall);
    EXPECT_TRUE(two.wordWrap());
    EXPECT_EQ(two.font().pixelSize(), pointsToPixels(12));
}

// A label set up as the screens make theirs, white on black.
struct LabelShape
{
    QRect rect;
    double points;
    bool bold;
    Align align;
    Overflow overflow;
};

void setUpLabel(Label &label, const LabelShape &shape, const QString &caption)
{
    label.setGeometry(shape.rect);
    label.setFontPoints(shape.points, shape.bold);
    label.setForeColor(Qt::white);
    label.setBackColor(Qt::black);
    label.setTextAlign(shape.align);
    label.setOverflow(shape.overflow);
    label.setCaption(caption);
    label.finishSetUp();
}

// The practice page's romaji line at the practice tool's size, and mission
// 4's, three lines high.
const LabelShape kPracticeGuide{QRect(0, 32, 640, 44), 20, true, Align::Center, Overflow::Guide};
const LabelShape kMission4Guide{QRect(8, 408, 629, 61), 14.25, true, Align::Center,
                                Overflow::Guide};

// 88 keys: far more than one line holds, even at the smallest size.
const QString kLongRomaji = QStringLiteral(
    "hikoukininorutokiha,suchuwa-desusanntohanasutameniiriguchifukinnhe.shinnbunnhaitatsunoka");

// The romaji guide shows what it can of a line too long for it from the
// front: the next key is the first thing drawn, at the left edge, and the
// end gives way to an ellipsis; so after keys are typed too.
TEST(Labels, ARomajiGuideTooLongKeepsItsFront)
{
    QWidget parent;
    Label guide(&parent, QStringLiteral("Alufabet"));
    setUpLabel(guide, kPracticeGuide, kLongRomaji);
    for (int typed : {0, 10}) {
        guide.setCaption(kLongRomaji.mid(typed));
        EXPECT_EQ(guide.caption(), kLongRomaji.mid(typed)); // the dump keeps all of it
        EXPECT_TRUE(guide.isElided());
        ASSERT_EQ(guide.shownLines().size(), 1);
        const QString shown = guide.shownLines().first();
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
        EXPECT_TRUE(guide.caption().startsWith(shown.chopped(1))) << typed;
        EXPECT_GE(shown.size(), 40);
        EXPECT_LE(QFontMetrics(guide.font()).horizontalAdvance(shown), guide.width());
        EXPECT_EQ(guide.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        EXPECT_EQ(guide.font().pixelSize(), pointsToPixels(20) * 2 / 3 + 1);
    }
    StateWriter out;
    guide.writeState(out, QStringLiteral("F.Alufabet"));
    EXPECT_TRUE(out.lines().contains(QStringLiteral("F.Alufabet.elided=1")));
}

// A guide that fits, at its size or a little smaller, is laid out exactly
// as any label: centred, same size, same pixels.
TEST(Labels, ARomajiGuideThatFitsIsShownAsEver)
{
    QWidget parent;
    Label guide(&parent, QStringLiteral("Alufabet"));
    Label plain(&parent, QStringLiteral("Plain"));
    LabelShape clip = kPracticeGuide;
    clip.overflow = Overflow::Clip;
    const QString captions[] = {QStringLiteral("aka"), kLongRomaji.left(44), kLongRomaji.left(52)};
    for (const QString &caption : captions) {
        setUpLabel(guide, kPracticeGuide, caption);
        setUpLabel(plain, clip, caption);
        EXPECT_FALSE(guide.isElided()) << caption.toStdString();
        EXPECT_EQ(guide.text(), caption);
        EXPECT_EQ(guide.font().pixelSize(), plain.font().pixelSize());
        EXPECT_EQ(guide.alignment(), Qt::AlignHCenter | Qt::AlignTop);
        EXPECT_EQ(guide.grab().toImage(), plain.grab().toImage()) << caption.toStdString();
        StateWriter out;
        guide.writeState(out, QStringLiteral("F.Alufabet"));
        EXPECT_FALSE(out.lines().contains(QStringLiteral("F.Alufabet.elided=1")));
    }
    // One of them was shrunk to fit: the test covers that path too.
    setUpLabel(guide, kPracticeGuide, kLongRomaji.left(52));
    EXPECT_LT(guide.font().pixelSize(), pointsToPixels(20));
}

// A guide tall enough for more than one line wraps between syllables only,
// from the next key on; a run with no syllable break that is wider than
// the label breaks anywhere rather than being cut; lines beyond the label's
// last end with an ellipsis on that last line.
TEST(Labels, ATallRomajiGuideWrapsBetweenSyllables)
{
    QWidget parent;
    Label guide(&parent, QStringLiteral("Romazi1"));
    const QString mission4 =
        QStringLiteral("hikoukininorutokiha,suchuwa-desusanntohanasutameniiriguchifukinnhe.");
    for (int typed : {0, 1, 40}) {
        setUpLabel(guide, kMission4Guide, mission4.mid(typed));
        const QStringList lines = guide.shownLines();
        EXPECT_EQ(lines.size(), typed < 40 ? 2 : 1) << typed;
        EXPECT_EQ(lines.join(QString()), mission4.mid(typed));
        EXPECT_TRUE(test::breaksAreSyllables(lines)) << lines.join('|').toStdString();
        EXPECT_FALSE(guide.isElided());
        for (const QString &line : lines)
            EXPECT_LE(QFontMetrics(guide.font()).horizontalAdvance(line), guide.width());
        EXPECT_EQ(guide.font().pixelSize(), pointsToPixels(14.25));
    }
    EXPECT_FALSE(guide.text().contains(QChar(0x200B))); // nothing invisible to trip on

    const QString noVowel(90, u's');
    setUpLabel(guide, kMission4Guide, noVowel);
    EXPECT_EQ(guide.shownLines().join(QString()), noVowel);
    EXPECT_EQ(guide.shownLines().size(), 2);
    for (const QString &line : guide.shownLines())
        EXPECT_LE(QFontMetrics(guide.font()).horizontalAdvance(line), guide.width());

    const QString tooLong = mission4.repeated(4);
    setUpLabel(guide, kMission4Guide, tooLong);
    const QStringList lines = guide.shownLines();
    ASSERT_EQ(lines.size(), 2); // 61 pixels hold two lines of 21
    EXPECT_TRUE(guide.isElided());
    EXPECT_TRUE(tooLong.startsWith(lines.first()));
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
    EXPECT_TRUE(tooLong.startsWith(lines.first() + lines.last().chopped(1)));
}

struct WholeCase
{
    const char *name;
    LabelShape shape;
    const char *caption;
    int lines; // as shown
};

// A text to be read whole is never cut: too wide for its label, it wraps
// where Japanese may break and grows smaller until its lines fit the label,
// two lines where the label holds them at a larger size than one would
// allow. A text that fits stays as any label shows it.
TEST(Labels, AWholeTextWrapsAndShrinksUntilItFits)
{
    const char *const longText =
        "飛行機に乗るときは、スチュワーデスさんと話すために入り口付近へ。"
        "新聞配達の自転車の音が響いている夜明けの通り、駅へ向かう人たちは白い息をはく。";
    const WholeCase cases[] = {
        {"display line",
         {QRect(0, 0, 640, 25), 18, false, Align::Center, Overflow::Whole},
         longText,
         2},
        {"display line, a little long",
         {QRect(0, 0, 640, 25), 18, false, Align::Center, Overflow::Whole},
         "飛行機に乗るときは、スチュワーデスさんと話すために入り口付近へ。駅の通り",
         1},
        {"two-line word",
         {QRect(144, 360, 369, 49), 14.25, true, Align::Center, Overflow::Whole},
         "飛行機に乗るときは、スチュワーデスさんと話すために入り口付近へ。",
         2},
        {"title",
         {QRect(232, 152, 409, 41), 24, false, Align::Center, Overflow::Whole},
         "とても長いタイトルの練習問題ファイルはこうなりますね本当に",
         2},
        {"short title",
         {QRect(232, 152, 409, 41), 24, false, Align::Center, Overflow::Whole},
         "花の名前",
         1},
    };
    for (const WholeCase &c : cases) {
        QWidget parent;
        Label label(&parent, QStringLiteral("L"));
        setUpLabel(label, c.shape, QString::fromUtf8(c.caption));
        const QStringList lines = label.shownLines();
        const QFontMetrics metrics(label.font());
        EXPECT_EQ(lines.join(QString()), label.caption()) << c.name;
        EXPECT_EQ(lines.size(), c.lines) << c.name;
        EXPECT_FALSE(label.isElided()) << c.name;
        for (const QString &line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), label.width()) << c.name;
        if (lines.size() > 1) {
            EXPECT_LE(lines.size() * metrics.lineSpacing(), label.height()) << c.name;
        }
        EXPECT_EQ(label.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter) << c.name;
    }
}

// A style without a back colour is transparent; the bubble is the yellow box
// with its black words on it.
TEST_F(ControlsTest, LabelStylesAndTheSpeechBubble)
{
    StateWriter out;
    board().writeState(out);
    const QStringList &lines = out.lines();
    EXPECT_TRUE(lines.contains("Board.Plain(3).caption=x"));
    EXPECT_TRUE(lines.contains("Board.Plain(3).fore=&H0080FF80"));
    EXPECT_TRUE(lines.contains("Board.Plain(3).back="));
    EXPECT_TRUE(lines.contains("Board.OneLine.back=&H00000000"));
    EXPECT_TRUE(lines.contains("Board.Shape1(2).back=&H00C0FFFF"));
    EXPECT_TRUE(lines.contains("Board.Shape1(2).fore=&H0080C0FF"));
    EXPECT_TRUE(lines.contains("Board.Say.fore=&H00000000"));
    EXPECT_TRUE(lines.contains("Board.Say.back="));
    EXPECT_EQ(board().Plain->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    // The bubble lies under its words.
    EXPECT_TRUE(board().control("Shape1(2)") != nullptr);
    EXPECT_TRUE(board().Bubble->font().bold());
}

// A key combination that is one of the window's menu shortcuts is the
// window's, even inside a text box whose own bindings know it (Ctrl+A selects
// all; on X11 Ctrl+E goes to the end of the line).
TEST_F(ControlsTest, MenuShortcutsComeBeforeATextBoxsBindings)
{
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(board().Box, &override);
    EXPECT_FALSE(override.isAccepted());
    QKeyEvent other(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier);
    QApplication::sendEvent(board().Box, &other);
    EXPECT_TRUE(other.isAccepted()); // undo stays the box's
}

} // namespace
} // namespace ks
