#include "romacast.h"

#include "core/playersettings.h"
#include "shell/dialogs.h"
#include "shell/fileproblem.h"
#include "shell/playerchoices.h"
#include "shell/screenhost.h"
#include "shell/units.h"

#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>

#include <cmath>
#include <optional>

namespace ks {

namespace {

constexpr int kCellWidth = 1920;
constexpr int kRowHeight = 360;

} // namespace

void romacast::createControls()
{
    setCaption(QStringLiteral("ローマ字カスタマイズ"));
    setBorder(Border::Fixed);
    QMenu *hen = addMenu(QStringLiteral("ファイル"));
    addMenuItem(hen, QStringLiteral("save"), QStringLiteral("保存(&S)"),
                QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save_Click(); });
    addMenuItem(hen, QStringLiteral("exit"), QStringLiteral("終了(&E)"),
                QKeySequence(Qt::CTRL | Qt::Key_E), [this] { exit_Click(); });
    // Alt+I, then T or A: no shortcut of its own, so the boxes keep Ctrl+A.
    QMenu *input = addMenu(QStringLiteral("入力(&I)"));
    tableSpelling = addMenuItem(input, QStringLiteral("tableSpelling"),
                                QStringLiteral("ローマ字表のつづりだけ(&T)"), {},
                                [this] { spelling_Click(SpellingMode::Table); });
    anySpelling = addMenuItem(input, QStringLiteral("anySpelling"),
                              QStringLiteral("どのつづりでも受け付ける(&A)"), {},
                              [this] { spelling_Click(SpellingMode::Any); });
    auto *choices = new QActionGroup(input);
    for (MenuItem *item : {tableSpelling, anySpelling}) {
        item->action()->setCheckable(true);
        choices->addAction(item->action());
    }
    // Whether Ctrl+S has saved what the boxes show, at the menu bar's end,
    // where it takes no room from the grid.
    Status = addMenuBarLabel(
        {QStringLiteral("Status"), {0, 0, 2400, 300}},
        {9, false, QGuiApplication::palette().color(QPalette::WindowText), QColor(), Align::Right});
    setClientSize(9975, 5415);

    Picture1 = add<Panel>(QStringLiteral("Picture1"), {0, 0, 9735, 12615});
    for (std::size_t i = 0; i < kEditablePairs; ++i) {
        const int column = static_cast<int>(i) % kColumns;
        const int row = static_cast<int>(i) / kColumns;
        const int top = 120 + kRowHeight * row;
        hira[i] = addLabel({QStringLiteral("hira"),
                            static_cast<int>(i),
                            {120 + kCellWidth * column, top, 975, 375}},
                           QString(),
                           {18, false, QGuiApplication::palette().color(QPalette::WindowText),
                            QColor(), Align::Right},
                           Picture1);
        alfa[i] = add<TextBox>(QStringLiteral("alfa"), static_cast<int>(i),
                               {1200 + kCellWidth * column, top, 735, 375}, Picture1);
        alfa[i]->setFontPoints(15.75);
        alfa[i]->setTakesKeysOnly(true);
        // What the status says was saved is no longer what the boxes hold.
        QObject::connect(alfa[i], &QLineEdit::textEdited, Status,
                         [this] { Status->setCaption(QString()); });
        // A box reached with Tab is scrolled into view.
        onFocusIn(alfa[i], [this, i] { scrollTo(static_cast<int>(i)); });
    }
    VScroll1 = add<VScrollBar>(QStringLiteral("VScroll1"), {9720, 0, 255, 5415});
    onChange(VScroll1, [this] { VScroll1_Change(); });
    Picture1->setWheelTarget(VScroll1);
}

void romacast::Form_Load()
{
    const int clientHeight = client()->height();
    VScroll1->setRange(0, clientHeight - Picture1->height());
    VScroll1->setSteps(static_cast<int>(std::lround(clientHeight * 0.05)), clientHeight);

    Result<RomajiTable> table = loadRomajiTableForEditing(appDir().playerFile(kRomajiTableFile));
    if (!table) {
        // No half-empty grid: the player is told and the options stay.
        tellAndClose(fileProblemText(QStringLiteral("ローマ字表（roumazi.dat）"), table.error()) +
                     QStringLiteral("ローマ字の設定は開けません。"));
        return;
    }
    romajiTable = std::move(*table);
    showSpelling(readPlayerChoices(host(), window()).spelling);
    for (std::size_t i = 0; i < kEditablePairs; ++i) {
        hira[i]->setCaption(QString::fromStdString(romajiTable.kana(i)));
        alfa[i]->setText(QString::fromStdString(romajiTable.romaji(i)));
        hira[i]->setVisible(romajiTable.kana(i) != kEmptyKana);
        alfa[i]->setVisible(romajiTable.romaji(i) != kLockedRomaji);
    }
}

void romacast::VScroll1_Change()
{
    Picture1->move(Picture1->x(), VScroll1->value());
}

void romacast::scrollTo(int pair)
{
    const int top = alfa[static_cast<std::size_t>(pair)]->y();
    const int bottom = top + alfa[static_cast<std::size_t>(pair)]->height();
    const int shownTop = -VScroll1->value();
    const int margin = twips(120);
    int value = VScroll1->value();
    if (top - margin < shownTop)
        value = -(top - margin);
    else if (bottom + margin > shownTop + client()->height())
        value = -(bottom + margin - client()->height());
    VScroll1->setValue(std::clamp(value, VScroll1->max(), VScroll1->min()));
}

void romacast::refuse(const QString &text)
{
    services().dialogs.message(window(), text, {});
}

void romacast::showSpelling(SpellingMode mode)
{
    tableSpelling->action()->setChecked(mode == SpellingMode::Table);
    anySpelling->action()->setChecked(mode == SpellingMode::Any);
}

void romacast::spelling_Click(SpellingMode mode)
{
    PlayerSettings settings = readPlayerSettings(appDir().playerFile(kPlayerSettingsFile));
    const SpellingMode before = settings.spelling;
    settings.spelling = mode;
    const Result<void> written =
        writePlayerSettings(appDir().playerFileToWrite(kPlayerSettingsFile), settings);
    if (!written) {
        showSpelling(before);
        refuse(QStringLiteral("設定ファイル（keystorm.ini）に保存できませんでした（%1）。"
                              "つづりの選び方は前のままです。")
                   .arg(QString::fromStdString(written.error().message())));
        return;
    }
    showSpelling(mode);
}

QString romacast::boxName(std::size_t pair) const
{
    // A box beside a hidden label is found by its place in the grid.
    if (hira[pair]->caption() == QString::fromUtf8(kEmptyKana.data(), kEmptyKana.size()))
        return QStringLiteral("左から%1列目、上から%2段目の欄")
            .arg(pair % kColumns + 1)
            .arg(pair / kColumns + 1);
    return QStringLiteral("「%1」").arg(hira[pair]->caption());
}

QString romacast::unsavableRomaji(std::size_t pair) const
{
    const QString text = alfa[pair]->text();
    const std::string romaji = text.toStdString();
    const QString refused =
        QStringLiteral("%1のローマ字「%2」は保存できません。").arg(boxName(pair), text);
    if (const std::string reason = untypableRomajiReason(romaji); !reason.empty())
        return refused + QString::fromStdString(reason) +
               QStringLiteral("。ローマ字は半角の英字、数字、記号で入力して下さい。");
    if (!isSafeTableItem(romaji))
        return refused + QStringLiteral("カンマ、引用符、改行は使えず、前後に空白も置けません。");
    // "\" alone is the mark of a box the editor hides: saved, it would hide
    // this box for good. A box loaded hidden keeps its mark.
    if (romaji == kLockedRomaji && romajiTable.romaji(pair) != kLockedRomaji)
        return refused +
               QStringLiteral("「\\」だけのローマ字は、入力欄を隠す印になってしまいます。");
    return {};
}

void romacast::save_Click()
{
    std::vector<std::string> edited;
    edited.reserve(kEditablePairs);
    for (std::size_t i = 0; i < kEditablePairs; ++i) {
        // Full-width letters and the ideographic space, left by an input
        // method or a paste, are what the player meant in plain ASCII: the
        // box shows the text as it will be saved.
        const QString text = alfa[i]->text().normalized(QString::NormalizationForm_KC);
        if (text != alfa[i]->text())
            alfa[i]->setText(text);
        // The edits stay in the boxes, so the player can put it right.
        if (text.isEmpty()) {
            refuse(QStringLiteral("データーの入力内容に不正（空白など）があります。"));
            return;
        }
        if (const QString problem = unsavableRomaji(i); !problem.isEmpty()) {
            alfa[i]->setFocus();
            refuse(problem);
            return;
        }
        edited.push_back(text.toStdString());
    }
    const Result<void> saved =
        saveRomajiTable(appDir().playerFileToWrite(kRomajiTableFile), romajiTable, edited);
    if (!saved) {
        refuse(QStringLiteral("ローマ字表（roumazi.dat）を保存できませんでした（%1）。"
                              "前のファイルはそのまま残っています。")
                   .arg(QString::fromStdString(saved.error().message())));
        return;
    }
    Status->setCaption(QStringLiteral("保存しました"));
}

void romacast::exit_Click()
{
    host().unload(*this);
}

} // namespace ks
