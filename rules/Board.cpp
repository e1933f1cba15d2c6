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
    Bits = {};
    Key = 0;
    OwnedPieces.clear();
}

void TBoard::TakePiecesOf(TBoard &other) {
    for (std::size_t i = 0; i < Squares.size(); ++i)
        Squares[i]->Piece = std::exchange(other.Squares[i]->Piece, nullptr);
    Bits = std::exchange(other.Bits, {});
    Key = std::exchange(other.Key, 0);
    OwnedPieces = std::move(other.OwnedPieces);
    other.OwnedPieces.clear();
}

TPieces *TBoard::PutPiece(int index, TColor color, TKind kind) {
    if (index < 0 || index > 63 || color > Black || kind > Pawn)
        return nullptr;
    TPieces *piece = &OwnedPieces.emplace_back(color, kind);
    SetPiece(index, piece);
    return piece;
}

// ---- Occupancy bitboards beside the squares ----

void TBoard::SetPiece(int index, TPieces *piece) {
    TPieces *&slot = Squares[index]->Piece;
    if (slot) {
        Bits.Toggle(index, slot->Color, slot->Kind);
        Key ^= PieceKey(slot->Color, slot->Kind, index);
    }
    slot = piece;
    if (piece) {
        Bits.Toggle(index, piece->Color, piece->Kind);
        Key ^= PieceKey(piece->Color, piece->Kind, index);
    }
}

void TBoard::MovePiece(int from, int to) {
    TPieces *const piece = Squares[from]->Piece;
    SetPiece(to, piece);
    SetPiece(from, nullptr);
}

void TBoard::RemovePiece(int index) {
    SetPiece(index, nullptr);
}

void TBoard::Promote(int index, TKind kind) {
    TPieces *const piece = Squares[index]->Piece;
    if (!piece)
        return;
    SetPiece(index, nullptr);
    piece->Kind = kind;
    SetPiece(index, piece);
}

void TBoard::RefreshBitboards() {
    Bits = {};
    for (int i = 0; i < 64; ++i) {
        if (const TPieces *piece = Squares[i]->Piece)
            Bits.Toggle(i, piece->Color, piece->Kind);
    }
    Key = PiecesKeyOf(*this);
}

bool TBoard::BitboardsAgree() const {
    TOccupancy fromSquares;
    for (int i = 0; i < 64; ++i) {
        if (const TPieces *piece = Squares[i]->Piece)
            fromSquares.Toggle(i, piece->Color, piece->Kind);
    }
    return fromSquares == Bits;
}

int TBoard::KingSquare(TColor color) const {
    const TBitboard kings = Bits.Of(color, King);
    if (!kings)
        return -1;
    return color == White ? std::countr_zero(kings) : 63 - std::countl_zero(kings);
}

QString SquareName(int index) {
    QString name;
    AppendSquareName(name, index);
    return name;
}

void AppendSquareName(QString &text, int index) {
    const char16_t name[] = {char16_t(u'a' + index % 8), char16_t(u'1' + index / 8)};
    text.append(QStringView(name, 2));
}

int SquareIndex(QStringView name) {
    if (name.size() != 2 || name[0] < u'a' || name[0] > u'h' || name[1] < u'1' || name[1] > u'8')
        return -1;
    return (name[1].unicode() - u'1') * 8 + (name[0].unicode() - u'a');
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
