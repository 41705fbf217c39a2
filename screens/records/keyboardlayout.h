#pragma once

#include <QRectF>

#include <optional>
#include <string_view>
#include <vector>

namespace ks {

enum class KeyboardKind
{
    Jis,
    Us,
};

// One key of the picture: where it lies, in key widths from the top left of
// the number row, and the characters it types without and with Shift.
struct KeyCap
{
    QRectF place;
    char32_t plain = 0;
    char32_t shifted = 0;
};

// The keys a romaji player types, on a JIS or a US keyboard: the number row,
// the three letter rows and the space bar. Modifier keys are left out.
const std::vector<KeyCap> &keyboardKeys(KeyboardKind kind);

// The key that types c (a capital on its letter key), or none.
std::optional<std::size_t> keyOf(KeyboardKind kind, char32_t c);

// The player's keyboard as far as it can be told: the X keyboard layouts
// ("jp", or "us,jp": the first is the one in use), else the locale ("ja_JP"
// has JIS keyboards); US when neither tells.
KeyboardKind keyboardKindFor(std::string_view xkbLayouts, std::string_view locale);

} // namespace ks
