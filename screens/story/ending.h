#pragma once

#include "screens/screennames.h"
#include "shell/screen.h"
#include "core/settings.h"

#include <array>
#include <string>
#include <vector>

namespace ks {

// The credits after the last mission: seven pages, each heading standing
// alone a while before its names are typed out letter by letter; the last
// page is the maker's, where the mascot sings the jingle. Then the menu.
// It cannot be skipped.
class Ending final : public Screen
{
public:
    explicit Ending(ScreenHost &host) : Screen(host, ScreenName::Ending) {}

    void Form_Load() override;

    // The six names of the credits; name 1 is the maker's own.
    static const std::array<QString, 6> &creditNameList();

protected:
    void createControls() override;

private:
    Label *nameLabel() const;
    // One tick of typing the current name; true once it is all there.
    bool typeName();
    void showPage(int page);
    void setNames(std::initializer_list<int> names);
    void Timer1_Timer();
    void KaoT_Timer();

    std::array<Panel *, 7> Panel_ = {};
    std::array<std::vector<Label *>, 6> names; // the name labels of pages 0 to 5
    Image *Image1 = nullptr;
    SpriteSheet PCmoko;
    SoundPlayer *Oto = nullptr;
    SoundPlayer *Ongaku = nullptr;
    TimerControl *Timer1 = nullptr;
    TimerControl *KaoT = nullptr;

    std::array<QString, 7> creditNames;
    qint16 creditStep = 0;
    qint16 nameIndex = 0;
    qint16 charIndex = 1;
    qint16 jingleStep = 0;
    int page = 0;
    SettingsLines settingsLines;
};

} // namespace ks
