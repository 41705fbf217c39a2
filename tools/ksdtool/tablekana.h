#pragma once

#include "commandline.h"

#include "core/romajitable.h"

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <string_view>

namespace ksd {

// What the two kinds of file differ in, as the game's readers fix it.
struct FileLayout
{
    std::size_t bodyStart = 0;
    std::size_t itemCapacity = 0;
    std::size_t lineCapacity = 0;
};
FileLayout layoutOf(FileKind kind);

// The table's kana, as the romaji builder matches them: the empty-place marker
// and the empty kana of a short table are not kana.
class TableKana
{
public:
    explicit TableKana(const ks::RomajiTable &table);

    bool contains(std::string_view item) const { return m_kana.find(item) != m_kana.end(); }

    // Whether the game types something for the item: a kana or the comma.
    bool isTyped(std::string_view item) const;

    // Bytes of the longest kana that text starts with; 0 when none does. Since
    // the table spells doubled consonants as pairs of their own ("っか"), the
    // longest match keeps "っ" with the kana it doubles.
    std::size_t longestMatch(std::string_view text) const;

private:
    std::set<std::string, std::less<>> m_kana;
    std::size_t m_longest = 0;
};

} // namespace ksd
