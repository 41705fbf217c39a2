#include "fight.h"

#include "battlepanels.h"

#include "core/problemfile.h"
#include "core/playersettings.h"
#include "core/romajimatcher.h"
#include "core/settings.h"
#include "screens/story/missiontexts.h"
#include "shell/fileproblem.h"
#include "shell/playerchoices.h"
#include "shell/playsounds.h"
#include "shell/records/keeprun.h"
#include "shell/random.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"
#include "core/utf8.h"

namespace ks {

namespace {

const char *const kExamFiles[5] = {"exam1.ksd", "exam2.ksd", "exam3.ksd", "exam4.ksd", "exam5.ksd"};
const QPoint kWalkers[5] = {{520, 160}, {8, 200}, {384, 200}, {128, 224}, {256, 168}};

// Comment groups.
constexpr int kPraise = 0;
constexpr int kHurry = 3;
constexpr int kAccuracy = 6;

QString examName(int index)
{
    return QStringLiteral("問題ファイル（%1）").arg(QString::fromLatin1(kExamFiles[index]));
}

} // namespace

void Fight::createControls()
{
    setGameScreen(QStringLiteral("ミッション"));
    AssetStore &assets = services().assets;
    PCkame = assets.sheet(QStringLiteral("PCkame"), 1, 3);
    PCfly = assets.sheet(QStringLiteral("PCfly"), 1, 3);
    // The battle's face sheet has taller cells than the speed tester's.
    PCforest = assets.sheet(QStringLiteral("PCforest_battle"), 2, 4);
    Matodata1 = assets.sheet(QStringLiteral("Matodata1"), 1, 13);
    Matodata2 = assets.sheet(QStringLiteral("Matodata2"), 1, 6);

    for (int panel = 0; panel < 4; ++panel)
        createPanel(panel);

    for (int i = 0; i < 5; ++i) {
        mato1[i] = add<Image>(QStringLiteral("mato1"), i,
                              px(kWalkers[i].x(), kWalkers[i].y(), 118, 104), Panel_[0]);
    }
    Mato2 = add<Image>(QStringLiteral("Mato2"), px(PlaneFlight::kStart, 152, 225, 138), Panel_[1]);
    for (int i = 0; i < 2; ++i)
        Mato3[i] =
            add<Image>(QStringLiteral("Mato3"), i, px(104 + 264 * i, 152, 182, 160), Panel_[2]);
    Mato4 = add<Image>(QStringLiteral("Mato4"), px(168, 136, 320, 224), Panel_[3]);
    // Each mission's targets in the order its rules count them, with the
    // sheet their pictures come from.
    targets = {{{mato1.begin(), mato1.end()}, {Mato2}, {Mato3.begin(), Mato3.end()}, {Mato4}}};
    targetSheets = {PCkame, PCfly, Matodata1, Matodata2};
    // The targets stand behind the texts and frames of their panel.
    for (const std::vector<Image *> &mission : targets) {
        for (Image *target : mission)
            target->lower();
    }

    // Holds the face with the glasses flashing; never shown itself.
    Image1 = addImage({QStringLiteral("Image1"), {0, 7500, 1845, 2250}},
                      assets.picture(QStringLiteral("forest_miss")));
    Image1->hide();

    Ongaku = addSoundPlayer(QStringLiteral("Ongaku"), SoundRole::Music);
    Gunsound = addSoundPlayer(QStringLiteral("Gunsound"));
    Setsound = addSoundPlayer(QStringLiteral("Setsound"));
    Misssound = addSoundPlayer(QStringLiteral("Misssound"));
    Brakesound = addSoundPlayer(QStringLiteral("Brakesound"));

    MatoT1 = addTimer(QStringLiteral("MatoT1"), 1000, false, [this] { MatoT1_Timer(); });
    Matot2 = addTimer(QStringLiteral("Matot2"), 50, false, [this] { Matot2_Timer(); });
    LimitT = addTimer(QStringLiteral("LimitT"), 1000, false, [this] { LimitT_Timer(); });
    KaoT = addTimer(QStringLiteral("KaoT"), 100, false, [this] { KaoT_Timer(); });
    MissT = addTimer(QStringLiteral("MissT"), 1000, false, [this] { MissT_Timer(); });
    Hanteit = addTimer(QStringLiteral("Hanteit"), 5, false, [this] { Hanteit_Timer(); });
}

void Fight::createPanel(int panel)
{
    const PanelLayout &layout = battlePanel(panel);
    Panel *p = add<Panel>(QStringLiteral("Panel"), panel, {0, 0, 9600, 7200});
    Panel_[panel] = p;
    p->setBackColor(Qt::black);
    p->setPicture(services().assets.picture(QStringLiteral("battle_bg%1").arg(panel + 1)));

    // The face cell is taller than wide: the image takes the picture's size.
    Kao[panel] =
        add<Image>(QStringLiteral("Kao"), panel, px(layout.kao.x(), layout.kao.y(), 123, 150), p);
    Title[panel] = addLabel({QStringLiteral("Label1"), panel, layout.title},
                            QString::fromUtf8(battleTitle(panel)),
                            {9, false, HouseColour::Green, QColor(), Align::Right}, p);
    Order[panel] =
        addLabel({QStringLiteral("Label1"), panel + 4, layout.order},
                 QString::fromUtf8(battleOrder(panel)), {12, false, HouseColour::Green}, p);
    LMes[panel] = addBubble({QStringLiteral("Shape1"), panel + 4, layout.bubble},
                            {QStringLiteral("LMes"), panel, layout.message}, 12, false, p);
    LMes[panel]->setCaption(QStringLiteral("リターンキーでスタートだ。"));

    const LabelStyle number{27.75, false, HouseColour::Green, QColor(), Align::Right};
    const LabelStyle caption{21.75, false, HouseColour::Green};
    if (!layout.time.isEmpty()) {
        Time[panel] =
            addLabel({QStringLiteral("Time"), panel, layout.time}, QStringLiteral("0"), number, p);
        addLabel({QStringLiteral("Label2"), layout.timeCaptionIndex,
                  px(layout.timeCaption.x(), layout.timeCaption.y(), 113, 33)},
                 QStringLiteral("残り時間"), caption, p);
    }
    Tama[panel] =
        addLabel({QStringLiteral("Tama"), panel, layout.bullets}, QStringLiteral("0"), number, p);
    addLabel({QStringLiteral("Label2"), layout.bulletsCaptionIndex,
              px(layout.bulletsCaption.x(), layout.bulletsCaption.y(), 97, 33)},
             QStringLiteral("残弾数"), caption, p);

    Hira1[panel] = addLabel(
        {QStringLiteral("Hira1"), panel, layout.word}, QString(),
        {layout.wordPoints, layout.wordBold, HouseColour::Green, QColor(), layout.wordAlign}, p);
    Romazi1[panel] =
        addLabel({QStringLiteral("Romazi1"), panel, layout.romaji}, QString(),
                 {layout.romajiPoints, true, HouseColour::Green, QColor(), Align::Center}, p);
    // The word is read whole; its romaji is typed from the front, so the
    // next key is never what a long line loses.
    Hira1[panel]->setOverflow(Overflow::Whole);
    Romazi1[panel]->setOverflow(Overflow::Guide);
    auto *frame = add<Shape>(QStringLiteral("Shape1"), panel, layout.frame, p);
    frame->setKind(ShapeKind::RoundedRectangle);
    frame->setBorderColor(HouseColour::Green);
    frame->setBorderWidth(2);
}

// ---------------------------------------------------------------- setting up

void Fight::Form_Load()
{
    RandomSource &random = services().random;
    random.seedFromClock();
    m_run = {};
    m_run.rules = MissionRules::forStage(n());
    m_run.spelling = readPlayerChoices(host(), window()).spelling;
    Kao[n()]->setPicture(PCforest.cell(0));
    comments = {QStringLiteral("その調子だ！"),
                QStringLiteral("結構上手いぞ。"),
                QStringLiteral("素晴らしい撃ち方だなぁ。"),
                QStringLiteral("もっと速く打て。"),
                QStringLiteral("急げ！！！"),
                QStringLiteral("急げ、急いで、たたけ、たたけ！"),
                QStringLiteral("もう少し正確に！"),
                QStringLiteral("ミスリ過ぎだぞ。"),
                QStringLiteral("もう少し、落ち着いて打てんのか？")};

    // Only the mission's panel is on the screen.
    for (Panel *panel : Panel_)
        panel->move(0, client()->height());
    Panel_[n()]->setGeometry(client()->rect());

    if (!loadFiles())
        return;

    showTargets(m_run.rules->atLoad());
    showPlane();
    const auto texts = missionDisplayTexts(n());
    m_run.displayTexts.assign(texts.begin(), texts.end());
}

// The mission's files, each checked before a shot is fired: a file that
// cannot be used is named to the player and the menu comes back.
bool Fight::loadFiles()
{
    const SettingsFile settings(appDir());
    Result<SettingsLines> lines = settings.read(kSettingsCapacityNarrow);
    if (!lines) {
        tellAndClose(SettingsFile::readFailureText(lines.error()));
        return false;
    }
    settingsLines = std::move(*lines);

    // The last listed music is never picked when there are several: it is
    // the ending music whenever that slot is set.
    openPickedMusic(*Ongaku, settings, settingsLines, services().random);
    openEffects({Gunsound, Setsound, Misssound, Brakesound},
                QString::fromStdString(appDir().path("practice\\standard\\")));

    Result<RomajiTable> table = loadRomajiTableForPlay(appDir().playerFile(kRomajiTableFile));
    if (!table) {
        tellAndClose(
            fileProblemBackToMenuText(QStringLiteral("ローマ字表（roumazi.dat）"), table.error()));
        return false;
    }
    romajiTable = std::move(*table);

    if (!loadExam(n(), static_cast<int>(missionDisplayTexts(n()).size())))
        return false;
    // The battleship's last sentences come from the fifth file: it is tried
    // now, so a broken one is told before the battle, not in its last second.
    if (n() == 3) {
        std::vector<KanaProblem> mission = m_run.problems;
        if (!loadExam(4, static_cast<int>(finalPhaseTexts().size())))
            return false;
        m_run.problems = std::move(mission);
    }
    return true;
}

// Reads an exam file into the run's phrases. Each shown text needs a phrase
// with something to type; a file short of one is refused, since its word
// could never be finished.
bool Fight::loadExam(int index, int phrases)
{
    Result<std::vector<KanaProblem>> problems =
        loadExamProblems(appDir().path(kExamFiles[index]), romajiTable);
    if (!problems) {
        tellAndClose(fileProblemBackToMenuText(examName(index), problems.error()));
        return false;
    }
    for (int k = 0; k < phrases; ++k) {
        if (k >= static_cast<int>(problems->size()) ||
            (*problems)[static_cast<std::size_t>(k)].empty()) {
            tellAndClose(examName(index) +
                         QStringLiteral("に、打つ文字のない文があります（%1 番目）。"
                                        "メインメニューに戻ります。")
                             .arg(k + 1));
            return false;
        }
    }
    m_run.problems = std::move(*problems);
    return true;
}

void Fight::Form_Unload()
{
    // A battle left with Esc is kept as abandoned; one never started is none.
    if (m_run.log)
        keepRun(services().records, services().dialogs, appDir(), *m_run.log);
    host().show(ScreenName::Kidou);
}

// ---------------------------------------------------------------- what the battle shows

void Fight::showTargets(const TargetCells &cells)
{
    const std::vector<Image *> &mission = targets[static_cast<std::size_t>(n())];
    const SpriteSheet &sheet = targetSheets[static_cast<std::size_t>(n())];
    for (const TargetCell &change : cells) {
        Image *target = mission.at(static_cast<std::size_t>(change.target));
        if (change.cell == TargetCell::kGone)
            target->resize(0, 0);
        else
            target->setPicture(sheet.cell(change.cell));
    }
}

void Fight::showPlane()
{
    if (const PlaneFlight *plane = m_run.rules->plane())
        Mato2->move(plane->x(), Mato2->y());
}

// ---------------------------------------------------------------- typing and firing

void Fight::Form_KeyDown(int &keyCode, int)
{
    if (keyCode == KeyCode::Escape) {
        host().unload(*this);
        return;
    }
    if (keyCode != KeyCode::Return)
        return;
    keyCode = 0;
    KaoT->setEnabled(true);
    if (m_run.battleState == BattleState::Waiting)
        startTyping();
}

void Fight::startTyping()
{
    m_run.battleState = BattleState::Typing;
    if (!m_run.log) {
        m_run.log = services().records.startRun(
            RunMode::Mission, QStringLiteral("ミッション%1").arg(n() + 1).toStdString(),
            services().clock.now());
        services().records.openAhead();
    }
    RandomSource &random = services().random;
    presentWord(choose(random, textCount()));
    LMes[n()]->setCaption(QStringLiteral("始めろ！！"));
    const MissionRules::Start start = m_run.rules->start();
    showTargets(start.cells);
    if (start.word == BattleWord::Final) {
        // The final phase: one of the three last sentences, from exam5.
        LMes[n()]->setCaption(QStringLiteral("ぶっこわせ！！"));
        const auto finals = finalPhaseTexts();
        for (std::size_t i = 0; i < finals.size(); ++i)
            m_run.displayTexts[i] = std::string(finals[i]);
        if (!loadExam(4, static_cast<int>(finals.size())))
            return;
        random.seedFromClock();
        presentWord(choose(random, 3));
    }
    supply(start.word);
    Ongaku->restart();
    Hanteit->setEnabled(true);
    LimitT->setEnabled(true);
}

int Fight::textCount() const
{
    return static_cast<int>(missionDisplayTexts(n()).size());
}

void Fight::presentWord(int k)
{
    const auto index = static_cast<std::size_t>(k);
    Hira1[n()]->setCaption(QString::fromStdString(m_run.displayTexts[index]));
    m_run.word = index < m_run.problems.size() ? m_run.problems[index] : KanaProblem();
    m_run.matcher = ProblemMatcher(m_run.spelling, m_run.word);
    showGuide();
    traceReady();
}

// Time and bullets for the word just presented, from the length of its romaji.
void Fight::supply(BattleWord word)
{
    // The table's spelling sets them, whichever spelling the player types.
    const int length = static_cast<int>(utf8Length(tableLine(m_run.word)));
    const WordSupplies supplies = wordSupplies(n(), word, length);
    setBullets(supplies.bullets);
    if (PlaneFlight *plane = m_run.rules->plane()) {
        LimitT->setInterval(100);
        plane->setWordLength(length);
    } else {
        setTime(supplies.time);
    }
}

void Fight::setTime(int seconds)
{
    m_run.timeLeft = seconds;
    if (Time[n()])
        Time[n()]->setCaption(QString::number(seconds));
}

void Fight::setBullets(int count)
{
    m_run.bullets = count;
    Tama[n()]->setCaption(QString::number(count));
}

void Fight::Hanteit_Timer()
{
    m_run.armed = 1;
    Hanteit->setEnabled(false);
}

void Fight::Form_KeyPress(int &keyAscii)
{
    // A word with nothing left to type has nothing to judge: the second
    // between a destroyed battleship and its result, for one.
    if (m_run.bullets == 0 || m_run.battleState != BattleState::Typing ||
        m_run.matcher.guide().empty())
        return;
    if (m_run.armed == 1)
        setBullets(m_run.bullets - 1);
    const auto typed = static_cast<char32_t>(keyAscii);
    const char32_t awaited = firstUtf8Char(m_run.matcher.guide()).code;
    const std::size_t unit = m_run.matcher.unitIndex();
    const KeyOutcome outcome = m_run.matcher.judge(typed);
    // Before the arming tick a wrong key is forgiven: it may be the Return
    // that started the mission. It is no miss in the records either.
    if (outcome == KeyOutcome::KeyWrong && m_run.armed != 1)
        return;
    if (m_run.log) {
        m_run.log->addKey(outcome == KeyOutcome::KeyWrong ? awaited : typed, typed,
                          unit < m_run.word.size() ? std::string_view(m_run.word[unit].kana)
                                                   : std::string_view(),
                          services().clock.now());
    }
    switch (outcome) {
    case KeyOutcome::KeyWrong:
        comment(kAccuracy);
        Kao[n()]->setPicture(Image1->picture());
        KaoT->setEnabled(false);
        MissT->setEnabled(true);
        Misssound->restart();
        break;
    case KeyOutcome::KeyAdvanced:
        showTargets({m_run.rules->hit()});
        Matot2->setEnabled(true);
        Gunsound->restart();
        showGuide();
        break;
    case KeyOutcome::KeyCompleted:
        Gunsound->restart();
        Brakesound->restart();
        showGuide();
        wordFinished();
        break;
    }
}

// The romaji still to type: under any spelling, the rest of the spelling
// the player has chosen so far.
void Fight::showGuide()
{
    Romazi1[n()]->setCaption(QString::fromStdString(std::string(m_run.matcher.guide())));
}

void Fight::comment(int group)
{
    const int line = group + choose(services().random, 3);
    LMes[n()]->setCaption(comments[static_cast<std::size_t>(line)]);
}

void Fight::wordFinished()
{
    // The instructor's word on it: few bullets left is careless; a plane near
    // the left edge or a short time label is slow; anything else is praise.
    const PlaneFlight *plane = m_run.rules->plane();
    const bool slow = plane ? plane->x() <= PlaneFlight::kSlowFrom
                            : timeTextIsShort(std::to_string(m_run.timeLeft));
    if (bulletsTextIsLow(std::to_string(m_run.bullets))) {
        m_run.face.setStern(true);
        comment(kAccuracy);
    } else {
        m_run.face.setStern(slow);
        comment(slow ? kHurry : kPraise);
    }

    const WordEnd end = m_run.rules->finishWord();
    showTargets(end.cells);
    // A restore due from the keys before must not draw a target that went
    // down whole again; where the rules have a picture to come back to (the
    // battleship, head-on or turned), it comes 50 ms after the hit.
    Matot2->setEnabled(!m_run.rules->restore().empty());
    switch (end.next) {
    case AfterWord::TargetDown:
        Hira1[n()]->setCaption(QString());
        m_run.battleState = BattleState::TargetDown;
        MatoT1->setEnabled(true);
        LimitT->setEnabled(false);
        break;
    case AfterWord::NextWordNow:
        presentWord(choose(services().random, textCount()));
        supply(BattleWord::Later);
        break;
    case AfterWord::WaitForReturn:
        battleshipTurns();
        break;
    case AfterWord::Destroyed:
        Hira1[n()]->setCaption(QString());
        LMes[n()]->setCaption(QStringLiteral("よっし！"));
        m_run.battleState = BattleState::Finished;
        MatoT1->setEnabled(true);
        LimitT->setEnabled(false);
        break;
    }
}

// The battleship turns to flee: the music stops and the battle waits for
// the Return that brings the final sentence.
void Fight::battleshipTurns()
{
    Ongaku->stop();
    Hira1[n()]->setCaption(QString());
    Kao[n()]->setPicture(PCforest.cell(4));
    KaoT->setEnabled(false);
    MissT->setEnabled(false);
    m_run.face.setStern(true);
    m_run.armed = 0;
    LMes[n()]->setCaption(QStringLiteral("リターンキーを押し、一気に破壊せよ。"));
    Order[n()]->setCaption(QStringLiteral("逃げ行く戦艦を去って行く前に破壊せよ。"));
    m_run.battleState = BattleState::Waiting;
    LimitT->setEnabled(false);
}

// ---------------------------------------------------------------- timers

void Fight::lose()
{
    if (m_run.log)
        m_run.log->finish(RunEnd::Lost, services().clock.now(), std::nullopt, "Mission Incomplete");
    keepFinishedRun();
    LimitT->setEnabled(false);
    Ongaku->stop();
    host().showModal(ScreenName::Incomplete, [this] { host().unload(*this); });
}

void Fight::LimitT_Timer()
{
    if (PlaneFlight *plane = m_run.rules->plane()) {
        if (plane->fly()) {
            showPlane();
            return;
        }
        m_run.battleState = BattleState::Finished;
        lose();
        return;
    }
    // A word given no time (a final sentence shorter than five romaji)
    // runs out at once rather than counting below zero for ever.
    if (m_run.timeLeft > 1) {
        setTime(m_run.timeLeft - 1);
        return;
    }
    lose();
}

void Fight::win()
{
    m_run.resultOpen = true;
    Ongaku->stop();
    if (m_run.log)
        m_run.log->finish(RunEnd::Won, services().clock.now(), std::nullopt, "Mission Complete");
    keepFinishedRun();
}

// The run is kept as the mission ends, not as the battle unloads: a run the
// records cannot keep is told in a box that stands before the result, over
// the battle, rather than after it over an empty desktop.
void Fight::keepFinishedRun()
{
    if (!m_run.log)
        return;
    keepRun(services().records, services().dialogs, appDir(), *m_run.log);
    m_run.log.reset();
}

void Fight::MatoT1_Timer()
{
    if (m_run.resultOpen)
        return;
    // Drawn before anything else, as every tick always has: the words
    // drawn later depend on it.
    const int k = choose(services().random, textCount());
    const Second second = m_run.rules->nextSecond();
    switch (second.next) {
    case AfterSecond::Wait:
        return;
    case AfterSecond::WonWithCredits:
        win();
        host().showModal(ScreenName::Complete, [this] {
            host().showModal(ScreenName::Ending, [this] { host().unload(*this); });
            // The credits are taller and borderless: the battle's frame
            // would show around them.
            if (isLoaded())
                host().hide(*this);
        });
        return;
    case AfterSecond::Won:
        win();
        m_run.battleState = BattleState::Won;
        host().showModal(ScreenName::Complete, [this] { host().unload(*this); });
        return;
    case AfterSecond::NextWord:
        break;
    }
    showTargets(second.cells);
    showPlane();
    MatoT1->setEnabled(false);
    m_run.battleState = BattleState::Typing;
    presentWord(k);
    supply(BattleWord::Later);
    LimitT->setEnabled(true);
}

void Fight::Matot2_Timer()
{
    showTargets(m_run.rules->restore());
    Matot2->setEnabled(false);
}

void Fight::KaoT_Timer()
{
    Kao[n()]->setPicture(PCforest.cell(m_run.face.next().cell));
}

void Fight::MissT_Timer()
{
    Kao[n()]->setPicture(PCforest.cell(4));
    m_run.face.restart();
    KaoT->setEnabled(true);
    MissT->setEnabled(false);
    m_run.face.setStern(true);
}

void Fight::writeVariables(StateWriter &out) const
{
    out.add(name() + QStringLiteral(".battleState"),
            QString::number(static_cast<int>(m_run.battleState)));
    out.add(name() + QStringLiteral(".targetsLeft"),
            QString::number(m_run.rules ? m_run.rules->targetsLeft() : 0));
}

} // namespace ks
