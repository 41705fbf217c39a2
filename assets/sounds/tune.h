// The game's own music, composed in code and written as Standard MIDI Files:
// see tune.cpp.
#pragma once

#include <string>

namespace ks::tune {

// Each returns a whole file, ready to be written under music/. They throw
// std::logic_error if a bar of a score does not add up to four beats, which
// is a mistake in the score, not something a player can cause.

// keystorm.mid: the speed tester's background, 65 s.
std::string makeKeystorm();

// battle.mid: the story mode's mission music, 100 s.
std::string makeBattle();

// ending.mid: the credits music after the last mission, 80 s.
std::string makeEnding();

} // namespace ks::tune
