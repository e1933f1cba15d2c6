// Move-path counting: the number of move sequences of a given length that TryMove accepts.
// A pawn move to the last row counts once per promotion piece, castling once.
#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

class TGame;

// Leaves the game as it found it (position, flags, lists, game message); the game's hooks are
// not called. Depth 0 (or less) counts 1.
quint64 Perft(TGame &game, int depth);

struct TPerftBranch {
    QString Entry; // the first move as a record entry: "12>28", "52>60,Q"
    quint64 Count = 0;
};

// The same count split by the first move, in the order the moves are tried (origin, then
// destination index, then Q, R, K, B). Depth 1 or more.
std::vector<TPerftBranch> PerftDivide(TGame &game, int depth);
