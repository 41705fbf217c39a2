#pragma once

namespace ks {

// How keys are judged: against the table's one spelling of each problem (as
// the game always has), or against any spelling an input method accepts.
enum class SpellingMode
{
    Table,
    Any
};

} // namespace ks
