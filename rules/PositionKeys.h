// Position keys: one random 64-bit word for each piece on each square, for Black to move, for
// the castling rights and for the file of an en-passant capture. A position's key is the XOR of
// the words of what it holds, so a move changes it by a few XORs, and two positions with the
// same key are taken to be the same position. The table is worked out by the compiler.
#pragma once

#include <array>
#include <cstdint>

class TBoard;
class TGame;

using TPositionKey = std::uint64_t;

struct TKeyTable {
    std::array<std::array<std::array<TPositionKey, 64>, 6>, 2> Pieces{}; // colour, kind, square
    TPositionKey BlackToMove = 0;
    std::array<TPositionKey, 16> Castling{}; // by the four rights as bits, one word per set
    std::array<TPositionKey, 8> EnPassantFile{};
};

namespace KeyTableDetail {

// SplitMix64: a fixed seed gives the same table on every machine and every run.
constexpr TPositionKey Next(TPositionKey &state) {
    TPositionKey z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

constexpr TKeyTable Make() {
    TKeyTable table;
    TPositionKey state = 0x4b6f7276616c656eULL;
    for (auto &kinds : table.Pieces)
        for (auto &squares : kinds)
            for (TPositionKey &word : squares)
                word = Next(state);
    table.BlackToMove = Next(state);
    std::array<TPositionKey, 4> rights{};
    for (TPositionKey &word : rights)
        word = Next(state);
    for (std::size_t set = 0; set < table.Castling.size(); ++set)
        for (std::size_t right = 0; right < rights.size(); ++right)
            if (set & (std::size_t(1) << right))
                table.Castling[set] ^= rights[right];
    for (TPositionKey &word : table.EnPassantFile)
        word = Next(state);
    return table;
}

} // namespace KeyTableDetail

inline constexpr TKeyTable KeyTable = KeyTableDetail::Make();

inline constexpr TPositionKey PieceKey(int color, int kind, int square) {
    return KeyTable.Pieces[color][kind][square];
}

// The pieces' part of the key worked out afresh from the squares; the board keeps the same
// value up to date move by move (TBoard::PiecesKey).
TPositionKey PiecesKeyOf(const TBoard &board);

// Can the side to move take the pawn that has just advanced two rows, by a legal move? Only
// then does the en-passant square make the position differ from the same placement without it.
bool CanTakeEnPassant(const TGame &game);

// The key of the game's position: pieces, side to move, castling rights and an en-passant
// square that can really be taken.
TPositionKey PositionKeyOf(const TGame &game);
