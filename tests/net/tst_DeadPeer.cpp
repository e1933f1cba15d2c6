// A peer whose computer vanished: its packets are dropped inside a private network namespace
// of this test, so neither side hears the other close. Both endpoints must give the connection
// up on their own, and the server's sends then go to a client that dialled in again, whose
// connection keeps the window connected.
#include "../ui/UiTestSupport.h"
#include "ClientEndpoint.h"
#include "Main.h"
#include "NetSession.h"
#include "NamespaceSupport.h"
#include "ServerEndpoint.h"
#include "Shape.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

namespace {

QString NamespaceProblem; // empty once the test has a network of its own

// Short times, so that the test takes seconds: about 3 s until a vanished peer is dropped.
const TDeadPeerTimes Quick{1, 1, 2, 3000};

// A client that dials 127.0.0.2 and vanishes, and one that comes back from 127.0.0.1 while the
// server still holds the first one's connection.
struct TVanishingClient {
    explicit TVanishingClient(quint16 port) : Port(port) {
        Vanishing.SetAddress(QStringLiteral("127.0.0.2"));
        Vanishing.SetPort(port);
        Vanishing.SetDeadPeerTimes(Quick);
        Vanishing.Open();
    }
    // Nothing reaches the vanished one and nothing of it gets out, as when its computer is
    // gone: its own keep-alive probes must not keep the server's side alive.
    bool Vanish() {
        To.emplace(QStringLiteral("to 127.0.0.2"), 10);
        From.emplace(QStringLiteral("from 127.0.0.2"), 11);
        return To->IsAdded() && From->IsAdded();
    }
    void Return() {
        Returning.SetAddress(QStringLiteral("127.0.0.1"));
        Returning.SetPort(Port);
        Returning.Open();
    }

    const quint16 Port;
    TClientEndpoint Vanishing;
    TClientEndpoint Returning;
    std::optional<TBlackholeRule> To; // removed before the endpoints end
    std::optional<TBlackholeRule> From;
};

} // namespace

class TestDeadPeer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void vanishedPeerDropped();
    void windowStaysConnected();
};

void TestDeadPeer::init() {
    if (!NamespaceProblem.isEmpty())
        QSKIP(qPrintable(NamespaceProblem));
}

void TestDeadPeer::vanishedPeerDropped() {
    TServerEndpoint server;
    server.SetPort(0);
    server.SetDeadPeerTimes(Quick);
    server.Open();
    QVERIFY(server.Active());
    TVanishingClient clients(server.ListeningPort());
    QTRY_VERIFY(clients.Vanishing.Active() && server.ConnectionCount() == 1);

    QSignalSpy serverClosed(&server, &TServerEndpoint::ConnectionClosed);
    QSignalSpy clientClosed(&clients.Vanishing, &TClientEndpoint::ConnectionClosed);
    if (!clients.Vanish())
        QSKIP("no routing rule could be added in the test's network namespace");
    QElapsedTimer clock;
    clock.start();
    clients.Return();
    QTRY_COMPARE(server.ConnectionCount(), 2);
    QVERIFY(server.Send("s12")); // to the oldest connection: the dead one, for now
    QTRY_COMPARE_WITH_TIMEOUT(serverClosed.count(), 1, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(clientClosed.count(), 1, 15000);
    qInfo("vanished peer dropped after %lld ms", clock.elapsed());
    QCOMPARE(server.ConnectionCount(), 1);
    QSignalSpy atReturning(&clients.Returning, &TClientEndpoint::MessageReceived);
    QVERIFY(server.Send("s-1"));
    QTRY_COMPARE(atReturning.count(), 1);
    QCOMPARE(atReturning.at(0).at(0).toByteArray(), QByteArray("s-1"));
}

// A laptop that slept and dialled in again before its old connection was noticed as dead: when
// the old one is dropped, the server's window still shows the connection and takes chat.
void TestDeadPeer::windowStaysConnected() {
    QTemporaryDir folder;
    const TTestWindow window(folder.path());
    window->Session->SetPort(0);
    window->ServerSocket->SetDeadPeerTimes(Quick);
    window->tmConnectTimer();
    QVERIFY(window->ServerSocket->Active());
    TVanishingClient clients(window->ServerSocket->ListeningPort());
    QTRY_COMPARE(window->shConnect->BrushColor(), QColor(0, 128, 0));
    if (!clients.Vanish())
        QSKIP("no routing rule could be added in the test's network namespace");
    clients.Return();
    QTRY_COMPARE(window->ServerSocket->ConnectionCount(), 2);
    QVERIFY(window->SendNetMessage(QStringLiteral("s12"))); // unacknowledged: dropped sooner
    QTRY_COMPARE_WITH_TIMEOUT(window->ServerSocket->ConnectionCount(), 1, 15000);

    QCOMPARE(window->shConnect->BrushColor(), QColor(0, 128, 0));
    QCOMPARE(window->shConnect->accessibleName(), "Индикатор подключения: связь есть");
    QVERIFY(!window->edChat->isReadOnly());
    QSignalSpy atReturning(&clients.Returning, &TClientEndpoint::MessageReceived);
    window->edChat->setText(QStringLiteral("снова здесь"));
    QTest::keyClick(window->edChat, Qt::Key_Return);
    QCOMPARE(window->mmChat->toPlainText(), QStringLiteral("  - снова здесь"));
    QTRY_COMPARE(atReturning.count(), 1);
}

// The namespace is made before anything else runs, while the process has one thread.
int main(int argc, char **argv) {
    NamespaceProblem = EnterPrivateNetwork();
    QApplication application(argc, argv);
    TestDeadPeer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DeadPeer.moc"
