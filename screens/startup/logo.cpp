#include "logo.h"

#include "shell/screenhost.h"
#include "shell/units.h"

namespace ks {

void Logo::createControls()
{
    setBorder(Border::None);
    setClientSize(6585, 2700);
    setBackColor(Qt::black);

    PCmoko = services().assets.sheet(QStringLiteral("PCmoko"), 1, 4);
    Image1 = addImage({QStringLiteral("Image1"), {2640, 480, 1200, 1200}}, PCmoko.cell(0));

    // The label shares the screen's name; it is "Logo" on screen and in traces.
    LogoLabel = addLabel({QStringLiteral("Logo"), {240, 1920, 6135, 855}},
                         QStringLiteral("Ｚｏｒａｍｉｗｏｒｋｓ"),
                         {36, true, bgrColor(0x00FF8080), Qt::black, Align::Center});

    Oto = addSoundPlayer(QStringLiteral("Oto"));
    Timer1 = addTimer(QStringLiteral("Timer1"), 1000, true, [this] { Timer1_Timer(); });
}

void Logo::Form_Load()
{
    logoStep = 0;
    Image1->setPicture(PCmoko.cell(0));
    Oto->setFileName(QString::fromStdString(appDir().path("moko.wav")));
    Oto->open();
}

void Logo::Form_KeyDown(int &, int)
{
    openMenu();
}

void Logo::Timer1_Timer()
{
    // The mouth opens wide and closes again, 30 ms a frame, with the jingle.
    static constexpr int kMouth[] = {1, 2, 3, 2, 1, 0};
    if (logoStep == 0) {
        Oto->restart();
        Timer1->setInterval(30);
    }
    if (logoStep <= 5) {
        Image1->setPicture(PCmoko.cell(kMouth[logoStep]));
        if (logoStep == 5)
            Timer1->setInterval(1000);
        ++logoStep;
        return;
    }
    openMenu();
}

void Logo::openMenu()
{
    host().unload(*this);
    host().show(ScreenName::Kidou);
}

} // namespace ks
