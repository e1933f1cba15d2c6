#include "ClipboardCommands.h"

#include "Fen.h"
#include "GameFiles.h"
#include "Main.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>

namespace {

// Whether a line edit, a memo or a label of selectable text holds selected text, and whether
// it can be typed in.
struct TTextField {
    bool Field = false;
    bool Selection = false;
    bool Writable = false;
};

TTextField TextFieldOf(QObject *object) {
    if (const auto *edit = qobject_cast<const QLineEdit *>(object))
        return {true, edit->hasSelectedText(), !edit->isReadOnly()};
    if (const auto *memo = qobject_cast<const QPlainTextEdit *>(object))
        return {true, memo->textCursor().hasSelection(), !memo->isReadOnly()};
    if (const auto *label = qobject_cast<const QLabel *>(object);
        label && label->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard))
        return {true, label->hasSelectedText(), false};
    return {};
}

} // namespace

TClipboardCommands::TClipboardCommands(TMainForm &form)
    : QObject(&form), Form(form) {
    const auto bind = [this, &form](const QKeySequence &keys, void (TClipboardCommands::*run)()) {
        auto *shortcut = new QShortcut(keys, &form);
        connect(shortcut, &QShortcut::activated, this, run);
    };
    bind(QKeySequence::Copy, &TClipboardCommands::CopyGame);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &TClipboardCommands::CopyPosition);
    bind(QKeySequence::Paste, &TClipboardCommands::PasteGame);
    for (QWidget *field : form.findChildren<QWidget *>()) {
        if (TextFieldOf(field).Field)
            field->installEventFilter(this);
    }
}

void TClipboardCommands::CopyGame() {
    QGuiApplication::clipboard()->setText(PgnTextOfRecord(Form.CurrentGame->MoveRecord));
}

void TClipboardCommands::CopyPosition() {
    const QString fen = StandardFenAfter(Form.CurrentGame->MoveRecord, Form.BoardView->ShownPly());
    if (!fen.isEmpty())
        QGuiApplication::clipboard()->setText(fen);
}

void TClipboardCommands::PasteGame() {
    Form.LoadGame(PastedGame(QGuiApplication::clipboard()->text()));
}

// A text field takes Ctrl+C while it has a selection to copy and Ctrl+V while it can be typed
// in; otherwise the keys are the window's. Left alone, a line edit would take Ctrl+C with
// nothing selected, and a read-only memo would not copy its selection.
bool TClipboardCommands::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const TTextField field = TextFieldOf(watched);
    if (key->matches(QKeySequence::Copy)) {
        if (field.Selection)
            key->accept();
        return true;
    }
    if (key->matches(QKeySequence::Paste) && !field.Writable)
        return true; // not taken by the field: the window's key runs
    return false;
}
