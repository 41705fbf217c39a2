#include "tester1.h"

#include "core/settings.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"

namespace ks {

namespace {

const QColor kHighlight = bgrColor(0x000000FF);

} // namespace

void Tester1::createControls()
{
    setGameScreen(QStringLiteral("打速度テスター～コース選択～"));

    Image1 = addImage({QStringLiteral("Image1"), {0, 0, 3750, 6900}},
                      services().assets.picture(QStringLiteral("forest_figure")));
    KomentG = addBubble({QStringLiteral("Shape1"), {4200, 120, 5295, 1815}},
                        {QStringLiteral("KomentG"), {4320, 240, 5055, 1575}}, 12, true);

    const QString courses[2] = {QStringLiteral("コース１（３０秒）"),
                                QStringLiteral("コース２（１分）")};
    for (int i = 0; i < 2; ++i) {
        Zikan[i] = addLabel(
            {QStringLiteral("Zikan"), i, {5040, 3120 + 600 * i, 4095, 375}}, courses[i],
            {20.25, false, Qt::white, i == 0 ? kHighlight : QColor(Qt::black), Align::Center});
    }

    const struct
    {
        const char *caption;
        QRect rect;
        unsigned colour;
    } headings[3] = {{"ハイスコア", {5400, 4680, 1695, 255}, 0x00FFFFFF},
                     {"コース１", {5880, 4920, 1695, 255}, 0x008080FF},
                     {"コース２", {5880, 5520, 1695, 255}, 0x0080FFFF}};
    for (int i = 0; i < 3; ++i) {
        Label1[i] = addLabel({QStringLiteral("Label1"), i, headings[i].rect},
                             QString::fromUtf8(headings[i].caption),
                             {9, false, bgrColor(headings[i].colour)});
    }

    const QRect scores[2] = {{6000, 5160, 1095, 255}, {5760, 5760, 1335, 255}};
    for (int i = 0; i < 2; ++i) {
        Scoa[i] = addLabel({QStringLiteral("Scoa"), i, scores[i]}, QString(),
                           {11.25, false, HouseColour::Green, QColor(), Align::Right});
    }
}

void Tester1::Form_Load()
{
    KomentG->setCaption(
        QStringLiteral("よーっし、来たな。それじゃあまずはトレーニング時間を決めてもらおうか。"
                       "決まったらリターンキーで決定だ。"));
    selectedCourse = 1;
    startingTest = false;
    Result<SettingsLines> lines = SettingsFile(appDir()).read(kSettingsCapacityWide);
    if (!lines) {
        // Without the file there are no scores to show or beat: back to the menu.
        tellAndClose(SettingsFile::readFailureText(lines.error()));
        return;
    }
    settingsLines = std::move(*lines);
    Scoa[0]->setCaption(QString::fromStdString(settingsLines.highScore30));
    Scoa[1]->setCaption(QString::fromStdString(settingsLines.highScore60));
}

void Tester1::highlight(int course)
{
    Zikan[0]->setBackColor(course == 1 ? kHighlight : QColor(Qt::black));
    Zikan[1]->setBackColor(course == 2 ? kHighlight : QColor(Qt::black));
    selectedCourse = static_cast<qint16>(course);
}

void Tester1::Form_KeyDown(int &keyCode, int)
{
    switch (keyCode) {
    case KeyCode::Down:
        if (selectedCourse == 1)
            highlight(2);
        break;
    case KeyCode::Up:
        if (selectedCourse == 2)
            highlight(1);
        break;
    case KeyCode::Return:
        // Set before the run loads: it reads the course length at once.
        m_shared.Tlimit1 = selectedCourse == 1 ? 30 : 60;
        host().show(ScreenName::Tester2);
        startingTest = true;
        host().unload(*this);
        break;
    case KeyCode::Escape:
        host().unload(*this);
        break;
    default:
        break;
    }
}

void Tester1::Form_Unload()
{
    if (!startingTest)
        host().show(ScreenName::Kidou);
}

void Tester1::writeVariables(StateWriter &out) const
{
    out.add(name() + QStringLiteral(".Tlimit1"), QString::number(m_shared.Tlimit1));
}

} // namespace ks
