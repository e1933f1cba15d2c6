#include "BoardKeys.h"

#include "Main.h"
#include "MoveTyping.h"
#include "PageControl.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

bool IsBrowseKey(const QKeyEvent &key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    return key.key() == Qt::Key_Left || key.key() == Qt::Key_Right || key.key() == Qt::Key_Home ||
           key.key() == Qt::Key_End;
}

// A field the player can type text into: the address, the chat entry once connected.
bool TakesText(const QWidget &widget) {
    if (const auto *edit = qobject_cast<const QLineEdit *>(&widget))
        return edit->isEnabled() && !edit->isReadOnly();
    if (const auto *memo = qobject_cast<const QPlainTextEdit *>(&widget))
        return memo->isEnabled() && !memo->isReadOnly();
    return false;
}

// Only a line with text moves a cursor with the arrows, Home and End.
bool KeepsArrows(const QWidget &widget) {
    const auto *edit = qobject_cast<const QLineEdit *>(&widget);
    return TakesText(widget) && !(edit && edit->text().isEmpty());
}

bool PressesButton(const QWidget &widget, const QKeyEvent &key) {
    return qobject_cast<const QAbstractButton *>(&widget) &&
           (key.key() == Qt::Key_Space || key.key() == Qt::Key_Return ||
            key.key() == Qt::Key_Enter);
}

} // namespace

TBoardKeys::TBoardKeys(TMainForm &form) : QObject(&form), Form(form) {
    form.installEventFilter(this);
    for (QWidget *child : form.findChildren<QWidget *>()) {
        if (child->window() == &form)
            child->installEventFilter(this);
    }
}

// A key goes to the widget with the focus and, unused, on to its parents: it is judged once,
// where it was sent.
bool TBoardKeys::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || Form.pcMain->currentWidget() != Form.tsBoard)
        return false;
    const QWidget *focus = Form.focusWidget() ? Form.focusWidget() : &Form;
    if (watched != focus)
        return false;
    return KeyPressed(*focus, *static_cast<const QKeyEvent *>(event));
}

bool TBoardKeys::KeyPressed(const QWidget &focus, const QKeyEvent &key) {
    if (IsBrowseKey(key))
        return !KeepsArrows(focus) && Form.BoardView->BrowseKey(key.key());
    if (TakesText(focus)) {
        // The player has gone on to write text: a move begun before is given up.
        if (!Form.MoveTyping->Typed().isEmpty())
            Form.MoveTyping->Clear();
        return false;
    }
    if (PressesButton(focus, key))
        return false;
    return Form.MoveTyping->KeyPressed(key);
}
