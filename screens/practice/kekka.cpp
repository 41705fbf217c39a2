#include "kekka.h"

#include "shell/screenhost.h"
#include "shell/units.h"

#include <cmath>

namespace ks {

void Kekka::createControls()
{
    setGameScreen(QStringLiteral("Form1"), Border::Result);
    Panel3 = add<Panel>(QStringLiteral("Panel3"), {0, 0, 9600, 7200});
    Panel3->setBackColor(Qt::black);
    Label1 = addLabel({QStringLiteral("Label1"), {240, 480, 9015, 735}},
                      QStringLiteral("お疲れさまでした。"),
                      {36, false, bgrColor(0x0080FFFF), QColor(), Align::Center}, Panel3);
    Saigo = addLabel({QStringLiteral("Saigo"), {0, 1320, 9495, 615}},
                     QStringLiteral("お疲れさまでした。"),
                     {26.25, false, Qt::white, QColor(), Align::Center}, Panel3);
    Image2 = add<Image>(QStringLiteral("Image2"), {480, 4320, 2250, 2250}, Panel3);
    Coment = addBubble({QStringLiteral("Shape1"), 1, {3000, 4680, 5295, 1335}},
                       {QStringLiteral("Coment"), {3120, 4800, 5055, 1095}}, 12, true, Panel3);
    Coment->setCaption(QStringLiteral("Label1"));
    Timer1 = addTimer(QStringLiteral("Timer1"), 300, true, [this] { Timer1_Timer(); });
}

Kekka::Verdict Kekka::verdictOf(int hitRate)
{
    if (hitRate >= 100)
        return {5, false};
    if (hitRate >= 95)
        return {4, false};
    if (hitRate >= 88)
        return {1, false};
    if (hitRate >= 80)
        return {2, false};
    return {3, true};
}

int Kekka::hitRateOf(const PracticeShared &run)
{
    const double tipe = run.Tipe;
    return static_cast<int>(std::floor((tipe - run.Miss) / tipe * 100.0));
}

std::string Kekka::verdictWord(const PracticeShared &run)
{
    if (run.Stage == PracticeStage::TimeUp)
        return "時間切れ";
    if (run.Stage != PracticeStage::Done || run.Tipe <= 0)
        return {};
    switch (verdictOf(hitRateOf(run)).line) {
    case 2:
        return "ぎりぎり合格";
    case 3:
        return "不合格";
    default:
        return "合格";
    }
}

void Kekka::Form_Load()
{
    Panel3->setGeometry(client()->rect());
    keyLock = 1;
    verdicts = {
        QStringLiteral("残念ながら時間切れです。今度はもっと早く打ち込んでいって下さい。"),
        QStringLiteral("おめでとうございます。合格です。この調子で次の問題に挑戦してみましょう。"),
        QStringLiteral(
            "ぎりぎり合格です。次はもう少し余裕を持ってクリアーできるようにして下さいね。"),
        QStringLiteral(
            "間違いすぎです。これじゃあ、合格は無理です。もっと正確にタイプするよう心がけて"
            "下さい。"),
        QStringLiteral("うわ～、すごい！人は見かけによりませんねぇ。"),
        QStringLiteral("まっ、参りました。")};
    AssetStore &assets = services().assets;
    const SpriteSheet faces = assets.sheet(QStringLiteral("PCmika"), 2, 4);

    if (m_shared.Stage == PracticeStage::TimeUp) {
        Label1->setCaption(QString());
        Saigo->setCaption(QStringLiteral("時間切れです。"));
        Coment->setCaption(verdicts[0]);
        Image2->setPicture(assets.picture(QStringLiteral("mika_dismayed")));
        return;
    }
    if (m_shared.Stage != PracticeStage::Done)
        return;
    // A run that judged no key (every problem had nothing to type) has no
    // hit rate to give.
    if (m_shared.Tipe <= 0) {
        Saigo->setCaption(QStringLiteral("命中率－％"));
        Coment->setCaption(QStringLiteral("打つ問題がありませんでした。別の問題ファイルを選んで"
                                          "下さい。"));
        Image2->setPicture(faces.cell(0));
        return;
    }
    const int hitRate = hitRateOf(m_shared);
    Saigo->setCaption(QStringLiteral("命中率%1％").arg(hitRate));
    const Verdict verdict = verdictOf(hitRate);
    Coment->setCaption(verdicts[static_cast<std::size_t>(verdict.line)]);
    Image2->setPicture(faces.cell(verdict.stern ? 4 : 0));
}

void Kekka::Timer1_Timer()
{
    if (keyLock == 0) {
        keyLock = 1;
        return;
    }
    keyLock = 2;
    Timer1->setEnabled(false);
    traceReady();
}

void Kekka::closeIfReady()
{
    if (keyLock == 2)
        host().unload(*this);
}

void Kekka::Form_KeyDown(int &, int)
{
    closeIfReady();
}

void Kekka::Form_KeyPress(int &)
{
    closeIfReady();
}

void Kekka::Form_Unload()
{
    host().show(ScreenName::FileLoad);
}

} // namespace ks
