#include "settei.h"

#include "core/settings.h"
#include "shell/dialogs.h"
#include "shell/screenhost.h"
#include "shell/settingsfile.h"
#include "shell/units.h"

#include <QDir>
#include <QFileInfo>

namespace ks {

namespace {

// The open-file dialog's three choices, MIDI first.
const QString kMusicFilter =
    QStringLiteral("ＭＩＤＩファイル（*.mid） (*.mid);;ＷＡＶＥファイル（*.wav） (*.wav);;"
                   "すべてのファイル（*.*） (*)");

const QString kMusicHelp = QStringLiteral("参照ボタンをクリック後、演奏したい音楽ファイルを選択して"
                                          "下さい。\nMIDIファイルとWAVファイルが選択できます。");

// Why the path in a music box cannot go into settei.dat, naming the box and
// the character; the player can pick the file again once it is renamed.
QString unstorableMusicText(std::size_t box, const Cp932Loss &lost)
{
    const QString slot = box < 5 ? QStringLiteral("ゲームＢＧＭの%1番目の曲").arg(box + 1)
                                 : QStringLiteral("エンディングＢＧＭの曲");
    const QString character = QString::fromStdString(lost.character);
    const QString why =
        lost.readBack.empty()
            ? QStringLiteral("の場所に、設定ファイル（settei.dat）に書けない文字「%1」があります。")
                  .arg(character)
            : QStringLiteral("の場所にある「%1」は、設定ファイル（settei.dat）では「%2」になり、"
                             "別のファイル名になってしまいます。")
                  .arg(character, QString::fromStdString(lost.readBack));
    return slot + why +
           QStringLiteral("この文字のない名前のファイルやフォルダにしてから、選び直して下さい。");
}

} // namespace

void Settei::createControls()
{
    setCaption(QStringLiteral("オプション"));
    setBorder(Border::Dialog);
    setClientSize(9030, 7560);
    AssetStore &assets = services().assets;

    // The lit face lies under the dark one; the dark one goes when the
    // guide has something to say.
    Image1 = addImage({QStringLiteral("Image1"), {120, 120, 1800, 1800}},
                      assets.picture(QStringLiteral("guide")));
    Image2 = addImage({QStringLiteral("Image2"), {120, 120, 1800, 1800}},
                      assets.picture(QStringLiteral("guide_dark")));
    Label1 = addLabel({QStringLiteral("Label1"), {2040, 720, 6900, 660}}, QString(),
                      {9, false, HouseColour::Green, Qt::black});

    auto *Frame2 = add<Frame>(QStringLiteral("Frame2"), {480, 2040, 8055, 3255});
    Frame2->setTitle(QStringLiteral("ゲームＢＧＭ設定"));
    auto *Frame1 = add<Frame>(QStringLiteral("Frame1"), {480, 5520, 8055, 735});
    Frame1->setTitle(QStringLiteral("エンディングＢＧＭ設定"));
    // Row by row, so Tab goes from each box to its button and on to the next row.
    for (int i = 0; i < 6; ++i) {
        Frame *frame = i < 5 ? Frame2 : Frame1;
        const int top = i < 5 ? 240 + 600 * i : 240;
        BGName[i] =
            add<TextBox>(QStringLiteral("BGName"), i, {360, top, 6375, i == 0 ? 405 : 375}, frame);
        BGName[i]->setFontPoints(11.25);
        Command2[i] = add<Button>(QStringLiteral("Command2"), i, {6960, top, 975, 375}, frame);
        Command2[i]->setText(QStringLiteral("参照"));
        onClick(Command2[i], [this, i] { Command2_Click(i); });
    }
    Command1 = add<Button>(QStringLiteral("Command1"), {480, 6360, 2175, 495});
    Command1->setText(QStringLiteral("ローマ字カスタマイズ"));
    HighC = add<CheckBox>(QStringLiteral("HighC"), {4080, 6480, 1815, 375});
    HighC->setText(QStringLiteral("ハイスコアリセット"));
    Ok = add<Button>(QStringLiteral("Ok"), 0, {6240, 7080, 1215, 375});
    Ok->setText(QStringLiteral("OK"));
    No = add<Button>(QStringLiteral("No"), 1, {7680, 7080, 1215, 375});
    No->setText(QStringLiteral("キャンセル"));

    onClick(Command1, [this] { Command1_Click(); });
    onClick(Ok, [this] { Ok_Click(); });
    onClick(No, [this] { No_Click(); });

    onMouseMove(Command1, [this] {
        explain(QStringLiteral("ローマ字入力の設定をします。\nローマ字入力が初期設定のままでは"
                               "なじめない場合は、自分に合うように設定し直して下さい。"));
    });
    onMouseMove(Frame2,
                [this] { explain(QStringLiteral("そこはＢＧＭの設定をします。\n") + kMusicHelp); });
    onMouseMove(Frame1, [this] {
        explain(QStringLiteral("そこはエンディングのＢＧＭの設定をします。\n") + kMusicHelp);
    });
    onMouseMove(HighC, [this] {
        explain(QStringLiteral("そこにチェックを付けた状態で「ＯＫボタン」を押しますと、"
                               "打速度テスターのハイスコアがリセットされます。\n"
                               "打速度テスターの上達が行き詰まったときなどにどうぞ。"));
    });
    onMouseMove(No, [this] { explain(QStringLiteral("設定を反映させずに終了します。")); });
    onMouseMove(Ok, [this] { explain(QStringLiteral("設定を反映させて終了します。")); });
}

void Settei::Form_Load()
{
    Result<SettingsLines> lines = SettingsFile(appDir()).read(kSettingsCapacityWide);
    if (!lines) {
        tellAndClose(SettingsFile::readFailureText(lines.error()));
        return;
    }
    settingsLines = std::move(*lines);
    for (std::size_t i = 0; i < BGName.size(); ++i) {
        const std::string &line = settingsLines.music[i];
        BGName[i]->setText(line == kNoMusic ? QString() : QString::fromStdString(line));
    }
    BGName[0]->setFocus();
}

void Settei::Form_KeyDown(int &keyCode, int)
{
    // Esc is Cancel. Return presses the button that has the focus, as on
    // every desktop, so a player who tabs to キャンセル and presses Return
    // keeps their high scores; anywhere else (a box, the reset check box)
    // Return means "done" and is OK.
    if (keyCode == KeyCode::Escape) {
        keyCode = 0;
        No_Click();
    } else if (keyCode == KeyCode::Return) {
        keyCode = 0;
        pressFocusedButton();
    }
}

void Settei::pressFocusedButton()
{
    const QWidget *focus = window()->focusWidget();
    if (focus == No) {
        No_Click();
        return;
    }
    if (focus == Command1) {
        Command1_Click();
        return;
    }
    for (std::size_t i = 0; i < Command2.size(); ++i) {
        if (focus == Command2[i]) {
            Command2_Click(static_cast<int>(i));
            return;
        }
    }
    Ok_Click();
}

void Settei::Form_MouseMove()
{
    Image2->show();
    Label1->setCaption(QString());
}

void Settei::explain(const QString &help)
{
    Image2->hide();
    Label1->setCaption(help);
}

void Settei::Command2_Click(int index)
{
    // A cancelled or failed dialog leaves the box as it was.
    services().dialogs.openFile(window(), QStringLiteral("ファイルを開く"), kMusicFilter,
                                startFolder(BGName[static_cast<std::size_t>(index)]->text()),
                                [this, index](std::optional<QString> chosen) {
                                    if (chosen && isLoaded())
                                        BGName[static_cast<std::size_t>(index)]->setText(*chosen);
                                });
}

QString Settei::startFolder(const QString &slot) const
{
    // The slot's own file, so a player changing one tune starts beside it;
    // else the game's tunes.
    if (!slot.isEmpty() && slot != QLatin1String(kNoMusic)) {
        const QFileInfo current(QString::fromStdString(appDir().resolve(slot.toStdString())));
        if (current.dir().exists())
            return current.exists() ? current.absoluteFilePath() : current.absolutePath();
    }
    return QString::fromStdString(appDir().path("music/"));
}

void Settei::Command1_Click()
{
    host().showModal(ScreenName::romacast, {});
}

void Settei::Ok_Click()
{
    // Every box is checked before anything is changed or written, so a
    // refused path leaves the dialog as the player left it.
    std::array<QString, 6> boxes;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const QString text = BGName[i]->text();
        if (text.isEmpty()) {
            boxes[i] = QString::fromLatin1(kNoMusic);
            continue;
        }
        const StorableMusicPath storable = storableMusicPath(text.toStdString(), appDir());
        if (!storable.path) {
            services().dialogs.message(window(), unstorableMusicText(i, storable.lost), {});
            BGName[i]->setFocus();
            return;
        }
        boxes[i] = QString::fromStdString(*storable.path);
    }
    // The boxes show what is written: "nodata", or a path in the forms the
    // file holds.
    for (std::size_t i = 0; i < boxes.size(); ++i)
        BGName[i]->setText(boxes[i]);
    const Result<void> written =
        SettingsFile(appDir()).writeOptions(settingsLines, boxes, HighC->value() == 1);
    if (!written) {
        // Nothing is lost: the old file stays, and so does the dialog.
        services().dialogs.message(
            window(),
            QStringLiteral("設定ファイル（settei.dat）に保存できませんでした。"
                           "前のファイルはそのまま残っています。"),
            {});
        return;
    }
    host().unload(*this);
}

void Settei::No_Click()
{
    host().unload(*this);
}

} // namespace ks
