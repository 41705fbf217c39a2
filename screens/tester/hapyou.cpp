#include "hapyou.h"

#include "core/items.h"
#include "core/settings.h"
#include "screens/tester/tester2.h"
#include "shell/dialogs.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"

#include <limits>

namespace ks {

namespace {

struct RatingRow
{
    const char *name;
    int points;
    unsigned colour;
};

// Top to bottom; the counts come from the run in this order.
const RatingRow kRows[6] = {{"Fervor", 120, 0x00FFFF80}, {"Grate", 100, 0x0080FF80},
                            {"Good", 60, 0x00FFC0FF},    {"OK", 45, 0x0080FFFF},
                            {"Bad", 5, 0x00FFC0C0},      {"Miss", -20, 0x000000FF}};

// Right edges (twips) of the table's columns on the 30-second screen: name,
// count, "X", points, "=", product. The 60-second screen sits 240 further left.
constexpr int kRightEdges[6] = {2295, 3255, 3735, 4575, 5055, 6615};
constexpr int kWidths[6] = {1935, 855, 375, 735, 375, 1455};

// The verdict bands of the 30-second course; the 60-second course doubles them.
// The 30-second course's fourth band starts at 6001, so no total falls between bands.
struct Band
{
    int upTo;
    int line;
    Hapyou::Face face;
};
const Band kBands30[] = {{500, 3, Hapyou::Face::Red},
                         {3700, 4, Hapyou::Face::Red},
                         {6000, 5, Hapyou::Face::Calm},
                         {8800, 6, Hapyou::Face::Calm}};
const Band kBands60[] = {{1000, 3, Hapyou::Face::Red},
                         {7400, 4, Hapyou::Face::Red},
                         {12000, 5, Hapyou::Face::Calm},
                         {16500, 6, Hapyou::Face::Calm}};

} // namespace

Hapyou::Hapyou(ScreenHost &host, int course)
    : Screen(host, course == 1 ? QStringLiteral("Hapyou1") : QStringLiteral("Hapyou2")),
      m_course(course)
{}

Hapyou::Verdict Hapyou::verdict(int course, int total, double highScore, int misses, int bads)
{
    const int limit = course == 1 ? 10 : 20;
    // Where one course's screen had no face for a verdict, both show the
    // face the other screen shows.
    if (total <= 0)
        return {2, Face::Red, false};
    if (total > highScore)
        return {8, Face::Calm, true};
    if (misses >= limit)
        return {0, course == 1 ? Face::Shout : Face::Red, false};
    if (bads >= limit)
        return {1, Face::Shout, false};
    for (const Band &band : course == 1 ? kBands30 : kBands60) {
        if (total <= band.upTo)
            return {band.line, band.face, false};
    }
    return {7, Face::Calm, false};
}

void Hapyou::createControls()
{
    setGameScreen(m_course == 1 ? QStringLiteral("打速度でスター～コース１結果発表～")
                                : QStringLiteral("打速度テスター～コース２結果発表～"));
    const int shift = m_course == 1 ? 0 : -240;

    Label1 = add<Label>(QStringLiteral("Label1"), {360, 120, 9015, 615});
    Label1->setCaption(QStringLiteral("お疲れさまでした。"));
    Label1->setFontPoints(26.25);
    Label1->setForeColor(bgrColor(0x0080FFFF));
    Label1->setTransparent(true);
    Label1->setTextAlign(Align::Center);

    auto tableLabel = [&](const QString &name, int index, int column, int top, int height,
                          const QString &caption, const QColor &colour, double points) {
        Label *label = add<Label>(
            name, index,
            {kRightEdges[column] - kWidths[column] + shift, top, kWidths[column], height});
        label->setCaption(caption);
        label->setFontPoints(points);
        label->setForeColor(colour);
        label->setBackColor(Qt::black);
        label->setTextAlign(Align::Right);
        return label;
    };
    for (int r = 0; r < 6; ++r) {
        const int top = 720 + 360 * r;
        const QColor colour = bgrColor(kRows[r].colour);
        tableLabel(QStringLiteral("RowName"), r, 0, top, 375, QString::fromLatin1(kRows[r].name),
                   colour, 18);
        Ten[r] = tableLabel(QStringLiteral("Ten"), 10 + r, 1, top, 375, QString(), colour, 18);
        tableLabel(QStringLiteral("RowTimes"), r, 2, top, 375, QStringLiteral("X"), colour, 18);
        tableLabel(QStringLiteral("RowPoints"), r, 3, top, 375, QString::number(kRows[r].points),
                   colour, 18);
        tableLabel(QStringLiteral("RowEquals"), r, 4, top, 375, QStringLiteral("="), colour, 18);
        Kei1[r] = tableLabel(QStringLiteral("Kei1"), r, 5, top, 375, QString(), colour, 18);
    }

    Line *Line1 = add<Line>(QStringLiteral("Line1"), {0, 0, 15, 15});
    Line1->setPoints(QPoint(twips(360), twips(3000)), QPoint(twips(9480), twips(3000)));
    Line1->setBorderColor(bgrColor(0x00C0C0C0));

    tableLabel(QStringLiteral("Label2"), 16, 0, 3120, 495, QStringLiteral("合計"), Qt::white, 24);
    tableLabel(QStringLiteral("Label2"), 17, 4, 3120, 495, QStringLiteral("="), Qt::white, 24);
    Kei2 = tableLabel(QStringLiteral("Kei2"), -1, 5, 3120, 495, QString(), Qt::white, 24);

    Label3 = add<Label>(QStringLiteral("Label3"), {3000, 3840, 2175, 375});
    Label3->setCaption(QStringLiteral("ＨＩＳＣＯＲＥ"));
    Label3->setFontPoints(21.75);
    Label3->setForeColor(Qt::white);
    Label3->setTransparent(true);

    Hi = add<Label>(QStringLiteral("Hi"), {4320, 4320, 2175, 375});
    Hi->setFontPoints(14.25);
    Hi->setForeColor(bgrColor(0x00C0FFFF));
    Hi->setTextAlign(Align::Right);
    Hi->setTransparent(true);

    Shape1 = add<Shape>(QStringLiteral("Shape1"), {2880, 5160, 6615, 1575});
    Shape1->setKind(ShapeKind::RoundedRectangle);
    Shape1->setFillColor(bgrColor(0x00C0FFFF));
    Shape1->setBorderColor(bgrColor(0x0080C0FF));
    Shape1->setBorderWidth(2);

    Coment = add<Label>(QStringLiteral("Coment"), {3000, 5280, 6375, 1335});
    Coment->setFontPoints(12, true);
    Coment->setForeColor(Qt::black);
    Coment->setTransparent(true);

    Kao = add<Image>(QStringLiteral("Kao"), {360, m_course == 1 ? 4680 : 4800, 2250, 2250});

    Timer1 = addTimer(QStringLiteral("Timer1"), 1000, true, [this] { Timer1_Timer(); });
}

void Hapyou::Form_Load()
{
    closeReady = false;
    const std::size_t courseLine = m_course == 1 ? kHighScore30 : kHighScore60;
    Result<std::vector<std::string>> lines = readSettingsFile(appDir(), kSettingsCapacityWide);
    const bool haveSettings = lines.ok();
    if (haveSettings) {
        settingsLines = std::move(*lines);
        Hi->setCaption(QString::fromStdString(settingsLines[courseLine]));
    }

    const Tester2 &run = host().screenAs<Tester2>(QStringLiteral("Tester2"));
    const int counts[6] = {run.Fervor, run.Grate, run.Good, run.Ok, run.Bad, run.Miss};
    int total = 0;
    for (int r = 0; r < 6; ++r) {
        const int product = kRows[r].points * counts[r];
        Ten[r]->setCaption(QString::number(counts[r]));
        Kei1[r]->setCaption(QString::number(product));
        total += product;
    }
    Kei2->setCaption(QString::number(total));

    verdictLines = {QStringLiteral("ミスり過ぎだなぁ。もっと正確に打つように心がけろ。"),
                    QStringLiteral("遅すぎるぞ。もっと速く打てるはずだ。がんばれ！"),
                    QStringLiteral("・・・・・・・・・・・・・・・・・・・。"),
                    QStringLiteral("この位出来て当たり前だ。まだまだ伸びるぞ。"),
                    QStringLiteral("まだまだ甘いがとりあえずＯＫだ。"),
                    QStringLiteral("やれば出来るじゃねぇか。もう少し速く打つように心がけろ。"),
                    QStringLiteral("ここまでやるたぁなぁ。正直おどろいたぜ。"),
                    QStringLiteral("何も言わん。良くやった。"),
                    QStringLiteral("ハイスコアだ。おめでとう。")};

    // Without a readable settings file there is no score to beat and nothing
    // is written; the results are still shown.
    const double highScore = haveSettings ? numberValue(settingsLines[courseLine])
                                          : std::numeric_limits<double>::infinity();
    const Verdict v = verdict(m_course, total, highScore, run.Miss, run.Bad);
    Coment->setCaption(verdictLines[static_cast<std::size_t>(v.line)]);
    showFace(v.face);

    if (!haveSettings) {
        services().dialogs.message(window(), settingsFailureText(lines.error()), {});
        return;
    }
    if (v.newHighScore) {
        std::vector<std::string> updated = settingsLines;
        updated[courseLine] = std::to_string(total);
        if (Result<void> written = writeSettings(appDir().path(kSettingsFile), updated); !written)
            services().dialogs.message(window(), settingsWriteFailureText(written.error()), {});
    }
}

void Hapyou::showFace(Face face)
{
    AssetStore &assets = services().assets;
    switch (face) {
    case Face::Calm:
        Kao->setPicture(assets.sheet(QStringLiteral("PCforest"), 2, 4).cell(0));
        break;
    case Face::Red:
        Kao->setPicture(assets.sheet(QStringLiteral("PCforest"), 2, 4).cell(4));
        break;
    case Face::Shout:
        Kao->setPicture(assets.picture(QStringLiteral("forest_shout")));
        break;
    }
}

void Hapyou::Timer1_Timer()
{
    closeReady = true;
    Timer1->setEnabled(false);
}

void Hapyou::closeIfReady()
{
    if (closeReady)
        host().unload(*this);
}

void Hapyou::Form_KeyDown(int &, int)
{
    closeIfReady();
}

void Hapyou::Form_KeyPress(int &)
{
    closeIfReady();
}

} // namespace ks
