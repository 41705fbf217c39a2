#include "core/records/runstats.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

struct Key
{
    char32_t expected;
    char32_t typed;
    const char *kana;
    std::int32_t ms;
};

std::vector<KeyEvent> keysOf(std::initializer_list<Key> keys)
{
    std::vector<KeyEvent> out;
    for (const Key &k : keys)
        out.push_back({k.expected, k.typed, Kana(k.kana), k.ms});
    return out;
}

RunSummary run(std::int64_t id, std::int64_t startedAt, RunMode mode, std::string subject, int keys,
               int misses, std::int64_t durationMs, RunEnd end = RunEnd::Finished)
{
    RunSummary r;
    r.id = id;
    r.startedAtMs = startedAt;
    r.mode = mode;
    r.subject = std::move(subject);
    r.keys = keys;
    r.misses = misses;
    r.durationMs = durationMs;
    r.end = end;
    return r;
}

TEST(RunStats, HitRateAndKeysPerMinute)
{
    struct Case
    {
        int keys, misses;
        std::int64_t ms;
        double rate, kpm;
    } cases[] = {
        {200, 10, 60000, 95.0, 190.0}, // hits only count towards speed
        {40, 0, 30000, 100.0, 80.0},   {10, 10, 30000, 0.0, 0.0},
        {0, 0, 30000, 0.0, 0.0}, // nothing typed: no rate, no speed
        {50, 5, 0, 90.0, 0.0},   // a run of no length has no speed
    };
    for (const Case &c : cases) {
        EXPECT_DOUBLE_EQ(hitRateOf(c.keys, c.misses), c.rate) << c.keys << "/" << c.misses;
        EXPECT_DOUBLE_EQ(keysPerMinuteOf(c.keys - c.misses, c.ms), c.kpm) << c.keys;
    }
}

// Miss rate per expected key; slowness from the right presses only, and
// not from those after a pause.
TEST(RunStats, PerKeyMissRateAndSlowness)
{
    const auto keys = keysOf({{U'a', U'a', "あ", 200},
                              {U'k', U'l', "か", 300},
                              {U'k', U'k', "か", 400},
                              {U'a', U'a', "か", 600},
                              {U'k', U'k', "き", 250},
                              {U'k', U'k', "く", 5000}, // a pause, not slowness
                              {U'a', U's', "あ", 90},
                              {U'a', U'a', "あ", 100}});
    const std::vector<KeyFigures> figures = keyFigures(keys);
    ASSERT_EQ(figures.size(), 2u);

    const KeyFigures &a = figures[0];
    EXPECT_EQ(a.key, U'a');
    EXPECT_EQ(a.asked, 4);
    EXPECT_EQ(a.misses, 1);
    EXPECT_DOUBLE_EQ(a.missRate(), 0.25);
    EXPECT_EQ(a.timed, 3);
    EXPECT_DOUBLE_EQ(a.meanMs, 300.0);   // (200 + 600 + 100) / 3
    EXPECT_DOUBLE_EQ(a.medianMs, 200.0); // odd count: the middle one

    const KeyFigures &k = figures[1];
    EXPECT_EQ(k.key, U'k');
    EXPECT_EQ(k.asked, 4);
    EXPECT_EQ(k.misses, 1);
    EXPECT_EQ(k.timed, 2);
    EXPECT_DOUBLE_EQ(k.meanMs, 325.0);
    EXPECT_DOUBLE_EQ(k.medianMs, 325.0); // even count: between the middle two
}

TEST(RunStats, ConfusionsMostFrequentFirstTiesInCharacterOrder)
{
    const auto keys = keysOf({{U'k', U'l', "", 1},
                              {U'o', U'i', "", 1},
                              {U'k', U'l', "", 1},
                              {U'n', U'm', "", 1},
                              {U'k', U'j', "", 1},
                              {U'o', U'i', "", 1},
                              {U'k', U'l', "", 1},
                              {U'a', U'a', "", 1}});
    const std::vector<Confusion> top = confusions(keys, 3);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ((std::tuple(top[0].expected, top[0].typed, top[0].count)), std::tuple(U'k', U'l', 3));
    EXPECT_EQ((std::tuple(top[1].expected, top[1].typed, top[1].count)), std::tuple(U'o', U'i', 2));
    EXPECT_EQ((std::tuple(top[2].expected, top[2].typed, top[2].count)), std::tuple(U'k', U'j', 1));
    EXPECT_TRUE(confusions(keysOf({{U'a', U'a', "", 1}}), 5).empty());
}

TEST(RunStats, MostMissedKana)
{
    const auto keys = keysOf({{U's', U's', "し", 1},
                              {U'h', U'j', "し", 1},
                              {U'i', U'i', "し", 1},
                              {U't', U'r', "つ", 1},
                              {U's', U'a', "つ", 1},
                              {U'u', U'u', "つ", 1},
                              {U'k', U'l', "か", 1},
                              {U'a', U'a', "か", 1},
                              {U'n', U'n', "ん", 1},
                              {U'x', U'y', "", 1}}); // no kana: the speed test's letters
    const std::vector<KanaFigures> top = mostMissedKana(keys, 5);
    ASSERT_EQ(top.size(), 3u); // ん was never missed
    EXPECT_EQ(top[0].kana, "つ");
    EXPECT_EQ(top[0].misses, 2);
    EXPECT_EQ(top[0].keys, 3);
    // し and か both missed once: し had more keys.
    EXPECT_EQ(top[1].kana, "し");
    EXPECT_EQ(top[2].kana, "か");
    EXPECT_EQ(mostMissedKana(keys, 1).size(), 1u);
}

// Subjects by mode, then name; abandoned runs and runs with no key are not
// on the charts.
// Every subject played is listed, even one whose only run had no key
// (a.ksd), though only complete runs are charted.
TEST(RunStats, ProgressLeavesOutAbandonedAndEmptyRunsOldestFirst)
{
    const std::vector<RunSummary> runs = {
        run(1, 3000, RunMode::Practice, "b.ksd", 100, 5, 60000),
        run(2, 1000, RunMode::Practice, "b.ksd", 100, 50, 60000),
        run(3, 2000, RunMode::Practice, "b.ksd", 10, 0, 5000, RunEnd::Abandoned),
        run(4, 4000, RunMode::SpeedTest, "60", 120, 3, 60000),
        run(5, 5000, RunMode::Practice, "a.ksd", 0, 0, 60000, RunEnd::TimeUp),
        run(6, 6000, RunMode::Mission, "1", 80, 4, 90000, RunEnd::Lost),
    };
    const std::vector<Subject> subjects = subjectsOf(runs);
    ASSERT_EQ(subjects.size(), 4u);
    EXPECT_EQ(subjects[0], (Subject{RunMode::SpeedTest, "60"}));
    EXPECT_EQ(subjects[1], (Subject{RunMode::Practice, "a.ksd"}));
    EXPECT_EQ(subjects[2], (Subject{RunMode::Practice, "b.ksd"}));
    EXPECT_EQ(subjects[3], (Subject{RunMode::Mission, "1"}));

    EXPECT_TRUE(progressOf(runs, subjects[1]).empty());
    const std::vector<RunSummary> b = progressOf(runs, subjects[2]);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].id, 2);
    EXPECT_EQ(b[1].id, 1);
    // The best runs skip a subject with nothing to chart.
    EXPECT_EQ(bestRuns(runs).size(), 3u);
}

// A practice file is called by the title it was last played under, its
// file name only where it had none or shares its title with another file.
TEST(RunStats, SubjectLabelsAreTitlesToldApartByFileName)
{
    const auto titled = [](std::int64_t id, const char *file, const char *title) {
        RunSummary r = run(id, id * 1000, RunMode::Practice, file, 10, 1, 10000);
        r.title = title;
        return r;
    };
    std::vector<RunSummary> runs = {
        titled(1, "01.ksd", "あいうえお"),
        titled(2, "01.ksd", "五十音のれんしゅう"), // renamed since: the latest counts
        titled(3, "02.ksd", "ことわざ"),
        titled(4, "03.ksd", "ことわざ"),
        titled(5, "04.ksd", ""), // played before titles were kept
        run(6, 6000, RunMode::SpeedTest, "30秒", 10, 1, 30000),
        run(7, 7000, RunMode::Mission, "ミッション1", 10, 1, 30000),
    };
    const std::vector<Subject> subjects = subjectsOf(runs);
    EXPECT_EQ(subjectLabels(runs, subjects),
              (std::vector<std::string>{"30秒", "五十音のれんしゅう", "ことわざ（02.ksd）",
                                        "ことわざ（03.ksd）", "04.ksd", "ミッション1"}));
}

TEST(RunStats, BestRunsPerSubject)
{
    const std::vector<RunSummary> runs = {
        run(1, 1000, RunMode::SpeedTest, "30", 100, 10, 30000), // 180/min, 90 %
        run(2, 2000, RunMode::SpeedTest, "30", 95, 5, 30000),   // 180/min, 94.7 %
        run(3, 3000, RunMode::SpeedTest, "30", 60, 0, 30000),   // 120/min, 100 %
        run(4, 4000, RunMode::SpeedTest, "30", 60, 0, 30000),   // the same again, later
        run(5, 5000, RunMode::SpeedTest, "30", 200, 0, 30000, RunEnd::Abandoned),
        run(6, 6000, RunMode::Practice, "x.ksd", 50, 25, 60000),
    };
    const std::vector<BestRuns> best = bestRuns(runs);
    ASSERT_EQ(best.size(), 2u);
    EXPECT_EQ(best[0].subject, (Subject{RunMode::SpeedTest, "30"}));
    EXPECT_EQ(best[0].fastestId, 2);      // equal speed: the more accurate
    EXPECT_EQ(best[0].mostAccurateId, 3); // equal in both: the earlier
    EXPECT_EQ(best[1].fastestId, 6);
    EXPECT_EQ(best[1].mostAccurateId, 6);
}

} // namespace
} // namespace ks
