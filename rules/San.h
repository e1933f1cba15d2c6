// Standard algebraic notation (English piece letters) for moves of a TGame: writing a move
// that is about to be played, and finding the move that a SAN text names.
#pragma once

#include "Record.h"

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

class TGame;
struct TBitPosition;
struct TMove;

// The SAN of a legal move of the side to move, without its check or mate mark: "Nbd7",
// "exd6", "O-O-O", "e8=Q"; empty for a move that is not legal. The position is left as it was.
QString SanOfMove(TGame &game, int from, int to, TKind promotedKind);

// "+" when the side to move is in check, "#" when it is mated, "" otherwise.
QString SanCheckMark(TGameStatus status);

// Finds the one legal move of the side to move that a SAN text names. Tolerates "0-0" with
// zeros, trailing "+ # ! ?" marks, "e8Q" without "=", a ":" or "-" between the squares and a
// fully written origin ("e2e4"). On failure *error holds "illegal move", "ambiguous move" and
// the like.
std::optional<TRecordEntry> ResolveSan(TGame &game, const QString &san, QString *error);
// The same on the bitboards of a position alone, for checking many games without a board;
// *judged (when given) receives the move's value, to be played on the position.
std::optional<TRecordEntry> ResolveSanOn(const TBitPosition &position, QStringView san,
                                         QString *error, TMove *judged = nullptr);
