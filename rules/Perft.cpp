#include "Perft.h"

#include "Board.h"
#include "Snapshot.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<QChar, 4> PromotionLetters = {u'Q', u'R', u'K', u'B'};

// The counting plays thousands of moves: keep them away from the window, and put the hooks
// back however the counting ends.
class THooksOff {
public:
    explicit THooksOff(TGame &game)
        : Game(game), MessageHook(std::exchange(game.GameMessageHook, nullptr)),
          PromotionHook(std::exchange(game.PromotionHook, nullptr)) {}
    ~THooksOff() {
        Game.GameMessageHook = std::move(MessageHook);
        Game.PromotionHook = std::move(PromotionHook);
    }
    THooksOff(const THooksOff &) = delete;
    THooksOff &operator=(const THooksOff &) = delete;

private:
    TGame &Game;
    std::function<void(const QString &)> MessageHook;
    std::function<std::uint8_t(std::uint8_t)> PromotionHook;
};

// Calls visit(from, to, promotion) for every move TryMove accepts, in the order the legal-move
// search tries them. visit may play the move but must restore the game before it returns.
template <typename Visit> void ForEachLegalMove(TGame &game, Visit &&visit) {
    const std::uint8_t side = game.SideToMove;
    for (int from = 0; from < 64; ++from) {
        const TPieces *piece = game.Board->Squares[from]->Piece;
        if (!piece || piece->Color != side)
            continue;
        for (int to = 0; to < 64; ++to) {
            if (to == from || !game.TryMove(from, to, NoPromotion, false))
                continue;
            const int row = to / 8;
            visit(from, to, piece->Kind == Pawn && (row == 0 || row == 7));
        }
    }
}

quint64 Count(TGame &game, int depth) {
    if (depth <= 0)
        return 1;
    quint64 total = 0;
    if (depth == 1) {
        // Leaves are counted by testing alone: nothing is played, so nothing is restored.
        ForEachLegalMove(game, [&](int, int, bool promotion) {
            total += promotion ? PromotionLetters.size() : 1;
        });
        return total;
    }
    const TPositionSnapshot snapshot(game);
    ForEachLegalMove(game, [&](int from, int to, bool promotion) {
        if (!promotion) {
            game.TryMove(from, to, NoPromotion, true);
            total += Count(game, depth - 1);
            snapshot.Restore(game);
            return;
        }
        for (const QChar letter : PromotionLetters) {
            game.TryMove(from, to, letter, true);
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
    ForEachLegalMove(game, [&](int from, int to, bool promotion) {
        const QString entry = QString::number(from) + u'>' + QString::number(to);
        if (!promotion) {
            game.TryMove(from, to, NoPromotion, true);
            branches.push_back({entry, Count(game, depth - 1)});
            snapshot.Restore(game);
            return;
        }
        for (const QChar letter : PromotionLetters) {
            game.TryMove(from, to, letter, true);
            branches.push_back({entry + u',' + letter, Count(game, depth - 1)});
            snapshot.Restore(game);
        }
    });
    return branches;
}
