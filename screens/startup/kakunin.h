#pragma once

#include "screens/screennames.h"
#include "shell/screen.h"

namespace ks {

// The first screen: asks the player to switch off Caps Lock and the input
// method, since typed characters are compared exactly. Return goes on.
class Kakunin final : public Screen
{
public:
    explicit Kakunin(ScreenHost &host) : Screen(host, ScreenName::Kakunin) {}

    void Form_KeyDown(int &keyCode, int shift) override;

protected:
    void createControls() override;

private:
    Label *Label1[2] = {};
};

} // namespace ks
