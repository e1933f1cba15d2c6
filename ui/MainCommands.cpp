// The game commands of the control page: new game, hints, help and the take-back, and the
// keys that run them from either page.
#include "ClipboardCommands.h"
#include "Main.h"
#include "MoveTyping.h"
#include "NetSession.h"
#include "PageControl.h"
#include "Prompts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
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

QStringList TMainForm::HelpFilePlaces() const {
    const QDir programFolder(ProgramFolder);
    QStringList places = {
        QDir::cleanPath(programFolder.filePath(QStringLiteral(KORVALEN_HELP_BESIDE_PROGRAM))),
        // An installed tree moved as a whole to another prefix still finds its own page.
        QDir::cleanPath(
            programFolder.filePath(QStringLiteral(KORVALEN_INSTALLED_HELP_FROM_PROGRAM)))};
    if (!InstalledHelpFile.isEmpty() && !places.contains(QDir::cleanPath(InstalledHelpFile)))
        places.append(InstalledHelpFile);
    return places;
}

QString TMainForm::HelpFileName() const {
    for (const QString &place : HelpFilePlaces()) {
        if (QFileInfo(place).isFile())
            return place;
    }
    return {};
}

void TMainForm::btHelpClick() {
    const QString help = HelpFileName();
    if (!help.isEmpty()) {
        Prompts().OpenUrl(QUrl::fromLocalFile(help));
        return;
    }
    // The places make the box wide enough for its whole caption, and tell the user where
    // the page is missing.
    QStringList shown;
    for (const QString &place : HelpFilePlaces())
        shown.append(QDir::toNativeSeparators(place));
    Prompts().ShowMessage(this, QMessageBox::Critical, QStringLiteral("Поиск файла справки"),
                          QStringLiteral("Файл справки не найден.\n\nПрограмма искала его "
                                         "здесь:\n%1")
                              .arg(shown.join(u'\n')),
                          QMessageBox::Ok);
}

void TMainForm::btReturnClick() {
    if (Session->SendTakeBack(TTakeBack::Request)) {
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

// A key runs the very handler its button's click runs; the pages step as a press on a tab
// would change them.
void TMainForm::SetupShortcuts() {
    const auto bind = [this](QKeyCombination keys, auto handler) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    bind(Qt::CTRL | Qt::Key_N, &TMainForm::btNewClick);
    bind(Qt::CTRL | Qt::Key_O, &TMainForm::btLoadClick);
    bind(Qt::CTRL | Qt::Key_S, &TMainForm::btSaveClick);
    bind(Qt::CTRL | Qt::Key_Z, &TMainForm::btReturnClick);
    bind(QKeyCombination(Qt::Key_F1), &TMainForm::btHelpClick);
    bind(Qt::CTRL | Qt::Key_Tab, [this] { StepPage(1); });
    bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, [this] { StepPage(-1); });
    bind(Qt::CTRL | Qt::Key_PageDown, [this] { StepPage(1); });
    bind(Qt::CTRL | Qt::Key_PageUp, [this] { StepPage(-1); });
    MoveTyping = new TMoveTyping(*this);
    Clipboard = new TClipboardCommands(*this);
}

void TMainForm::StepPage(int step) {
    const int count = pcMain->count();
    if (count > 0)
        pcMain->setCurrentIndex(((pcMain->currentIndex() + step) % count + count) % count);
}
