// Figures for PGN collections of a hundred thousand games: the index of the file, its memory,
// and the companion's check of every game beside Debian's pgn-extract checking the same file.
#include "../CollectionFile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

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

// Processor seconds the ended child processes have used so far, user and system.
double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct TRunTime {
    double Wall = -1; // negative when the program could not run to its end
    double Cpu = 0;
};

// The time a program takes over the collection, on the clock and on the processors (which a
// busy machine's other work does not lengthen).
TRunTime TimeOf(const QString &program, const QStringList &arguments) {
    const double cpuBefore = ChildrenCpuSeconds();
    TRunTime time;
    time.Wall = SecondsOf(program, arguments);
    time.Cpu = ChildrenCpuSeconds() - cpuBefore;
    return time;
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
    TRunTime kvlTotal{0, 0};
    TRunTime extractTotal{0, 0};
    for (auto _ : state) {
        const TRunTime kvl =
            TimeOf(QStringLiteral(KVL_BINARY),
                   {QStringLiteral("list"), CollectionPath(), QStringLiteral("--check")});
        const TRunTime extract =
            TimeOf(pgnExtract, {QStringLiteral("-s"), QStringLiteral("-r"), CollectionPath()});
        if (kvl.Wall < 0 || extract.Wall < 0) {
            state.SkipWithError("a program did not run to its end");
            return;
        }
        state.SetIterationTime(kvl.Wall);
        kvlTotal = {kvlTotal.Wall + kvl.Wall, kvlTotal.Cpu + kvl.Cpu};
        extractTotal = {extractTotal.Wall + extract.Wall, extractTotal.Cpu + extract.Cpu};
    }
    const auto average = [](double total) {
        return benchmark::Counter(total, benchmark::Counter::kAvgIterations);
    };
    state.counters["kvl_s"] = average(kvlTotal.Wall);
    state.counters["pgn_extract_s"] = average(extractTotal.Wall);
    state.counters["times_faster"] = extractTotal.Wall / kvlTotal.Wall;
    state.counters["kvl_cpu_s"] = average(kvlTotal.Cpu);
    state.counters["pgn_extract_cpu_s"] = average(extractTotal.Cpu);
}
BENCHMARK(ListCheckBesidePgnExtract)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
