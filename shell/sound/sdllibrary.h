#pragma once

#include "shell/lazylibrary.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace ks::sound {

// SDL and SDL_mixer, with FluidSynth and the codecs behind them, are some
// forty libraries. Linked to the program, the dynamic linker would load them
// all before main and hold up the first window by a good 15 ms; they are
// loaded at the first sound instead, on the sound thread. Globally, so that
// FluidSynth's symbols are found by the hooks in fluidsynthhooks.cpp.
#define KS_SDL_FUNCTIONS(X)                                                                        \
    X(SDL_InitSubSystem)                                                                           \
    X(SDL_QuitSubSystem)                                                                           \
    X(SDL_SetHint)                                                                                 \
    X(SDL_GetError)                                                                                \
    X(SDL_GetCurrentAudioDriver)                                                                   \
    X(SDL_RWFromConstMem)                                                                          \
    X(SDL_RWFromFP)                                                                                \
    X(SDL_realloc)                                                                                 \
    X(Mix_Init)                                                                                    \
    X(Mix_Quit)                                                                                    \
    X(Mix_OpenAudio)                                                                               \
    X(Mix_CloseAudio)                                                                              \
    X(Mix_AllocateChannels)                                                                        \
    X(Mix_SetSoundFonts)                                                                           \
    X(Mix_LoadWAV_RW)                                                                              \
    X(Mix_FreeChunk)                                                                               \
    X(Mix_LoadMUSType_RW)                                                                          \
    X(Mix_FreeMusic)                                                                               \
    X(Mix_PlayChannelTimed)                                                                        \
    X(Mix_PlayMusic)                                                                               \
    X(Mix_HaltChannel)                                                                             \
    X(Mix_HaltMusic)                                                                               \
    X(Mix_Playing)                                                                                 \
    X(Mix_PlayingMusic)

struct SdlLibrary
{
    KS_SDL_FUNCTIONS(KS_LIBRARY_POINTER)
    // Optional: SDL before 2.0.16 keeps a thread's error text for good.
    void (*SDL_TLSCleanup)() = nullptr;
    bool loaded = false;
};

// Loaded once, by the first caller: only the sound thread calls, and only
// when it is about to open the device with them.
const SdlLibrary &sdl();

} // namespace ks::sound
