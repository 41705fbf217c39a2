#pragma once

#include "screens/screennames.h"
#include "screens/tester/speedtestshared.h"
#include "shell/screen.h"
#include "core/settings.h"

#include <string>
#include <vector>

namespace ks {

// The speed tester's course choice: 30 or 60 seconds, with both high scores.
class Tester1 final : public Screen
{
public:
    Tester1(ScreenHost &host, SpeedTestShared &shared)
        : Screen(host, ScreenName::Tester1), m_shared(shared)
    {}

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;

    const SpeedTestShared &shared() const { return m_shared; }

protected:
    void createControls() override;
    void writeVariables(StateWriter &out) const override;

private:
    void highlight(int course);

    SpeedTestShared &m_shared;

    Image *Image1 = nullptr;
    Label *KomentG = nullptr;
    Label *Zikan[2] = {};
    Label *Label1[3] = {};
    Label *Scoa[2] = {};

    qint16 selectedCourse = 1;
    bool startingTest = false;
    SettingsLines settingsLines;
};

} // namespace ks
