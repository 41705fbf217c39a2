#pragma once

#include "commandline.h"

#include "core/romajitable.h"

#include <ostream>

namespace ksd {

// Turns "display<TAB>reading" lines into a problem file; on any fault nothing
// is written, so a half-made file never replaces a good one.
int runMake(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out,
            std::ostream &err);

} // namespace ksd
