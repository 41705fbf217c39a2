#pragma once

#include "screens/screennames.h"
#include "shell/screen.h"

namespace ks {

// The maker's name and the mascot singing the jingle; opens the menu by itself
// about 2.15 s after it appears, or at once on any key.
class Logo final : public Screen
{
public:
    explicit Logo(ScreenHost &host) : Screen(host, ScreenName::Logo) {}

    void Form_Load() override;
    void Form_KeyDown(int &keyCode, int shift) override;

protected:
    void createControls() override;

private:
    void Timer1_Timer();
    void openMenu();

    Image *Image1 = nullptr;
    Label *LogoLabel = nullptr;
    SpriteSheet PCmoko;
    SoundPlayer *Oto = nullptr;
    TimerControl *Timer1 = nullptr;
    qint16 logoStep = 0;
};

} // namespace ks
