#include "sdllibrary.h"

#include "soundlog.h"

#include <dlfcn.h>

namespace ks::sound {
namespace {

SdlLibrary loadSdl()
{
    SdlLibrary library;
    void *mixer = ::dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!mixer) {
        qCDebug(lcSound) << "no SDL_mixer:" << ::dlerror();
        return library;
    }
    // SDL's own functions are found through SDL_mixer, which depends on it.
#define KS_SDL_RESOLVE(name)                                                                       \
    library.name = reinterpret_cast<decltype(library.name)>(::dlsym(mixer, #name));                \
    if (!library.name) {                                                                           \
        qCDebug(lcSound) << "SDL_mixer lacks" << #name;                                            \
        return SdlLibrary();                                                                       \
    }
    KS_SDL_FUNCTIONS(KS_SDL_RESOLVE)
#undef KS_SDL_RESOLVE
    library.SDL_TLSCleanup =
        reinterpret_cast<decltype(library.SDL_TLSCleanup)>(::dlsym(mixer, "SDL_TLSCleanup"));
    library.loaded = true;
    return library;
}

} // namespace

const SdlLibrary &sdl()
{
    static const SdlLibrary library = loadSdl();
    return library;
}

} // namespace ks::sound
