#include "romajimatcher.h"

#include "utf8.h"

namespace ks {

KeyMatch MatchRomajiKey(std::string_view remaining, char32_t typed)
{
    const Utf8Char first = firstUtf8Char(remaining);
    if (first.bytes == 0 || first.code != typed)
        return {KeyOutcome::KeyWrong, remaining};
    const std::string_view rest = remaining.substr(first.bytes);
    return {rest.empty() ? KeyOutcome::KeyCompleted : KeyOutcome::KeyAdvanced, rest};
}

} // namespace ks
