#include "spellingmatcher.h"

#include "imeromaji.h"
#include "utf8.h"

#include <algorithm>

namespace ks {

namespace {

// A symbol that is no kana: a whole unit typed as the table says.
constexpr char32_t kOpaque = 0;
constexpr std::uint32_t kNoOffset = UINT32_MAX;

// The unit's kana as hiragana the input methods know, or empty when any
// character of it is none ("ー", "、", "０", a kanji).
std::vector<char32_t> imeKanaOf(std::string_view kana)
{
    std::vector<char32_t> symbols;
    while (!kana.empty()) {
        const Utf8Char c = firstUtf8Char(kana);
        kana.remove_prefix(c.bytes);
        const char32_t hiragana = toHiragana(c.code);
        if (!isImeKana(hiragana))
            return {};
        symbols.push_back(hiragana);
    }
    return symbols;
}

std::bitset<128> keysThatStopSingleN()
{
    std::bitset<128> keys;
    for (char32_t c = 0; c < 128; ++c) {
        if (!continuesSingleN(c))
            keys.set(c);
    }
    return keys;
}

std::bitset<128> doublingConsonants()
{
    std::bitset<128> keys;
    for (char32_t c = 0; c < 128; ++c) {
        if (isDoublingConsonant(c))
            keys.set(c);
    }
    return keys;
}

} // namespace

SpellingMatcher::SpellingMatcher() : SpellingMatcher(KanaProblem{}) {}

SpellingMatcher::SpellingMatcher(const KanaProblem &problem) : m_unitCount(problem.size())
{
    // Symbols: each kana of a kana unit, or a whole unit that is no kana.
    std::vector<char32_t> symbols;
    std::vector<const KanaUnit *> unitAt; // per symbol: the unit starting there
    std::vector<std::uint32_t> unitEnd;   // per symbol: the node after that unit
    for (std::size_t u = 0; u < problem.size(); ++u) {
        const KanaUnit &unit = problem[u];
        std::vector<char32_t> kana = imeKanaOf(unit.kana);
        // A unit the table types as nothing has nothing to type unless it is kana.
        if (kana.empty() && unit.tableRomaji.empty())
            continue;
        if (kana.empty())
            kana.push_back(kOpaque);
        const auto start = static_cast<std::uint32_t>(symbols.size());
        const auto end = static_cast<std::uint32_t>(start + kana.size());
        for (std::size_t k = 0; k < kana.size(); ++k) {
            symbols.push_back(kana[k]);
            unitAt.push_back(k == 0 ? &unit : nullptr);
            unitEnd.push_back(end);
            m_unitOf.push_back(static_cast<std::uint32_t>(u));
        }
    }
    m_end = static_cast<std::uint32_t>(symbols.size());

    // Where the run of kana a symbol belongs to ends: the input method's
    // spellings never reach across a unit that is no kana.
    std::vector<std::uint32_t> runEnd(m_end);
    for (std::uint32_t i = m_end; i-- > 0;) {
        const bool kana = symbols[i] != kOpaque;
        const bool nextIsKana = i + 1 < m_end && symbols[i + 1] != kOpaque;
        runEnd[i] = kana && nextIsKana ? runEnd[i + 1] : i + 1;
    }

    // Edges only run forward, so the keys each node can go on with are known
    // for every later node when a node is built from the end backwards.
    m_edgesBegin.assign(m_end + 1, 0);
    m_edgesEnd.assign(m_end + 1, 0);
    m_nextKeys.assign(m_end + 1, NextKeys{});
    for (std::uint32_t node = m_end; node-- > 0;)
        buildNode(node, symbols, runEnd, unitAt, unitEnd);

    // The preferred spelling of the whole problem, the table's wherever it
    // has one: what the guide shows before the first key.
    m_chainOffset.assign(m_end + 1, kNoOffset);
    std::uint32_t node = 0;
    while (node < m_end) {
        m_chainOffset[node] = static_cast<std::uint32_t>(m_chain.size());
        const auto first =
            std::find_if(m_edges.begin() + m_edgesBegin[node], m_edges.begin() + m_edgesEnd[node],
                         [](const Edge &e) { return e.bytes > 0 && e.follow == Follow::AnyKey; });
        if (first == m_edges.begin() + m_edgesEnd[node])
            break;
        m_chain += spellingOf(*first);
        node = first->to;
    }
    if (node == m_end)
        m_chainOffset[m_end] = static_cast<std::uint32_t>(m_chain.size());

    m_cursors.reserve(32);
    m_next.reserve(32);
    if (m_end > 0)
        m_cursors.push_back(Cursor{Cursor::kOnNode, 0, Follow::AnyKey, 0});
    m_guide = m_chain;
}

void SpellingMatcher::buildNode(std::uint32_t node, const std::vector<char32_t> &symbols,
                                const std::vector<std::uint32_t> &runEnd,
                                const std::vector<const KanaUnit *> &unitAt,
                                const std::vector<std::uint32_t> &unitEnd)
{
    // In order of preference: the table's spelling of the unit starting here,
    // then the input method's, longest kana first.
    std::vector<Edge> edges;
    if (const KanaUnit *unit = unitAt[node]; unit && !unit->tableRomaji.empty())
        addEdge(edges, Edge{node, unitEnd[node]}, unit->tableRomaji);
    const char32_t symbol = symbols[node];
    if (symbol != kOpaque) {
        const std::uint32_t longest = std::min<std::uint32_t>(
            static_cast<std::uint32_t>(kLongestImeKana), runEnd[node] - node);
        for (std::uint32_t length = longest; length > 0; --length) {
            std::string kana;
            for (std::uint32_t i = 0; i < length; ++i)
                appendUtf8(kana, symbols[node + i]);
            for (const std::string &spelling : imeSpellings(kana))
                addEdge(edges, Edge{node, node + length}, spelling);
        }
        if (symbol == kHiraganaN)
            addEdge(edges, Edge{node, node + 1, 0, 0, 0, Follow::NoKeyAfterSingleN}, "n");
        if (symbol == kHiraganaSmallTsu && node + 1 < runEnd[node])
            edges.push_back(Edge{node, node + 1, 0, 0, 0, Follow::SameKey});
    }

    NextKeys &keys = m_nextKeys[node];
    m_edgesBegin[node] = static_cast<std::uint32_t>(m_edges.size());
    for (const Edge &edge : edges) {
        if (edge.bytes == 0) {
            const std::bitset<128> doubled = doublingKeys(edge);
            if (doubled.none())
                continue;
            keys.ascii |= doubled;
        } else {
            if (!canFollow(edge.to, edge.follow))
                continue;
            if (edge.first < 128)
                keys.ascii.set(edge.first);
            else
                keys.other = true;
        }
        m_edges.push_back(edge);
    }
    m_edgesEnd[node] = static_cast<std::uint32_t>(m_edges.size());
}

void SpellingMatcher::addEdge(std::vector<Edge> &edges, Edge edge, std::string_view spelling)
{
    // The input method often spells a unit as the table does: one edge will do.
    for (const Edge &other : edges) {
        if (other.to == edge.to && other.follow == edge.follow && other.bytes > 0 &&
            spellingOf(other) == spelling)
            return;
    }
    edge.spelling = static_cast<std::uint32_t>(m_spellings.size());
    edge.bytes = static_cast<std::uint32_t>(spelling.size());
    edge.first = firstUtf8Char(spelling).code;
    m_spellings += spelling;
    edges.push_back(edge);
}

namespace {

bool keyAllowed(char32_t key, bool afterSingleN, char32_t sameKey)
{
    if (afterSingleN)
        return continuesSingleN(key);
    return sameKey == 0 || key == sameKey;
}

} // namespace

bool SpellingMatcher::canFollow(std::uint32_t node, Follow follow) const
{
    if (node == m_end)
        return follow == Follow::AnyKey;
    const NextKeys &keys = m_nextKeys[node];
    if (follow == Follow::NoKeyAfterSingleN) {
        static const std::bitset<128> stops = keysThatStopSingleN();
        return keys.other || (keys.ascii & ~stops).any();
    }
    return keys.other || keys.ascii.any();
}

std::bitset<128> SpellingMatcher::doublingKeys(const Edge &edge) const
{
    static const std::bitset<128> consonants = doublingConsonants();
    return m_nextKeys[edge.to].ascii & consonants;
}

std::string_view SpellingMatcher::spellingOf(const Edge &edge) const
{
    return std::string_view(m_spellings).substr(edge.spelling, edge.bytes);
}

void SpellingMatcher::push(std::vector<Cursor> &out, const Cursor &cursor)
{
    if (std::find(out.begin(), out.end(), cursor) == out.end())
        out.push_back(cursor);
}

void SpellingMatcher::enter(const Edge &edge, std::uint32_t index, char32_t typed,
                            std::vector<Cursor> &out) const
{
    if (edge.bytes == 0) {
        if (typed < 128 && doublingKeys(edge).test(typed))
            push(out, Cursor{Cursor::kOnNode, edge.to, Follow::SameKey, typed});
        return;
    }
    if (edge.first != typed)
        return;
    const std::size_t bytes = firstUtf8Char(spellingOf(edge)).bytes;
    if (bytes == edge.bytes)
        push(out, Cursor{Cursor::kOnNode, edge.to, edge.follow, 0});
    else
        push(out, Cursor{index, static_cast<std::uint32_t>(bytes), Follow::AnyKey, 0});
}

void SpellingMatcher::step(const Cursor &cursor, char32_t typed, std::vector<Cursor> &out) const
{
    if (cursor.edge != Cursor::kOnNode) {
        const Edge &edge = m_edges[cursor.edge];
        const Utf8Char next = firstUtf8Char(spellingOf(edge).substr(cursor.at));
        if (next.code != typed)
            return;
        const auto at = static_cast<std::uint32_t>(cursor.at + next.bytes);
        if (at == edge.bytes)
            push(out, Cursor{Cursor::kOnNode, edge.to, edge.follow, 0});
        else
            push(out, Cursor{cursor.edge, at, Follow::AnyKey, 0});
        return;
    }
    const std::uint32_t node = cursor.at;
    if (node == m_end || !keyAllowed(typed, cursor.follow == Follow::NoKeyAfterSingleN, cursor.key))
        return;
    for (std::uint32_t i = m_edgesBegin[node]; i < m_edgesEnd[node]; ++i)
        enter(m_edges[i], i, typed, out);
}

KeyOutcome SpellingMatcher::judge(char32_t typed)
{
    if (m_completed || m_cursors.empty())
        return KeyOutcome::KeyWrong;
    m_next.clear();
    for (const Cursor &cursor : m_cursors)
        step(cursor, typed, m_next);
    if (m_next.empty())
        return KeyOutcome::KeyWrong;
    appendUtf8(m_typed, typed);
    const Cursor done{Cursor::kOnNode, m_end, Follow::AnyKey, 0};
    if (std::find(m_next.begin(), m_next.end(), done) != m_next.end()) {
        m_completed = true;
        m_cursors.clear();
        m_guide.clear();
        return KeyOutcome::KeyCompleted;
    }
    m_cursors.swap(m_next);
    updateGuide();
    return KeyOutcome::KeyAdvanced;
}

void SpellingMatcher::complete(std::uint32_t node, Follow follow, char32_t key,
                               std::string &out) const
{
    while (node < m_end) {
        if (follow == Follow::AnyKey && m_chainOffset[node] != kNoOffset) {
            out.append(m_chain, m_chainOffset[node]);
            return;
        }
        const bool afterSingleN = follow == Follow::NoKeyAfterSingleN;
        const char32_t sameKey = follow == Follow::SameKey ? key : 0;
        const Edge *chosen = nullptr;
        const Edge *doubling = nullptr;
        for (std::uint32_t i = m_edgesBegin[node]; i < m_edgesEnd[node] && !chosen; ++i) {
            const Edge &edge = m_edges[i];
            if (edge.bytes == 0)
                doubling = &edge;
            else if (keyAllowed(edge.first, afterSingleN, sameKey))
                chosen = &edge;
        }
        if (chosen) {
            out += spellingOf(*chosen);
            node = chosen->to;
            follow = chosen->follow;
            key = 0;
            continue;
        }
        if (!doubling)
            return;
        // Only a doubled consonant goes on from here (a "っ" after another
        // doubled one): double what the preferred spelling after it starts with.
        const std::bitset<128> keys = doublingKeys(*doubling);
        char32_t doubled = 0;
        for (std::uint32_t i = m_edgesBegin[doubling->to];
             i < m_edgesEnd[doubling->to] && doubled == 0; ++i) {
            const char32_t first = m_edges[i].first;
            if (m_edges[i].bytes > 0 && first < 128 && keys.test(first) &&
                keyAllowed(first, afterSingleN, sameKey))
                doubled = first;
        }
        for (char32_t c = 0; c < 128 && doubled == 0; ++c) {
            if (keys.test(c) && keyAllowed(c, afterSingleN, sameKey))
                doubled = c;
        }
        if (doubled == 0)
            return;
        appendUtf8(out, doubled);
        node = doubling->to;
        follow = Follow::SameKey;
        key = doubled;
    }
}

void SpellingMatcher::updateGuide()
{
    m_guide.clear();
    const Cursor &best = m_cursors.front();
    if (best.edge == Cursor::kOnNode) {
        complete(best.at, best.follow, best.key, m_guide);
        return;
    }
    const Edge &edge = m_edges[best.edge];
    m_guide += spellingOf(edge).substr(best.at);
    complete(edge.to, edge.follow, 0, m_guide);
}

std::size_t SpellingMatcher::unitIndex() const
{
    if (m_completed || m_cursors.empty())
        return m_unitCount;
    const Cursor &best = m_cursors.front();
    const std::uint32_t node = best.edge == Cursor::kOnNode ? best.at : m_edges[best.edge].from;
    return node < m_end ? m_unitOf[node] : m_unitCount;
}

} // namespace ks
