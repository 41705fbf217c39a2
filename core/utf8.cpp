#include "utf8.h"

namespace ks {

bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const Utf8Char c = firstUtf8Char(text);
        // Overlong forms and surrogates are no UTF-8 an editor writes.
        const bool overlong = (c.bytes == 2 && c.code < 0x80) || (c.bytes == 3 && c.code < 0x800) ||
                              (c.bytes == 4 && c.code < 0x10000);
        if ((c.code == 0xFFFD && c.bytes == 1) || overlong || c.code > 0x10FFFF ||
            (c.code >= 0xD800 && c.code <= 0xDFFF))
            return false;
        text.remove_prefix(c.bytes);
    }
    return true;
}

std::size_t utf8Length(std::string_view text)
{
    std::size_t count = 0;
    while (!text.empty()) {
        text.remove_prefix(firstUtf8Char(text).bytes);
        ++count;
    }
    return count;
}

Utf8Char firstUtf8Char(std::string_view text)
{
    if (text.empty())
        return {};
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return {0xFFFD, 1};
    }
    if (text.size() < length)
        return {0xFFFD, 1};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {0xFFFD, 1};
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return {code, length};
}

void appendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += "\uFFFD";
    }
}

std::string utf8Of(char32_t code)
{
    std::string out;
    appendUtf8(out, code);
    return out;
}

} // namespace ks
