#pragma once

#include "screens/story/storyshared.h"
#include "shell/screen.h"

#include <array>

namespace ks {

// The end of a mission, over the battle: Complete congratulates and gives
// the next mission's code; Incomplete scolds. Keys are locked for 600 ms,
// then any key closes it and the battle goes on to its end. One class for
// both, as they differ only in their texts, places and faces.
class MissionResult final : public Screen
{
public:
    MissionResult(ScreenHost &host, const StoryShared &shared, bool won);

    void Form_Load() override;
    void Form_KeyDown(int &keyCode, int shift) override;

protected:
    void createControls() override;

private:
    void Timer1_Timer();

    const StoryShared &m_shared;
    bool m_won;
    Image *Image1 = nullptr;
    Label *KomentG = nullptr;
    TimerControl *Timer1 = nullptr;
    qint16 keyLock = 0;
};

} // namespace ks
