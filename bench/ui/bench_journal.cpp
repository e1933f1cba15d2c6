// Figures for the journal of the unfinished game: what the GUI thread spends on it per move
// (the record handed over; the writer does the rest), and, for comparison, the same record
// written and synced to the disk where the caller waits, as the GUI thread would without the
// writer. The folder is a temporary one (on this machine on the same disk as the home folder).
#include "GameJournal.h"
#include "GameSupport.h"
#include "Record.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int MovesPerGame = 80;

// The record after each half-move of one long game.
std::vector<QStringList> Prefixes() {
    const QStringList game = LongGames(1, MovesPerGame).front();
    std::vector<QStringList> prefixes;
    for (int ply = 1; ply <= game.size(); ++ply)
        prefixes.push_back(game.mid(0, ply));
    return prefixes;
}

// On the GUI thread, per move: the journal takes the record, and the writer is woken. As
// between the moves of a game, the writer has finished the last record and waits.
void JournalKeepPerMove(benchmark::State &state) {
    const std::vector<QStringList> prefixes = Prefixes();
    QTemporaryDir folder;
    TGameJournal journal(folder.path());
    std::size_t ply = 0;
    for (auto _ : state) {
        journal.Keep(prefixes.at(ply), TGameStatus::None);
        state.PauseTiming();
        journal.Flush();
        ply = (ply + 1) % prefixes.size();
        state.ResumeTiming();
    }
    journal.Flush();
    if (!QFile::exists(journal.FileName()))
        state.SkipWithError("the journal was not written");
}
// A fixed count: the untimed wait for each write would otherwise stretch the run to minutes.
BENCHMARK(JournalKeepPerMove)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// What the writer spends on one record: written beside the journal and synced, then renamed.
void JournalWriteAndSync(benchmark::State &state) {
    const std::vector<QStringList> prefixes = Prefixes();
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("unfinished-game.kvl"));
    std::size_t ply = 0;
    for (auto _ : state) {
        if (!WriteSavedGame(path, prefixes.at(ply)))
            state.SkipWithError("the record was not written");
        ply = (ply + 1) % prefixes.size();
    }
}
BENCHMARK(JournalWriteAndSync)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace
