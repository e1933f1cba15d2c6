// The legal moves of the side to move, visited in the order a trial of every (from, to) pair
// meets them: origin index first, then destination index. Each move is judged by TryMove
// itself; only the squares a piece cannot reach by its movement alone are left out.
#pragma once

#include "Board.h"

#include <bit>
#include <cstdint>
#include <type_traits>

struct TLegalMove {
    int From = 0;
    int To = 0;
    TKind Mover = Pawn;

    // A pawn move to the last row, played once per promotion piece.
    bool Promotes() const { return IsPromotion(Mover, To); }
};

// Bit i set: square i is a destination the piece on `from` could reach by its movement alone
// (lines up to and including the first piece, jumps, steps, the castling squares, the pawn's
// advances and diagonals). Every move TryMove accepts from `from` is among them. An empty
// square gives 0.
std::uint64_t CandidateTargets(const TBoard &board, int from);

// Calls visit(TLegalMove) for every legal move of the side to move. visit may play the move
// but must put the game back before it returns; it may answer false to stop the visit. The
// answer is false when the visit was stopped.
template <typename Visit> bool VisitLegalMoves(TGame &game, Visit &&visit) {
    const TBoard &board = *game.Board;
    for (int from = 0; from < 64; ++from) {
        const TPieces *piece = board.Squares[from]->Piece;
        if (!piece || piece->Color != game.SideToMove)
            continue;
        const TKind mover = piece->Kind; // read before visit, which may promote and restore
        for (std::uint64_t targets = CandidateTargets(board, from); targets != 0;
             targets &= targets - 1) {
            const int to = std::countr_zero(targets);
            if (!game.TryMove(from, to, NoPromotion, false))
                continue;
            if constexpr (std::is_void_v<decltype(visit(TLegalMove{}))>) {
                visit(TLegalMove{from, to, mover});
            } else if (!visit(TLegalMove{from, to, mover})) {
                return false;
            }
        }
    }
    return true;
}
