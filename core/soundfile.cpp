#include "soundfile.h"

#include "byteorder.h"

#include <algorithm>
#include <cctype>

namespace ks {
namespace {

SoundFileCheck refuse(std::string_view why)
{
    return {{}, why};
}

std::string_view extension(std::string_view fileName)
{
    const std::string_view name = fileName.substr(fileName.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool equalsLower(std::string_view text, std::string_view lower)
{
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

// An .rmi file is a standard MIDI file wrapped in a RIFF "RMID" container;
// FluidSynth reads only the bare file, so the "data" chunk is unwrapped.
std::string_view unwrapRmid(std::string_view bytes)
{
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "RMID")
        return bytes;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::size_t size = littleEndian(bytes.data() + at + 4, 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body)
            break;
        if (bytes.substr(at, 4) == "data")
            return bytes.substr(body, size);
        at = body + size + (size & 1);
    }
    return bytes;
}

// FluidSynth accepts anything at load time and only finds out while playing,
// when the music stream already counts as playing; checking the header here
// makes a broken file fail at Open like any other.
bool looksLikeSmf(std::string_view bytes)
{
    if (bytes.size() < 14 || bytes.substr(0, 4) != "MThd")
        return false;
    const std::uint32_t headerSize = bigEndian(bytes.data() + 4, 4);
    const std::uint32_t format = bigEndian(bytes.data() + 8, 2);
    const std::uint32_t tracks = bigEndian(bytes.data() + 10, 2);
    if (headerSize < 6 || format > 2 || tracks < 1 || headerSize > bytes.size() - 8)
        return false;
    const std::size_t firstTrack = 8 + std::size_t(headerSize);
    return bytes.size() >= firstTrack + 8 && bytes.substr(firstTrack, 4) == "MTrk";
}

} // namespace

SoundFileKind soundFileKindByName(std::string_view fileName)
{
    const std::string_view suffix = extension(fileName);
    return equalsLower(suffix, "mid") || equalsLower(suffix, "midi") || equalsLower(suffix, "rmi")
               ? SoundFileKind::Midi
               : SoundFileKind::Wave;
}

SoundFileCheck checkSoundFile(std::string_view file, SoundFileKind kind)
{
    if (file.empty())
        return refuse("an empty file");
    if (kind == SoundFileKind::Wave)
        return {file, {}};
    const std::string_view smf = unwrapRmid(file);
    if (!looksLikeSmf(smf))
        return refuse("not a MIDI file");
    return {smf, {}};
}

} // namespace ks
