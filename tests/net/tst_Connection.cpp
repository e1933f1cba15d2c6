// One connection over real loopback TCP: long chat lines cut into segments, and the pause that
// a chat line needs before the next message.
#include "Connection.h"
#include "MessageSplitter.h"
#include "Protocol.h"
#include "TextCodec.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using TMessages = QList<QByteArray>;

namespace {

// The measured failure's move list came 30 ms after the chat line; here it comes 30 ms after
// the quiet time that ends the line.
constexpr int GapAfterChatMs = TMessageSplitter::QuietTimeMs + 30;

// A chat message of exactly size bytes: its text repeated and cut to fit.
QByteArray ChatOfSize(const QString &text, qsizetype size) {
    QByteArray message = EncodeText(ChatMessage(text));
    while (message.size() < size)
        message += EncodeText(text);
    return message.first(size);
}

// Both ends of one loopback connection: a raw socket playing the peer, and the far end wrapped
// in a TConnection.
class TLoopback {
public:
    TLoopback() {
        QVERIFY(Listener.listen(QHostAddress::LocalHost, 0));
        Peer->connectToHost(QHostAddress::LocalHost, Listener.serverPort());
        QVERIFY(Peer->waitForConnected());
        QVERIFY(Listener.waitForNewConnection(5000));
        Connection = Wrap(Listener.nextPendingConnection(), &Received);
    }

    // The peer's end becomes a connection of this program too.
    TConnection *WrapPeer() { return Wrap(Peer, &PeerReceived); }

    // Written and handed to the other end before the next one, so that each is a read of its own.
    void WriteSegments(const QByteArray &bytes, qsizetype size) {
        for (qsizetype at = 0; at < bytes.size(); at += size) {
            Peer->write(bytes.mid(at, size));
            QVERIFY(Peer->waitForBytesWritten());
            QCoreApplication::processEvents();
        }
    }

    TMessages Received;
    TMessages PeerReceived;
    QTcpServer Listener; // owns everything below, and goes first
    QTcpSocket *Peer = new QTcpSocket(&Listener);
    QPointer<TConnection> Connection;

private:
    TConnection *Wrap(QTcpSocket *socket, TMessages *received) {
        auto *connection = new TConnection(socket, &Listener);
        QObject::connect(connection, &TConnection::MessageReceived, connection,
                         [received](const QByteArray &message) { received->append(message); });
        return connection;
    }
};

} // namespace

class TestConnection : public QObject {
    Q_OBJECT

private slots:
    void longChatInSegments_data();
    void longChatInSegments();
    void messagesAfterChatWaitForThePause();
    void heldMessagesDroppedOnClose();
};

void TestConnection::longChatInSegments_data() {
    QTest::addColumn<QByteArray>("chat");
    QTest::addColumn<qsizetype>("segment");
    const QByteArray russian =
        ChatOfSize(QStringLiteral("Ход конём: l12>28 s-1 rYes, ничья? "), 3000);
    const QByteArray takeBacks = ChatOfSize(QStringLiteral("rYes "), 3000);
    for (const qsizetype segment : {1, 7, 536, 1447, 1448}) {
        QTest::addRow("Russian, %lld", qlonglong(segment)) << russian << segment;
        QTest::addRow("rYes, %lld", qlonglong(segment)) << takeBacks << segment;
    }
}

// The measured failure: the tail of a long line read as commands, and the list after it lost.
void TestConnection::longChatInSegments() {
    QFETCH(QByteArray, chat);
    QFETCH(qsizetype, segment);
    TLoopback line;
    line.WriteSegments("s12", 3);
    line.WriteSegments(chat, segment);
    QTest::qWait(GapAfterChatMs);
    const QByteArray list = "l12>28|52>36";
    line.Peer->write(list + "s-1");
    QTRY_COMPARE(line.Received, (TMessages{"s12", chat, list, "s-1"}));
}

// What this side sends right after a chat line reaches the peer as messages of their own.
void TestConnection::messagesAfterChatWaitForThePause() {
    TLoopback line;
    const QByteArray first = EncodeText(ChatMessage("Привет"));
    const QByteArray second = EncodeText(ChatMessage("ещё"));
    const TMessages sent{first, "l12>28", "s-1", second, "rQuest"};
    line.WrapPeer();
    for (const QByteArray &message : sent)
        QVERIFY(line.Connection->Send(message));

    QTRY_COMPARE(line.PeerReceived, sent);
}

// Written at the end, they would only lengthen the peer's chat line.
void TestConnection::heldMessagesDroppedOnClose() {
    TLoopback line;
    const QByteArray chat = EncodeText(ChatMessage("пока"));
    QVERIFY(line.Connection->Send(chat));
    QVERIFY(line.Connection->Send("l12>28"));
    line.Connection->Close();
    QVERIFY(line.Peer->waitForDisconnected());
    QCOMPARE(line.Peer->readAll(), chat);
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_Connection.moc"
