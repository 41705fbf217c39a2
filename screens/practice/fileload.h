#pragma once

#include "core/faceanimation.h"
#include "core/problemfile.h"
#include "core/problemmatcher.h"
#include "core/records/runlog.h"
#include "core/romajitable.h"
#include "screens/practice/practiceshared.h"
#include "screens/screennames.h"
#include "shell/screen.h"
#include "core/settings.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace ks {

// The practice screen. Its selection page steps through the practice files
// with Left and Right and shows each one's header; its play page plays the
// chosen file: a target rises for each problem, every correct key fires at
// it, the last one breaks it, against a countdown that runs only while a
// problem is typed. The instructor's face and pace comments follow the run.
class FileLoad final : public Screen
{
public:
    FileLoad(ScreenHost &host, PracticeShared &run)
        : Screen(host, ScreenName::FileLoad), m_shared(run)
    {}

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;

    const PracticeShared &shared() const { return m_shared; }
    // The result screen's tests set the counts a run would have left.
    PracticeShared &shared() { return m_shared; }

protected:
    void createControls() override;
    void writeVariables(StateWriter &out) const override;

private:
    // The selection page
    // What went wrong, for the player; empty when everything is there.
    QString loadSettingsAndFiles();
    bool readSelectedFile();
    void showHeader();
    void fail();

    // The play page
    bool prepareRun();
    void startRun();
    void putUpProblem();
    bool noProblemLeft() const;
    void judge(char32_t typed);
    void problemFinished();
    void showRemaining();
    void showTarget(int cell);
    float remainingCharacters() const;
    void Timer1_Timer();
    void LimitT_Timer();
    void Matot2_Timer();
    void MatoT_Timer();
    void Mtimer_Timer();
    void Atime_Timer();
    void MisTime_Timer();

    PracticeShared &m_shared;

    // Selection page
    Panel *Panel1 = nullptr;
    Label *Label2 = nullptr; // Label2(0), the instructor's comment
    Label *LabNum = nullptr;
    Label *LabTitle = nullptr;
    Panel *Level = nullptr;
    Label *LabKazu = nullptr;
    Label *LabTime = nullptr;
    Label *LabSakusya = nullptr;
    SoundPlayer *Ongaku = nullptr;
    SoundPlayer *Gunsound = nullptr;
    SoundPlayer *Setsound = nullptr;
    SoundPlayer *Misssound = nullptr;
    SoundPlayer *Brakesound = nullptr;

    // Play page
    Panel *Panel2 = nullptr;
    Image *Kao = nullptr;
    Label *Label3 = nullptr;
    Label *LMondai = nullptr;
    Label *LZikan = nullptr;
    Panel *MatoP = nullptr;
    Panel *Picture2 = nullptr;
    Label *Mondai = nullptr;
    Label *Alufabet = nullptr;
    Image *Image3 = nullptr;
    SpriteSheet PCmika;
    SpriteSheet mato;
    TimerControl *Timer1 = nullptr;
    TimerControl *LimitT = nullptr;
    TimerControl *Matot2 = nullptr;
    TimerControl *MatoT = nullptr;
    TimerControl *Mtimer = nullptr;
    TimerControl *Atime = nullptr;
    TimerControl *MisTime = nullptr;

    RomajiTable romajiTable;
    SettingsLines settingsLines;
    std::array<QString, 51> comments;

    // Everything of one visit to the screen, the selection and the run, made
    // afresh whole when the screen loads: nothing of the last run can leak
    // into the next.
    struct Run
    {
        qint16 selectedFile = 1;
        std::vector<std::string> fileNames;                  // full paths, in list order
        std::vector<PracticeFileList::Skipped> skippedFiles; // unreadable, left out of the list
        std::size_t leftOutFiles = 0;                        // past the list's capacity, not read
        std::vector<std::string> problemItems;
        bool loaded = false; // the load got through: files, settings and table are there
        qint16 commentIndex = 0;

        std::vector<std::string> displayTexts;
        std::vector<KanaProblem> problems;
        ProblemMatcher matcher; // judges the problem up; Alufabet shows its guide
        SpellingMode spelling = SpellingMode::Table;
        // The run for the records, from the Return that starts it.
        std::optional<RunLog> log;
        qint16 problemIndex = 0;
        float romajiTotal = 0;
        float pace = 0;
        int problemsLeft = 0; // LMondai's number
        int seconds = 0;      // LZikan's number
        qint16 riseStep = 0;
        qint16 targetIdle = 0;
        FaceAnimation face{glintThereAndBack()};
    };
    Run m_run;
};

} // namespace ks
