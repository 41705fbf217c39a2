#include "ending.h"

#include "core/settings.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"

namespace ks {

namespace {

struct PageLayout
{
    int headingIndex;
    const char *heading;
    int headingTop;
    double headingPoints;
    bool headingBold;
    const char *nameLabel;
    std::vector<int> nameTops; // twips from the page's top
};

const PageLayout kPages[7] = {
    {0, "プログラム", 1080, 27.75, true, "Name1", {2520}},
    {1, "キャラクターデザイン", 1440, 27.75, false, "Name2", {3000}},
    {2, "ＣＧ", 1200, 27.75, false, "Name3", {2400, 3240, 4200}},
    {3, "問題制作", 1200, 27.75, false, "Name4", {2280, 3360}},
    {6, "テストプレイヤー", 960, 27.75, false, "Name5", {1920, 2640, 3360, 4080, 4800, 5520}},
    {4, "プロデューサー", 1440, 27.75, false, "Name6", {3120}},
    {5, "著作元・開発元", 1800, 21.75, false, nullptr, {}},
};

constexpr int kLabelWidth = 9615;

} // namespace

const std::array<QString, 6> &Ending::creditNameList()
{
    static const std::array<QString, 6> list = {
        QStringLiteral("空見　拓也"), QStringLiteral("葉月　しおり"),
        QStringLiteral("鳴海　航平"), QStringLiteral("早瀬　ことね"),
        QStringLiteral("鍵谷　亮介"), QStringLiteral("三田村　梢")};
    return list;
}

void Ending::createControls()
{
    setBorder(Border::None);
    setClientSize(9600, 7680);
    setBackColor(Qt::black);
    for (int p = 0; p < 7; ++p) {
        const PageLayout &layout = kPages[p];
        Panel *panel = add<Panel>(QStringLiteral("Panel"), p, {0, 0, 9600, 7680});
        panel->setBackColor(Qt::black);
        Panel_[p] = panel;
        addLabel({QStringLiteral("Label1"),
                  layout.headingIndex,
                  {0, layout.headingTop, kLabelWidth, 600}},
                 QString::fromUtf8(layout.heading),
                 {layout.headingPoints, layout.headingBold, Qt::white, QColor(), Align::Center},
                 panel);
        const bool array = layout.nameTops.size() > 1 || p == 5;
        for (std::size_t i = 0; i < layout.nameTops.size(); ++i) {
            const QString name = QString::fromLatin1(layout.nameLabel);
            const int index = array ? static_cast<int>(i) : -1;
            names[static_cast<std::size_t>(p)].push_back(
                addLabel({name, index, {0, layout.nameTops[i], kLabelWidth, 405}}, QString(),
                         {18, false, Qt::white, QColor(), Align::Center}, panel));
        }
    }
    addLabel({QStringLiteral("Logo"), {0, 3720, kLabelWidth, 855}},
             QStringLiteral("Ｚｏｒａｍｉｗｏｒｋｓ"),
             {36, true, bgrColor(0x00FF8080), Qt::black, Align::Center}, Panel_[6]);
    PCmoko = services().assets.sheet(QStringLiteral("PCmoko"), 1, 4);
    Image1 = add<Image>(QStringLiteral("Image1"), {4320, 2520, 1200, 1200}, Panel_[6]);
    Oto = addSoundPlayer(QStringLiteral("Oto"));
    Ongaku = addSoundPlayer(QStringLiteral("Ongaku"), SoundRole::Music);
    Timer1 = addTimer(QStringLiteral("Timer1"), 1000, true, [this] { Timer1_Timer(); });
    KaoT = addTimer(QStringLiteral("KaoT"), 1000, false, [this] { KaoT_Timer(); });
}

void Ending::Form_Load()
{
    creditStep = 0;
    charIndex = 1;
    nameIndex = 0;
    jingleStep = 0;
    for (Panel *panel : Panel_) {
        panel->resize(client()->size());
        panel->move(0, client()->height());
    }
    page = 0;
    Panel_[0]->move(0, 0);
    creditNames = {};
    creditNames[0] = creditNameList()[0];
    Oto->setFileName(QString::fromStdString(appDir().path("moko.wav")));
    Oto->open();

    const SettingsFile settings(appDir());
    Result<SettingsLines> lines = settings.read(kSettingsCapacityNarrow);
    if (!lines) {
        tellAndClose(SettingsFile::readFailureText(lines.error()));
        return;
    }
    settingsLines = std::move(*lines);
    if (const QString music = settings.endingMusic(settingsLines); !music.isEmpty()) {
        Ongaku->setFileName(music);
        Ongaku->open();
        Ongaku->open();
        Ongaku->play();
    }
}

Label *Ending::nameLabel() const
{
    const auto &labels = names[static_cast<std::size_t>(page)];
    const auto index = static_cast<std::size_t>(nameIndex);
    return index < labels.size() ? labels[index] : nullptr;
}

bool Ending::typeName()
{
    Label *label = nameLabel();
    const QString &name = creditNames[static_cast<std::size_t>(nameIndex)];
    if (!label || label->caption().size() >= name.size())
        return true;
    Timer1->setInterval(100);
    label->setCaption(label->caption() + name.at(charIndex - 1));
    ++charIndex;
    return false;
}

void Ending::showPage(int next)
{
    for (int p = 0; p < 6; ++p)
        Panel_[p]->move(0, client()->height());
    charIndex = 1;
    nameIndex = 0;
    page = next;
    Panel_[next]->move(0, 0);
}

// The credit names of the next page, in its order (name 1 is index 0).
void Ending::setNames(std::initializer_list<int> list)
{
    std::size_t slot = 0;
    for (int name : list)
        creditNames[slot++] = creditNameList()[static_cast<std::size_t>(name)];
}

void Ending::Timer1_Timer()
{
    // Pages with several names: a second between names, then the page
    // stays for the given time before the next heading.
    const auto namesThenWait = [this](int count, int wait, int nextStep) {
        if (nameIndex == count) {
            Timer1->setInterval(wait);
            creditStep = static_cast<qint16>(nextStep);
            return;
        }
        if (typeName()) {
            Timer1->setInterval(1000);
            charIndex = 1;
            ++nameIndex;
        }
    };
    switch (creditStep) {
    case 0:
        Timer1->setInterval(5000);
        creditStep = 1;
        break;
    case 1:
    case 3:
    case 11:
        if (typeName()) {
            Timer1->setInterval(5000);
            ++creditStep;
        }
        break;
    case 2:
        showPage(1);
        creditStep = 3;
        break;
    case 4:
        setNames({1, 0, 2});
        showPage(2);
        creditStep = 5;
        break;
    case 5:
        namesThenWait(3, 3000, 6);
        break;
    case 6:
        setNames({3, 0});
        showPage(3);
        creditStep = 7;
        break;
    case 7:
        namesThenWait(2, 5000, 8);
        break;
    case 8:
        setNames({1, 4, 3, 5, 0, 2});
        showPage(4);
        creditStep = 9;
        break;
    case 9:
        namesThenWait(6, 5000, 10);
        break;
    case 10:
        setNames({0});
        showPage(5);
        creditStep = 11;
        break;
    case 12:
        showPage(6);
        Image1->setPicture(PCmoko.cell(0));
        creditStep = 13;
        break;
    case 13:
        KaoT->setEnabled(true);
        break;
    default:
        break;
    }
}

void Ending::KaoT_Timer()
{
    // The mascot sings: its mouth opens wide and closes, 30 ms a frame.
    static constexpr int kMouth[] = {1, 2, 3, 2, 1, 0};
    if (jingleStep == 0) {
        Oto->play();
        KaoT->setInterval(30);
    }
    if (jingleStep <= 5) {
        Image1->setPicture(PCmoko.cell(kMouth[jingleStep]));
        if (jingleStep == 5)
            KaoT->setInterval(2000);
        ++jingleStep;
        return;
    }
    host().unload(*this);
    host().show(ScreenName::Kidou);
}

} // namespace ks
