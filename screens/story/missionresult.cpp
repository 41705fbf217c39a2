#include "missionresult.h"

#include "screens/screennames.h"
#include "shell/random.h"
#include "shell/screenhost.h"
#include "shell/units.h"

#include <algorithm>

namespace ks {

MissionResult::MissionResult(ScreenHost &host, const StoryShared &shared, bool won)
    : Screen(host, won ? ScreenName::Complete : ScreenName::Incomplete), m_shared(shared),
      m_won(won)
{}

void MissionResult::createControls()
{
    setGameScreen(m_won ? QStringLiteral("完了") : QStringLiteral("失敗！"), Border::Result);
    // Incomplete's face and bubble sit a little higher, its bubble further right.
    const QRect title = m_won ? QRect(1800, 1080, 6375, 855) : QRect(1680, 1200, 6375, 855);
    const QRect face = m_won ? QRect(1200, 4560, 1815, 2055) : QRect(1200, 4080, 1815, 2055);
    const QRect bubble = m_won ? QRect(3600, 4800, 5295, 1815) : QRect(3960, 4320, 5295, 1815);
    const QRect words = m_won ? QRect(3720, 4920, 5055, 1575) : QRect(4080, 4440, 5055, 1575);
    addLabel(
        {QStringLiteral("Label1"), title},
        m_won ? QStringLiteral("Mission Complete") : QStringLiteral("Mission Incomplete"),
        {36, true, m_won ? HouseColour::Green : HouseColour::Red, QColor(), Align::Center, true});
    Image1 = add<Image>(QStringLiteral("Image1"), face);
    KomentG =
        addBubble({QStringLiteral("Shape1"), bubble}, {QStringLiteral("KomentG"), words}, 12, true);
    KomentG->setCaption(m_won ? QStringLiteral("Label1")
                              : QStringLiteral("ダメだな。まだまだ修行がたりん。次はちゃんと作戦を"
                                               "遂行できるように、練習をつんどけ。"));
    Timer1 = addTimer(QStringLiteral("Timer1"), 300, true, [this] { Timer1_Timer(); });
}

void MissionResult::Form_Load()
{
    keyLock = 0;
    AssetStore &assets = services().assets;
    if (!m_won) {
        Image1->setPicture(assets.picture(QStringLiteral("forest_miss")));
        return;
    }
    Image1->setPicture(assets.sheet(QStringLiteral("PCforest_battle"), 2, 4).cell(0));
    const QString messages[14] = {QStringLiteral("良くやった！！"),
                                  QStringLiteral("でかしたぞ！"),
                                  QStringLiteral("よっし！！！"),
                                  QStringLiteral("無事に任務を完了してくれたな。"),
                                  QStringLiteral("今回の君の仕事は見事だったぞ。"),
                                  QStringLiteral("上手く敵を一掃してくれたなぁ。"),
                                  QStringLiteral("次の作戦のミッションコードは、「"),
                                  QStringLiteral("」だ。"),
                                  QStringLiteral("５０４７"),
                                  QStringLiteral("７２５８"),
                                  QStringLiteral("３２４１"),
                                  QStringLiteral("次も上手くやってくれよ。"),
                                  QStringLiteral("この調子で一気に行け！"),
                                  QStringLiteral("それじゃあ、また今度。")};
    if (m_shared.Stage == 3) {
        KomentG->setCaption(QStringLiteral("ありがとう、よくやってくれた！"
                                           "だが奴らがこれであきらめたとはおもわん。\n"
                                           "今後に備えてトレーニングを怠るなよ。"));
        return;
    }
    RandomSource &random = services().random;
    random.seedFromClock();
    const int a = choose(random, 3);
    const int b = choose(random, 3) + 3;
    const int c = choose(random, 3) + 11;
    const int code = std::clamp<int>(m_shared.Stage, 0, 2) + 8;
    KomentG->setCaption(messages[a] + '\n' + messages[b] + '\n' + messages[6] + messages[code] +
                        messages[7] + '\n' + messages[c]);
}

void MissionResult::Timer1_Timer()
{
    if (keyLock == 0) {
        keyLock = 1;
        return;
    }
    keyLock = 2;
    Timer1->setEnabled(false);
    traceReady();
}

void MissionResult::Form_KeyDown(int &, int)
{
    if (keyLock == 2)
        host().unload(*this);
}

} // namespace ks
