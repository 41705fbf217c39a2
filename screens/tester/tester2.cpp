#include "tester2.h"

#include "core/items.h"
#include "core/settings.h"
#include "screens/tester/tester1.h"
#include "shell/dialogs.h"
#include "shell/random.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"

#include <cmath>

namespace ks {

namespace {

// Cells of the outline sheet Mato(1).
constexpr int kLowOutline = 0;
constexpr int kHalfOutline = 1;
constexpr int kBareBase = 2;

constexpr int kRowLength = 10;

struct CountRow
{
    int labelIndex;
    const char *name;
    QRect labelRect;
    QRect countRect;
    unsigned colour;
};

// In the order of Ten(0) to Ten(5): Fervor, Grate, Good, OK, Bad, Miss.
const CountRow kCountRows[6] = {
    {4, "Fervor", {600, 3840, 1335, 495}, {2160, 3840, 735, 495}, 0x00FFFF80},
    {0, "Grate", {720, 4440, 1215, 495}, {2160, 4440, 735, 495}, 0x0080FF80},
    {1, "Good", {6840, 3840, 1215, 495}, {8160, 3840, 735, 495}, 0x00FFC0FF},
    {5, "OK", {6840, 4440, 1215, 495}, {8160, 4440, 735, 495}, 0x0080FFFF},
    {2, "Bad", {720, 6360, 1215, 495}, {2280, 6360, 735, 495}, 0x00FFC0C0},
    {3, "Miss", {6840, 6360, 1215, 495}, {8160, 6360, 735, 495}, 0x000000FF},
};

enum CountIndex
{
    FervorCount,
    GrateCount,
    GoodCount,
    OkCount,
    BadCount,
    MissCount
};

// A hit is rated by the 100 ms ticks since the previous one.
struct Rating
{
    int maxTicks;
    const char *flash;
    CountIndex count;
};
const Rating kRatings[] = {{2, "Fervor!!!", FervorCount},
                           {5, "Grate!!", GrateCount},
                           {8, "Good!", GoodCount},
                           {10, "OK", OkCount},
                           {32767, "Bad", BadCount}};

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

    Label4 = add<Label>(QStringLiteral("Label4"), 0, {2640, 2040, 1695, 375});
    Label4->setCaption(QStringLiteral("Time Limit"));
    Label4->setFontPoints(18);
    Label4->setForeColor(Qt::white);
    Label4->setBackColor(Qt::black);
    Label4->setTextAlign(Align::Right);

    Lim = add<Label>(QStringLiteral("Lim"), {4440, 1920, 735, 495});
    Lim->setFontPoints(26.25);
    Lim->setForeColor(bgrColor(0x0080FF80));
    Lim->setBackColor(Qt::black);
    Lim->setTextAlign(Align::Right);

    Label1 = add<Label>(QStringLiteral("Label1"), {3240, 4080, 3135, 615});
    Label1->setFontPoints(27.75);
    Label1->setForeColor(bgrColor(0x0080FF80));
    Label1->setBackColor(Qt::black);
    Label1->setTextAlign(Align::Center);

    for (int k = 0; k < 6; ++k) {
        const CountRow &row = kCountRows[k];
        Label *name = add<Label>(QStringLiteral("Label2"), row.labelIndex, row.labelRect);
        Label2[row.labelIndex] = name;
        Ten[k] = add<Label>(QStringLiteral("Ten"), k, row.countRect);
        name->setCaption(QString::fromLatin1(row.name));
        Ten[k]->setCaption(QStringLiteral("0"));
        for (Label *label : {name, Ten[k]}) {
            label->setFontPoints(24);
            label->setForeColor(bgrColor(row.colour));
            label->setBackColor(Qt::black);
            label->setTextAlign(Align::Right);
        }
    }

    Kao = add<Image>(QStringLiteral("Kao"), {240, 120, 2250, 2250});
    Shape1 = add<Shape>(QStringLiteral("Shape1"), {2760, 1080, 6375, 495});
    Shape1->setKind(ShapeKind::RoundedRectangle);
    Shape1->setFillColor(bgrColor(0x00C0FFFF));
    Shape1->setBorderColor(bgrColor(0x0080C0FF));
    Shape1->setBorderWidth(2);
    Label3 = add<Label>(QStringLiteral("Label3"), {2880, 1200, 6135, 255});
    Label3->setCaption(QStringLiteral("リターンキーでスタートだ。"));
    Label3->setFontPoints(12);
    Label3->setForeColor(Qt::black);
    Label3->setTransparent(true);
    // Holds the shouting face for the miss reaction and the results; never shown itself.
    Image1 = add<Image>(QStringLiteral("Image1"), {240, 7440, 2250, 2250});
    Image1->setPicture(assets.picture(QStringLiteral("forest_shout")));
    Image1->hide();

    Gunsound = addSoundPlayer(QStringLiteral("Gunsound"));
    Setsound = addSoundPlayer(QStringLiteral("Setsound"));
    Misssound = addSoundPlayer(QStringLiteral("Misssound"));
    Ongaku = addSoundPlayer(QStringLiteral("Ongaku"));

    Timer1 = addTimer(QStringLiteral("Timer1"), 30, false, [this] { Timer1_Timer(); });
    GoodT = addTimer(QStringLiteral("GoodT"), 100, false, [this] { GoodT_Timer(); });
    Timer2 = addTimer(QStringLiteral("Timer2"), 300, true, [this] { Timer2_Timer(); });
    Timer3 = addTimer(QStringLiteral("Timer3"), 1000, false, [this] { Timer3_Timer(); });
    Atime = addTimer(QStringLiteral("Atime"), 1000, true, [this] { Atime_Timer(); });
    Mtime = addTimer(QStringLiteral("Mtime"), 3000, false, [this] { Mtime_Timer(); });
    Mtime2 = addTimer(QStringLiteral("Mtime2"), 1000, false, [this] { Mtime2_Timer(); });
}

int Tester2::tlimit() const
{
    return host().screenAs<Tester1>(QStringLiteral("Tester1")).Tlimit1;
}

void Tester2::Form_Load()
{
    services().random.seedFromClock();
    const QString standard = QString::fromStdString(appDir().path("practice\\standard\\"));
    Gunsound->setFileName(standard + QStringLiteral("gun.wav"));
    Setsound->setFileName(standard + QStringLiteral("set.wav"));
    Misssound->setFileName(standard + QStringLiteral("miss.wav"));

    runState = RunState::Waiting;
    targetPos = 0;
    risingRow = Row::Upper;
    hitTicks = 0;
    Miss = Bad = Good = Grate = Fervor = Ok = 0;
    musicFiles.clear();

    instructorLoad();
    Lim->setCaption(QString::number(tlimit()));

    Result<std::vector<std::string>> lines = readSettingsFile(appDir(), kSettingsCapacityWide);
    if (!lines) {
        tellAndClose(settingsFailureText(lines.error()));
        return;
    }
    settingsLines = std::move(*lines);
    musicFiles = musicSlots(settingsLines);
    for (Panel *target : Target)
        target->setPicture(Mato[1].cell(kBareBase));
}

void Tester2::Form_KeyDown(int &keyCode, int)
{
    if (keyCode == KeyCode::Escape) {
        host().unload(*this);
        return;
    }
    // Only the first Return starts the run: the state stays Waiting while the
    // first row rises, and a second Return must not start it over.
    if (keyCode == KeyCode::Return && runState == RunState::Waiting && !Timer3->isEnabled()) {
        keyCode = 0;
        startRun();
    }
}

void Tester2::startRun()
{
    for (SoundPlayer *effect : {Gunsound, Setsound, Misssound})
        effect->command(QStringLiteral("open"));

    // The last listed music is never picked when there are several: the
    // ending music slot closes the list.
    const int n = static_cast<int>(musicFiles.size());
    if (n > 0) {
        services().random.seedFromClock();
        const int entry = choose(services().random, n - 1) + 1;
        Ongaku->setFileName(QString::fromStdString(musicFiles[entry - 1]));
        for (const char *word : {"open", "prev", "play"})
            Ongaku->command(QString::fromLatin1(word));
    }

    drawLetters();
    raiseRow(Row::Upper);
    GoodT->setEnabled(true);
    Timer3->setEnabled(true);
    instructorStart();
}

void Tester2::drawLetters()
{
    for (int &letter : targetLetters)
        letter = choose(services().random, 26);
}

void Tester2::raiseRow(Row row)
{
    const int first = row == Row::Upper ? 0 : kRowLength;
    for (int i = first; i < first + kRowLength; ++i)
        Target[i]->setPicture(Mato[1].cell(kLowOutline));
    riseStep = 0;
    Timer1->setEnabled(true);
}

void Tester2::play(SoundPlayer *player)
{
    player->command(QStringLiteral("prev"));
    player->command(QStringLiteral("play"));
}

void Tester2::Form_KeyPress(int &keyAscii)
{
    if (runState != RunState::Typing)
        return;
    if (keyAscii == 'a' + targetLetters[targetPos])
        hit();
    else
        miss();
}

void Tester2::hit()
{
    const bool rowEnd = targetPos == 9 || targetPos == 19;
    if (rowEnd)
        runState = RunState::Rising;
    const int t = hitTicks;
    play(Gunsound);

    const Rating *rating = std::begin(kRatings);
    while (t > rating->maxTicks)
        ++rating;
    Label1->setCaption(QString::fromLatin1(rating->flash));
    int *counts[] = {&Fervor, &Grate, &Good, &Ok, &Bad, &Miss};
    ++*counts[rating->count];
    Ten[rating->count]->setCaption(QString::number(*counts[rating->count]));

    Target[targetPos]->setPicture(Mato[1].cell(kBareBase));
    hitTicks = 0;
    if (!rowEnd) {
        ++targetPos;
        return;
    }
    // The end of a row: the other row rises with fresh letters.
    drawLetters();
    if (targetPos == 9) {
        raiseRow(Row::Lower);
        targetPos = 10;
    } else {
        raiseRow(Row::Upper);
        targetPos = 0;
    }
}

void Tester2::miss()
{
    play(Misssound);
    Label1->setCaption(QStringLiteral("Miss"));
    ++Miss;
    Ten[MissCount]->setCaption(QString::number(Miss));
    instructorMiss();
}

void Tester2::Timer1_Timer()
{
    const int first = risingRow == Row::Upper ? 0 : kRowLength;
    if (riseStep == 0) {
        if (risingRow == Row::Upper)
            play(Setsound);
        for (int i = first; i < first + kRowLength; ++i)
            Target[i]->setPicture(Mato[1].cell(kHalfOutline));
        riseStep = 1;
        return;
    }
    for (int i = first; i < first + kRowLength; ++i)
        Target[i]->setPicture(Mato[0].cell(targetLetters[i]));
    if (risingRow == Row::Lower)
        hitTicks = 0;
    risingRow = risingRow == Row::Upper ? Row::Lower : Row::Upper;
    Timer1->setEnabled(false);
    runState = RunState::Typing;
}

void Tester2::GoodT_Timer()
{
    if (hitTicks < 32767)
        ++hitTicks;
}

void Tester2::Timer2_Timer()
{
    Label1->setCaption(QString());
}

void Tester2::Timer3_Timer()
{
    const int v = static_cast<int>(numberValue(Lim->caption().toStdString()));
    if (v >= 2) {
        Lim->setCaption(QString::number(v - 1));
        return;
    }
    runState = RunState::TimeUp;
    host().unload(*this);
}

void Tester2::Form_Unload()
{
    if (runState != RunState::TimeUp) {
        host().show(QStringLiteral("Kidou"));
        return;
    }
    const int seconds = tlimit();
    if (seconds != 30 && seconds != 60) {
        host().show(QStringLiteral("Tester1"));
        return;
    }
    Ongaku->command(QStringLiteral("stop"));
    host().showModal(seconds == 30 ? QStringLiteral("Hapyou1") : QStringLiteral("Hapyou2"),
                     [this] { host().show(QStringLiteral("Tester1")); });
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
    faceFrame = 0;
    faceAngry = false;
    Kao->setPicture(PCforest.cell(0));
}

QString Tester2::lineOfGroup(int first)
{
    return instructorLines[static_cast<std::size_t>(first + choose(services().random, 3))];
}

// Two rated hits a second; misses do not count.
bool Tester2::onPace() const
{
    const int rated = Fervor + Grate + Good + Ok + Bad;
    const int elapsed = tlimit() - static_cast<int>(numberValue(Lim->caption().toStdString()));
    return rated >= 2 * elapsed;
}

void Tester2::instructorStart()
{
    Label3->setCaption(lineOfGroup(0));
    Mtime->setEnabled(true);
}

void Tester2::instructorMiss()
{
    Kao->setPicture(Image1->picture());
    Atime->setEnabled(false);
    Label3->setCaption(lineOfGroup(9));
    Mtime->setEnabled(false);
    Mtime2->setEnabled(true);
}

void Tester2::Atime_Timer()
{
    // Calm: a glint crosses the glasses once a second. Angry: the red face
    // cycles every 50 ms without rest. The mood is decided at frame 0.
    if (faceFrame == 0) {
        faceAngry = !onPace();
        Atime->setInterval(50);
    }
    const int base = faceAngry ? 4 : 0;
    faceFrame = (faceFrame + 1) % 4;
    Kao->setPicture(PCforest.cell(base + faceFrame));
    if (faceFrame == 0 && !faceAngry)
        Atime->setInterval(1000);
}

void Tester2::Mtime_Timer()
{
    Label3->setCaption(lineOfGroup(onPace() ? 3 : 6));
}

void Tester2::Mtime2_Timer()
{
    Label3->setCaption(lineOfGroup(onPace() ? 3 : 6));
    Kao->setPicture(PCforest.cell(1));
    faceAngry = false;
    Mtime2->setEnabled(false);
    Mtime->setEnabled(true);
    faceFrame = 0;
    Atime->setEnabled(true);
}

void Tester2::writeVariables(StateWriter &out) const
{
    const std::pair<const char *, int> counters[] = {{"Miss", Miss},     {"Bad", Bad},
                                                     {"Good", Good},     {"Grate", Grate},
                                                     {"Fervor", Fervor}, {"Ok", Ok}};
    for (const auto &[name, value] : counters)
        out.add(this->name() + '.' + QString::fromLatin1(name), QString::number(value));
}

} // namespace ks
