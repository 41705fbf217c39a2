#include "core/appdir.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

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

// A game run from its own folder keeps everything there, as files of older
// versions expect.
TEST(PlayerFolder, AGameNotInstalledHoldsThePlayersFilesInItsFolder)
{
    test::TempDir dir;
    const AppDir folders = AppDir::choose(dir.path("game"), false, dir.path("data"));
    EXPECT_FALSE(folders.hasOwnPlayerFolder());
    EXPECT_EQ(folders.playerFile("settei.dat"), dir.path("game") + "/settei.dat");
    EXPECT_EQ(folders.practiceFolders(), std::vector<std::string>{dir.path("game") + "/practice/"});
    EXPECT_FALSE(std::filesystem::exists(dir.path("data")));
}

// An installed game: the player's files go to their data folder,
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

    const AppDir fresh = AppDir::choose(program, true, data);
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
    const AppDir again = AppDir::choose(program, true, data);
    EXPECT_EQ(dir.read("home/.local/share/keystorm/settei.dat"), "999\r\n200\r\n");
    EXPECT_EQ(again.playerPath(), fresh.playerPath());
}

} // namespace
} // namespace ks

#include "core/textfile.h"

namespace ks {
namespace {

// What an install lays down: the shipped settings and table, and the marker.
std::string makeInstall(const test::TempDir &dir, bool marker = true)
{
    dir.write("usr/lib/keystorm/settei.dat", "100\r\n200\r\n");
    dir.write("usr/lib/keystorm/roumazi.dat", "あ,a\r\n");
    if (marker)
        dir.write("usr/lib/keystorm/" + std::string(kInstalledMarker), "");
    return dir.path("usr/lib/keystorm");
}

// Installed or not is where the game lies, not whether its folder can be
// written: root can write an install, and a build folder on a read-only disk
// is still not one.
TEST(PlayerFolder, TheInstallsMarkerDecidesNotTheRightToWrite)
{
    test::TempDir dir;
    const std::string program = makeInstall(dir);
    ASSERT_EQ(::access(program.c_str(), W_OK), 0); // as root would find it
    EXPECT_TRUE(AppDir::isInstalled(program));
    EXPECT_TRUE(AppDir::isInstalled(program + "/"));
    EXPECT_FALSE(AppDir::isInstalled(makeInstall(dir, false) + "/../other"));
    test::TempDir build;
    build.write("app/settei.dat", "100\r\n");
    EXPECT_FALSE(AppDir::isInstalled(build.path("app")));
}

// An installed game saves into the player's folder, and nothing it saves
// lands in the install, even when it could write there.
TEST(PlayerFolder, AnInstalledGameNeverWritesIntoItsInstall)
{
    test::TempDir dir;
    const std::string program = makeInstall(dir);
    const std::string before = dir.listing();
    const AppDir folders = AppDir::choose(program, true, dir.path("home"));
    ASSERT_TRUE(folders.canSave());
    for (const char *name : {"settei.dat", "roumazi.dat"}) {
        ASSERT_TRUE(writeTextLines(folders.playerFileToWrite(name), {"999"}).ok()) << name;
        EXPECT_EQ(dir.read("home/keystorm/" + std::string(name)), "999\r\n");
        EXPECT_EQ(folders.playerFile(name), dir.path("home/keystorm/") + name);
    }
    EXPECT_EQ(dir.read("usr/lib/keystorm/settei.dat"), "100\r\n200\r\n");
    EXPECT_EQ(dir.read("usr/lib/keystorm/roumazi.dat"), "あ,a\r\n");
}

// A data folder that cannot be made (a file in its place, or no home at
// all): the game reads the shipped files and every save fails, the install
// untouched.
TEST(PlayerFolder, WithoutAPlayersFolderTheGameReadsTheInstallAndSavesNothing)
{
    test::TempDir dir;
    const std::string program = makeInstall(dir);
    dir.write("home", "a file where the folder would be");
    for (const std::string &dataHome : {dir.path("home"), std::string()}) {
        SCOPED_TRACE(dataHome);
        const AppDir folders = AppDir::choose(program, true, dataHome);
        EXPECT_FALSE(folders.canSave());
        EXPECT_EQ(folders.playerFile("settei.dat"), program + "/settei.dat");
        EXPECT_FALSE(writeTextLines(folders.playerFileToWrite("settei.dat"), {"999"}).ok());
        EXPECT_FALSE(writeTextLines(folders.playerFileToWrite("roumazi.dat"), {"x,y"}).ok());
        EXPECT_EQ(dir.read("usr/lib/keystorm/settei.dat"), "100\r\n200\r\n");
        EXPECT_EQ(folders.practiceFolders().front(), program + "/practice/");
    }
    EXPECT_EQ(dir.read("home"), "a file where the folder would be");
}

// A tool beside the game finds the same folders but makes nothing: a player
// who never started the game reads the shipped table.
TEST(PlayerFolder, AToolLocatesThePlayersFilesWithoutMakingThem)
{
    test::TempDir dir;
    const std::string program = makeInstall(dir);
    const AppDir fresh = AppDir::locate(program, true, dir.path("home"));
    EXPECT_FALSE(dir.exists("home"));
    EXPECT_EQ(fresh.playerFile("roumazi.dat"), program + "/roumazi.dat");
    EXPECT_EQ(
        fresh.practiceFolders(),
        (std::vector<std::string>{program + "/practice/", dir.path("home/keystorm/practice/")}));
    dir.write("home/keystorm/roumazi.dat", "い,i\r\n");
    EXPECT_EQ(fresh.playerFile("roumazi.dat"), dir.path("home/keystorm/roumazi.dat"));
    EXPECT_EQ(AppDir::locate(program, false, dir.path("home")).playerFile("roumazi.dat"),
              program + "/roumazi.dat");
}

} // namespace
} // namespace ks
