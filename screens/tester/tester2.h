#pragma once

#include "shell/screen.h"

#include <array>
#include <string>
#include <vector>

namespace ks {

// One timed run of the speed tester: twenty letter targets in two rows, each
// correct key knocks the current one down and is rated by how fast it came;
// the instructor's face and comments follow the pace.
class Tester2 final : public Screen
{
public:
    explicit Tester2(ScreenHost &host) : Screen(host, QStringLiteral("Tester2")) {}

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;

    // The run's counts, read by the results. Wider than the keyboard can fill
    // in a minute, so no total ever wraps.
    int Miss = 0;
    int Bad = 0;
    int Good = 0;
    int Grate = 0;
    int Fervor = 0;
    int Ok = 0;

    enum class RunState
    {
        Waiting,
        Typing,
        Rising,
        TimeUp
    };
    RunState state() const { return runState; }

protected:
    void createControls() override;
    void writeVariables(StateWriter &out) const override;

private:
    enum class Row
    {
        Upper,
        Lower
    };

    // The run
    void startRun();
    void hit();
    void miss();
    void raiseRow(Row row);
    void drawLetters();
    void play(SoundPlayer *player);
    void Timer1_Timer();
    void GoodT_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    // The instructor
    void instructorLoad();
    void instructorStart();
    void instructorMiss();
    bool onPace() const;
    QString lineOfGroup(int first);
    void Atime_Timer();
    void Mtime_Timer();
    void Mtime2_Timer();

    int tlimit() const;

    Panel *Target[20] = {};
    Label *Label4 = nullptr;
    Label *Lim = nullptr;
    Label *Label1 = nullptr;
    Label *Label2[6] = {};
    Label *Ten[6] = {};
    Image *Kao = nullptr;
    Shape *Shape1 = nullptr;
    Label *Label3 = nullptr;
    Image *Image1 = nullptr;
    SpriteSheet Mato[2];
    SpriteSheet PCforest;
    SoundPlayer *Gunsound = nullptr;
    SoundPlayer *Setsound = nullptr;
    SoundPlayer *Misssound = nullptr;
    SoundPlayer *Ongaku = nullptr;
    TimerControl *Timer1 = nullptr;
    TimerControl *GoodT = nullptr;
    TimerControl *Timer2 = nullptr;
    TimerControl *Timer3 = nullptr;
    TimerControl *Atime = nullptr;
    TimerControl *Mtime = nullptr;
    TimerControl *Mtime2 = nullptr;

    RunState runState = RunState::Waiting;
    qint16 targetPos = 0;
    std::array<int, 20> targetLetters{};
    qint16 hitTicks = 0;
    int riseStep = 0;
    Row risingRow = Row::Upper;
    std::vector<std::string> musicFiles;
    std::vector<std::string> settingsLines;

    int faceFrame = 0;
    bool faceAngry = false;
    std::array<QString, 12> instructorLines;
};

} // namespace ks
