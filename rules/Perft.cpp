#include "Perft.h"

#include "Board.h"
#include "LegalMoves.h"
#include "Record.h"

namespace {

// Counts on bitboards alone: the game itself, its lists and its hooks are never touched.
quint64 Count(const TBitPosition &position, int depth) {
    const TMoveFinder finder(position);
    // Leaves are counted without being played.
    if (depth == 1)
        return finder.CountMoves();
    quint64 total = 0;
    ForEachLegalMove(finder, [&](const TMove &move) {
        if (!move.Promotion) {
            TBitPosition next = position;
            PlayOn(next, move, Pawn);
            total += Count(next, depth - 1);
            return;
        }
        for (const TKind kind : PromotionKinds) {
            TBitPosition next = position;
            PlayOn(next, move, kind);
            total += Count(next, depth - 1);
        }
    });
    return total;
}

} // namespace

quint64 Perft(TGame &game, int depth) {
    if (depth <= 0)
        return 1;
    return Count(TBitPosition::Of(game), depth);
}

std::vector<TPerftBranch> PerftDivide(TGame &game, int depth) {
    std::vector<TPerftBranch> branches;
    if (depth < 1)
        return branches;
    const TBitPosition position = TBitPosition::Of(game);
    const auto branch = [&](const TMove &move, TKind kind) {
        if (depth == 1)
            return quint64(1);
        TBitPosition next = position;
        PlayOn(next, move, kind);
        return Count(next, depth - 1);
    };
    ForEachLegalMove(TMoveFinder(position), [&](const TMove &move) {
        if (!move.Promotion) {
            branches.push_back({TRecordEntry{move.From, move.To}.Text(), branch(move, Pawn)});
            return;
        }
        for (const TKind kind : PromotionKinds) {
            const QChar letter = PromotionLetter(kind);
            branches.push_back(
                {TRecordEntry{move.From, move.To, letter}.Text(), branch(move, kind)});
        }
    });
    return branches;
}
