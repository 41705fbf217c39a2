#include "runstats.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <tuple>

namespace ks {

double hitRateOf(int keys, int misses)
{
    if (keys <= 0)
        return 0.0;
    return 100.0 * static_cast<double>(keys - misses) / keys;
}

double keysPerMinuteOf(int hits, std::int64_t durationMs)
{
    if (durationMs <= 0 || hits <= 0)
        return 0.0;
    return static_cast<double>(hits) * 60000.0 / static_cast<double>(durationMs);
}

namespace {

double medianOf(std::vector<std::int32_t> values)
{
    if (values.empty())
        return 0.0;
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1)
        return upper;
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2.0;
}

} // namespace

std::vector<KeyFigures> keyFigures(std::span<const KeyEvent> keys)
{
    struct Tally
    {
        int asked = 0;
        int misses = 0;
        std::vector<std::int32_t> intervals;
    };
    std::map<char32_t, Tally> tallies;
    for (const KeyEvent &key : keys) {
        Tally &tally = tallies[key.expected];
        ++tally.asked;
        if (!key.isHit())
            ++tally.misses;
        else if (key.intervalMs <= kPauseMs)
            tally.intervals.push_back(key.intervalMs);
    }
    std::vector<KeyFigures> figures;
    figures.reserve(tallies.size());
    for (auto &[code, tally] : tallies) {
        KeyFigures f;
        f.key = code;
        f.asked = tally.asked;
        f.misses = tally.misses;
        f.timed = static_cast<int>(tally.intervals.size());
        if (f.timed > 0) {
            f.meanMs =
                std::accumulate(tally.intervals.begin(), tally.intervals.end(), 0.0) / f.timed;
            f.medianMs = medianOf(std::move(tally.intervals));
        }
        figures.push_back(f);
    }
    return figures;
}

std::vector<Confusion> confusions(std::span<const KeyEvent> keys, std::size_t limit)
{
    std::map<std::pair<char32_t, char32_t>, int> counts;
    for (const KeyEvent &key : keys) {
        if (!key.isHit())
            ++counts[{key.expected, key.typed}];
    }
    std::vector<Confusion> out;
    out.reserve(counts.size());
    for (const auto &[pair, count] : counts)
        out.push_back({pair.first, pair.second, count});
    // The map's order breaks the ties: a stable sort keeps it.
    std::stable_sort(out.begin(), out.end(),
                     [](const Confusion &a, const Confusion &b) { return a.count > b.count; });
    if (out.size() > limit)
        out.resize(limit);
    return out;
}

std::vector<KanaFigures> mostMissedKana(std::span<const KeyEvent> keys, std::size_t limit)
{
    std::map<std::string, KanaFigures, std::less<>> byKana;
    for (const KeyEvent &key : keys) {
        if (key.kana.empty())
            continue;
        auto found = byKana.find(key.kana.view());
        if (found == byKana.end())
            found = byKana
                        .emplace(std::string(key.kana.view()),
                                 KanaFigures{std::string(key.kana.view())})
                        .first;
        ++found->second.keys;
        if (!key.isHit())
            ++found->second.misses;
    }
    std::vector<KanaFigures> out;
    for (auto &[kana, figures] : byKana) {
        if (figures.misses > 0)
            out.push_back(std::move(figures));
    }
    std::stable_sort(out.begin(), out.end(), [](const KanaFigures &a, const KanaFigures &b) {
        return std::tie(b.misses, b.keys) < std::tie(a.misses, a.keys);
    });
    if (out.size() > limit)
        out.resize(limit);
    return out;
}

std::vector<Subject> subjectsOf(std::span<const RunSummary> runs)
{
    std::vector<Subject> out;
    for (const RunSummary &run : runs) {
        Subject subject{run.mode, run.subject};
        if (std::find(out.begin(), out.end(), subject) == out.end())
            out.push_back(std::move(subject));
    }
    std::sort(out.begin(), out.end(), [](const Subject &a, const Subject &b) {
        return std::tie(a.mode, a.subject) < std::tie(b.mode, b.subject);
    });
    return out;
}

std::vector<std::string> subjectLabels(std::span<const RunSummary> runs,
                                       std::span<const Subject> subjects)
{
    std::map<std::pair<RunMode, std::string>, std::string> titles;
    for (const RunSummary &run : runs) {
        if (!run.title.empty())
            titles[{run.mode, run.subject}] = run.title; // runs come oldest first
    }
    std::vector<std::string> labels;
    labels.reserve(subjects.size());
    std::map<std::pair<RunMode, std::string>, int> uses;
    for (const Subject &subject : subjects) {
        const auto found = titles.find({subject.mode, subject.subject});
        labels.push_back(found == titles.end() ? subject.subject : found->second);
        ++uses[{subject.mode, labels.back()}];
    }
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        if (labels[i] != subjects[i].subject && uses[{subjects[i].mode, labels[i]}] > 1)
            labels[i] += "（" + subjects[i].subject + "）";
    }
    return labels;
}

std::vector<RunSummary> progressOf(std::span<const RunSummary> runs, const Subject &subject)
{
    std::vector<RunSummary> out;
    for (const RunSummary &run : runs) {
        if (run.isComplete() && run.mode == subject.mode && run.subject == subject.subject)
            out.push_back(run);
    }
    std::stable_sort(out.begin(), out.end(), [](const RunSummary &a, const RunSummary &b) {
        return std::tie(a.startedAtMs, a.id) < std::tie(b.startedAtMs, b.id);
    });
    return out;
}

std::vector<BestRuns> bestRuns(std::span<const RunSummary> runs)
{
    std::vector<BestRuns> out;
    for (const Subject &subject : subjectsOf(runs)) {
        const std::vector<RunSummary> played = progressOf(runs, subject);
        if (played.empty())
            continue;
        // played is oldest first, so a strict comparison keeps the earlier of equals.
        const RunSummary *fastest = &played.front();
        const RunSummary *accurate = &played.front();
        for (const RunSummary &run : played) {
            if (std::pair(run.keysPerMinute(), run.hitRate()) >
                std::pair(fastest->keysPerMinute(), fastest->hitRate()))
                fastest = &run;
            if (std::pair(run.hitRate(), run.keysPerMinute()) >
                std::pair(accurate->hitRate(), accurate->keysPerMinute()))
                accurate = &run;
        }
        out.push_back({subject, fastest->id, accurate->id});
    }
    return out;
}

} // namespace ks
