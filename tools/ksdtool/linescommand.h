#pragma once

#include "commandline.h"

#include "core/romajitable.h"

#include <ostream>

namespace ksd {

// The romaji the game builds for each problem, as the play screens would see
// them; a file the game refuses prints why and nothing else.
int runLines(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out,
             std::ostream &err);

} // namespace ksd
