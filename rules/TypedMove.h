// A move as a player types it at the board: coordinates ("e2e4", "e7e8q", "e7e8Ф") or short
// notation with Latin or Russian piece letters ("Nf3", "Кf3", "e4", "exd5", "O-O", "0-0-0",
// with or without "+" or "#"), found among the legal moves of the side to move.
#pragma once

#include "Record.h"

#include <QString>
#include <cstdint>
#include <optional>

class TGame;

enum class TTypedMoveProblem : std::uint8_t {
    None,
    NotAMove,  // the text names no move at all
    Illegal,   // a move, but not a legal one here
    Ambiguous, // more than one piece can make it
};

struct TTypedMove {
    // The legal move named. On a promotion the record's letter ("Q", "R", "K", "B"), or
    // NoPromotion when the text names no piece: the player is then asked, as after two presses.
    std::optional<TRecordEntry> Move;
    TTypedMoveProblem Problem = TTypedMoveProblem::NotAMove;
};

// The typed text in the notation ResolveSan reads: Russian piece letters become Latin ones
// ("Кр" the king, "К" the knight), square letters lose their case and Cyrillic look-alikes,
// zeros of a castling become O. The Latin "K" stays the king.
QString LatinMoveText(const QString &typed);

// The one legal move of the side to move that the text names. The position is left as it was.
TTypedMove ResolveTypedMove(TGame &game, const QString &typed);
