#pragma once

#include "core/result.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace ksd {

// The teacher's side of the tool: sheets of UTF-8 lines ("display<TAB>reading",
// comments starting with "#"), as any editor on Linux writes them.

// The lines of a sheet, a byte order mark dropped. A sheet is a list of
// problems, so one past the size of any problem file is refused.
ks::Result<std::vector<std::string>> readSheetLines(const std::string &path);

// Comments ("#...") and lines of nothing but blanks hold no problem.
bool isSkippedLine(std::string_view line);

// The bytes to a file, replaced atomically, or to out when there is no path.
ks::Result<void> writeOutput(const std::optional<std::string> &path, std::string_view bytes,
                             std::ostream &out);

// The full-width form of an ASCII character ("3" is "３").
char32_t fullWidth(char32_t ascii);

// A character as an author can find it again: itself and its code point,
// since blanks and control characters are invisible in a message.
std::string showChar(std::string_view text);

} // namespace ksd
