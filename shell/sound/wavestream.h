#pragma once

#include <optional>
#include <string>

struct SDL_RWops;

namespace ks::sound {

// A WAVE tune's file, checked once and held open: music streams from its file
// as it plays, so a tune of minutes costs the game kilobytes, not the tens of
// megabytes it decodes to, and what streams is the very file that was
// checked, whatever becomes of the name meanwhile.
class WaveStream
{
public:
    // The file at path if it is a regular file, within the size a sound may
    // have, and a WAVE the mixer may play as music; otherwise nothing, with
    // why in the log.
    static std::optional<WaveStream> open(const std::string &path);

    WaveStream(WaveStream &&other) noexcept;
    WaveStream &operator=(WaveStream &&other) noexcept;
    WaveStream(const WaveStream &) = delete;
    WaveStream &operator=(const WaveStream &) = delete;
    ~WaveStream();

    // A reader of the file from its start, for SDL_mixer to stream from and
    // to close; nothing when the file cannot be read again.
    SDL_RWops *reader() const;

private:
    explicit WaveStream(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

} // namespace ks::sound
