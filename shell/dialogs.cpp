#include "dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace ks {

void QtDialogs::message(QWidget *parent, const QString &text, std::function<void()> then)
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("キーストーム"), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [then = std::move(then)](int) {
        if (then)
            then();
    });
    box->open();
}

void QtDialogs::openFile(QWidget *parent, const QString &title, const QString &filter,
                         std::function<void(std::optional<QString>)> then)
{
    auto *dialog = new QFileDialog(parent, title, QString(), filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QFileDialog::finished, dialog,
                     [dialog, then = std::move(then)](int result) {
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
