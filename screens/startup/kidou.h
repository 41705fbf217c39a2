#pragma once

#include "screens/screennames.h"
#include "shell/screen.h"

#include <array>

namespace ks {

// The main menu: one item at a time, Left and Right to step, Return to open.
// Opening a mode only hides the menu, so it comes back on the same item.
class Kidou final : public Screen
{
public:
    explicit Kidou(ScreenHost &host) : Screen(host, ScreenName::Kidou) {}

    void Form_Load() override;
    void Form_KeyDown(int &keyCode, int shift) override;

    qint16 shownItem() const { return menuItem; }
    // The items, 1 to kItems: the three modes, the options, the records, the end.
    static constexpr qint16 kItems = 6;
    static constexpr qint16 kRecordsItem = 5;

protected:
    void createControls() override;

private:
    void Timer1_Timer();
    void showItem();
    void openItem();

    Image *Image3 = nullptr;
    Label *Erabi = nullptr;
    Image *Image1[3] = {};
    Label *Koment = nullptr;
    Shape *Shape1 = nullptr;
    OverlayImage *Image2 = nullptr;
    Image *Image4 = nullptr;
    TimerControl *Timer1 = nullptr;

    qint16 menuItem = 1;
    std::array<QString, kItems + 1> menuTexts; // 1 to kItems
};

} // namespace ks
