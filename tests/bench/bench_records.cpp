// The records window for a player of ten years: 50,000 runs and 5 million
// keys in the game's own schema. Reports how long the window takes to open
// and to answer a step on each page, and the memory it holds while open and
// after it is left. The file is built once, by a child process so that the
// building leaves nothing in the measured one, and kept beside the program
// for later runs.
#include "screens/records/kiroku.h"
#include "screens/records/recordviews.h"
#include "screens/screentable.h"
#include "shell/assetstore.h"
#include "shell/records/records.h"
#include "shell/screenhost.h"
#include "support/fakes.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace ks;

constexpr int kRuns = 50'000;
constexpr int kKeysPerRun = 100;

std::string benchFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "bench-records";
}

double rssMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

bool complete(const std::string &file)
{
    sqlite3 *db = nullptr;
    bool ok = false;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *count = nullptr;
        ok = sqlite3_prepare_v2(db, "SELECT count(*) FROM run", -1, &count, nullptr) == SQLITE_OK &&
             sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == kRuns;
        sqlite3_finalize(count);
    }
    sqlite3_close(db);
    return ok;
}

// Three courses, fifteen practice files and four missions, played in turn
// every hour and three quarters for ten years; a hundred keys a run, one in
// twelve wrong.
void build(const std::string &file)
{
    std::filesystem::remove(file);
    ks::test::FixedWallClock wall;
    {
        // The game makes the file, so the tables are its own.
        Records records(file, wall);
        RunLog first = records.startRun(RunMode::SpeedTest, "30秒", 0);
        first.finish(RunEnd::Abandoned, 1000);
        if (!records.save(first).recorded)
            std::exit(1);
    }
    sqlite3 *db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "DELETE FROM run; DELETE FROM key_event; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *run = nullptr;
    sqlite3_stmt *key = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO run (id, started_at, mode, subject, duration_ms, keys, "
                       "misses, outcome, score, verdict, title) VALUES (?, strftime("
                       "'%Y-%m-%dT%H:%M:%fZ', '2016-01-01', ? || ' minutes'), ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?)",
                       -1, &run, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO key_event VALUES (?, ?, ?, ?, ?, ?)", -1, &key, nullptr);
    const char *kana[] = {"か", "き", "く", "け", "こ", "さ", "し", "す", "せ", "そ"};
    for (int id = 1; id <= kRuns; ++id) {
        const int kind = id % 22;
        const char *mode = kind < 3 ? "speedtest" : kind < 18 ? "practice" : "mission";
        const std::string subject = kind < 3    ? std::to_string(30 * (kind + 1)) + "秒"
                                    : kind < 18 ? "practice" + std::to_string(kind) + ".ksd"
                                                : "ミッション" + std::to_string(kind - 17);
        const int misses = kKeysPerRun / 12 + id % 5;
        sqlite3_bind_int(run, 1, id);
        sqlite3_bind_text(run, 2, std::to_string(id * 105).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(run, 3, mode, -1, SQLITE_STATIC);
        sqlite3_bind_text(run, 4, subject.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(run, 5, 30000 + id % 17 * 1000);
        sqlite3_bind_int(run, 6, kKeysPerRun);
        sqlite3_bind_int(run, 7, misses);
        sqlite3_bind_text(run, 8, id % 29 == 0 ? "abandoned" : "finished", -1, SQLITE_STATIC);
        if (kind < 3)
            sqlite3_bind_int(run, 9, 200 + id % 300);
        else
            sqlite3_bind_null(run, 9);
        if (kind >= 3 && kind < 18)
            sqlite3_bind_text(run, 10, "合格", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(run, 10);
        if (kind >= 3 && kind < 18)
            sqlite3_bind_text(run, 11, ("問題集 " + std::to_string(kind)).c_str(), -1,
                              SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(run, 11);
        sqlite3_step(run);
        sqlite3_reset(run);
        for (int seq = 0; seq < kKeysPerRun; ++seq) {
            const char expected[2] = {static_cast<char>('a' + (id + seq) % 26), 0};
            const char typed[2] = {static_cast<char>(seq % 12 == 0 ? 'l' : expected[0]), 0};
            sqlite3_bind_int(key, 1, id);
            sqlite3_bind_int(key, 2, seq);
            sqlite3_bind_text(key, 3, expected, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(key, 4, typed, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(key, 5, kana[(id + seq) % 10], -1, SQLITE_STATIC);
            sqlite3_bind_int(key, 6, 150 + (id * 7 + seq * 13) % 400);
            sqlite3_step(key);
            sqlite3_reset(key);
        }
    }
    sqlite3_finalize(run);
    sqlite3_finalize(key);
    sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The file of ten years, built by a child the first time.
std::string tenYears()
{
    const std::string folder = benchFolder();
    const std::string file = folder + "/" + kRecordsFile;
    if (complete(file))
        return folder;
    std::filesystem::create_directories(folder);
    std::fprintf(stderr, "building %s (%d runs, %d keys)...\n", file.c_str(), kRuns,
                 kRuns * kKeysPerRun);
    const pid_t child = fork();
    if (child == 0) {
        build(file);
        _exit(complete(file) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !complete(file)) {
        std::fprintf(stderr, "could not build %s\n", file.c_str());
        std::exit(1);
    }
    return folder;
}

// The game's screens over the file, on the manual clock.
struct Game
{
    explicit Game(const std::string &folder)
        : records(AppDir(folder).playerFile(kRecordsFile), wall),
          host(Services{clock, random, dialogs, sound, assets, records, keyboard, AppDir(folder)},
               gameScreens())
    {
        host.show(ScreenName::Kidou);
        settle();
    }
    // As the game's event loop would: what is due is drawn, and a window
    // left is deleted.
    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void press(int key)
    {
        host.deliverKey(key, {}, Qt::NoModifier);
        settle();
    }
    void open()
    {
        host.show(ScreenName::Kiroku);
        settle();
    }
    void leave() { press(Qt::Key_Escape); }

    test::ManualClock clock;
    test::ScriptedRandom random;
    test::ScriptedDialogs dialogs;
    test::RecordingSoundService sound;
    AssetStore assets;
    test::FixedWallClock wall;
    test::FixedKeyboardSettings keyboard;
    Records records;
    ScreenHost host;
};

std::unique_ptr<Game> game;

template <class F> double msOf(F &&f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The memory the window holds: on the menu, with the window open on each
// page, after leaving it, and after 12 and 48 more opens and closes.
void BM_RecordsWindowMemory(benchmark::State &state)
{
    for (auto _ : state) {
        const double menu = rssMb();
        game->open();
        game->press(Qt::Key_Right);
        game->press(Qt::Key_Right);
        game->press(Qt::Key_Down);
        const double open = rssMb();
        game->leave();
        const double left = rssMb();
        const auto openAndLeave = [](int times) {
            for (int i = 0; i < times; ++i) {
                game->open();
                game->press(Qt::Key_Left);
                game->leave();
            }
            return rssMb();
        };
        const double after12 = openAndLeave(12);
        const double after48 = openAndLeave(36);
        state.counters["menu_MB"] = menu;
        state.counters["open_above_menu_MB"] = open - menu;
        state.counters["left_above_menu_MB"] = left - menu;
        state.counters["after_12_more_above_menu_MB"] = after12 - menu;
        state.counters["after_48_more_above_menu_MB"] = after48 - menu;
    }
}
BENCHMARK(BM_RecordsWindowMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// From the menu's Return to the window drawn, then back to the menu.
void BM_OpenRecordsWindow(benchmark::State &state)
{
    for (auto _ : state) {
        state.SetIterationTime(msOf([] { game->open(); }) / 1000.0);
        game->leave();
    }
}
BENCHMARK(BM_OpenRecordsWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// One Up or Down on a page: the next subject's charts, the other measure
// of the weak keys, the next row of the history.
void step(benchmark::State &state, int pagesRight)
{
    game->open();
    for (int i = 0; i < pagesRight; ++i)
        game->press(Qt::Key_Right);
    for (auto _ : state)
        state.SetIterationTime(msOf([] { game->press(Qt::Key_Down); }) / 1000.0);
    game->leave();
}
BENCHMARK_CAPTURE(step, progress, 0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(44);
BENCHMARK_CAPTURE(step, weak_keys, 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(step, history, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);

} // namespace

int main(int argc, char **argv)
{
    const std::string folder = tenYears();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    game = std::make_unique<Game>(folder);
    // The menu as a player reaches it: the records were not open yet.
    benchmark::RunSpecifiedBenchmarks();
    game.reset();
    benchmark::Shutdown();
    return 0;
}
