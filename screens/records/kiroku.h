#pragma once

#include "core/records/runstats.h"
#include "keyboardlayout.h"
#include "screens/screennames.h"
#include "shell/records/records.h"
#include "shell/screen.h"

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace ks {

class ChartView;
class KeyboardView;
class RunTable;

// The records window: the player's progress over time, their weak keys and
// their last runs, read from the records file when the window opens. Opened
// from the main menu; Esc or the window's close button goes back to it.
class Kiroku final : public Screen
{
public:
    explicit Kiroku(ScreenHost &host) : Screen(host, ScreenName::Kiroku) {}

    enum class Page
    {
        Progress,
        WeakKeys,
        History,
    };

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;

    Page page() const { return m_page; }

    // How many runs' keys the weak keys are taken from: recent play, not a
    // player's first day.
    static constexpr int kWeakKeyRuns = 100;
    // How many of a subject's latest runs the progress charts show: more
    // points than the chart has room for tell nothing more.
    static constexpr std::size_t kChartRuns = 200;

protected:
    void createControls() override;
    void writeVariables(StateWriter &out) const override;

private:
    void readRecords();
    bool hasRuns() const { return m_readable && m_overview.runs > 0; }
    std::vector<QStringList> historyRows(int first, int count);
    void showPage(Page page);
    void showSubject();
    void showWeakKeys();
    void showHistory();
    void step(int delta);
    void exportCsv();
    static QString exportFolder();
    QString guideText() const;

    Image *Emblem = nullptr;
    Label *Midashi = nullptr;
    std::array<Label *, 3> Tab = {};
    std::array<Panel *, 3> Pages = {};
    Label *Subject = nullptr;
    ChartView *Speed = nullptr;
    ChartView *Accuracy = nullptr;
    Label *Measure = nullptr;
    KeyboardView *Keyboard = nullptr;
    Label *ConfusionsTitle = nullptr;
    Label *Confusions = nullptr;
    Label *KanaTitle = nullptr;
    Label *Kana = nullptr;
    RunTable *Table = nullptr;
    Label *Empty = nullptr;
    Shape *GuideFrame = nullptr;
    Label *Guide = nullptr;

    Page m_page = Page::Progress;
    bool m_readable = false;
    RecordsOverview m_overview;
    std::vector<KeyEvent> m_keys;
    std::map<ks::Subject, QString> m_labels; // what the game calls each subject
    std::size_t m_subject = 0;
};

// A run's result as the window shows it: the verdict, the points, or how it ended.
QString resultText(const RunSummary &run);
// "打速度テスター　30秒", "練習問題編　五十音のれんしゅう"
QString subjectText(const Subject &subject, const QString &label);

} // namespace ks
