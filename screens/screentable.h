#pragma once

#include "shell/screenhost.h"

namespace ks {

// Every screen of the game by name. One explicit table: screens reach each
// other by these names.
ScreenHost::ScreenTable gameScreens();

// The screen the game starts with.
inline const QString kStartScreen = QStringLiteral("Kakunin");

} // namespace ks
