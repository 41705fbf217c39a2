#pragma once

#include "core/playersettings.h"

class QWidget;

namespace ks {

class ScreenHost;

// keystorm.ini as a screen reads it: a file that is there but cannot be read
// plays with the defaults, and the player is told so once a game, so a
// choice that seems forgotten is never a mystery.
PlayerSettings readPlayerChoices(ScreenHost &host, QWidget *parent);

} // namespace ks
