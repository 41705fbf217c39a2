#include "dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ks {

void QtDialogs::message(QWidget *parent, const QString &text, std::function<void()> then)
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("キーストーム"), text,
                                QMessageBox::Ok, parent);
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
    });
    box->open();
}

void QtDialogs::openFile(QWidget *parent, const QString &title, const QString &filter,
                         std::function<void(std::optional<QString>)> then)
{
    auto *dialog = new QFileDialog(parent, title, QString(), filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    openDialog(dialog, std::move(then));
}

void QtDialogs::saveFile(QWidget *parent, const QString &title, const QString &suggested,
                         const QString &filter, std::function<void(std::optional<QString>)> then)
{
    auto *dialog = new QFileDialog(parent, title, QString(), filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
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
                         if (!then)
                             return;
                         const QStringList files = dialog->selectedFiles();
                         if (result == QDialog::Accepted && !files.isEmpty())
                             then(files.first());
                         else
                             then(std::nullopt);
                     });
    dialog->open();
}

} // namespace ks
