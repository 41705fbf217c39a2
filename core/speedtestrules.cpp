#include "speedtestrules.h"

#include <numeric>

namespace ks {

namespace {

constexpr RatingRule kRules[] = {
    {"Fervor", "Fervor!!!", 120, 2}, {"Grate", "Grate!!", 100, 5},
    {"Good", "Good!", 60, 8},        {"OK", "OK", 45, 10},
    {"Bad", "Bad", 5, 32767},        {"Miss", "Miss", -20, -1},
};

struct Band
{
    int upTo;
    int line;
    VerdictFace face;
};

// The 30-second course's fourth band starts at 6001, right after the third, so
// no total falls between bands; the 60-second course doubles the bands.
constexpr Band kBands30[] = {{500, 3, VerdictFace::Red},
                             {3700, 4, VerdictFace::Red},
                             {6000, 5, VerdictFace::Calm},
                             {8800, 6, VerdictFace::Calm}};
constexpr Band kBands60[] = {{1000, 3, VerdictFace::Red},
                             {7400, 4, VerdictFace::Red},
                             {12000, 5, VerdictFace::Calm},
                             {16500, 6, VerdictFace::Calm}};

} // namespace

const RatingRule &ratingRule(Rating rating)
{
    return kRules[static_cast<std::size_t>(rating)];
}

Rating ratingOfHit(int ticks)
{
    for (Rating rating : kRatings) {
        if (rating != Rating::Miss && ticks <= ratingRule(rating).maxTicks)
            return rating;
    }
    return Rating::Bad;
}

int RatingCounts::rated() const
{
    return std::accumulate(m_counts.begin(), m_counts.end(), 0) - count(Rating::Miss);
}

int RatingCounts::total() const
{
    int sum = 0;
    for (Rating rating : kRatings)
        sum += points(rating);
    return sum;
}

bool onSpeedTestPace(int rated, int elapsedSeconds)
{
    return rated >= 2 * elapsedSeconds;
}

int courseOfLimit(int seconds)
{
    return seconds == 60 ? 2 : 1;
}

Verdict speedTestVerdict(int course, int total, double highScore, int misses, int bads)
{
    const int limit = course == 1 ? 10 : 20;
    // Where one course's results had no face for a verdict, both show the
    // face the other course shows.
    if (total <= 0)
        return {2, VerdictFace::Red, false};
    if (total > highScore)
        return {8, VerdictFace::Calm, true};
    if (misses >= limit)
        return {0, course == 1 ? VerdictFace::Shout : VerdictFace::Red, false};
    if (bads >= limit)
        return {1, VerdictFace::Shout, false};
    for (const Band &band : course == 1 ? kBands30 : kBands60) {
        if (total <= band.upTo)
            return {band.line, band.face, false};
    }
    return {7, VerdictFace::Calm, false};
}

} // namespace ks
