#pragma once

#include <string>

namespace ks {

// What the desktop tells of the player's keyboard, for the records window's
// picture of it (JIS or US): read from the window system and the disk here,
// so a screen only asks.
class KeyboardSettings
{
public:
    virtual ~KeyboardSettings() = default;
    // The X keyboard layouts, "jp" or "us,jp" (the first is in use); empty
    // when nothing says.
    virtual std::string xkbLayouts() const = 0;
    // The locale's name, "ja_JP".
    virtual std::string locale() const = 0;
};

// The layouts X reports on this display (_XKB_RULES_NAMES), else
// /etc/default/keyboard's XKBLAYOUT; the system's locale.
class SystemKeyboardSettings final : public KeyboardSettings
{
public:
    std::string xkbLayouts() const override;
    std::string locale() const override;
};

} // namespace ks
