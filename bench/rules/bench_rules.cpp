// Figures for the rules: the full legal-move scan of a mated side, the replay of a long game,
// the companion's show and move-path counting.
#include "../CollectionFile.h"
#include "Board.h"
#include "Commands.h"
#include "Fen.h"
#include "GameSupport.h"
#include "LegalMoves.h"
#include "Perft.h"
#include "Record.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

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
    const QStringList record = LongGames(1, 300, &features).front();
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
    // "--write-collection FILE COUNT": the benchmarks' PGN collection, for trying it by hand.
    if (argc == 4 && std::string_view(argv[1]) == "--write-collection")
        return WriteTestCollection(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3])) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
