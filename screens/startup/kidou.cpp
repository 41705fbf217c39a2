#include "kidou.h"

#include "shell/screenhost.h"
#include "shell/units.h"

namespace ks {

namespace {

const QString kItemNames[Kidou::kItems + 1] = {QString(),
                                               QStringLiteral("打速度テスター"),
                                               QStringLiteral("練習問題編"),
                                               QStringLiteral("ミッション"),
                                               QStringLiteral("オプション"),
                                               QStringLiteral("記録"),
                                               QStringLiteral("終了")};

} // namespace

void Kidou::createControls()
{
    setGameScreen(QStringLiteral("キーストーム"));
    AssetStore &assets = services().assets;

    Image3 = addImage({QStringLiteral("Image3"), {240, 0, 9225, 3225}},
                      assets.picture(QStringLiteral("title")));
    Erabi = addLabel({QStringLiteral("Erabi"), {2520, 3840, 4995, 720}}, kItemNames[1],
                     {36, false, bgrColor(0x00FFFFFF), Qt::black, Align::Center});
    Image1[0] = addImage({QStringLiteral("Image1"), 0, {1680, 3960, 750, 450}},
                         assets.picture(QStringLiteral("arrow_left")));
    Image1[0]->hide();
    Image1[1] = addImage({QStringLiteral("Image1"), 1, {7560, 3960, 750, 450}},
                         assets.picture(QStringLiteral("arrow_right")));
    // The records' own emblem, beside their name while that item is shown.
    Image4 = addImage({QStringLiteral("Image4"), {3450, 3870, 720, 720}},
                      assets.picture(QStringLiteral("records")));
    Image4->hide();
    Koment = addLabel({QStringLiteral("Koment"), {2520, 5160, 5535, 975}}, QString(),
                      {11.25, false, HouseColour::Green, Qt::black});

    Shape1 = add<Shape>(QStringLiteral("Shape1"), {2400, 5040, 6375, 1215});
    Shape1->setKind(ShapeKind::RoundedRectangle);
    Shape1->setBorderColor(HouseColour::Green);
    Shape1->setBorderWidth(2);

    Image1[2] = addImage({QStringLiteral("Image1"), 2, {480, 4680, 1800, 1800}},
                         assets.picture(QStringLiteral("guide")));
    // The guide's eyes go dark and light again with the blink: the dark face
    // takes the lit one's place rather than lying over it.
    Image2 = addOverlay(QStringLiteral("Image2"), Image1[2],
                        assets.picture(QStringLiteral("guide_dark")), Qt::black);

    Timer1 = addTimer(QStringLiteral("Timer1"), 500, true, [this] { Timer1_Timer(); });
}

void Kidou::Form_Load()
{
    menuItem = 1;
    menuTexts = {
        QString(),
        QStringLiteral("あなたの文字の入力速度を測ります。腕試しにどうぞ。"),
        QStringLiteral("数多く用意された練習問題の中から、お好きな問題を選んでプレイします。"
                       "試験問題の予行練習にどうぞ。"),
        QStringLiteral("ストーリーモードです。各戦地にたむろする侵略宇宙人軍をすべて追い払って"
                       "下さい。"),
        QStringLiteral("各項目の設定メニューです。"),
        QStringLiteral("これまでのプレイの記録です。上達の様子と苦手なキーを確かめられます。"),
        QStringLiteral("キーストームを終了します。")};
    Koment->setCaption(menuTexts[1]);
}

void Kidou::Form_KeyDown(int &keyCode, int)
{
    switch (keyCode) {
    case KeyCode::Right:
        if (menuItem < kItems) {
            ++menuItem;
            showItem();
        }
        break;
    case KeyCode::Left:
        if (menuItem > 1) {
            --menuItem;
            showItem();
        }
        break;
    case KeyCode::Return:
        openItem();
        break;
    case KeyCode::Escape:
        host().unload(*this);
        break;
    default:
        break;
    }
}

void Kidou::showItem()
{
    Erabi->setCaption(kItemNames[menuItem]);
    Koment->setCaption(menuTexts[menuItem]);
    Image1[0]->setVisible(menuItem > 1);
    Image1[1]->setVisible(menuItem < kItems);
    Image4->setVisible(menuItem == kRecordsItem);
}

void Kidou::openItem()
{
    switch (menuItem) {
    case 1:
    case 2:
    case 3: {
        // The mode is shown first, then the menu hides, so the menu keeps its item.
        const QString *modes[] = {&ScreenName::Tester1, &ScreenName::FileLoad,
                                  &ScreenName::Mission};
        host().show(*modes[menuItem - 1]);
        host().hide(*this);
        break;
    }
    case 4:
        // The options are a dialog over the menu, which stays in view.
        host().showModal(ScreenName::Settei, {});
        break;
    case kRecordsItem:
        host().show(ScreenName::Kiroku);
        host().hide(*this);
        break;
    case 6:
        host().unload(*this);
        break;
    default:
        break;
    }
}

void Kidou::Timer1_Timer()
{
    Image2->setVisible(!Image2->isVisible());
}

} // namespace ks
