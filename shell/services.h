#pragma once

#include "core/appdir.h"

namespace ks {

class AssetStore;
class Clock;
class Dialogs;
class RandomSource;
class SoundService;

// What the screens use of the world outside them. The game passes the real
// ones; tests and the scenario runner pass a manual clock, scripted draws and
// dialogs, and a recording sound service.
struct Services
{
    Clock &clock;
    RandomSource &random;
    Dialogs &dialogs;
    SoundService &sound;
    AssetStore &assets;
    AppDir appDir;
};

} // namespace ks
