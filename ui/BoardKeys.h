// The one place that decides which keys go to the board page: while it is shown, the arrows,
// Home and End look back through the game and letters and digits start a typed move, wherever
// the focus is, so that a player who uses the mouse reaches them too. A field that takes typed
// text keeps them (an empty one lends its arrows, Home and End, which it has no use for), and
// a button keeps Space and Return; Tab and every key with Ctrl or Alt are never taken.
#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;
class TMainForm;

class TBoardKeys : public QObject {
public:
    // Watches the keys of the window and of every widget in it.
    explicit TBoardKeys(TMainForm &form);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool KeyPressed(const QWidget &focus, const QKeyEvent &key);

    TMainForm &Form;
};
