// Figures for PGN collections of a hundred thousand games: the index of the file, its memory,
// and the companion's check of every game beside Debian's pgn-extract checking the same file.
#include "../CollectionFile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int CollectionGames = 100000;

// One file for all the benchmarks of the run.
const QString &CollectionPath() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(QStringLiteral("collection.pgn"));
        return WriteTestCollection(file, CollectionGames) ? file : QString();
    }();
    return path;
}

void IndexCollection(benchmark::State &state) {
    QString error;
    const std::shared_ptr<const TPgnSource> source = TPgnSource::OfFile(CollectionPath(), &error);
    if (!source) {
        state.SkipWithError("no collection file");
        return;
    }
    std::vector<TPgnIndexEntry> games;
    for (auto _ : state) {
        games = IndexPgn(source->Bytes());
        benchmark::DoNotOptimize(games.data());
    }
    state.counters["games"] = double(games.size());
    state.counters["MB"] = double(source->Bytes().size()) / (1 << 20);
    state.counters["bytes_per_game"] = double(sizeof(TPgnIndexEntry));
    if (games.size() != CollectionGames)
        state.SkipWithError("the index did not find every game");
}
BENCHMARK(IndexCollection)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

// Seconds a program takes over the collection, or a negative number when it could not run.
double SecondsOf(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(600000) ||
        process.exitStatus() != QProcess::NormalExit)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

// Both programs read and play every game of the same file: the companion's "list --check"
// and "pgn-extract -s -r" (silent, report errors only). The time is the companion's; the
// counters give both and their ratio.
void ListCheckBesidePgnExtract(benchmark::State &state) {
    // Debian installs it among the games, a folder not every PATH holds.
    QString pgnExtract = QStandardPaths::findExecutable(QStringLiteral("pgn-extract"));
    if (pgnExtract.isEmpty())
        pgnExtract = QStandardPaths::findExecutable(QStringLiteral("pgn-extract"),
                                                    {QStringLiteral("/usr/games")});
    if (pgnExtract.isEmpty()) {
        state.SkipWithError("pgn-extract is not installed");
        return;
    }
    double kvlTotal = 0;
    double extractTotal = 0;
    for (auto _ : state) {
        const double kvl = SecondsOf(QStringLiteral(KVL_BINARY),
                                     {QStringLiteral("list"), CollectionPath(),
                                      QStringLiteral("--check")});
        const double extract =
            SecondsOf(pgnExtract, {QStringLiteral("-s"), QStringLiteral("-r"), CollectionPath()});
        if (kvl < 0 || extract < 0) {
            state.SkipWithError("a program did not run to its end");
            return;
        }
        state.SetIterationTime(kvl);
        kvlTotal += kvl;
        extractTotal += extract;
    }
    state.counters["kvl_s"] = benchmark::Counter(kvlTotal, benchmark::Counter::kAvgIterations);
    state.counters["pgn_extract_s"] =
        benchmark::Counter(extractTotal, benchmark::Counter::kAvgIterations);
    state.counters["times_faster"] = extractTotal / kvlTotal;
}
BENCHMARK(ListCheckBesidePgnExtract)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
