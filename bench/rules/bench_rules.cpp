// Figures for the rules: the full legal-move scan of a mated side, the replay of a long game,
// the companion's show and move-path counting.
#include "Board.h"
#include "Commands.h"
#include "Fen.h"
#include "LegalMoves.h"
#include "Perft.h"
#include "Record.h"
#include "Snapshot.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

// A small fixed-seed generator, so every run replays the same game.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : State(seed) {}
    std::uint32_t Below(std::uint32_t bound) {
        State = State * 6364136223846793005ULL + 1442695040888963407ULL;
        return std::uint32_t(State >> 33) % bound;
    }

private:
    std::uint64_t State;
};

std::vector<TMove> LegalMoves(TGame &game) {
    std::vector<TMove> moves;
    VisitLegalMoves(game, [&](const TMove &move) { moves.push_back(move); });
    return moves;
}

struct TGameFeatures {
    int Castlings = 0;
    int EnPassants = 0;
    int Promotions = 0;
};

bool IsSpecial(const TMove &move) {
    return move.Castling || move.EnPassant || move.Promotion;
}

// Plays `plies` moves chosen at random among the legal ones, taking castling, en passant and
// promotion whenever they come up and never a move that ends the game early.
std::optional<QStringList> RandomGame(std::uint64_t seed, int plies, TGameFeatures &features) {
    TRandom random(seed);
    TGame game;
    for (int ply = 0; ply < plies; ++ply) {
        std::vector<TMove> moves = LegalMoves(game);
        std::vector<TMove> special;
        for (const TMove move : moves) {
            if (IsSpecial(move))
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
            if (game.HasNoLegalMove(game.SideToMove)) {
                before.Restore(game); // the game must go on
                continue;
            }
            features.Castlings += move.Castling;
            features.EnPassants += move.EnPassant;
            features.Promotions += move.Promotion;
            played = true;
        }
        if (!played)
            return std::nullopt;
    }
    return game.MoveRecord;
}

// The first seed whose game has at least one of each special move.
QStringList LongGame(int plies, TGameFeatures &features) {
    for (std::uint64_t seed = 1;; ++seed) {
        features = {};
        const std::optional<QStringList> record = RandomGame(seed, plies, features);
        if (record && features.Castlings && features.EnPassants && features.Promotions >= 2)
            return *record;
    }
}

void MatedScan(benchmark::State &state) {
    // Fool's mate: White, with all sixteen pieces, has no legal move, so every pair is tried.
    TGame game;
    game.ReplayMoves({"13>21", "52>36", "14>30", "59>31"});
    for (auto _ : state)
        benchmark::DoNotOptimize(game.HasNoLegalMove(game.SideToMove));
    if (!game.HasNoLegalMove(game.SideToMove))
        state.SkipWithError("the position is not mate");
}
BENCHMARK(MatedScan)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void Replay300(benchmark::State &state) {
    TGameFeatures features;
    const QStringList record = LongGame(300, features);
    state.counters["castlings"] = features.Castlings;
    state.counters["en_passant"] = features.EnPassants;
    state.counters["promotions"] = features.Promotions;
    TGame game;
    for (auto _ : state)
        benchmark::DoNotOptimize(game.ReplayMoves(record));
    if (!game.ReplayMoves(record) || game.MoveRecord != record)
        state.SkipWithError("the long game does not replay");
}
BENCHMARK(Replay300)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Long seeded games, each with castling, en passant and promotions: the replay of a saved game
// as the companion's show does it, the status (check, mate, stalemate) worked out after every
// move. The figure to read is us_per_move.
std::vector<QStringList> LongGames(int count, int plies) {
    std::vector<QStringList> games;
    for (std::uint64_t seed = 1; int(games.size()) < count; ++seed) {
        TGameFeatures features;
        const std::optional<QStringList> record = RandomGame(seed, plies, features);
        if (record && features.Castlings && features.EnPassants && features.Promotions >= 2)
            games.push_back(*record);
    }
    return games;
}

void ReplayWithStatus(benchmark::State &state) {
    static const std::vector<QStringList> games = LongGames(8, 300);
    qsizetype moves = 0;
    for (const QStringList &record : games)
        moves += record.size();
    TGame game;
    for (auto _ : state) {
        for (const QStringList &record : games) {
            game.ReplayMoves(record);
            benchmark::DoNotOptimize(game.GameMessage.size());
        }
    }
    for (const QStringList &record : games) {
        if (!game.ReplayMoves(record) || game.MoveRecord != record)
            state.SkipWithError("a long game does not replay");
    }
    state.counters["us_per_move"] =
        benchmark::Counter(double(moves) / 1e6, benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}
BENCHMARK(ReplayWithStatus)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The companion's show over the same games, saved as files: reading, checking, replaying and
// writing the notation, as a user of korvalen-kvl waits for it.
void ShowCommand(benchmark::State &state) {
    static const std::vector<QStringList> games = LongGames(8, 300);
    const QTemporaryDir folder;
    QStringList arguments{QStringLiteral("show")};
    qsizetype moves = 0;
    for (std::size_t i = 0; i < games.size(); ++i) {
        arguments.append(folder.filePath(QStringLiteral("game%1.kvl").arg(i)));
        moves += games[i].size();
        if (!WriteSavedGame(arguments.last(), games[i]))
            state.SkipWithError("cannot write the games");
    }
    for (auto _ : state) {
        QBuffer out;
        QBuffer err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        if (RunKvl(arguments, out, err) != 0)
            state.SkipWithError("show failed");
        benchmark::DoNotOptimize(out.data().size());
    }
    state.counters["us_per_move"] =
        benchmark::Counter(double(moves) / 1e6, benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}
BENCHMARK(ShowCommand)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void PerftKiwipete3(benchmark::State &state) {
    TGame game;
    SetUpFromFen(game, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    quint64 count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = Perft(game, 3));
    if (count != 97862)
        state.SkipWithError("wrong count");
}
BENCHMARK(PerftKiwipete3)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void PerftInitial6(benchmark::State &state) {
    TGame game;
    quint64 count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = Perft(game, 6));
    if (count != 119060324)
        state.SkipWithError("wrong count");
}
BENCHMARK(PerftInitial6)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// "--write-long-games DIR COUNT": the long games as saved-game files, for timing the whole
// companion process on them (show-long-games.sh).
int WriteLongGames(const QString &folder, int count) {
    const std::vector<QStringList> games = LongGames(count, 300);
    for (std::size_t i = 0; i < games.size(); ++i) {
        const QString path = QStringLiteral("%1/game%2.kvl").arg(folder).arg(i, 3, 10, QChar(u'0'));
        if (!WriteSavedGame(path, games[i]))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--write-long-games")
        return WriteLongGames(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
