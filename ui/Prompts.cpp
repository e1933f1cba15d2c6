#include "Prompts.h"

#include "GameListDialog.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

TPrompts::~TPrompts() = default;

QMessageBox::StandardButton TPrompts::ShowMessage(QWidget *parent, QMessageBox::Icon icon,
                                                  const QString &caption, const QString &text,
                                                  QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

namespace {

QString RunFileDialog(QWidget *parent, const QStringList &filters, QFileDialog::AcceptMode mode,
                      int *chosenFilter = nullptr) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (chosenFilter)
        *chosenFilter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString TPrompts::OpenFileName(QWidget *parent, const QStringList &filters) {
    return RunFileDialog(parent, filters, QFileDialog::AcceptOpen);
}

QString TPrompts::SaveFileName(QWidget *parent, const QStringList &filters, int *chosenFilter) {
    return RunFileDialog(parent, filters, QFileDialog::AcceptSave, chosenFilter);
}

bool TPrompts::OpenUrl(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}

int TPrompts::ChooseGame(TGameListDialog &dialog) {
    return dialog.exec();
}
