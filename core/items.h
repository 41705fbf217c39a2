#pragma once

#include "result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// Reads the item stream shared by the romaji table and the problem files.
//
// - An item ends at a comma or at a line end (CR LF, LF or a lone CR).
// - Blanks (space, tab) before an item are skipped, and so are blanks after an
//   unquoted item. The ideographic space is text, not a blank.
// - A line that holds nothing but blanks gives no item, so blank lines and a
//   final line end never add empty items.
// - A comma right before a line end or the end of the text starts no item:
//   "a,b," is two items. Two commas in a row do give an empty item: "a,,b" is three.
// - An item that begins with a double quote runs to the next double quote and
//   the quotes are dropped; commas inside belong to the item. Text after the
//   closing quote, up to the next comma or line end, is kept on the item.
//   A quoted item never runs past its line: a missing closing quote ends at the line end.
//   "" is an empty item.
// - A double quote inside an unquoted item is an ordinary character.
//
// More than capacity items is TooManyItems: the readers' stores are fixed.
Result<std::vector<std::string>> parseItems(std::string_view text, std::size_t capacity);

// The number an item stands for: its leading decimal number (optional sign,
// digits, optional fraction), or 0 when it does not start with one.
// " -12.5kg" is -12.5, "abc" is 0, ".5" is 0.5.
double numberValue(std::string_view item);

} // namespace ks
