#include "wavestream.h"

#include "core/soundfile.h"
#include "sdllibrary.h"
#include "soundlog.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ks::sound {

namespace {

// Whether the open file is a WAVE that may play as music. The file is mapped
// for the check, which reads its chunk headers and no more, so even the
// largest one is never read into memory.
std::string_view refusalOf(int fd)
{
    struct stat st
    {
    };
    // A device or a FIFO named as music must neither hang the game nor fill
    // its memory: only a regular file is looked at.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return "not a regular file";
    if (st.st_size <= 0 || static_cast<std::uint64_t>(st.st_size) > kMaxSoundFileBytes)
        return "empty, or larger than a sound may be";
    const auto size = static_cast<std::size_t>(st.st_size);
    void *mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED)
        return "cannot be read";
    const std::string_view refusal = checkSoundFile({static_cast<const char *>(mapped), size},
                                                    SoundFileKind::Wave, SoundUse::Music)
                                         .refusal;
    ::munmap(mapped, size);
    return refusal;
}

} // namespace

std::optional<WaveStream> WaveStream::open(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        qCDebug(lcSound) << "cannot read" << path.c_str();
        return std::nullopt;
    }
    WaveStream stream(fd);
    if (const std::string_view why = refusalOf(fd); !why.empty()) {
        qCDebug(lcSound) << "will not play" << path.c_str() << "-"
                         << QLatin1String(why.data(), qsizetype(why.size()));
        return std::nullopt;
    }
    return stream;
}

WaveStream::WaveStream(WaveStream &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

WaveStream &WaveStream::operator=(WaveStream &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

WaveStream::~WaveStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

SDL_RWops *WaveStream::reader() const
{
    // A descriptor of its own for SDL to close with the music; it shares the
    // file's place with the one held, so the place goes back to the start.
    const int copy = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return nullptr;
    std::FILE *file = ::fdopen(copy, "rb");
    if (!file) {
        ::close(copy);
        return nullptr;
    }
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    SDL_RWops *rw = sdl().SDL_RWFromFP(file, SDL_TRUE);
    if (!rw)
        std::fclose(file);
    return rw;
}

} // namespace ks::sound
