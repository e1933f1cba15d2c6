// The window's box «Открыть порт на роутере» against a real router: miniupnpd in network
// namespaces of the test's own, the window in this process as the home computer, the friend
// a plain socket on the internet behind the router, speaking the game's messages. The
// router's own rules are asked what it forwards. Nothing leaves the namespaces.
#include "../ui/NetTestSupport.h"
#include "NetSession.h"
#include "PortMapper.h"
#include "QuitSignals.h"
#include "RouterSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <csignal>
#include <memory>

namespace {

QString NamespaceProblem; // empty once the test has a network of its own

constexpr int RouterTimeoutMs = 8000;
const QString Opening = QStringLiteral("Открываю порт на роутере…");

// The socket receives `awaited` within a while, the event loop running meanwhile (the router's
// answers come through it too).
bool Receives(QTcpSocket &socket, const QByteArray &awaited) {
    QByteArray came;
    const QDeadlineTimer deadline(5000);
    while (!came.contains(awaited) && !deadline.hasExpired()) {
        QTest::qWait(5);
        came += socket.readAll();
    }
    return came.contains(awaited);
}

} // namespace

class TestRouterWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void friendPlaysThroughTheRouter_data();
    void friendPlaysThroughTheRouter();
    void routerLeftWithNoMapping_data();
    void routerLeftWithNoMapping();
    void pressAnsweredWhileRouterSilent();

private:
    TMainForm &Form() const { return Window->Form(); }
    QString StateLine() const { return Form().lbPortState->text(); }
    // A server window listening on a free port, its mapper switched on as the program's is.
    void OpenServerWindow() {
        Window = std::make_unique<TNetWindow>(Settings(FreePort()));
        Form().Session->PortMapper().SetEnabled(true);
        Form().tmConnectTimer();
        QVERIFY(Form().ServerSocket->Active());
        Port = Form().ServerSocket->ListeningPort();
    }
    // The player ticks the box; the line says so before the router is asked.
    void TickTheBox() {
        Form().cbOpenPort->click();
        QVERIFY(Form().cbOpenPort->isChecked());
        QCOMPARE(StateLine(), Opening);
    }
    QStringList OurMapping() const {
        return {TRouterNetwork::Mapping(Port, Network->HomeAddress())};
    }

    std::unique_ptr<TRouterNetwork> Network;
    QString Skip;
    std::unique_ptr<TNetWindow> Window;
    quint16 Port = 0;
};

void TestRouterWindow::initTestCase() {
    Skip = NamespaceProblem.isEmpty() ? TRouterNetwork::Unavailable() : NamespaceProblem;
    if (!Skip.isEmpty())
        return;
    Network = std::make_unique<TRouterNetwork>();
    if (!Network->Ready())
        Skip = QStringLiteral("the router's namespaces could not be made: skipped");
}

void TestRouterWindow::init() {
    if (!Skip.isEmpty())
        QSKIP(qPrintable(Skip));
}

void TestRouterWindow::cleanup() {
    Window.reset();
    if (Network)
        Network->StopDaemon();
}

// The friend dials the address the line shows, the line names the friend, a move goes each
// way, and a stranger dialling in meanwhile is put off while the friend plays on.
void TestRouterWindow::friendPlaysThroughTheRouter_data() {
    QTest::addColumn<bool>("upnp");
    QTest::newRow("UPnP") << true;
    QTest::newRow("UPnP off: NAT-PMP") << false;
}

void TestRouterWindow::friendPlaysThroughTheRouter() {
    QFETCH(bool, upnp);
    QVERIFY2(Network->StartDaemon(upnp), Network->DaemonLog().constData());
    OpenServerWindow();
    TickTheBox();
    const QString shown = QStringLiteral("Адрес для друга: ") + Network->ExternalAddress();
    QTRY_COMPARE_WITH_TIMEOUT(StateLine(), shown, RouterTimeoutMs);
    QVERIFY(Form().cbOpenPort->isChecked());
    QCOMPARE(Network->Mappings(), OurMapping());

    const std::unique_ptr<QTcpSocket> friendSide = Network->DialFromFriend(Port);
    QVERIFY(friendSide);
    QVERIFY(friendSide->waitForConnected(5000));
    QTRY_COMPARE(StateLine(), shown + QStringLiteral("\nПодключился ") + Network->Friend().Address);
    QTRY_COMPARE(Form().shConnect->BrushColor(), Green);

    PlayByPresses(Form(), "e2e4");
    QVERIFY(Receives(*friendSide, "l12>28"));
    friendSide->write("l12>28|52>36");
    QTRY_COMPARE(Form().CurrentGame->MoveRecord, (QStringList{"12>28", "52>36"}));

    const std::unique_ptr<QTcpSocket> stranger =
        Network->DialFromFriend(Port, TRouterNetwork::StrangerAddress());
    QVERIFY(stranger);
    QTRY_COMPARE(stranger->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(Form().Session->ConnectionCount(), 1);
    QCOMPARE(StateLine(), shown + QStringLiteral("\nПодключился ") + Network->Friend().Address);
    PlayByPresses(Form(), "g1f3");
    QVERIFY(Receives(*friendSide, "l12>28|52>36|6>21"));
    QCOMPARE(friendSide->state(), QAbstractSocket::ConnectedState);
}

// Each way the port stops being wanted gives the mapping back, whether the router had granted
// it yet or not: the router forwards nothing to this computer afterwards.
void TestRouterWindow::routerLeftWithNoMapping_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("waitForOpen");
    QTest::newRow("unticked") << "untick" << true;
    QTest::newRow("unticked while asking") << "untick" << false;
    QTest::newRow("client role") << "client" << true;
    QTest::newRow("client role while asking") << "client" << false;
    QTest::newRow("window closed") << "close" << true;
    QTest::newRow("window closed while asking") << "close" << false;
    QTest::newRow("SIGTERM") << "SIGTERM" << true;
}

void TestRouterWindow::routerLeftWithNoMapping() {
    QFETCH(QString, way);
    QFETCH(bool, waitForOpen);
    QVERIFY2(Network->StartDaemon(), Network->DaemonLog().constData());
    OpenServerWindow();
    TickTheBox();
    if (waitForOpen) {
        QTRY_VERIFY_WITH_TIMEOUT(StateLine().startsWith(u"Адрес для друга"), RouterTimeoutMs);
        QCOMPARE(Network->Mappings(), OurMapping());
    }
    if (way == u"untick" || way == u"client") {
        if (way == u"untick")
            Form().cbOpenPort->click();
        else
            Form().rbAsClient->click();
        QVERIFY(!Form().cbOpenPort->isChecked());
        // Blank once the router has heard the mapping go.
        QTRY_COMPARE_WITH_TIMEOUT(StateLine(), QString(), RouterTimeoutMs);
    } else if (way == u"close") {
        Window.reset(); // the window waits for the router as it goes
    } else {
        // As the program has it: the signal ends the event loop, and the window goes.
        const TQuitSignals quitSignals;
        QVERIFY(quitSignals.Installed());
        connect(&quitSignals, &TQuitSignals::Received, this, [this] { Window.reset(); });
        QCOMPARE(std::raise(SIGTERM), 0);
        QTRY_VERIFY(!Window);
    }
    QCOMPARE(Network->Mappings(), QStringList());
}

// The router answers nothing: the press plays the move and the peer has it while the line
// still says the router is being asked; the reason comes after.
void TestRouterWindow::pressAnsweredWhileRouterSilent() {
    QVERIFY(Network->Silence());
    OpenServerWindow();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, Port);
    QVERIFY(peer.waitForConnected(5000));
    QTRY_COMPARE(Form().shConnect->BrushColor(), Green);
    TickTheBox();
    PlayByPresses(Form(), "e2e4");
    QCOMPARE(Form().CurrentGame->MoveRecord, QStringList{"12>28"});
    QCOMPARE(StateLine(), Opening);
    QVERIFY(Receives(peer, "l12>28"));
    QCOMPARE(StateLine(), Opening);
    QTRY_VERIFY_WITH_TIMEOUT(StateLine().contains(u"не ответил"), 5000);
    QVERIFY(!Form().cbOpenPort->isChecked());
    QCOMPARE(Network->Mappings(), QStringList());
}

// The namespace is made before anything else runs, while the process has one thread.
int main(int argc, char **argv) {
    NamespaceProblem = EnterPrivateNetwork();
    QApplication application(argc, argv);
    if (NamespaceProblem.isEmpty())
        RemoveStaleNeighbours();
    TestRouterWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RouterWindow.moc"
