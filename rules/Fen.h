// Positions in Forsyth-Edwards Notation, for tests, the benchmark and the companion tool.
#pragma once

#include <QString>
#include <QStringList>

class TGame;

// Sets the game up from a FEN string: pieces, side to move, castling rights and the en-passant
// square (the FEN target square becomes EnPassantSquare, the square of the pawn that has just
// advanced two rows) and the half-move clock. Both lists and the earlier positions are emptied;
// the game message and the hooks are left alone. The move number is checked but not kept.
// On a bad string the game is left untouched, the answer is false and *error (when given)
// holds a short English reason.
bool SetUpFromFen(TGame &game, const QString &fen, QString *error = nullptr);

// The position as FEN. The half-move clock is the game's own; the move number is counted from
// the move record.
QString FenOf(const TGame &game);

// The standard FEN of a game after the first `plies` entries of its record, played from the
// initial position: the half-move clock counts the half-moves since the last capture or pawn
// move, the move number starts at 1 and grows after each Black move, and the en-passant
// target is written only when the side to move can really take en passant, as current tools
// write it. A promotion without a letter is a queen. Empty when `plies` is negative or beyond
// the record, or when one of the entries played is not a legal move.
QString StandardFenAfter(const QStringList &record, int plies);

// The initial position.
inline constexpr const char *StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
