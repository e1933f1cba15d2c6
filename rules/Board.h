// The game model: pieces, squares, the board and one game, with the rules that change them.
// Plain classes with public fields; the window, the network code and the companion tool read
// the fields directly. Everything here links Qt Core only.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Colours.
inline constexpr std::uint8_t White = 0;
inline constexpr std::uint8_t Black = 1;

// Piece kinds.
inline constexpr std::uint8_t King = 0;
inline constexpr std::uint8_t Queen = 1;
inline constexpr std::uint8_t Rook = 2;
inline constexpr std::uint8_t Knight = 3;
inline constexpr std::uint8_t Bishop = 4;
inline constexpr std::uint8_t Pawn = 5;

// The joined form of a move record puts this between its entries.
inline constexpr QChar RecordSeparator = u'|';
// The promotion letter that names no piece: the player is asked.
inline constexpr QChar NoPromotion = u'-';

// The kind a promotion letter names: "Q" queen, "R" rook, "K" knight, "B" bishop; Pawn for any
// other character, which names no piece.
std::uint8_t KindOfPromotionLetter(QChar letter);

inline constexpr std::uint8_t Opponent(std::uint8_t color) {
    return color == White ? Black : White;
}

class TPieces {
public:
    TPieces(std::uint8_t color, std::uint8_t kind) : Color(color), Kind(kind) {}

    std::uint8_t Color;
    std::uint8_t Kind;
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
    bool IsSquareAttacked(int column, int row, std::uint8_t attacker) const;
    // Is the king of this colour attacked by the other colour? False when it has no king.
    bool IsKingAttacked(std::uint8_t color) const;

    // Positions other than the initial one (tests, FEN set-up in the companion).
    void Clear();
    TPieces *PutPiece(int index, std::uint8_t color, std::uint8_t kind);

private:
    // Every piece made for this board; squares only point into it. Captured pieces are
    // released at the next set-up or with the board.
    std::vector<std::unique_ptr<TPieces>> OwnedPieces;
};

class TGame {
public:
    TGame();
    TGame(const TGame &) = delete;
    TGame &operator=(const TGame &) = delete;
    ~TGame();

    std::unique_ptr<TBoard> Board;
    std::uint8_t SideToMove = White;
    std::uint8_t WhiteCastleShort = 1;
    std::uint8_t WhiteCastleLong = 1;
    std::uint8_t BlackCastleShort = 1;
    std::uint8_t BlackCastleLong = 1;
    QStringList MoveRecord; // one entry per played move, joined with RecordSeparator
    QStringList Notation;   // one line per full move, as the notation box shows it
    int EnPassantSquare = -1;

    // How the game reaches the window: the game-message line and the promotion question.
    // Installed by the main window; without them the message is only kept in GameMessage and
    // the promotion answers Queen (what a closed dialog answers).
    std::function<void(const QString &)> GameMessageHook;
    std::function<std::uint8_t(std::uint8_t color)> PromotionHook;
    QString GameMessage; // the last game message written, hook or not

    void Reset();
    // Tests (apply = false) or plays (apply = true) a move of the side to move. A refused move
    // is silent and changes nothing.
    bool TryMove(int from, int to, QChar promotion, bool apply);
    // Meaningful for the side to move only: every caller passes SideToMove.
    bool HasNoLegalMove(std::uint8_t color);
    // Notation, game message and record entry of the move TryMove has just played.
    void RecordMove(std::uint8_t kind, int from, int to, bool capture);
    void ShowGameMessage(const QString &text);
    std::uint8_t AskPromotion(std::uint8_t color);

    // Rebuilds the game from record entries; on a bad entry the game is reset and the answer
    // is false.
    bool ReplayMoves(const QStringList &entries);
    void UndoLastMove();
};
