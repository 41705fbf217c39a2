#include "screens/records/keyboardlayout.h"
#include "screens/records/kiroku.h"
#include "screens/records/recordviews.h"
#include "support/gamefixture.h"
#include "support/scopedenv.h"

#include <QDateTime>

#include <filesystem>

namespace ks {
namespace {

class KirokuTest : public test::GameFixture
{
protected:
    void toRecords()
    {
        host().show(kStartScreen);
        press(Qt::Key_Return, "\r");
        clock.advance(2150);
        ASSERT_TRUE(screen(ScreenName::Kidou).isShown());
        for (int i = 0; i < 4; ++i)
            press(Qt::Key_Right);
        press(Qt::Key_Return, "\r");
        // Shown at once, or once a box its load opened is answered.
        ASSERT_TRUE(screen(ScreenName::Kiroku).isLoaded());
        ASSERT_EQ(screen(ScreenName::Kiroku).isShown(), !dialogs.isOpen());
    }

    // A run typed at a steady pace: keys, of which misses wrong ("k" typed
    // as "l"), over durationMs.
    void play(RunMode mode, const std::string &subject, int keys, int misses,
              std::int64_t durationMs, RunEnd end = RunEnd::Finished,
              std::optional<int> score = std::nullopt, std::string verdict = {},
              std::string title = {})
    {
        RunLog log = records().startRun(mode, subject, 0);
        log.setTitle(std::move(title));
        for (int i = 0; i < keys; ++i) {
            const bool miss = i < misses;
            log.addKey(U'k', miss ? U'l' : U'k', mode == RunMode::SpeedTest ? "" : "か",
                       durationMs * (i + 1) / (keys + 1));
        }
        log.finish(end, durationMs, score, std::move(verdict));
        ASSERT_TRUE(records().save(log).recorded);
        wallClock.ms += 3'600'000;
    }

    // Two courses of the speed test, a practice file, one run left early.
    void playFixture()
    {
        play(RunMode::SpeedTest, "30秒", 60, 6, 30000, RunEnd::Finished, 95);  // 108/min, 90 %
        play(RunMode::SpeedTest, "30秒", 80, 2, 30000, RunEnd::Finished, 150); // 156/min, 97.5 %
        play(RunMode::SpeedTest, "30秒", 70, 0, 30000, RunEnd::Finished, 140); // 140/min, 100 %
        play(RunMode::Practice, "01_aiueo.ksd", 100, 10, 60000, RunEnd::Finished, {}, "合格");
        play(RunMode::Practice, "01_aiueo.ksd", 20, 1, 9000, RunEnd::Abandoned);
    }

    QString shownCaption(const char *id)
    {
        return caption(ScreenName::Kiroku, QString::fromLatin1(id));
    }
    Kiroku &kiroku() { return host().screenAs<Kiroku>(ScreenName::Kiroku); }
    ChartView &chart(const char *id) { return control<ChartView>(ScreenName::Kiroku, id); }
    RunTable &table() { return control<RunTable>(ScreenName::Kiroku, "Table"); }
    KeyboardView &keyboard() { return control<KeyboardView>(ScreenName::Kiroku, "Keyboard"); }
};

// The runs of the file, charted per course with the best ringed; abandoned
// runs are left off the charts.
TEST_F(KirokuTest, TheProgressPageChartsEachCourseWithItsBest)
{
    playFixture();
    toRecords();
    EXPECT_EQ(screen(ScreenName::Kiroku).client()->size(), QSize(640, 480));
    EXPECT_EQ(kiroku().page(), Kiroku::Page::Progress);
    EXPECT_EQ(shownCaption("Subject"), "▲ 打速度テスター　30秒 ▼　（1／2）");
    EXPECT_EQ(chart("Speed").values(), (std::vector<double>{108, 156, 140}));
    EXPECT_EQ(chart("Speed").bestIndex(), 1);
    EXPECT_EQ(chart("Accuracy").values(), (std::vector<double>{90, 97.5, 100}));
    EXPECT_EQ(chart("Accuracy").bestIndex(), 2);
    EXPECT_TRUE(shownCaption("Guide").startsWith("↑↓：モード・問題を選ぶ"));

    press(Qt::Key_Down);
    EXPECT_EQ(shownCaption("Subject"), "▲ 練習問題編　01_aiueo.ksd ▼　（2／2）");
    EXPECT_EQ(chart("Speed").values(), (std::vector<double>{90}));
    press(Qt::Key_Down); // round to the first again
    EXPECT_EQ(shownCaption("Subject"), "▲ 打速度テスター　30秒 ▼　（1／2）");
}

TEST_F(KirokuTest, TheWeakKeysPageColoursTheKeyboardAndNamesTheConfusions)
{
    playFixture();
    toRecords();
    press(Qt::Key_Right);
    EXPECT_EQ(kiroku().page(), Kiroku::Page::WeakKeys);
    // k asked 330 times, 19 missed: 5.8 %, the middle step.
    const std::vector<KeyCap> &keys = keyboardKeys(keyboard().kind());
    const std::size_t k = *keyOf(keyboard().kind(), U'k');
    EXPECT_EQ(keyboard().steps()[k], 2);
    EXPECT_EQ(keyboard().steps()[*keyOf(keyboard().kind(), U'a')], -1);
    EXPECT_EQ(keys[k].plain, U'k');
    EXPECT_EQ(shownCaption("Confusions"), "k → l　19回");
    EXPECT_EQ(shownCaption("Kana"), "か　11回ミス／120打");

    // Up or Down: by slowness; Space: the other layout.
    press(Qt::Key_Up);
    EXPECT_EQ(keyboard().measure(), KeyMeasure::Slowness);
    EXPECT_TRUE(shownCaption("Measure").startsWith("▲ キーごとの遅さ"));
    const KeyboardKind before = keyboard().kind();
    press(Qt::Key_Space, " ");
    EXPECT_NE(keyboard().kind(), before);
    EXPECT_EQ(keyboard().steps()[*keyOf(keyboard().kind(), U'k')] >= 0, true);
}

// The last runs first, with what the player would call each result.
TEST_F(KirokuTest, TheHistoryPageListsTheLastRunsFirst)
{
    playFixture();
    toRecords();
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    EXPECT_EQ(kiroku().page(), Kiroku::Page::History);
    ASSERT_EQ(table().rowCount(), 5);
    const auto when = [this](int hoursAfterFirst) {
        return QDateTime::fromMSecsSinceEpoch(1'714'566'896'000 + hoursAfterFirst * 3'600'000LL)
            .toLocalTime()
            .toString("MM/dd HH:mm");
    };
    const QStringList rows = table().shownRows();
    ASSERT_GE(rows.size(), 5);
    EXPECT_EQ(rows[0], when(4) + " | 練習 | 01_aiueo.ksd | 20 | 1 | 95.0% | 127 | 中断");
    EXPECT_EQ(rows[1], when(3) + " | 練習 | 01_aiueo.ksd | 100 | 10 | 90.0% | 90 | 合格");
    EXPECT_EQ(rows[4], when(0) + " | テスター | 30秒 | 60 | 6 | 90.0% | 108 | 95点");
    press(Qt::Key_Right); // round to the first page
    EXPECT_EQ(kiroku().page(), Kiroku::Page::Progress);
}

// A long history is charted from its latest runs, its best named even when
// it is older than them, and the history is read a page at a time.
TEST_F(KirokuTest, ALongHistoryIsChartedFromItsLatestRunsAndPagedAsScrolled)
{
    const int runs = static_cast<int>(Kiroku::kChartRuns) + 5;
    play(RunMode::SpeedTest, "30秒", 100, 0, 30000, RunEnd::Finished, 300); // 200/min, 100 %
    for (int i = 1; i < runs; ++i)
        play(RunMode::SpeedTest, "30秒", 60, 1 + i % 3, 30000, RunEnd::Finished, 100);
    toRecords();
    EXPECT_EQ(chart("Speed").values().size(), Kiroku::kChartRuns);
    EXPECT_EQ(chart("Speed").bestIndex(), -1);
    EXPECT_EQ(chart("Speed").note(), "全205回のうち最近200回　最高 200.0（1回目）");
    EXPECT_EQ(chart("Accuracy").note(), "全205回のうち最近200回　最高 100.0%（1回目）");

    press(Qt::Key_Left);
    ASSERT_EQ(kiroku().page(), Kiroku::Page::History);
    EXPECT_EQ(table().rowCount(), runs);
    EXPECT_EQ(table().shownRows().size(), table().visibleRows());
    EXPECT_TRUE(table().shownRows().front().endsWith(" | 60 | 1 | 98.3% | 118 | 100点"))
        << table().shownRows().front().toStdString();
    ;
    for (int i = 0; i < runs; ++i)
        press(Qt::Key_Down);
    EXPECT_EQ(table().firstRow(), runs - table().visibleRows());
    EXPECT_TRUE(table().shownRows().back().endsWith(" | 100 | 0 | 100.0% | 200 | 300点"))
        << table().shownRows().back().toStdString();
    press(Qt::Key_Up);
    EXPECT_EQ(table().firstRow(), runs - table().visibleRows() - 1);
}

// Return on the history asks where to write, in the player's documents
// folder, and the file holds every run as the players' view shows it, for
// a spreadsheet on a Japanese Windows as much as here.
TEST_F(KirokuTest, CsvExportWritesEveryRun)
{
    const test::ScopedEnv tokyo("TZ", "Asia/Tokyo");
    const test::ScopedEnv home("HOME", dir.path("home"));
    const test::ScopedEnv config("XDG_CONFIG_HOME", dir.path("home/.config"));
    std::filesystem::create_directories(dir.path("home/Documents"));
    play(RunMode::SpeedTest, "60秒", 4, 1, 60000, RunEnd::Finished, 12);
    play(RunMode::Mission, "ミッション1", 3, 0, 45000, RunEnd::Won, {}, "Mission Complete");
    toRecords();
    press(Qt::Key_Left); // round to the last page
    ASSERT_EQ(kiroku().page(), Kiroku::Page::History);
    const std::string out = dir.path("mine.csv");
    dialogs.queueAnswer(QString::fromStdString(out));
    press(Qt::Key_Return, "\r");
    ASSERT_EQ(dialogs.log.value(0), "save dialog: 記録をCSVに書き出す [CSV (*.csv)] " +
                                        QString::fromStdString(dir.path("home/Documents")) +
                                        "/keystorm-records.csv");
    dialogs.answerQueued();
    EXPECT_EQ(dir.read("mine.csv"),
              "\xEF\xBB\xBF"
              "id,started_at,mode,subject,title,duration_ms,keys,misses,hit_rate,keys_per_minute,"
              "outcome,score,result\r\n"
              "1,2024-05-01T21:34:56+09:00,speedtest,60秒,,60000,4,1,75.0,3.0,finished,12,12\r\n"
              "2,2024-05-01T22:34:56+09:00,mission,ミッション1,,45000,3,0,100.0,4.0,won,,"
              "Mission Complete\r\n");
    EXPECT_EQ(dialogs.log.last(),
              "message: 2 回分の記録を " + QString::fromStdString(out) + " に書き出しました。");
    dialogs.answerAll();
    EXPECT_TRUE(screen(ScreenName::Kiroku).isShown());
}

// Without a documents folder the export is offered in the player's home,
// never in the game's own folder.
TEST_F(KirokuTest, CsvExportStartsAtHomeWithoutADocumentsFolder)
{
    const test::ScopedEnv home("HOME", dir.path("home"));
    const test::ScopedEnv config("XDG_CONFIG_HOME", dir.path("home/.config"));
    std::filesystem::create_directories(dir.path("home"));
    play(RunMode::SpeedTest, "30秒", 4, 1, 30000);
    toRecords();
    press(Qt::Key_Left);
    dialogs.queueAnswer("cancel");
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(dialogs.log.value(0), "save dialog: 記録をCSVに書き出す [CSV (*.csv)] " +
                                        QString::fromStdString(dir.path("home")) +
                                        "/keystorm-records.csv");
    dialogs.answerQueued();
}

// Practice files are named as the game names them, by their titles, the
// file name added only where two share a title; a run with no key has no
// hit rate ("—"), and its file is still listed on the progress page, with
// the charts saying why they are empty.
TEST_F(KirokuTest, RunsAreNamedAsTheGameNamesThem)
{
    play(RunMode::Practice, "01_kana_rows.ksd", 50, 5, 60000, RunEnd::Finished, {}, "合格",
         "五十音のれんしゅう");
    play(RunMode::Practice, "07_a.ksd", 30, 3, 60000, RunEnd::Finished, {}, "合格", "ことわざ");
    play(RunMode::Practice, "08_b.ksd", 30, 3, 60000, RunEnd::Finished, {}, "合格", "ことわざ");
    play(RunMode::Practice, "09_c.ksd", 0, 0, 60000, RunEnd::TimeUp, {}, "時間切れ", "かず");
    play(RunMode::Mission, "ミッション2", 40, 4, 90000, RunEnd::Lost, {}, "Mission Incomplete");
    toRecords();
    QStringList subjects;
    for (int i = 0; i < 5; ++i) {
        subjects << shownCaption("Subject");
        press(Qt::Key_Down);
    }
    EXPECT_EQ(subjects, (QStringList{"▲ 練習問題編　五十音のれんしゅう ▼　（1／5）",
                                     "▲ 練習問題編　ことわざ（07_a.ksd） ▼　（2／5）",
                                     "▲ 練習問題編　ことわざ（08_b.ksd） ▼　（3／5）",
                                     "▲ 練習問題編　かず ▼　（4／5）",
                                     "▲ ミッション　ミッション2 ▼　（5／5）"}));
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Down);
    ASSERT_EQ(shownCaption("Subject"), "▲ 練習問題編　かず ▼　（4／5）");
    EXPECT_TRUE(chart("Speed").values().empty());
    StateWriter state;
    chart("Accuracy").writeState(state, "Accuracy");
    EXPECT_TRUE(state.lines().contains("Accuracy.empty=最後まで打った記録がまだありません"));

    press(Qt::Key_Left);
    ASSERT_EQ(kiroku().page(), Kiroku::Page::History);
    const QStringList rows = table().shownRows();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_TRUE(rows[0].endsWith(" | ミッション | ミッション2 | 40 | 4 | 90.0% | 24 | "
                                 "Mission Incomplete"))
        << rows[0].toStdString();
    EXPECT_TRUE(rows[1].endsWith(" | 練習 | かず | 0 | 0 | — | 0 | 時間切れ"))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[2].contains(" | ことわざ（08_b.ksd） | "));
    EXPECT_TRUE(rows[4].contains(" | 五十音のれんしゅう | "));
}

// Every column of the history fits inside the table, and each result is
// drawn whole, smaller where it must be, never cut.
TEST_F(KirokuTest, TheHistoryFitsItsWidthAndShowsEachResultWhole)
{
    play(RunMode::Mission, "ミッション1", 40, 4, 90000, RunEnd::Lost, {}, "Mission Incomplete");
    play(RunMode::SpeedTest, "60秒", 400, 4, 60000, RunEnd::Finished, 1234);
    play(RunMode::Practice, "a.ksd", 1000, 999, 600000, RunEnd::Finished, {}, "ぎりぎり合格",
         "あいうえお");
    toRecords();
    press(Qt::Key_Left);
    EXPECT_LE(table().totalWidth(), table().width());
    for (const QString &row : table().shownRows()) {
        const QStringList cells = row.split(" | ");
        for (int c = 0; c < cells.size(); ++c)
            EXPECT_GT(table().cellPixelSize(cells[c], c), 0) << cells[c].toStdString();
    }
    EXPECT_EQ(table().cellPixelSize("Mission Incomplete", 7) > 0, true);
}

// Cancelling the dialog writes nothing.
TEST_F(KirokuTest, ACancelledExportWritesNothing)
{
    play(RunMode::SpeedTest, "30秒", 4, 1, 30000);
    toRecords();
    press(Qt::Key_Left);
    dialogs.queueAnswer("cancel");
    press(Qt::Key_Return, "\r");
    dialogs.answerQueued();
    EXPECT_FALSE(dir.exists("keystorm-records.csv"));
    EXPECT_EQ(dialogs.log.size(), 2);
}

// The window's close button is Esc: back to the menu.
TEST_F(KirokuTest, TheCloseButtonGoesBackToTheMenu)
{
    toRecords();
    screen(ScreenName::Kiroku).window()->close();
    EXPECT_FALSE(screen(ScreenName::Kiroku).isLoaded());
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    EXPECT_EQ(endings, 0);
}

TEST_F(KirokuTest, NoRecordsYetSaysSoAndOnlyEscWorks)
{
    toRecords();
    EXPECT_TRUE(visible(ScreenName::Kiroku, "Empty"));
    EXPECT_EQ(shownCaption("Empty"), "まだ記録がありません。プレイすると、ここに記録が残ります。");
    EXPECT_FALSE(visible(ScreenName::Kiroku, "Page(0)"));
    press(Qt::Key_Right);
    EXPECT_EQ(kiroku().page(), Kiroku::Page::Progress);
    EXPECT_EQ(shownCaption("Guide"), "Esc：メニューへ");
    press(Qt::Key_Escape, "\x1b");
    EXPECT_TRUE(screen(ScreenName::Kidou).isShown());
    // Looking made no file.
    EXPECT_FALSE(dir.exists(kRecordsFile));
}

// A corrupt file is moved aside and the player told where it went; the
// window opens on a new, empty record.
TEST_F(KirokuTest, ACorruptFileIsMovedAsideAndThePlayerTold)
{
    dir.write(kRecordsFile, std::string(4096, '#'));
    toRecords();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(
        dialogs.log[0].startsWith("message: 記録のファイル（records.sqlite3）が壊れていたので、"));
    EXPECT_TRUE(dialogs.log[0].contains(".corrupt-20240501-123456"));
    EXPECT_EQ(dir.read("records.sqlite3.corrupt-20240501-123456"), std::string(4096, '#'));
    EXPECT_FALSE(screen(ScreenName::Kiroku).isShown()); // the box comes first
    dialogs.answerAll();
    EXPECT_TRUE(screen(ScreenName::Kiroku).isShown());
    EXPECT_EQ(shownCaption("Empty"), "まだ記録がありません。プレイすると、ここに記録が残ります。");
}

TEST(KeyboardLayout, TheKindFollowsXThenTheLocale)
{
    struct Case
    {
        const char *xkb;
        const char *locale;
        KeyboardKind kind;
    } cases[] = {
        {"jp", "en_US", KeyboardKind::Jis}, {"us,jp", "ja_JP", KeyboardKind::Us},
        {"jp,us", "C", KeyboardKind::Jis},  {"", "ja_JP", KeyboardKind::Jis},
        {"", "en_GB", KeyboardKind::Us},    {"de", "ja_JP", KeyboardKind::Us},
    };
    for (const Case &c : cases)
        EXPECT_EQ(keyboardKindFor(c.xkb, c.locale), c.kind) << c.xkb << " " << c.locale;
}

// A capital or a shifted sign is typed on its key; the two layouts put the
// signs in different places.
TEST(KeyboardLayout, EachCharacterFindsItsKey)
{
    const auto labelOf = [](KeyboardKind kind, char32_t c) {
        const std::optional<std::size_t> key = keyOf(kind, c);
        return key ? keyboardKeys(kind)[*key].plain : U'?';
    };
    EXPECT_EQ(labelOf(KeyboardKind::Us, U'K'), U'k');
    EXPECT_EQ(labelOf(KeyboardKind::Jis, U'K'), U'k');
    EXPECT_EQ(labelOf(KeyboardKind::Us, U'@'), U'2');
    EXPECT_EQ(labelOf(KeyboardKind::Jis, U'@'), U'@');
    EXPECT_EQ(labelOf(KeyboardKind::Us, U':'), U';');
    EXPECT_EQ(labelOf(KeyboardKind::Jis, U':'), U':');
    EXPECT_EQ(labelOf(KeyboardKind::Jis, U'-'), U'-');
    EXPECT_EQ(labelOf(KeyboardKind::Us, U' '), U' ');
    EXPECT_EQ(labelOf(KeyboardKind::Us, U'あ'), U'?');
}

} // namespace
} // namespace ks
