// Any bytes as an effect and as music: a player may name any file in a music
// slot. The check must neither crash nor read out of bounds, what it passes
// must lie inside the file, and a WAVE it passes must decode in the real
// SDL_mixer (on SDL's dummy driver) to no more than the cap: the check's
// promise to the sound thread, tested against the library it protects.
#include "core/soundfile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool g_mixerOpen = false;

bool inside(std::string_view part, std::string_view whole)
{
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// Reads little-endian fields off the input, zeros past its end.
class Fields
{
public:
    explicit Fields(std::string_view bytes) : m_bytes(bytes) {}
    std::string take(std::size_t size)
    {
        std::string out(m_bytes.substr(0, size));
        out.resize(size, '\0');
        m_bytes.remove_prefix(std::min(size, m_bytes.size()));
        return out;
    }
    std::string_view rest() const { return m_bytes; }

private:
    std::string_view m_bytes;
};

void putLe(std::string &out, std::size_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char(value >> (8 * i) & 0xFF));
}

std::string chunk(const char *id, const std::string &body)
{
    std::string out(id, 4);
    putLe(out, body.size(), 4);
    return out + body;
}

// Random bytes seldom make a WAVE whose chunks add up, so half the inputs
// are the fmt fields of one instead (16 plain bytes, a length, that much of
// extra part) and its data: the check then rules on the fields themselves,
// and what it lets through goes to SDL_mixer far more often.
std::string waveOf(std::string_view input)
{
    Fields fields(input);
    const std::string plain = fields.take(16);
    const std::size_t extraSize = std::uint8_t(fields.take(1)[0]);
    std::string fmt = plain;
    if (extraSize > 0) {
        putLe(fmt, extraSize - 1, 2);
        fmt += fields.take(extraSize - 1);
    }
    return chunk("RIFF", "WAVE" + chunk("fmt ", fmt) + chunk("data", std::string(fields.rest())));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    g_mixerOpen = SDL_Init(SDL_INIT_AUDIO) == 0 &&
                  Mix_OpenAudio(ks::kMixerRate, AUDIO_S16SYS, ks::kMixerChannels, 1024) == 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::string wave = !input.empty() && (input[0] & 1) ? waveOf(input.substr(1)) : "";
    const std::string_view file = wave.empty() ? input : std::string_view(wave);
    for (const ks::SoundFileKind kind : {ks::SoundFileKind::Wave, ks::SoundFileKind::Midi}) {
        const ks::SoundFileCheck check = ks::checkSoundFile(file, kind);
        if (!check.isPlayable()) {
            if (!check.sound.empty())
                std::abort();
            continue;
        }
        if (check.sound.empty() || !inside(check.sound, file))
            std::abort();
        if (kind != ks::SoundFileKind::Wave || !g_mixerOpen)
            continue;
        SDL_RWops *rw = SDL_RWFromConstMem(check.sound.data(), int(check.sound.size()));
        if (Mix_Chunk *chunk = Mix_LoadWAV_RW(rw, 1)) {
            if (chunk->alen > ks::kMaxDecodedSoundBytes)
                std::abort();
            Mix_FreeChunk(chunk);
        }
    }
    return 0;
}
