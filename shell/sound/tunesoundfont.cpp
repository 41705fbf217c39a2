#include "tunesoundfont.h"

#include "core/soundfont.h"

#include <sys/mman.h>
#include <unistd.h>

#include <fstream>
#include <optional>

namespace ks::sound {

std::shared_ptr<TuneSoundfont> TuneSoundfont::make(const std::string &wholeSoundfont,
                                                   std::string_view smf)
{
    const std::optional<PresetSet> presets = presetsUsedBy(smf);
    if (!presets)
        return nullptr;
    std::ifstream whole(wholeSoundfont, std::ios::binary);
    const std::optional<std::string> cut = cutSoundfont(whole, *presets);
    if (!cut)
        return nullptr;
    const int fd = ::memfd_create("keystorm-tune.sf2", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto font = std::shared_ptr<TuneSoundfont>(new TuneSoundfont(fd));
    for (std::size_t written = 0; written < cut->size();) {
        const ssize_t n = ::write(fd, cut->data() + written, cut->size() - written);
        if (n <= 0)
            return nullptr;
        written += std::size_t(n);
    }
    return font;
}

TuneSoundfont::TuneSoundfont(int fd) : m_fd(fd), m_path("/proc/self/fd/" + std::to_string(fd)) {}

TuneSoundfont::~TuneSoundfont()
{
    ::close(m_fd);
}

} // namespace ks::sound
