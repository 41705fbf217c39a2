#pragma once

#include "core/faceanimation.h"
#include "core/records/runlog.h"
#include "screens/screennames.h"
#include "screens/tester/speedtestshared.h"
#include "shell/screen.h"
#include "core/settings.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace ks {

// One timed run of the speed tester: twenty letter targets in two rows, each
// correct key knocks the current one down and is rated by how fast it came;
// the instructor's face and comments follow the pace.
class Tester2 final : public Screen
{
public:
    Tester2(ScreenHost &host, SpeedTestShared &shared)
        : Screen(host, ScreenName::Tester2), m_shared(shared)
    {}

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;

    enum class RunState
    {
        Waiting,  // before Return
        Starting, // Return given, the first row still rising
        Typing,
        Rising, // a row knocked down, the other one rising
        TimeUp
    };
    RunState state() const { return m_run.runState; }
    const SpeedTestShared &shared() const { return m_shared; }
    // The results' tests set the counts a run would have left.
    SpeedTestShared &shared() { return m_shared; }

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
    void count(Rating rating);
    void raiseRow(Row row);
    void drawLetters();
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

    SpeedTestShared &m_shared;

    Panel *Target[20] = {};
    Label *Label4 = nullptr;
    Label *Lim = nullptr;
    Label *Label1 = nullptr;
    std::array<Label *, 6> Ten = {}; // in rating order
    Image *Kao = nullptr;
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

    SettingsLines settingsLines;
    std::array<QString, 12> instructorLines;

    // One run, made afresh whole when the screen loads: nothing of a run left
    // with Esc can leak into the next.
    struct Run
    {
        RunState runState = RunState::Waiting;
        int secondsLeft = 0; // Lim's number
        qint16 targetPos = 0;
        std::array<int, 20> targetLetters{};
        qint16 hitTicks = 0;
        int riseStep = 0;
        Row risingRow = Row::Upper;
        // A glint once a second while calm; the red face without rest.
        FaceAnimation face{{{1, 2, 3, 0}, {5, 6, 7, 4}}};
        // The run for the records, from the Return that starts it.
        std::optional<RunLog> log;
    };
    Run m_run;
};

} // namespace ks
