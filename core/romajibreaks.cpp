#include "romajibreaks.h"
#include "utf8.h"

#include <algorithm>

namespace ks {

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isVowel(char c)
{
    const char l = lower(c);
    return l == 'a' || l == 'i' || l == 'u' || l == 'e' || l == 'o';
}

bool isLetter(char c)
{
    const char l = lower(c);
    return l >= 'a' && l <= 'z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Marks that belong to the syllable before them.
bool isTrailingMark(char c)
{
    return c == '-' || c == ',' || c == '.' || c == '!' || c == '?' || c == '/' || c == '\'';
}

// Bytes of the UTF-8 character that starts with lead (1 for anything that
// is no lead byte, so a broken sequence still moves on).
std::size_t utf8Length(unsigned char lead)
{
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0)
        return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::vector<std::size_t> romajiLineBreaks(std::string_view romaji)
{
    std::vector<std::size_t> breaks;
    const std::size_t size = romaji.size();
    std::size_t start = 0; // where the syllable being read began
    std::size_t at = 0;
    while (at < size) {
        const char c = romaji[at];
        std::size_t end = 0; // the syllable ends before this; 0 while it goes on
        if (isVowel(c)) {
            end = at + 1;
        } else if (lower(c) == 'n' && at == start && at + 1 < size &&
                   lower(romaji[at + 1]) == 'n') {
            end = at + 2;
        } else if (isLetter(c)) {
            ++at;
            continue;
        } else if (isDigit(c)) {
            end = at + 1;
            while (end < size && isDigit(romaji[end]))
                ++end;
        } else {
            end = at + utf8Length(static_cast<unsigned char>(c));
            while (end < size && isContinuation(romaji[end]))
                ++end;
        }
        while (end < size && isTrailingMark(romaji[end]))
            ++end;
        end = std::min(end, size);
        if (end < size)
            breaks.push_back(end);
        start = end;
        at = end;
    }
    return breaks;
}

} // namespace ks
