// Goals on the development machine: building the lines of a full 1000-item
// exam file at most 1 ms, judging one key at most 100 ns, logging one key
// for the records at most 50 ns; under any-spelling judging, preparing a
// 1000-item file at most 2 ms and judging one key (with its guide) at most
// 1 µs in 99 keys of 100.
#include "core/items.h"
#include "core/problemfile.h"
#include "core/records/runlog.h"
#include "core/romajimatcher.h"
#include "core/romajitable.h"
#include "core/spellingmatcher.h"
#include "core/utf8.h"
#include "core/kanaproblem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>

namespace {

using namespace ks;

const RomajiTable &shippedTable()
{
    static const RomajiTable table = [] {
        Result<RomajiTable> loaded = loadRomajiTableForPlay(KS_DATA_DIR "/roumazi.dat");
        if (!loaded) {
            std::cerr << loaded.error().message() << '\n';
            std::exit(1);
        }
        return *loaded;
    }();
    return table;
}

// 1000 items as a real exam file spreads them: 50 phrases of 19 tokens drawn
// from the whole table, a comma now and then, and a few kanji that match nothing.
std::vector<std::string> thousandItems()
{
    std::vector<std::string> items;
    std::size_t pair = 0;
    while (items.size() < 1000) {
        if (items.size() % 20 == 0) {
            items.emplace_back("@");
        } else if (items.size() % 9 == 0) {
            items.emplace_back("、");
        } else if (items.size() % 13 == 0) {
            items.emplace_back("漢字");
        } else {
            do
                pair = (pair + 37) % kRomajiPairs;
            while (shippedTable().kana(pair) == kEmptyKana);
            items.push_back(shippedTable().kana(pair));
        }
    }
    return items;
}

void BM_BuildRomajiLines(benchmark::State &state)
{
    const std::vector<std::string> items = thousandItems();
    for (auto _ : state) {
        RomajiLines lines = BuildRomajiLines(items, 0, shippedTable(), 1000);
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(items.size()));
}
BENCHMARK(BM_BuildRomajiLines)->Unit(benchmark::kMicrosecond);

// Reading, decoding and tokenising the shipped table: what a play screen pays on load.
void BM_LoadShippedTable(benchmark::State &state)
{
    for (auto _ : state) {
        Result<RomajiTable> table = loadRomajiTableForPlay(KS_DATA_DIR "/roumazi.dat");
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_LoadShippedTable)->Unit(benchmark::kMicrosecond);

// One key press: the typed character against a line of mixed ASCII and kana.
void BM_MatchRomajiKey(benchmark::State &state)
{
    const std::string line = "kyouhaiitenkidesune,ko-hi-wonomimashou.";
    std::string_view remaining = line;
    for (auto _ : state) {
        const KeyMatch match = MatchRomajiKey(remaining, static_cast<char32_t>(remaining[0]));
        remaining = match.remaining.empty() ? std::string_view(line) : match.remaining;
        benchmark::DoNotOptimize(remaining);
    }
}
BENCHMARK(BM_MatchRomajiKey);

void BM_MatchRomajiKeyWrong(benchmark::State &state)
{
    const std::string_view remaining = "ka";
    for (auto _ : state) {
        KeyMatch match = MatchRomajiKey(remaining, U'x');
        benchmark::DoNotOptimize(match);
    }
}
BENCHMARK(BM_MatchRomajiKeyWrong);

// What a screen prepares for any-spelling judging when it loads a file: the
// problems' tokens, and a matcher for every problem (a screen makes one as
// it presents each problem, so this is more than it pays at once).
void BM_PrepareSpellingMatchers(benchmark::State &state)
{
    const std::vector<std::string> items = thousandItems();
    for (auto _ : state) {
        KanaProblems built = BuildKanaProblems(items, 0, shippedTable(), 1000);
        for (const KanaProblem &problem : built.problems) {
            SpellingMatcher matcher(problem);
            benchmark::DoNotOptimize(matcher);
        }
        benchmark::DoNotOptimize(built);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(items.size()));
}
BENCHMARK(BM_PrepareSpellingMatchers)->Unit(benchmark::kMicrosecond);

void BM_BuildKanaProblems(benchmark::State &state)
{
    const std::vector<std::string> items = thousandItems();
    for (auto _ : state) {
        KanaProblems built = BuildKanaProblems(items, 0, shippedTable(), 1000);
        benchmark::DoNotOptimize(built);
    }
}
BENCHMARK(BM_BuildKanaProblems)->Unit(benchmark::kMicrosecond);

// The longest problem the game ships.
KanaProblem longestShippedProblem()
{
    KanaProblem longest;
    Result<std::vector<std::string>> files = listProblemFiles(KS_DATA_DIR "/practice");
    for (const std::string &name : files ? *files : std::vector<std::string>{}) {
        Result<std::vector<std::string>> items =
            ReadProblemItems(KS_DATA_DIR "/practice/" + name, kPracticeItemCapacity);
        if (!items)
            continue;
        for (KanaProblem &problem :
             BuildKanaProblems(*items, kPracticeBodyStart, shippedTable(), kPracticeLineCapacity)
                 .problems) {
            if (tableLine(problem).size() > tableLine(longest).size())
                longest = std::move(problem);
        }
    }
    return longest;
}

// Keys a player might type for the problem: a spelling that leaves the
// table's wherever it can, with a wrong key after every seventh.
std::u32string playerKeys(const KanaProblem &problem)
{
    static constexpr std::string_view keys = "abcdefghijklmnopqrstuvwxyz',.-!?";
    SpellingMatcher matcher(problem);
    std::u32string typed;
    while (!matcher.isCompleted()) {
        const char32_t guided = firstUtf8Char(matcher.guide()).code;
        char32_t chosen = guided;
        for (char key : keys) {
            SpellingMatcher probe = matcher;
            if (static_cast<char32_t>(key) != guided &&
                probe.judge(static_cast<char32_t>(key)) != KeyOutcome::KeyWrong) {
                chosen = static_cast<char32_t>(key);
                break;
            }
        }
        matcher.judge(chosen);
        typed += chosen;
        if (typed.size() % 8 == 7)
            typed += U'Q';
    }
    return typed;
}

// One key on a long practice line under any-spelling judging, and the guide
// the label then shows, timed key by key: the counters give the 99th
// percentile and the worst key. The argument repeats the longest shipped
// problem, for lines longer than any the game ships.
void BM_SpellingMatcherKey(benchmark::State &state)
{
    KanaProblem problem;
    const KanaProblem longest = longestShippedProblem();
    for (int64_t i = 0; i < state.range(0); ++i)
        problem.insert(problem.end(), longest.begin(), longest.end());
    const std::u32string keys = playerKeys(problem);
    std::vector<double> nanoseconds;
    nanoseconds.reserve(1 << 20);
    SpellingMatcher matcher(problem);
    std::size_t next = 0;
    for (auto _ : state) {
        if (next == keys.size()) {
            matcher = SpellingMatcher(problem);
            next = 0;
        }
        const auto start = std::chrono::steady_clock::now();
        const KeyOutcome outcome = matcher.judge(keys[next++]);
        std::string_view guide = matcher.guide();
        benchmark::DoNotOptimize(outcome);
        benchmark::DoNotOptimize(guide);
        const auto end = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double, std::nano>(end - start).count();
        state.SetIterationTime(elapsed * 1e-9);
        if (nanoseconds.size() < nanoseconds.capacity())
            nanoseconds.push_back(elapsed);
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    if (!nanoseconds.empty()) {
        state.counters["p50_ns"] = nanoseconds[nanoseconds.size() / 2];
        state.counters["p99_ns"] = nanoseconds[nanoseconds.size() * 99 / 100];
        state.counters["max_ns"] = nanoseconds.back();
    }
    state.counters["line_chars"] = static_cast<double>(tableLine(problem).size());
}
BENCHMARK(BM_SpellingMatcherKey)->Arg(1)->Arg(4)->UseManualTime();

// What the records add to each key: the key, its kana and its interval go
// into room made when the run began. A run is started afresh outside the
// timing whenever that room is full, so no key is timed growing it.
void BM_RunLogAddKey(benchmark::State &state)
{
    RunLog log(RunMode::Practice, "bench.ksd", 0, 0);
    std::int64_t now = 0;
    for (auto _ : state) {
        if (log.keys().size() == RunLog::kReservedKeys) {
            state.PauseTiming();
            log = RunLog(RunMode::Practice, "bench.ksd", 0, 0);
            state.ResumeTiming();
        }
        now += 180;
        log.addKey(U'k', (now & 0x700) ? U'k' : U'l', "きゃ", now);
    }
    benchmark::DoNotOptimize(log.keys().data());
}
BENCHMARK(BM_RunLogAddKey);

} // namespace

BENCHMARK_MAIN();
