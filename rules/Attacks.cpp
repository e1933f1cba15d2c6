// Attack detection, the candidate destinations of a piece and the search for a legal move.
#include "Board.h"
#include "LegalMoves.h"

#include <array>

namespace {

struct TStep {
    int Column;
    int Row;
};

constexpr std::array<TStep, 4> Straight = {{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
constexpr std::array<TStep, 4> Diagonal = {{{1, 1}, {-1, 1}, {1, -1}, {-1, -1}}};
constexpr std::array<TStep, 8> KnightJumps = {
    {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}};
constexpr std::array<TStep, 8> KingSteps = {
    {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}}};

bool OnBoard(int column, int row) {
    return column >= 0 && column < 8 && row >= 0 && row < 8;
}

const TPieces *PieceAt(const TBoard &board, int column, int row) {
    return board.Squares[row * 8 + column]->Piece;
}

bool Holds(const TPieces *piece, TColor color, TKind kind) {
    return piece && piece->Color == color && piece->Kind == kind;
}

// The first piece met walking from the square along the step, or null at the board's edge.
const TPieces *FirstOnRay(const TBoard &board, int column, int row, TStep step) {
    for (column += step.Column, row += step.Row; OnBoard(column, row);
         column += step.Column, row += step.Row) {
        if (const TPieces *piece = PieceAt(board, column, row))
            return piece;
    }
    return nullptr;
}

template <std::size_t N>
bool AnyAt(const TBoard &board, int column, int row, const std::array<TStep, N> &steps,
           TColor color, TKind kind) {
    for (const TStep step : steps) {
        const int c = column + step.Column;
        const int r = row + step.Row;
        if (OnBoard(c, r) && Holds(PieceAt(board, c, r), color, kind))
            return true;
    }
    return false;
}

// Squares along each step up to the edge or the first piece (one square only for a piece that
// does not slide), that piece's square included unless it is of the mover's colour.
template <std::size_t N>
std::uint64_t ReachedSquares(const TBoard &board, int from, TColor color,
                             const std::array<TStep, N> &steps, bool slides) {
    std::uint64_t targets = 0;
    for (const TStep step : steps) {
        int column = from % 8 + step.Column;
        int row = from / 8 + step.Row;
        for (; OnBoard(column, row); column += step.Column, row += step.Row) {
            const TPieces *piece = PieceAt(board, column, row);
            if (!piece || piece->Color != color)
                targets |= std::uint64_t(1) << (row * 8 + column);
            if (piece || !slides)
                break;
        }
    }
    return targets;
}

// One and two rows ahead and both forward diagonals; TryMove sorts out which are moves.
std::uint64_t PawnTargets(int from, TColor color) {
    const int column = from % 8;
    const int row = from / 8 + (color == White ? 1 : -1);
    if (row < 0 || row > 7)
        return 0;
    std::uint64_t targets = std::uint64_t(1) << (row * 8 + column);
    if (column > 0)
        targets |= std::uint64_t(1) << (row * 8 + column - 1);
    if (column < 7)
        targets |= std::uint64_t(1) << (row * 8 + column + 1);
    const int doubleRow = color == White ? 3 : 4;
    if (from / 8 == (color == White ? 1 : 6))
        targets |= std::uint64_t(1) << (doubleRow * 8 + column);
    return targets;
}

} // namespace

bool TBoard::IsSquareAttacked(int column, int row, TColor attacker) const {
    // A line attack reaches the square when nothing stands strictly between: the first piece
    // met walking outward decides. The square's own piece plays no part, except that a king
    // of the attacker standing on it counts as attacking it.
    if (!OnBoard(column, row))
        return false; // no piece reaches a square off the board
    for (const TStep step : Straight) {
        const TPieces *piece = FirstOnRay(*this, column, row, step);
        if (piece && piece->Color == attacker && (piece->Kind == Rook || piece->Kind == Queen))
            return true;
    }
    for (const TStep step : Diagonal) {
        const TPieces *piece = FirstOnRay(*this, column, row, step);
        if (piece && piece->Color == attacker && (piece->Kind == Bishop || piece->Kind == Queen))
            return true;
    }
    if (AnyAt(*this, column, row, KnightJumps, attacker, Knight) ||
        AnyAt(*this, column, row, KingSteps, attacker, King) ||
        Holds(PieceAt(*this, column, row), attacker, King))
        return true;
    // Only the two forward diagonals of a pawn: it stands one row behind, seen from it.
    const int pawnRow = row + (attacker == White ? -1 : 1);
    if (pawnRow < 0 || pawnRow > 7)
        return false;
    return (column > 0 && Holds(PieceAt(*this, column - 1, pawnRow), attacker, Pawn)) ||
           (column < 7 && Holds(PieceAt(*this, column + 1, pawnRow), attacker, Pawn));
}

bool TBoard::IsKingAttacked(TColor color) const {
    // The king mostly stands where it was found last time; the square is looked at before it
    // is trusted, so a board changed by any means still gets the right answer.
    int &hint = KingSquareHint[color];
    if (!Holds(Squares[hint]->Piece, color, King)) {
        // There is one king of each colour, so the search may start from its own side of
        // the board, where it mostly stands.
        const int first = color == White ? 0 : 63;
        const int step = color == White ? 1 : -1;
        int i = first;
        while (i >= 0 && i < 64 && !Holds(Squares[i]->Piece, color, King))
            i += step;
        if (i < 0 || i > 63)
            return false; // no king of that colour on the board
        hint = i;
    }
    return IsSquareAttacked(hint % 8, hint / 8, Opponent(color));
}

std::uint64_t CandidateTargets(const TBoard &board, int from) {
    const TPieces *piece = board.Squares[from]->Piece;
    if (!piece)
        return 0;
    const TColor color = piece->Color;
    switch (piece->Kind) {
    case King: {
        std::uint64_t targets = ReachedSquares(board, from, color, KingSteps, false);
        if (from % 8 == 4) // castling squares, two columns either way on the same row
            targets |= (std::uint64_t(1) << (from + 2)) | (std::uint64_t(1) << (from - 2));
        return targets;
    }
    case Queen:
        return ReachedSquares(board, from, color, Straight, true) |
               ReachedSquares(board, from, color, Diagonal, true);
    case Rook:
        return ReachedSquares(board, from, color, Straight, true);
    case Knight:
        return ReachedSquares(board, from, color, KnightJumps, false);
    case Bishop:
        return ReachedSquares(board, from, color, Diagonal, true);
    case Pawn:
        return PawnTargets(from, color);
    }
    return 0;
}

bool TGame::HasNoLegalMove(TColor color) {
    // The visit tries the pieces of the side to move; any other colour has no move at all.
    if (color != SideToMove)
        return true;
    return VisitLegalMoves(*this, [](const TLegalMove &) { return false; });
}

TGameStatus TGame::Status() {
    const bool noMove = HasNoLegalMove(SideToMove);
    const bool attacked = Board->IsKingAttacked(SideToMove);
    if (noMove)
        return attacked ? TGameStatus::Mate : TGameStatus::Stalemate;
    return attacked ? TGameStatus::Check : TGameStatus::None;
}
