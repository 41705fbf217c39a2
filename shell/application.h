#pragma once

namespace ks {

// What the whole process needs before the first screen: the program's name,
// the screens' font, and no quitting when a window closes (the screens decide
// when the game ends). No application display name is set: the desktop would
// append it to every title, and each window's title is exactly its screen's
// caption.
void setUpApplication();

} // namespace ks
