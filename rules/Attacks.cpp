// Attack detection and the search for a legal move: plain scans of the 64 squares, no tables.
#include "Board.h"

#include <cstdlib>

bool TBoard::IsSquareAttacked(int column, int row, std::uint8_t attacker) const {
    // A line attack reaches the target when the segment holds the attacker, the target's own
    // piece if there is one, and nothing else.
    const int reach = Squares[IndexOf(column, row)]->Piece ? 2 : 1;
    for (const auto &square : Squares) {
        const TPieces *piece = square->Piece;
        if (!piece || piece->Color != attacker)
            continue;
        const int px = square->Column;
        const int py = square->Row;
        const int dx = std::abs(column - px);
        const int dy = std::abs(row - py);
        bool attacks = false;
        // The alignment tests only skip counts that would come out 0 off a line.
        switch (piece->Kind) {
        case King:
            attacks = dx <= 1 && dy <= 1;
            break;
        case Queen:
            attacks = (dx == dy || dx == 0 || dy == 0) && CountOnLine(column, row, px, py) == reach;
            break;
        case Rook:
            attacks = (dx == 0 || dy == 0) && CountOnLine(column, row, px, py) == reach;
            break;
        case Knight:
            attacks = dx * dy == 2;
            break;
        case Bishop:
            attacks = dx == dy && CountOnLine(column, row, px, py) == reach;
            break;
        case Pawn:
            // Only the two forward diagonals; columns are compared, so nothing wraps.
            attacks = dx == 1 && row == py + (attacker == White ? 1 : -1);
            break;
        }
        if (attacks)
            return true;
    }
    return false;
}

bool TBoard::IsKingAttacked(std::uint8_t color) const {
    // There is one king of each colour, so the search may start from its own side of the
    // board, where it mostly stands.
    const int first = color == White ? 0 : 63;
    const int step = color == White ? 1 : -1;
    for (int i = first; i >= 0 && i < 64; i += step) {
        const TFields &square = *Squares[i];
        const TPieces *piece = square.Piece;
        if (piece && piece->Kind == King && piece->Color == color)
            return IsSquareAttacked(square.Column, square.Row, Opponent(color));
    }
    return false; // no king of that colour on the board
}

bool TGame::HasNoLegalMove(std::uint8_t color) {
    for (int from = 0; from < 64; ++from) {
        const TPieces *piece = Board->Squares[from]->Piece;
        if (!piece || piece->Color != color)
            continue;
        for (int to = 0; to < 64; ++to) {
            // TryMove refuses a move onto a piece of the mover's colour (and from == to) at
            // once; skipping those here saves the call and finds the same answer.
            const TPieces *target = Board->Squares[to]->Piece;
            if (target && target->Color == color)
                continue;
            if (TryMove(from, to, NoPromotion, false))
                return false;
        }
    }
    return true;
}
