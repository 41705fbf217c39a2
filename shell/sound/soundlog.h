#pragma once

#include <QLoggingCategory>

namespace ks::sound {

// Debug only: a player must never see sound diagnostics on the console, but a
// developer can switch them on with QT_LOGGING_RULES="ks.sound.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSound)

} // namespace ks::sound
