// The legal moves of the side to move, found from attack and pin masks on the board's
// bitboards, and visited in the order a trial of every (from, to) pair meets them: origin
// index first, then destination index. JudgeMove, the visit, the mate and stalemate test and
// move-path counting all ask the same finder.
#pragma once

#include "Board.h"

#include <cstdint>
#include <type_traits>

// Castling rights as bits, in the order of the game's four flags.
enum TCastlingRight : std::uint8_t {
    WhiteShortRight = 1,
    WhiteLongRight = 2,
    BlackShortRight = 4,
    BlackLongRight = 8
};

// The game's four castling flags as TCastlingRight bits.
inline std::uint8_t CastlingRightsOf(const TGameState &state) {
    return std::uint8_t((state.WhiteCastleShort ? WhiteShortRight : 0) |
                        (state.WhiteCastleLong ? WhiteLongRight : 0) |
                        (state.BlackCastleShort ? BlackShortRight : 0) |
                        (state.BlackCastleLong ? BlackLongRight : 0));
}

// What the move search needs of a game: the pieces, the side to move, the castling rights and
// the en-passant square. Small enough to copy for every move of a search.
struct TBitPosition {
    TOccupancy Pieces;
    TColor SideToMove = White;
    std::uint8_t Castling = 0; // TCastlingRight bits
    int EnPassantSquare = -1;  // as TGame keeps it: the pawn that has just advanced two rows

    static TBitPosition Of(const TGame &game);
    bool operator==(const TBitPosition &) const = default;
};

// The pieces of `attacker` that attack the square, with `occupied` blocking the lines. The
// square's own piece plays no part.
inline TBitboard AttackersOf(const TOccupancy &pieces, int square, TColor attacker,
                             TBitboard occupied) {
    const TBitboard own = pieces.Colors[attacker];
    // A pawn attacks the square from where a pawn of the other colour on it would attack.
    TBitboard attackers = (AttackTables.Knight[square] & pieces.Kinds[Knight]) |
                          (AttackTables.King[square] & pieces.Kinds[King]) |
                          (AttackTables.Pawn[Opponent(attacker)][square] & pieces.Kinds[Pawn]);
    // The rays are walked only when a slider stands on one of the square's lines at all.
    const TBitboard straight = (pieces.Kinds[Rook] | pieces.Kinds[Queen]) & own;
    if (straight & AttackTables.RookLines[square])
        attackers |= RookAttacks(square, occupied) & straight;
    const TBitboard diagonal = (pieces.Kinds[Bishop] | pieces.Kinds[Queen]) & own;
    if (diagonal & AttackTables.BishopLines[square])
        attackers |= BishopAttacks(square, occupied) & diagonal;
    return attackers & own;
}

class TMoveFinder {
public:
    explicit TMoveFinder(const TBitPosition &position);

    // The pieces of the side to move.
    TBitboard Movers() const { return Own; }
    // The legal destinations of the piece on `from`; none for a square without a piece of the
    // side to move.
    TBitboard Targets(int from) const;
    // The value of a legal move.
    TMove Describe(int from, int to) const;
    bool InCheck() const { return Checkers != 0; }
    // Looks at the other pieces before the king, whose steps cost an attack test each.
    bool HasMove() const;
    // The number of legal moves, a pawn move to the last row once per promotion piece.
    std::uint64_t CountMoves() const;

private:
    TBitboard TargetsOf(int from, int kind) const;
    TBitboard PawnTargets(int from) const;
    TBitboard KingTargets(int from) const;
    bool EnPassantAllowed(int from) const;
    bool SafeForKing(int square) const;

    TBitPosition Position;
    TColor Side;
    TBitboard Own = 0;
    TBitboard Enemy = 0;
    TBitboard Occupied = 0;
    int KingSquare = -1; // the mover's king; -1 when it has none
    TBitboard EnemyKing = 0;
    TBitboard Checkers = 0;
    TBitboard Pinned = 0;
    // The squares a move of a piece other than the king must reach: the checker or a square
    // between it and the king when in check, every square otherwise (a king is never taken).
    TBitboard Evasions = 0;
};

// Moves the pieces of a judged move: the mover (whatever stood on its destination leaves), the
// pawn taken en passant, the rook of a castling. The board and the bitboards of a search play
// moves through the same steps.
template <typename TPlace> void MovePieces(TPlace &place, const TMove &move, int enPassantSquare) {
    place.MovePiece(move.From, move.To);
    if (move.EnPassant)
        place.RemovePiece(enPassantSquare);
    if (move.Castling) {
        const bool isShort = move.To > move.From;
        place.MovePiece(isShort ? move.From + 3 : move.From - 4,
                        isShort ? move.From + 1 : move.From - 1);
    }
}

// The square of a pawn that has just advanced two rows; -1 after any other move.
inline int EnPassantAfter(const TMove &move) {
    return move.Mover == Pawn && (move.To - move.From == 16 || move.From - move.To == 16) ? move.To
                                                                                          : -1;
}

// The square a pawn that has just advanced two rows passed over: where a pawn taking it en
// passant lands, and what FEN names.
inline constexpr int PassedOverSquare(int enPassantSquare) {
    return enPassantSquare + (enPassantSquare / 8 == 3 ? -8 : 8);
}

// A right is lost for good once the king or that rook has left its home square, or the rook
// has been taken there; both colours are looked at after every move.
std::uint8_t CastlingRightsAfter(const TOccupancy &pieces, std::uint8_t rights);

// Plays a legal move on the bitboards alone, promoting to `promotion`.
void PlayOn(TBitPosition &position, const TMove &move, TKind promotion);

// Calls visit(TMove) for every legal move the finder knows, in index order.
template <typename Visit> bool ForEachLegalMove(const TMoveFinder &finder, Visit &&visit) {
    for (TBitboard movers = finder.Movers(); movers; movers &= movers - 1) {
        const int from = FirstSquare(movers);
        for (TBitboard targets = finder.Targets(from); targets; targets &= targets - 1) {
            const TMove move = finder.Describe(from, FirstSquare(targets));
            if constexpr (std::is_void_v<decltype(visit(move))>) {
                visit(move);
            } else if (!visit(move)) {
                return false;
            }
        }
    }
    return true;
}

// Calls visit(TMove) for every legal move of the side to move; a promotion comes once, with
// PromotionKind Pawn. visit may play the move but must put the game back before it returns;
// it may answer false to stop the visit. The answer is false when the visit was stopped.
template <typename Visit> bool VisitLegalMoves(TGame &game, Visit &&visit) {
    const TMoveFinder finder(TBitPosition::Of(game));
    return ForEachLegalMove(finder, std::forward<Visit>(visit));
}
