// Sets of squares as 64-bit words (bit i is square i) and the attack tables the move search
// reads: knight jumps, king steps, pawn diagonals and the eight rays of the sliding pieces.
// The tables are worked out by the compiler, so nothing runs at start-up.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

using TBitboard = std::uint64_t;

inline constexpr TBitboard SquareBit(int index) {
    return TBitboard(1) << index;
}

// The lowest square of a non-empty set.
inline int FirstSquare(TBitboard set) {
    return std::countr_zero(set);
}

// The number of squares in a set. Without the processor's own instruction (a build for the
// plain x86-64 baseline) std::popcount becomes a library call, slower than this.
inline int CountSquares(TBitboard set) {
#if defined(__POPCNT__) || !defined(__x86_64__)
    return std::popcount(set);
#else
    set -= (set >> 1) & 0x5555555555555555ULL;
    set = (set & 0x3333333333333333ULL) + ((set >> 2) & 0x3333333333333333ULL);
    set = (set + (set >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
    return int((set * 0x0101010101010101ULL) >> 56);
#endif
}

struct TAttackTables {
    // Rays in the order east, north-east, north, north-west (towards higher indices), then
    // west, south-west, south, south-east (towards lower indices).
    std::array<std::array<TBitboard, 64>, 8> Rays{};
    std::array<TBitboard, 64> Knight{};
    std::array<TBitboard, 64> King{};
    std::array<std::array<TBitboard, 64>, 2> Pawn{}; // the two forward diagonals, by colour
    // What a rook and a bishop reach on an empty board.
    std::array<TBitboard, 64> RookLines{};
    std::array<TBitboard, 64> BishopLines{};
    // Squares strictly between two squares on one line; empty when they share no line.
    std::array<std::array<TBitboard, 64>, 64> Between{};
    // The whole line through two squares, edge to edge; empty when they share no line.
    std::array<std::array<TBitboard, 64>, 64> Line{};
};

extern const TAttackTables AttackTables;

// Up to and including the first occupied square along one ray.
template <int Direction> inline TBitboard RayAttacks(int from, TBitboard occupied) {
    TBitboard ray = AttackTables.Rays[Direction][from];
    if (const TBitboard blockers = ray & occupied) {
        const int first =
            Direction < 4 ? std::countr_zero(blockers) : 63 - std::countl_zero(blockers);
        ray ^= AttackTables.Rays[Direction][first];
    }
    return ray;
}

inline TBitboard RookAttacks(int from, TBitboard occupied) {
    return RayAttacks<0>(from, occupied) | RayAttacks<2>(from, occupied) |
           RayAttacks<4>(from, occupied) | RayAttacks<6>(from, occupied);
}

inline TBitboard BishopAttacks(int from, TBitboard occupied) {
    return RayAttacks<1>(from, occupied) | RayAttacks<3>(from, occupied) |
           RayAttacks<5>(from, occupied) | RayAttacks<7>(from, occupied);
}

// Which squares each colour and each kind occupies; colours and kinds by their byte values.
struct TOccupancy {
    std::array<TBitboard, 2> Colors{};
    std::array<TBitboard, 6> Kinds{};

    TBitboard All() const { return Colors[0] | Colors[1]; }
    TBitboard Of(int color, int kind) const { return Colors[color] & Kinds[kind]; }
    // Puts a piece on an empty square, or takes that very piece off it.
    void Toggle(int index, int color, int kind) {
        Colors[color] ^= SquareBit(index);
        Kinds[kind] ^= SquareBit(index);
    }
    // The kind standing on an occupied square.
    int KindAt(int index) const {
        int kind = 0;
        while (!(Kinds[kind] & SquareBit(index)))
            ++kind;
        return kind;
    }
    int ColorAt(int index) const { return Colors[0] & SquareBit(index) ? 0 : 1; }
    // The same three operations as the board's, for a search that plays on bitboards alone.
    void MovePiece(int from, int to) {
        RemovePiece(to);
        const int color = ColorAt(from);
        const int kind = KindAt(from);
        Toggle(from, color, kind);
        Toggle(to, color, kind);
    }
    void RemovePiece(int index) {
        if (All() & SquareBit(index))
            Toggle(index, ColorAt(index), KindAt(index));
    }
    void Promote(int index, int kind) {
        if (!(All() & SquareBit(index)))
            return;
        Kinds[KindAt(index)] ^= SquareBit(index);
        Kinds[kind] ^= SquareBit(index);
    }

    bool operator==(const TOccupancy &) const = default;
};
