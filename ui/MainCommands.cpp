// The game commands of the control page: new game, hints, help and the take-back, and the
// keys that run them from either page.
#include "BoardKeys.h"
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

namespace {

// Where the help page is looked for, in that order.
QStringList HelpFilePlaces(const TMainForm &form) {
    const QDir programFolder(form.ProgramFolder);
    QStringList places = {
        QDir::cleanPath(programFolder.filePath(QStringLiteral(KORVALEN_HELP_BESIDE_PROGRAM))),
        // An installed tree moved as a whole to another prefix still finds its own page.
        QDir::cleanPath(
            programFolder.filePath(QStringLiteral(KORVALEN_INSTALLED_HELP_FROM_PROGRAM)))};
    const QString &installed = form.InstalledHelpFile;
    if (!installed.isEmpty() && !places.contains(QDir::cleanPath(installed)))
        places.append(installed);
    return places;
}

// The help page that btHelp opens: beside the program, else the installed one; empty when
// there is none.
QString HelpFileName(const TMainForm &form) {
    for (const QString &place : HelpFilePlaces(form)) {
        if (QFileInfo(place).isFile())
            return place;
    }
    return {};
}

// The next page (step 1) or the previous one (step -1), round the page control.
void StepPage(QTabWidget &pages, int step) {
    const int count = pages.count();
    if (count > 0)
        pages.setCurrentIndex(((pages.currentIndex() + step) % count + count) % count);
}

} // namespace

void TMainForm::btHelpClick() {
    const QString help = HelpFileName(*this);
    if (!help.isEmpty()) {
        Prompts().OpenUrl(QUrl::fromLocalFile(help));
        return;
    }
    // The places make the box wide enough for its whole caption, and tell the user where
    // the page is missing.
    QStringList shown;
    for (const QString &place : HelpFilePlaces(*this))
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
    // No one to ask: the move is taken back at once.
    CurrentGame->UndoLastMove();
    RefreshNotation();
    DrawBoard();
}

// A key runs the very handler its button's click runs; the pages step as a press on a tab
// would change them.
void SetupShortcuts(TMainForm &form) {
    const auto bind = [&form](QKeyCombination keys, auto handler) {
        auto *shortcut = new QShortcut(QKeySequence(keys), &form);
        QObject::connect(shortcut, &QShortcut::activated, &form, handler);
    };
    const auto step = [&form](int by) { return [&form, by] { StepPage(*form.pcMain, by); }; };
    bind(Qt::CTRL | Qt::Key_N, &TMainForm::btNewClick);
    bind(Qt::CTRL | Qt::Key_O, &TMainForm::btLoadClick);
    bind(Qt::CTRL | Qt::Key_S, &TMainForm::btSaveClick);
    bind(Qt::CTRL | Qt::Key_Z, &TMainForm::btReturnClick);
    // The key that reopens what was closed, in browsers and editors.
    bind(Qt::CTRL | Qt::SHIFT | Qt::Key_T, &TMainForm::btRestoreClick);
    bind(QKeyCombination(Qt::Key_F1), &TMainForm::btHelpClick);
    bind(Qt::CTRL | Qt::Key_Tab, step(1));
    bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, step(-1));
    bind(Qt::CTRL | Qt::Key_PageDown, step(1));
    bind(Qt::CTRL | Qt::Key_PageUp, step(-1));
    form.MoveTyping = new TMoveTyping(form);
    new TBoardKeys(form); // after the window's own filter, so it sees the keys first
    form.Clipboard = new TClipboardCommands(form);
}
