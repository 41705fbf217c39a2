#pragma once

#include <cstddef>
#include <cstdint>

namespace ks {

// Integers as binary file formats store them: RIFF files (WAVE, SoundFont)
// little-endian, standard MIDI files big-endian. size is in bytes, at most 4.

inline std::uint32_t littleEndian(const char *p, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(p[i]);
    return value;
}

inline std::uint32_t bigEndian(const char *p, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = value << 8 | static_cast<unsigned char>(p[i]);
    return value;
}

inline void putLittleEndian(char *p, std::uint32_t value, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        p[i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

} // namespace ks
