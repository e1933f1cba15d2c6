// Figures for opening the game port on a home router, against miniupnpd in network namespaces
// of this program's own (run as root; without them nothing is measured): from Open() to
// Opened(), by UPnP, and by NAT-PMP on a router with UPnP off, and from Close() to Closed().
#include "PortMapper.h"
#include "RouterSupport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

TRouterNetwork *Network = nullptr;
quint16 Port = 0; // free on this computer, as the game's server would take

double Seconds(const QElapsedTimer &clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

// One mapper per iteration, as a window's session has: the first Open() starts its thread.
void OpenedAfterOpen(benchmark::State &state) {
    const bool upnp = state.range(0) != 0;
    if (!Network->StartDaemon(upnp))
        return state.SkipWithError("the router's daemon did not start");
    for (auto _ : state) {
        TPortMapper mapper;
        mapper.SetEnabled(true);
        QSignalSpy opened(&mapper, &TPortMapper::Opened);
        QElapsedTimer clock;
        clock.start();
        mapper.Open(Port);
        if (!opened.wait(8000))
            return state.SkipWithError("the port was not opened");
        state.SetIterationTime(Seconds(clock));
        if (opened.front().front().value<TPortMapping>().Method !=
            (upnp ? TPortMethod::Upnp : TPortMethod::NatPmp))
            return state.SkipWithError("opened by the other method");
        QSignalSpy closed(&mapper, &TPortMapper::Closed);
        mapper.Close();
        closed.wait(8000);
    }
    Network->StopDaemon();
}
BENCHMARK(OpenedAfterOpen)
    ->ArgName("upnp")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void ClosedAfterClose(benchmark::State &state) {
    if (!Network->StartDaemon())
        return state.SkipWithError("the router's daemon did not start");
    for (auto _ : state) {
        TPortMapper mapper;
        mapper.SetEnabled(true);
        QSignalSpy opened(&mapper, &TPortMapper::Opened);
        mapper.Open(Port);
        if (!opened.wait(8000))
            return state.SkipWithError("the port was not opened");
        QSignalSpy closed(&mapper, &TPortMapper::Closed);
        QElapsedTimer clock;
        clock.start();
        mapper.Close();
        if (!closed.wait(8000))
            return state.SkipWithError("the port was not closed");
        state.SetIterationTime(Seconds(clock));
    }
    Network->StopDaemon();
}
BENCHMARK(ClosedAfterClose)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

// The namespace is made before anything else runs, while the process has one thread.
int main(int argc, char **argv) {
    const QString problem = EnterPrivateNetwork();
    QCoreApplication application(argc, argv);
    const QString unavailable = problem.isEmpty() ? TRouterNetwork::Unavailable() : problem;
    if (!unavailable.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(unavailable));
        return 1;
    }
    RemoveStaleNeighbours();
    TRouterNetwork network;
    if (!network.Ready()) {
        std::fprintf(stderr, "the router's namespaces could not be made\n");
        return 1;
    }
    Network = &network;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::AnyIPv4, 0);
        Port = probe.serverPort();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
