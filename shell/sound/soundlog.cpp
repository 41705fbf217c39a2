#include "soundlog.h"

namespace ks::sound {

Q_LOGGING_CATEGORY(lcSound, "ks.sound", QtInfoMsg)

} // namespace ks::sound
