#include "tablekana.h"

#include "core/problemfile.h"
#include "core/romajimatcher.h"
#include "core/kanaproblem.h"

#include <algorithm>

namespace ksd {

FileLayout layoutOf(FileKind kind)
{
    if (kind == FileKind::Exam)
        return {0, ks::kExamItemCapacity, ks::kExamLineCapacity};
    return {ks::kPracticeBodyStart, ks::kPracticeItemCapacity, ks::kPracticeLineCapacity};
}

TableKana::TableKana(const ks::RomajiTable &table)
{
    for (std::size_t pair = 0; pair < ks::kRomajiPairs; ++pair) {
        const std::string &kana = table.kana(pair);
        if (kana.empty() || kana == ks::kEmptyKana)
            continue;
        m_kana.insert(kana);
        m_longest = std::max(m_longest, kana.size());
    }
}

bool TableKana::isTyped(std::string_view item) const
{
    return item == ks::kCommaKana || contains(item);
}

std::size_t TableKana::longestMatch(std::string_view text) const
{
    for (std::size_t length = std::min(m_longest, text.size()); length > 0; --length) {
        if (contains(text.substr(0, length)))
            return length;
    }
    return 0;
}

} // namespace ksd
