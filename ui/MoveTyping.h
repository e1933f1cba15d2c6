// Moves from the keyboard, for everyone and for users of a screen reader: while the board has
// the focus, typed letters and digits build a move, shown in a small line over the board;
// Return plays it as the press that ends a move does, Escape clears it. The arrow keys, Home,
// End and the wheel are left to the board.
#pragma once

#include <QObject>
#include <QString>

class QKeyEvent;
class QLabel;
class TGame;
class TMainForm;
struct TRecordEntry;

class TMoveTyping : public QObject {
    Q_OBJECT

public:
    // Watches the window's board grid, which it makes reachable with Tab.
    explicit TMoveTyping(TMainForm &form);

    // What has been typed so far.
    const QString &Typed() const { return Text; }
    // The line over the board: the typed text, or why it named no move; hidden when empty.
    QLabel *Line() const { return LineLabel; }

    void Clear();
    // Plays the typed move as a press on its target square with its origin picked up would; a
    // text that names no legal move, or more than one, plays nothing and says so in the line.
    void PlayTyped();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool KeyPressed(const QKeyEvent &key);
    void Show(const QString &text);
    void Play(const TRecordEntry &move);

    TMainForm &Form;
    QLabel *LineLabel;
    QString Text;
    bool ShowsProblem = false; // the line says why the text was no move
};
