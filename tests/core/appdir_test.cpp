#include "core/appdir.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ks {
namespace {

struct DirCase
{
    const char *dir;
    const char *mypath;
};

void PrintTo(const DirCase &c, std::ostream *os)
{
    *os << c.dir;
}

class MypathForm : public ::testing::TestWithParam<DirCase>
{
};

// Mypath ends in exactly one separator, the root included.
TEST_P(MypathForm, EndsInOneSlash)
{
    EXPECT_EQ(AppDir(GetParam().dir).Mypath(), GetParam().mypath);
}

INSTANTIATE_TEST_SUITE_P(Cases, MypathForm,
                         ::testing::Values(DirCase{"/", "/"}, DirCase{"/opt/ks", "/opt/ks/"},
                                           DirCase{"/opt/ks/", "/opt/ks/"},
                                           DirCase{"C:\\game\\", "C:/game/"}));

// Names from data files use Windows separators.
TEST(AppDirPath, TurnsBackslashesIntoSlashes)
{
    const AppDir dir("/opt/ks");
    EXPECT_EQ(dir.path("settei.dat"), "/opt/ks/settei.dat");
    EXPECT_EQ(dir.path("practice\\standard\\gun.wav"), "/opt/ks/practice/standard/gun.wav");
    EXPECT_EQ(AppDir("/").path("roumazi.dat"), "/roumazi.dat");
}

TEST(AppDirPath, RunningProgramIsTheTestBinarysDirectory)
{
    const std::string expected =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
    EXPECT_EQ(AppDir::ofRunningProgram().Mypath(), expected);
}

} // namespace
} // namespace ks

namespace ks {
namespace {

// A game run from a folder it can write keeps everything there, as files of
// older versions expect.
TEST(PlayerFolder, AWritableProgramFolderHoldsThePlayersFiles)
{
    test::TempDir dir;
    const AppDir folders = AppDir::choose(dir.path("game"), true, dir.path("data"));
    EXPECT_FALSE(folders.hasOwnPlayerFolder());
    EXPECT_EQ(folders.playerFile("settei.dat"), dir.path("game") + "/settei.dat");
    EXPECT_EQ(folders.practiceFolders(), std::vector<std::string>{dir.path("game") + "/practice/"});
    EXPECT_FALSE(std::filesystem::exists(dir.path("data")));
}

// An install the player cannot write: their files go to their data folder,
// seeded with the shipped settings and table the first time; the shipped
// files are read from the install, and both practice folders are listed.
TEST(PlayerFolder, AReadOnlyInstallSeedsTheDataFolderOnce)
{
    test::TempDir dir;
    dir.write("usr/lib/keystorm/settei.dat", "100\r\n200\r\n");
    dir.write("usr/lib/keystorm/roumazi.dat", "あ,a\r\n");
    std::filesystem::permissions(dir.path("usr/lib/keystorm/settei.dat"),
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::group_read);
    const std::string program = dir.path("usr/lib/keystorm");
    const std::string data = dir.path("home/.local/share");

    const AppDir fresh = AppDir::choose(program, false, data);
    ASSERT_TRUE(fresh.hasOwnPlayerFolder());
    EXPECT_EQ(fresh.playerFile("settei.dat"), data + "/keystorm/settei.dat");
    EXPECT_EQ(fresh.path("exam1.ksd"), program + "/exam1.ksd");
    EXPECT_EQ(dir.read("home/.local/share/keystorm/settei.dat"), "100\r\n200\r\n");
    EXPECT_EQ(dir.read("home/.local/share/keystorm/roumazi.dat"), "あ,a\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(data + "/keystorm/practice"));
    // The copy is the player's to write, whatever the install's modes.
    const auto perms = std::filesystem::status(data + "/keystorm/settei.dat").permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
    EXPECT_EQ(fresh.practiceFolders(),
              (std::vector<std::string>{program + "/practice/", data + "/keystorm/practice/"}));

    // The next start keeps what the player has.
    dir.write("home/.local/share/keystorm/settei.dat", "999\r\n200\r\n");
    const AppDir again = AppDir::choose(program, false, data);
    EXPECT_EQ(dir.read("home/.local/share/keystorm/settei.dat"), "999\r\n200\r\n");
    EXPECT_EQ(again.playerPath(), fresh.playerPath());
}

} // namespace
} // namespace ks
