#pragma once

#include "screens/screennames.h"
#include "screens/story/storyshared.h"
#include "shell/screen.h"

namespace ks {

// The entrance to the story: the instructor asks for a mission code; "0"
// starts the first mission, the codes the result screens give open the
// later ones.
class Mission final : public Screen
{
public:
    Mission(ScreenHost &host, StoryShared &shared)
        : Screen(host, ScreenName::Mission), m_shared(shared)
    {}

    void Form_Load() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_KeyPress(int &keyAscii) override;
    // The window's close button leaves as Esc on an empty code does.
    void closeRequested() override;

    const StoryShared &shared() const { return m_shared; }

    // The mission a code opens, 0 to 3, or -1 for a code that opens none.
    static int stageOfCode(const QString &code);

protected:
    void createControls() override;
    void writeVariables(StateWriter &out) const override;

private:
    StoryShared &m_shared;
    Label *KomentG = nullptr;
    Label *CodeT = nullptr;

    void leave();
};

} // namespace ks
