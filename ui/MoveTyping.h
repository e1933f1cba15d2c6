// Moves from the keyboard, for everyone and for users of a screen reader: typed letters and
// digits build a move, shown in a small line over the board; Return plays it as the press that
// ends a move does, Escape clears it. Which keys reach it is TBoardKeys' decision.
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
    // Makes the window's board grid reachable with Tab.
    explicit TMoveTyping(TMainForm &form);

    // One key for the move; false when it is not one of the move's (the arrows, Tab, a key with
    // Ctrl, Return with nothing typed).
    bool KeyPressed(const QKeyEvent &key);

    // What has been typed so far.
    const QString &Typed() const { return Text; }
    // The line over the board: the typed text, or why it named no move; hidden when empty.
    QLabel *Line() const { return LineLabel; }

    void Clear();
    // Plays the typed move as a press on its target square with its origin picked up would; a
    // text that names no legal move, or more than one, plays nothing and says so in the line.
    void PlayTyped();

private:
    void Show(const QString &text);
    void Play(const TRecordEntry &move);

    TMainForm &Form;
    QLabel *LineLabel;
    QString Text;
    bool ShowsProblem = false; // the line says why the text was no move
};
