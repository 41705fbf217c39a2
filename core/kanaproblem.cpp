#include "kanaproblem.h"

namespace ks {

// Looking an item up here gives exactly what scanning the 355 pairs for each
// item would give.
std::unordered_map<std::string_view, std::string> romajiByKana(const RomajiTable &table)
{
    std::unordered_map<std::string_view, std::string> index;
    index.reserve(kRomajiPairs);
    for (std::size_t pair = 0; pair < kRomajiPairs; ++pair) {
        const std::string &kana = table.kana(pair);
        if (kana.empty() || kana == kEmptyKana)
            continue;
        index[kana] += table.romaji(pair);
    }
    return index;
}

KanaProblems BuildKanaProblems(const std::vector<std::string> &items, std::size_t firstItem,
                               const RomajiTable &table, std::size_t capacity)
{
    const auto index = romajiByKana(table);
    KanaProblems result;
    for (std::size_t i = firstItem; i < items.size(); ++i) {
        const std::string &item = items[i];
        if (item == kProblemStart) {
            if (result.problems.size() == capacity) {
                result.overflow = true;
                break;
            }
            result.problems.emplace_back();
            continue;
        }
        if (result.problems.empty())
            continue;
        if (item == kCommaKana) {
            result.problems.back().push_back({item, ","});
        } else if (const auto found = index.find(item);
                   found != index.end() && !found->second.empty()) {
            result.problems.back().push_back({item, found->second});
        }
    }
    return result;
}

std::string tableLine(const KanaProblem &problem)
{
    std::string line;
    for (const KanaUnit &unit : problem)
        line += unit.tableRomaji;
    return line;
}

RomajiLines BuildRomajiLines(const std::vector<std::string> &items, std::size_t firstItem,
                             const RomajiTable &table, std::size_t lineCapacity)
{
    const KanaProblems problems = BuildKanaProblems(items, firstItem, table, lineCapacity);
    RomajiLines result;
    result.overflow = problems.overflow;
    result.lines.reserve(problems.problemCount());
    for (const KanaProblem &problem : problems.problems)
        result.lines.push_back(tableLine(problem));
    return result;
}

} // namespace ks
