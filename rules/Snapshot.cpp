#include "Snapshot.h"

TPositionSnapshot::TPositionSnapshot(const TGame &game)
    : SideToMove(game.SideToMove), WhiteCastleShort(game.WhiteCastleShort),
      WhiteCastleLong(game.WhiteCastleLong), BlackCastleShort(game.BlackCastleShort),
      BlackCastleLong(game.BlackCastleLong), EnPassantSquare(game.EnPassantSquare),
      MoveRecord(game.MoveRecord), Notation(game.Notation), GameMessage(game.GameMessage) {
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
    game.SideToMove = SideToMove;
    game.WhiteCastleShort = WhiteCastleShort;
    game.WhiteCastleLong = WhiteCastleLong;
    game.BlackCastleShort = BlackCastleShort;
    game.BlackCastleLong = BlackCastleLong;
    game.EnPassantSquare = EnPassantSquare;
    game.MoveRecord = MoveRecord;
    game.Notation = Notation;
    game.GameMessage = GameMessage;
}
