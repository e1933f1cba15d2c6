// SIGINT and SIGTERM as a Qt signal: while one of these lives, either ends nothing at once but
// is told by Stopped() on the event loop, so that what the program holds is given back before
// it ends. The handlers before it come back when it goes.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <memory>

class TStopSignals : public QObject {
    Q_OBJECT

public:
    TStopSignals();
    ~TStopSignals() override;
    TStopSignals(const TStopSignals &) = delete;
    TStopSignals &operator=(const TStopSignals &) = delete;

signals:
    void Stopped(int signal);

private:
    void Drain();

    int Pipe[2] = {-1, -1}; // the handler writes the signal's number, the loop reads it
    std::unique_ptr<QSocketNotifier> Notifier;
    struct sigaction OldInterrupt {};
    struct sigaction OldTerminate {};
};
