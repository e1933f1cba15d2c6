// Attack detection and the search for a legal move, as lookups in the attack tables.
#include "Board.h"
#include "LegalMoves.h"

bool TBoard::IsSquareAttacked(int column, int row, TColor attacker) const {
    if (column < 0 || column > 7 || row < 0 || row > 7)
        return false; // no piece reaches a square off the board
    const int square = row * 8 + column;
    // A line attack reaches the square when nothing stands strictly between. The square's
    // own piece plays no part, except that a king of the attacker standing on it counts as
    // attacking it.
    return AttackersOf(Bits, square, attacker, Bits.All()) ||
           (Bits.Of(attacker, King) & SquareBit(square));
}

bool TBoard::IsKingAttacked(TColor color) const {
    const int king = KingSquare(color);
    if (king < 0)
        return false; // no king of that colour on the board
    return AttackersOf(Bits, king, Opponent(color), Bits.All()) != 0;
}

bool TGame::HasNoLegalMove(TColor color) {
    // Only the side to move has moves at all.
    if (color != SideToMove)
        return true;
    return !TMoveFinder(TBitPosition::Of(*this)).HasMove();
}

TGameStatus TGame::Status() {
    const TMoveFinder finder(TBitPosition::Of(*this));
    const bool noMove = !finder.HasMove();
    const bool attacked = finder.InCheck();
    if (noMove)
        return attacked ? TGameStatus::Mate : TGameStatus::Stalemate;
    return attacked ? TGameStatus::Check : TGameStatus::None;
}
