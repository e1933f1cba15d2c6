// The game commands of the control page: new game, hints, help and the take-back.
#include "Main.h"
#include "Prompts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolTip>
#include <QUrl>

void TMainForm::btNewClick() {
    StartNewGame();
    DrawBoard();
    mmAnnotation->clear();
    edGameMessage->clear();
}

void TMainForm::cbShowHintsClick() {
    HintsShown = cbShowHints->isChecked();
    if (!HintsShown)
        QToolTip::hideText();
}

QString TMainForm::HelpFileName() const {
    const QDir programFolder(ProgramFolder);
    const QString beside = programFolder.filePath(QStringLiteral("help/index.html"));
    if (QFileInfo(beside).isFile())
        return beside;
    // An installed tree moved as a whole to another prefix still finds its own page.
    const QString besideInstalled =
        programFolder.filePath(QStringLiteral("../share/korvalen/help/index.html"));
    if (QFileInfo(besideInstalled).isFile())
        return QDir::cleanPath(besideInstalled);
    if (!InstalledHelpFile.isEmpty() && QFileInfo(InstalledHelpFile).isFile())
        return InstalledHelpFile;
    return {};
}

void TMainForm::btHelpClick() {
    const QString help = HelpFileName();
    if (!help.isEmpty()) {
        Prompts().OpenUrl(QUrl::fromLocalFile(help));
        return;
    }
    Prompts().ShowMessage(this, QMessageBox::Critical, QStringLiteral("Поиск файла справки"),
                          QStringLiteral("Файл справки не найден."), QMessageBox::Ok);
}

void TMainForm::btReturnClick() {
    if (SendNetMessage(QStringLiteral("rQuest"))) {
        Prompts().ShowMessage(
            this, QMessageBox::Information, QStringLiteral("Отмена последнего хода"),
            QStringLiteral("Запрос на отмену хода отправлен вашему оппоненту."), QMessageBox::Ok);
        return;
    }
    // No one to ask: the move is taken back at once. The board follows when its page is
    // shown again.
    CurrentGame->UndoLastMove();
    RefreshNotation();
}
