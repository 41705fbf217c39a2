#pragma once

#include "screens/screennames.h"
#include "shell/screenhost.h"

namespace ks {

// Every screen of the game by name, in one explicit table. The state a mode's
// screens share (the course and counts of a speed test, the mission of the
// story, the end of a practice run) is made here and handed to them.
ScreenHost::ScreenTable gameScreens();

// The screen the game starts with.
inline const QString &kStartScreen = ScreenName::Kakunin;

} // namespace ks
