// Any bytes in roumazi.dat: loading for play and for editing, and saving what
// was loaded, must neither crash nor write an item that cannot read back.
#include "core/romajitable.h"
#include "core/textfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    ks::Result<std::string> text = ks::decodeCp932(bytes);
    if (!text)
        return 0;
    ks::Result<ks::RomajiTable> play = ks::romajiTableForPlay(*text);
    if (play && play->items.size() != ks::kRomajiItems)
        std::abort();
    ks::Result<ks::RomajiTable> edit = ks::romajiTableForEditing(*text);
    if (!edit)
        return 0;
    std::vector<std::string> romaji;
    for (std::size_t k = 0; k < ks::kEditablePairs; ++k)
        romaji.push_back(edit->romaji(k));
    ks::Result<std::vector<std::string>> lines = ks::romajiTableLines(*edit, romaji);
    if (!lines)
        return 0;
    // What the editor would write must read back to the same table, doubled
    // pairs recomputed.
    std::string written;
    for (const std::string &line : *lines)
        written += line + "\r\n";
    ks::Result<ks::RomajiTable> back = ks::romajiTableForEditing(written);
    if (!back)
        std::abort();
    for (std::size_t k = 0; k < ks::kEditablePairs; ++k) {
        if (back->items[2 * k] != edit->items[2 * k] || back->items[2 * k + 1] != romaji[k])
            std::abort();
    }
    for (std::size_t i = 2 * ks::kFirstFixedPair; i < ks::kRomajiItems; ++i) {
        if (back->items[i] != edit->items[i])
            std::abort();
    }
    return 0;
}
