#include "dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace ks {

void Dialogs::whenAllAnswered(std::function<void()> f)
{
    if (!isOpen()) {
        f();
        return;
    }
    m_waiting.push_back(std::move(f));
}

void Dialogs::answered()
{
    if (isOpen())
        return;
    // A waiting screen may open a box of its own as it appears.
    std::vector<std::function<void()>> waiting;
    waiting.swap(m_waiting);
    for (auto &f : waiting)
        f();
    if (!isOpen() && m_afterAnswers)
        m_afterAnswers();
}

namespace {

// Qt's own texts of its standard dialogs (the file dialog's labels and
// buttons) in Japanese, read the first time a dialog opens rather than on
// the way to the first window.
void translateStandardDialogs()
{
    static bool tried = false;
    if (tried)
        return;
    tried = true;
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

// A box or dialog belongs to a screen only once that screen is in view: one
// opened while its screen loads stands alone, in front, instead of being
// tied to a window the desktop has not shown yet.
QWidget *shownParent(QWidget *parent)
{
    return parent && parent->isVisible() ? parent : nullptr;
}

// Close only: a box or dialog that could be minimised would leave the game
// waiting on an answer nobody can see.
constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

void bringToFront(QWidget *dialog)
{
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

void QtDialogs::message(QWidget *parent, const QString &text, std::function<void()> then)
{
    translateStandardDialogs();
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("キーストーム"), text,
                                QMessageBox::Ok, shownParent(parent), kDialogFlags);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    // Esc closes the box as OK does: it has nothing else to answer.
    box->setEscapeButton(QMessageBox::Ok);
    // Space presses the focused button, as in every desktop dialog.
    box->button(QMessageBox::Ok)->setFocus();
    ++m_open;
    QObject::connect(box, &QMessageBox::finished, box, [this, then = std::move(then)](int) {
        --m_open;
        if (then)
            then();
        answered();
    });
    box->open();
    bringToFront(box);
}

void QtDialogs::openFile(QWidget *parent, const QString &title, const QString &filter,
                         const QString &startDir, std::function<void(std::optional<QString>)> then)
{
    translateStandardDialogs();
    auto *dialog = new QFileDialog(shownParent(parent), title, startDir, filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    // The filter names already say their patterns.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    openDialog(dialog, std::move(then));
}

void QtDialogs::saveFile(QWidget *parent, const QString &title, const QString &suggested,
                         const QString &filter, std::function<void(std::optional<QString>)> then)
{
    translateStandardDialogs();
    auto *dialog = new QFileDialog(shownParent(parent), title, QString(), filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->selectFile(suggested);
    openDialog(dialog, std::move(then));
}

void QtDialogs::openDialog(QFileDialog *dialog, std::function<void(std::optional<QString>)> then)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    ++m_open;
    QObject::connect(dialog, &QFileDialog::finished, dialog,
                     [this, dialog, then = std::move(then)](int result) {
                         --m_open;
                         const QStringList files = dialog->selectedFiles();
                         if (then) {
                             if (result == QDialog::Accepted && !files.isEmpty())
                                 then(files.first());
                             else
                                 then(std::nullopt);
                         }
                         answered();
                     });
    dialog->open();
    bringToFront(dialog);
}

} // namespace ks
