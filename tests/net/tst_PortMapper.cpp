// Opening the game port on a real router: miniupnpd in a network namespace of the test's own,
// with the home computer (this process), another computer of the home, and the friend's
// computer on the internet behind the router. The router's own rules are asked what it
// forwards. Nothing leaves the namespaces.
#include "PortMapper.h"
#include "RouterSupport.h"
#include "SsdpSearch.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <csignal>
#include <memory>

namespace {

QString NamespaceProblem; // empty once the test has a network of its own

constexpr int MapperTimeoutMs = 8000;

// The next bytes the socket reads, waiting for them.
QByteArray Receive(QTcpSocket &socket) {
    if (socket.bytesAvailable() == 0)
        socket.waitForReadyRead(5000);
    return socket.readAll();
}

// A port of this computer that nothing uses now, as the game's server would take.
quint16 FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4, 0) ? probe.serverPort() : 0;
}

// The companion keeping the port open, as a user starts it.
class TCompanion {
public:
    explicit TCompanion(quint16 port) {
        EndWithThisProcess(Process);
        Process.start(
            QStringLiteral(KORVALEN_KVL),
            {QStringLiteral("open-port"), QStringLiteral("--port"), QString::number(port)});
    }
    QByteArray FirstLine() {
        while (!Process.canReadLine() && Process.waitForReadyRead(MapperTimeoutMs)) {
        }
        return Process.readLine();
    }
    QProcess Process;
};

} // namespace

class TestPortMapper : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void addressKinds_data();
    void addressKinds();
    void searchAnswers_data();
    void searchAnswers();
    void friendReachesTheServer_data();
    void friendReachesTheServer();
    void portForwardedToAnother_data();
    void portForwardedToAnother();
    void noRouter();
    void leaseRenewed_data();
    void leaseRenewed();
    void mappingGoes_data();
    void mappingGoes();
    void companionLeavesNoMapping_data();
    void companionLeavesNoMapping();
    void companionWithoutRouter();

private:
    std::unique_ptr<TRouterNetwork> Network;
    QString Skip;
};

void TestPortMapper::initTestCase() {
    Skip = NamespaceProblem.isEmpty() ? TRouterNetwork::Unavailable() : NamespaceProblem;
    if (!Skip.isEmpty())
        return;
    Network = std::make_unique<TRouterNetwork>();
    if (!Network->Ready())
        Skip = QStringLiteral("the router's namespaces could not be made: skipped");
}

// Every case but the two tables needs the namespaces.
void TestPortMapper::init() {
    const QByteArray function(QTest::currentTestFunction());
    if (!Skip.isEmpty() && function != "addressKinds" && function != "searchAnswers")
        QSKIP(qPrintable(Skip));
}

void TestPortMapper::cleanup() {
    if (Network)
        Network->StopDaemon();
}

// Only a public address helps the friend; the rest say where the router sits.
void TestPortMapper::addressKinds_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<TAddressKind>("kind");
    const auto row = [](const char *address, TAddressKind kind) {
        QTest::newRow(address) << QString::fromLatin1(address) << kind;
    };
    row("203.0.113.7", TAddressKind::Public);
    row("9.255.255.255", TAddressKind::Public);
    row("11.0.0.0", TAddressKind::Public);
    row("10.0.0.0", TAddressKind::Private);
    row("10.255.255.255", TAddressKind::Private);
    row("172.15.255.255", TAddressKind::Public);
    row("172.16.0.1", TAddressKind::Private);
    row("172.31.255.255", TAddressKind::Private);
    row("172.32.0.0", TAddressKind::Public);
    row("192.167.255.255", TAddressKind::Public);
    row("192.168.1.1", TAddressKind::Private);
    row("192.169.0.0", TAddressKind::Public);
    row("100.63.255.255", TAddressKind::Public);
    row("100.64.0.1", TAddressKind::Shared);
    row("100.127.255.254", TAddressKind::Shared);
    row("100.128.0.0", TAddressKind::Public);
    row("169.254.0.1", TAddressKind::LinkLocal);
    row("169.255.0.1", TAddressKind::Public);
    row("0.0.0.0", TAddressKind::Other);
    row("127.0.0.1", TAddressKind::Other);
    row("255.255.255.255", TAddressKind::Other);
    row("::ffff:100.64.1.2", TAddressKind::Shared);
    row("2001:db8::1", TAddressKind::Other);
    QTest::newRow("none") << QString() << TAddressKind::Other;
}

void TestPortMapper::addressKinds() {
    QFETCH(QString, address);
    QFETCH(TAddressKind, kind);
    QCOMPARE(ClassifyExternalAddress(QHostAddress(address)), kind);
}

// Only a device's answer to the search names the description to read, by plain HTTP.
void TestPortMapper::searchAnswers_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("location");
    const QByteArray url = "http://10.213.1.2:38053/rootDesc.xml";
    QTest::newRow("router") << "HTTP/1.1 200 OK\r\nST: upnp:rootdevice\r\nLOCATION: " + url +
                                   "\r\nSERVER: x\r\n\r\n"
                            << url;
    QTest::newRow("lower case, HTTP/1.0") << "HTTP/1.0 200 OK\nlocation:" + url + "\n\n" << url;
    QTest::newRow("another device's notice") << "NOTIFY * HTTP/1.1\r\nLOCATION: " + url + "\r\n\r\n"
                                             << QByteArray();
    QTest::newRow("not found") << "HTTP/1.1 404 Not Found\r\nLOCATION: " + url + "\r\n\r\n"
                               << QByteArray();
    QTest::newRow("https") << QByteArray("HTTP/1.1 200 OK\r\nLOCATION: https://a/b\r\n\r\n")
                           << QByteArray();
    QTest::newRow("space inside") << QByteArray("HTTP/1.1 200 OK\r\nLOCATION: http://a/b c\r\n\r\n")
                                  << QByteArray();
    QTest::newRow("none") << QByteArray("HTTP/1.1 200 OK\r\n\r\n") << QByteArray();
}

void TestPortMapper::searchAnswers() {
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, location);
    QCOMPARE(TSsdpSearch::LocationOf(answer), location);
}

// The friend dials the address shown and the bytes go both ways through the router; closing
// leaves the router forwarding nothing.
void TestPortMapper::friendReachesTheServer_data() {
    QTest::addColumn<bool>("upnp");
    QTest::addColumn<TPortMethod>("method");
    QTest::newRow("UPnP") << true << TPortMethod::Upnp;
    QTest::newRow("UPnP off: NAT-PMP") << false << TPortMethod::NatPmp;
}

void TestPortMapper::friendReachesTheServer() {
    QFETCH(bool, upnp);
    QFETCH(TPortMethod, method);
    QVERIFY2(Network->StartDaemon(upnp), Network->DaemonLog().constData());
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::AnyIPv4, 0));
    TPortMapper mapper;
    mapper.SetEnabled(true);
    QSignalSpy opened(&mapper, &TPortMapper::Opened);
    QSignalSpy failed(&mapper, &TPortMapper::Failed);
    mapper.Open(server.serverPort());
    QVERIFY2(opened.wait(MapperTimeoutMs),
             qPrintable(failed.isEmpty() ? QString() : failed.front().back().toString()));
    const auto mapping = opened.front().front().value<TPortMapping>();
    QCOMPARE(mapping.External, QHostAddress(Network->ExternalAddress()));
    QCOMPARE(mapping.Port, server.serverPort());
    QCOMPARE(mapping.Method, method);
    QVERIFY(mapper.IsOpen());
    QCOMPARE(Network->Mappings(),
             QStringList{TRouterNetwork::Mapping(server.serverPort(), Network->HomeAddress())});

    const std::unique_ptr<QTcpSocket> friendSide = Network->DialFromFriend(mapping.Port);
    QVERIFY(friendSide);
    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket *home = server.nextPendingConnection();
    QCOMPARE(home->peerAddress(), QHostAddress(Network->Friend().Address));
    QVERIFY(friendSide->waitForConnected(5000));
    friendSide->write("l12>28");
    QVERIFY(friendSide->waitForBytesWritten(5000));
    QCOMPARE(Receive(*home), QByteArray("l12>28"));
    home->write("l52>36");
    QVERIFY(home->waitForBytesWritten(5000));
    QCOMPARE(Receive(*friendSide), QByteArray("l52>36"));

    QSignalSpy closed(&mapper, &TPortMapper::Closed);
    mapper.Close();
    QVERIFY(!mapper.IsOpen());
    QVERIFY(closed.wait(MapperTimeoutMs));
    QCOMPARE(Network->Mappings(), QStringList());
}

// Another computer of the home has the port: the answer is that, never another port, and
// the other computer keeps its forwarding.
void TestPortMapper::portForwardedToAnother_data() {
    QTest::addColumn<bool>("upnp");
    QTest::newRow("UPnP: the router's table says so") << true;
    QTest::newRow("NAT-PMP: another port offered, given back") << false;
}

void TestPortMapper::portForwardedToAnother() {
    QFETCH(bool, upnp);
    QVERIFY2(Network->StartDaemon(upnp), Network->DaemonLog().constData());
    const quint16 port = FreePort();
    QVERIFY(Network->ForwardToOther(port, upnp));
    TPortMapper mapper;
    mapper.SetEnabled(true);
    QSignalSpy failed(&mapper, &TPortMapper::Failed);
    QSignalSpy opened(&mapper, &TPortMapper::Opened);
    mapper.Open(port);
    QVERIFY(failed.wait(MapperTimeoutMs));
    QCOMPARE(failed.front().front().value<TPortFailure>(), TPortFailure::PortTaken);
    QCOMPARE(opened.count(), 0);
    QVERIFY(!mapper.IsOpen());
    QCOMPARE(Network->Mappings(),
             QStringList{TRouterNetwork::Mapping(port, Network->OtherAddress())});
}

// The router runs neither UPnP nor NAT-PMP: the answer comes within five seconds.
void TestPortMapper::noRouter() {
    TPortMapper mapper;
    mapper.SetEnabled(true);
    QSignalSpy failed(&mapper, &TPortMapper::Failed);
    mapper.Open(FreePort());
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.front().front().value<TPortFailure>(), TPortFailure::NoRouter);
    QVERIFY(!mapper.IsOpen());
}

// A short lease is renewed before it runs out, while the other computer's, not renewed, ends
// (which shows that the router does end leases). A router restarted with an empty table (and
// its UPnP service on another port) gets the mapping back at the next renewal. A router gone
// away fails the renewal, and the mapper says so rather than show a port no longer open.
void TestPortMapper::leaseRenewed_data() {
    QTest::addColumn<bool>("upnp");
    QTest::addColumn<QString>("router");
    QTest::newRow("UPnP") << true << "kept";
    QTest::newRow("NAT-PMP") << false << "kept";
    QTest::newRow("UPnP, router restarted") << true << "restarted";
    QTest::newRow("NAT-PMP, router gone") << false << "gone";
}

void TestPortMapper::leaseRenewed() {
    QFETCH(bool, upnp);
    QFETCH(QString, router);
    // The router counts leases in whole seconds: half of 4 leaves a second to spare.
    constexpr int leaseSeconds = 4;
    QVERIFY2(Network->StartDaemon(upnp), Network->DaemonLog().constData());
    const quint16 port = FreePort();
    const quint16 otherPort = FreePort() + 1;
    if (router == u"kept")
        QVERIFY(Network->ForwardToOther(otherPort, upnp, leaseSeconds));
    TPortMapper mapper;
    mapper.SetEnabled(true);
    mapper.SetLeaseSeconds(leaseSeconds);
    QSignalSpy opened(&mapper, &TPortMapper::Opened);
    QSignalSpy failed(&mapper, &TPortMapper::Failed);
    mapper.Open(port);
    QVERIFY(opened.wait(MapperTimeoutMs));
    const QStringList ours{TRouterNetwork::Mapping(port, Network->HomeAddress())};
    if (router == u"gone") {
        Network->StopDaemon();
        QVERIFY(failed.wait(MapperTimeoutMs));
        QCOMPARE(failed.front().front().value<TPortFailure>(), TPortFailure::NoRouter);
        QVERIFY(!mapper.IsOpen());
        return;
    }
    if (router == u"restarted") {
        QVERIFY(Network->StartDaemon(upnp));
        QCOMPARE(Network->Mappings(), QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(Network->Mappings(), ours, 3 * leaseSeconds * 1000);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!Network->Mappings().contains(
                                     TRouterNetwork::Mapping(otherPort, Network->OtherAddress())),
                                 3 * leaseSeconds * 1000);
        QTest::qWait(1000); // past our first lease too, made after the other one
        QCOMPARE(Network->Mappings(), ours);
    }
    QVERIFY(mapper.IsOpen());
    QCOMPARE(failed.count(), 0);
}

// Each way a mapping ends leaves the router forwarding nothing of ours; a later request
// replaces one still under way.
void TestPortMapper::mappingGoes_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("waitForOpen");
    QTest::newRow("mapper destroyed") << "destroy" << true;
    QTest::newRow("destroyed while asking") << "destroy" << false;
    QTest::newRow("closed while asking") << "close" << false;
    QTest::newRow("another port") << "port" << true;
    QTest::newRow("another port while asking") << "port" << false;
}

void TestPortMapper::mappingGoes() {
    QFETCH(QString, way);
    QFETCH(bool, waitForOpen);
    QVERIFY2(Network->StartDaemon(), Network->DaemonLog().constData());
    const quint16 port = FreePort();
    auto mapper = std::make_unique<TPortMapper>();
    mapper->SetEnabled(true);
    QSignalSpy opened(mapper.get(), &TPortMapper::Opened);
    QSignalSpy closed(mapper.get(), &TPortMapper::Closed);
    mapper->Open(port);
    if (waitForOpen) {
        QVERIFY(opened.wait(MapperTimeoutMs));
        QCOMPARE(Network->Mappings(),
                 QStringList{TRouterNetwork::Mapping(port, Network->HomeAddress())});
    }
    QStringList left;
    if (way == u"close") {
        mapper->Close();
        QVERIFY(closed.wait(MapperTimeoutMs));
        QCOMPARE(opened.count(), waitForOpen ? 1 : 0);
    } else if (way == u"destroy") {
        mapper.reset();
    } else {
        const quint16 otherPort = port + 1;
        opened.clear();
        mapper->Open(otherPort);
        QVERIFY(opened.wait(MapperTimeoutMs));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.front().front().value<TPortMapping>().Port, otherPort);
        left.append(TRouterNetwork::Mapping(otherPort, Network->HomeAddress()));
    }
    QCOMPARE(Network->Mappings(), left);
}

// The companion prints the address, keeps the port open until stopped, then gives it back.
void TestPortMapper::companionLeavesNoMapping_data() {
    QTest::addColumn<int>("stop");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestPortMapper::companionLeavesNoMapping() {
    QFETCH(int, stop);
    QVERIFY2(Network->StartDaemon(), Network->DaemonLog().constData());
    const quint16 port = FreePort();
    TCompanion companion(port);
    QCOMPARE(companion.FirstLine(),
             QStringLiteral("%1 %2 upnp\n").arg(Network->ExternalAddress()).arg(port).toLatin1());
    QCOMPARE(Network->Mappings(),
             QStringList{TRouterNetwork::Mapping(port, Network->HomeAddress())});
    ::kill(static_cast<pid_t>(companion.Process.processId()), stop);
    QVERIFY(companion.Process.waitForFinished(MapperTimeoutMs));
    QCOMPARE(companion.Process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(companion.Process.exitCode(), 0);
    QCOMPARE(Network->Mappings(), QStringList());
}

// No router: the companion says why on standard error and ends with status 1.
void TestPortMapper::companionWithoutRouter() {
    TCompanion companion(FreePort());
    QVERIFY(companion.Process.waitForFinished(MapperTimeoutMs));
    QCOMPARE(companion.Process.exitCode(), 1);
    QVERIFY(companion.Process.readAllStandardOutput().isEmpty());
    QVERIFY(companion.Process.readAllStandardError().contains("no router answered"));
}

int main(int argc, char **argv) {
    NamespaceProblem = EnterPrivateNetwork();
    QCoreApplication application(argc, argv);
    if (NamespaceProblem.isEmpty())
        RemoveStaleNeighbours();
    TestPortMapper test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PortMapper.moc"
