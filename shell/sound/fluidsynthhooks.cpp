// How the game reaches into the FluidSynth that SDL_mixer loads: through the
// symbols already loaded rather than linking it again.
#include "fluidsynthhooks.h"

#include "core/soundfont.h"
#include "shell/soundservice.h"
#include "soundlog.h"

#include <dlfcn.h>

#include <atomic>

namespace ks {
namespace sound {
namespace {

using FluidLogFunction = void (*)(int level, const char *message, void *data);
using FluidSetLogFunction = FluidLogFunction (*)(int level, FluidLogFunction, void *data);

// Runs on the audio thread: touches Qt only when a developer asked for it.
void forwardFluidLog(int, const char *message, void *)
{
    qCDebug(lcSound) << "fluidsynth:" << message;
}

} // namespace

void quietenFluidSynth()
{
    void *symbol = ::dlsym(RTLD_DEFAULT, "fluid_set_log_function");
    if (!symbol) {
        if (void *library = ::dlopen("libfluidsynth.so.3", RTLD_LAZY | RTLD_NOLOAD)) {
            symbol = ::dlsym(library, "fluid_set_log_function");
            ::dlclose(library);
        }
    }
    if (!symbol)
        return;
    const auto setLogFunction = reinterpret_cast<FluidSetLogFunction>(symbol);
    const FluidLogFunction function = lcSound().isDebugEnabled() ? forwardFluidLog : nullptr;
    // FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG.
    for (int level = 0; level <= 4; ++level)
        setLogFunction(level, function, nullptr);
}

} // namespace sound

namespace {

// SDL_mixer gives every tune a FluidSynth of its own, made with FluidSynth's
// defaults, which load every sample of the soundfont at once: some 7 MB for
// a tune that uses a dozen instruments. The game's settings go in where
// SDL_mixer makes the settings: the program exports new_fluid_settings (see
// shell/CMakeLists.txt), so SDL_mixer's call lands below and FluidSynth's
// own comes next. A build of SDL_mixer that finds FluidSynth by dlopen
// simply keeps the defaults.
std::atomic<int> g_midiSynthesizers = 0;

// Samples are loaded for the instruments a tune selects, when it selects
// them, on a synthesiser of kTuneVoices voices.
void applyTuneSettings(void *settings)
{
    using SetInt = int (*)(void *, const char *, int);
    static const auto setInt =
        reinterpret_cast<SetInt>(::dlsym(RTLD_DEFAULT, "fluid_settings_setint"));
    if (!settings || !setInt)
        return;
    setInt(settings, "synth.dynamic-sample-loading", 1);
    setInt(settings, "synth.polyphony", kTuneVoices);
}

} // namespace

int liveMidiSynthesizers()
{
    return g_midiSynthesizers.load();
}

} // namespace ks

extern "C" {

__attribute__((visibility("default"))) void *new_fluid_settings()
{
    using New = void *(*)();
    static const auto next = reinterpret_cast<New>(::dlsym(RTLD_NEXT, "new_fluid_settings"));
    void *settings = next ? next() : nullptr;
    if (settings) {
        ks::applyTuneSettings(settings);
        ++ks::g_midiSynthesizers;
    }
    return settings;
}

__attribute__((visibility("default"))) void delete_fluid_settings(void *settings)
{
    using Delete = void (*)(void *);
    static const auto next = reinterpret_cast<Delete>(::dlsym(RTLD_NEXT, "delete_fluid_settings"));
    if (settings && next) {
        next(settings);
        --ks::g_midiSynthesizers;
    }
}

} // extern "C"
