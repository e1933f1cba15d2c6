// Portable Game Notation: the export form of a move record, and a tolerant reader of
// real-world PGN files that turns a game back into record entries.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

class TGame;
struct TBadEntry;

// The Seven Tag Roster with the values the PGN standard prescribes when nothing is known.
// A game at the board belongs to no tournament, so its round is "-" (not applicable).
struct TPgnTags {
    QString Event = QStringLiteral("?");
    QString Site = QStringLiteral("?");
    QString Date = QStringLiteral("????.??.??");
    QString Round = QStringLiteral("-");
    QString White = QStringLiteral("?");
    QString Black = QStringLiteral("?");
};

// "1-0" or "0-1" after mate, "1/2-1/2" after stalemate and after a draw that ends the game
// without a claim (DrawOf), "*" while the game goes on.
QString ResultOf(TGame &game);

// The game in PGN export format: roster, blank line, SAN movetext in lines of at most 79
// characters ending with the result, blank line. A record that does not replay gives nothing
// and names the bad entry in *bad.
std::optional<QString> PgnOfRecord(const QStringList &entries, const TPgnTags &tags,
                                   TBadEntry *bad = nullptr);

struct TPgnGame {
    QList<std::pair<QString, QString>> Tags; // in file order
    QStringList Moves;                       // SAN texts of the main line, marks included
    QString Result;                          // the termination marker, empty when missing

    QString Tag(const QString &name) const;
};

// Splits PGN text into games. Skips comments ("{...}", ";" to the end of the line), escape
// lines ("%"), variations (nested), NAGs, move numbers and annotation marks.
QList<TPgnGame> ReadPgnGames(const QString &text);

// PGN files in the wild are UTF-8 or, when older, Latin-1.
QString DecodePgn(const QByteArray &bytes);

// "12." for White's move of the twelfth move, "12..." for Black's; ply counts from 0.
QString MoveNumberText(qsizetype ply);

// Why a PGN game does not become a record, for messages in either language.
struct TPgnFailure {
    enum class TCause { SetUpPosition, Variant, BadMove, NoGame };
    TCause Cause = TCause::BadMove;
    // In English: "move 12... Nf6: illegal move", or why the start is refused.
    QString Reason;
    qsizetype Ply = -1;     // the bad move, counted from 0
    QString Move;           // that move as the file writes it
    bool Ambiguous = false; // the move fits more than one piece
    QString Variant;        // the variant the game belongs to, as its tag names it
};

// Plays a game's moves from the initial position, once, and answers its record entries. Games
// that start from a set-up position or belong to another variant are refused. On failure
// *failure (or *error, its English reason) says why, naming the move.
std::optional<QStringList> RecordOfPgnGame(const TPgnGame &game, TPgnFailure *failure);
std::optional<QStringList> RecordOfPgnGame(const TPgnGame &game, QString *error = nullptr);
// Whether RecordOfPgnGame would take the game, and why not, found on bitboards alone without
// writing a record or notation: the check of a whole collection.
std::optional<TPgnFailure> CheckPgnGame(const TPgnGame &game);
// The same for a game given as its tags of the start (FEN, SetUp, Variant) and the ASCII texts
// of its moves, as the index finds them in a file's bytes.
std::optional<TPgnFailure> CheckPgnMoves(const TPgnGame &start,
                                         const std::vector<QByteArrayView> &moves);
