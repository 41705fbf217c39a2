#pragma once

#include "kanaproblem.h"
#include "romajimatcher.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// Judges keys against every spelling of a problem that the romaji of a
// Japanese input method allows (imeromaji.h), and against the table's own
// spelling of each unit, so a player's own romaji keep working. A key is right
// when some spelling of the whole rest of the problem goes on with it, so a
// right key never leads where no spelling can finish.
//
// The input method reads kana, not tokens: a spelling may run across units
// ("き", "ゃ" typed "kya") or split one ("っか" typed "ltuka").
//
// One per problem presented; a new problem gets a new matcher.
class SpellingMatcher
{
public:
    // A matcher with nothing to type: every key is wrong.
    SpellingMatcher();
    explicit SpellingMatcher(const KanaProblem &problem);

    // As MatchRomajiKey: KeyAdvanced, KeyCompleted on the key that finishes a
    // spelling of the whole problem, KeyWrong leaving everything as it was.
    // After completion every key is wrong.
    KeyOutcome judge(char32_t typed);

    // What the romaji label shows: the rest of the spelling the player's keys
    // have chosen, and where they leave a choice, the table's spelling.
    std::string_view guide() const { return m_guide; }
    // The keys judged right so far: the player's spelling up to here.
    std::string_view typed() const { return m_typed; }
    // The unit the next key belongs to; the number of units once completed.
    std::size_t unitIndex() const;
    bool isCompleted() const { return m_completed; }

private:
    // What the key after an edge must be: "ん" as a single "n" allows no key
    // that would carry the n on, a doubled consonant only the same one again.
    enum class Follow : std::uint8_t
    {
        AnyKey,
        NoKeyAfterSingleN,
        SameKey
    };

    // A way to type the kana between two nodes: symbol boundaries, where
    // symbol i is one kana or one unit that is no kana.
    struct Edge
    {
        std::uint32_t from = 0;
        std::uint32_t to = 0;
        std::uint32_t spelling = 0; // offset into m_spellings
        std::uint32_t bytes = 0;    // 0: "っ" as the doubled first key of what follows
        char32_t first = 0;
        Follow follow = Follow::AnyKey;
    };

    // Keys a node can go on with (some spelling of the rest starts with them).
    struct NextKeys
    {
        std::bitset<128> ascii;
        bool other = false;
    };

    // A place in some spelling: inside an edge, or on a node before the next.
    struct Cursor
    {
        static constexpr std::uint32_t kOnNode = UINT32_MAX;
        std::uint32_t edge = kOnNode;
        std::uint32_t at = 0; // inside an edge: bytes typed; on a node: the node
        Follow follow = Follow::AnyKey;
        char32_t key = 0; // the key a SameKey follow asks for

        bool operator==(const Cursor &) const = default;
    };

    void buildNode(std::uint32_t node, const std::vector<char32_t> &symbols,
                   const std::vector<std::uint32_t> &runEnd,
                   const std::vector<const KanaUnit *> &unitAt,
                   const std::vector<std::uint32_t> &unitEnd);
    void addEdge(std::vector<Edge> &edges, Edge edge, std::string_view spelling);
    bool canFollow(std::uint32_t node, Follow follow) const;
    std::bitset<128> doublingKeys(const Edge &edge) const;
    void step(const Cursor &cursor, char32_t typed, std::vector<Cursor> &out) const;
    void enter(const Edge &edge, std::uint32_t index, char32_t typed,
               std::vector<Cursor> &out) const;
    static void push(std::vector<Cursor> &out, const Cursor &cursor);
    std::string_view spellingOf(const Edge &edge) const;
    void complete(std::uint32_t node, Follow follow, char32_t key, std::string &out) const;
    void updateGuide();

    std::uint32_t m_end = 0; // the node after the last symbol
    std::string m_spellings;
    std::vector<Edge> m_edges;               // grouped by node, the preferred first
    std::vector<std::uint32_t> m_edgesBegin; // per node, into m_edges
    std::vector<std::uint32_t> m_edgesEnd;   // per node
    std::vector<NextKeys> m_nextKeys;        // per node
    std::vector<std::uint32_t> m_unitOf;     // per symbol
    std::vector<std::uint32_t>
        m_chainOffset;   // per node: where its table spelling starts in m_chain
    std::string m_chain; // the preferred spelling from node 0
    std::size_t m_unitCount = 0;

    std::vector<Cursor> m_cursors; // the live places, the preferred first
    std::vector<Cursor> m_next;
    std::string m_guide;
    std::string m_typed;
    bool m_completed = false;
};

} // namespace ks
