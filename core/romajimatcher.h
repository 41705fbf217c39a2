#pragma once

#include "romajitable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ks {

inline constexpr std::string_view kProblemStart = "@";
inline constexpr std::string_view kCommaKana = "\u3001"; // 、 is typed as ","

struct RomajiLines
{
    std::vector<std::string> lines; // line k belongs to the k-th "@"
    bool overflow = false;          // more "@" than the capacity; the extra ones were not built

    std::size_t lineCount() const { return lines.size(); }
};

// Kana to the romaji of all its pairs joined in table order: what the line
// builders append for an item. The keys view the table's own strings.
std::unordered_map<std::string_view, std::string> romajiByKana(const RomajiTable &table);

// Turns the items from firstItem on into one romaji line per problem: "@"
// starts a line, "、" adds ",", any other item adds the romaji of every pair
// whose kana is exactly that item, in table order (two pairs for ん give both
// romaji). Items before the first "@" and items matching no pair add nothing.
// The empty-place marker "＿" and the empty kana of a short table are no kana
// and match nothing. At most lineCapacity lines are built.
RomajiLines BuildRomajiLines(const std::vector<std::string> &items, std::size_t firstItem,
                             const RomajiTable &table, std::size_t lineCapacity);

enum class KeyOutcome
{
    KeyWrong,
    KeyAdvanced,
    KeyCompleted
};

struct KeyMatch
{
    KeyOutcome outcome = KeyOutcome::KeyWrong;
    std::string_view remaining; // a tail of the text judged, never a copy
};

// Judges one typed character (after Shift and Caps Lock) against the first
// character of the romaji still to be typed. An empty remaining text has no
// character to match: every key is KeyWrong there and nothing completes, so a
// screen that presents an empty line by mistake cannot finish it by accident.
KeyMatch MatchRomajiKey(std::string_view remaining, char32_t typed);

} // namespace ks
