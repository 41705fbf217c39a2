#pragma once

#include <string_view>

namespace ks {

enum class KeyOutcome
{
    KeyWrong,
    KeyAdvanced,
    KeyCompleted
};

struct KeyMatch
{
    KeyOutcome outcome = KeyOutcome::KeyWrong;
    std::string_view remaining; // a tail of the text judged, never a copy
};

// Judges one typed character (after Shift and Caps Lock) against the first
// character of the romaji still to be typed. An empty remaining text has no
// character to match: every key is KeyWrong there and nothing completes, so a
// screen that presents an empty line by mistake cannot finish it by accident.
KeyMatch MatchRomajiKey(std::string_view remaining, char32_t typed);

} // namespace ks
