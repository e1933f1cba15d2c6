#include "Draws.h"

#include "Board.h"
#include "LegalMoves.h"

namespace {

// a1 is dark, and the shade alternates along rows and files.
constexpr TBitboard DarkSquares = 0xaa55aa55aa55aa55ULL;

constexpr int ClaimableRepetitions = 3;
constexpr int AutomaticRepetitions = 5;
constexpr int ClaimableHalfMoves = 100;
constexpr int AutomaticHalfMoves = 150;

TDrawKind DrawByRules(const TGame &game) {
    if (IsDeadByMaterial(game.Board->Occupancy()))
        return TDrawKind::DeadPosition;
    const int repetitions = RepetitionsOf(game);
    if (repetitions >= AutomaticRepetitions)
        return TDrawKind::FivefoldRepetition;
    if (game.HalfMoveClock >= AutomaticHalfMoves)
        return TDrawKind::SeventyFiveMoves;
    if (repetitions >= ClaimableRepetitions)
        return TDrawKind::ThreefoldRepetition;
    if (game.HalfMoveClock >= ClaimableHalfMoves)
        return TDrawKind::FiftyMoves;
    return TDrawKind::None;
}

} // namespace

TDrawKind DrawOf(const TGame &game) {
    const TDrawKind kind = DrawByRules(game);
    // The move search only when a draw is in sight: the window asks after every change.
    if (kind != TDrawKind::None && !TMoveFinder(TBitPosition::Of(game)).HasMove())
        return TDrawKind::None;
    return kind;
}

bool IsAutomaticDraw(TDrawKind kind) {
    return kind == TDrawKind::DeadPosition || kind == TDrawKind::FivefoldRepetition ||
           kind == TDrawKind::SeventyFiveMoves;
}

int RepetitionsOf(const TGame &game) {
    const TPositionKey key = PositionKeyOf(game);
    const qsizetype size = game.EarlierKeys.size();
    // Nothing before the last capture or pawn move can come back; the side to move must match.
    const qsizetype reach = std::min<qsizetype>(game.HalfMoveClock, size);
    int count = 1;
    for (qsizetype back = 2; back <= reach; back += 2) {
        if (game.EarlierKeys[size - back] == key)
            ++count;
    }
    return count;
}

bool IsDeadByMaterial(const TOccupancy &pieces) {
    const TBitboard others = pieces.All() & ~pieces.Kinds[King];
    if (!others)
        return true;
    const TBitboard minors = pieces.Kinds[Bishop] | pieces.Kinds[Knight];
    if (!(others & (others - 1)) && (others & minors))
        return true;
    if (others & ~pieces.Kinds[Bishop])
        return false;
    return !(others & DarkSquares) || !(others & ~DarkSquares);
}

QString DrawNotice(TDrawKind kind) {
    switch (kind) {
    case TDrawKind::DeadPosition:
        return QStringLiteral(u"Ничья: мат невозможен");
    case TDrawKind::FivefoldRepetition:
        return QStringLiteral(u"Ничья: пятикратное повторение");
    case TDrawKind::SeventyFiveMoves:
        return QStringLiteral(u"Ничья: правило 75 ходов");
    case TDrawKind::ThreefoldRepetition:
        return QStringLiteral(u"Троекратное повторение: можно требовать ничью");
    case TDrawKind::FiftyMoves:
        return QStringLiteral(u"Правило 50 ходов: можно требовать ничью");
    case TDrawKind::None:
        break;
    }
    return {};
}
