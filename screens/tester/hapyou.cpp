#include "hapyou.h"

#include "core/items.h"
#include "core/settings.h"
#include "screens/screennames.h"
#include "screens/tester/ratingstyle.h"
#include "shell/dialogs.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"

#include <limits>

namespace ks {

namespace {

// Right edges (twips) of the table's columns on the 30-second screen: name,
// count, "X", points, "=", product. The 60-second screen sits 240 further left.
constexpr int kRightEdges[6] = {2295, 3255, 3735, 4575, 5055, 6615};
constexpr int kWidths[6] = {1935, 855, 375, 735, 375, 1455};

} // namespace

Hapyou::Hapyou(ScreenHost &host, SpeedTestShared &shared, int course)
    : Screen(host, course == 1 ? ScreenName::Hapyou1 : ScreenName::Hapyou2), m_shared(shared),
      m_course(course)
{}

void Hapyou::createControls()
{
    setGameScreen(m_course == 1 ? QStringLiteral("打速度でスター～コース１結果発表～")
                                : QStringLiteral("打速度テスター～コース２結果発表～"),
                  Border::Result);
    const int shift = m_course == 1 ? 0 : -240;

    addLabel({QStringLiteral("Label1"), {360, 120, 9015, 615}},
             QStringLiteral("お疲れさまでした。"),
             {26.25, false, bgrColor(0x0080FFFF), QColor(), Align::Center});

    auto tableLabel = [&](const QString &name, int index, int column, int top, int height,
                          const QString &caption, const QColor &colour, double points) {
        return addLabel(
            {name,
             index,
             {kRightEdges[column] - kWidths[column] + shift, top, kWidths[column], height}},
            caption, {points, false, colour, Qt::black, Align::Right});
    };
    for (Rating rating : kRatings) {
        const auto r = static_cast<int>(rating);
        const int top = 720 + 360 * r;
        const QColor colour = ratingColour(rating);
        const RatingRule &rule = ratingRule(rating);
        tableLabel(QStringLiteral("RowName"), r, 0, top, 375, ratingText(rule.name), colour, 18);
        Ten[r] = tableLabel(QStringLiteral("Ten"), 10 + r, 1, top, 375, QString(), colour, 18);
        tableLabel(QStringLiteral("RowTimes"), r, 2, top, 375, QStringLiteral("X"), colour, 18);
        tableLabel(QStringLiteral("RowPoints"), r, 3, top, 375, QString::number(rule.points),
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

    addLabel({QStringLiteral("Label3"), {3000, 3840, 2175, 375}}, QStringLiteral("ＨＩＳＣＯＲＥ"),
             {21.75, false, Qt::white});
    Hi = addLabel({QStringLiteral("Hi"), {4320, 4320, 2175, 375}}, QString(),
                  {14.25, false, HouseColour::BubbleFill, QColor(), Align::Right});
    Coment = addBubble({QStringLiteral("Shape1"), {2880, 5160, 6615, 1575}},
                       {QStringLiteral("Coment"), {3000, 5280, 6375, 1335}}, 12, true);
    Kao = add<Image>(QStringLiteral("Kao"), {360, m_course == 1 ? 4680 : 4800, 2250, 2250});

    Timer1 = addTimer(QStringLiteral("Timer1"), 1000, true, [this] { Timer1_Timer(); });
}

void Hapyou::Form_Load()
{
    closeReady = false;
    const SettingsFile settings(appDir());
    Result<SettingsLines> lines = settings.read(kSettingsCapacityWide);
    const bool haveSettings = lines.ok();
    if (haveSettings) {
        settingsLines = std::move(*lines);
        Hi->setCaption(QString::fromStdString(settingsLines.highScore(m_course)));
    }

    const RatingCounts &counts = m_shared.counts;
    for (Rating rating : kRatings) {
        const auto r = static_cast<std::size_t>(rating);
        Ten[r]->setCaption(QString::number(counts.count(rating)));
        Kei1[r]->setCaption(QString::number(counts.points(rating)));
    }
    const int total = counts.total();
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
    const double highScore = haveSettings ? numberValue(settingsLines.highScore(m_course))
                                          : std::numeric_limits<double>::infinity();
    const Verdict v = speedTestVerdict(m_course, total, highScore, counts.count(Rating::Miss),
                                       counts.count(Rating::Bad));
    Coment->setCaption(verdictLines[static_cast<std::size_t>(v.line)]);
    showFace(v.face);

    if (!haveSettings) {
        m_shared.settingsLost = true;
        services().dialogs.message(
            window(),
            SettingsFile::readProblem(lines.error()) +
                QStringLiteral(
                    "ハイスコアは記録されません。結果を閉じるとメインメニューに戻ります。"),
            {});
        return;
    }
    if (v.newHighScore) {
        if (Result<void> written = settings.writeHighScore(settingsLines, m_course, total);
            !written)
            services().dialogs.message(
                window(), SettingsFile::highScoreWriteFailureText(written.error()), {});
    }
}

void Hapyou::showFace(VerdictFace face)
{
    AssetStore &assets = services().assets;
    switch (face) {
    case VerdictFace::Calm:
        Kao->setPicture(assets.sheet(QStringLiteral("PCforest"), 2, 4).cell(0));
        break;
    case VerdictFace::Red:
        Kao->setPicture(assets.sheet(QStringLiteral("PCforest"), 2, 4).cell(4));
        break;
    case VerdictFace::Shout:
        Kao->setPicture(assets.picture(QStringLiteral("forest_shout")));
        break;
    }
}

void Hapyou::Timer1_Timer()
{
    closeReady = true;
    Timer1->setEnabled(false);
    traceReady();
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
