// TryMove: the movement rules, the trial on the live board and the playing of a move.
#include "Board.h"

#include <cstdlib>

namespace {

struct TCastling {
    int KingFrom;
    int KingTo;
    int RookCorner;
    int PassedColumn;
};

std::uint8_t KindOfLetter(QChar letter) {
    switch (letter.unicode()) {
    case u'Q':
        return Queen;
    case u'R':
        return Rook;
    case u'K':
        return Knight;
    case u'B':
        return Bishop;
    default:
        return Pawn; // names no piece: the player is asked
    }
}

bool HoldsPiece(const TBoard &board, int index, std::uint8_t color, std::uint8_t kind) {
    const TPieces *piece = board.Squares[index]->Piece;
    return piece && piece->Color == color && piece->Kind == kind;
}

// A right is lost for good once the king or that rook has left its home square, or the rook
// has been taken there; both colours are looked at after every move.
void UpdateCastlingRights(const TBoard &board, std::uint8_t color, std::uint8_t &shortRight,
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

bool TGame::TryMove(int from, int to, QChar promotion, bool apply) {
    if (from < 0 || from > 63 || to < 0 || to > 63)
        return false; // a square off the board is no move at all
    TBoard &board = *Board;
    TFields &origin = *board.Squares[from];
    TFields &target = *board.Squares[to];
    TPieces *const mover = origin.Piece;
    if (!mover || mover->Color != SideToMove)
        return false;

    const int fc = origin.Column;
    const int fr = origin.Row;
    const int tc = target.Column;
    const int tr = target.Row;
    const int dx = std::abs(tc - fc);
    const int dy = std::abs(tr - fr);
    const int forward = mover->Color == White ? 1 : -1;
    bool capture = false;
    bool enPassant = false;

    // The cheap shape tests come before the path count; both only read the board, so their
    // order does not change the answer.
    if (TPieces *const victim = target.Piece) {
        if (victim->Color == mover->Color)
            return false; // also refuses from == to
        capture = true;
        if (victim->Kind == King)
            return false; // a king is never taken
        bool shape = false;
        switch (mover->Kind) {
        case King:
            shape = dx <= 1 && dy <= 1;
            break;
        case Queen:
            shape = dx == dy || dx == 0 || dy == 0;
            break;
        case Rook:
            shape = dx == 0 || dy == 0;
            break;
        case Knight:
            shape = dx * dy == 2;
            break;
        case Bishop:
            shape = dx == dy;
            break;
        case Pawn:
            shape = dx == 1 && tr == fr + forward;
            break;
        }
        if (!shape || board.CountOnLine(fc, fr, tc, tr) > 2)
            return false;
    } else {
        bool castling = false;
        bool shape = false;
        switch (mover->Kind) {
        case King: {
            const int homeRow = mover->Color == White ? 0 : 7;
            castling = fc == 4 && fr == homeRow && tr == homeRow && (tc == 6 || tc == 2);
            shape = castling || (dx <= 1 && dy <= 1);
            break;
        }
        case Queen:
            shape = dx == dy || dx == 0 || dy == 0;
            break;
        case Rook:
            shape = dx == 0 || dy == 0;
            break;
        case Knight:
            shape = dx * dy == 2;
            break;
        case Bishop:
            shape = dx == dy;
            break;
        case Pawn:
            if (dx == 0) {
                // Never straight onto a piece: an occupied square ahead is a capture, and a
                // capture demands a diagonal step.
                const int startRow = mover->Color == White ? 1 : 6;
                if ((tr - fr) * forward < 0)
                    shape = false;
                else if (fr == startRow)
                    shape = (tr - fr) * forward <= 2;
                else
                    shape = tr == fr + forward;
            } else {
                // En passant: only on the reply to a double step, onto the square passed over.
                shape = dx == 1 && EnPassantSquare != -1 && tr == fr + forward &&
                        to == EnPassantSquare + 8 * forward &&
                        board.Squares[EnPassantSquare]->Piece &&
                        board.Squares[EnPassantSquare]->Piece->Kind == Pawn;
                enPassant = shape;
                capture = shape;
            }
            break;
        }
        if (!shape || board.CountOnLine(fc, fr, tc, tr) > 1)
            return false;
        if (castling) {
            const bool isShort = tc == 6;
            const std::uint8_t right = mover->Color == White
                                           ? (isShort ? WhiteCastleShort : WhiteCastleLong)
                                           : (isShort ? BlackCastleShort : BlackCastleLong);
            if (!right)
                return false;
            if (board.CountOnLine(fc, fr, isShort ? 7 : 0, fr) != 2)
                return false; // something stands between king and rook, or the rook is gone
            const std::uint8_t enemy = Opponent(mover->Color);
            if (board.IsKingAttacked(mover->Color))
                return false; // castling out of check
            if (board.IsSquareAttacked(isShort ? 5 : 3, fr, enemy))
                return false; // castling through check
            // The destination is judged by the trial below, like every other move.
        }
    }

    // Trial on the live board. In castling the rook stays where it is.
    TFields &takenSquare = enPassant ? *board.Squares[EnPassantSquare] : target;
    TPieces *const taken = takenSquare.Piece;
    target.Piece = mover;
    origin.Piece = nullptr;
    if (enPassant)
        takenSquare.Piece = nullptr; // the row is opened, so a pin along it is seen
    const bool legal = !board.IsKingAttacked(SideToMove);
    if (enPassant)
        target.Piece = nullptr;
    origin.Piece = mover;
    takenSquare.Piece = taken;

    if (!apply || !legal)
        return legal;

    const std::uint8_t movedKind = mover->Kind;
    if (movedKind == King && std::abs(from - to) == 2) {
        target.Piece = mover;
        origin.Piece = nullptr;
        const int rookFrom = to > from ? from + 3 : from - 4;
        const int rookTo = to > from ? from + 1 : from - 1;
        board.Squares[rookTo]->Piece = board.Squares[rookFrom]->Piece;
        board.Squares[rookFrom]->Piece = nullptr;
    } else {
        target.Piece = mover;
        origin.Piece = nullptr;
        if (enPassant)
            takenSquare.Piece = nullptr;
    }

    TPieces *const arrived = target.Piece;
    EnPassantSquare = arrived->Kind == Pawn && dy == 2 ? to : -1;

    if (arrived->Kind == Pawn && (tr == 7 || tr == 0)) {
        std::uint8_t kind = KindOfLetter(promotion);
        if (kind == Pawn)
            kind = AskPromotion(tr == 7 ? White : Black);
        // The question may run an event loop: write into whatever stands there now.
        if (TPieces *const promoted = Board->Squares[to]->Piece)
            promoted->Kind = kind;
    }

    UpdateCastlingRights(*Board, White, WhiteCastleShort, WhiteCastleLong);
    UpdateCastlingRights(*Board, Black, BlackCastleShort, BlackCastleLong);
    SideToMove = Opponent(SideToMove);
    RecordMove(movedKind, from, to, capture);
    return true;
}
