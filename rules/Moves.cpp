// TryMove and JudgeMove: judging a move of the side to move and playing it.
#include "Board.h"
#include "LegalMoves.h"

#include <QtGlobal>
#include <limits>

namespace {

// The record's letters, in the order of PromotionKinds; "K" is the knight.
constexpr std::array<char16_t, 4> PromotionLetters = {u'Q', u'R', u'K', u'B'};

void CheckBitboards([[maybe_unused]] const TBoard &board) {
#ifdef KORVALEN_CHECK_BITBOARDS
    if (!board.BitboardsAgree())
        qFatal("the bitboards no longer describe the squares");
    if (board.PiecesKey() != PiecesKeyOf(board))
        qFatal("the position key no longer describes the squares");
#endif
}

} // namespace

TKind KindOfPromotionLetter(QChar letter) {
    for (std::size_t i = 0; i < PromotionKinds.size(); ++i) {
        if (letter == QChar(PromotionLetters[i]))
            return PromotionKinds[i];
    }
    return Pawn; // names no piece: the player is asked
}

QChar PromotionLetter(TKind kind) {
    for (std::size_t i = 0; i < PromotionKinds.size(); ++i) {
        if (PromotionKinds[i] == kind)
            return PromotionLetters[i];
    }
    return NoPromotion;
}

std::optional<TMove> TGame::JudgeMove(int from, int to) const {
    if (from < 0 || from > 63 || to < 0 || to > 63)
        return std::nullopt; // a square off the board is no move at all
    const TMoveFinder finder(TBitPosition::Of(*this));
    if (!(finder.Targets(from) & SquareBit(to)))
        return std::nullopt;
    return finder.Describe(from, to);
}

bool TGame::TryMove(int from, int to, QChar promotion, bool apply) {
    std::optional<TMove> move = JudgeMove(from, to);
    if (!move || !apply)
        return move.has_value();

    // The position left behind joins the earlier ones before the promotion question, which may
    // run an event loop.
    EarlierKeys.append(PositionKeyOf(*this));
    if (move->Mover == Pawn || move->Capture)
        HalfMoveClock = 0;
    else if (HalfMoveClock < std::numeric_limits<int>::max()) // a FEN may set any count
        ++HalfMoveClock;
    MovePieces(*Board, *move, EnPassantSquare);
    EnPassantSquare = EnPassantAfter(*move);
    if (move->Promotion) {
        TKind kind = KindOfPromotionLetter(promotion);
        if (kind == Pawn)
            kind = AskPromotion(to >= 56 ? White : Black);
        // The question may run an event loop: write into whatever stands there now.
        Board->Promote(to, kind);
        move->PromotionKind = kind;
    }
    const std::uint8_t rights = CastlingRightsAfter(Board->Occupancy(), CastlingRightsOf(*this));
    WhiteCastleShort = (rights & WhiteShortRight) != 0;
    WhiteCastleLong = (rights & WhiteLongRight) != 0;
    BlackCastleShort = (rights & BlackShortRight) != 0;
    BlackCastleLong = (rights & BlackLongRight) != 0;
    SideToMove = Opponent(SideToMove);
    CheckBitboards(*Board);
    RecordMove(*move);
    return true;
}
