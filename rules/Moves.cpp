// TryMove: the movement rules, the trial on the live board and the playing of a move.
#include "Board.h"

#include <cstdlib>

namespace {

// One move as TryMove sees it: the two squares, their distance and what kind of move it is.
struct TMove {
    int From;
    int To;
    TFields &Origin;
    TFields &Target;
    TPieces *Mover;
    int Dx;
    int Dy;
    int Forward; // +1 rows for White, -1 for Black
    bool Capture = false;
    bool EnPassant = false;
    bool Castling = false;
};

// The shape shared by captures and quiet moves of every piece but the pawn (and castling).
bool PieceShape(TKind kind, int dx, int dy) {
    switch (kind) {
    case King:
        return dx <= 1 && dy <= 1;
    case Queen:
        return dx == dy || dx == 0 || dy == 0;
    case Rook:
        return dx == 0 || dy == 0;
    case Knight:
        return dx * dy == 2;
    case Bishop:
        return dx == dy;
    default:
        return false;
    }
}

// A pawn's quiet move along its column: one row forward, or two from its start row. An
// occupied square ahead makes the move a capture, and a capture demands a diagonal step, so a
// pawn never takes straight ahead.
bool PawnAdvance(const TMove &move) {
    const int rows = (move.Target.Row - move.Origin.Row) * move.Forward;
    const int startRow = move.Mover->Color == White ? 1 : 6;
    if (rows < 0)
        return false;
    return move.Origin.Row == startRow ? rows <= 2 : rows == 1;
}

// Only on the reply to a double step, onto the square that pawn passed over.
bool EnPassantShape(const TGame &game, const TMove &move) {
    if (move.Dx != 1 || game.EnPassantSquare == -1 ||
        move.Target.Row != move.Origin.Row + move.Forward ||
        move.To != game.EnPassantSquare + 8 * move.Forward)
        return false;
    const TPieces *passed = game.Board->Squares[game.EnPassantSquare]->Piece;
    return passed && passed->Kind == Pawn; // the marker always belongs to the opponent
}

bool IsCastlingShape(const TMove &move) {
    const int homeRow = move.Mover->Color == White ? 0 : 7;
    return move.Mover->Kind == King && move.Origin.Column == 4 && move.Origin.Row == homeRow &&
           move.Target.Row == homeRow && (move.Target.Column == 6 || move.Target.Column == 2);
}

// The destination itself is judged later by the trial, like every other move. The cheap tests
// come first; all of them only read the board, so their order does not change the answer.
bool CastlingAllowed(const TGame &game, const TMove &move) {
    const bool isShort = move.Target.Column == 6;
    const TColor color = move.Mover->Color;
    const std::uint8_t right = color == White
                                   ? (isShort ? game.WhiteCastleShort : game.WhiteCastleLong)
                                   : (isShort ? game.BlackCastleShort : game.BlackCastleLong);
    if (!right)
        return false;
    const TBoard &board = *game.Board;
    const int row = move.Origin.Row;
    if (board.CountOnLine(4, row, isShort ? 7 : 0, row) != 2)
        return false; // something stands between king and rook, or the rook is gone
    if (board.IsKingAttacked(color))
        return false;                                                      // out of check
    return !board.IsSquareAttacked(isShort ? 5 : 3, row, Opponent(color)); // through check
}

bool CaptureAllowed(const TBoard &board, TMove &move) {
    const TPieces *victim = move.Target.Piece;
    if (victim->Color == move.Mover->Color)
        return false; // also refuses from == to
    move.Capture = true;
    if (victim->Kind == King)
        return false; // a king is never taken
    const bool shape = move.Mover->Kind == Pawn
                           ? move.Dx == 1 && move.Target.Row == move.Origin.Row + move.Forward
                           : PieceShape(move.Mover->Kind, move.Dx, move.Dy);
    return shape && board.CountOnLine(move.Origin.Column, move.Origin.Row, move.Target.Column,
                                      move.Target.Row) <= 2;
}

bool QuietMoveAllowed(const TGame &game, TMove &move) {
    bool shape = false;
    if (move.Mover->Kind == Pawn) {
        if (move.Dx == 0) {
            shape = PawnAdvance(move);
        } else {
            shape = move.EnPassant = move.Capture = EnPassantShape(game, move);
        }
    } else {
        move.Castling = IsCastlingShape(move);
        shape = move.Castling || PieceShape(move.Mover->Kind, move.Dx, move.Dy);
    }
    // The path count keeps sliders and the double step from passing over pieces.
    if (!shape || game.Board->CountOnLine(move.Origin.Column, move.Origin.Row, move.Target.Column,
                                          move.Target.Row) > 1)
        return false;
    return !move.Castling || CastlingAllowed(game, move);
}

// Tries the move on the live board and puts the pieces back exactly. In castling the rook
// stays where it is; en passant also lifts the taken pawn, so a pin along the row is seen.
bool LeavesKingSafe(TGame &game, const TMove &move) {
    TFields &takenSquare =
        move.EnPassant ? *game.Board->Squares[game.EnPassantSquare] : move.Target;
    TPieces *const taken = takenSquare.Piece;
    takenSquare.Piece = nullptr; // for an ordinary move this is the destination, filled next
    move.Target.Piece = move.Mover;
    move.Origin.Piece = nullptr;
    const bool safe = !game.Board->IsKingAttacked(game.SideToMove);
    move.Target.Piece = nullptr; // empty again before an en-passant destination...
    takenSquare.Piece = taken;   // ...or refilled with what stood there
    move.Origin.Piece = move.Mover;
    return safe;
}

void MovePieces(TGame &game, const TMove &move) {
    TBoard &board = *game.Board;
    move.Target.Piece = move.Mover; // whatever stood there leaves the board
    move.Origin.Piece = nullptr;
    if (move.EnPassant)
        board.Squares[game.EnPassantSquare]->Piece = nullptr;
    if (IsCastling(move.Mover->Kind, move.From, move.To)) {
        const bool isShort = move.To > move.From;
        TFields &rookFrom = *board.Squares[isShort ? move.From + 3 : move.From - 4];
        TFields &rookTo = *board.Squares[isShort ? move.From + 1 : move.From - 1];
        rookTo.Piece = rookFrom.Piece;
        rookFrom.Piece = nullptr;
    }
}

bool HoldsPiece(const TBoard &board, int index, TColor color, TKind kind) {
    const TPieces *piece = board.Squares[index]->Piece;
    return piece && piece->Color == color && piece->Kind == kind;
}

// A right is lost for good once the king or that rook has left its home square, or the rook
// has been taken there; both colours are looked at after every move.
void UpdateCastlingRights(const TBoard &board, TColor color, std::uint8_t &shortRight,
                          std::uint8_t &longRight) {
    if (!shortRight && !longRight)
        return;
    const int home = color == White ? 0 : 56;
    if (!board.Squares[home + 4]->Piece) {
        shortRight = 0;
        longRight = 0;
    }
    if (!HoldsPiece(board, home, color, Rook))
        longRight = 0;
    if (!HoldsPiece(board, home + 7, color, Rook))
        shortRight = 0;
}

} // namespace

namespace {

// The record's letters, in the order of PromotionKinds; "K" is the knight.
constexpr std::array<char16_t, 4> PromotionLetters = {u'Q', u'R', u'K', u'B'};

} // namespace

TKind KindOfPromotionLetter(QChar letter) {
    for (std::size_t i = 0; i < PromotionKinds.size(); ++i) {
        if (letter == QChar(PromotionLetters[i]))
            return PromotionKinds[i];
    }
    return Pawn; // names no piece: the player is asked
}

QChar PromotionLetter(TKind kind) {
    for (std::size_t i = 0; i < PromotionKinds.size(); ++i) {
        if (PromotionKinds[i] == kind)
            return PromotionLetters[i];
    }
    return NoPromotion;
}

bool TGame::TryMove(int from, int to, QChar promotion, bool apply) {
    if (from < 0 || from > 63 || to < 0 || to > 63)
        return false; // a square off the board is no move at all
    TFields &origin = *Board->Squares[from];
    TFields &target = *Board->Squares[to];
    TPieces *const mover = origin.Piece;
    if (!mover || mover->Color != SideToMove)
        return false;

    TMove move{from,
               to,
               origin,
               target,
               mover,
               std::abs(target.Column - origin.Column),
               std::abs(target.Row - origin.Row),
               mover->Color == White ? 1 : -1};
    const bool allowed =
        target.Piece ? CaptureAllowed(*Board, move) : QuietMoveAllowed(*this, move);
    if (!allowed)
        return false;
    const bool legal = LeavesKingSafe(*this, move);
    if (!apply || !legal)
        return legal;

    const TKind movedKind = mover->Kind;
    MovePieces(*this, move);
    EnPassantSquare = mover->Kind == Pawn && move.Dy == 2 ? to : -1;
    if (mover->Kind == Pawn && (target.Row == 7 || target.Row == 0)) {
        TKind kind = KindOfPromotionLetter(promotion);
        if (kind == Pawn)
            kind = AskPromotion(target.Row == 7 ? White : Black);
        // The question may run an event loop: write into whatever stands there now.
        if (TPieces *const promoted = Board->Squares[to]->Piece)
            promoted->Kind = kind;
    }
    UpdateCastlingRights(*Board, White, WhiteCastleShort, WhiteCastleLong);
    UpdateCastlingRights(*Board, Black, BlackCastleShort, BlackCastleLong);
    SideToMove = Opponent(SideToMove);
    RecordMove(movedKind, from, to, move.Capture);
    return true;
}
