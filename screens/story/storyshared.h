#pragma once

#include <QtGlobal>

namespace ks {

// The story's one piece of shared state: the mission under way, 0 to 3 for
// missions 1 to 4. Only the mission-code screen writes it; the battle and the
// result screens read it. Owned by the screen table, one for the game.
struct StoryShared
{
    qint16 Stage = 0;
};

} // namespace ks
