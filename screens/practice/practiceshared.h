#pragma once

#include <QtGlobal>

namespace ks {

// How a practice run stands. The numbers are the ones the result screen and
// the traces know.
enum class PracticeStage : qint16
{
    Selecting = 0, // choosing a file
    Prepared = 1,  // file confirmed, waiting for Return
    Between = 2,   // a target rising or breaking; no typing
    Typing = 3,
    Done = 5,   // every problem typed
    TimeUp = 6, // the countdown ran out
};

// What the practice screens share: how the run ended and its counts, which
// the result screen reads after the practice screen has closed. Owned by the
// screen table, one for the game.
struct PracticeShared
{
    PracticeStage Stage = PracticeStage::Selecting;
    float Miss = 0; // wrong keys
    float Tipe = 0; // every key judged
};

} // namespace ks
