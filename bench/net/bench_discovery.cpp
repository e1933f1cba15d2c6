// Figures for finding each other on the LAN, between network namespaces of this program's own
// (run as root; without them nothing is measured): how soon an empty address field is filled
// once the client role is chosen, how fast a burst of probes is answered up to the limit, and
// what a flood of 10 000 probes costs the server.
#include "DiscoveryMessage.h"
#include "LanDiscovery.h"
#include "LanSupport.h"
#include "Main.h"
#include "NetSession.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

TNeighbour *Neighbour = nullptr;
TServerCopy *Server = nullptr;
quint16 Port = 0;

double Seconds(const QElapsedTimer &clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

int TakeAnswers(QUdpSocket &socket) {
    int answers = 0;
    while (socket.hasPendingDatagrams()) {
        QByteArray datagram(MaxDiscoveryDatagram + 1, Qt::Uninitialized);
        datagram.truncate(socket.readDatagram(datagram.data(), datagram.size()));
        answers += ParseAnswer(datagram).has_value() ? 1 : 0;
    }
    return answers;
}

QByteArray Probe(int number) {
    return ProbeDatagram(QByteArray::number(number, 16).rightJustified(DiscoveryNonceLength, '0'));
}

// From the click on the client role, with an empty address field, to the field filled by
// itself with the one server's address.
void FieldFilledAfterClientRole(benchmark::State &state) {
    const QTemporaryDir folder;
    QFile settings(QDir(folder.path()).filePath(QStringLiteral("Korvalen.ini")));
    if (!settings.open(QIODevice::WriteOnly))
        return state.SkipWithError("no settings file");
    settings.write(QStringLiteral("[Network]\nPort=%1\nServerIP=\n").arg(Port).toLatin1());
    settings.close();
    TMainForm form(folder.path());
    form.tmConnect->stop();
    form.Session->Discovery().SetEnabled(true);
    for (auto _ : state) {
        form.rbAsServer->click();
        form.edServerIP->clear();
        QElapsedTimer clock;
        clock.start();
        form.rbAsClient->click();
        while (form.edServerIP->text().isEmpty() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        state.SetIterationTime(Seconds(clock));
        if (form.edServerIP->text() != Neighbour->Address)
            return state.SkipWithError("the field was not filled with the server's address");
    }
}
BENCHMARK(FieldFilledAfterClientRole)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// 20 probes at once, as many as are answered in one second (one of the 20 answers is the
// broadcast copy): how soon the last answer is back.
void BurstAnswered(benchmark::State &state) {
    QUdpSocket socket;
    socket.bind(QHostAddress::AnyIPv4, 0);
    const QHostAddress to(Neighbour->Address);
    int answers = 0;
    double seconds = 0;
    for (auto _ : state) {
        QTest::qWait(1100); // the last burst's second is over
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 20; ++i)
            socket.writeDatagram(Probe(i), to, Port);
        qint64 lastAnswer = 0;
        while (clock.elapsed() < 500) {
            socket.waitForReadyRead(20);
            const int got = TakeAnswers(socket);
            if (got > 0) {
                lastAnswer = clock.nsecsElapsed();
                answers += got;
            }
        }
        state.SetIterationTime(static_cast<double>(lastAnswer) / 1e9);
        seconds += static_cast<double>(lastAnswer) / 1e9;
    }
    state.counters["answers"] = benchmark::Counter(answers, benchmark::Counter::kAvgIterations);
    state.counters["answers_per_second"] = seconds > 0 ? answers / seconds : 0;
}
BENCHMARK(BurstAnswered)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

// 10 000 probes as fast as they go: the server's processor time and the answers it gave.
void Flood(benchmark::State &state) {
    QUdpSocket socket;
    socket.bind(QHostAddress::AnyIPv4, 0);
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
    const QHostAddress to(Neighbour->Address);
    qint64 cpu = 0;
    int answers = 0;
    for (auto _ : state) {
        QTest::qWait(1100);
        TakeAnswers(socket);
        const qint64 cpuBefore = Server->CpuMilliseconds();
        QElapsedTimer clock;
        clock.start();
        for (int sent = 0; sent < 10000;) {
            const QByteArray probe = Probe(sent);
            if (socket.writeDatagram(probe, to, Port) == probe.size())
                ++sent;
            else
                QTest::qWait(1);
            answers += TakeAnswers(socket);
        }
        state.SetIterationTime(Seconds(clock));
        QTest::qWait(200); // the server reads what is still queued
        answers += TakeAnswers(socket);
        cpu += Server->CpuMilliseconds() - cpuBefore;
    }
    state.counters["server_cpu_ms"] =
        benchmark::Counter(static_cast<double>(cpu), benchmark::Counter::kAvgIterations);
    state.counters["answers"] = benchmark::Counter(answers, benchmark::Counter::kAvgIterations);
}
BENCHMARK(Flood)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    const QString problem = EnterPrivateNetwork();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    TNeighbour neighbour(1);
    Port = FreeLanPort();
    TServerCopy server(neighbour, Port, QStringLiteral("kitchen-pc"));
    if (!neighbour.Ready() || !server.Listening()) {
        std::fprintf(stderr, "no server copy in a neighbour namespace\n");
        return 1;
    }
    Neighbour = &neighbour;
    Server = &server;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
