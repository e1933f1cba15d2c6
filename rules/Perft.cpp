#include "Perft.h"

#include "Board.h"
#include "LegalMoves.h"
#include "Record.h"
#include "Snapshot.h"

namespace {

quint64 Count(TGame &game, int depth) {
    if (depth <= 0)
        return 1;
    quint64 total = 0;
    if (depth == 1) {
        // Leaves are counted by testing alone: nothing is played, so nothing is restored.
        VisitLegalMoves(game, [&](const TLegalMove &move) {
            total += move.Promotes() ? PromotionKinds.size() : 1;
        });
        return total;
    }
    const TPositionSnapshot snapshot(game);
    VisitLegalMoves(game, [&](const TLegalMove &move) {
        if (!move.Promotes()) {
            game.TryMove(move.From, move.To, NoPromotion, true);
            total += Count(game, depth - 1);
            snapshot.Restore(game);
            return;
        }
        for (const TKind kind : PromotionKinds) {
            game.TryMove(move.From, move.To, PromotionLetter(kind), true);
            total += Count(game, depth - 1);
            snapshot.Restore(game);
        }
    });
    return total;
}

} // namespace

quint64 Perft(TGame &game, int depth) {
    const THooksOff hooksOff(game);
    return Count(game, depth);
}

std::vector<TPerftBranch> PerftDivide(TGame &game, int depth) {
    const THooksOff hooksOff(game);
    std::vector<TPerftBranch> branches;
    if (depth < 1)
        return branches;
    const TPositionSnapshot snapshot(game);
    VisitLegalMoves(game, [&](const TLegalMove &move) {
        if (!move.Promotes()) {
            game.TryMove(move.From, move.To, NoPromotion, true);
            branches.push_back({TRecordEntry{move.From, move.To}.Text(), Count(game, depth - 1)});
            snapshot.Restore(game);
            return;
        }
        for (const TKind kind : PromotionKinds) {
            const QChar letter = PromotionLetter(kind);
            game.TryMove(move.From, move.To, letter, true);
            branches.push_back(
                {TRecordEntry{move.From, move.To, letter}.Text(), Count(game, depth - 1)});
            snapshot.Restore(game);
        }
    });
    return branches;
}
