// The speed tester's background tune, composed in code and written as a
// Standard MIDI File: see tune.cpp.
#pragma once

#include <string>

namespace ks::tune {

// The whole file, ready to be written as keystorm.mid. Throws
// std::logic_error if a bar of the score does not add up to four beats,
// which is a mistake in the score, not something a player can cause.
std::string makeKeystorm();

} // namespace ks::tune
