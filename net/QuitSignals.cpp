#include "QuitSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array QuitSignalNumbers = {SIGTERM, SIGINT};

// Where the handler writes; the handler may touch nothing else.
volatile sig_atomic_t HandlerEnd = -1;

void WriteSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(HandlerEnd, &number, 1);
    errno = savedErrno;
}

void SetHandler(int signal, void (*handler)(int), int flags) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

TQuitSignals::TQuitSignals(QObject *parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, Pair.data()) != 0)
        return;
    HandlerEnd = Pair[0];
    Notifier = new QSocketNotifier(Pair[1], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TQuitSignals::Read);
    // Reset at the first: a second signal is not caught.
    for (const int signal : QuitSignalNumbers)
        SetHandler(signal, WriteSignal, SA_RESTART | SA_RESETHAND);
}

TQuitSignals::~TQuitSignals() {
    if (!Installed())
        return;
    for (const int signal : QuitSignalNumbers)
        SetHandler(signal, SIG_DFL, 0);
    HandlerEnd = -1;
    ::close(Pair[0]);
    ::close(Pair[1]);
}

void TQuitSignals::Read() {
    unsigned char number = 0;
    while (::read(Pair[1], &number, 1) == 1)
        emit Received(number);
}
