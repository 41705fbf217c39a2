#pragma once

#include "records.h"

#include <QString>

namespace ks {

class AppDir;
class Dialogs;

// What the player is told when a run could not be kept, in Japanese.
QString lostRunText(RecordsFault fault);

// Hands a run to the records once it is over. Every run that is lost is told,
// in a box of its own (the screen that played it may be on its way out): a
// player who was told once and played on must not lose the next run unknowing.
// A damaged file moved aside to make room for the run is told too.
void keepRun(Records &records, Dialogs &dialogs, const AppDir &dir, const RunLog &log);

// A damaged records file the store moved aside is told once, at the first
// moment the player can see it: the result of the run that found it, or the
// records window at any later start. Until the box is answered the notice is
// kept in keystorm.ini, so a game closed meanwhile tells it next time.
void tellMovedAside(Records &records, Dialogs &dialogs, const AppDir &dir);

} // namespace ks
