#pragma once

#include "screens/tester/speedtestshared.h"
#include "shell/screen.h"
#include "core/settings.h"

#include <array>
#include <string>
#include <vector>

namespace ks {

// The results of a speed test: counts, points, total, the course's high score
// and the instructor's verdict. One class for both courses; Hapyou1 is the
// 30-second course, Hapyou2 the 60-second one.
class Hapyou final : public Screen
{
public:
    Hapyou(ScreenHost &host, SpeedTestShared &shared, int course);

    void Form_Load() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;

protected:
    void createControls() override;

private:
    void Timer1_Timer();
    void closeIfReady();
    void showFace(VerdictFace face);

    SpeedTestShared &m_shared;
    int m_course;
    std::array<Label *, 6> Ten = {};  // Ten(10) to Ten(15), in rating order
    std::array<Label *, 6> Kei1 = {}; // in rating order
    Label *Kei2 = nullptr;
    Label *Hi = nullptr;
    Label *Coment = nullptr;
    Image *Kao = nullptr;
    TimerControl *Timer1 = nullptr;

    SettingsLines settingsLines;
    std::array<QString, 9> verdictLines;
    bool closeReady = false;
};

} // namespace ks
