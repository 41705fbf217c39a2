#pragma once

#include "shell/screen.h"

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
    Hapyou(ScreenHost &host, int course);

    void Form_Load() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;

    enum class Face
    {
        Calm,
        Red,
        Shout
    };

    // The instructor's verdict as a pure function of the run, for the tests:
    // the verdict line and the face that goes with it.
    struct Verdict
    {
        int line = -1;
        Face face = Face::Calm;
        bool newHighScore = false;
    };
    static Verdict verdict(int course, int total, double highScore, int misses, int bads);

protected:
    void createControls() override;

private:
    void Timer1_Timer();
    void closeIfReady();
    void showFace(Face face);

    int m_course;
    Label *Label1 = nullptr;
    Label *Ten[6] = {};
    Label *Kei1[6] = {};
    Label *Kei2 = nullptr;
    Label *Label3 = nullptr;
    Label *Hi = nullptr;
    Shape *Shape1 = nullptr;
    Label *Coment = nullptr;
    Image *Kao = nullptr;
    TimerControl *Timer1 = nullptr;

    std::vector<std::string> settingsLines;
    std::array<QString, 9> verdictLines;
    bool closeReady = false;
};

} // namespace ks
