#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ks {

// The game's text is UTF-8 in memory, whatever the files hold: these are the
// few things the core needs to know about it.

// Whether text is well-formed UTF-8 throughout.
bool isValidUtf8(std::string_view text);

// Number of characters (code points) of a UTF-8 string.
std::size_t utf8Length(std::string_view text);

// The first character of a UTF-8 string and its length in bytes; an invalid
// byte counts as one character of its own (U+FFFD), so this never overruns.
struct Utf8Char
{
    char32_t code = 0;
    std::size_t bytes = 0;
};
Utf8Char firstUtf8Char(std::string_view text);

// A character as UTF-8 ("k", "、"); one beyond Unicode as U+FFFD.
void appendUtf8(std::string &out, char32_t code);
std::string utf8Of(char32_t code);

} // namespace ks
