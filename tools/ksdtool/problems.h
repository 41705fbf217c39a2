#pragma once

#include "commandline.h"

#include "core/items.h"
#include "core/problemfile.h"
#include "core/result.h"
#include "core/romajitable.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ksd {

// What the two kinds of file differ in, as the game's readers fix it.
struct FileLayout
{
    std::size_t bodyStart = 0;
    std::size_t itemCapacity = 0;
    std::size_t lineCapacity = 0;
};

inline FileLayout layoutOf(FileKind kind)
{
    if (kind == FileKind::Exam)
        return {0, ks::kExamItemCapacity, ks::kExamLineCapacity};
    return {ks::kPracticeBodyStart, ks::kPracticeItemCapacity, ks::kPracticeLineCapacity};
}

inline constexpr std::size_t kProblemCountItem = 5;
inline constexpr std::size_t kTimeLimitItem = 7;

inline bool timeLimitIsZero(const std::vector<std::string> &items)
{
    return ks::timeLimitIsUnplayable(items);
}

inline std::string zeroTimeLimitMessage(const std::vector<std::string> &items)
{
    return ks::Error{ks::ErrorCode::UnplayableTimeLimit,
                     std::to_string(kTimeLimitItem) + " 番の項目「" +
                         ks::practiceHeader(items).timeLimit + "」"}
        .message();
}

// The table's kana, as the romaji builder matches them: the empty-place marker
// and the empty kana of a short table are not kana.
class TableKana
{
public:
    explicit TableKana(const ks::RomajiTable &table)
    {
        for (std::size_t pair = 0; pair < ks::kRomajiPairs; ++pair) {
            const std::string &kana = table.kana(pair);
            if (kana.empty() || kana == ks::kEmptyKana)
                continue;
            m_kana.insert(kana);
            m_longest = std::max(m_longest, kana.size());
        }
    }

    bool contains(std::string_view item) const { return m_kana.find(item) != m_kana.end(); }

    // Whether the game types something for the item: a kana or the comma.
    bool isTyped(std::string_view item) const { return item == ks::kCommaKana || contains(item); }

    // Bytes of the longest kana that text starts with; 0 when none does. Since
    // the table spells doubled consonants as pairs of their own ("っか"), the
    // longest match keeps "っ" with the kana it doubles.
    std::size_t longestMatch(std::string_view text) const
    {
        for (std::size_t length = std::min(m_longest, text.size()); length > 0; --length) {
            if (contains(text.substr(0, length)))
                return length;
        }
        return 0;
    }

private:
    std::set<std::string, std::less<>> m_kana;
    std::size_t m_longest = 0;
};

} // namespace ksd
