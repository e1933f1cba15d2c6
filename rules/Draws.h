// Draws by the standard rules of chess, told beside the game and never enforced: moves are
// still refused only at mate and stalemate. A player may claim a threefold repetition or fifty
// moves without a capture or a pawn move; a fivefold repetition, seventy-five such moves and a
// position in which neither side can ever mate end the game as a draw.
#pragma once

#include "Bitboards.h"

#include <QString>
#include <cstdint>

class TGame;

// Several kinds can hold at once; the one given is the first of this order: the automatic
// draws before the claimable ones.
enum class TDrawKind : std::uint8_t {
    None,
    DeadPosition,
    FivefoldRepetition,
    SeventyFiveMoves,
    ThreefoldRepetition,
    FiftyMoves,
};

// The draw the game's present position makes or allows. None at mate and stalemate: a mate
// ends the game even on the move that reaches a fivefold repetition or the seventy-fifth move,
// and stalemate is told as it always was.
TDrawKind DrawOf(const TGame &game);

// Does the draw end the game, with no claim needed?
bool IsAutomaticDraw(TDrawKind kind);

// How often the present position has stood on the board, this time included: the same
// pieces, side to move, castling rights and en-passant capture, since the last capture or
// pawn move.
int RepetitionsOf(const TGame &game);

// Bare kings; a king and one bishop or knight against a bare king; kings and bishops only,
// every bishop on squares of one colour.
bool IsDeadByMaterial(const TOccupancy &pieces);

// What the window says of the draw, short enough for the line over the board; empty for None.
QString DrawNotice(TDrawKind kind);
