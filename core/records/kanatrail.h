#pragma once

#include "core/romajitable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// Which kana each romaji character of a problem is typed for, so a judged
// key can be logged with its kana: the romaji lines are one string per
// problem and keep no trace of the items they were built from. Built by the
// same rules as BuildRomajiLines, from the same items and table.
class KanaTrail
{
public:
    static KanaTrail build(const std::vector<std::string> &items, std::size_t firstItem,
                           const RomajiTable &table, std::size_t lineCapacity);

    // The kana of the romaji character at byte offset of line's romaji, or
    // empty ("、" and characters past the line have none).
    std::string_view kanaAt(std::size_t line, std::size_t offset) const;
    // The same, for the character that begins what is still to be typed:
    // offset = line's romaji length − remaining length.
    std::string_view kanaBefore(std::size_t line, std::size_t remainingBytes) const;

    // The romaji line as the trail spells it; equals BuildRomajiLines' line.
    std::string romaji(std::size_t line) const;
    std::size_t lineCount() const { return m_lines.size(); }

private:
    struct Piece
    {
        std::string kana;    // empty for the comma of "、"
        std::size_t end = 0; // byte offset just past this piece's romaji
        std::string romaji;
    };
    std::vector<std::vector<Piece>> m_lines;
};

} // namespace ks
