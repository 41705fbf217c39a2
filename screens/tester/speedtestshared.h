#pragma once

#include "core/speedtestrules.h"

#include <QtGlobal>

namespace ks {

// What the speed tester's screens share: the course chosen on Tester1 and the
// counts of the run, which the results read after the run's window has gone.
// Owned by the screen table, one for the game.
struct SpeedTestShared
{
    // Length of the chosen course in seconds, 30 or 60.
    qint16 Tlimit1 = 0;
    RatingCounts counts;
    // The results could not read settei.dat: the player has been told, and
    // the course screen, which needs the file, is skipped for the menu.
    bool settingsLost = false;
};

} // namespace ks
