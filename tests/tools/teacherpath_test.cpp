// The teacher's path end to end: the README's example, taken from README.md
// as it stands, run on a freshly installed game, and the file it makes played
// on the real practice screen.

#include "ksdtool/playpage.h"

#include "core/appdir.h"
#include "screens/practice/fileload.h"
#include "screens/screentable.h"
#include "shell/assetstore.h"
#include "shell/records/records.h"
#include "shell/screenhost.h"
#include "shell/units.h"
#include "support/fakes.h"
#include "support/runprogram.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace ks {
namespace {

using test::TempDir;

// The first shell example of the README's section on practice files.
std::string readmeExample()
{
    std::ifstream in(std::string(KS_SOURCE_DIR) + "/README.md");
    const std::string readme{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t section = readme.find("## Making a practice file");
    const std::size_t open = readme.find("```sh\n", section);
    const std::size_t close = readme.find("\n```", open);
    if (section == std::string::npos || open == std::string::npos || close == std::string::npos)
        return {};
    return readme.substr(open + 6, close - open - 6 + 1);
}

// The game on the manual clock, its folders those an installed game finds.
class InstalledGame
{
public:
    explicit InstalledGame(const AppDir &folders)
        : records(folders.playerFile(kRecordsFile), wallClock),
          m_host(Services{clock, random, dialogs, sound, assets, records, keyboard, folders},
                 gameScreens())
    {}

    ScreenHost &host() { return m_host; }
    QString caption(const QString &screen, const char *id)
    {
        return dynamic_cast<Label &>(*m_host.screen(screen).control(QString::fromLatin1(id)))
            .caption();
    }
    Label &label(const char *id)
    {
        return dynamic_cast<Label &>(
            *m_host.screen(ScreenName::FileLoad).control(QString::fromLatin1(id)));
    }
    void press(int key, const QString &text = {}) { m_host.deliverKey(key, text, Qt::NoModifier); }
    void type(const QString &text)
    {
        for (QChar c : text) {
            const bool letter = c >= 'a' && c <= 'z';
            press(letter ? Qt::Key_A + (c.unicode() - 'a') : Qt::Key_unknown, QString(c));
        }
    }
    PracticeStage stage() { return m_host.screenAs<FileLoad>(ScreenName::FileLoad).shared().Stage; }

    test::ManualClock clock;
    test::ScriptedRandom random;
    test::ScriptedDialogs dialogs;
    test::RecordingSoundService sound;
    AssetStore assets;
    test::FixedWallClock wallClock;
    test::FixedKeyboardSettings keyboard;
    Records records;

private:
    ScreenHost m_host;
};

TEST(TeachersPath, TheReadmesExampleMakesAFileTheInstalledGameListsAndPlays)
{
    TempDir dir;
    const std::string prefix = dir.path("usr");
    const test::ProgramRun install =
        test::runProgram(dir, KS_CMAKE, {"--install", KS_BUILD_DIR, "--prefix", prefix});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    const std::string program = prefix + "/lib/keystorm";
    ASSERT_TRUE(AppDir::isInstalled(program));

    const std::string example = readmeExample();
    ASSERT_NE(example.find("keystorm-ksdtool readings"), std::string::npos) << example;
    TempDir work;
    // A teacher's shell, with nothing of ours but the sanitizers' settings
    // when the tests run under them.
    std::vector<std::string> environment{"PATH=" + prefix + "/bin:/usr/bin:/bin",
                                         "HOME=" + dir.path("home"), "LANG=C.UTF-8"};
    for (const char *name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char *value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    }
    const test::ProgramRun run = test::runProgram(
        work, "/bin/bash", {"-e", "-c", "cd '" + work.root() + "'\n" + example}, &environment);
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(run.out.ends_with("OK\n")) << run.out;
    EXPECT_FALSE(work.exists("proverbs.tsv") && work.read("proverbs.tsv").empty());

    // The game as an installed one starts for this player.
    InstalledGame game(AppDir::choose(program, true, dir.path("home/.local/share")));
    game.host().show(ScreenName::Kidou);
    while (game.caption(ScreenName::Kidou, "Erabi") != "練習問題編")
        game.press(Qt::Key_Right);
    game.press(Qt::Key_Return, "\r");
    ASSERT_TRUE(game.dialogs.log.isEmpty()) << game.dialogs.log.join('\n').toStdString();
    EXPECT_EQ(game.caption(ScreenName::FileLoad, "LabNum"), "1/16");
    game.press(Qt::Key_Left); // the player's file sorts after the shipped ones
    EXPECT_EQ(game.caption(ScreenName::FileLoad, "LabTitle"), "ことわざ");
    EXPECT_EQ(game.caption(ScreenName::FileLoad, "LabSakusya"), "わたし");

    game.press(Qt::Key_Return, "\r");
    ASSERT_EQ(game.stage(), PracticeStage::Prepared) << game.dialogs.log.join('\n').toStdString();
    // The tool measures lines as these two labels show them.
    EXPECT_EQ(game.label("Mondai").width(), ksd::kPlayLineWidth);
    EXPECT_EQ(game.label("Mondai").font().pixelSize(), pointsToPixels(ksd::kDisplayLinePoints));
    EXPECT_FALSE(game.label("Mondai").font().bold());
    EXPECT_EQ(game.label("Alufabet").width(), ksd::kPlayLineWidth);
    EXPECT_EQ(game.label("Alufabet").font().pixelSize(), pointsToPixels(20));
    EXPECT_TRUE(game.label("Alufabet").font().bold());

    game.press(Qt::Key_Return, "\r");
    game.clock.advance(200);
    ASSERT_EQ(game.stage(), PracticeStage::Typing);
    EXPECT_EQ(game.caption(ScreenName::FileLoad, "Mondai"), "猿も木から落ちる");
    EXPECT_EQ(game.caption(ScreenName::FileLoad, "Alufabet"), "sarumokikaraochiru");
    game.type(game.caption(ScreenName::FileLoad, "Alufabet"));
    EXPECT_EQ(game.stage(), PracticeStage::Between);
    EXPECT_EQ(game.host().screenAs<FileLoad>(ScreenName::FileLoad).shared().Miss, 0);
    EXPECT_TRUE(game.sound.log.contains(QString::fromStdString(
        "sound FileLoad.Brakesound: play " + program + "/practice/standard/brake.wav")))
        << game.sound.log.join('\n').toStdString();
}

// A design size of the romaji line the tool falls back on is the label's.
TEST(TeachersPath, TheToolsDesignSizeIsTheScreens)
{
    TempDir dir;
    InstalledGame game{AppDir(dir.root())};
    game.host().show(ScreenName::FileLoad);
    game.dialogs.answerAll();
    EXPECT_EQ(game.label("Alufabet").font().pixelSize(), pointsToPixels(ksd::kDesignRomajiPoints));
}

} // namespace
} // namespace ks
