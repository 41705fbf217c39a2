#include "core/appdir.h"

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
