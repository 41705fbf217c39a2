#include "kakunin.h"

#include "screens/screennames.h"
#include "shell/screenhost.h"
#include "shell/units.h"

namespace ks {

void Kakunin::createControls()
{
    setCaption(QStringLiteral("確認"));
    setBorder(Border::Tool);
    setClientSize(6810, 3105);
    setBackColor(Qt::black);

    const QRect rects[2] = {{480, 600, 5895, 615}, {480, 1920, 5895, 255}};
    const QString captions[2] = {
        QStringLiteral(
            "本ゲームをプレイする際は、キャップスロックと日本語入力をオフにしてお楽しみ下さい。"),
        QStringLiteral("確認できましたらリターンキーをおして下さい。")};
    for (int i = 0; i < 2; ++i) {
        Label1[i] = addLabel({QStringLiteral("Label1"), i, rects[i]}, captions[i],
                             {12, false, HouseColour::BubbleBorder, Qt::black,
                              i == 0 ? Align::Left : Align::Center});
    }
}

void Kakunin::Form_KeyDown(int &keyCode, int)
{
    if (keyCode != KeyCode::Return)
        return;
    host().unload(*this);
    host().show(ScreenName::Logo);
}

} // namespace ks
