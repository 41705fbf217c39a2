#pragma once

#include "shell/clock.h"
#include "shell/keyboardsettings.h"

#include <string>

namespace ks::headless {

// Wall time that moves only when the test moves it.
class FixedWallClock final : public WallClock
{
public:
    std::int64_t nowMs() const override { return ms; }
    std::int64_t ms = 1'714'566'896'000; // 2024-05-01T12:34:56Z
};

// A keyboard that is whatever the test or script says: by default nothing
// that tells JIS from US, so the records window shows a US keyboard on every
// machine.
class FixedKeyboardSettings final : public KeyboardSettings
{
public:
    std::string xkbLayouts() const override { return layouts; }
    std::string locale() const override { return localeName; }
    std::string layouts;
    std::string localeName = "C";
};

} // namespace ks::headless
