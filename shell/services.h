#pragma once

#include "core/appdir.h"

namespace ks {

class AssetStore;
class Clock;
class Dialogs;
class KeyboardSettings;
class RandomSource;
class Records;
class SoundService;

// What the screens use of the world outside them. The game passes the real
// ones; tests and the scenario runner pass a manual clock, scripted draws and
// dialogs, a recording sound service, records in their own folder with a
// fixed wall clock, and a keyboard that is what they say.
struct Services
{
    Clock &clock;
    RandomSource &random;
    Dialogs &dialogs;
    SoundService &sound;
    AssetStore &assets;
    // Every finished run goes here (shell/records/records.h).
    Records &records;
    const KeyboardSettings &keyboard;
    AppDir appDir;
};

} // namespace ks
