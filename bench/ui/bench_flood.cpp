// Figures for the window under a hostile peer: while a peer floods the server window with
// 1000 messages a second (byte garbage, move lists shorter than the game, or a mix), presses
// on the board arrive as a person's would, queued behind whatever the window is doing. The
// figure is the time from a press entering the queue until the board handles it; besides it,
// how far behind the window still was when the flood ended, and how many lists it sent back.
#include "BenchSupport.h"
#include "Main.h"
#include "Record.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QRandomGenerator>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

enum class TFlood { Garbage, ShortLists, Mixed };

constexpr int MessagesPerSecond = 1000;
constexpr int FloodSeconds = 5;
constexpr int PressEveryMessages = 100; // ten presses a second
// Presses still queued this long after the flood count as lost.
constexpr int GiveUpMs = 60000;

// Knights out and back, as many moves as asked.
QStringList KnightGame(int moves) {
    static const QStringList dance = {"1>18", "57>42", "18>1", "42>57"};
    QStringList game;
    for (int i = 0; i < moves; ++i)
        game.append(dance.at(i % dance.size()));
    return game;
}

constexpr int GameLength = 40;

QByteArray FloodMessage(TFlood flood, int i, QRandomGenerator &random) {
    // No lower-case letter, so no message ever starts in it: all of it waits for its end.
    const auto garbage = [&random] {
        QByteArray bytes(16, '\0');
        for (char &byte : bytes)
            byte = static_cast<char>(random.bounded('A', 'Z' + 1));
        return bytes;
    };
    const auto shorter = [i] { return 'l' + KnightGame(i % GameLength).join('|').toLatin1(); };
    switch (flood) {
    case TFlood::Garbage:
        return garbage();
    case TFlood::ShortLists:
        return shorter();
    case TFlood::Mixed:
        break;
    }
    switch (i % 4) {
    case 0:
        return garbage();
    case 1:
        return shorter();
    case 2:
        return "s12";
    default:
        return "m  - flood";
    }
}

// Reads what the window sent back and drops it; counts the move lists among it (no other byte
// the window sends is an "l").
void Drain(int socketFd, std::vector<char> &sink, std::atomic<int> *lists) {
    ssize_t got = 0;
    while ((got = ::recv(socketFd, sink.data(), sink.size(), MSG_DONTWAIT)) > 0)
        *lists += int(std::count(sink.data(), sink.data() + got, 'l'));
}

// Delivered on the GUI thread when the event loop gets to it; presses the board then.
class TQueuedPress : public QEvent {
public:
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    explicit TQueuedPress(TClock::time_point posted) : QEvent(Kind()), Posted(posted) {}
    const TClock::time_point Posted;
};

class TPresser : public QObject {
public:
    explicit TPresser(TMainForm &form) : Form(form) {}
    std::vector<double> WaitedMs;

protected:
    bool event(QEvent *event) override {
        if (event->type() != TQueuedPress::Kind())
            return QObject::event(event);
        const auto posted = static_cast<const TQueuedPress *>(event)->Posted;
        WaitedMs.push_back(
            std::chrono::duration<double, std::milli>(TClock::now() - posted).count());
        PressBoard(Form, Square("e2"));
        return true;
    }

private:
    TMainForm &Form;
};

// The peer: a plain socket on a thread of its own, so that it keeps writing however busy the
// window is; what the window sends back is read and dropped.
void Flood(quint16 port, TFlood flood, TPresser *presser, std::atomic<int> *posted,
           std::atomic<int> *lists) {
    const int socketFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socketFd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(socketFd);
        return;
    }
    const int one = 1;
    ::setsockopt(socketFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    QRandomGenerator random(7);
    std::vector<char> sink(1 << 16);
    auto next = TClock::now();
    for (int i = 0; i < MessagesPerSecond * FloodSeconds; ++i) {
        const QByteArray message = FloodMessage(flood, i, random);
        if (::send(socketFd, message.constData(), message.size(), MSG_NOSIGNAL) < 0)
            break;
        Drain(socketFd, sink, lists);
        if (i % PressEveryMessages == 0) {
            QCoreApplication::postEvent(presser, new TQueuedPress(TClock::now()));
            ++*posted;
        }
        next += std::chrono::microseconds(1000000 / MessagesPerSecond);
        std::this_thread::sleep_until(next);
    }
    // Stays connected until the window has caught up, as a peer that merely went quiet.
    while (presser->WaitedMs.size() < static_cast<std::size_t>(posted->load()) &&
           TClock::now() < next + std::chrono::milliseconds(GiveUpMs)) {
        Drain(socketFd, sink, lists);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::close(socketFd);
}

void PressDuringFlood(benchmark::State &state, TFlood flood) {
    TBenchWindow window(ServerSettings(FreePort()));
    window.Form.show();
    window.Form.CurrentGame->ReplayMoves(KnightGame(GameLength));
    window.Form.tmConnectTimer();
    const quint16 port = ListeningPortOf(window.Form);
    if (port == 0) {
        state.SkipWithError("the window does not listen");
        return;
    }
    for (auto _ : state) {
        TPresser presser(window.Form);
        std::atomic<int> posted = 0;
        std::atomic<int> lists = 0;
        std::thread peer(Flood, port, flood, &presser, &posted, &lists);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < FloodSeconds * 1000 ||
               presser.WaitedMs.size() < static_cast<std::size_t>(posted.load())) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (clock.elapsed() > FloodSeconds * 1000 + GiveUpMs)
                break;
        }
        peer.join();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        std::vector<double> waited = presser.WaitedMs;
        std::sort(waited.begin(), waited.end());
        state.counters["presses"] = double(waited.size());
        // How far behind the flood the window was when the peer stopped.
        state.counters["behind_ms"] = double(clock.elapsed() - FloodSeconds * 1000);
        state.counters["lost"] = double(posted.load() - int(waited.size()));
        // Move lists sent back: one per press, and the answers to the flood.
        state.counters["lists_back"] = double(lists.load());
        if (!waited.empty()) {
            state.counters["median_ms"] = waited.at(waited.size() / 2);
            state.counters["p90_ms"] = waited.at(waited.size() * 9 / 10);
            state.counters["max_ms"] = waited.back();
        }
    }
    if (window.Form.CurrentGame->MoveRecord != KnightGame(GameLength))
        state.SkipWithError("the flood changed the game");
}

BENCHMARK_CAPTURE(PressDuringFlood, garbage, TFlood::Garbage)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(PressDuringFlood, short_lists, TFlood::ShortLists)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(PressDuringFlood, mixed, TFlood::Mixed)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
