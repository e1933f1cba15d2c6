// A peer whose computer vanished: its packets are dropped inside a private network namespace
// of this test, so neither side hears the other close. Both endpoints must give the connection
// up on their own, and the server's sends then go to a client that dialled in again.
#include "ClientEndpoint.h"
#include "NamespaceSupport.h"
#include "ServerEndpoint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

QString NamespaceProblem; // empty once the test has a network of its own

// Short times, so that the test takes seconds: about 3 s until a vanished peer is dropped.
const TDeadPeerTimes Quick{1, 1, 2, 3000};

} // namespace

class TestDeadPeer : public QObject {
    Q_OBJECT

private slots:
    void vanishedPeerDropped();
};

void TestDeadPeer::vanishedPeerDropped() {
    if (!NamespaceProblem.isEmpty())
        QSKIP(qPrintable(NamespaceProblem));
    TServerEndpoint server;
    server.SetPort(0);
    server.SetDeadPeerTimes(Quick);
    server.Open();
    QVERIFY(server.Active());
    // The one that will vanish dials 127.0.0.2; the one that comes back dials 127.0.0.1.
    TClientEndpoint vanishing;
    vanishing.SetAddress(QStringLiteral("127.0.0.2"));
    vanishing.SetPort(server.ListeningPort());
    vanishing.SetDeadPeerTimes(Quick);
    vanishing.Open();
    QTRY_VERIFY(vanishing.Active() && server.ConnectionCount() == 1);

    QSignalSpy serverClosed(&server, &TServerEndpoint::ConnectionClosed);
    QSignalSpy clientClosed(&vanishing, &TClientEndpoint::ConnectionClosed);
    // Nothing reaches the vanished one and nothing of it gets out, as when its computer is gone:
    // its own keep-alive probes must not keep the server's side alive.
    if (!RunShell(QStringLiteral("ip rule add pref 100 lookup local && ip rule del pref 0 && "
                                 "ip rule add pref 10 to 127.0.0.2 blackhole && "
                                 "ip rule add pref 11 from 127.0.0.2 blackhole")))
        QSKIP("no routing rule could be added in the test's network namespace");
    QElapsedTimer clock;
    clock.start();
    TClientEndpoint returning;
    returning.SetAddress(QStringLiteral("127.0.0.1"));
    returning.SetPort(server.ListeningPort());
    returning.Open();
    QTRY_COMPARE(server.ConnectionCount(), 2);
    QVERIFY(server.Send("s12")); // to the oldest connection: the dead one, for now
    QTRY_COMPARE_WITH_TIMEOUT(serverClosed.count(), 1, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(clientClosed.count(), 1, 15000);
    qInfo("vanished peer dropped after %lld ms", clock.elapsed());
    QCOMPARE(server.ConnectionCount(), 1);
    QSignalSpy atReturning(&returning, &TClientEndpoint::MessageReceived);
    QVERIFY(server.Send("s-1"));
    QTRY_COMPARE(atReturning.count(), 1);
    QCOMPARE(atReturning.at(0).at(0).toByteArray(), QByteArray("s-1"));
}

// The namespace is made before anything else runs, while the process has one thread.
int main(int argc, char **argv) {
    NamespaceProblem = EnterPrivateNetwork();
    QCoreApplication application(argc, argv);
    TestDeadPeer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DeadPeer.moc"
