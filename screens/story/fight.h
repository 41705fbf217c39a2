#pragma once

#include "core/battlerules.h"
#include "core/faceanimation.h"
#include "core/missionrules.h"
#include "core/problemmatcher.h"
#include "core/records/runlog.h"
#include "core/romajitable.h"
#include "screens/screennames.h"
#include "screens/story/storyshared.h"
#include "shell/screen.h"
#include "core/settings.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ks {

// One mission of the story on one screen: the mission's panel with its
// enemies, the word to type and its romaji, the time and bullets it brings,
// and the instructor's face and comments. Every correct key is a shot; the
// last one of a word destroys or damages the target. Time running out (or the
// plane escaping) loses the mission; the last target down wins it.
class Fight final : public Screen
{
public:
    Fight(ScreenHost &host, StoryShared &shared) : Screen(host, ScreenName::Fight), m_shared(shared)
    {}

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;

    enum class BattleState
    {
        Waiting = 0,    // before Return; again when the battleship turns to flee
        Typing = 1,     // keys are judged
        TargetDown = 2, // a target just went down; the next word comes with MatoT1
        Won = 5,        // the result screen is opening
        Finished = 6,   // the plane escaped, or the battleship is destroyed
    };
    BattleState state() const { return m_run.battleState; }

protected:
    void createControls() override;
    void writeVariables(StateWriter &out) const override;

private:
    int n() const { return m_shared.Stage; }
    void createPanel(int panel);
    bool loadFiles();
    // exam1.ksd is index 0, exam5.ksd index 4.
    bool loadExam(int index, int phrases);
    int textCount() const;
    void startTyping();
    void presentWord(int k);
    void showGuide();
    void supply(BattleWord word);
    void setTime(int seconds);
    void setBullets(int count);
    void showTargets(const TargetCells &cells);
    void showPlane();
    void wordFinished();
    void battleshipTurns();
    void comment(int group);
    void lose();
    void keepFinishedRun();
    void win();
    void MatoT1_Timer();
    void Matot2_Timer();
    void LimitT_Timer();
    void KaoT_Timer();
    void MissT_Timer();
    void Hanteit_Timer();

    StoryShared &m_shared;

    // Per panel; mission 2 has no time display.
    std::array<Panel *, 4> Panel_ = {};
    std::array<Image *, 4> Kao = {};
    std::array<Label *, 4> Title = {}; // Label1(n)
    std::array<Label *, 4> Order = {}; // Label1(n + 4)
    std::array<Label *, 4> LMes = {};
    std::array<Label *, 4> Time = {};
    std::array<Label *, 4> Tama = {};
    std::array<Label *, 4> Hira1 = {};
    std::array<Label *, 4> Romazi1 = {};

    std::array<Image *, 5> mato1 = {};
    Image *Mato2 = nullptr;
    std::array<Image *, 2> Mato3 = {};
    Image *Mato4 = nullptr;
    Image *Image1 = nullptr;
    SpriteSheet PCkame;
    SpriteSheet PCfly;
    SpriteSheet PCforest;
    SpriteSheet Matodata1;
    SpriteSheet Matodata2;
    // Each mission's targets as its rules count them, and their sheet.
    std::array<std::vector<Image *>, 4> targets;
    std::array<SpriteSheet, 4> targetSheets;

    SoundPlayer *Ongaku = nullptr;
    SoundPlayer *Gunsound = nullptr;
    SoundPlayer *Setsound = nullptr;
    SoundPlayer *Misssound = nullptr;
    SoundPlayer *Brakesound = nullptr;
    TimerControl *MatoT1 = nullptr;
    TimerControl *Matot2 = nullptr;
    TimerControl *LimitT = nullptr;
    TimerControl *KaoT = nullptr;
    TimerControl *MissT = nullptr;
    TimerControl *Hanteit = nullptr;

    // One battle, made afresh whole when the screen loads: nothing of the
    // last battle can leak into the next.
    struct Run
    {
        BattleState battleState = BattleState::Waiting;
        qint16 armed = 0;
        int timeLeft = 0;       // Time(n)'s number
        int bullets = 0;        // Tama(n)'s number
        KanaProblem word;       // the word presented
        ProblemMatcher matcher; // judges its keys; Romazi1(n) shows its guide
        SpellingMode spelling = SpellingMode::Table;
        // A result screen opened by MatoT1 is up: its further ticks wait.
        bool resultOpen = false;
        FaceAnimation face{glintThereAndBack()};
        std::unique_ptr<MissionRules> rules;
        std::vector<std::string> displayTexts;
        std::vector<KanaProblem> problems;
        // The battle for the records, from its first Return.
        std::optional<RunLog> log;
    };
    Run m_run;

    std::array<QString, 9> comments;
    RomajiTable romajiTable;
    SettingsLines settingsLines;
};

} // namespace ks
