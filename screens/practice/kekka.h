#pragma once

#include "screens/practice/practiceshared.h"
#include "screens/screennames.h"
#include "shell/screen.h"

#include <array>
#include <string>

namespace ks {

// The end of a practice run: the hit rate and the instructor's verdict, or
// the time-out. After a short lock any key goes back to a fresh selection page.
class Kekka final : public Screen
{
public:
    Kekka(ScreenHost &host, const PracticeShared &shared)
        : Screen(host, ScreenName::Kekka), m_shared(shared)
    {}

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;

    struct Verdict
    {
        int line;   // of the six verdict lines
        bool stern; // the stern face instead of the smiling one
    };
    // The verdict for a hit rate from 0 to 100.
    static Verdict verdictOf(int hitRate);
    // The verdict in a word or two, as the records keep it: "合格",
    // "ぎりぎり合格", "不合格", "時間切れ"; empty for a run with no key.
    static std::string verdictWord(const PracticeShared &shared);
    // Keys right of keys judged, in whole percent rounded down; the run
    // judged at least one key.
    static int hitRateOf(const PracticeShared &shared);

protected:
    void createControls() override;

private:
    void Timer1_Timer();
    void closeIfReady();

    const PracticeShared &m_shared;
    Panel *Panel3 = nullptr;
    Label *Label1 = nullptr;
    Label *Saigo = nullptr;
    Image *Image2 = nullptr;
    Label *Coment = nullptr;
    TimerControl *Timer1 = nullptr;

    qint16 keyLock = 1;
    std::array<QString, 6> verdicts;
};

} // namespace ks
