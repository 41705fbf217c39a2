#pragma once

namespace ks::sound {

// FluidSynth writes its errors and warnings to stderr itself, also while a
// song plays, on the audio thread: they go to the debug log instead, or
// nowhere. Called once SDL_mixer has loaded FluidSynth; a build of SDL_mixer
// without it simply skips this.
void quietenFluidSynth();

} // namespace ks::sound
