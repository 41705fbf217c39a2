#pragma once

#include "core/romajimatcher.h"
#include "core/utf8.h"

#include <string>
#include <string_view>

namespace ks::test {

// Types keys (UTF-8) one character at a time: "ok" when every key but the
// last advanced and the last completed, else the first thing that went wrong.
template <typename Matcher> std::string typeKeys(Matcher &matcher, std::string_view keys)
{
    for (std::size_t at = 0; at < keys.size();) {
        const Utf8Char key = firstUtf8Char(keys.substr(at));
        const KeyOutcome outcome = matcher.judge(key.code);
        at += key.bytes;
        if (outcome == KeyOutcome::KeyWrong)
            return "wrong key " + std::to_string(at - key.bytes);
        if (outcome == KeyOutcome::KeyCompleted && at < keys.size())
            return "completed at key " + std::to_string(at - key.bytes);
        if (outcome == KeyOutcome::KeyAdvanced && at == keys.size())
            return "unfinished";
    }
    return keys.empty() ? "nothing typed" : "ok";
}

} // namespace ks::test
