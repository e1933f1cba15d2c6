// The game model: pieces, squares, the board and one game, with the rules that change them.
// Plain classes with public fields; the window, the network code and the companion tool read
// the fields directly. Everything here links Qt Core only.
#pragma once

#include "Bitboards.h"
#include "PositionKeys.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Colours and piece kinds keep their byte values (the pictures, FEN's letters and the promotion
// question count on them); the enum types only stop a colour from being passed where a kind is
// wanted, or the other way round.
enum TColor : std::uint8_t { White = 0, Black = 1 };
enum TKind : std::uint8_t { King = 0, Queen = 1, Rook = 2, Knight = 3, Bishop = 4, Pawn = 5 };

// The promotion letter that names no piece: the player is asked.
inline constexpr QChar NoPromotion = u'-';

// The pieces a pawn may become, in the order their letters are tried and counted.
inline constexpr std::array<TKind, 4> PromotionKinds = {Queen, Rook, Knight, Bishop};

// The kind a promotion letter names: "Q" queen, "R" rook, "K" knight, "B" bishop; Pawn for any
// other character, which names no piece.
TKind KindOfPromotionLetter(QChar letter);
// The letter of a promotion kind; NoPromotion for a king or a pawn.
QChar PromotionLetter(TKind kind);

inline constexpr TColor Opponent(TColor color) {
    return color == White ? Black : White;
}

// A king move of two indices is a castling: TryMove plays no other king move of that length.
inline constexpr bool IsCastling(TKind mover, int from, int to) {
    return mover == King && (from - to == 2 || to - from == 2);
}

// A pawn arriving on the first or last row promotes.
inline constexpr bool IsPromotion(TKind mover, int to) {
    return mover == Pawn && (to < 8 || to >= 56);
}

// What the position means for the side to move.
enum class TGameStatus : std::uint8_t { None, Check, Mate, Stalemate };

// ---- One move and square names ----

// A move as the rules judge it: JudgeMove fills it, TryMove plays it, the legal-move visit hands
// it out, and the notation and SAN read its flags.
struct TMove {
    int From = 0;
    int To = 0;
    TKind Mover = Pawn;         // the kind on the origin before the move
    TKind PromotionKind = Pawn; // what the pawn became; Pawn until the move is played
    bool Capture = false;       // takes a piece, en passant included
    bool EnPassant = false;
    bool Castling = false;
    bool Promotion = false; // a pawn reaching its last row

    bool operator==(const TMove &) const = default;
};

// "a1" for 0 up to "h8" for 63.
QString SquareName(int index);
void AppendSquareName(QString &text, int index);
// The index a square name stands for ("e4" -> 28); -1 for anything else.
int SquareIndex(QStringView name);

class TPieces {
public:
    TPieces(TColor color, TKind kind) : Color(color), Kind(kind) {}

    TColor Color;
    TKind Kind;
};

class TFields {
public:
    TFields(int column, int row, std::uint8_t dark) : Column(column), Row(row), Dark(dark) {}

    int Column;
    int Row;
    std::uint8_t Dark;
    TPieces *Piece = nullptr; // owned by the board, null on an empty square
};

class TBoard {
public:
    TBoard();
    TBoard(const TBoard &) = delete;
    TBoard &operator=(const TBoard &) = delete;
    ~TBoard();

    // Element i is the square whose Row * 8 + Column is i.
    std::array<std::unique_ptr<TFields>, 64> Squares;

    // The initial position; every piece is created afresh.
    void SetUpPieces();
    // Index of the square at (column, row); 0 for coordinates off the board.
    int IndexOf(int column, int row) const;
    // Occupied squares on the straight or diagonal segment between two squares, both ends
    // included; 0 when the two squares share no line.
    int CountOnLine(int column1, int row1, int column2, int row2) const;
    // Looks outward from the square (lines, knight jumps, king steps, pawn diagonals), so the
    // cost does not grow with the number of pieces; the answer is the one a scan of every
    // piece of the attacker would give. A square off the board is attacked by nothing.
    bool IsSquareAttacked(int column, int row, TColor attacker) const;
    // Is the king of this colour attacked by the other colour? False when it has no king.
    bool IsKingAttacked(TColor color) const;

    // Positions other than the initial one (tests, FEN set-up in the companion).
    void Clear();
    TPieces *PutPiece(int index, TColor color, TKind kind);
    // Takes over the other board's pieces, square by square; the other board is left empty.
    // The squares themselves stay, so pointers to them remain good.
    void TakePiecesOf(TBoard &other);

    // ---- Occupancy bitboards and the position key beside the squares ----
    // The squares stay the model everyone reads; beside them the board keeps which squares
    // each colour and kind occupies, for the move search, and the pieces' part of the
    // position key, for repetitions. Every change of a square goes through the operations
    // here (and PutPiece, Clear, SetUpPieces, TakePiecesOf), which keep all three in step.
    // Code that writes a square's Piece or a piece's Kind by hand calls RefreshBitboards
    // afterwards.
    const TOccupancy &Occupancy() const { return Bits; }
    TPositionKey PiecesKey() const { return Key; }
    // The piece on `from` goes to `to`; whatever stood there leaves the board.
    void MovePiece(int from, int to);
    void RemovePiece(int index);
    // The piece on the square takes the kind in place (a promotion); an empty square stays so.
    void Promote(int index, TKind kind);
    void RefreshBitboards();
    // Do the bitboards describe exactly the pieces on the squares?
    bool BitboardsAgree() const;
    // The square of the king of this colour (the lowest for White, the highest for Black, as
    // a search from its own side finds it); -1 when it has none.
    int KingSquare(TColor color) const;

private:
    // The one place that writes a square's piece.
    void SetPiece(int index, TPieces *piece);

    // Every piece made for this board; squares only point into it. Captured pieces are
    // released at the next set-up or with the board. A deque keeps every piece where it was
    // made as more are added, and a set-up reuses its storage.
    std::deque<TPieces> OwnedPieces;
    TOccupancy Bits;
    TPositionKey Key = 0;
};

// The game's state beside its board, each field at its value when a game starts. It is the
// one list of those fields: Reset, Adopt and the position snapshot each take it whole, so a
// field added here is reset, adopted and restored alike.
struct TGameState {
    TColor SideToMove = White;
    std::uint8_t WhiteCastleShort = 1;
    std::uint8_t WhiteCastleLong = 1;
    std::uint8_t BlackCastleShort = 1;
    std::uint8_t BlackCastleLong = 1;
    QStringList MoveRecord; // one entry per played move, joined with '|'
    QStringList Notation;   // one line per full move, as the notation box shows it
    // The square of the pawn that has just advanced two rows (not the square it passed over,
    // which FEN names); -1 when the last move was no double step.
    int EnPassantSquare = -1;
    // Half-moves since the last capture or pawn move: the fifty- and seventy-five-move rules.
    int HalfMoveClock = 0;
    // The key of every position before the present one, oldest first (PositionKeyOf): a
    // repetition is the present key found among them.
    QList<TPositionKey> EarlierKeys;

    bool operator==(const TGameState &) const = default;
};

// The state fields are the base's, so they read as the game's own: game.SideToMove.
class TGame : public TGameState {
public:
    TGame();
    TGame(const TGame &) = delete;
    TGame &operator=(const TGame &) = delete;
    ~TGame();

    std::unique_ptr<TBoard> Board;

    // How the game reaches the window: the game-message line and the promotion question.
    // Installed by the main window; without them the message is only kept in GameMessage and
    // the promotion answers Queen (what a closed dialog answers).
    std::function<void(const QString &)> GameMessageHook;
    // The hook answers a kind's byte; AskPromotion keeps only the four promotion kinds.
    std::function<std::uint8_t(TColor color)> PromotionHook;
    QString GameMessage; // the last game message written, hook or not

    void Reset();
    // Tests (apply = false) or plays (apply = true) a move of the side to move. A refused move
    // is silent and changes nothing.
    bool TryMove(int from, int to, QChar promotion, bool apply);
    // The legal move of the side to move from one square to another, or nothing; the game is
    // not changed. The one judge of moves: TryMove and the legal-move visit ask it.
    std::optional<TMove> JudgeMove(int from, int to) const;
    // Meaningful for the side to move only: every caller passes SideToMove.
    bool HasNoLegalMove(TColor color);
    // Check, mate or stalemate of the side to move: the one place that works it out.
    TGameStatus Status();
    // Notation, game message and record entry of the move TryMove has just played.
    void RecordMove(const TMove &move);
    void ShowGameMessage(const QString &text);
    TKind AskPromotion(TColor color);

    // Rebuilds the game from record entries; on a bad entry the game is reset and the answer
    // is false.
    bool ReplayMoves(const QStringList &entries);
    void UndoLastMove();
    // Becomes the other game (a replay made on a scratch game): position, flags and both
    // lists; this game keeps its own hooks and its squares. The other game's message, after
    // its last move, is shown once through this game's hook; a game without moves shows none.
    void Adopt(TGame &&other);
};

// Switches a game's hooks off for the life of the guard and puts them back however the scope
// ends: a search or a check that plays moves keeps them away from the window.
class THooksOff {
public:
    explicit THooksOff(TGame &game);
    ~THooksOff();
    THooksOff(const THooksOff &) = delete;
    THooksOff &operator=(const THooksOff &) = delete;

private:
    TGame &Game;
    std::function<void(const QString &)> MessageHook;
    std::function<std::uint8_t(TColor)> PromotionHook;
};
