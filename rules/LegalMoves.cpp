// The move finder: checkers and pins worked out once per position, then each piece's legal
// destinations as a few table lookups.
#include "LegalMoves.h"

namespace {

constexpr TBitboard LastRows = 0xff000000000000ffULL;

int RowOf(int index) {
    return index / 8;
}

} // namespace

TBitPosition TBitPosition::Of(const TGame &game) {
    TBitPosition position;
    position.Pieces = game.Board->Occupancy();
    position.SideToMove = game.SideToMove;
    position.Castling = CastlingRightsOf(game);
    position.EnPassantSquare = game.EnPassantSquare;
    return position;
}

TMoveFinder::TMoveFinder(const TBitPosition &position)
    : Position(position), Side(position.SideToMove), Own(position.Pieces.Colors[Side]),
      Enemy(position.Pieces.Colors[Opponent(Side)]), Occupied(Own | Enemy) {
    const TOccupancy &pieces = Position.Pieces;
    const TBitboard kings = pieces.Of(Side, King);
    // A king is never taken, so no move goes onto the enemy king's square.
    EnemyKing = pieces.Of(Opponent(Side), King);
    Evasions = ~EnemyKing;
    if (!kings)
        return; // nothing to keep safe: every move that the pieces can make is legal
    KingSquare = Side == White ? std::countr_zero(kings) : 63 - std::countl_zero(kings);
    Checkers = AttackersOf(pieces, KingSquare, Opponent(Side), Occupied);
    if (Checkers) {
        // Two checkers leave only king moves; one can be taken or blocked.
        Evasions &= Checkers & (Checkers - 1)
                        ? 0
                        : Checkers | AttackTables.Between[KingSquare][FirstSquare(Checkers)];
    }
    // A piece is pinned when it alone stands between its king and an enemy slider.
    const TBitboard snipers =
        ((AttackTables.RookLines[KingSquare] & (pieces.Kinds[Rook] | pieces.Kinds[Queen])) |
         (AttackTables.BishopLines[KingSquare] & (pieces.Kinds[Bishop] | pieces.Kinds[Queen]))) &
        Enemy;
    for (TBitboard rest = snipers; rest; rest &= rest - 1) {
        const TBitboard between = AttackTables.Between[KingSquare][FirstSquare(rest)] & Occupied;
        if (between && !(between & (between - 1)) && (between & Own))
            Pinned |= between;
    }
}

bool TMoveFinder::SafeForKing(int square) const {
    // The king does not shield the squares behind it from a line it stands on.
    return !AttackersOf(Position.Pieces, square, Opponent(Side), Occupied ^ SquareBit(KingSquare));
}

TBitboard TMoveFinder::KingTargets(int from) const {
    TBitboard targets = 0;
    for (TBitboard steps = AttackTables.King[from] & ~Own & ~EnemyKing; steps; steps &= steps - 1) {
        const int to = FirstSquare(steps);
        if (SafeForKing(to))
            targets |= SquareBit(to);
    }
    // Castling: the king on its home square with the right, nothing between it and the
    // corner, which must hold a piece; not out of check, not through or into an attack.
    const int home = Side == White ? 4 : 60;
    if (from != home || Checkers)
        return targets;
    const std::uint8_t shortRight = Side == White ? WhiteShortRight : BlackShortRight;
    const std::uint8_t longRight = Side == White ? WhiteLongRight : BlackLongRight;
    const auto allowed = [&](std::uint8_t right, int corner, int passed, int to) {
        return (Position.Castling & right) && (Occupied & SquareBit(corner)) &&
               !(AttackTables.Between[from][corner] & Occupied) && SafeForKing(passed) &&
               SafeForKing(to);
    };
    if (allowed(shortRight, from + 3, from + 1, from + 2))
        targets |= SquareBit(from + 2);
    if (allowed(longRight, from - 4, from - 1, from - 2))
        targets |= SquareBit(from - 2);
    return targets;
}

bool TMoveFinder::EnPassantAllowed(int from) const {
    const int victim = Position.EnPassantSquare;
    if (victim < 0 || !(Position.Pieces.Kinds[Pawn] & SquareBit(victim)) ||
        RowOf(victim) != RowOf(from) || (victim - from != 1 && from - victim != 1))
        return false;
    const int to = victim + (Side == White ? 8 : -8);
    if (to < 0 || to > 63 || (Occupied & SquareBit(to)))
        return false;
    if (KingSquare < 0)
        return true;
    // Both pawns leave the row at once, so a pin along it is seen.
    const TBitboard occupied = (Occupied ^ SquareBit(from) ^ SquareBit(victim)) | SquareBit(to);
    return !(AttackersOf(Position.Pieces, KingSquare, Opponent(Side), occupied) &
             ~SquareBit(victim));
}

TBitboard TMoveFinder::PawnTargets(int from) const {
    const int forward = Side == White ? 8 : -8;
    const int ahead = from + forward;
    TBitboard targets = 0;
    if (ahead >= 0 && ahead < 64 && !(Occupied & SquareBit(ahead))) {
        targets |= SquareBit(ahead);
        const int startRow = Side == White ? 1 : 6;
        if (RowOf(from) == startRow && !(Occupied & SquareBit(ahead + forward)))
            targets |= SquareBit(ahead + forward);
    }
    targets |= AttackTables.Pawn[Side][from] & Enemy;
    return targets;
}

TBitboard TMoveFinder::TargetsOf(int from, int kind) const {
    if (kind == King && from == KingSquare)
        return KingTargets(from);
    TBitboard targets = 0;
    switch (kind) {
    case Pawn:
        targets = PawnTargets(from);
        break;
    case Knight:
        targets = AttackTables.Knight[from];
        break;
    case Bishop:
        targets = BishopAttacks(from, Occupied);
        break;
    case Rook:
        targets = RookAttacks(from, Occupied);
        break;
    case Queen:
        targets = RookAttacks(from, Occupied) | BishopAttacks(from, Occupied);
        break;
    default: // a second king of one colour, which no game reaches: judged like its steps
        targets = AttackTables.King[from];
        break;
    }
    targets &= ~Own & Evasions;
    if (Pinned & SquareBit(from))
        targets &= AttackTables.Line[KingSquare][from];
    if (kind == Pawn && EnPassantAllowed(from))
        targets |= SquareBit(Position.EnPassantSquare + (Side == White ? 8 : -8));
    return targets;
}

TBitboard TMoveFinder::Targets(int from) const {
    if (!(Own & SquareBit(from)))
        return 0;
    return TargetsOf(from, Position.Pieces.KindAt(from));
}

TMove TMoveFinder::Describe(int from, int to) const {
    TMove move;
    move.From = from;
    move.To = to;
    move.Mover = TKind(Position.Pieces.KindAt(from));
    move.Capture = (Occupied & SquareBit(to)) != 0;
    if (move.Mover == Pawn) {
        move.EnPassant = !move.Capture && (from - to) % 8 != 0;
        move.Capture = move.Capture || move.EnPassant;
        move.Promotion = (LastRows & SquareBit(to)) != 0;
    } else if (move.Mover == King) {
        move.Castling = to - from == 2 || from - to == 2;
    }
    return move;
}

bool TMoveFinder::HasMove() const {
    const TBitboard king = KingSquare < 0 ? 0 : SquareBit(KingSquare);
    // With two checkers only the king can move.
    for (TBitboard movers = Evasions ? Own & ~king : 0; movers; movers &= movers - 1) {
        if (Targets(FirstSquare(movers)))
            return true;
    }
    return king && KingTargets(KingSquare);
}

std::uint64_t TMoveFinder::CountMoves() const {
    std::uint64_t count = KingSquare < 0 ? 0 : CountSquares(KingTargets(KingSquare));
    if (!Evasions)
        return count; // two checkers: only the king moves
    const TOccupancy &pieces = Position.Pieces;
    const TBitboard allowed = ~Own & Evasions;
    // A pinned piece keeps to the line through its king.
    const auto reach = [&](int from, TBitboard targets) {
        if (Pinned & SquareBit(from))
            targets &= AttackTables.Line[KingSquare][from];
        return CountSquares(targets & allowed);
    };
    for (TBitboard set = pieces.Kinds[Knight] & Own & ~Pinned; set; set &= set - 1)
        count += CountSquares(AttackTables.Knight[FirstSquare(set)] & allowed);
    for (TBitboard set = (pieces.Kinds[Bishop] | pieces.Kinds[Queen]) & Own; set; set &= set - 1)
        count += reach(FirstSquare(set), BishopAttacks(FirstSquare(set), Occupied));
    for (TBitboard set = (pieces.Kinds[Rook] | pieces.Kinds[Queen]) & Own; set; set &= set - 1)
        count += reach(FirstSquare(set), RookAttacks(FirstSquare(set), Occupied));
    for (TBitboard set = pieces.Kinds[King] & Own & ~SquareBit(KingSquare); set; set &= set - 1)
        count += CountSquares(TargetsOf(FirstSquare(set), King)); // a second king, never in play

    // Pawns that are not pinned, all at once; a pinned pawn and en passant one by one.
    const TBitboard pawns = pieces.Kinds[Pawn] & Own;
    const TBitboard free = pawns & ~Pinned;
    const TBitboard empty = ~Occupied;
    constexpr TBitboard NotColumnA = 0xfefefefefefefefeULL;
    constexpr TBitboard NotColumnH = 0x7f7f7f7f7f7f7f7fULL;
    // Each promotion square counts once per piece to become.
    const auto counted = [](TBitboard targets) {
        return CountSquares(targets) + 3 * CountSquares(targets & LastRows);
    };
    // Two pawns may take on one square, so the captures are counted by direction.
    if (Side == White) {
        const TBitboard single = (free << 8) & empty;
        const TBitboard pushes = single | (((single & 0x0000000000ff0000ULL) << 8) & empty);
        count += counted(pushes & Evasions) +
                 counted(((free & NotColumnA) << 7) & Enemy & Evasions) +
                 counted(((free & NotColumnH) << 9) & Enemy & Evasions);
    } else {
        const TBitboard single = (free >> 8) & empty;
        const TBitboard pushes = single | (((single & 0x0000ff0000000000ULL) >> 8) & empty);
        count += counted(pushes & Evasions) +
                 counted(((free & NotColumnH) >> 7) & Enemy & Evasions) +
                 counted(((free & NotColumnA) >> 9) & Enemy & Evasions);
    }
    for (TBitboard set = pawns & Pinned; set; set &= set - 1)
        count += counted(TargetsOf(FirstSquare(set), Pawn));
    if (Position.EnPassantSquare >= 0) {
        for (TBitboard set = free; set; set &= set - 1) {
            if (EnPassantAllowed(FirstSquare(set)))
                ++count;
        }
    }
    return count;
}

std::uint8_t CastlingRightsAfter(const TOccupancy &pieces, std::uint8_t rights) {
    for (const TColor color : {White, Black}) {
        const int home = color == White ? 0 : 56;
        const std::uint8_t shortRight = color == White ? WhiteShortRight : BlackShortRight;
        const std::uint8_t longRight = color == White ? WhiteLongRight : BlackLongRight;
        const TBitboard rooks = pieces.Of(color, Rook);
        if (!(pieces.All() & SquareBit(home + 4)))
            rights &= ~(shortRight | longRight);
        if (!(rooks & SquareBit(home)))
            rights &= ~longRight;
        if (!(rooks & SquareBit(home + 7)))
            rights &= ~shortRight;
    }
    return rights;
}

void PlayOn(TBitPosition &position, const TMove &move, TKind promotion) {
    MovePieces(position.Pieces, move, position.EnPassantSquare);
    position.EnPassantSquare = EnPassantAfter(move);
    if (move.Promotion)
        position.Pieces.Promote(move.To, promotion);
    position.Castling = CastlingRightsAfter(position.Pieces, position.Castling);
    position.SideToMove = Opponent(position.SideToMove);
}
