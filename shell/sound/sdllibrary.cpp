#include "sdllibrary.h"

#include "soundlog.h"

namespace ks::sound {
namespace {

SdlLibrary loadSdl()
{
    // Globally, so that FluidSynth finds the hooks in fluidsynthhooks.cpp;
    // SDL's own functions are found through SDL_mixer, which depends on it.
    LazyLibrary library("libSDL2_mixer-2.0.so.0", LazyLibrary::Symbols::Global);
    SdlLibrary api;
    KS_SDL_FUNCTIONS(KS_LIBRARY_RESOLVE)
    library.resolve(api.SDL_TLSCleanup, "SDL_TLSCleanup", false);
    if (!library.complete()) {
        qCDebug(lcSound) << "no SDL_mixer:" << library.failure().c_str();
        return {};
    }
    api.loaded = true;
    return api;
}

} // namespace

const SdlLibrary &sdl()
{
    static const SdlLibrary library = loadSdl();
    return library;
}

} // namespace ks::sound
