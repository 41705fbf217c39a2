#include "tester2.h"

#include "core/settings.h"
#include "screens/tester/ratingstyle.h"
#include "shell/playsounds.h"
#include "shell/records/keeprun.h"
#include "shell/random.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"

namespace ks {

namespace {

// Cells of the outline sheet Mato(1).
constexpr int kLowOutline = 0;
constexpr int kHalfOutline = 1;
constexpr int kBareBase = 2;

constexpr int kRowLength = 10;
constexpr int kUpperRowEnd = kRowLength - 1;
constexpr int kLowerRowEnd = 2 * kRowLength - 1;

// The instructor's lines, three to a group.
constexpr int kStartLines = 0;
constexpr int kOnPaceLines = 3;
constexpr int kBehindLines = 6;
constexpr int kMissLines = 9;

// Where each rating's name and count stand, in rating order (Ten(0) to Ten(5)).
struct CountPlace
{
    int labelIndex;
    QRect label;
    QRect count;
};
constexpr CountPlace kCountPlaces[6] = {
    {4, {600, 3840, 1335, 495}, {2160, 3840, 735, 495}},
    {0, {720, 4440, 1215, 495}, {2160, 4440, 735, 495}},
    {1, {6840, 3840, 1215, 495}, {8160, 3840, 735, 495}},
    {5, {6840, 4440, 1215, 495}, {8160, 4440, 735, 495}},
    {2, {720, 6360, 1215, 495}, {2280, 6360, 735, 495}},
    {3, {6840, 6360, 1215, 495}, {8160, 6360, 735, 495}},
};

} // namespace

void Tester2::createControls()
{
    setGameScreen(QStringLiteral("打速度テスター"));
    AssetStore &assets = services().assets;
    Mato[0] = assets.sheet(QStringLiteral("Mato0"), 2, 13);
    Mato[1] = assets.sheet(QStringLiteral("Mato1"), 1, 3);
    PCforest = assets.sheet(QStringLiteral("PCforest"), 2, 4);

    for (int i = 0; i < 20; ++i) {
        const int column = i % kRowLength;
        Target[i] = add<Panel>(QStringLiteral("Target"), i,
                               {720 + 840 * column, i < kRowLength ? 2520 : 5040, 615, 1215});
        Target[i]->setBackColor(Qt::black);
    }

    const LabelStyle onBlack{18, false, Qt::white, Qt::black, Align::Right};
    Label4 = addLabel({QStringLiteral("Label4"), 0, {2640, 2040, 1695, 375}},
                      QStringLiteral("Time Limit"), onBlack);
    Lim = addLabel({QStringLiteral("Lim"), {4440, 1920, 735, 495}}, QString(),
                   {26.25, false, HouseColour::Green, Qt::black, Align::Right});
    Label1 = addLabel({QStringLiteral("Label1"), {3240, 4080, 3135, 615}}, QString(),
                      {27.75, false, HouseColour::Green, Qt::black, Align::Center});

    for (Rating rating : kRatings) {
        const auto k = static_cast<std::size_t>(rating);
        const CountPlace &place = kCountPlaces[k];
        const LabelStyle style{24, false, ratingColour(rating), Qt::black, Align::Right};
        addLabel({QStringLiteral("Label2"), place.labelIndex, place.label},
                 ratingText(ratingRule(rating).name), style);
        Ten[k] = addLabel({QStringLiteral("Ten"), static_cast<int>(k), place.count},
                          QStringLiteral("0"), style);
    }

    Kao = add<Image>(QStringLiteral("Kao"), {240, 120, 2250, 2250});
    Label3 = addBubble({QStringLiteral("Shape1"), {2760, 1080, 6375, 495}},
                       {QStringLiteral("Label3"), {2880, 1200, 6135, 255}}, 12, false);
    Label3->setCaption(QStringLiteral("リターンキーでスタートだ。"));
    // Holds the shouting face for the miss reaction and the results; never shown itself.
    Image1 = addImage({QStringLiteral("Image1"), {240, 7440, 2250, 2250}},
                      assets.picture(QStringLiteral("forest_shout")));
    Image1->hide();

    Gunsound = addSoundPlayer(QStringLiteral("Gunsound"));
    Setsound = addSoundPlayer(QStringLiteral("Setsound"));
    Misssound = addSoundPlayer(QStringLiteral("Misssound"));
    Ongaku = addSoundPlayer(QStringLiteral("Ongaku"), SoundRole::Music);

    Timer1 = addTimer(QStringLiteral("Timer1"), 30, false, [this] { Timer1_Timer(); });
    GoodT = addTimer(QStringLiteral("GoodT"), 100, false, [this] { GoodT_Timer(); });
    Timer2 = addTimer(QStringLiteral("Timer2"), 300, true, [this] { Timer2_Timer(); });
    Timer3 = addTimer(QStringLiteral("Timer3"), 1000, false, [this] { Timer3_Timer(); });
    Atime = addTimer(QStringLiteral("Atime"), 1000, true, [this] { Atime_Timer(); });
    Mtime = addTimer(QStringLiteral("Mtime"), 3000, false, [this] { Mtime_Timer(); });
    Mtime2 = addTimer(QStringLiteral("Mtime2"), 1000, false, [this] { Mtime2_Timer(); });
}

void Tester2::Form_Load()
{
    services().random.seedFromClock();

    m_run = {};
    m_shared.counts = RatingCounts();
    m_shared.settingsLost = false;

    instructorLoad();
    m_run.secondsLeft = m_shared.Tlimit1;
    Lim->setCaption(QString::number(m_run.secondsLeft));

    Result<SettingsLines> lines = SettingsFile(appDir()).read(kSettingsCapacityWide);
    if (!lines) {
        tellAndClose(SettingsFile::readFailureText(lines.error()));
        return;
    }
    settingsLines = std::move(*lines);
    for (Panel *target : Target)
        target->setPicture(Mato[1].cell(kBareBase));
}

void Tester2::Form_KeyDown(int &keyCode, int)
{
    if (keyCode == KeyCode::Escape) {
        host().unload(*this);
        return;
    }
    if (keyCode == KeyCode::Return && m_run.runState == RunState::Waiting) {
        keyCode = 0;
        startRun();
    }
}

void Tester2::startRun()
{
    m_run.runState = RunState::Starting;
    m_run.log = services().records.startRun(
        RunMode::SpeedTest, QStringLiteral("%1秒").arg(m_shared.Tlimit1).toStdString(),
        services().clock.now());
    openEffects({Gunsound, Setsound, Misssound},
                QString::fromStdString(appDir().path("practice\\standard\\")));

    if (!settingsLines.musicSlots().empty()) {
        openPickedMusic(*Ongaku, SettingsFile(appDir()), settingsLines, services().random);
        Ongaku->restart();
    }

    drawLetters();
    raiseRow(Row::Upper);
    GoodT->setEnabled(true);
    Timer3->setEnabled(true);
    instructorStart();
    // The countdown runs from here: the file opened now costs the run's
    // first moment, not its result's.
    services().records.openAhead();
}

void Tester2::drawLetters()
{
    for (int &letter : m_run.targetLetters)
        letter = choose(services().random, 26);
}

void Tester2::raiseRow(Row row)
{
    const int first = row == Row::Upper ? 0 : kRowLength;
    for (int i = first; i < first + kRowLength; ++i)
        Target[i]->setPicture(Mato[1].cell(kLowOutline));
    m_run.riseStep = 0;
    Timer1->setEnabled(true);
}

void Tester2::Form_KeyPress(int &keyAscii)
{
    if (m_run.runState != RunState::Typing)
        return;
    const char32_t awaited = U'a' + static_cast<char32_t>(m_run.targetLetters[m_run.targetPos]);
    if (m_run.log)
        m_run.log->addKey(awaited, static_cast<char32_t>(keyAscii), services().clock.now());
    if (keyAscii == static_cast<int>(awaited))
        hit();
    else
        miss();
}

void Tester2::count(Rating rating)
{
    m_shared.counts.add(rating);
    Label1->setCaption(ratingText(ratingRule(rating).flash));
    Ten[static_cast<std::size_t>(rating)]->setCaption(
        QString::number(m_shared.counts.count(rating)));
}

void Tester2::hit()
{
    const bool rowEnd = m_run.targetPos == kUpperRowEnd || m_run.targetPos == kLowerRowEnd;
    if (rowEnd)
        m_run.runState = RunState::Rising;
    Gunsound->restart();
    count(ratingOfHit(m_run.hitTicks));

    Target[m_run.targetPos]->setPicture(Mato[1].cell(kBareBase));
    m_run.hitTicks = 0;
    if (!rowEnd) {
        ++m_run.targetPos;
        return;
    }
    // The end of a row: the other row rises with fresh letters.
    drawLetters();
    if (m_run.targetPos == kUpperRowEnd) {
        raiseRow(Row::Lower);
        m_run.targetPos = kRowLength;
    } else {
        raiseRow(Row::Upper);
        m_run.targetPos = 0;
    }
}

void Tester2::miss()
{
    Misssound->restart();
    count(Rating::Miss);
    instructorMiss();
}

void Tester2::Timer1_Timer()
{
    const int first = m_run.risingRow == Row::Upper ? 0 : kRowLength;
    if (m_run.riseStep == 0) {
        if (m_run.risingRow == Row::Upper)
            Setsound->restart();
        for (int i = first; i < first + kRowLength; ++i)
            Target[i]->setPicture(Mato[1].cell(kHalfOutline));
        m_run.riseStep = 1;
        return;
    }
    for (int i = first; i < first + kRowLength; ++i)
        Target[i]->setPicture(Mato[0].cell(m_run.targetLetters[i]));
    if (m_run.risingRow == Row::Lower)
        m_run.hitTicks = 0;
    m_run.risingRow = m_run.risingRow == Row::Upper ? Row::Lower : Row::Upper;
    Timer1->setEnabled(false);
    m_run.runState = RunState::Typing;
    // The row's letters, for whoever drives the game from outside.
    QString letters;
    for (int i = first; i < first + kRowLength; ++i)
        letters += QChar(u'a' + m_run.targetLetters[static_cast<std::size_t>(i)]);
    traceReady(letters);
}

void Tester2::GoodT_Timer()
{
    if (m_run.hitTicks < 32767)
        ++m_run.hitTicks;
}

void Tester2::Timer2_Timer()
{
    Label1->setCaption(QString());
}

void Tester2::Timer3_Timer()
{
    // A course length of 1 or less is time up at the first tick, never a
    // countdown that cannot end.
    if (m_run.secondsLeft >= 2) {
        --m_run.secondsLeft;
        Lim->setCaption(QString::number(m_run.secondsLeft));
        return;
    }
    m_run.runState = RunState::TimeUp;
    host().unload(*this);
}

void Tester2::Form_Unload()
{
    // A run left with Esc is kept as abandoned; one never started is none.
    if (m_run.log) {
        if (m_run.runState == RunState::TimeUp)
            m_run.log->finish(RunEnd::Finished, services().clock.now(), m_shared.counts.total());
        keepRun(services().records, services().dialogs, appDir(), *m_run.log);
    }
    if (m_run.runState != RunState::TimeUp) {
        host().show(ScreenName::Kidou);
        return;
    }
    const int seconds = m_shared.Tlimit1;
    if (seconds != 30 && seconds != 60) {
        host().show(ScreenName::Tester1);
        return;
    }
    Ongaku->stop();
    host().showModal(seconds == 30 ? ScreenName::Hapyou1 : ScreenName::Hapyou2, [this] {
        // Results that could not read the settings have said so; the course
        // screen would only fail on the same file.
        host().show(m_shared.settingsLost ? ScreenName::Kidou : ScreenName::Tester1);
    });
}

// The instructor --------------------------------------------------------------

void Tester2::instructorLoad()
{
    instructorLines = {
        QStringLiteral("打ちまくれ！！"),       QStringLiteral("いくずぇ、おるぁ～～～！！"),
        QStringLiteral("叩きまくれ。"),         QStringLiteral("その調子だ。"),
        QStringLiteral("いいかんじだなぁ。"),   QStringLiteral("いいぞ、いいぞ。"),
        QStringLiteral("もうちょい速く打て。"), QStringLiteral("ペースが落ちてるぞ。"),
        QStringLiteral("もっと速く。"),         QStringLiteral("焦るな。"),
        QStringLiteral("正確に打て。"),         QStringLiteral("くぉうらっ！")};
    Kao->setPicture(PCforest.cell(0));
}

QString Tester2::lineOfGroup(int first)
{
    const int line = first + choose(services().random, 3);
    return instructorLines[static_cast<std::size_t>(line)];
}

bool Tester2::onPace() const
{
    return onSpeedTestPace(m_shared.counts.rated(), m_shared.Tlimit1 - m_run.secondsLeft);
}

void Tester2::instructorStart()
{
    Label3->setCaption(lineOfGroup(kStartLines));
    Mtime->setEnabled(true);
}

void Tester2::instructorMiss()
{
    Kao->setPicture(Image1->picture());
    Atime->setEnabled(false);
    Label3->setCaption(lineOfGroup(kMissLines));
    Mtime->setEnabled(false);
    Mtime2->setEnabled(true);
}

void Tester2::Atime_Timer()
{
    // Calm: a glint crosses the glasses once a second. Angry: the red face
    // cycles every 50 ms without rest. The mood is decided at each run's start.
    FaceAnimation &face = m_run.face;
    if (face.atRunStart()) {
        face.setStern(!onPace());
        Atime->setInterval(50);
    }
    const FaceAnimation::Frame frame = face.next();
    Kao->setPicture(PCforest.cell(frame.cell));
    if (frame.runEnded && !face.isStern())
        Atime->setInterval(1000);
}

void Tester2::Mtime_Timer()
{
    Label3->setCaption(lineOfGroup(onPace() ? kOnPaceLines : kBehindLines));
}

void Tester2::Mtime2_Timer()
{
    Label3->setCaption(lineOfGroup(onPace() ? kOnPaceLines : kBehindLines));
    Kao->setPicture(PCforest.cell(1));
    m_run.face.setStern(false);
    m_run.face.restart();
    Mtime2->setEnabled(false);
    Mtime->setEnabled(true);
    Atime->setEnabled(true);
}

void Tester2::writeVariables(StateWriter &out) const
{
    // The public counters keep the names the results and the traces know.
    const std::pair<const char *, Rating> counters[] = {
        {"Miss", Rating::Miss},   {"Bad", Rating::Bad},       {"Good", Rating::Good},
        {"Grate", Rating::Grate}, {"Fervor", Rating::Fervor}, {"Ok", Rating::Ok}};
    for (const auto &[counter, rating] : counters)
        out.add(name() + '.' + QString::fromLatin1(counter),
                QString::number(m_shared.counts.count(rating)));
}

} // namespace ks
