#include "romajimatcher.h"

#include "textfile.h"

namespace ks {

// Looking an item up here gives exactly what scanning the 355 pairs for each
// item would append.
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

RomajiLines BuildRomajiLines(const std::vector<std::string> &items, std::size_t firstItem,
                             const RomajiTable &table, std::size_t lineCapacity)
{
    const auto index = romajiByKana(table);
    RomajiLines result;
    for (std::size_t i = firstItem; i < items.size(); ++i) {
        const std::string &item = items[i];
        if (item == kProblemStart) {
            if (result.lines.size() == lineCapacity) {
                result.overflow = true;
                break;
            }
            result.lines.emplace_back();
            continue;
        }
        if (result.lines.empty())
            continue;
        if (item == kCommaKana) {
            result.lines.back() += ',';
        } else if (const auto found = index.find(item); found != index.end()) {
            result.lines.back() += found->second;
        }
    }
    return result;
}

KeyMatch MatchRomajiKey(std::string_view remaining, char32_t typed)
{
    const Utf8Char first = firstUtf8Char(remaining);
    if (first.bytes == 0 || first.code != typed)
        return {KeyOutcome::KeyWrong, remaining};
    const std::string_view rest = remaining.substr(first.bytes);
    return {rest.empty() ? KeyOutcome::KeyCompleted : KeyOutcome::KeyAdvanced, rest};
}

} // namespace ks
