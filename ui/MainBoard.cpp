// The board page at work: squares and pieces painted onto the grid's canvas in the chosen
// orientation, the coordinate labels, and the presses that pick up and move pieces.
#include "BoardGrid.h"
#include "Main.h"
#include "MoveTyping.h"
#include "NetSession.h"
#include "Pictures.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>

QColor DarkSquareColor() {
    return {175, 119, 92};
}
QColor LightSquareColor() {
    return {231, 189, 140};
}

QPoint TMainForm::GridCellOf(int column, int row) const {
    if (cbWhiteOnTop->isChecked())
        return {7 - column, row};
    return {column, 7 - row};
}

int TMainForm::SquareAtCell(int gridColumn, int gridRow) const {
    if (cbWhiteOnTop->isChecked())
        return CurrentGame->Board->IndexOf(7 - gridColumn, gridRow);
    return CurrentGame->Board->IndexOf(gridColumn, 7 - gridRow);
}

void TMainForm::DrawSquare(int index, bool raised) {
    if (!CurrentGame || index < 0 || index > 63)
        return;
    const TFields &square = *CurrentGame->Board->Squares.at(index);
    const QPoint cell = GridCellOf(square.Column, square.Row);
    const QRect cellRect = TBoardGrid::CellRect(cell.x(), cell.y());
    QPainter painter(&dgBoard->Canvas());
    // At a fractional ratio the canvas ends in a pixel that is partly outside the grid; the
    // cells at the edge fill it, so no line shows there. At ratio 1 nothing is outside.
    QRect fill = cellRect;
    if (cell.x() == TBoardGrid::CellCount - 1)
        fill.setRight(fill.right() + 1);
    if (cell.y() == TBoardGrid::CellCount - 1)
        fill.setBottom(fill.bottom() + 1);
    painter.fillRect(fill, square.Dark != 0 ? DarkSquareColor() : LightSquareColor());
    if (square.Piece != nullptr) {
        const int picture = BoardPictureIndex(square.Piece->Color, square.Piece->Kind);
        if (picture >= 0 && picture < ilPieces.size())
            painter.drawPixmap(cellRect.left() + 2, cellRect.top() + (raised ? 0 : 2),
                               ilPieces.at(picture));
    }
    painter.end();
    dgBoard->update(cellRect);
}

void TMainForm::DrawBoard() {
    for (int index = 0; index < 64; ++index)
        DrawSquare(index, false);
    // A repaint of the window changes nothing in the game.
    if (!InFormPaint)
        DescribeBoard();
}

void TMainForm::UsePixelRatio(qreal ratio) {
    if (ratio <= 0)
        return;
    if (ilPieces.isEmpty() || ilPieces.first().devicePixelRatio() != ratio)
        ilPieces = BoardPictures(ratio);
    dgBoard->SetPixelRatio(ratio);
}

QString TMainForm::BoardDescription() {
    TGame &game = *CurrentGame;
    const bool white = game.SideToMove == White;
    const bool inCheck = game.Board->IsKingAttacked(game.SideToMove);
    if (game.HasNoLegalMove(game.SideToMove)) {
        if (!inCheck)
            return QStringLiteral("Пат, ничья.");
        return white ? QStringLiteral("Мат, победили чёрные.")
                     : QStringLiteral("Мат, победили белые.");
    }
    const QString side = white ? QStringLiteral("Ход белых.") : QStringLiteral("Ход чёрных.");
    return inCheck ? side + QStringLiteral(" Шах.") : side;
}

// Set only when it changes: every change is announced to a screen reader. A move waiting for
// its promotion piece is only half played, and is described once it is finished.
void TMainForm::DescribeBoard() {
    if (PromotionDialogOpen)
        return;
    const QString description = SpokenLastMove(*CurrentGame) + BoardDescription();
    if (dgBoard->accessibleDescription() != description)
        dgBoard->setAccessibleDescription(description);
}

void TMainForm::UpdateCoordinateLabels() {
    const bool whiteOnTop = cbWhiteOnTop->isChecked();
    for (int i = 0; i < 8; ++i) {
        const int file = whiteOnTop ? 7 - i : i;
        lbLitera.at(i)->setText(QString(QChar(u'a' + file)));
        lbDigit.at(i)->setText(QString::number(file + 1));
    }
}

void TMainForm::tsBoardShow() {
    DrawBoard();
}

// The squares follow when the board page is shown again.
void TMainForm::cbWhiteOnTopClick() {
    UpdateCoordinateLabels();
}

// ---- Board input ------------------------------------------------------------------------------

void TMainForm::dgBoardMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    if (!CurrentGame->HasNoLegalMove(CurrentGame->SideToMove)) {
        int target = -1;
        for (int row = 0; row < TBoardGrid::CellCount; ++row) {
            for (int column = 0; column < TBoardGrid::CellCount; ++column) {
                const QRect cell = TBoardGrid::CellRect(column, row);
                // Strict on all four sides: the first pixel row and column of a cell and the
                // lines between cells hit nothing.
                if (cell.left() < x && x < cell.left() + cell.width() && cell.top() < y &&
                    y < cell.top() + cell.height())
                    target = SquareAtCell(column, row);
            }
        }
        if (target >= 0) {
            if (SelectedSquare != -1) {
                // May ask for the promotion piece; the event loop runs meanwhile, and what
                // the peer sent in that time is handled once the move has been played.
                CurrentGame->TryMove(SelectedSquare, target, NoPromotion, true);
                SelectedSquare = -1;
                Session->HandleHeldMessages();
            } else {
                const TPieces *piece = CurrentGame->Board->Squares.at(target)->Piece;
                if (piece != nullptr && piece->Color == CurrentGame->SideToMove)
                    SelectedSquare = target;
            }
            RefreshNotation();
        }
    }
    DrawBoard();
    Session->SendMoveList(CurrentGame->MoveRecord);
    Session->SendSelection(SelectedSquare);
}

void TMainForm::tmFlickerTimer() {
    if (SelectedSquare < 0 || SelectedSquare > 63)
        return;
    FlickerRaised = !FlickerRaised;
    DrawSquare(SelectedSquare, FlickerRaised);
}

void TMainForm::RefreshNotation() {
    mmAnnotation->setPlainText(CurrentGame->Notation.join(u'\n'));
    QTextCursor cursor = mmAnnotation->textCursor();
    cursor.movePosition(QTextCursor::End);
    mmAnnotation->setTextCursor(cursor);
    mmAnnotation->verticalScrollBar()->setValue(mmAnnotation->verticalScrollBar()->maximum());
    DescribeBoard();
}
