// The board page at work for the window: the presses that pick up and move pieces, and the
// notation beside the board. The board view draws; the window owns the game.
#include "BoardNotices.h"
#include "Draws.h"
#include "Main.h"
#include "NetSession.h"

#include <QPlainTextEdit>
#include <QScrollBar>

void TMainForm::dgBoardMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    bool pickedUp = false;
    BoardView->Notices().Set(TBoardNotices::TKind::WaitingGame, {}); // the player has begun
    // A game at its end takes no press: mate and stalemate are the rules' word.
    const TGameStatus status = CurrentGame->Status();
    if (status != TGameStatus::Mate && status != TGameStatus::Stalemate) {
        const int target = BoardView->SquareAt({x, y});
        if (target >= 0) {
            if (SelectedSquare != -1) {
                // May ask for the promotion piece; the event loop runs meanwhile, and what
                // the peer sent in that time is handled once the move has been played.
                CurrentGame->TryMove(SelectedSquare, target, NoPromotion, true);
                SelectedSquare = -1;
                Session->HandleHeldMessages();
            } else {
                const TPieces *piece = CurrentGame->Board->Squares.at(target)->Piece;
                pickedUp = piece != nullptr && piece->Color == CurrentGame->SideToMove;
                if (pickedUp)
                    SelectedSquare = target;
            }
            RefreshNotation();
        }
    }
    DrawBoard();
    // Before the sends run the event loop: the button may be let go on another square.
    if (pickedUp)
        BoardView->PickedUp(SelectedSquare);
    Session->SendMoveList(CurrentGame->MoveRecord);
    Session->SendSelection(SelectedSquare);
}

// A move waiting for its promotion piece is only half played, and is described once it is done.
// A draw by the rules of chess is told over the board and first in the description; the game
// goes on all the same.
void TMainForm::DescribeBoard() {
    if (PromotionDialogOpen)
        return;
    BoardView->Notices().Set(TBoardNotices::TKind::Draw, DrawNotice(DrawOf(*CurrentGame)));
    BoardView->Describe(CurrentGame->Status());
}

void TMainForm::RefreshNotation() {
    mmAnnotation->setPlainText(CurrentGame->Notation.join(u'\n'));
    mmAnnotation->setExtraSelections({}); // no line of an earlier position stays marked
    QTextCursor cursor = mmAnnotation->textCursor();
    cursor.movePosition(QTextCursor::End);
    mmAnnotation->setTextCursor(cursor);
    mmAnnotation->verticalScrollBar()->setValue(mmAnnotation->verticalScrollBar()->maximum());
    DescribeBoard();
}
