#include "keyboardlayout.h"

namespace ks {

namespace {

struct RowOfKeys
{
    double indent; // in key widths, from the left edge
    std::u32string_view plain;
    std::u32string_view shifted;
};

std::vector<KeyCap> build(std::initializer_list<RowOfKeys> rows)
{
    std::vector<KeyCap> keys;
    double top = 0;
    for (const RowOfKeys &row : rows) {
        for (std::size_t i = 0; i < row.plain.size(); ++i)
            keys.push_back({QRectF(row.indent + static_cast<double>(i), top, 1, 1), row.plain[i],
                            row.shifted[i]});
        top += 1;
    }
    // The space bar, under the letters from c to m.
    keys.push_back({QRectF(3.75, top, 5.5, 1), U' ', U' '});
    return keys;
}

} // namespace

const std::vector<KeyCap> &keyboardKeys(KeyboardKind kind)
{
    // Each row starts where the keyboard's own row starts: after Tab (1.5
    // keys), Caps Lock (1.75) and Shift (2.25 on US, 2.25 on JIS).
    static const std::vector<KeyCap> jis = build({{0, U"1234567890-^\\", U"!\"#$%&'() =~|"},
                                                  {1.5, U"qwertyuiop@[", U"QWERTYUIOP`{"},
                                                  {1.75, U"asdfghjkl;:]", U"ASDFGHJKL+*}"},
                                                  {2.25, U"zxcvbnm,./\\", U"ZXCVBNM<>?_"}});
    static const std::vector<KeyCap> us = build({{0, U"`1234567890-=", U"~!@#$%^&*()_+"},
                                                 {1.5, U"qwertyuiop[]\\", U"QWERTYUIOP{}|"},
                                                 {1.75, U"asdfghjkl;'", U"ASDFGHJKL:\""},
                                                 {2.25, U"zxcvbnm,./", U"ZXCVBNM<>?"}});
    return kind == KeyboardKind::Jis ? jis : us;
}

std::optional<std::size_t> keyOf(KeyboardKind kind, char32_t c)
{
    const std::vector<KeyCap> &keys = keyboardKeys(kind);
    // JIS has two "\" keys (¥ and ろ); the first, on the number row, is the
    // one a romaji table's "\" is typed on.
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].plain == c || (keys[i].shifted == c && c != U' '))
            return i;
    }
    return std::nullopt;
}

KeyboardKind keyboardKindFor(std::string_view xkbLayouts, std::string_view locale)
{
    if (!xkbLayouts.empty()) {
        const std::string_view first = xkbLayouts.substr(0, xkbLayouts.find(','));
        return first == "jp" ? KeyboardKind::Jis : KeyboardKind::Us;
    }
    return locale.substr(0, 2) == "ja" ? KeyboardKind::Jis : KeyboardKind::Us;
}

} // namespace ks
