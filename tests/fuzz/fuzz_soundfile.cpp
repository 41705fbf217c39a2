// Any bytes as an effect and as music: a player may name any file in a music
// slot. The check must neither crash nor read out of bounds, what it passes
// must lie inside the file, and a WAVE it passes must decode in the real
// SDL_mixer (on SDL's dummy driver) to no more than the cap: the check's
// promise to the sound thread, tested against the library it protects.
#include "core/soundfile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool g_mixerOpen = false;

bool inside(std::string_view part, std::string_view whole)
{
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
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
    const std::string_view file(reinterpret_cast<const char *>(data), size);
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
