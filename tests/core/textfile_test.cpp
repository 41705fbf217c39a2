#include "core/textfile.h"

#include "support/tempdir.h"
#include "core/utf8.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace ks {
namespace {

using test::TempDir;

// Strings that Windows-era files hold and that a strict Shift_JIS codec mangles.
TEST(Cp932, RoundTripsWhatWindowsWrites)
{
    for (const std::string text :
         {"ミッション～コード入力～", "ＲＸ－７８", "＿", "\\", "①ー、。"}) {
        Result<std::string> bytes = encodeCp932(text);
        ASSERT_TRUE(bytes.ok()) << text;
        Result<std::string> back = decodeCp932(*bytes);
        ASSERT_TRUE(back.ok()) << text;
        EXPECT_EQ(*back, text);
    }
    // The exact bytes Windows writes: "\" is 0x5C, "～" is 0x81 0x60, "＿" 0x81 0x51.
    EXPECT_EQ(*encodeCp932("\\～＿"), "\x5C\x81\x60\x81\x51");
}

TEST(Cp932, WaveDashAndMinusSignBecomeTheWindowsForms)
{
    EXPECT_EQ(*encodeCp932("\u301C\u2212"), *encodeCp932("\uFF5E\uFF0D"));
}

TEST(Cp932, BytesThatAreNoCp932AreAnErrorNamingTheLine)
{
    // 0x81 0x20 is a lead byte followed by an impossible trail byte; 0x82 at
    // the end is a lead byte cut off.
    for (const std::string &bytes :
         {std::string("ok\r\n\x81\x20"), std::string("ok\r\nok\r\n\x82")}) {
        Result<std::string> text = decodeCp932(bytes);
        ASSERT_FALSE(text.ok());
        EXPECT_EQ(text.error().code, ErrorCode::BadEncoding);
    }
    EXPECT_NE(decodeCp932("a\r\nb\r\n\x81\x20").error().detail.find("3 行目"), std::string::npos);
}

TEST(Cp932, CharactersOutsideCp932CannotBeEncoded)
{
    Result<std::string> bytes = encodeCp932("ゔ");
    ASSERT_FALSE(bytes.ok());
    EXPECT_EQ(bytes.error().code, ErrorCode::Unencodable);
    EXPECT_NE(bytes.error().detail.find("ゔ"), std::string::npos);
}

// What a path or a romaji loses in the file: the first character that does
// not come back as itself, and what comes back instead (nothing when the code
// page has no form for it at all).
TEST(Cp932, FirstLossNamesTheCharacterAndWhatComesBack)
{
    const struct
    {
        std::string text;
        std::optional<Cp932Loss> lost;
    } cases[] = {
        {"/home/曲～①＿\\.mid", std::nullopt}, {"", std::nullopt},
        {"曲〜−.mid", Cp932Loss{"〜", "～"}},  {"A−B", Cp932Loss{"−", "－"}},
        {"a—b", Cp932Loss{"—", "―"}},          {"‖", Cp932Loss{"‖", "∥"}},
        {"¢100", Cp932Loss{"¢", "￠"}},        {"¥100", Cp932Loss{"¥", "\\"}},
        {"café〜", Cp932Loss{"é", ""}},        {"曲♫", Cp932Loss{"♫", ""}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Cp932Loss> lost = firstCp932Loss(c.text);
        ASSERT_EQ(lost.has_value(), c.lost.has_value());
        if (!lost)
            continue;
        EXPECT_EQ(lost->character, c.lost->character);
        EXPECT_EQ(lost->readBack, c.lost->readBack);
    }
}

TEST(SplitLines, AnyLineEndAndNoPhantomLastLine)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("a\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(splitLines(""), (Lines{}));
}

TEST(ReadTextFile, MissingOversizedAndDirectoryAreErrors)
{
    TempDir dir;
    EXPECT_EQ(readTextFile(dir.path("none.dat")).error().code, ErrorCode::NotFound);
    EXPECT_EQ(readTextFile(dir.root()).error().code, ErrorCode::Unreadable);
    dir.write("big.dat", std::string(kMaxTextFileBytes + 1, 'a'));
    EXPECT_EQ(readTextFile(dir.path("big.dat")).error().code, ErrorCode::TooLarge);
    dir.write("max.dat", std::string(kMaxTextFileBytes, 'a'));
    EXPECT_TRUE(readTextFile(dir.path("max.dat")).ok());
}

TEST(WriteTextLines, WritesCp932WithCrLf)
{
    TempDir dir;
    ASSERT_TRUE(writeTextLines(dir.path("out.dat"), {"あ,a", "", "\\"}).ok());
    EXPECT_EQ(dir.read("out.dat"), "\x82\xA0,a\r\n\r\n\\\r\n");
}

// A crash between writing and renaming must leave the old file whole and no
// stray temporary file beside it.
TEST(WriteTextLines, InterruptedBeforeTheRenameLeavesTheOldFile)
{
    TempDir dir;
    dir.write("settei.dat", "old\r\n");
    bool reachedCommit = false;
    Result<void> written = writeTextLines(dir.path("settei.dat"), {"new"}, [&] {
        reachedCommit = true;
        return false;
    });
    EXPECT_TRUE(reachedCommit);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().code, ErrorCode::WriteFailed);
    EXPECT_EQ(dir.read("settei.dat"), "old\r\n");
    EXPECT_EQ(dir.listing(), "settei.dat\n");
}

TEST(WriteTextLines, AnUnencodableLineRefusesTheWholeWrite)
{
    TempDir dir;
    dir.write("roumazi.dat", "old\r\n");
    Result<void> written = writeTextLines(dir.path("roumazi.dat"), {"ok", "ゔ,vu"});
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().code, ErrorCode::Unencodable);
    EXPECT_EQ(dir.read("roumazi.dat"), "old\r\n");
    EXPECT_EQ(dir.listing(), "roumazi.dat\n");
}

TEST(WriteTextLines, ANewFileCanBeWrittenAndAMissingDirectoryIsAnError)
{
    TempDir dir;
    EXPECT_TRUE(writeTextLines(dir.path("fresh.dat"), {"1"}).ok());
    EXPECT_EQ(dir.read("fresh.dat"), "1\r\n");
    EXPECT_EQ(writeTextLines(dir.path("no/such/dir.dat"), {"1"}).error().code,
              ErrorCode::WriteFailed);
}

struct HostileCase
{
    const char *what;
    std::function<void(const TempDir &)> make; // makes "file.dat"
    ErrorCode code;
};

// Whatever stands at a data file's name, a read answers at once: a FIFO
// would block a plain open for ever, a device would fill memory, a folder is
// no file. Only a regular file within the limit is read (through a link).
TEST(ReadRegularFile, AnythingButARegularFileIsRefusedAtOnce)
{
    namespace fs = std::filesystem;
    const HostileCase cases[] = {
        {"FIFO", [](const TempDir &d) { ASSERT_EQ(::mkfifo(d.path("file.dat").c_str(), 0644), 0); },
         ErrorCode::Unreadable},
        {"folder", [](const TempDir &d) { fs::create_directory(d.path("file.dat")); },
         ErrorCode::Unreadable},
        {"device", [](const TempDir &d) { fs::create_symlink("/dev/zero", d.path("file.dat")); },
         ErrorCode::Unreadable},
        {"link to a FIFO",
         [](const TempDir &d) {
             ASSERT_EQ(::mkfifo(d.path("fifo").c_str(), 0644), 0);
             fs::create_symlink(d.path("fifo"), d.path("file.dat"));
         },
         ErrorCode::Unreadable},
        {"dangling link",
         [](const TempDir &d) { fs::create_symlink(d.path("gone"), d.path("file.dat")); },
         ErrorCode::NotFound},
        {"oversized", [](const TempDir &d) { d.write("file.dat", std::string(100, 'a')); },
         ErrorCode::TooLarge},
    };
    for (const HostileCase &c : cases) {
        TempDir dir;
        c.make(dir);
        Result<std::string> bytes = readRegularFile(dir.path("file.dat"), 99);
        ASSERT_FALSE(bytes.ok()) << c.what;
        EXPECT_EQ(bytes.error().code, c.code) << c.what;
    }
    TempDir dir;
    dir.write("real.dat", "abc");
    std::filesystem::create_symlink(dir.path("real.dat"), dir.path("file.dat"));
    EXPECT_EQ(*readRegularFile(dir.path("file.dat"), 3), "abc");
    EXPECT_EQ(readTextFile(dir.path("file.dat")).value(), "abc");
}

// A settings file that is a link is written through: the link stays and its
// target, in its own folder, gets the new bytes and keeps its permissions.
TEST(WriteFileAtomic, ALinkIsWrittenThroughToItsTarget)
{
    TempDir dir;
    dir.write("saves/real.dat", "old\r\n");
    ::chmod(dir.path("saves/real.dat").c_str(), 0640);
    std::filesystem::create_symlink("saves/real.dat", dir.path("settei.dat"));
    ASSERT_TRUE(writeFileAtomic(dir.path("settei.dat"), "new\r\n").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("settei.dat")));
    EXPECT_EQ(dir.read("saves/real.dat"), "new\r\n");
    struct stat st
    {
    };
    ASSERT_EQ(::stat(dir.path("saves/real.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.listing(), "saves\nsettei.dat\n");
}

// A file the player made read-only, or anything but a regular file, is not
// replaced: the write fails and the old one stays as it was.
TEST(WriteFileAtomic, AReadOnlyFileOrAFifoIsNotReplaced)
{
    TempDir dir;
    dir.write("settei.dat", "old\r\n");
    ::chmod(dir.path("settei.dat").c_str(), 0444);
    Result<void> written = writeFileAtomic(dir.path("settei.dat"), "new\r\n");
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().code, ErrorCode::WriteFailed);
    EXPECT_EQ(dir.read("settei.dat"), "old\r\n");
    EXPECT_EQ(dir.listing(), "settei.dat\n");

    ASSERT_EQ(::mkfifo(dir.path("fifo.dat").c_str(), 0644), 0);
    EXPECT_FALSE(writeFileAtomic(dir.path("fifo.dat"), "new\r\n").ok());
    EXPECT_TRUE(std::filesystem::is_fifo(dir.path("fifo.dat")));
}

// Temporaries a killed write left behind go at start-up; nothing else does,
// however much it looks like a backup of the same file.
TEST(RemoveStaleTemporaries, OnlyTheGamesOwnTemporariesGo)
{
    TempDir dir;
    for (const char *name :
         {".settei.dat.ks-a1B2c3", ".roumazi.dat.ks-ZZZZZZ", "settei.dat", "settei.dat.backup",
          ".settei.dat.ks-short", "settei.dat.ks-abcdef", ".notes.ks-abcdefg"})
        dir.write(name, "x");
    std::filesystem::create_directory(dir.path(".folder.ks-abcdef"));
    removeStaleTemporaries(dir.root());
    EXPECT_EQ(dir.listing(), ".folder.ks-abcdef\n.notes.ks-abcdefg\n.settei.dat.ks-short\n"
                             "settei.dat\nsettei.dat.backup\nsettei.dat.ks-abcdef\n");
}

TEST(Utf8, LengthCountsCharactersAndSurvivesBrokenBytes)
{
    EXPECT_EQ(utf8Length("akai,"), 5u);
    EXPECT_EQ(utf8Length("かな"), 2u);
    EXPECT_EQ(utf8Length("\xE3\x81"), 2u); // a cut-off sequence: each byte on its own
    EXPECT_EQ(firstUtf8Char("").bytes, 0u);
    EXPECT_EQ(firstUtf8Char("\xFF").code, U'\uFFFD');
}

} // namespace
} // namespace ks
