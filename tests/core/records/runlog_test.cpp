#include "core/records/runlog.h"
#include "core/utf8.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

// Each key's interval is measured on the screen's clock from the key before
// it; the first from the start of the run.
TEST(RunLog, IntervalsComeFromTheClockPassedWithEachKey)
{
    RunLog log(RunMode::Practice, "01.ksd", 1'700'000'000'000, 5000);
    log.addKey(U'k', U'k', "か", 5300);
    log.addKey(U'a', U'l', "か", 5450);
    log.addKey(U'a', U'a', "か", 6450);
    log.finish(RunEnd::Finished, 7000, std::nullopt, "合格");

    ASSERT_EQ(log.keyCount(), 3);
    EXPECT_EQ(log.keys()[0].intervalMs, 300);
    EXPECT_EQ(log.keys()[1].intervalMs, 150);
    EXPECT_EQ(log.keys()[2].intervalMs, 1000);
    EXPECT_EQ(log.keys()[1].kana.view(), "か");
    EXPECT_EQ(log.missCount(), 1);
    EXPECT_EQ(log.durationMs(), 2000);
    EXPECT_EQ(log.verdict(), "合格");
    EXPECT_EQ(log.startedAtMs(), 1'700'000'000'000);
}

// The end is taken once: a screen whose unload follows its time-up does not
// turn a finished run into an abandoned one, nor add keys to a closed run.
TEST(RunLog, AFinishedRunTakesNoMoreKeysAndNoSecondEnd)
{
    RunLog log(RunMode::SpeedTest, "30", 0, 0);
    log.addKey(U'a', U'a', 100);
    log.finish(RunEnd::Finished, 30000, 120);
    log.addKey(U'b', U'x', 30100);
    log.finish(RunEnd::Abandoned, 31000);
    EXPECT_EQ(log.keyCount(), 1);
    EXPECT_EQ(log.missCount(), 0);
    EXPECT_EQ(log.end(), RunEnd::Finished);
    EXPECT_EQ(log.durationMs(), 30000);
    EXPECT_EQ(log.score(), 120);
}

// A screen that closes mid-run and saves what it has keeps an abandoned
// run as long as its last key.
TEST(RunLog, AnUnfinishedRunIsAbandonedAtItsLastKey)
{
    RunLog log(RunMode::Mission, "ミッション2", 0, 1000);
    log.addKey(U'a', U'a', 1800);
    log.addKey(U'b', U'b', 2600);
    EXPECT_FALSE(log.isFinished());
    EXPECT_EQ(log.end(), RunEnd::Abandoned);
    EXPECT_EQ(log.durationMs(), 1600);
}

// Logging a key never allocates: the key events live in room made when the
// run starts, and the kana is held inside the event.
TEST(RunLog, KeysOfALongRunStayInTheRoomMadeAtTheStart)
{
    RunLog log(RunMode::Practice, "long", 0, 0);
    const KeyEvent *room = log.keys().data();
    for (std::size_t i = 0; i < RunLog::kReservedKeys; ++i)
        log.addKey(U'a', i % 7 ? U'a' : U's', "っきゃ", static_cast<std::int64_t>(i) * 10);
    EXPECT_EQ(log.keys().data(), room);
    EXPECT_EQ(log.keys().back().kana.view(), "っきゃ");
}

// A kana too long for its room is cut between characters, never inside one.
TEST(RunLog, AnOverlongKanaIsCutAtACharacterBoundary)
{
    const Kana kana("あいうえおかきくけこ"); // 30 bytes
    EXPECT_EQ(kana.view(), "あいうえおかき");
    EXPECT_EQ(Kana("").view(), "");
}

TEST(RunLog, NamesRoundTripAndUnknownOnesAreRefused)
{
    for (RunMode mode : {RunMode::SpeedTest, RunMode::Practice, RunMode::Mission})
        EXPECT_EQ(modeFromName(modeName(mode)), mode);
    for (RunEnd end :
         {RunEnd::Finished, RunEnd::Won, RunEnd::Lost, RunEnd::TimeUp, RunEnd::Abandoned})
        EXPECT_EQ(endFromName(endName(end)), end);
    EXPECT_EQ(modeFromName("typing"), std::nullopt);
    EXPECT_EQ(endFromName(""), std::nullopt);
}

TEST(RunLog, TimesAreIso8601InUtc)
{
    EXPECT_EQ(isoTimeOf(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(isoTimeOf(1'714'566'896'789), "2024-05-01T12:34:56.789Z");
    EXPECT_EQ(isoTimeOf(-1), "1969-12-31T23:59:59.999Z");
}

TEST(RunLog, CharactersAsUtf8)
{
    EXPECT_EQ(utf8Of(U'k'), "k");
    EXPECT_EQ(utf8Of(U'é'), "é");
    EXPECT_EQ(utf8Of(U'、'), "、");
    EXPECT_EQ(utf8Of(U'\U0001F600'), "\U0001F600");
}

} // namespace
} // namespace ks
