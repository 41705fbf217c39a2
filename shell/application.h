#pragma once

#include <thread>

namespace ks {

// Fontconfig reads its configuration and its lists of fonts the first time a
// text is measured: milliseconds that would pass before the first window
// could show. Started first thing in main, they are read on a thread of their
// own while the application connects to the display; the thread is joined
// when the returned object goes.
[[nodiscard]] std::jthread warmUpFonts();

// What the whole process needs before the first screen: the program's name,
// the screens' font, and no quitting when a window closes (the screens decide
// when the game ends). No application display name is set: the desktop would
// append it to every title, and each window's title is exactly its screen's
// caption.
void setUpApplication();

} // namespace ks
