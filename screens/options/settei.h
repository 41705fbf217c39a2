#pragma once

#include "screens/screennames.h"
#include "shell/screen.h"
#include "core/settings.h"

#include <array>
#include <string>
#include <vector>

namespace ks {

// The options dialog over the menu: five play-music files and the ending
// music, the speed tester's high-score reset, and the way to the romaji
// editor. OK writes settei.dat; Cancel, Esc and the title bar's close write
// nothing. The guide explains whatever the mouse rests on.
class Settei final : public Screen
{
public:
    explicit Settei(ScreenHost &host) : Screen(host, ScreenName::Settei) {}

    void Form_Load() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_MouseMove() override;

protected:
    void createControls() override;

private:
    void Command2_Click(int index);
    void Command1_Click();
    void Ok_Click();
    void No_Click();
    // Return: the focused button's click, else OK.
    void pressFocusedButton();
    void explain(const QString &help);
    // Where the file dialog of a music slot opens.
    QString startFolder(const QString &slot) const;

    Image *Image1 = nullptr;
    Image *Image2 = nullptr;
    Label *Label1 = nullptr;
    std::array<TextBox *, 6> BGName = {};
    std::array<Button *, 6> Command2 = {};
    Button *Command1 = nullptr;
    CheckBox *HighC = nullptr;
    Button *Ok = nullptr;
    Button *No = nullptr;

    SettingsLines settingsLines;
};

} // namespace ks
