#pragma once

#include "romajitable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ks {

// The problems of a file as the player types them: the items after each "@",
// each kana item with the romaji the table gives it.

inline constexpr std::string_view kProblemStart = "@";
inline constexpr std::string_view kCommaKana = "\u3001"; // 、 is typed as ","

// One token of a problem: an item of the file and what the romaji table
// gives for it.
struct KanaUnit
{
    std::string kana;        // as the file spells it: "し", "っか", "、", "ー"
    std::string tableRomaji; // never empty: an item the table types as nothing is no unit
};
using KanaProblem = std::vector<KanaUnit>;

struct KanaProblems
{
    std::vector<KanaProblem> problems; // problem k belongs to the k-th "@"
    bool overflow = false;             // more "@" than the capacity; the extra ones were not built

    std::size_t problemCount() const { return problems.size(); }
};

// Kana to the romaji of all its pairs joined in table order: what an item is
// typed as. The keys view the table's own strings.
std::unordered_map<std::string_view, std::string> romajiByKana(const RomajiTable &table);

// Turns the items from firstItem on into one problem per "@": "、" is a unit
// typed ",", any other item a unit typed as the romaji of every pair whose
// kana is exactly that item, in table order (two pairs for ん give both
// romaji). Items before the first "@" and items the table does not type are
// left out. The empty-place marker "＿" and the empty kana of a short table
// are no kana and match nothing. At most capacity problems are built.
KanaProblems BuildKanaProblems(const std::vector<std::string> &items, std::size_t firstItem,
                               const RomajiTable &table, std::size_t capacity);

// The table spellings of a problem joined: the line fixed judging asks for.
std::string tableLine(const KanaProblem &problem);

struct RomajiLines
{
    std::vector<std::string> lines; // line k belongs to the k-th "@"
    bool overflow = false;          // more "@" than the capacity; the extra ones were not built

    std::size_t lineCount() const { return lines.size(); }
};

// One romaji line per problem: the table line of each of BuildKanaProblems'
// problems, with its capacity and overflow.
RomajiLines BuildRomajiLines(const std::vector<std::string> &items, std::size_t firstItem,
                             const RomajiTable &table, std::size_t lineCapacity);

} // namespace ks
