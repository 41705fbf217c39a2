#include "core/records/runstats.h"

#include <gtest/gtest.h>

#include <algorithm>

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

std::vector<std::int64_t> idsOf(const std::vector<ProgressPoint> &points)
{
    std::vector<std::int64_t> ids;
    for (const ProgressPoint &p : points)
        ids.push_back(p.id);
    return ids;
}

// Subjects by mode, then name.
TEST(RunStats, SubjectsGoByModeThenName)
{
    std::vector<Subject> subjects = {{RunMode::Mission, "1"},
                                     {RunMode::Practice, "b.ksd"},
                                     {RunMode::SpeedTest, "60"},
                                     {RunMode::Practice, "a.ksd"}};
    std::sort(subjects.begin(), subjects.end());
    EXPECT_EQ(subjects, (std::vector<Subject>{{RunMode::SpeedTest, "60"},
                                              {RunMode::Practice, "a.ksd"},
                                              {RunMode::Practice, "b.ksd"},
                                              {RunMode::Mission, "1"}}));
}

// The charts leave out runs left early and runs with no key, and keep the
// latest of the rest; the best runs are the best of all of them.
TEST(RunStats, TheProgressWindowKeepsTheLatestAndTheBestOfAll)
{
    struct Case
    {
        const char *what;
        std::vector<RunSummary> runs;
        std::size_t window;
        std::vector<std::int64_t> shown;
        int total;
        std::int64_t fastest, accurate;
    } cases[] = {
        {"nothing complete",
         {run(1, 1000, RunMode::Practice, "a", 0, 0, 60000, RunEnd::TimeUp),
          run(2, 2000, RunMode::Practice, "a", 10, 0, 5000, RunEnd::Abandoned)},
         10,
         {},
         0,
         0,
         0},
        {"ties",
         {run(1, 1000, RunMode::SpeedTest, "30", 100, 10, 30000), // 180/min, 90 %
          run(2, 2000, RunMode::SpeedTest, "30", 95, 5, 30000),   // 180/min, 94.7 %
          run(3, 3000, RunMode::SpeedTest, "30", 60, 0, 30000),   // 120/min, 100 %
          run(4, 4000, RunMode::SpeedTest, "30", 60, 0, 30000),   // the same again, later
          run(5, 5000, RunMode::SpeedTest, "30", 200, 0, 30000, RunEnd::Abandoned)},
         10,
         {1, 2, 3, 4},
         4,
         2,  // equal speed: the more accurate
         3}, // equal in both: the earlier
        {"the best before the window",
         {run(1, 1000, RunMode::SpeedTest, "30", 100, 0, 30000),
          run(2, 2000, RunMode::SpeedTest, "30", 50, 5, 30000),
          run(3, 3000, RunMode::SpeedTest, "30", 40, 0, 30000),
          run(4, 4000, RunMode::SpeedTest, "30", 0, 0, 30000)},
         2,
         {2, 3},
         3,
         1,
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ProgressWindow window(c.window);
        for (const RunSummary &r : c.runs)
            window.add(r);
        EXPECT_EQ(idsOf(window.points()), c.shown);
        if (!window.points().empty()) {
            EXPECT_EQ(window.points().back().number, c.total);
        }
        EXPECT_EQ(window.total(), c.total);
        EXPECT_EQ(window.fastest().id, c.fastest);
        EXPECT_EQ(window.mostAccurate().id, c.accurate);
    }
}

// A practice file is called by the title it was last played under, its
// file name only where it had none or shares its title with another file.
TEST(RunStats, SubjectLabelsAreTitlesToldApartByFileName)
{
    const std::vector<SubjectSummary> subjects = {
        {{RunMode::SpeedTest, "30秒"}, ""},
        {{RunMode::Practice, "01.ksd"}, "五十音のれんしゅう"},
        {{RunMode::Practice, "02.ksd"}, "ことわざ"},
        {{RunMode::Practice, "03.ksd"}, "ことわざ"},
        {{RunMode::Practice, "04.ksd"}, ""}, // played before titles were kept
        {{RunMode::Mission, "ミッション1"}, ""},
    };
    EXPECT_EQ(subjectLabels(subjects),
              (std::vector<std::string>{"30秒", "五十音のれんしゅう", "ことわざ（02.ksd）",
                                        "ことわざ（03.ksd）", "04.ksd", "ミッション1"}));
}

} // namespace
} // namespace ks
