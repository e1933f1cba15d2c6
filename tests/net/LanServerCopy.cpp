// A server copy for the LAN tests, run inside a neighbour's namespace: one session in the
// server role that answers probes, as the program does, under the computer name given.
// Prints "listening" once it listens and answers, "opened" / "closed" for each connection.
//   lan_server_copy PORT NAME
#include "LanDiscovery.h"
#include "LanResponder.h"
#include "NetSession.h"
#include "ServerEndpoint.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <sched.h>
#include <unistd.h>

namespace {

void Say(const char *line) {
    std::puts(line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3)
        return 2;
    // A host name of its own, the rest of the computer keeps its own.
    const QByteArray name(argv[2]);
    if (::unshare(CLONE_NEWUTS) != 0 || ::sethostname(name.constData(), name.size()) != 0)
        return 3;
    const QCoreApplication application(argc, argv);
    TNetSession session;
    session.SetPort(QByteArray(argv[1]).toInt());
    session.SetRole(TNetSession::TRole::Server);
    session.Discovery().SetEnabled(true);
    QObject::connect(&session, &TNetSession::ConnectionOpened, [] { Say("opened"); });
    QObject::connect(&session, &TNetSession::ConnectionClosed, [] { Say("closed"); });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &session, &TNetSession::KeepOpen);
    tick.start(5000);
    session.KeepOpen();
    if (!session.Server().Active() || !session.Discovery().Responder().Listening())
        return 1;
    Say("listening");
    return QCoreApplication::exec();
}
