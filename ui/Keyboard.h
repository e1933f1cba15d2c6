// What a user of the keyboard needs beyond what the toolkit gives by itself: Return on a
// button, and memos that show when they have the focus.
#pragma once

#include <QPlainTextEdit>

class QAbstractButton;
class QFocusEvent;

// A widget that draws its own focus look repaints when the focus comes or goes.
template <typename TBase> class TRepaintOnFocus : public TBase {
public:
    using TBase::TBase;

protected:
    void focusInEvent(QFocusEvent *event) override {
        TBase::focusInEvent(event);
        this->update();
    }
    void focusOutEvent(QFocusEvent *event) override {
        TBase::focusOutEvent(event);
        this->update();
    }
};

// Return and Enter press the button while it has the focus, as Space does.
void ClickOnReturn(QAbstractButton *button);

// A read-only memo that shows the focus as the style shows it on a line edit: its frame in
// the highlight colour, and a text cursor the arrow keys move (to read and select by line).
class TFocusMemo : public TRepaintOnFocus<QPlainTextEdit> {
public:
    explicit TFocusMemo(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
};
