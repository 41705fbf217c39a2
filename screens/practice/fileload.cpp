#include "fileload.h"

#include "core/items.h"
#include "core/playersettings.h"
#include "core/problemfile.h"
#include "core/romajimatcher.h"
#include "core/settings.h"
#include "core/textfile.h"
#include "shell/dialogs.h"
#include "shell/fileproblem.h"
#include "screens/practice/kekka.h"
#include "shell/playerchoices.h"
#include "shell/playsounds.h"
#include "shell/random.h"
#include "shell/records/keeprun.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"
#include "core/utf8.h"

#include <algorithm>
#include <filesystem>

namespace ks {

namespace {

// Cells of the target sheet.
constexpr int kTargetPutUp = 0;
constexpr int kTargetRising = 1;
constexpr int kTargetReady = 2;
constexpr int kTargetHit = 3;
constexpr int kTargetMissed = 4;
constexpr int kTargetBroken = 5;
constexpr int kTargetWaiting = 6;

// The instructor's comments: the welcome and the run's first lines, then
// four lines for a player on pace and four for one behind it.
constexpr std::size_t kWelcome = 0;
constexpr std::size_t kPressReturn = 1;
constexpr std::size_t kRunStarts = 2;
constexpr int kOnPace = 11;
constexpr int kBehind = 15;

const QString kNoFiles = QStringLiteral("練習問題ファイルが見付かりません。");
const QString kBadFile = QStringLiteral("問題が見付からないか、不正な問題ファイルがあります。");

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The files the list does without, in one box: those that cannot be read
// by name (the first few, then how many more), and how many a folder of
// more than the list holds left out.
QString listNoticeText(const std::vector<PracticeFileList::Skipped> &skipped, std::size_t leftOut)
{
    constexpr std::size_t kNamed = 5;
    QStringList lines;
    for (std::size_t i = 0; i < skipped.size() && i < kNamed; ++i) {
        const std::string &path = skipped[i].path;
        const QString name = fromUtf8(shownText(path.substr(path.rfind('/') + 1)));
        lines << fileProblemText(QStringLiteral("練習問題ファイル「%1」").arg(name),
                                 skipped[i].error);
    }
    if (skipped.size() > kNamed)
        lines
            << QStringLiteral("ほかに %1 個のファイルも読めません。").arg(skipped.size() - kNamed);
    if (!skipped.empty())
        lines << (skipped.size() == 1 ? QStringLiteral("このファイルは一覧から外しました。")
                                      : QStringLiteral("これらのファイルは一覧から外しました。"));
    if (leftOut > 0)
        lines << QStringLiteral("練習問題ファイルが多すぎるので、名前の順に %1 個までを一覧にして、"
                                "残りの %2 個は外しました。")
                     .arg(kMaxListedPracticeFiles)
                     .arg(leftOut);
    return lines.join('\n');
}

} // namespace

void FileLoad::createControls()
{
    setGameScreen(QStringLiteral("練習問題"));
    AssetStore &assets = services().assets;

    // The selection page.
    Panel1 = add<Panel>(QStringLiteral("Panel1"), {0, 0, 9600, 7200});
    Panel1->setBackColor(Qt::black);
    addImage({QStringLiteral("Picture1"), {360, 360, 3195, 5400}},
             assets.picture(QStringLiteral("mika_portrait")), Panel1);
    Label2 = addBubble({QStringLiteral("Shape1"), 0, {3840, 120, 5295, 1335}},
                       {QStringLiteral("Label2"), 0, {3960, 240, 5055, 1095}}, 12, true, Panel1);
    LabNum = addLabel({QStringLiteral("LabNum"), {6240, 1680, 1095, 375}}, QString(),
                      {15.75, true, HouseColour::Green, QColor(), Align::Center}, Panel1);
    addImage({QStringLiteral("Image1"), 1, {5880, 1680, 270, 270}},
             assets.picture(QStringLiteral("arrow_small_left")), Panel1);
    addImage({QStringLiteral("Image1"), 0, {7440, 1680, 270, 270}},
             assets.picture(QStringLiteral("arrow_small_right")), Panel1);
    LabTitle = addLabel({QStringLiteral("LabTitle"), {3480, 2280, 6135, 615}}, QString(),
                        {24, false, HouseColour::Green, QColor(), Align::Center}, Panel1);
    const struct
    {
        const char *caption;
        int left;
        unsigned colour;
    } scale[3] = {
        {"Easy", 4440, 0x0080FF80}, {"Noamal", 6120, 0x008080FF}, {"Hard", 8400, 0x000000FF}};
    for (int i = 0; i < 3; ++i) {
        addLabel({QStringLiteral("Label1"), i, {scale[i].left, 3120, 855, 255}},
                 QString::fromLatin1(scale[i].caption), {9, false, bgrColor(scale[i].colour)},
                 Panel1);
    }
    Level = add<Panel>(QStringLiteral("Level"), {4440, 3360, 4575, 495}, Panel1);
    Level->setPicture(assets.picture(QStringLiteral("level_bar")));
    LabKazu = addLabel({QStringLiteral("LabKazu"), {3720, 3960, 2175, 495}}, QString(),
                       {18, false, HouseColour::Green}, Panel1);
    LabTime = addLabel({QStringLiteral("LabTime"), {6000, 3960, 3615, 495}}, QString(),
                       {18, false, HouseColour::Green}, Panel1);
    LabSakusya = addLabel({QStringLiteral("LabSakusya"), {3720, 4560, 5895, 495}}, QString(),
                          {20.25, true, HouseColour::Green, QColor(), Align::Center}, Panel1);
    // A player's own file may have any title and author: shown whole.
    LabTitle->setOverflow(Overflow::Whole);
    LabSakusya->setOverflow(Overflow::Whole);
    Ongaku = addSoundPlayer(QStringLiteral("Ongaku"), SoundRole::Music);
    Gunsound = addSoundPlayer(QStringLiteral("Gunsound"));
    Setsound = addSoundPlayer(QStringLiteral("Setsound"));
    Misssound = addSoundPlayer(QStringLiteral("Misssound"));
    Brakesound = addSoundPlayer(QStringLiteral("Brakesound"));

    // The play page.
    Panel2 = add<Panel>(QStringLiteral("Panel2"), {0, 0, 9600, 7200});
    Panel2->setBackColor(Qt::black);
    Kao = add<Image>(QStringLiteral("Kao"), {240, 240, 2250, 2250}, Panel2);
    Label3 = addBubble({QStringLiteral("Shape2"), {3120, 600, 6015, 615}},
                       {QStringLiteral("Label3"), {3240, 720, 5775, 375}}, 12, false, Panel2);
    const LabelStyle heading{24, false, Qt::white};
    const LabelStyle unit{27.75, false, Qt::white};
    const LabelStyle counter{27.75, false, HouseColour::Green, QColor(), Align::Right};
    addLabel({QStringLiteral("Label4"), 2, {120, 2520, 2295, 495}}, QStringLiteral("残り問題数"),
             heading, Panel2);
    LMondai = addLabel({QStringLiteral("LMondai"), {1635, 3120, 765, 495}}, QStringLiteral("0"),
                       counter, Panel2);
    addLabel({QStringLiteral("Label4"), 3, {2400, 3120, 495, 495}}, QStringLiteral("問"), unit,
             Panel2);
    addLabel({QStringLiteral("Label4"), 0, {6840, 2520, 1815, 495}}, QStringLiteral("残り時間"),
             heading, Panel2);
    LZikan = addLabel({QStringLiteral("LZikan"), {7680, 3120, 975, 555}}, QStringLiteral("000"),
                      counter, Panel2);
    addLabel({QStringLiteral("Label4"), 1, {8760, 3120, 615, 495}}, QStringLiteral("秒"), unit,
             Panel2);
    MatoP = add<Panel>(QStringLiteral("MatoP"), {3600, 1920, 3015, 4455}, Panel2);
    MatoP->setBackColor(Qt::black);
    Picture2 = add<Panel>(QStringLiteral("Picture2"), {0, 4440, 9600, 1215}, Panel2);
    Picture2->setBackColor(Qt::black);
    Picture2->hide();
    Mondai = addLabel({QStringLiteral("Mondai"), {0, 0, 9600, 375}}, QString(),
                      {18, false, Qt::white, Qt::black, Align::Center}, Picture2);
    Alufabet = addLabel({QStringLiteral("Alufabet"), {0, 480, 9600, 660}}, QString(),
                        {15.75, true, Qt::white, Qt::black, Align::Center}, Picture2);
    Mondai->setOverflow(Overflow::Whole);
    Alufabet->setOverflow(Overflow::Guide);
    // Holds the dismayed face for a wrong key; it lies below the window's edge.
    Image3 = addImage({QStringLiteral("Image3"), {7800, 7320, 1875, 1875}},
                      assets.picture(QStringLiteral("mika_dismayed")));
    PCmika = assets.sheet(QStringLiteral("PCmika"), 2, 4);

    Timer1 = addTimer(QStringLiteral("Timer1"), 100, false, [this] { Timer1_Timer(); });
    LimitT = addTimer(QStringLiteral("LimitT"), 1000, false, [this] { LimitT_Timer(); });
    Matot2 = addTimer(QStringLiteral("Matot2"), 500, false, [this] { Matot2_Timer(); });
    MatoT = addTimer(QStringLiteral("MatoT"), 50, false, [this] { MatoT_Timer(); });
    Mtimer = addTimer(QStringLiteral("Mtimer"), 3000, false, [this] { Mtimer_Timer(); });
    Atime = addTimer(QStringLiteral("Atime"), 1000, false, [this] { Atime_Timer(); });
    MisTime = addTimer(QStringLiteral("MisTime"), 2000, false, [this] { MisTime_Timer(); });
}

// ---------------------------------------------------------------- the selection page

void FileLoad::Form_Load()
{
    Panel1->setGeometry(client()->rect());
    Panel2->move(0, client()->height());

    m_shared = PracticeShared();
    m_run = {};
    m_run.spelling = readPlayerChoices(host(), window()).spelling;

    // The screen stays up as far as it got: Left, Right and Return then tell
    // the player there is nothing to play, and Esc leaves. (Without the romaji
    // table a file would play with nothing to type.)
    const QString loadProblem = loadSettingsAndFiles();
    m_run.loaded = loadProblem.isEmpty();
    const auto tellNoFiles = [this, loadProblem] {
        if (!m_run.loaded)
            services().dialogs.message(window(), loadProblem, {});
    };
    // Files the list does without are named once, and the others are played.
    if (m_run.skippedFiles.empty() && m_run.leftOutFiles == 0)
        tellNoFiles();
    else
        services().dialogs.message(window(), listNoticeText(m_run.skippedFiles, m_run.leftOutFiles),
                                   tellNoFiles);
}

QString FileLoad::loadSettingsAndFiles()
{
    const SettingsFile settings(appDir());
    Result<SettingsLines> lines = settings.read(kSettingsCapacityWide);
    if (!lines)
        return SettingsFile::readProblem(lines.error());
    settingsLines = std::move(*lines);

    // The last listed music is never picked when there are several: the
    // ending music closes the list.
    RandomSource &random = services().random;
    openPickedMusic(*Ongaku, settings, settingsLines, random);
    random.seedFromClock();

    comments = {};
    comments[kWelcome] =
        QStringLiteral("練習問題のコーナーへようこそ。左右のカーソルキーで問題ファイルを"
                       "選択後、リターンキーで決定して下さい。");
    comments[kPressReturn] = QStringLiteral("リターンキーでスタートです。");
    comments[kRunStarts] = QStringLiteral("打ちまくって下さい。");
    const char *paceLines[] = {"その調子です。",           "いい感じ。がんばって！！",
                               "上手いですねぇ。",         "打って打って打って打って打って。",
                               "まだまだあきらめないで。", "もっと急いで下さい。",
                               "ペースを上げて。",         "いーそーいーでーーーーーーー。"};
    for (std::size_t i = 0; i < 8; ++i)
        comments[kOnPace + i] = QString::fromUtf8(paceLines[i]);
    Label2->setCaption(comments[kWelcome]);

    PracticeFileList list = listPracticeFiles(appDir());
    m_run.fileNames = std::move(list.paths);
    m_run.skippedFiles = std::move(list.skipped);
    m_run.leftOutFiles = list.leftOut;
    if (m_run.fileNames.empty())
        return kNoFiles;
    // Listed a moment ago, so gone or changed since.
    if (!readSelectedFile())
        return fileProblemText(QStringLiteral("練習問題ファイル"), Error{});
    Result<RomajiTable> table = loadRomajiTableForPlay(appDir().playerFile(kRomajiTableFile));
    if (!table)
        return fileProblemText(QStringLiteral("ローマ字表（roumazi.dat）"), table.error());
    romajiTable = std::move(*table);
    showHeader();
    return {};
}

bool FileLoad::readSelectedFile()
{
    const int index = m_run.selectedFile - 1;
    if (index < 0 || index >= static_cast<int>(m_run.fileNames.size()))
        return false;
    Result<std::vector<std::string>> items =
        ReadProblemItems(m_run.fileNames[static_cast<std::size_t>(index)], kPracticeItemCapacity);
    if (!items)
        return false;
    m_run.problemItems = std::move(*items);
    return true;
}

void FileLoad::showHeader()
{
    const PracticeHeader header = practiceHeader(m_run.problemItems);
    LabNum->setCaption(QStringLiteral("%1/%2").arg(m_run.selectedFile).arg(m_run.fileNames.size()));
    LabTitle->setCaption(fromUtf8(shownText(header.title)));
    // The bar is clipped to its design width whatever level a file claims.
    Level->resize(std::clamp(levelBarWidth(numberValue(header.level)), 0, twips(4575)),
                  Level->height());
    LabTime->setCaption(QStringLiteral("制限時間　") + fromUtf8(shownText(header.timeLimit)) +
                        QStringLiteral("秒"));
    LabKazu->setCaption(QStringLiteral("問題数　") + fromUtf8(shownText(header.problems)) +
                        QStringLiteral("問"));
    LabSakusya->setCaption(fromUtf8(shownText(header.author)));
}

void FileLoad::fail()
{
    tellAndClose(kBadFile);
}

void FileLoad::Form_KeyDown(int &keyCode, int)
{
    if (m_shared.Stage == PracticeStage::Selecting) {
        const int count = static_cast<int>(m_run.fileNames.size());
        const bool choosing =
            keyCode == KeyCode::Left || keyCode == KeyCode::Right || keyCode == KeyCode::Return;
        if (choosing && !m_run.loaded) {
            fail();
            return;
        }
        switch (keyCode) {
        case KeyCode::Left:
        case KeyCode::Right:
            if (keyCode == KeyCode::Left)
                m_run.selectedFile =
                    static_cast<qint16>(m_run.selectedFile == 1 ? count : m_run.selectedFile - 1);
            else
                m_run.selectedFile =
                    static_cast<qint16>(m_run.selectedFile == count ? 1 : m_run.selectedFile + 1);
            if (!readSelectedFile()) {
                fail();
                return;
            }
            showHeader();
            break;
        case KeyCode::Return:
            if (!prepareRun()) {
                fail();
                return;
            }
            break;
        default:
            break;
        }
    } else if (m_shared.Stage == PracticeStage::Prepared && keyCode == KeyCode::Return) {
        keyCode = 0;
        startRun();
    }
    if (keyCode == KeyCode::Escape)
        host().unload(*this);
}

void FileLoad::Form_Unload()
{
    const bool ended =
        m_shared.Stage == PracticeStage::Done || m_shared.Stage == PracticeStage::TimeUp;
    // A run left with Esc is kept as abandoned; one never started is none.
    if (m_run.log) {
        if (ended) {
            m_run.log->finish(m_shared.Stage == PracticeStage::Done ? RunEnd::Finished
                                                                    : RunEnd::TimeUp,
                              services().clock.now(), std::nullopt, Kekka::verdictWord(m_shared));
        }
        keepRun(services().records, services().dialogs, appDir(), *m_run.log);
    }
    host().show(ended ? ScreenName::Kekka : ScreenName::Kidou);
}

void FileLoad::writeVariables(StateWriter &out) const
{
    out.add(name() + QStringLiteral(".Stage"), QString::number(static_cast<int>(m_shared.Stage)));
    out.add(name() + QStringLiteral(".Miss"), QString::number(m_shared.Miss));
    out.add(name() + QStringLiteral(".Tipe"), QString::number(m_shared.Tipe));
}

// ---------------------------------------------------------------- the play page

// Everything that can fail is tried before the page changes, so the
// selection page stays behind the message that says so.
bool FileLoad::prepareRun()
{
    Result<PlayablePractice> playable = confirmPracticeFile(
        m_run.problemItems, romajiTable,
        m_run.fileNames[static_cast<std::size_t>(m_run.selectedFile - 1)], appDir());
    if (!playable)
        return false;
    const QString folder = fromUtf8(playable->assetFolder);
    const Picture target = services().assets.loadPicture(folder + QStringLiteral("target.bmp"));
    if (target.isNull())
        return false;
    PracticeProblems *problems = &playable->problems;

    Panel1->move(0, client()->height());
    Panel2->setGeometry(client()->rect());
    if (const std::optional<double> points = romajiLinePoints(m_run.problemItems))
        Alufabet->setFontPoints(*points, true);
    m_run.problemsLeft = problems->problemsToPlay;
    m_run.seconds = problems->timeLimit;
    LMondai->setCaption(QString::number(m_run.problemsLeft));
    LZikan->setCaption(QString::number(m_run.seconds));

    mato = SpriteSheet(target, 2, 4);
    openEffects({Gunsound, Setsound, Misssound, Brakesound}, folder);

    showTarget(kTargetWaiting);
    Kao->setPicture(PCmika.cell(0));
    m_shared.Stage = PracticeStage::Prepared;

    m_run.displayTexts = std::move(problems->displayTexts);
    m_run.problems = std::move(problems->kanaProblems);
    m_run.romajiTotal = static_cast<float>(problems->romajiTotal);
    m_run.pace = m_run.romajiTotal / static_cast<float>(m_run.seconds);
    m_run.commentIndex = kPressReturn;
    Label3->setCaption(comments[kPressReturn]);
    return true;
}

void FileLoad::startRun()
{
    showTarget(kTargetPutUp);
    Label3->setCaption(QString());
    Atime->setEnabled(true);
    m_run.commentIndex = kRunStarts;
    Timer1->setEnabled(true);
    Label3->setCaption(comments[kRunStarts]);
    m_shared.Stage = PracticeStage::Between;
    Mtimer->setEnabled(true);
    Ongaku->restart();
    const std::string &path = m_run.fileNames[static_cast<std::size_t>(m_run.selectedFile - 1)];
    m_run.log = services().records.startRun(
        RunMode::Practice, std::filesystem::path(path).filename().string(), services().clock.now());
    m_run.log->setTitle(shownText(practiceHeader(m_run.problemItems).title));
    // A file whose first problem is the end marker has nothing to type: the
    // run is over as it starts. (A count of 0 instead waits for Esc.)
    if (m_run.problemsLeft >= 1 && noProblemLeft()) {
        m_shared.Stage = PracticeStage::Done;
        host().unload(*this);
        return;
    }
    putUpProblem();
    services().records.openAhead();
}

// The last problem built is the end marker when its text is "end"; a file
// that announces more problems than it holds ends there, as finished.
bool FileLoad::noProblemLeft() const
{
    const auto index = static_cast<std::size_t>(m_run.problemIndex);
    if (index >= m_run.problems.size())
        return true;
    return index + 1 == m_run.problems.size() && index < m_run.displayTexts.size() &&
           m_run.displayTexts[index] == kEndSentinel;
}

void FileLoad::putUpProblem()
{
    const auto index = static_cast<std::size_t>(m_run.problemIndex);
    Mondai->setCaption(index < m_run.displayTexts.size() ? fromUtf8(m_run.displayTexts[index])
                                                         : QString());
    m_run.matcher = ProblemMatcher(
        m_run.spelling, index < m_run.problems.size() ? m_run.problems[index] : KanaProblem());
    showRemaining();
}

void FileLoad::showRemaining()
{
    Alufabet->setCaption(fromUtf8(m_run.matcher.guide()));
}

void FileLoad::Form_KeyPress(int &keyAscii)
{
    if (m_shared.Stage != PracticeStage::Typing)
        return;
    m_shared.Tipe += 1;
    judge(static_cast<char32_t>(keyAscii));
}

void FileLoad::judge(char32_t typed)
{
    const char32_t awaited = firstUtf8Char(m_run.matcher.guide()).code;
    const std::size_t unit = m_run.matcher.unitIndex();
    const KeyOutcome outcome = m_run.matcher.judge(typed);
    if (m_run.log) {
        const auto index = static_cast<std::size_t>(m_run.problemIndex);
        const KanaProblem *problem =
            index < m_run.problems.size() ? &m_run.problems[index] : nullptr;
        m_run.log->addKey(outcome == KeyOutcome::KeyWrong ? awaited : typed, typed,
                          problem && unit < problem->size()
                              ? std::string_view((*problem)[unit].kana)
                              : std::string_view(),
                          services().clock.now());
    }
    switch (outcome) {
    case KeyOutcome::KeyAdvanced:
        Gunsound->restart();
        showRemaining();
        showTarget(kTargetHit);
        m_run.targetIdle = 0;
        MatoT->setEnabled(true);
        break;
    case KeyOutcome::KeyCompleted:
        Gunsound->restart();
        Brakesound->restart();
        showRemaining();
        problemFinished();
        break;
    case KeyOutcome::KeyWrong:
        Misssound->restart();
        m_shared.Miss += 1;
        showTarget(kTargetMissed);
        m_run.targetIdle = 0;
        MatoT->setEnabled(true);
        MisTime->setEnabled(true);
        Atime->setEnabled(false);
        Kao->setPicture(Image3->picture());
        break;
    }
}

void FileLoad::problemFinished()
{
    ++m_run.problemIndex;
    m_run.riseStep = 0;
    // A restore still due from the keys before must leave the broken target
    // alone, also when a problem with nothing to type breaks on its own.
    MatoT->setEnabled(false);
    m_run.targetIdle = 1;
    Picture2->hide();
    m_shared.Stage = PracticeStage::Between;
    showTarget(kTargetBroken);
    Matot2->setEnabled(true);
    LimitT->setEnabled(false);
}

void FileLoad::showTarget(int cell)
{
    MatoP->setPicture(mato.cell(cell));
}

float FileLoad::remainingCharacters() const
{
    return m_run.romajiTotal - (m_shared.Tipe - m_shared.Miss);
}

void FileLoad::Timer1_Timer()
{
    if (m_run.problemsLeft < 1) {
        // Nothing to play: the run waits until Esc.
        LimitT->setEnabled(false);
        Timer1->setEnabled(false);
        return;
    }
    if (m_run.riseStep == 0) {
        showTarget(kTargetRising);
        m_run.riseStep = 1;
        return;
    }
    showTarget(kTargetReady);
    Picture2->show();
    m_shared.Stage = PracticeStage::Typing;
    Timer1->setEnabled(false);
    LimitT->setEnabled(true);
    traceReady();
    // A problem with nothing to type (none of its tokens has a romaji) is
    // done as soon as it is up, so the run goes on without a key.
    if (m_run.matcher.guide().empty())
        problemFinished();
}

void FileLoad::Matot2_Timer()
{
    if (m_run.problemsLeft == 1 || noProblemLeft()) {
        m_shared.Stage = PracticeStage::Done;
        host().unload(*this);
        return;
    }
    putUpProblem();
    --m_run.problemsLeft;
    LMondai->setCaption(QString::number(m_run.problemsLeft));
    showTarget(kTargetPutUp);
    Setsound->restart();
    Timer1->setEnabled(true);
    Matot2->setEnabled(false);
}

void FileLoad::LimitT_Timer()
{
    if (m_run.seconds != 1) {
        --m_run.seconds;
        LZikan->setCaption(QString::number(m_run.seconds));
        return;
    }
    m_shared.Stage = PracticeStage::TimeUp;
    Timer1->setEnabled(false);
    host().unload(*this);
}

void FileLoad::MatoT_Timer()
{
    if (m_run.targetIdle != 0)
        return;
    showTarget(kTargetReady);
    MatoT->setEnabled(false);
    m_run.targetIdle = 1;
}

void FileLoad::Mtimer_Timer()
{
    const double needed =
        static_cast<double>(remainingCharacters()) / static_cast<double>(m_run.seconds);
    const int first = static_cast<double>(m_run.pace) > needed ? kOnPace : kBehind;
    const int line = first + choose(services().random, 4);
    Label3->setCaption(comments[static_cast<std::size_t>(line)]);
}

void FileLoad::Atime_Timer()
{
    // A glint once a second, smiling while the player keeps the pace the
    // file asks for, stern when behind it; the mood is read at each glint.
    FaceAnimation &face = m_run.face;
    if (face.atRunStart()) {
        const float expected = m_run.pace * static_cast<float>(m_run.seconds);
        face.setStern(expected < remainingCharacters());
        Atime->setInterval(50);
    }
    const FaceAnimation::Frame frame = face.next();
    Kao->setPicture(PCmika.cell(frame.cell));
    if (frame.runEnded)
        Atime->setInterval(1000);
}

void FileLoad::MisTime_Timer()
{
    m_run.face.restart();
    Kao->setPicture(PCmika.cell(0));
    Atime->setEnabled(true);
    MisTime->setEnabled(false);
    Atime->setInterval(1000);
}

} // namespace ks
