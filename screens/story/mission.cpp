#include "mission.h"

#include "shell/screenhost.h"
#include "shell/units.h"

namespace ks {

void Mission::createControls()
{
    setGameScreen(QStringLiteral("ミッション～コード入力～"));
    addImage({QStringLiteral("Image1"), {360, 240, 3450, 6600}},
             services().assets.picture(QStringLiteral("forest_figure_mission")));
    KomentG = addBubble({QStringLiteral("Shape1"), {4200, 1800, 5295, 1815}},
                        {QStringLiteral("KomentG"), {4320, 1920, 5055, 1575}}, 12, true);
    addLabel({QStringLiteral("Label1"), {4680, 1200, 1815, 375}}, QStringLiteral("作戦コード"),
             {20.25, false, Qt::white, QColor(), Align::Right});
    CodeT = addLabel({QStringLiteral("CodeT"), {6720, 1200, 1110, 405}}, QStringLiteral("0"),
                     {20.25, true, HouseColour::Green, Qt::black, Align::Right, false, true});
}

void Mission::Form_Load()
{
    KomentG->setCaption(QStringLiteral("よーし、いよいよここから実践だな。\n"
                                       "ミッションコードを入力して作戦を実行せよ。\n"
                                       "なお、初めての者は、コードを「0」のまま実行せよ。"));
}

int Mission::stageOfCode(const QString &code)
{
    const QString codes[4] = {QStringLiteral("0"), QStringLiteral("5047"), QStringLiteral("7258"),
                              QStringLiteral("3241")};
    for (int stage = 0; stage < 4; ++stage) {
        if (code == codes[stage])
            return stage;
    }
    return -1;
}

void Mission::Form_KeyPress(int &keyAscii)
{
    if (keyAscii < '0' || keyAscii > '9')
        return;
    const QString code = CodeT->caption();
    if (code.size() >= 4)
        return;
    const QString digit(QChar(static_cast<char16_t>(keyAscii)));
    CodeT->setCaption(code == QLatin1String("0") ? digit : code + digit);
}

void Mission::Form_KeyDown(int &keyCode, int)
{
    if (keyCode == KeyCode::Escape) {
        // Esc clears the code; on an empty code it leaves.
        if (CodeT->caption() != QLatin1String("0")) {
            CodeT->setCaption(QStringLiteral("0"));
            return;
        }
        leave();
        return;
    }
    if (keyCode == KeyCode::Return) {
        const int stage = stageOfCode(CodeT->caption());
        if (stage < 0)
            return;
        m_shared.Stage = static_cast<qint16>(stage);
        host().unload(*this);
        host().show(ScreenName::Fight);
    }
}

void Mission::closeRequested()
{
    leave();
}

void Mission::leave()
{
    host().unload(*this);
    host().show(ScreenName::Kidou);
}

void Mission::writeVariables(StateWriter &out) const
{
    out.add(name() + QStringLiteral(".Stage"), QString::number(m_shared.Stage));
}

} // namespace ks
