#pragma once

#include "core/problemmatcher.h"
#include "core/romajitable.h"
#include "screens/screennames.h"
#include "shell/screen.h"

#include <array>

namespace ks {

// The romaji editor: the 170 editable pairs of the romaji table as a
// scrolling grid of kana and romaji boxes. Save (Ctrl+S) writes the whole
// table, the doubled pairs following their boxes; Exit (Ctrl+E) leaves
// without saving. Screens loaded afterwards type the new romaji. The 入力
// menu chooses how keys are judged, the table's spelling only or any
// spelling an input method accepts; the choice is kept at once, in the
// player's keystorm.ini.
class romacast final : public Screen
{
public:
    explicit romacast(ScreenHost &host) : Screen(host, ScreenName::romacast) {}

    void Form_Load() override;

    static constexpr int kColumns = 5;
    static constexpr int kRows = 34;

protected:
    void createControls() override;

private:
    void VScroll1_Change();
    void save_Click();
    void exit_Click();
    void scrollTo(int pair);
    void refuse(const QString &text);
    void spelling_Click(SpellingMode mode);
    void showSpelling(SpellingMode mode);
    // The kana of a grid cell, as the player finds it on screen.
    QString boxName(std::size_t pair) const;
    // Why a box's romaji cannot be saved; empty when it can.
    QString unsavableRomaji(std::size_t pair) const;

    Panel *Picture1 = nullptr;
    VScrollBar *VScroll1 = nullptr;
    std::array<Label *, kEditablePairs> hira = {};
    std::array<TextBox *, kEditablePairs> alfa = {};
    MenuItem *tableSpelling = nullptr;
    MenuItem *anySpelling = nullptr;
    Label *Status = nullptr;

    RomajiTable romajiTable;
};

} // namespace ks
