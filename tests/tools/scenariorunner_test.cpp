// keystorm-scenario run as a reviewer runs it, on a game folder holding
// things that are no files.

#include "support/runprogram.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using ks::test::TempDir;

// The runner watches the folder for files the game writes: it reads them as
// the game does, so a device or a FIFO there is passed over, not read for
// ever or waited on. The game meanwhile tells the player about settei.dat.
TEST(ScenarioRunner, AFolderWithADeviceAndAFifoIsWatchedSafely)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path("app"));
    std::filesystem::create_symlink("/dev/zero", dir.path("app/settei.dat"));
    ASSERT_EQ(::mkfifo(dir.path("app/pipe.dat").c_str(), 0644), 0);
    dir.write("script.scn", "press Return\nwait 2150\npress Return\nquit\n");
    // timeout ends a runner that hangs: the test then fails on its exit status.
    const ks::test::ProgramRun run =
        ks::test::runProgram(dir, "/usr/bin/timeout",
                             {"60", KS_SCENARIO_RUNNER, "--appdir", dir.path("app"), "--seed", "1",
                              dir.path("script.scn")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("load Tester1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("message: 設定ファイル（settei.dat）を読み込めません。"),
              std::string::npos)
        << run.out;
}

// A caption of several lines is one state line, its breaks written \n, so
// no line of the dump is a continuation that reads like a control.
TEST(ScenarioRunner, StateWritesEachValueOnOneLine)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path("app"));
    dir.write("script.scn", "press Return\nwait 2150\npress Right\npress Right\npress Return\n"
                            "state\nquit\n");
    const ks::test::ProgramRun run =
        ks::test::runProgram(dir, "/usr/bin/timeout",
                             {"60", KS_SCENARIO_RUNNER, "--appdir", dir.path("app"), "--seed", "1",
                              dir.path("script.scn")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Mission.KomentG.caption=よーし、いよいよここから実践だな。\\n"
                           "ミッションコードを入力して作戦を実行せよ。\\n"),
              std::string::npos)
        << run.out;
    // Every line of the dump is a trace line, a NAME=VALUE line or a ".".
    std::size_t start = 0;
    for (std::size_t end = run.out.find('\n'); end != std::string::npos;
         start = end + 1, end = run.out.find('\n', start)) {
        const std::string line = run.out.substr(start, end - start);
        EXPECT_TRUE(line == "." || line.find('=') != std::string::npos ||
                    line.find(' ') != std::string::npos)
            << "a continuation: " << line;
    }
}

} // namespace
