#include "Board.h"

#include <cstdlib>
#include <utility>

namespace {

// Back rank from column 0 to 7.
constexpr std::array<TKind, 8> BackRank = {Rook, Knight, Bishop, Queen, King, Bishop, Knight, Rook};

int Sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

TBoard::TBoard() {
    // The shade alternates along a row and carries over to the next row unchanged, so that
    // a1 is dark and h1 light.
    std::uint8_t dark = 1;
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            Squares[row * 8 + column] = std::make_unique<TFields>(column, row, dark);
            if (column != 7)
                dark = dark ? 0 : 1;
        }
    }
}

TBoard::~TBoard() = default;

void TBoard::SetUpPieces() {
    Clear();
    OwnedPieces.reserve(32);
    for (int column = 0; column < 8; ++column) {
        PutPiece(column, White, BackRank[column]);
        PutPiece(8 + column, White, Pawn);
        PutPiece(48 + column, Black, Pawn);
        PutPiece(56 + column, Black, BackRank[column]);
    }
}

int TBoard::IndexOf(int column, int row) const {
    if (column < 0 || column > 7 || row < 0 || row > 7)
        return 0;
    return row * 8 + column;
}

int TBoard::CountOnLine(int column1, int row1, int column2, int row2) const {
    if (IndexOf(column1, row1) != row1 * 8 + column1 ||
        IndexOf(column2, row2) != row2 * 8 + column2)
        return 0; // off the board: no squares to count
    const int dx = column2 - column1;
    const int dy = row2 - row1;
    if (dx != 0 && dy != 0 && std::abs(dx) != std::abs(dy))
        return 0;
    // Walk from one end to the other, both ends included; the order does not change a count.
    const int stepColumn = Sign(dx);
    const int stepRow = Sign(dy);
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const int step = stepRow * 8 + stepColumn;
    int index = IndexOf(column1, row1);
    int count = 0;
    for (int i = 0; i <= steps; ++i, index += step) {
        if (Squares[index]->Piece)
            ++count;
    }
    return count;
}

void TBoard::Clear() {
    for (auto &square : Squares)
        square->Piece = nullptr;
    OwnedPieces.clear();
}

void TBoard::TakePiecesOf(TBoard &other) {
    for (std::size_t i = 0; i < Squares.size(); ++i)
        Squares[i]->Piece = std::exchange(other.Squares[i]->Piece, nullptr);
    OwnedPieces = std::move(other.OwnedPieces);
    other.OwnedPieces.clear();
}

TPieces *TBoard::PutPiece(int index, TColor color, TKind kind) {
    if (index < 0 || index > 63 || color > Black || kind > Pawn)
        return nullptr;
    TPieces *piece = OwnedPieces.emplace_back(std::make_unique<TPieces>(color, kind)).get();
    Squares[index]->Piece = piece;
    return piece;
}

TGame::TGame() : Board(std::make_unique<TBoard>()) {
    Reset();
}

TGame::~TGame() = default;

void TGame::Reset() {
    Board->SetUpPieces();
    static_cast<TGameState &>(*this) = TGameState{};
}

void TGame::Adopt(TGame &&other) {
    Board->TakePiecesOf(*other.Board);
    static_cast<TGameState &>(*this) = std::move(static_cast<TGameState &>(other));
    // A replay of no moves writes no message, and neither does a reset.
    if (!MoveRecord.isEmpty())
        ShowGameMessage(other.GameMessage);
}

THooksOff::THooksOff(TGame &game)
    : Game(game), MessageHook(std::exchange(game.GameMessageHook, nullptr)),
      PromotionHook(std::exchange(game.PromotionHook, nullptr)) {}

THooksOff::~THooksOff() {
    Game.GameMessageHook = std::move(MessageHook);
    Game.PromotionHook = std::move(PromotionHook);
}
