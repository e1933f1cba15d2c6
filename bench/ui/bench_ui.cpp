// Figures for the window: one press on the board with no connection, as the mouse delivers it
// (hit test, the move, the whole board repainted, the notation refreshed).
#include "BoardGrid.h"
#include "Main.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <array>

namespace {

QPoint CellCentre(const TMainForm &form, int index) {
    const QPoint cell = form.GridCellOf(index % 8, index / 8);
    return TBoardGrid::CellRect(cell.x(), cell.y()).center();
}

void Press(TMainForm &form, int index) {
    const QPointF at = CellCentre(form, index);
    QMouseEvent press(QEvent::MouseButtonPress, at, form.dgBoard->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.dgBoard, &press);
}

// Knights out and back: a game that can go on for ever. From and to squares, in turn.
constexpr std::array<std::pair<int, int>, 4> KnightDance = {
    {{1, 18}, {57, 42}, {18, 1}, {42, 57}}};
// A long game's notation is about this many moves; the game starts again after it.
constexpr int MovesPerGame = 80;

struct TBenchWindow {
    QTemporaryDir Folder;
    TMainForm Form{Folder.path()};
    TBenchWindow() { Form.tmFlicker->stop(); }
};

// The press that plays a move: TryMove, notation line, record entry, board and memo.
void PressPlaysMove(benchmark::State &state) {
    TBenchWindow window;
    int played = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (played == MovesPerGame) {
            window.Form.btNewClick();
            played = 0;
        }
        const auto [from, to] = KnightDance.at(played % KnightDance.size());
        Press(window.Form, from);
        state.ResumeTiming();
        Press(window.Form, to);
        ++played;
    }
    if (window.Form.CurrentGame->MoveRecord.size() != played)
        state.SkipWithError("a move was refused");
}
BENCHMARK(PressPlaysMove)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// The press that picks a piece up.
void PressSelects(benchmark::State &state) {
    TBenchWindow window;
    for (auto _ : state) {
        window.Form.SelectedSquare = -1;
        Press(window.Form, 12);
    }
    if (window.Form.SelectedSquare != 12)
        state.SkipWithError("nothing was selected");
}
BENCHMARK(PressSelects)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
