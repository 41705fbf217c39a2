#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace ks::sound {

// A tune's own soundfont, cut from the whole one (see core/soundfont.h). It
// lives in memory, not on disk, named by its /proc path for FluidSynth,
// which opens it by name, and again while the tune plays to load the samples
// of each instrument the tune selects.
class TuneSoundfont
{
public:
    // Nothing when the tune's instruments cannot be told or the cut fails:
    // the tune then plays from the whole soundfont.
    static std::shared_ptr<TuneSoundfont> make(const std::string &wholeSoundfont,
                                               std::string_view smf);
    ~TuneSoundfont();
    TuneSoundfont(const TuneSoundfont &) = delete;
    TuneSoundfont &operator=(const TuneSoundfont &) = delete;

    const std::string &path() const { return m_path; }

private:
    explicit TuneSoundfont(int fd);

    int m_fd;
    std::string m_path;
};

} // namespace ks::sound
