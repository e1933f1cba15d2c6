// Games to and from the clipboard: the game as PGN (the export the save dialog writes), the
// position on the board as FEN, and a PGN game or a move record pasted and loaded as a file
// is. A text field with a selection keeps its own copy, one that can be typed in its paste.
#pragma once

#include <QObject>

class TMainForm;

class TClipboardCommands : public QObject {
    Q_OBJECT

public:
    // Binds Ctrl+C, Ctrl+Shift+C and Ctrl+V on the window.
    explicit TClipboardCommands(TMainForm &form);

    void CopyGame();
    void CopyPosition();
    void PasteGame();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TMainForm &Form;
};
