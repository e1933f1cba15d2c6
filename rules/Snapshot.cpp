#include "Snapshot.h"

TPositionSnapshot::TPositionSnapshot(const TGame &game)
    : State(game), GameMessage(game.GameMessage) {
    for (int i = 0; i < 64; ++i) {
        TPieces *piece = game.Board->Squares[i]->Piece;
        Pieces[i] = piece;
        Kinds[i] = piece ? piece->Kind : King;
    }
}

void TPositionSnapshot::Restore(TGame &game) const {
    // Captured pieces stay owned by the board until its next set-up, so the pointers are
    // still good; only a promotion changes a piece itself.
    for (int i = 0; i < 64; ++i) {
        game.Board->Squares[i]->Piece = Pieces[i];
        if (Pieces[i])
            Pieces[i]->Kind = Kinds[i];
    }
    game.Board->RefreshBitboards();
    static_cast<TGameState &>(game) = State;
    game.GameMessage = GameMessage;
}
