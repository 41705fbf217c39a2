#include "screentable.h"

#include "screens/options/romacast.h"
#include "screens/options/settei.h"
#include "screens/practice/fileload.h"
#include "screens/practice/kekka.h"
#include "screens/practice/practiceshared.h"
#include "screens/records/kiroku.h"
#include "screens/screennames.h"
#include "screens/startup/kakunin.h"
#include "screens/story/ending.h"
#include "screens/story/fight.h"
#include "screens/story/mission.h"
#include "screens/story/missionresult.h"
#include "screens/story/storyshared.h"
#include "screens/startup/kidou.h"
#include "screens/startup/logo.h"
#include "screens/tester/hapyou.h"
#include "screens/tester/speedtestshared.h"
#include "screens/tester/tester1.h"
#include "screens/tester/tester2.h"

namespace ks {

namespace {

template <typename T> std::unique_ptr<Screen> make(ScreenHost &host)
{
    return std::make_unique<T>(host);
}

// A screen of a mode, handed the state the mode's screens share.
template <typename T, typename State, typename... Args>
ScreenHost::Factory withState(std::shared_ptr<State> state, Args... args)
{
    return [state, args...](ScreenHost &host) -> std::unique_ptr<Screen> {
        return std::make_unique<T>(host, *state, args...);
    };
}

} // namespace

ScreenHost::ScreenTable gameScreens()
{
    auto speedTest = std::make_shared<SpeedTestShared>();
    auto practice = std::make_shared<PracticeShared>();
    auto story = std::make_shared<StoryShared>();
    return {
        {ScreenName::Kakunin, make<Kakunin>},
        {ScreenName::Logo, make<Logo>},
        {ScreenName::Kidou, make<Kidou>},
        {ScreenName::Tester1, withState<Tester1>(speedTest)},
        {ScreenName::Tester2, withState<Tester2>(speedTest)},
        {ScreenName::Hapyou1, withState<Hapyou>(speedTest, 1)},
        {ScreenName::Hapyou2, withState<Hapyou>(speedTest, 2)},
        {ScreenName::FileLoad, withState<FileLoad>(practice)},
        {ScreenName::Kekka, withState<Kekka>(practice)},
        {ScreenName::Mission, withState<Mission>(story)},
        {ScreenName::Fight, withState<Fight>(story)},
        {ScreenName::Complete, withState<MissionResult>(story, true)},
        {ScreenName::Incomplete, withState<MissionResult>(story, false)},
        {ScreenName::Ending, make<Ending>},
        {ScreenName::Settei, make<Settei>},
        {ScreenName::romacast, make<romacast>},
        {ScreenName::Kiroku, make<Kiroku>},
    };
}

} // namespace ks
