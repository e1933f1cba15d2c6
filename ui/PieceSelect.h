// The promotion question: a small modal dialog with four picture buttons (rook, knight,
// bishop, queen) in the colour of the promoting pawn. Created once, hidden, and reused.
#pragma once

#include "Board.h"

#include <QDialog>
#include <QList>
#include <QPixmap>

class QLabel;
class QToolButton;

class TPieceSelectForm : public QDialog {
    Q_OBJECT

public:
    explicit TPieceSelectForm(QWidget *parent = nullptr);

    // Shows the dialog modally and answers the kind picked: Queen, Rook, Knight or Bishop.
    // Closing the dialog without a choice answers Queen.
    TKind AskPromotion(TColor color);

    void btRookClick();
    void btKnightClick();
    void btBishopClick();
    void btQueenClick();

    TKind ChosenKind;

    QLabel *Label1 = nullptr;
    QWidget *ToolBar1 = nullptr;
    QToolButton *btRook = nullptr;
    QToolButton *btKnight = nullptr;
    QToolButton *btBishop = nullptr;
    QToolButton *btQueen = nullptr;
    // Black rook, knight, bishop, queen, then the white four.
    QList<QPixmap> ilPieces;

private:
    void SetupComponents();
    QToolButton *AddPieceButton(const char *name, int left, void (TPieceSelectForm::*handler)());
    void Choose(TKind kind);
};
