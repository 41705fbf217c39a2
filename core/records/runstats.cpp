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

std::vector<std::string> subjectLabels(std::span<const SubjectSummary> subjects)
{
    std::vector<std::string> labels;
    labels.reserve(subjects.size());
    std::map<std::pair<RunMode, std::string>, int> uses;
    for (const SubjectSummary &s : subjects) {
        labels.push_back(s.latestTitle.empty() ? s.subject.subject : s.latestTitle);
        ++uses[{s.subject.mode, labels.back()}];
    }
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        const Subject &subject = subjects[i].subject;
        if (labels[i] != subject.subject && uses[{subject.mode, labels[i]}] > 1)
            labels[i] += "（" + subject.subject + "）";
    }
    return labels;
}

void ProgressWindow::add(const RunSummary &run)
{
    if (!run.isComplete())
        return;
    const ProgressPoint point{run.id, m_total + 1, run.keysPerMinute(), run.hitRate()};
    // Runs come oldest first, so only a strictly better one displaces the
    // best: the earlier of equals stays.
    if (m_total == 0 || std::pair(point.keysPerMinute, point.hitRate) >
                            std::pair(m_fastest.keysPerMinute, m_fastest.hitRate))
        m_fastest = point;
    if (m_total == 0 || std::pair(point.hitRate, point.keysPerMinute) >
                            std::pair(m_accurate.hitRate, m_accurate.keysPerMinute))
        m_accurate = point;
    ++m_total;
    m_points.push_back(point);
    if (m_points.size() > m_size)
        m_points.pop_front();
}

} // namespace ks
