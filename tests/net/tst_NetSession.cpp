// Two sessions over real loopback TCP: what one sends arrives at the other as the signal of its
// kind, held back while a hold lives, and an answer already on its way is not sent twice.
#include "ClientEndpoint.h"
#include "MessageSplitter.h"
#include "NetSession.h"
#include "ServerEndpoint.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

// Every signal of a session, written down in the order it came.
void Record(TNetSession &session, QStringList *events) {
    QObject::connect(&session, &TNetSession::MoveListReceived, &session,
                     [events](const QStringList &entries) {
                         events->append("list:" + entries.join(u','));
                     });
    QObject::connect(&session, &TNetSession::SelectionReceived, &session,
                     [events](int square) { events->append("selection:" + QString::number(square)); });
    QObject::connect(&session, &TNetSession::ChatReceived, &session,
                     [events](const QString &line) { events->append("chat:" + line); });
    QObject::connect(&session, &TNetSession::TakeBackRequested, &session,
                     [events] { events->append("request"); });
    QObject::connect(&session, &TNetSession::TakeBackAnswered, &session, [events](bool consent) {
        events->append(consent ? "consent" : "refusal");
    });
    QObject::connect(&session, &TNetSession::TakeBackNotUnderstood, &session,
                     [events] { events->append("take-back?"); });
}

// A server session and a client session connected to it.
struct TSessions {
    TSessions() {
        Record(Server, &ServerEvents);
        Record(Client, &ClientEvents);
        Server.SetPort(0); // a port the system picks
        Server.KeepOpen();
        Client.SetRole(TNetSession::TRole::Client);
        Client.SetPort(Server.Server().ListeningPort());
        Client.SetAddress(QStringLiteral("127.0.0.1"));
        QSignalSpy opened(&Server, &TNetSession::ConnectionOpened);
        Client.KeepOpen();
        QTRY_COMPARE(opened.size(), 1);
        QTRY_VERIFY(Client.Client().Active());
    }
    TNetSession Server;
    TNetSession Client;
    QStringList ServerEvents;
    QStringList ClientEvents;
};

} // namespace

class TestNetSession : public QObject {
    Q_OBJECT

private slots:
    void signalOfEachKind_data();
    void signalOfEachKind();
    void heldBackWhileHolding();
    void answerSentToEveryLaterRequest_data();
    void answerSentToEveryLaterRequest();
    void roleChangeEndsConnection();
};

void TestNetSession::signalOfEachKind_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("list") << "l12>28|52>36" << QStringList{"list:12>28,52>36"};
    QTest::newRow("empty list") << "l" << QStringList{"list:"};
    QTest::newRow("selection") << "s12" << QStringList{"selection:12"};
    QTest::newRow("no selection") << "s-1" << QStringList{"selection:-1"};
    QTest::newRow("off the board") << "s64" << QStringList{"selection:-1"};
    QTest::newRow("chat") << "m  - Привет" << QStringList{"chat:  - Привет"};
    QTest::newRow("request") << "rQuest" << QStringList{"request"};
    QTest::newRow("consent") << "rYes" << QStringList{"consent"};
    QTest::newRow("refusal") << "rNo" << QStringList{"refusal"};
    QTest::newRow("other take-back") << "rMaybe" << QStringList{"take-back?"};
    QTest::newRow("unknown kind") << "x12" << QStringList{};
}

void TestNetSession::signalOfEachKind() {
    QFETCH(QString, message);
    QFETCH(QStringList, events);
    TSessions sessions;
    // Both ways: nothing in the protocol depends on the role.
    QVERIFY(sessions.Client.Send(message));
    QVERIFY(sessions.Server.Send(message));
    QTest::qWait(3 * TMessageSplitter::QuietTimeMs); // an unfinished message ends by then
    QCOMPARE(sessions.ServerEvents, events);
    QCOMPARE(sessions.ClientEvents, events);
}

// The chat goes on while the game waits; what waits follows in order once the hold ends.
void TestNetSession::heldBackWhileHolding() {
    TSessions sessions;
    {
        const TNetSession::THoldBack hold(sessions.Server);
        for (const char *message : {"l12>28", "s12", "m  - ход?", "rYes", "s-1"})
            sessions.Client.Send(QString::fromUtf8(message));
        QTRY_COMPARE(sessions.Server.HeldMessages().size(), 4);
        QCOMPARE(sessions.ServerEvents, QStringList{"chat:  - ход?"});
        sessions.Server.HandleHeldMessages(); // nothing happens while the hold lives
        QCOMPARE(sessions.Server.HeldMessages().size(), 4);
    }
    QCOMPARE(sessions.ServerEvents.size(), 1);
    QTRY_COMPARE(sessions.ServerEvents, (QStringList{"chat:  - ход?", "list:12>28", "selection:12",
                                                     "consent", "selection:-1"}));
    QVERIFY(sessions.Server.HeldMessages().isEmpty());
}

void TestNetSession::answerSentToEveryLaterRequest_data() {
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("requestsPerWrite");
    QTest::addColumn<int>("answers");
    QTest::newRow("a flood read in one go") << 1 << 3 << 1;
    // Each written while the answer before it still runs its passes.
    QTest::newRow("requests after the answer went out") << 3 << 1 << 3;
}

// An answer identical to the last message handed over is on its way to every request that had
// arrived by then; a request that came later gets one of its own.
void TestNetSession::answerSentToEveryLaterRequest() {
    QFETCH(int, writes);
    QFETCH(int, requestsPerWrite);
    QFETCH(int, answers);
    TSessions sessions;
    QSignalSpy received(&sessions.Client.Client(), &TClientEndpoint::MessageReceived);
    const QByteArray requests = QByteArray("ls-1").repeated(requestsPerWrite);
    int writesLeft = writes;
    const auto writeRequests = [&] {
        --writesLeft;
        sessions.Client.Client().Send(requests);
    };
    connect(&sessions.Server, &TNetSession::MoveListReceived, &sessions.Server, [&] {
        if (writesLeft > 0)
            QMetaObject::invokeMethod(&sessions.Client, writeRequests, Qt::QueuedConnection);
        QVERIFY(sessions.Server.AnswerMoveList({QStringLiteral("12>28")}));
    });
    writeRequests();
    QTRY_COMPARE(received.size(), answers);
    QTest::qWait(3 * TMessageSplitter::QuietTimeMs);
    for (const QList<QVariant> &arguments : received)
        QCOMPARE(arguments.at(0).toByteArray(), QByteArray("l12>28"));
    QCOMPARE(received.size(), answers);
    QCOMPARE(sessions.ServerEvents.count(QStringLiteral("list:")), writes * requestsPerWrite);
}

// Changing the role ends the connection on both sides; then nothing can be sent, at once.
void TestNetSession::roleChangeEndsConnection() {
    TSessions sessions;
    QSignalSpy serverClosed(&sessions.Server, &TNetSession::ConnectionClosed);
    QSignalSpy clientClosed(&sessions.Client, &TNetSession::ConnectionClosed);
    sessions.Client.SetRole(TNetSession::TRole::Server);
    QCOMPARE(clientClosed.size(), 1);
    QTRY_COMPARE(serverClosed.size(), 1);
    QVERIFY(!sessions.Client.Send(QStringLiteral("s-1")));
    QVERIFY(!sessions.Server.Send(QStringLiteral("s-1"))); // listening, but no one is there
    QVERIFY(sessions.Server.Server().Active());
    // In the server role the tick listens instead of dialling.
    sessions.Client.SetPort(0);
    sessions.Client.KeepOpen();
    QVERIFY(sessions.Client.Server().Active());
    QVERIFY(!sessions.Client.Client().Active());
}

QTEST_GUILESS_MAIN(TestNetSession)
#include "tst_NetSession.moc"
