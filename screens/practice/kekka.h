#pragma once

#include "screens/practice/practicerun.h"
#include "screens/screennames.h"
#include "shell/screen.h"

#include <array>

namespace ks {

// The end of a practice run: the hit rate and the instructor's verdict, or
// the time-out. After a short lock any key goes back to a fresh selection page.
class Kekka final : public Screen
{
public:
    Kekka(ScreenHost &host, const PracticeRun &run) : Screen(host, ScreenName::Kekka), m_run(run) {}

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

protected:
    void createControls() override;

private:
    void Timer1_Timer();
    void closeIfReady();

    const PracticeRun &m_run;
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
