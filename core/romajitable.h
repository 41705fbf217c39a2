#pragma once

#include "result.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

inline constexpr const char *kRomajiTableFile = "roumazi.dat";

// 355 pairs of kana and romaji in three fixed sections: the editable pairs the
// player may retype, one doubled pair ("っ" + kana) for each of them, whose
// romaji follows its editable pair, and fixed pairs nobody changes.
inline constexpr std::size_t kRomajiPairs = 355;
inline constexpr std::size_t kRomajiItems = 2 * kRomajiPairs;
inline constexpr std::size_t kEditablePairs = 170;
inline constexpr std::size_t kFirstDoubledPair = 170;
inline constexpr std::size_t kFirstFixedPair = 340;

// Kana of an empty place in the chart; as a doubled kana, "no doubled form".
inline constexpr std::string_view kEmptyKana = "\uFF3F"; // ＿
// Romaji the editor does not offer for change.
inline constexpr std::string_view kLockedRomaji = "\\";

struct RomajiTable
{
    // Item 2p is the kana of pair p, item 2p+1 its romaji; always kRomajiItems
    // long, empty where the file supplied nothing.
    std::vector<std::string> items = std::vector<std::string>(kRomajiItems);

    const std::string &kana(std::size_t pair) const { return items[2 * pair]; }
    const std::string &romaji(std::size_t pair) const { return items[2 * pair + 1]; }
};

// For the play screens: at most 710 items, a short table is padded with empty
// items (they match nothing that matters); more is TooManyItems. A romaji no
// key can type is UntypableRomaji, naming its kana: refused before play
// rather than met as a problem that can never be finished.
Result<RomajiTable> romajiTableForPlay(std::string_view text);
Result<RomajiTable> loadRomajiTableForPlay(const std::string &path);

// For the editor, which writes every pair back: fewer than 710 items is
// TooFewItems, since saving would invent pairs; items past the 710th are ignored.
Result<RomajiTable> romajiTableForEditing(std::string_view text);
Result<RomajiTable> loadRomajiTableForEditing(const std::string &path);

// A doubled pair types the first character of its pair's romaji twice: ka → kka, tsu → ttsu.
std::string doubledRomaji(std::string_view romaji);

// Whether the item can stand in the file and read back as written: the file
// has no escaping, so no comma, double quote or line break, no blank at either
// end, and not empty.
bool isSafeTableItem(std::string_view item);

// Why no key could type this romaji, as a sentence for the player without
// its full stop ("キーで打てない全角の空白があります"); empty when it can be
// typed: printable ASCII, no blank at either end. Keys reach the game
// without an input method, so any other character could never be matched
// and its problem never finished.
std::string untypableRomajiReason(std::string_view romaji);

// The 355 lines of the file the editor saves: the editable pairs with the
// romaji from the editor (editedRomaji, 170 entries), the doubled pairs
// recomputed from them, the fixed pairs as loaded. Any item that could not be
// read back is UnsafeItem naming its pair, and nothing is produced.
Result<std::vector<std::string>> romajiTableLines(const RomajiTable &loaded,
                                                  const std::vector<std::string> &editedRomaji);

// romajiTableLines written atomically to path in code page 932.
Result<void> saveRomajiTable(const std::string &path, const RomajiTable &loaded,
                             const std::vector<std::string> &editedRomaji,
                             const std::function<bool()> &beforeCommit = {});

// What is wrong with a table as a whole: unsafe items, a kana other than "＿"
// in more than one pair, a doubled romaji that does not follow its pair.
// Empty when the table is sound. For the tool and the tests of the shipped table.
std::vector<std::string> romajiTableFaults(const RomajiTable &table);

} // namespace ks
