// SIGTERM (a desktop logout sends it) and SIGINT end the window or the companion as a normal
// end does, so that every destructor runs and the router's port is given back. The handler only writes
// a byte into a socket pair; the event loop reads the other end and says Received(). Should
// the ending hang, a second signal ends the program the system's way.
// One at a time; the handlers are the system's again once it goes.
#pragma once

#include <QObject>
#include <array>

class QSocketNotifier;

class TQuitSignals : public QObject {
    Q_OBJECT

public:
    explicit TQuitSignals(QObject *parent = nullptr);
    ~TQuitSignals() override;
    TQuitSignals(const TQuitSignals &) = delete;
    TQuitSignals &operator=(const TQuitSignals &) = delete;

    // False where no socket pair could be made: the signals then act as the system has them.
    bool Installed() const { return Notifier != nullptr; }

signals:
    void Received(int signal);

private:
    void Read();

    std::array<int, 2> Pair{-1, -1}; // [0] written by the handler, [1] read here
    QSocketNotifier *Notifier = nullptr;
};
