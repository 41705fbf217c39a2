// Goals on the development machine: building the lines of a full 1000-item
// exam file at most 1 ms, judging one key at most 100 ns, logging one key
// for the records at most 50 ns.
#include "core/items.h"
#include "core/problemfile.h"
#include "core/records/kanatrail.h"
#include "core/records/runlog.h"
#include "core/romajimatcher.h"
#include "core/romajitable.h"
#include "core/textfile.h"

#include <benchmark/benchmark.h>

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

// Finding a key's kana from what is left to type, as a play screen would.
void BM_KanaTrailLookup(benchmark::State &state)
{
    const std::vector<std::string> items = thousandItems();
    const KanaTrail trail = KanaTrail::build(items, 0, shippedTable(), 1000);
    const std::string line = trail.romaji(3);
    std::size_t remaining = line.size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(trail.kanaBefore(3, remaining));
        remaining = remaining > 1 ? remaining - 1 : line.size();
    }
}
BENCHMARK(BM_KanaTrailLookup);

} // namespace

BENCHMARK_MAIN();
