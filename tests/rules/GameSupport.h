// What the tests and the benchmarks both need of a game: square names read as indices and
// seeded random legal games. Qt Core and the rules only (no Qt Test), so that the benchmarks
// and the window tests include it as well as the rules tests.
#pragma once

#include "Board.h"
#include "LegalMoves.h"
#include "Snapshot.h"

#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

// "e2" -> 12.
inline int Square(QStringView name) {
    return (name[1].unicode() - u'1') * 8 + (name[0].unicode() - u'a');
}
inline int Square(const char *name) {
    return Square(QString::fromLatin1(name));
}

// A small fixed-seed generator, so every run and every machine plays the same games.
class TSeededRandom {
public:
    explicit TSeededRandom(std::uint64_t seed) : State(seed) {}
    std::uint32_t Below(std::uint32_t bound) {
        State = State * 6364136223846793005ULL + 1442695040888963407ULL;
        return std::uint32_t(State >> 33) % bound;
    }

private:
    std::uint64_t State;
};

struct TGameFeatures {
    int Castlings = 0;
    int EnPassants = 0;
    int Promotions = 0;
};

// Whether a random game may end in mate or stalemate before its length is reached.
enum class TGameEnd { AtLength, MayEndEarly };

// The legal moves of the side to move, in the order the visit hands them out.
inline std::vector<TMove> LegalMoves(TGame &game) {
    std::vector<TMove> moves;
    VisitLegalMoves(game, [&](const TMove &move) { moves.push_back(move); });
    return moves;
}

// Plays up to `plies` moves chosen at random among the legal ones, taking castling, en passant
// and promotion whenever they come up, a random piece for each promotion. With AtLength no move
// that ends the game early is taken, and nullopt means the game got stuck; with MayEndEarly the
// record ends at the first mate or stalemate.
inline std::optional<QStringList> RandomGame(std::uint64_t seed, int plies, TGameFeatures &features,
                                             TGameEnd end = TGameEnd::AtLength) {
    TSeededRandom random(seed);
    TGame game;
    for (int ply = 0; ply < plies; ++ply) {
        std::vector<TMove> moves = LegalMoves(game);
        std::vector<TMove> special;
        for (const TMove move : moves) {
            if (move.Castling || move.EnPassant || move.Promotion)
                special.push_back(move);
        }
        // Pawns go forward more often than other pieces, so that promotions happen.
        bool played = false;
        for (int attempt = 0; attempt < 32 && !played; ++attempt) {
            const std::vector<TMove> &pool = !special.empty() && attempt == 0 ? special : moves;
            const TMove move = pool[random.Below(std::uint32_t(pool.size()))];
            const bool pawn = move.Mover == Pawn;
            if (!pawn && !move.Castling && attempt < 2 && random.Below(3) != 0)
                continue;
            const TPositionSnapshot before(game);
            game.TryMove(move.From, move.To, PromotionLetter(PromotionKinds[random.Below(4)]),
                         true);
            const bool over = game.HasNoLegalMove(game.SideToMove);
            if (over && end == TGameEnd::AtLength) {
                before.Restore(game); // the game must go on
                continue;
            }
            features.Castlings += move.Castling;
            features.EnPassants += move.EnPassant;
            features.Promotions += move.Promotion;
            if (over)
                return game.MoveRecord;
            played = true;
        }
        if (!played)
            return std::nullopt;
    }
    return game.MoveRecord;
}

// The first `count` games of `plies` half-moves, by seed from 1, that each hold a castling, an
// en-passant capture and at least two promotions; *first (when given) counts those of the
// first game.
inline std::vector<QStringList> LongGames(int count, int plies, TGameFeatures *first = nullptr) {
    std::vector<QStringList> games;
    for (std::uint64_t seed = 1; int(games.size()) < count; ++seed) {
        TGameFeatures features;
        const std::optional<QStringList> record = RandomGame(seed, plies, features);
        if (!record || !features.Castlings || !features.EnPassants || features.Promotions < 2)
            continue;
        if (games.empty() && first)
            *first = features;
        games.push_back(*record);
    }
    return games;
}
