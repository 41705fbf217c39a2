// Any bytes as a tune and as a soundfont: a player may name any file as
// music, and what the synthesiser is given is cut from what lies in the
// soundfont folder. Neither may crash, hang or read out of bounds, and a
// cut soundfont must cut again to itself.
#include "core/soundfont.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::optional<ks::PresetSet> presets = ks::presetsUsedBy(bytes);
    const ks::PresetSet wanted = presets ? *presets : ks::PresetSet{{0, 0}, {128, 0}};
    std::istringstream soundfont(bytes);
    const std::optional<std::string> cut = ks::cutSoundfont(soundfont, wanted);
    if (cut) {
        std::istringstream again(*cut);
        const std::optional<std::string> twice = ks::cutSoundfont(again, wanted);
        if (!twice || *twice != *cut)
            std::abort();
    }
    return 0;
}
