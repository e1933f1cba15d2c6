#include "PositionKeys.h"

#include "Board.h"
#include "LegalMoves.h"

TPositionKey PiecesKeyOf(const TBoard &board) {
    TPositionKey key = 0;
    for (int i = 0; i < 64; ++i) {
        if (const TPieces *piece = board.Squares[i]->Piece)
            key ^= PieceKey(piece->Color, piece->Kind, i);
    }
    return key;
}

bool CanTakeEnPassant(const TGame &game) {
    if (game.EnPassantSquare < 0)
        return false;
    const int target = PassedOverSquare(game.EnPassantSquare);
    // A pawn of the side to move takes on the target from where a pawn of the other colour
    // standing on the target would take: the two squares beside the advanced pawn.
    const TBitboard takers = AttackTables.Pawn[Opponent(game.SideToMove)][target] &
                             game.Board->Occupancy().Of(game.SideToMove, Pawn);
    if (!takers)
        return false; // the common case: no pawn beside it, no move search
    const TMoveFinder finder(TBitPosition::Of(game));
    for (TBitboard rest = takers; rest; rest &= rest - 1) {
        if (finder.Targets(FirstSquare(rest)) & SquareBit(target))
            return true;
    }
    return false;
}

TPositionKey PositionKeyOf(const TGame &game) {
    TPositionKey key = game.Board->PiecesKey() ^ KeyTable.Castling[CastlingRightsOf(game)];
    if (game.SideToMove == Black)
        key ^= KeyTable.BlackToMove;
    if (CanTakeEnPassant(game))
        key ^= KeyTable.EnPassantFile[game.EnPassantSquare % 8];
    return key;
}
