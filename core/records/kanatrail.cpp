#include "kanatrail.h"

#include "core/romajimatcher.h"

#include <algorithm>
#include <unordered_map>

namespace ks {

KanaTrail KanaTrail::build(const std::vector<std::string> &items, std::size_t firstItem,
                           const RomajiTable &table, std::size_t lineCapacity)
{
    // A kana with two pairs (ん) is typed as both romaji, in table order.
    std::unordered_map<std::string_view, std::string> romajiOf;
    for (std::size_t pair = 0; pair < kRomajiPairs; ++pair) {
        const std::string &kana = table.kana(pair);
        if (!kana.empty() && kana != kEmptyKana)
            romajiOf[kana] += table.romaji(pair);
    }
    KanaTrail trail;
    for (std::size_t i = firstItem; i < items.size(); ++i) {
        const std::string &item = items[i];
        if (item == kProblemStart) {
            if (trail.m_lines.size() == lineCapacity)
                break;
            trail.m_lines.emplace_back();
            continue;
        }
        if (trail.m_lines.empty())
            continue;
        std::vector<Piece> &line = trail.m_lines.back();
        const std::size_t start = line.empty() ? 0 : line.back().end;
        if (item == kCommaKana) {
            line.push_back({std::string(), start + 1, ","});
        } else if (const auto found = romajiOf.find(item);
                   found != romajiOf.end() && !found->second.empty()) {
            line.push_back({item, start + found->second.size(), found->second});
        }
    }
    return trail;
}

std::string_view KanaTrail::kanaAt(std::size_t line, std::size_t offset) const
{
    if (line >= m_lines.size())
        return {};
    const std::vector<Piece> &pieces = m_lines[line];
    const auto piece = std::upper_bound(pieces.begin(), pieces.end(), offset,
                                        [](std::size_t at, const Piece &p) { return at < p.end; });
    return piece == pieces.end() ? std::string_view() : std::string_view(piece->kana);
}

std::string_view KanaTrail::kanaBefore(std::size_t line, std::size_t remainingBytes) const
{
    if (line >= m_lines.size() || m_lines[line].empty())
        return {};
    const std::size_t length = m_lines[line].back().end;
    if (remainingBytes == 0 || remainingBytes > length)
        return {};
    return kanaAt(line, length - remainingBytes);
}

std::string KanaTrail::romaji(std::size_t line) const
{
    std::string out;
    if (line < m_lines.size()) {
        for (const Piece &piece : m_lines[line])
            out += piece.romaji;
    }
    return out;
}

} // namespace ks
