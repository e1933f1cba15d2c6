// The two endpoints over real loopback TCP, on ports the system picks.
#include "ClientEndpoint.h"
#include "MessageSplitter.h"
#include "Protocol.h"
#include "ServerEndpoint.h"
#include "TextCodec.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>

using TMessages = QList<QByteArray>;

namespace {

// Long enough for a loopback connection that was going to come about to have done so.
constexpr int SettleMs = 300;

TMessages Received(const QSignalSpy &spy) {
    TMessages messages;
    for (const QList<QVariant> &arguments : spy)
        messages.append(arguments.at(0).toByteArray());
    return messages;
}

// A listening server endpoint on a free port.
std::unique_ptr<TServerEndpoint> ListeningServer() {
    auto server = std::make_unique<TServerEndpoint>();
    server->SetPort(0);
    server->Open();
    return server;
}

std::unique_ptr<TClientEndpoint> ClientOf(const TServerEndpoint &server,
                                          const QString &address = "127.0.0.1") {
    auto client = std::make_unique<TClientEndpoint>();
    client->SetAddress(address);
    client->SetPort(server.ListeningPort());
    return client;
}

} // namespace

class TestEndpoints : public QObject {
    Q_OBJECT

private slots:
    void connectBothSides();
    void messagesBothWays_data();
    void messagesBothWays();
    void twoClients();
    void secondPeer();
    void serverCloseEndsEveryConnection();
    void clientClose();
    void clientRefusesAddress_data();
    void clientRefusesAddress();
    void reopenAfterRefusal();
    void pendingAttemptAbandoned();
    void portInUseLeavesInactive();
    void sendWithoutConnection();
    void cyrillicChatOnTheWire();
    void messagesCutByTheNetwork();
    void peerLeavesRightAfterSending();
    void closeInsideHandlerStopsDelivery();
    void nestedEventLoopKeepsOrder();
};

void TestEndpoints::connectBothSides() {
    const auto server = ListeningServer();
    QVERIFY(server->Active());
    QVERIFY(server->ListeningPort() != 0);
    const auto client = ClientOf(*server);
    QSignalSpy serverOpened(server.get(), &TServerEndpoint::ConnectionOpened);
    QSignalSpy clientOpened(client.get(), &TClientEndpoint::ConnectionOpened);
    QVERIFY(!client->Active());
    client->Open();
    QVERIFY(!client->Active()); // pending, not yet connected
    QTRY_COMPARE(clientOpened.count(), 1);
    QTRY_COMPARE(serverOpened.count(), 1);
    QVERIFY(client->Active());
    QVERIFY(server->Active());
    QCOMPARE(server->ConnectionCount(), 1);
    client->Open(); // connected: left alone
    QTest::qWait(SettleMs);
    QCOMPARE(serverOpened.count(), 1);
    QVERIFY(client->Active());
}

void TestEndpoints::messagesBothWays_data() {
    QTest::addColumn<TMessages>("messages");
    QTest::newRow("a press") << TMessages{"l", "s12"};
    QTest::newRow("a move") << TMessages{"l12>28", "s-1"};
    QTest::newRow("take-back") << TMessages{"rQuest", "rNo", "rQuest", "rYes"};
    QByteArrayList entries;
    for (int i = 0; i < 400; ++i)
        entries.append(QByteArray::number(i % 64) + '>' + QByteArray::number((i * 5) % 64));
    QTest::newRow("list longer than a packet") << TMessages{'l' + entries.join('|'), "s-1"};
    QTest::newRow("chat between") << TMessages{"s3", EncodeText(ChatMessage("ход е2-е4")), "s-1"};
}

// Every message sent in a row arrives whole and once, however TCP packs them.
void TestEndpoints::messagesBothWays() {
    QFETCH(TMessages, messages);
    const auto server = ListeningServer();
    const auto client = ClientOf(*server);
    QSignalSpy serverOpened(server.get(), &TServerEndpoint::ConnectionOpened);
    client->Open();
    QTRY_VERIFY(client->Active() && serverOpened.count() == 1);

    QSignalSpy atServer(server.get(), &TServerEndpoint::MessageReceived);
    QSignalSpy atClient(client.get(), &TClientEndpoint::MessageReceived);
    for (const QByteArray &message : messages) {
        QVERIFY(client->Send(message));
        QVERIFY(server->Send(message));
        // A chat line runs to the end of its read, so the sender lets it go before the next.
        if (message.startsWith('m')) {
            QTRY_VERIFY(Received(atServer).endsWith(message));
            QTRY_VERIFY(Received(atClient).endsWith(message));
        }
    }
    QTRY_COMPARE(Received(atServer), messages);
    QTRY_COMPARE(Received(atClient), messages);
    QTest::qWait(TMessageSplitter::QuietTimeMs * 2);
    QCOMPARE(atServer.count(), messages.size());
}

// Sends go to the first client, reads come from both; when the first leaves, the second is first.
void TestEndpoints::twoClients() {
    const auto server = ListeningServer();
    const auto first = ClientOf(*server);
    const auto second = ClientOf(*server);
    QSignalSpy opened(server.get(), &TServerEndpoint::ConnectionOpened);
    QSignalSpy closed(server.get(), &TServerEndpoint::ConnectionClosed);
    QSignalSpy atServer(server.get(), &TServerEndpoint::MessageReceived);
    QSignalSpy atFirst(first.get(), &TClientEndpoint::MessageReceived);
    QSignalSpy atSecond(second.get(), &TClientEndpoint::MessageReceived);
    first->Open();
    QTRY_COMPARE(opened.count(), 1);
    second->Open();
    QTRY_COMPARE(opened.count(), 2);
    QVERIFY(second->Active());

    QVERIFY(server->Send("s12"));
    QTRY_COMPARE(Received(atFirst), TMessages{"s12"});
    QVERIFY(first->Send("rQuest"));
    QVERIFY(second->Send("rNo"));
    QTRY_COMPARE(atServer.count(), 2);
    QVERIFY(Received(atServer).contains("rQuest"));
    QVERIFY(Received(atServer).contains("rNo"));
    QCOMPARE(atSecond.count(), 0);

    first->Close();
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(server->ConnectionCount(), 1);
    QVERIFY(server->Send("s-1"));
    QTRY_COMPARE(Received(atSecond), TMessages{"s-1"});
    QCOMPARE(atFirst.count(), 1);
}

// While the game's port is open to the internet the server keeps one peer, who is told by a
// plain IPv4 address (not the dual-stack listener's ::ffff:127.0.0.1); once that peer has
// gone the next one is welcome. Without it every copy is accepted (twoClients).
void TestEndpoints::secondPeer() {
    const auto server = ListeningServer();
    server->SetSinglePeer(true);
    QSignalSpy accepted(server.get(), &TServerEndpoint::PeerAccepted);
    QTcpSocket first, second, third;
    first.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QTRY_COMPARE(server->ConnectionCount(), 1);
    QCOMPARE(accepted.at(0).at(0).value<QHostAddress>().toString(), QStringLiteral("127.0.0.1"));
    second.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
    QTest::qWait(SettleMs);
    QCOMPARE(server->ConnectionCount(), 1);
    QCOMPARE(accepted.count(), 1);
    first.disconnectFromHost();
    QTRY_COMPARE(server->ConnectionCount(), 0);
    third.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QTRY_COMPARE(server->ConnectionCount(), 1);
}

void TestEndpoints::serverCloseEndsEveryConnection() {
    const auto server = ListeningServer();
    const auto first = ClientOf(*server);
    const auto second = ClientOf(*server);
    QSignalSpy opened(server.get(), &TServerEndpoint::ConnectionOpened);
    QSignalSpy closed(server.get(), &TServerEndpoint::ConnectionClosed);
    QSignalSpy firstClosed(first.get(), &TClientEndpoint::ConnectionClosed);
    QSignalSpy secondClosed(second.get(), &TClientEndpoint::ConnectionClosed);
    first->Open();
    second->Open();
    QTRY_COMPARE(opened.count(), 2);

    server->Close();
    QCOMPARE(closed.count(), 2); // at once, one per accepted connection
    QVERIFY(!server->Active());
    QCOMPARE(server->ConnectionCount(), 0);
    QVERIFY(!server->Send("s1"));
    QTRY_COMPARE(firstClosed.count(), 1);
    QTRY_COMPARE(secondClosed.count(), 1);
    QVERIFY(!first->Active());
    server->Close(); // nothing left to end
    QCOMPARE(closed.count(), 2);

    // Listening again brings the clients back on their next attempt.
    server->SetPort(first->Port());
    server->Open();
    QVERIFY(server->Active());
    first->Open();
    QTRY_COMPARE(opened.count(), 3);
}

void TestEndpoints::clientClose() {
    const auto server = ListeningServer();
    const auto client = ClientOf(*server);
    QSignalSpy serverOpened(server.get(), &TServerEndpoint::ConnectionOpened);
    QSignalSpy serverClosed(server.get(), &TServerEndpoint::ConnectionClosed);
    QSignalSpy clientClosed(client.get(), &TClientEndpoint::ConnectionClosed);
    client->Close(); // not connected: nothing
    QCOMPARE(clientClosed.count(), 0);
    client->Open();
    QTRY_COMPARE(serverOpened.count(), 1);
    QTRY_VERIFY(client->Active());

    QVERIFY(client->Send("l12>28"));
    client->Close();
    QCOMPARE(clientClosed.count(), 1);
    QVERIFY(!client->Active());
    QVERIFY(!client->Send("s-1"));
    client->Close();
    QCOMPARE(clientClosed.count(), 1);
    QTRY_COMPARE(serverClosed.count(), 1);
    QVERIFY(server->Active()); // still listening for the next one
    QCOMPARE(server->ConnectionCount(), 0);
}

void TestEndpoints::clientRefusesAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::newRow("empty") << "";
    QTest::newRow("host name") << "localhost";
    QTest::newRow("IPv6 loopback") << "::1";
    QTest::newRow("short form") << "127.1";
    QTest::newRow("hexadecimal") << "0x7f.0.0.1";
    QTest::newRow("octet too large") << "127.0.0.256";
    QTest::newRow("five parts") << "127.0.0.1.1";
}

void TestEndpoints::clientRefusesAddress() {
    QFETCH(QString, address);
    const auto server = ListeningServer();
    const auto client = ClientOf(*server, address);
    QSignalSpy serverOpened(server.get(), &TServerEndpoint::ConnectionOpened);
    QSignalSpy clientOpened(client.get(), &TClientEndpoint::ConnectionOpened);
    client->Open();
    QTest::qWait(SettleMs);
    QCOMPARE(clientOpened.count(), 0);
    QCOMPARE(serverOpened.count(), 0);
    QVERIFY(!client->Active());
    QCOMPARE(client->Address(), address); // kept as typed
}

// A refused attempt leaves the client unconnected; the next Open dials anew.
void TestEndpoints::reopenAfterRefusal() {
    QTcpServer probe; // finds a port that nobody listens on
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();

    TClientEndpoint client;
    client.SetAddress(" 127.0.0.1 ");
    client.SetPort(port);
    QSignalSpy clientOpened(&client, &TClientEndpoint::ConnectionOpened);
    client.Open();
    QTest::qWait(SettleMs);
    QVERIFY(!client.Active());

    TServerEndpoint server;
    server.SetPort(port);
    server.Open();
    QVERIFY(server.Active());
    client.Open();
    QTRY_COMPARE(clientOpened.count(), 1);
    client.Open(); // a second Open while connected changes nothing
    QVERIFY(client.Active());
    QCOMPARE(clientOpened.count(), 1);
}

// An attempt still pending when the address changes is abandoned: only the new one connects.
void TestEndpoints::pendingAttemptAbandoned() {
    const auto server = ListeningServer();
    const auto client = ClientOf(*server, "10.255.255.1"); // never answers, or fails at once
    QSignalSpy clientOpened(client.get(), &TClientEndpoint::ConnectionOpened);
    QSignalSpy serverOpened(server.get(), &TServerEndpoint::ConnectionOpened);
    client->Open();
    client->Close(); // a pending attempt ends without a notification
    client->Open();
    client->SetAddress("127.0.0.1");
    client->Open();
    QTRY_COMPARE(clientOpened.count(), 1);
    QTest::qWait(SettleMs);
    QCOMPARE(clientOpened.count(), 1);
    QCOMPARE(serverOpened.count(), 1);
    QVERIFY(client->Active());
}

void TestEndpoints::portInUseLeavesInactive() {
    const auto server = ListeningServer();
    TServerEndpoint second;
    second.SetPort(server->ListeningPort());
    second.Open();
    QVERIFY(!second.Active());
    QCOMPARE(second.ListeningPort(), quint16(0));
    second.SetPort(70000);
    second.Open();
    QVERIFY(!second.Active());
}

void TestEndpoints::sendWithoutConnection() {
    TServerEndpoint server;
    QVERIFY(!server.Active());
    QVERIFY(!server.Send("s1"));
    server.Open();
    QVERIFY(server.Active());
    QVERIFY(!server.Send("s1")); // listening, nobody accepted
    TClientEndpoint client;
    QVERIFY(!client.Send("s1"));
}

// Russian chat travels as Windows-1251 bytes, one per letter, both ways.
void TestEndpoints::cyrillicChatOnTheWire() {
    const auto server = ListeningServer();
    QSignalSpy opened(server.get(), &TServerEndpoint::ConnectionOpened);
    QSignalSpy atServer(server.get(), &TServerEndpoint::MessageReceived);
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QVERIFY(peer.waitForConnected());
    QTRY_COMPARE(opened.count(), 1);

    QVERIFY(server->Send(EncodeText(ChatMessage("Привет"))));
    QByteArray wire;
    QTRY_COMPARE((wire += peer.readAll()), QByteArray("m  - \xcf\xf0\xe8\xe2\xe5\xf2"));

    peer.write("m  - \xc4\xe0!");
    QTRY_COMPARE(atServer.count(), 1);
    QCOMPARE(DecodeText(Received(atServer).first()), ChatMessage("Да!"));
}

// A foreign peer writing byte by byte: every message is still handed on whole and once.
void TestEndpoints::messagesCutByTheNetwork() {
    const auto server = ListeningServer();
    QSignalSpy opened(server.get(), &TServerEndpoint::ConnectionOpened);
    QSignalSpy atServer(server.get(), &TServerEndpoint::MessageReceived);
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QVERIFY(peer.waitForConnected());
    QTRY_COMPARE(opened.count(), 1);

    const QByteArray stream = "l12>28|52>36s-1rQuestrYesl";
    for (const char byte : stream) {
        peer.write(&byte, 1);
        QVERIFY(peer.waitForBytesWritten());
        QTest::qWait(2);
    }
    const TMessages expected{"l12>28|52>36", "s-1", "rQuest", "rYes", "l"};
    QTRY_COMPARE(Received(atServer), expected);
    peer.write("s5rNo");
    QTRY_COMPARE(atServer.count(), expected.size() + 2);
    QCOMPARE(Received(atServer).mid(expected.size()), (TMessages{"s5", "rNo"}));
}

// Bytes that arrived before the peer left are handed on, then the connection ends.
void TestEndpoints::peerLeavesRightAfterSending() {
    const auto server = ListeningServer();
    QSignalSpy opened(server.get(), &TServerEndpoint::ConnectionOpened);
    TMessages events;
    connect(server.get(), &TServerEndpoint::MessageReceived, this,
            [&events](const QByteArray &message) { events.append(message); });
    connect(server.get(), &TServerEndpoint::ConnectionClosed, this,
            [&events] { events.append("<closed>"); });
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QVERIFY(peer.waitForConnected());
    QTRY_COMPARE(opened.count(), 1);
    peer.write("l12>28s12");
    peer.disconnectFromHost();
    QTRY_COMPARE(events, (TMessages{"l12>28", "s12", "<closed>"}));
}

// The window may end the connection while it handles a message: what is left is dropped.
void TestEndpoints::closeInsideHandlerStopsDelivery() {
    const auto server = ListeningServer();
    QSignalSpy opened(server.get(), &TServerEndpoint::ConnectionOpened);
    TMessages events;
    TServerEndpoint *endpoint = server.get();
    connect(endpoint, &TServerEndpoint::MessageReceived, this,
            [&events, endpoint](const QByteArray &message) {
                events.append(message);
                endpoint->Close();
            });
    connect(endpoint, &TServerEndpoint::ConnectionClosed, this,
            [&events] { events.append("<closed>"); });
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QVERIFY(peer.waitForConnected());
    QTRY_COMPARE(opened.count(), 1);
    peer.write("rQuestrYesrNo");
    QTRY_COMPARE(events, (TMessages{"rQuest", "<closed>"}));
    QTest::qWait(TMessageSplitter::QuietTimeMs * 2);
    QCOMPARE(events.size(), 2);
}

// A handler that runs the event loop (as a message box does) sees later reads handled inside it,
// yet every message still comes in the order it was sent.
void TestEndpoints::nestedEventLoopKeepsOrder() {
    const auto server = ListeningServer();
    QSignalSpy opened(server.get(), &TServerEndpoint::ConnectionOpened);
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, server->ListeningPort());
    QVERIFY(peer.waitForConnected());
    QTRY_COMPARE(opened.count(), 1);
    TMessages events;
    connect(server.get(), &TServerEndpoint::MessageReceived, this,
            [&events, &peer](const QByteArray &message) {
                events.append(message);
                if (message == "rQuest") {
                    peer.write("rNo");
                    QTRY_COMPARE(events.size(), 3); // handled while this one is still open
                    events.append("</rQuest>");
                }
            });
    peer.write("rQuestrYes");
    QTRY_COMPARE(events, (TMessages{"rQuest", "rYes", "rNo", "</rQuest>"}));
}

QTEST_GUILESS_MAIN(TestEndpoints)
#include "tst_Endpoints.moc"
