#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace ks {

// The speed tester's scoring: how a key is rated, what each rating is worth,
// the pace the instructor expects and his verdict on a finished run. Plain
// rules, so the screens only draw them.

// Every outcome of a key, in the order the screens list them.
enum class Rating
{
    Fervor,
    Grate,
    Good,
    Ok,
    Bad,
    Miss
};
inline constexpr std::array<Rating, 6> kRatings = {Rating::Fervor, Rating::Grate, Rating::Good,
                                                   Rating::Ok,     Rating::Bad,   Rating::Miss};

struct RatingRule
{
    std::string_view name;  // "Fervor" … "Miss", as the tables head their rows
    std::string_view flash; // shown the moment it is earned
    int points;             // each, on the results
    int maxTicks;           // a hit up to this many 100 ms ticks after the previous one
};
const RatingRule &ratingRule(Rating rating);

// The rating of a hit that came ticks × 100 ms after the previous hit (or the start).
Rating ratingOfHit(int ticks);

// The counts of one run. Wider than a minute of typing can fill, so no
// product or total ever wraps.
class RatingCounts
{
public:
    int count(Rating rating) const { return m_counts[index(rating)]; }
    void add(Rating rating) { ++m_counts[index(rating)]; }
    void set(Rating rating, int count) { m_counts[index(rating)] = count; }
    // Hits of every rating; misses are no hits.
    int rated() const;
    int points(Rating rating) const { return count(rating) * ratingRule(rating).points; }
    int total() const;

private:
    static std::size_t index(Rating rating) { return static_cast<std::size_t>(rating); }
    std::array<int, 6> m_counts{};
};

// Two rated hits for every second that has passed; exactly that is enough.
bool onSpeedTestPace(int rated, int elapsedSeconds);

// Course 1 is the 30-second course, course 2 the 60-second one.
int courseOfLimit(int seconds);

enum class VerdictFace
{
    Calm,
    Red,
    Shout
};

struct Verdict
{
    int line = -1; // of the instructor's nine verdict lines
    VerdictFace face = VerdictFace::Calm;
    bool newHighScore = false;
};

// The first rule that applies: nothing scored, a new high score, too many
// misses, too many slow hits, then the score bands of the course.
Verdict speedTestVerdict(int course, int total, double highScore, int misses, int bads);

} // namespace ks
