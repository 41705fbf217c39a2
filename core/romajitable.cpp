#include "romajitable.h"

#include "items.h"
#include "textfile.h"
#include "utf8.h"

#include <limits>
#include <map>

namespace ks {

namespace {

std::string pairName(std::size_t pair)
{
    return std::to_string(pair) + " 番の組";
}

} // namespace

Result<RomajiTable> romajiTableForPlay(std::string_view text)
{
    Result<std::vector<std::string>> items = parseItems(text, kRomajiItems);
    if (!items)
        return items.error();
    RomajiTable table;
    std::move(items->begin(), items->end(), table.items.begin());
    for (std::size_t pair = 0; pair < kRomajiPairs; ++pair) {
        const std::string &kana = table.kana(pair);
        const std::string &romaji = table.romaji(pair);
        // An empty place of the chart is never asked for.
        if (kana.empty() || kana == kEmptyKana || romaji.empty())
            continue;
        if (const std::string reason = untypableRomajiReason(romaji); !reason.empty())
            return Error{ErrorCode::UntypableRomaji,
                         "「" + kana + "」のローマ字「" + romaji + "」は打てません。" + reason};
    }
    return table;
}

Result<RomajiTable> loadRomajiTableForPlay(const std::string &path)
{
    Result<std::string> text = readTextFile(path);
    if (!text)
        return text.error();
    Result<RomajiTable> table = romajiTableForPlay(*text);
    // The romaji no key can type is named, not the file: the player knows it.
    if (!table && table.error().code != ErrorCode::UntypableRomaji)
        return Error{table.error().code, path};
    return table;
}

Result<RomajiTable> romajiTableForEditing(std::string_view text)
{
    Result<std::vector<std::string>> items =
        parseItems(text, std::numeric_limits<std::size_t>::max());
    if (!items)
        return items.error();
    if (items->size() < kRomajiItems)
        return Error{ErrorCode::TooFewItems, std::to_string(items->size()) + " / " +
                                                 std::to_string(kRomajiItems) + " 項目"};
    RomajiTable table;
    std::move(items->begin(), items->begin() + kRomajiItems, table.items.begin());
    return table;
}

Result<RomajiTable> loadRomajiTableForEditing(const std::string &path)
{
    Result<std::string> text = readTextFile(path);
    if (!text)
        return text.error();
    Result<RomajiTable> table = romajiTableForEditing(*text);
    if (!table)
        return Error{table.error().code, path + "：" + table.error().detail};
    return table;
}

std::string doubledRomaji(std::string_view romaji)
{
    const Utf8Char first = firstUtf8Char(romaji);
    return std::string(romaji.substr(0, first.bytes)) + std::string(romaji);
}

std::string untypableRomajiReason(std::string_view romaji)
{
    for (std::size_t at = 0; at < romaji.size();) {
        const Utf8Char c = firstUtf8Char(romaji.substr(at));
        at += c.bytes;
        if (c.code >= 0x20 && c.code <= 0x7E)
            continue;
        if (c.code == U'\u3000')
            return "キーで打てない全角の空白があります";
        if (c.code < 0x20 || c.code == 0x7F)
            return "キーで打てない制御文字があります";
        return "キーで打てない文字「" + utf8Of(c.code) + "」があります";
    }
    if (!romaji.empty() && romaji.front() == ' ')
        return "前に空白があります";
    if (!romaji.empty() && romaji.back() == ' ')
        return "後ろに空白があります";
    return {};
}

bool isSafeTableItem(std::string_view item)
{
    if (item.empty() || item.find_first_of(",\"\r\n") != std::string_view::npos)
        return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !blank(item.front()) && !blank(item.back());
}

Result<std::vector<std::string>> romajiTableLines(const RomajiTable &loaded,
                                                  const std::vector<std::string> &editedRomaji)
{
    if (editedRomaji.size() != kEditablePairs)
        return Error{ErrorCode::TooFewItems, std::to_string(editedRomaji.size()) + " 組"};

    std::vector<std::string> lines;
    lines.reserve(kRomajiPairs);
    auto add = [&](std::size_t pair, const std::string &kana,
                   const std::string &romaji) -> Result<void> {
        if (!isSafeTableItem(kana))
            return Error{ErrorCode::UnsafeItem, pairName(pair) + "のかな「" + kana + "」"};
        if (!isSafeTableItem(romaji))
            return Error{ErrorCode::UnsafeItem, pairName(pair) + "のローマ字「" + romaji + "」"};
        lines.push_back(kana + "," + romaji);
        return {};
    };

    for (std::size_t k = 0; k < kEditablePairs; ++k) {
        if (Result<void> r = add(k, loaded.kana(k), editedRomaji[k]); !r)
            return r.error();
    }
    for (std::size_t k = 0; k < kEditablePairs; ++k) {
        const std::size_t pair = kFirstDoubledPair + k;
        const std::string &kana = loaded.kana(pair);
        const std::string romaji =
            kana == kEmptyKana ? loaded.romaji(pair) : doubledRomaji(editedRomaji[k]);
        if (Result<void> r = add(pair, kana, romaji); !r)
            return r.error();
    }
    for (std::size_t pair = kFirstFixedPair; pair < kRomajiPairs; ++pair) {
        if (Result<void> r = add(pair, loaded.kana(pair), loaded.romaji(pair)); !r)
            return r.error();
    }
    return lines;
}

Result<void> saveRomajiTable(const std::string &path, const RomajiTable &loaded,
                             const std::vector<std::string> &editedRomaji,
                             const std::function<bool()> &beforeCommit)
{
    Result<std::vector<std::string>> lines = romajiTableLines(loaded, editedRomaji);
    if (!lines)
        return lines.error();
    return writeTextLines(path, *lines, beforeCommit);
}

std::vector<std::string> romajiTableFaults(const RomajiTable &table)
{
    std::vector<std::string> faults;
    std::map<std::string, std::size_t> firstPairOf;
    for (std::size_t pair = 0; pair < kRomajiPairs; ++pair) {
        const std::string &kana = table.kana(pair);
        if (!isSafeTableItem(kana))
            faults.push_back(pairName(pair) + "：かな「" + kana + "」は書けません");
        if (!isSafeTableItem(table.romaji(pair)))
            faults.push_back(pairName(pair) + "：ローマ字「" + table.romaji(pair) +
                             "」は書けません");
        if (kana == kEmptyKana)
            continue;
        if (const std::string reason = untypableRomajiReason(table.romaji(pair)); !reason.empty())
            faults.push_back(pairName(pair) + "：ローマ字「" + table.romaji(pair) +
                             "」は打てません（" + reason + "）");
        auto [it, inserted] = firstPairOf.emplace(kana, pair);
        if (!inserted)
            faults.push_back(pairName(pair) + "：かな「" + kana + "」は " + pairName(it->second) +
                             "と重なっています");
    }
    for (std::size_t k = 0; k < kEditablePairs; ++k) {
        const std::size_t pair = kFirstDoubledPair + k;
        if (table.kana(pair) != kEmptyKana && table.romaji(pair) != doubledRomaji(table.romaji(k)))
            faults.push_back(pairName(pair) + "：促音のローマ字が " + pairName(k) + "と合いません");
    }
    return faults;
}

} // namespace ks
