// Random problems and random keys under any-spelling judging: nothing may
// crash, a wrong key changes nothing, and the guide is always a way to the
// end: typing it completes the problem on its last key and not before.
#include "core/spellingmatcher.h"
#include "core/utf8.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Tokens a problem file may hold, kana of every kind and marks, with a
// table spelling each; some spellings are a player's own odd ones.
constexpr std::pair<std::string_view, std::string_view> kTokens[] = {
    {"あ", "a"},       {"い", "i"},      {"う", "u"},     {"か", "ka"},    {"し", "shi"},
    {"ち", "chi"},     {"つ", "tsu"},    {"な", "na"},    {"に", "ni"},    {"ふ", "fu"},
    {"や", "ya"},      {"ゆ", "yu"},     {"わ", "wa"},    {"を", "wo"},    {"ん", "nn"},
    {"ん", "n"},       {"じ", "ji"},     {"ぢ", "di"},    {"ぁ", "la"},    {"ぃ", "li"},
    {"ぇ", "le"},      {"ゃ", "lya"},    {"ょ", "lyo"},   {"っ", "ltu"},   {"ゎ", "lwa"},
    {"きゃ", "kya"},   {"しゃ", "sha"},  {"ちゅ", "chu"}, {"じょ", "jo"},  {"てぃ", "thi"},
    {"ふぁ", "fa"},    {"うぃ", "wi"},   {"ヴ", "vu"},    {"ヴぁ", "va"},  {"っか", "kka"},
    {"っし", "sshi"},  {"っち", "cchi"}, {"っな", "nna"}, {"っや", "yya"}, {"っきゃ", "kkya"},
    {"っじゃ", "jja"}, {"ー", "-"},      {"、", ","},     {"。", "."},     {"０", "0"},
    {"カ", "ka"},      {"し", "si"},     {"か", "xyz"},   {"ん", "n'"},    {"ー", "ー"},
};
constexpr std::size_t kTokenCount = sizeof kTokens / sizeof kTokens[0];

constexpr std::string_view kKeys = "abcdefghijklmnopqrstuvwxyz'-,.0nnxltyK";

void check(bool holds)
{
    if (!holds)
        std::abort();
}

// Types the guide on a copy: every key right, the last one completing.
void guideLeadsToTheEnd(const ks::SpellingMatcher &matcher)
{
    ks::SpellingMatcher copy = matcher;
    std::string_view guide = matcher.guide();
    const std::string keys(guide);
    std::string_view rest = keys;
    check(!rest.empty());
    while (!rest.empty()) {
        const ks::Utf8Char key = ks::firstUtf8Char(rest);
        rest.remove_prefix(key.bytes);
        const ks::KeyOutcome outcome = copy.judge(key.code);
        check(outcome ==
              (rest.empty() ? ks::KeyOutcome::KeyCompleted : ks::KeyOutcome::KeyAdvanced));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t units = data[0] % 24;
    if (size < 1 + units)
        return 0;
    ks::KanaProblem problem;
    for (std::size_t i = 0; i < units; ++i) {
        const auto &[kana, romaji] = kTokens[data[1 + i] % kTokenCount];
        problem.push_back({std::string(kana), std::string(romaji)});
    }

    ks::SpellingMatcher byTable(problem);
    const std::string line = ks::tableLine(problem);
    check(byTable.guide() == line);
    if (!line.empty())
        guideLeadsToTheEnd(byTable);

    ks::SpellingMatcher matcher(problem);
    std::size_t keys = 0;
    for (std::size_t i = 1 + units; i < size && keys < 64; ++i, ++keys) {
        // Mostly keys of romaji, now and then another character ("ー" for 0xFF).
        char32_t key = data[i] < 0x80 ? static_cast<char32_t>(kKeys[data[i] % kKeys.size()])
                                      : static_cast<char32_t>(data[i]);
        if (data[i] == 0xFF)
            key = U'ー';
        const std::string guide(matcher.guide());
        const std::string typed(matcher.typed());
        const std::size_t unit = matcher.unitIndex();
        const bool completed = matcher.isCompleted();
        const ks::KeyOutcome outcome = matcher.judge(key);
        if (outcome == ks::KeyOutcome::KeyWrong) {
            check(matcher.guide() == guide && matcher.typed() == typed &&
                  matcher.unitIndex() == unit && matcher.isCompleted() == completed);
            continue;
        }
        check(!completed);
        check(matcher.typed().size() > typed.size());
        if (outcome == ks::KeyOutcome::KeyCompleted) {
            check(matcher.isCompleted() && matcher.guide().empty() &&
                  matcher.unitIndex() == problem.size());
        } else {
            check(!matcher.isCompleted() && matcher.unitIndex() < problem.size());
            guideLeadsToTheEnd(matcher);
        }
    }
    return 0;
}
