#include "StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// The one pipe the handlers write to; a handler may touch nothing but this.
volatile sig_atomic_t SignalPipe = -1;

void Tell(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    if (SignalPipe >= 0) {
        // A full pipe has a stop in it already.
        [[maybe_unused]] const ssize_t written = ::write(SignalPipe, &number, 1);
    }
}

} // namespace

TStopSignals::TStopSignals() {
    if (::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    SignalPipe = Pipe[1];
    Notifier = std::make_unique<QSocketNotifier>(Pipe[0], QSocketNotifier::Read);
    connect(Notifier.get(), &QSocketNotifier::activated, this, &TStopSignals::Drain);
    struct sigaction action {};
    action.sa_handler = Tell;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &OldInterrupt);
    ::sigaction(SIGTERM, &action, &OldTerminate);
}

TStopSignals::~TStopSignals() {
    if (Pipe[0] < 0)
        return;
    ::sigaction(SIGINT, &OldInterrupt, nullptr);
    ::sigaction(SIGTERM, &OldTerminate, nullptr);
    SignalPipe = -1;
    Notifier.reset();
    ::close(Pipe[0]);
    ::close(Pipe[1]);
}

void TStopSignals::Drain() {
    unsigned char number = 0;
    while (::read(Pipe[0], &number, 1) == 1)
        emit Stopped(number);
}
