// Figures for the window: one press on the board with no connection, as the mouse delivers it
// (hit test, the move, the whole board repainted, the notation refreshed); and over loopback,
// the time from the press that completes a move until the other window's board shows it.
#include "BenchSupport.h"
#include "ClientEndpoint.h"
#include "Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

// Knights out and back: a game that can go on for ever. From and to squares, in turn.
constexpr std::array<std::pair<int, int>, 4> KnightDance = {{{1, 18}, {57, 42}, {18, 1}, {42, 57}}};
// A long game's notation is about this many moves; the game starts again after it.
constexpr int MovesPerGame = 80;

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
        PressBoard(window.Form, from);
        state.ResumeTiming();
        PressBoard(window.Form, to);
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
        PressBoard(window.Form, 12);
    }
    if (window.Form.SelectedSquare != 12)
        state.SkipWithError("nothing was selected");
}
BENCHMARK(PressSelects)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// Two windows joined over loopback, as two computers would be.
struct TLinkedWindows {
    const quint16 Port = FreePort();
    TBenchWindow Server{ServerSettings(Port)};
    TBenchWindow Client{ClientSettings(Port)};

    TLinkedWindows() {
        Server.Form.show();
        Client.Form.show();
        Server.Form.tmConnectTimer();
        Client.Form.tmConnectTimer();
        QElapsedTimer waited;
        waited.start();
        while (!Linked() && waited.elapsed() < 5000)
            QCoreApplication::processEvents();
    }
    bool Linked() const {
        return Client.Form.ClientSocket->Active() &&
               Server.Form.ServerSocket->ConnectionCount() == 1;
    }
};

// From the press that completes a move on the server window until the client window has
// taken over the list, redrawn its board and refreshed its notation. The sender's event-loop
// passes after each send are part of it, as they are for the players.
void MoveReachesPeer(benchmark::State &state) {
    TLinkedWindows windows;
    if (!windows.Linked()) {
        state.SkipWithError("the two windows did not connect");
        return;
    }
    QElapsedTimer clock;
    qint64 shownAt = -1;
    // The notation follows right after the board has been redrawn.
    QObject::connect(windows.Client.Form.mmAnnotation, &QPlainTextEdit::textChanged,
                     [&clock, &shownAt] {
                         if (shownAt < 0)
                             shownAt = clock.nsecsElapsed();
                     });
    std::vector<double> latencies;
    int played = 0;
    for (auto _ : state) {
        if (played == MovesPerGame) {
            windows.Server.Form.btNewClick();
            windows.Client.Form.btNewClick();
            played = 0;
        }
        const auto [from, to] = KnightDance.at(played % KnightDance.size());
        PressBoard(windows.Server.Form, from);
        shownAt = -1;
        clock.start();
        PressBoard(windows.Server.Form, to);
        while (shownAt < 0 && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        if (shownAt < 0) {
            state.SkipWithError("the move did not reach the other window");
            return;
        }
        state.SetIterationTime(double(shownAt) / 1e9);
        latencies.push_back(double(shownAt) / 1e6);
        ++played;
    }
    if (windows.Client.Form.CurrentGame->MoveRecord != windows.Server.Form.CurrentGame->MoveRecord)
        state.SkipWithError("the two games differ");
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        state.counters["median_ms"] = latencies.at(latencies.size() / 2);
        state.counters["max_ms"] = latencies.back();
    }
}
BENCHMARK(MoveReachesPeer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

// One send while connected: the hand-over and the 10000 passes of the event loop after it.
void SendWhileConnected(benchmark::State &state) {
    TLinkedWindows windows;
    if (!windows.Linked()) {
        state.SkipWithError("the two windows did not connect");
        return;
    }
    for (auto _ : state) {
        if (!windows.Server.Form.SendNetMessage(QStringLiteral("s-1")))
            state.SkipWithError("the send failed");
    }
}
BENCHMARK(SendWhileConnected)->Unit(benchmark::kMillisecond)->Iterations(30);

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
