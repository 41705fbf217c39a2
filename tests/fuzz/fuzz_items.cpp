// Any bytes a player's problem file may hold: decoding, the item reader, the
// number rule, the practice check and the line builder, for practice and exam
// files alike, must neither crash nor break their capacities.
#include "core/items.h"
#include "core/problemfile.h"
#include "core/romajimatcher.h"
#include "core/textfile.h"
#include "core/utf8.h"
#include "core/kanaproblem.h"

#include <cstdint>
#include <cstdlib>

namespace {

const ks::RomajiTable &table()
{
    static const ks::RomajiTable t = [] {
        ks::RomajiTable made;
        const char *pairs[] = {"か", "ka", "き", "ki", "、", "x", "ん", "n", "ん", "n", "＿", "\\"};
        for (std::size_t i = 0; i < std::size(pairs); ++i)
            made.items[i] = pairs[i];
        return made;
    }();
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    ks::Result<std::string> text = ks::decodeCp932(bytes);
    if (!text)
        return 0;
    ks::Result<std::vector<std::string>> items = ks::parseItems(*text, ks::kPracticeItemCapacity);
    if (!items)
        return 0;
    if (items->size() > ks::kPracticeItemCapacity)
        std::abort();
    for (const std::string &item : *items)
        (void)ks::numberValue(item);
    ks::Result<ks::PracticeProblems> problems = ks::preparePracticeProblems(*items, table());
    if (problems) {
        if (problems->romajiLines.size() > ks::kPracticeLineCapacity)
            std::abort();
        for (const std::string &line : problems->romajiLines) {
            std::string_view remaining = line;
            while (!remaining.empty()) {
                const ks::Utf8Char c = ks::firstUtf8Char(remaining);
                const ks::KeyMatch m = ks::MatchRomajiKey(remaining, c.code);
                if (m.outcome == ks::KeyOutcome::KeyWrong || m.remaining.size() >= remaining.size())
                    std::abort();
                remaining = m.remaining;
            }
        }
    }
    // The same items as an exam file: from item 0, at most 51 phrases.
    const ks::RomajiLines exam = ks::BuildRomajiLines(*items, 0, table(), ks::kExamLineCapacity);
    if (exam.lines.size() > ks::kExamLineCapacity)
        std::abort();
    (void)ks::encodeCp932(*text);
    return 0;
}
