// Figures for a PGN collection of a hundred thousand games in the window: the time from the
// file's opening until the whole list is shown, the memory the list takes per game beyond the
// file's own pages, and the time from a pick to the game on the board.
#include "../CollectionFile.h"
#include "BenchSupport.h"
#include "GameFiles.h"
#include "GameListDialog.h"
#include "GameListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

// Bytes the program has allocated and not freed (heap and large blocks), whatever the pages the
// allocator keeps; the file's mapped pages are not among them.
qint64 AllocatedMemory() {
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// The list of a file opened now, shown once every game is in it.
std::unique_ptr<TGameListDialog> ShownList(QWidget &parent) {
    QString error;
    auto dialog = std::make_unique<TGameListDialog>(TPgnSource::OfFile(CollectionPath(), &error),
                                                    QStringLiteral("Файл"), &parent);
    dialog->show();
    while (!dialog->IndexDone())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    dialog->grGames->scrollToBottom();
    dialog->grGames->viewport()->repaint();
    return dialog;
}

void CollectionListShown(benchmark::State &state) {
    if (CollectionPath().isEmpty()) {
        state.SkipWithError("no collection file");
        return;
    }
    TBenchWindow window;
    qint64 memory = 0;
    int games = 0;
    for (auto _ : state) {
        const qint64 before = AllocatedMemory();
        const std::unique_ptr<TGameListDialog> dialog = ShownList(window.Form);
        state.PauseTiming();
        // The file's own bytes are read whole; what counts is what the list adds to them.
        memory = AllocatedMemory() - before - QFileInfo(CollectionPath()).size();
        games = dialog->ShownGames->rowCount();
        state.ResumeTiming();
    }
    state.counters["games"] = games;
    state.counters["bytes_per_game"] = games > 0 ? double(memory) / games : 0;
    if (games != CollectionGames)
        state.SkipWithError("the list does not hold every game");
}
BENCHMARK(CollectionListShown)->Unit(benchmark::kMillisecond)->Iterations(3);

// A click on the White column's heading: a hundred thousand names decoded and compared.
void SortByWhite(benchmark::State &state) {
    if (CollectionPath().isEmpty()) {
        state.SkipWithError("no collection file");
        return;
    }
    TBenchWindow window;
    const std::unique_ptr<TGameListDialog> dialog = ShownList(window.Form);
    Qt::SortOrder order = Qt::AscendingOrder;
    for (auto _ : state) {
        dialog->grGames->sortByColumn(TGameListModel::WhiteColumn, order);
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
}
BENCHMARK(SortByWhite)->Unit(benchmark::kMillisecond)->Iterations(2);

// Game 1 or game 100,000, picked in the list: its text read, played and on the board.
void PickedGameOnBoard(benchmark::State &state) {
    if (CollectionPath().isEmpty()) {
        state.SkipWithError("no collection file");
        return;
    }
    TBenchWindow window;
    const std::unique_ptr<TGameListDialog> dialog = ShownList(window.Form);
    const int row = int(state.range(0)) - 1;
    dialog->grGames->setCurrentIndex(dialog->ShownGames->index(row, 0));
    for (auto _ : state) {
        const std::optional<TPickedGame> picked = dialog->CurrentGame();
        window.Form.LoadGame(CollectionGame(QStringLiteral("Файл"), picked->Text, picked->Number));
    }
    state.counters["plies"] = double(window.Form.CurrentGame->MoveRecord.size());
    if (window.Form.CurrentGame->MoveRecord.isEmpty())
        state.SkipWithError("the game did not load");
}
BENCHMARK(PickedGameOnBoard)->Arg(1)->Arg(CollectionGames)->Unit(benchmark::kMillisecond);

} // namespace
