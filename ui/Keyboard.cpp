#include "Keyboard.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

namespace {

// Watches the one button it belongs to.
class TReturnClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        // A held key presses once, as a held Space does.
        if (!key->isAutoRepeat())
            static_cast<QAbstractButton *>(watched)->click();
        return true;
    }
};

} // namespace

void ClickOnReturn(QAbstractButton *button) {
    button->installEventFilter(new TReturnClicks(button));
}

TFocusMemo::TFocusMemo(QWidget *parent) : TRepaintOnFocus(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

bool TFocusMemo::event(QEvent *event) {
    const bool handled = QPlainTextEdit::event(event);
    // The memo's own paint event draws its frame; the highlight goes over it.
    if (event->type() == QEvent::Paint && hasFocus() && frameWidth() > 0) {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    return handled;
}
