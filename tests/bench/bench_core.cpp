// Goals on the development machine: building the lines of a full 1000-item
// exam file at most 1 ms, judging one key at most 100 ns.
#include "core/items.h"
#include "core/problemfile.h"
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

} // namespace

BENCHMARK_MAIN();
