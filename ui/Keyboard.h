// What a user of the keyboard needs beyond what the toolkit gives by itself: Return on a
// button, and memos that show when they have the focus.
#pragma once

#include <QPlainTextEdit>

class QAbstractButton;

// Return and Enter press the button while it has the focus, as Space does.
void ClickOnReturn(QAbstractButton *button);

// A read-only memo that shows the focus as the style shows it on a line edit: its frame in
// the highlight colour, and a text cursor the arrow keys move (to read and select by line).
class TFocusMemo : public QPlainTextEdit {
public:
    explicit TFocusMemo(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
