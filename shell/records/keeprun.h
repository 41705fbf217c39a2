#pragma once

#include "records.h"

#include <QString>

namespace ks {

class Dialogs;

// What the player is told when a run could not be kept, in Japanese.
QString lostRunText(RecordsFault fault);

// Hands a run to the records once it is over. Every run that is lost is told,
// in a box of its own (the screen that played it may be on its way out): a
// player who was told once and played on must not lose the next run unknowing.
void keepRun(Records &records, Dialogs &dialogs, const RunLog &log);

} // namespace ks
