// What the window makes of a file chosen for loading or saving: which form it is in (a saved
// game or PGN), the record of a PGN game, and the user's words for what is wrong
// with a file. No widgets here: the window shows the texts in its boxes.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct TBadEntry;
struct TPgnFailure;
class TPgnSource;

// The open and save dialogs' choices: saved games of the program, all files, PGN.
QStringList SavedGameFilters();
// Position of the PGN choice in SavedGameFilters().
inline constexpr int PgnFilterIndex = 2;

// A name that ends in ".pgn", in any case.
bool HasPgnName(const QString &path);
// Lines of a file (as the saved-game reader gives them) that hold PGN rather than a record:
// their first text is a tag pair or the first move number.
bool LooksLikePgn(const QStringList &lines);

// A game handed to the window to be loaded: the lines of a file or of pasted text.
struct TGameText {
    QString Source; // how the boxes name it: "Файл\n<name>", "Текст в буфере обмена"
    QStringList Lines; // record entries, one a line, or the lines of a PGN text
    bool Pgn = false;
    qsizetype Number = 0; // a game picked from a collection: its number there; 0 otherwise
    QString Problem; // why it is no game before any look at its lines; empty when none
};

// The lines of a file as the saved-game reader gives them (one Latin-1 character a byte): a
// PGN file's are decoded as PGN files in the wild are written.
TGameText FileGame(const QString &shownName, const QStringList &lines, bool pgnByName);
// The bytes of a file that holds PGN by its name or its first line, mapped for indexing;
// nothing for another file or one that cannot be opened (the saved-game reader says why).
std::shared_ptr<const TPgnSource> PgnFileSource(const QString &path);
// Game `number` of a collection, picked from its list: its PGN text, to be loaded as a file's.
TGameText CollectionGame(const QString &source, const QByteArray &text, qsizetype number);
// Text from the clipboard: a PGN game, or a record joined with "|" or one entry a line.
TGameText PastedGame(const QString &text);

// The record of the first game of a PGN text, game `number` of its file. On failure *problem
// says, in Russian, which move of which game could not be played, or why the game cannot be one
// of this program's.
std::optional<QStringList> RecordOfPgnText(const QString &text, QString *problem,
                                           qsizetype number = 1);

// Why a game of a collection cannot be played, for its row in the list of games: "ход 2. Ke3
// недопустим", "начинается не с начальной позиции".
QString PgnFailureNote(const TPgnFailure &failure);

// Why the lines of a saved game are not one, naming the bad line ("строка 3 («...») не
// является допустимым ходом"); at most about 40 printable characters of the line are quoted.
QString BadLineProblem(const QStringList &lines, const TBadEntry &bad);

// The game as a PGN text: the Seven Tag Roster with unknown players, the result after mate or
// stalemate and "*" otherwise.
QString PgnTextOfRecord(const QStringList &record);
