#pragma once

#include "runlog.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace ks {

// A hit rate in percent: the keys that were right among all keys judged. No
// keys, no rate: 0 (the windows show "—" for a run without keys).
double hitRateOf(int keys, int misses);

// Right keys per minute of the run. Wrong keys do not count: a player who
// hammers the keyboard is not typing faster. 0 for a run of no length.
double keysPerMinuteOf(int hits, std::int64_t durationMs);

// One stored run, as the records read it back.
struct RunSummary
{
    std::int64_t id = 0;
    std::int64_t startedAtMs = 0;
    RunMode mode = RunMode::SpeedTest;
    std::string subject;
    std::string title; // a practice file's title as it was played; may be empty
    std::int64_t durationMs = 0;
    int keys = 0;
    int misses = 0;
    RunEnd end = RunEnd::Finished;
    std::optional<int> score;
    std::string verdict;

    double hitRate() const { return hitRateOf(keys, misses); }
    double keysPerMinute() const { return keysPerMinuteOf(keys - misses, durationMs); }
    // Counts on the progress charts and for the best runs: a run left early
    // or with no key typed says nothing about the player's pace.
    bool isComplete() const { return end != RunEnd::Abandoned && keys > 0; }
};

// How one expected key went: how often it was asked for, how often missed,
// and how long a right press of it took.
struct KeyFigures
{
    char32_t key = 0;
    int asked = 0;
    int misses = 0;
    int timed = 0; // right presses whose interval counts (not after a pause)
    double meanMs = 0;
    double medianMs = 0;

    double missRate() const { return asked > 0 ? static_cast<double>(misses) / asked : 0.0; }
};

// An interval longer than this is a pause (a target rising, the next
// problem coming up, the player looking away), not the time to find a key.
inline constexpr std::int32_t kPauseMs = 2000;

// Every expected key of the log, in character order.
std::vector<KeyFigures> keyFigures(std::span<const KeyEvent> keys);

// A wrong key for a right one: "k → l".
struct Confusion
{
    char32_t expected = 0;
    char32_t typed = 0;
    int count = 0;
};

// The most frequent confusions, most first (ties in character order), at
// most limit of them.
std::vector<Confusion> confusions(std::span<const KeyEvent> keys, std::size_t limit);

// A kana and how its keys went.
struct KanaFigures
{
    std::string kana;
    int keys = 0;
    int misses = 0;
};

// The kana with the most misses, most first (ties: more keys first, then
// the kana in byte order), at most limit; kana never missed are left out.
std::vector<KanaFigures> mostMissedKana(std::span<const KeyEvent> keys, std::size_t limit);

// One line of play: a mode and its course, file or mission.
struct Subject
{
    RunMode mode = RunMode::SpeedTest;
    std::string subject;
    bool operator==(const Subject &) const = default;
    // By mode (speed test, practice, mission), then subject.
    bool operator<(const Subject &other) const
    {
        return std::tie(mode, subject) < std::tie(other.mode, other.subject);
    }
};

// A subject that was played, and the title its latest titled run was played
// under (a practice file's; empty for the others and for runs from before
// titles were kept). One whose runs were all left early or had no key is
// still the player's, though it has nothing to chart.
struct SubjectSummary
{
    Subject subject;
    std::string latestTitle;
};

// What the game calls each subject: a practice file by the title its latest
// run was played under (the file name when it had none), told apart by its
// file name where two files share a title; others by their subject.
// One label per subject, in the order given.
std::vector<std::string> subjectLabels(std::span<const SubjectSummary> subjects);

// One point on the progress charts.
struct ProgressPoint
{
    std::int64_t id = 0;
    int number = 0; // 1 for the subject's first complete run
    double keysPerMinute = 0;
    double hitRate = 0;
};

// The progress charts of one subject, fed its runs oldest first: the latest
// complete runs (a run left early or with no key typed says nothing about
// the player's pace), and the best of all of them, however many there were:
// the fastest (ties: the more accurate, then the earlier) and the most
// accurate (ties: the faster, then the earlier).
class ProgressWindow
{
public:
    explicit ProgressWindow(std::size_t size) : m_size(size) {}

    void add(const RunSummary &run);

    // The complete runs added, the ones before the window among them.
    int total() const { return m_total; }
    // The latest of them, oldest first; at most the window's size.
    std::vector<ProgressPoint> points() const { return {m_points.begin(), m_points.end()}; }
    // Id 0 when there was no complete run.
    const ProgressPoint &fastest() const { return m_fastest; }
    const ProgressPoint &mostAccurate() const { return m_accurate; }

private:
    std::size_t m_size;
    std::deque<ProgressPoint> m_points;
    int m_total = 0;
    ProgressPoint m_fastest;
    ProgressPoint m_accurate;
};

} // namespace ks
