#include "core/speedtestrules.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

struct HitCase
{
    int ticks;
    Rating rating;
};

// A hit is rated by the 100 ms ticks since the previous one.
TEST(SpeedTestRules, HitRatingsAtTheirBorders)
{
    const HitCase cases[] = {{0, Rating::Fervor}, {2, Rating::Fervor}, {3, Rating::Grate},
                             {5, Rating::Grate},  {6, Rating::Good},   {8, Rating::Good},
                             {9, Rating::Ok},     {10, Rating::Ok},    {11, Rating::Bad},
                             {32767, Rating::Bad}};
    for (const HitCase &c : cases)
        EXPECT_EQ(ratingOfHit(c.ticks), c.rating) << c.ticks;
}

// Points, the total and the hits that count for the pace; a miss costs 20
// and is no hit. 274 Fervor hits make more than 16 bits hold.
TEST(SpeedTestRules, CountsPointsAndTotal)
{
    RatingCounts counts;
    const int each[] = {10, 5, 4, 3, 2, 6};
    for (Rating rating : kRatings)
        counts.set(rating, each[static_cast<int>(rating)]);
    EXPECT_EQ(counts.points(Rating::Fervor), 1200);
    EXPECT_EQ(counts.points(Rating::Ok), 135);
    EXPECT_EQ(counts.points(Rating::Miss), -120);
    EXPECT_EQ(counts.total(), 1965);
    EXPECT_EQ(counts.rated(), 24);
    counts.add(Rating::Miss);
    EXPECT_EQ(counts.rated(), 24);
    EXPECT_EQ(counts.total(), 1945);

    RatingCounts big;
    big.set(Rating::Fervor, 274);
    big.set(Rating::Grate, 300);
    EXPECT_EQ(big.points(Rating::Fervor), 32880);
    EXPECT_EQ(big.total(), 62880);
}

TEST(SpeedTestRules, NamesAndFlashesInTableOrder)
{
    const char *names[] = {"Fervor", "Grate", "Good", "OK", "Bad", "Miss"};
    const char *flashes[] = {"Fervor!!!", "Grate!!", "Good!", "OK", "Bad", "Miss"};
    const int points[] = {120, 100, 60, 45, 5, -20};
    for (Rating rating : kRatings) {
        const auto i = static_cast<std::size_t>(rating);
        EXPECT_EQ(ratingRule(rating).name, names[i]);
        EXPECT_EQ(ratingRule(rating).flash, flashes[i]);
        EXPECT_EQ(ratingRule(rating).points, points[i]);
    }
}

// Two rated hits per elapsed second is on pace; exactly that is enough.
TEST(SpeedTestRules, PaceAtItsBorder)
{
    EXPECT_TRUE(onSpeedTestPace(0, 0));
    EXPECT_TRUE(onSpeedTestPace(6, 3));
    EXPECT_FALSE(onSpeedTestPace(5, 3));
}

struct VerdictCase
{
    int course;
    int total;
    double highScore;
    int misses;
    int bads;
    int line;
    VerdictFace face;
};

TEST(SpeedTestRules, EveryVerdictRuleOnBothCourses)
{
    using Face = VerdictFace;
    const VerdictCase cases[] = {
        // total <= 0 first, whatever is stored; both courses show the red face
        {1, 0, -50, 0, 0, 2, Face::Red},
        {2, -20, -100, 30, 30, 2, Face::Red},
        // a new high score next; an equal total is none
        {1, 101, 100, 15, 15, 8, Face::Calm},
        {2, 201, 200, 0, 0, 8, Face::Calm},
        {1, 100, 100, 0, 0, 3, Face::Red},
        // the Miss limit before the Bad limit
        {1, 50, 100, 10, 10, 0, Face::Shout},
        {1, 50, 100, 9, 10, 1, Face::Shout},
        {2, 50, 100, 19, 19, 3, Face::Red},
        {2, 50, 100, 20, 20, 0, Face::Red},
        {2, 50, 100, 0, 20, 1, Face::Shout},
        // the bands of the 30-second course
        {1, 1, 9999, 0, 0, 3, Face::Red},
        {1, 500, 9999, 0, 0, 3, Face::Red},
        {1, 501, 9999, 0, 0, 4, Face::Red},
        {1, 3700, 9999, 0, 0, 4, Face::Red},
        {1, 3701, 9999, 0, 0, 5, Face::Calm},
        {1, 6000, 9999, 0, 0, 5, Face::Calm},
        {1, 6001, 9999, 0, 0, 6, Face::Calm},
        {1, 6500, 9999, 0, 0, 6, Face::Calm},
        {1, 8800, 9999, 0, 0, 6, Face::Calm},
        {1, 8801, 9999, 0, 0, 7, Face::Calm},
        // and of the 60-second course
        {2, 1000, 99999, 0, 0, 3, Face::Red},
        {2, 1001, 99999, 0, 0, 4, Face::Red},
        {2, 7400, 99999, 0, 0, 4, Face::Red},
        {2, 7401, 99999, 0, 0, 5, Face::Calm},
        {2, 12000, 99999, 0, 0, 5, Face::Calm},
        {2, 12001, 99999, 0, 0, 6, Face::Calm},
        {2, 16500, 99999, 0, 0, 6, Face::Calm},
        {2, 16501, 99999, 0, 0, 7, Face::Calm},
    };
    for (const VerdictCase &c : cases) {
        const Verdict v = speedTestVerdict(c.course, c.total, c.highScore, c.misses, c.bads);
        EXPECT_EQ(v.line, c.line) << c.course << " " << c.total;
        EXPECT_EQ(v.face, c.face) << c.course << " " << c.total;
        EXPECT_EQ(v.newHighScore, c.line == 8) << c.course << " " << c.total;
    }
}

} // namespace
} // namespace ks
