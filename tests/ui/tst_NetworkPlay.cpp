// Network play between windows over real loopback TCP: the settings file, the two roles and
// their indicator, one shared game kept in step by presses on either board, the chat, the
// negotiated take-back and the attention marker; and a raw socket of the test's own that
// speaks the wire format byte by byte where a foreign peer may differ from the program.
#include "BoardGrid.h"
#include "ClientEndpoint.h"
#include "Main.h"
#include "MessageSplitter.h"
#include "NetSession.h"
#include "PieceSelect.h"
#include "ServerEndpoint.h"
#include "Shape.h"
#include "NetTestSupport.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace {

const QColor Red(255, 0, 0);
constexpr int Settle = 100; // ms: longer than the receiver's quiet time for unfinished messages
// The receiver's quiet time in the units of a message's arrival, less the 5% that a coarse timer
// may fire early.
constexpr TArrival QuietTimeNs = TMessageSplitter::QuietTimeMs * 950'000LL;

struct TCame {
    QString Message;
    TArrival Arrival; // of the read, or the quiet time, that completed it
};

// The messages in the order they came. The spy is called after the window's own handler, so a
// message that the window took inside another one's handling (while the answer it sent ran the
// event loop longer than the quiet time) is recorded before it; the messages of one read keep
// the order they were handed on in.
QList<TCame> Came(const QSignalSpy &spy) {
    QList<TCame> came;
    for (const QList<QVariant> &arguments : spy)
        came.append({QString::fromLatin1(arguments.at(0).toByteArray()),
                     arguments.at(1).toLongLong()});
    std::stable_sort(came.begin(), came.end(), [](const TCame &first, const TCame &second) {
        return first.Arrival < second.Arrival;
    });
    return came;
}

QStringList Received(const QSignalSpy &spy) {
    QStringList messages;
    for (const TCame &message : Came(spy))
        messages.append(message.Message);
    return messages;
}

QStringList Lines(const QPlainTextEdit *memo) {
    return memo->toPlainText().split(u'\n', Qt::SkipEmptyParts);
}

bool ShowsUsable(const QWidget *edit) {
    return edit->palette().color(QPalette::Base) ==
           QApplication::palette(edit).color(QPalette::Base);
}

// A foreign peer: a plain socket connected to a server window.
struct TRawPeer {
    explicit TRawPeer(const TNetWindow &window) {
        window->tmConnectTimer();
        QVERIFY(window->ServerSocket->Active());
        Socket.connectToHost(QHostAddress::LocalHost, window->ServerSocket->ListeningPort());
        QVERIFY(Socket.waitForConnected(5000));
        QTRY_COMPARE(window->shConnect->BrushColor(), Green);
    }
    void Write(const QByteArray &bytes) {
        Socket.write(bytes);
        Socket.flush();
    }
    // Everything that has come from the window once the line has been quiet for a while.
    QByteArray Take() {
        QTest::qWait(Settle);
        return Socket.readAll();
    }
    QTcpSocket Socket;
};

// A foreign peer on a thread of its own, as on another computer: it answers what the window
// sends at once, while the window is still inside the passes of its own sends. Each step writes
// its bytes and waits at most two seconds for the window to send something that ends in the
// awaited bytes; a step that awaits nothing waits until the test lets the peer go on.
class TThreadPeer {
public:
    struct TStep {
        QByteArray Write;
        QByteArray Awaited;
    };

    TThreadPeer(quint16 port, QList<TStep> steps)
        : Thread([this, port, steps = std::move(steps)] { Run(port, steps); }) {}
    ~TThreadPeer() {
        Waiting = false;
        Thread.join();
    }
    bool Done() const { return Finished; }
    // Lets a peer that awaits nothing go on; no effect on one that is not waiting.
    void Release() { Waiting = false; }
    // The first step that went unanswered, with what came instead; empty when none did.
    QString Failure() const { return Problem; }

private:
    void Run(quint16 port, const QList<TStep> &steps) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            Problem = QStringLiteral("no connection");
        for (qsizetype i = 0; Problem.isEmpty() && i < steps.size(); ++i) {
            const TStep &step = steps.at(i);
            Waiting = step.Awaited.isEmpty();
            socket.write(step.Write);
            socket.flush();
            QByteArray came;
            QDeadlineTimer deadline(2000);
            while (Waiting)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            while (!step.Awaited.isEmpty() && !came.endsWith(step.Awaited) &&
                   !deadline.hasExpired()) {
                socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
                came += socket.readAll();
            }
            if (!came.endsWith(step.Awaited))
                Problem = QStringLiteral("step %1 (%2) unanswered; came: %3")
                              .arg(i)
                              .arg(QString::fromLatin1(step.Write.left(20)))
                              .arg(QString::fromLatin1(came.right(60)));
        }
        Finished = true;
    }

    std::atomic<bool> Finished = false;
    std::atomic<bool> Waiting = false;
    QString Problem;
    std::thread Thread;
};

// Runs `action` on the promotion dialog as soon as it is up (it is modal: the caller is
// inside its event loop by then).
void WhenPieceDialogShows(const std::function<void(TPieceSelectForm *)> &action, int tries = 400) {
    QTimer::singleShot(5, [action, tries] {
        auto *dialog = qobject_cast<TPieceSelectForm *>(QApplication::activeModalWidget());
        if (dialog)
            action(dialog);
        else if (tries > 0)
            WhenPieceDialogShows(action, tries - 1);
    });
}

// White's pawn on b7 with b8 empty and White to move.
const QStringList BeforePromotion = {"9>25",  "48>32", "25>32", "49>41",
                                     "32>41", "58>40", "41>49", "57>42"};

QString MoveList(const QStringList &entries) {
    return u'l' + entries.join(u'|');
}

// Boxes that stay open a while, as a person takes time to close them: the event loop runs
// inside, so whatever the peer sends meanwhile is handled while the box is up.
class TModalPrompts : public TScriptedPrompts {
public:
    QMessageBox::StandardButton ShowMessage(QWidget *parent, QMessageBox::Icon icon,
                                            const QString &caption, const QString &text,
                                            QMessageBox::StandardButtons buttons) override {
        const QMessageBox::StandardButton answer =
            TScriptedPrompts::ShowMessage(parent, icon, caption, text, buttons);
        QTest::qWait(Settle);
        return answer;
    }
};

// Knights out and back, as many moves as asked.
QStringList KnightGame(int moves) {
    static const QStringList dance = {"1>18", "57>42", "18>1", "42>57"};
    QStringList game;
    for (int i = 0; i < moves; ++i)
        game.append(dance.at(i % dance.size()));
    return game;
}

} // namespace

class TestNetworkPlay : public QObject {
    Q_OBJECT

private slots:
    void startUpSettings_data();
    void startUpSettings();
    void connectTimerRunsFromCreation();
    void connectionComesUp();
    void settingsNotWritable_data();
    void settingsNotWritable();
    void connectionDropped_data();
    void connectionDropped();
    void sendReportsHandOver_data();
    void sendReportsHandOver();

    void moveAppearsOnTheOtherBoard();
    void longerRecordWinsAfterNewGame_data();
    void longerRecordWinsAfterNewGame();
    void twoClientsOnOneServer();

    void chat_data();
    void chat();
    void chatWithoutConnectionKeepsText();
    void boardKeysBesideTheChat();
    void chatOnTheWire();
    void takeBack_data();
    void takeBack();
    void desktopAlertedWithTheMarker_data();
    void desktopAlertedWithTheMarker();
    void attentionClearedByActivation_data();
    void attentionClearedByActivation();

    void messageCutAtEveryByte();
    void messagesInOneWrite_data();
    void messagesInOneWrite();
    void emptyReadAndPeerLeaving();
    void badLongerListKeepsGame_data();
    void badLongerListKeepsGame();
    void badSelection_data();
    void badSelection();
    void unknownMessages_data();
    void unknownMessages();
    void heldBackDuringPromotion_data();
    void heldBackDuringPromotion();
    void floodOfTakeBackMessages_data();
    void floodOfTakeBackMessages();
    void floodOfShorterLists_data();
    void floodOfShorterLists();
    void requestAfterAClearedGameAnswered_data();
    void requestAfterAClearedGameAnswered();
};

// ---- Settings and roles -----------------------------------------------------------------------

void TestNetworkPlay::startUpSettings_data() {
    QTest::addColumn<QByteArray>("settings"); // null: no file
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("serverIP");
    QTest::addColumn<bool>("asClient");

    QTest::newRow("no file") << QByteArray() << 6464 << "127.0.0.1" << false;
    QTest::newRow("client") << QByteArray("[Network]\nPort=7001\nServerIP=10.0.0.7\n"
                                          "LastConnectAs=Client\n")
                            << 7001 << "10.0.0.7" << true;
    QTest::newRow("client in lower case")
        << QByteArray("[Network]\nLastConnectAs=client\n") << 6464 << "127.0.0.1" << false;
    QTest::newRow("leading zero") << QByteArray("[Network]\nPort=06465\n") << 6465 << "127.0.0.1"
                                  << false;
    // Not a port: neither endpoint ever opens, in particular the server does not listen on a
    // port that the system picks.
    QTest::newRow("letters") << QByteArray("[Network]\nPort=abc\n") << -1 << "127.0.0.1" << false;
    QTest::newRow("empty port") << QByteArray("[Network]\nPort=\n") << -1 << "127.0.0.1" << false;
    QTest::newRow("port zero") << QByteArray("[Network]\nPort=0\n") << -1 << "127.0.0.1" << false;
    QTest::newRow("empty address")
        << QByteArray("[Network]\nServerIP=\nLastConnectAs=Client\n") << 6464 << "" << true;
}

void TestNetworkPlay::startUpSettings() {
    QFETCH(QByteArray, settings);
    QFETCH(int, port);
    QFETCH(QString, serverIP);
    QFETCH(bool, asClient);
    const TNetWindow window(settings);
    QCOMPARE(window->IniFileName, window.IniPath());
    QCOMPARE(window->ServerSocket->Port(), port);
    QCOMPARE(window->ClientSocket->Port(), port);
    QCOMPARE(window->edServerIP->text(), serverIP);
    QCOMPARE(window->ClientSocket->Address(), serverIP);
    QCOMPARE(window->rbAsClient->isChecked(), asClient);
    QCOMPARE(window->rbAsServer->isChecked(), !asClient);
    QCOMPARE(window->edServerIP->isEnabled(), asClient);
    QCOMPARE(ShowsUsable(window->edServerIP), asClient);
    // Nothing is opened or written at start-up.
    QVERIFY(!window->ServerSocket->Active());
    QVERIFY(!window->ClientSocket->Active());
    QCOMPARE(window->shConnect->BrushColor(), Red);
    QVERIFY(window->edChat->isReadOnly());
    // One chat line is one send, short enough never to reach the peer in pieces.
    QCOMPARE(window->edChat->maxLength(), 1000);
    QCOMPARE(QFile::exists(window.IniPath()), !settings.isNull());
    QCOMPARE(window.IniText(), settings.isNull() ? QByteArray() : settings);
    if (port == -1) {
        window->tmConnectTimer();
        QVERIFY(!window->ServerSocket->Active());
    }
}

void TestNetworkPlay::connectTimerRunsFromCreation() {
    QTemporaryDir folder;
    const TMainForm form(folder.path());
    QVERIFY(form.tmConnect->isActive());
    QCOMPARE(form.tmConnect->interval(), 5000);
    QVERIFY(!form.ServerSocket->Active());
}

void TestNetworkPlay::connectionComesUp() {
    const quint16 port = FreePort();
    // A leading zero in the file: the port goes back in plain decimal.
    const QByteArray serverSettings = "[Network]\r\nPort=0" + QByteArray::number(port) + "\r\n";
    const TNetWindow server(serverSettings);
    // The client role chosen with the button, which writes nothing.
    const TNetWindow client(Settings(port));
    client->rbAsClient->click();
    QVERIFY(client->edServerIP->isEnabled());
    QVERIFY(ShowsUsable(client->edServerIP));
    QCOMPARE(client.IniText(), Settings(port));

    for (const TNetWindow *window : {&server, &client})
        window->Form().mmChat->setFocus();
    server->tmConnectTimer();
    QCOMPARE(server->ServerSocket->ListeningPort(), port);
    QCOMPARE(server->shConnect->BrushColor(), Red); // listening is not a connection
    QCOMPARE(server.IniText(), serverSettings);

    client->tmConnectTimer();
    QTRY_COMPARE(client->shConnect->BrushColor(), Green);
    QTRY_COMPARE(server->shConnect->BrushColor(), Green);
    for (const TNetWindow *window : {&server, &client}) {
        TMainForm &form = window->Form();
        QVERIFY(!form.edChat->isReadOnly());
        QVERIFY(ShowsUsable(form.edChat));
        QCOMPARE(form.focusWidget(), form.edChat);
        QCOMPARE(form.shConnect->accessibleName(), "Индикатор подключения: связь есть");
        QVERIFY(window->Prompts().Messages.isEmpty());
    }
    QCOMPARE(server.IniText(), Settings(port, "LastConnectAs=Server\r\n"));
    QCOMPARE(client.IniText(), Settings(port, "ServerIP=127.0.0.1\r\nLastConnectAs=Client\r\n"));
}

void TestNetworkPlay::settingsNotWritable_data() {
    QTest::addColumn<bool>("asClient");
    QTest::newRow("server") << false;
    QTest::newRow("client") << true;
}

// The first write that fails is reported once, the others are skipped, and the connection
// stays up.
void TestNetworkPlay::settingsNotWritable() {
    QFETCH(bool, asClient);
    QTcpServer peerServer; // the server that a client window dials
    QVERIFY(peerServer.listen(QHostAddress::LocalHost, 0));
    const TNetWindow window(asClient ? Settings(peerServer.serverPort(), "LastConnectAs=Client\r\n")
                                     : Settings(FreePort()));
    window.MakeSettingsUnwritable();

    QTcpSocket peerClient;
    QTcpSocket *peer = &peerClient;
    window->tmConnectTimer();
    if (asClient) {
        QTRY_VERIFY(peerServer.hasPendingConnections());
        peer = peerServer.nextPendingConnection();
    } else {
        peerClient.connectToHost(QHostAddress::LocalHost, window->ServerSocket->ListeningPort());
        QVERIFY(peerClient.waitForConnected(5000));
    }
    QTRY_COMPARE(window->shConnect->BrushColor(), Green);
    QTRY_COMPARE(window.Prompts().Messages.size(), 1);
    const TScriptedPrompts::Message &box = window.Prompts().Messages.constFirst();
    QCOMPARE(box.Text, QStringLiteral("Unable to write to ") + window->IniFileName);
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QCOMPARE(box.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    peer->write("m  - still here");
    peer->flush();
    QTRY_COMPARE(Lines(window->mmChat), QStringList{"  - still here"});
    QCOMPARE(window->shConnect->BrushColor(), Green);
    QCOMPARE(window.Prompts().Messages.size(), 1);
}

void TestNetworkPlay::connectionDropped_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("client becomes server") << "client role";
    QTest::newRow("server becomes client") << "server role";
    QTest::newRow("address edited") << "address";
}

// A role change or an edit of the address ends the connection on both sides; nothing is
// written, and the next tick opens the endpoint of the role now chosen.
void TestNetworkPlay::connectionDropped() {
    QFETCH(QString, change);
    TPair pair;
    const QByteArray serverSettings = pair.Server.IniText();
    const QByteArray clientSettings = pair.Client.IniText();
    if (change == "client role")
        pair.Client->rbAsServer->click();
    else if (change == "server role")
        pair.Server->rbAsClient->click();
    else
        QTest::keyClick(pair.Client->edServerIP, Qt::Key_Backspace);

    for (const TNetWindow *window : {&pair.Server, &pair.Client}) {
        QTRY_COMPARE(window->Form().shConnect->BrushColor(), Red);
        QCOMPARE(window->Form().shConnect->accessibleName(), "Индикатор подключения: нет связи");
        QVERIFY(window->Form().edChat->isReadOnly());
        QVERIFY(!ShowsUsable(window->Form().edChat));
    }
    QCOMPARE(pair.Server.IniText(), serverSettings);
    QCOMPARE(pair.Client.IniText(), clientSettings);

    if (change == "address") {
        QCOMPARE(pair.Client->ClientSocket->Address(), QStringLiteral("127.0.0."));
        pair.Client->tmConnectTimer(); // no such address: nothing comes of it
        QTest::qWait(Settle);
        QCOMPARE(pair.Client->shConnect->BrushColor(), Red);
        QTest::keyClick(pair.Client->edServerIP, Qt::Key_1);
        pair.Client->tmConnectTimer();
        QTRY_COMPARE(pair.Client->shConnect->BrushColor(), Green);
        QTRY_COMPARE(pair.Server->shConnect->BrushColor(), Green);
    } else if (change == "server role") {
        QVERIFY(pair.Server->edServerIP->isEnabled());
        pair.Server->tmConnectTimer(); // the server's own port: nobody listens there now
        QVERIFY(!pair.Server->ServerSocket->Active());
    }
}

void TestNetworkPlay::sendReportsHandOver_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("handedOver");
    QTest::newRow("nothing open") << "idle" << false;
    QTest::newRow("listening, no client") << "listening" << false;
    QTest::newRow("connected") << "connected" << true;
}

// A send with no one to take it returns at once, without a single pass of the event loop.
void TestNetworkPlay::sendReportsHandOver() {
    QFETCH(QString, state);
    QFETCH(bool, handedOver);
    TPair pair;
    if (state != "connected")
        pair.Client->rbAsServer->click();
    if (state == "idle")
        pair.Server->rbAsClientClick();
    QTRY_COMPARE(pair.Server->shConnect->BrushColor(), state == "connected" ? Green : Red);

    bool pumped = false;
    QMetaObject::invokeMethod(
        pair.Server.Window->Form.get(), [&pumped] { pumped = true; }, Qt::QueuedConnection);
    QCOMPARE(pair.Server->SendNetMessage(QStringLiteral("s-1")), handedOver);
    QCOMPARE(pumped, handedOver);
    QTest::qWait(1);
    QVERIFY(pumped);
}

// ---- One shared game --------------------------------------------------------------------------

void TestNetworkPlay::moveAppearsOnTheOtherBoard() {
    TPair pair;
    TMainForm &server = pair.Server.Form();
    TMainForm &client = pair.Client.Form();
    pair.Client.Foreground = false;

    // The piece picked up on one board bobs on the other.
    PressSquare(server, "e2");
    QTRY_COMPARE(client.SelectedSquare, SquareIndex("e2"));
    const QPoint e2 = client.GridCellOf(4, 1);
    client.tmFlickerTimer();
    const QImage first = CellImage(client, e2.x(), e2.y());
    client.tmFlickerTimer();
    QVERIFY(CellImage(client, e2.x(), e2.y()) != first);
    QCOMPARE(client.windowTitle(), QStringLiteral("Korvalen")); // a selection is no news

    QSignalSpy toServer(server.ServerSocket, &TServerEndpoint::MessageReceived);
    QSignalSpy toClient(client.ClientSocket, &TClientEndpoint::MessageReceived);
    PressSquare(server, "e4");
    QTRY_COMPARE(client.CurrentGame->MoveRecord, QStringList{"12>28"});
    QTRY_COMPARE(client.SelectedSquare, -1);
    QCOMPARE(client.CurrentGame->Notation, server.CurrentGame->Notation);
    QCOMPARE(client.mmAnnotation->toPlainText(), server.mmAnnotation->toPlainText());
    QCOMPARE(client.dgBoard->Canvas().toImage(), server.dgBoard->Canvas().toImage());
    QCOMPARE(client.windowTitle(), QStringLiteral("Korvalen*"));
    QCOMPARE(server.windowTitle(), QStringLiteral("Korvalen"));
    // The echo is found equal and ends the exchange.
    QTest::qWait(Settle);
    QCOMPARE(Received(toClient), (QStringList{"l12>28", "s-1"}));
    QCOMPARE(Received(toServer), QStringList{"l12>28"});

    // Either board may finish a move begun on the other.
    PressSquare(client, "e7");
    QTRY_COMPARE(server.SelectedSquare, SquareIndex("e7"));
    PressSquare(server, "e5");
    QTRY_COMPARE(client.CurrentGame->MoveRecord, (QStringList{"12>28", "52>36"}));
    QCOMPARE(server.CurrentGame->MoveRecord, client.CurrentGame->MoveRecord);
    client.ApplicationEventsActivate();
    QCOMPARE(client.windowTitle(), QStringLiteral("Korvalen"));
}

void TestNetworkPlay::longerRecordWinsAfterNewGame_data() {
    QTest::addColumn<bool>("newGameOnServer");
    QTest::addColumn<bool>("pressOnServer");
    QTest::newRow("new on server, press on server") << true << true;
    QTest::newRow("new on server, press on client") << true << false;
    QTest::newRow("new on client, press on server") << false << true;
    QTest::newRow("new on client, press on client") << false << false;
}

void TestNetworkPlay::longerRecordWinsAfterNewGame() {
    QFETCH(bool, newGameOnServer);
    QFETCH(bool, pressOnServer);
    TPair pair;
    const QStringList game = {"12>28", "52>36", "6>21"};
    PlayByPresses(pair.Server.Form(), "e2e4 e7e5 g1f3");
    QTRY_COMPARE(pair.Client->CurrentGame->MoveRecord, game);

    (newGameOnServer ? pair.Server : pair.Client)->btNewClick();
    QVERIFY((newGameOnServer ? pair.Server : pair.Client)->CurrentGame->MoveRecord.isEmpty());
    PressSquare((pressOnServer ? pair.Server : pair.Client).Form(), "d5"); // empty in both games
    QTRY_COMPARE(pair.Server->CurrentGame->MoveRecord, game);
    QTRY_COMPARE(pair.Client->CurrentGame->MoveRecord, game);
    QCOMPARE(pair.Client->dgBoard->Canvas().toImage(), pair.Server->dgBoard->Canvas().toImage());
}

// Every client is heard, but everything goes to the one that connected first while it stays.
void TestNetworkPlay::twoClientsOnOneServer() {
    TPair pair;
    const TNetWindow second(Settings(pair.Port, "LastConnectAs=Client\r\n"));
    second->tmConnectTimer();
    QTRY_COMPARE(second->shConnect->BrushColor(), Green);
    QTRY_COMPARE(pair.Server->ServerSocket->ConnectionCount(), 2);

    PlayByPresses(pair.Server.Form(), "e2e4");
    QTRY_COMPARE(pair.Client->CurrentGame->MoveRecord, QStringList{"12>28"});
    second->edChat->setText(QStringLiteral("второй"));
    QTest::keyClick(second->edChat, Qt::Key_Return);
    QTRY_COMPARE(Lines(pair.Server->mmChat), QStringList{"  - второй"});
    QVERIFY(second->CurrentGame->MoveRecord.isEmpty());
    QVERIFY(Lines(pair.Client->mmChat).isEmpty());

    // The first one leaves: the one still there keeps the window connected, and the sends go
    // to it.
    pair.Client->rbAsServer->click();
    QTRY_COMPARE(pair.Server->ServerSocket->ConnectionCount(), 1);
    QCOMPARE(pair.Server->shConnect->BrushColor(), Green);
    PlayByPresses(pair.Server.Form(), "e7e5");
    QTRY_COMPARE(second->CurrentGame->MoveRecord, (QStringList{"12>28", "52>36"}));
}

// ---- Chat, take-back, attention -----------------------------------------------------------

void TestNetworkPlay::chat_data() {
    QTest::addColumn<bool>("fromServer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("receiverForeground");

    QTest::newRow("server to client") << true << "Привет! Ход за тобой." << int(Qt::Key_Return)
                                      << Qt::KeyboardModifiers() << false;
    QTest::newRow("client to server, keypad Enter")
        << false << "Спасибо, иду" << int(Qt::Key_Enter)
        << Qt::KeyboardModifiers(Qt::KeypadModifier) << false;
    QTest::newRow("with Shift") << true << "Ёлка" << int(Qt::Key_Return)
                                << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
    QTest::newRow("empty entry") << false << "" << int(Qt::Key_Return) << Qt::KeyboardModifiers()
                                 << false;
    QTest::newRow("receiver in front")
        << true << "вижу" << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
    QTest::newRow("markup stays text") << false << "<b>жирный</b> &amp; <i>" << int(Qt::Key_Return)
                                       << Qt::KeyboardModifiers() << false;
}

void TestNetworkPlay::chat() {
    QFETCH(bool, fromServer);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, receiverForeground);
    TPair pair;
    TNetWindow &sender = fromServer ? pair.Server : pair.Client;
    TNetWindow &receiver = fromServer ? pair.Client : pair.Server;
    receiver.Foreground = receiverForeground;
    sender.Foreground = false; // its own line is no news to it

    const QString line = QStringLiteral("  - ") + text;
    sender->edChat->setText(text);
    QTest::keyClick(sender->edChat, Qt::Key(key), modifiers);
    QCOMPARE(Lines(sender->mmChat), QStringList{line});
    QVERIFY(sender->edChat->text().isEmpty());
    QTRY_COMPARE(Lines(receiver->mmChat), QStringList{line});
    QCOMPARE(receiver->windowTitle(),
             receiverForeground ? QStringLiteral("Korvalen") : QStringLiteral("Korvalen*"));
    QCOMPARE(sender->windowTitle(), QStringLiteral("Korvalen"));
}

// Connected, the focus rests in the chat entry: letters there are chat, while its empty line
// lends the arrows, Home and End to looking back. A press on the board leaves the focus there.
void TestNetworkPlay::boardKeysBesideTheChat() {
    TPair pair;
    TMainForm &client = pair.Client.Form();
    PlayByPresses(pair.Server.Form(), "e2e4 e7e5");
    QTRY_COMPARE(client.CurrentGame->MoveRecord.size(), 2);
    PressSquare(client, "e4");
    QCOMPARE(client.focusWidget(), client.edChat);
    PressKey(client, Qt::Key_Left);
    QCOMPARE(client.BoardView->ShownPly(), 1);
    PressKey(client, Qt::Key_End);
    QCOMPARE(client.BoardView->ShownPly(), 2);
    TypeKeys(client, QStringLiteral("g1f3"));
    PressKey(client, Qt::Key_Left); // in the text now
    QCOMPARE(client.BoardView->ShownPly(), 2);
    PressKey(client, Qt::Key_Return);
    const QStringList line = {QStringLiteral("  - g1f3")};
    QCOMPARE(Lines(client.mmChat), line);
    QTRY_COMPARE(Lines(pair.Server->mmChat), line);
    QCOMPARE(client.CurrentGame->MoveRecord.size(), 2);
    QCOMPARE(pair.Server->CurrentGame->MoveRecord.size(), 2);
    QCOMPARE(client.focusWidget(), client.edChat);
}

void TestNetworkPlay::chatWithoutConnectionKeepsText() {
    const TNetWindow window(Settings(FreePort()));
    window->edChat->setText(QStringLiteral("никого нет"));
    QTest::keyClick(window->edChat, Qt::Key_Return);
    QVERIFY(window->mmChat->toPlainText().isEmpty());
    QCOMPARE(window->edChat->text(), QStringLiteral("никого нет"));
    // Keys other than Enter send nothing even when connected.
    TPair pair;
    pair.Server->edChat->setText(QStringLiteral("x"));
    QTest::keyClick(pair.Server->edChat, Qt::Key_Tab);
    QTest::keyClick(pair.Server->edChat, Qt::Key_Escape);
    QTest::qWait(Settle);
    QVERIFY(pair.Client->mmChat->toPlainText().isEmpty());
}

// Chat text travels as Windows-1251, one byte a letter; what that code page lacks is "?", in
// the sender's log as on the wire.
void TestNetworkPlay::chatOnTheWire() {
    const TNetWindow window(Settings(FreePort()));
    TRawPeer peer(window);
    window->edChat->setText(QStringLiteral("Привет € ✓"));
    QTest::keyClick(window->edChat, Qt::Key_Return);
    QCOMPARE(peer.Take(), QByteArray("m  - \xCF\xF0\xE8\xE2\xE5\xF2 \x88 ?"));
    QCOMPARE(Lines(window->mmChat), QStringList{"  - Привет € ?"});

    peer.Write("m  - \xC4\xE0, \xB8\xEB\xEA\xE0!"); // "Да, ёлка!"
    QTRY_COMPARE(Lines(window->mmChat).size(), 2);
    QCOMPARE(Lines(window->mmChat).last(), QStringLiteral("  - Да, ёлка!"));
}

void TestNetworkPlay::takeBack_data() {
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QStringList>("afterwards");
    QTest::newRow("consented") << QMessageBox::Yes << QStringList{"12>28"};
    QTest::newRow("refused") << QMessageBox::No << QStringList{"12>28", "52>36"};
    QTest::newRow("box closed") << QMessageBox::Escape << QStringList{"12>28", "52>36"};
}

void TestNetworkPlay::takeBack() {
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QStringList, afterwards);
    TPair pair;
    const QString caption = QStringLiteral("Отмена последнего хода");
    PlayByPresses(pair.Server.Form(), "e2e4 e7e5");
    QTRY_COMPARE(pair.Client->CurrentGame->MoveRecord.size(), 2);
    pair.Client.Foreground = false;
    pair.Client.Prompts().Answer = answer;

    pair.Server->btReturnClick();
    QTRY_COMPARE(pair.Client.Prompts().Messages.size(), 1);
    const TScriptedPrompts::Message question = pair.Client.Prompts().Messages.constFirst();
    QCOMPARE(question.Icon, QMessageBox::Question);
    QCOMPARE(question.Caption, caption);
    QCOMPARE(question.Text,
             QStringLiteral("Ваш оппонент предлагает отменить последний ход. \nВы согласны?"));
    QCOMPARE(question.Buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(pair.Client->windowTitle(), QStringLiteral("Korvalen*"));

    const bool refused = answer != QMessageBox::Yes;
    QTRY_COMPARE(pair.Server.Prompts().Messages.size(), refused ? 2 : 1);
    QTest::qWait(Settle);
    QCOMPARE(pair.Server->CurrentGame->MoveRecord, afterwards);
    QCOMPARE(pair.Client->CurrentGame->MoveRecord, afterwards);
    QCOMPARE(pair.Server->CurrentGame->Notation, pair.Client->CurrentGame->Notation);
    QCOMPARE(pair.Server->mmAnnotation->toPlainText(), pair.Client->mmAnnotation->toPlainText());
    QCOMPARE(pair.Client->dgBoard->Canvas().toImage(), pair.Server->dgBoard->Canvas().toImage());

    // The request-sent box, and after a refusal the refusal box (which may come first: the
    // answer can arrive while the request is still being sent).
    QList<QPair<QMessageBox::Icon, QString>> boxes;
    for (const TScriptedPrompts::Message &box : pair.Server.Prompts().Messages) {
        QCOMPARE(box.Caption, caption);
        QCOMPARE(box.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        boxes.append({box.Icon, box.Text});
    }
    QVERIFY(boxes.contains(
        {QMessageBox::Information, "Запрос на отмену хода отправлен вашему оппоненту."}));
    if (refused)
        QVERIFY(boxes.contains(
            {QMessageBox::Critical, "Ваш оппонент отказался отменить последний ход."}));
}

void TestNetworkPlay::desktopAlertedWithTheMarker_data() {
    QTest::addColumn<bool>("foreground");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<int>("alerts");
    QTest::newRow("in the background") << false << true << 1;
    QTest::newRow("active") << true << true << 0;
    QTest::newRow("marker cleared") << false << false << 0;
}

// The taskbar is asked for attention exactly when the title gets its marker.
void TestNetworkPlay::desktopAlertedWithTheMarker() {
    QFETCH(bool, foreground);
    QFETCH(bool, flag);
    QFETCH(int, alerts);
    TNetWindow window(Settings(FreePort()));
    window.Foreground = foreground;
    int alerted = 0;
    window->AlertDesktop = [&alerted] { ++alerted; };
    window->SetAttention(flag);
    QCOMPARE(alerted, alerts);
    QCOMPARE(window->windowTitle().endsWith(u'*'), alerts > 0);
}

void TestNetworkPlay::attentionClearedByActivation_data() {
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("activated") << "activation" << true;
    QTest::newRow("activation elsewhere") << "activation elsewhere" << false;
    QTest::newRow("restored") << "restore" << true;
}

void TestNetworkPlay::attentionClearedByActivation() {
    QFETCH(QString, event);
    QFETCH(bool, cleared);
    TNetWindow window(Settings(FreePort()));
    window.Foreground = false;
    window->SetAttention(true);
    QCOMPARE(window->windowTitle(), QStringLiteral("Korvalen*"));
    if (event == "restore") {
        QWindowStateChangeEvent restored(Qt::WindowMinimized);
        QApplication::sendEvent(window.Window->Form.get(), &restored);
    } else {
        window.Foreground = event == "activation";
        QEvent activation(QEvent::ActivationChange);
        QApplication::sendEvent(window.Window->Form.get(), &activation);
    }
    QCOMPARE(window->windowTitle(),
             cleared ? QStringLiteral("Korvalen") : QStringLiteral("Korvalen*"));
}

// ---- A foreign peer, byte by byte -----------------------------------------------------------

// However TCP cuts the bytes, every message is handled once, whole.
void TestNetworkPlay::messageCutAtEveryByte() {
    const TNetWindow window(Settings(FreePort()));
    TRawPeer peer(window);
    const QStringList record = {"12>28", "52>36", "6>21"};
    const QByteArray stream = MoveList(record).toLatin1() + "s57";
    // The first whole list is taken over and echoed; after that the list is as long as the
    // game, so nothing answers and no send runs the event loop between the two parts.
    peer.Write(stream);
    QTRY_COMPARE(window->CurrentGame->MoveRecord, record);
    QTRY_COMPARE(window->SelectedSquare, 57);
    QCOMPARE(peer.Take(), MoveList(record).toLatin1());
    const QStringList expected = {MoveList(record), "s57"};
    for (int cut = 1; cut < stream.size(); ++cut) {
        // The second part is read within the quiet time after the first, unless the test is
        // held up that long between them (a busy machine): then the pause rightly ends the
        // message, and the cut is tried again. A message ended sooner is a fault.
        for (int attempt = 1;; ++attempt) {
            window->SelectedSquare = -1;
            QSignalSpy received(window->ServerSocket, &TServerEndpoint::MessageReceived);
            const TArrival firstWritten = ArrivalNow();
            peer.Write(stream.left(cut));
            QCoreApplication::processEvents(); // the first part is read on its own
            peer.Write(stream.mid(cut));
            QTRY_VERIFY(received.size() >= 2);
            const QList<TCame> came = Came(received);
            qsizetype same = 0;
            while (same < came.size() && same < expected.size() &&
                   came.at(same).Message == expected.at(same))
                ++same;
            const bool endedByPause =
                same < came.size() && came.at(same).Arrival - firstWritten >= QuietTimeNs;
            if (endedByPause && attempt < 5) {
                peer.Take(); // the rest of the pieces, and the window's answer to them
                continue;
            }
            QCOMPARE(Received(received), expected);
            QCOMPARE(window->CurrentGame->MoveRecord, record);
            QCOMPARE(window->SelectedSquare, 57);
            break;
        }
    }
    QCOMPARE(peer.Socket.bytesAvailable(), 0);
    QVERIFY(window.Prompts().Messages.isEmpty());
}

void TestNetworkPlay::messagesInOneWrite_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("list, selection") << QByteArray("l12>28s12") << QStringList{"l12>28", "s12"};
    QTest::newRow("selection, list") << QByteArray("s-1l12>28") << QStringList{"s-1", "l12>28"};
    QTest::newRow("refusal, selection") << QByteArray("rNos5") << QStringList{"rNo", "s5"};
    QTest::newRow("request, consent") << QByteArray("rQuestrYes") << QStringList{"rQuest", "rYes"};
    QTest::newRow("list, chat") << QByteArray("lm  - ok") << QStringList{"l", "m  - ok"};
    QTest::newRow("consent, list") << QByteArray("rYesl") << QStringList{"rYes", "l"};
}

void TestNetworkPlay::messagesInOneWrite() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, messages);
    const TNetWindow window(Settings(FreePort()));
    window.Prompts().Answer = QMessageBox::No;
    TRawPeer peer(window);
    QSignalSpy received(window->ServerSocket, &TServerEndpoint::MessageReceived);
    peer.Write(bytes);
    QTRY_COMPARE(received.size(), messages.size());
    QCOMPARE(Received(received), messages);
    QTest::qWait(Settle);
    QCOMPARE(received.size(), messages.size());
}

// A read of nothing shows nothing; a peer that leaves only turns the indicator red.
void TestNetworkPlay::emptyReadAndPeerLeaving() {
    TNetWindow window(Settings(FreePort()));
    window.Foreground = false;
    TRawPeer peer(window);
    const QImage board = window->dgBoard->Canvas().toImage();
    peer.Write(QByteArray());
    window->HandleNetMessage(QString());
    peer.Socket.disconnectFromHost();
    QTRY_COMPARE(window->shConnect->BrushColor(), Red);
    QVERIFY(window->edChat->isReadOnly());
    QVERIFY(window.Prompts().Messages.isEmpty());
    QVERIFY(window->mmChat->toPlainText().isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Korvalen"));
    QVERIFY(window->CurrentGame->MoveRecord.isEmpty());
    QCOMPARE(window->dgBoard->Canvas().toImage(), board);
}

void TestNetworkPlay::badLongerListKeepsGame_data() {
    QTest::addColumn<QByteArray>("list");
    QTest::newRow("illegal move") << QByteArray("l12>28|52>36|12>20");
    QTest::newRow("not an entry") << QByteArray("l12>28|52>36|knight");
    QTest::newRow("off the board") << QByteArray("l12>28|52>36|6>64");
    QTest::newRow("empty entry") << QByteArray("l12>28||52>36");
    QTest::newRow("bad first entry") << QByteArray("l1>2|52>36|6>21");
}

// A longer list that does not replay leaves the game exactly as it was, and no answer goes
// back (it would only bring the same list again).
void TestNetworkPlay::badLongerListKeepsGame() {
    QFETCH(QByteArray, list);
    TNetWindow window(Settings(FreePort()));
    PlayByPresses(window.Form(), "d2d4 d7d5");
    TRawPeer peer(window);
    window.Foreground = false;
    const QStringList record = window->CurrentGame->MoveRecord;
    const QStringList notation = window->CurrentGame->Notation;
    const QString message = window->edGameMessage->text();
    const QImage board = window->dgBoard->Canvas().toImage();

    QSignalSpy received(window->ServerSocket, &TServerEndpoint::MessageReceived);
    peer.Write(list);
    // A word after the list comes as garbage of its own, one quiet time later.
    QTRY_VERIFY(!received.isEmpty());
    QTest::qWait(Settle);
    QCOMPARE(peer.Take(), QByteArray());
    QCOMPARE(window->CurrentGame->MoveRecord, record);
    QCOMPARE(window->CurrentGame->Notation, notation);
    QCOMPARE(window->edGameMessage->text(), message);
    QCOMPARE(window->dgBoard->Canvas().toImage(), board);
    QCOMPARE(window->windowTitle(), QStringLiteral("Korvalen"));
    QVERIFY(window.Prompts().Messages.isEmpty());
}

void TestNetworkPlay::badSelection_data() {
    QTest::addColumn<QByteArray>("selection");
    QTest::addColumn<int>("square");
    QTest::newRow("s99") << QByteArray("s99") << -1;
    QTest::newRow("sabc") << QByteArray("sabc") << -1;
    QTest::newRow("s64") << QByteArray("s64") << -1;
    QTest::newRow("s-2") << QByteArray("s-2") << -1;
    QTest::newRow("s+5") << QByteArray("s+5") << -1;
    QTest::newRow("s 5") << QByteArray("s 5") << -1;
    QTest::newRow("s alone") << QByteArray("s") << -1;
    QTest::newRow("s-1") << QByteArray("s-1") << -1;
    QTest::newRow("s5") << QByteArray("s5") << 5;
    QTest::newRow("s63") << QByteArray("s63") << 63;
}

// What is not a square of the board selects nothing: no bobbing, and the next press selects
// as on a fresh board.
void TestNetworkPlay::badSelection() {
    QFETCH(QByteArray, selection);
    QFETCH(int, square);
    const TNetWindow window(Settings(FreePort()));
    window->tmFlicker->stop();
    TRawPeer peer(window);
    peer.Write("s12");
    QTRY_COMPARE(window->SelectedSquare, 12);
    window->tmFlickerTimer();
    if (!window->FlickerRaised)
        window->tmFlickerTimer();
    QVERIFY(window->FlickerRaised); // the pawn is lifted now
    QSignalSpy received(window->ServerSocket, &TServerEndpoint::MessageReceived);
    peer.Write(selection);
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(window->SelectedSquare, square);
    if (square == -1) {
        window->tmFlickerTimer();
        window->tmFlickerTimer();
        // Nothing bobs, and the pawn that did rests on its square.
        const QImage board = window->dgBoard->Canvas().toImage();
        window->DrawBoard();
        QCOMPARE(window->dgBoard->Canvas().toImage(), board);
        PressSquare(window.Form(), "d2");
        QCOMPARE(window->SelectedSquare, SquareIndex("d2"));
        QVERIFY(window->CurrentGame->MoveRecord.isEmpty());
    }
}

void TestNetworkPlay::unknownMessages_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("marked");
    QTest::newRow("unknown letter") << QByteArray("x12>28") << false;
    QTest::newRow("capital L") << QByteArray("L12>28") << false;
    QTest::newRow("digits") << QByteArray("1234") << false;
    QTest::newRow("Cyrillic") << QByteArray("\xEB\xEE\xE3") << false;
    // A take-back message of no known kind still marks the title first.
    QTest::newRow("rMaybe") << QByteArray("rMaybe") << true;
    QTest::newRow("rquest") << QByteArray("rquest") << true;
}

void TestNetworkPlay::unknownMessages() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, marked);
    TNetWindow window(Settings(FreePort()));
    window.Foreground = false;
    PlayByPresses(window.Form(), "g1f3");
    TRawPeer peer(window);
    QSignalSpy received(window->ServerSocket, &TServerEndpoint::MessageReceived);
    peer.Write(bytes);
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(window->windowTitle(),
             marked ? QStringLiteral("Korvalen*") : QStringLiteral("Korvalen"));
    QCOMPARE(window->CurrentGame->MoveRecord, QStringList{"6>21"});
    QVERIFY(window->mmChat->toPlainText().isEmpty());
    QVERIFY(window.Prompts().Messages.isEmpty());
    QCOMPARE(peer.Take(), QByteArray());
}

void TestNetworkPlay::heldBackDuringPromotion_data() {
    QTest::addColumn<QByteArray>("arriving");
    QTest::addColumn<QStringList>("afterwards");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QByteArray>("answer"); // what the window sends besides its press

    const QStringList knight = BeforePromotion + QStringList{"49>57,K"};
    const QStringList longer = BeforePromotion + QStringList{"49>57,R", "52>36"};
    QTest::newRow("longer list") << MoveList(longer).toLatin1() << longer << 0
                                 << MoveList(longer).toLatin1();
    QTest::newRow("consent") << QByteArray("rYes") << BeforePromotion << 0 << QByteArray();
    QTest::newRow("request") << QByteArray("rQuest") << knight << 1 << QByteArray("rNo");
    QTest::newRow("selection, then list") << QByteArray("s52") + MoveList(longer).toLatin1()
                                          << longer << 0 << MoveList(longer).toLatin1();
}

// What would replay, undo or select on the game while the promotion dialog is open waits
// until the move has been played; the chat does not wait.
void TestNetworkPlay::heldBackDuringPromotion() {
    QFETCH(QByteArray, arriving);
    QFETCH(QStringList, afterwards);
    QFETCH(int, questions);
    QFETCH(QByteArray, answer);
    const TNetWindow window(Settings(FreePort()));
    window.Prompts().Answer = QMessageBox::No;
    window->CurrentGame->ReplayMoves(BeforePromotion);
    TRawPeer peer(window);
    PressSquare(window.Form(), "b7");
    QCOMPARE(peer.Take(), MoveList(BeforePromotion).toLatin1() + "s49");

    bool waited = false;
    WhenPieceDialogShows([&](TPieceSelectForm *dialog) {
        peer.Write(arriving);
        QCoreApplication::processEvents();
        peer.Write("m  - choose!");
        // The chat line arrives while the dialog is still open; the rest waits.
        waited = QTest::qWaitFor([&] { return !window->mmChat->toPlainText().isEmpty(); }) &&
                 QTest::qWaitFor([&] { return !window->Session->HeldMessages().isEmpty(); }) &&
                 window->CurrentGame->MoveRecord == BeforePromotion &&
                 window->SelectedSquare == SquareIndex("b7") && window.Prompts().Messages.isEmpty();
        dialog->btKnight->click();
    });
    PressSquare(window.Form(), "b8");
    QVERIFY(waited);
    QVERIFY(window->Session->HeldMessages().isEmpty());
    QCOMPARE(window->CurrentGame->MoveRecord, afterwards);
    QCOMPARE(window->SelectedSquare, -1);
    QCOMPARE(window.Prompts().Messages.size(), questions);
    // The held messages are answered first, then the press sends its list and selection.
    QCOMPARE(peer.Take(), answer + MoveList(afterwards).toLatin1() + "s-1");
}

// ---- A flooding peer ---------------------------------------------------------------------------

void TestNetworkPlay::floodOfTakeBackMessages_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("movesLeft"); // of 10
    // 300 refusals in one write opened 300 boxes, one on top of the other.
    QTest::newRow("refusals") << QByteArray("rNo") << 1 << QByteArray() << 10;
    QTest::newRow("requests") << QByteArray("rQuest") << 1 << QByteArray("rNo") << 10;
    // Every consent still takes back a move, unasked as it is.
    QTest::newRow("consents") << QByteArray("rYes") << 0 << QByteArray() << 0;
}

// While a take-back box is open, more messages of its kind are dropped.
void TestNetworkPlay::floodOfTakeBackMessages() {
    QFETCH(QByteArray, message);
    QFETCH(int, boxes);
    QFETCH(QByteArray, answer);
    QFETCH(int, movesLeft);
    TNetWindow window(Settings(FreePort()));
    auto prompts = std::make_unique<TModalPrompts>();
    TModalPrompts &shown = *prompts;
    shown.Answer = QMessageBox::No;
    window->SetPrompts(std::move(prompts));
    window->CurrentGame->ReplayMoves(KnightGame(10));
    TRawPeer peer(window);
    QSignalSpy received(window->ServerSocket, &TServerEndpoint::MessageReceived);
    peer.Write(message.repeated(300));
    QTRY_COMPARE(received.size(), 300);
    QTest::qWait(2 * Settle);
    QCOMPARE(shown.Messages.size(), boxes);
    QCOMPARE(peer.Take(), answer);
    QCOMPARE(window->CurrentGame->MoveRecord, KnightGame(movesLeft));
    // The box is closed now: the next one opens again.
    if (boxes > 0) {
        peer.Write(message);
        QTRY_COMPARE(shown.Messages.size(), 2);
    }
}

void TestNetworkPlay::floodOfShorterLists_data() {
    QTest::addColumn<bool>("oneWrite");
    QTest::addColumn<int>("answers");
    // 50 presses' shorter lists in one write were answered 50 times, each with the whole record.
    QTest::newRow("in one write") << true << 1;
    // Lists that come after the answer has been sent get answers of their own.
    QTest::newRow("one after the other") << false << 3;
}

void TestNetworkPlay::floodOfShorterLists() {
    QFETCH(bool, oneWrite);
    QFETCH(int, answers);
    const TNetWindow window(Settings(FreePort()));
    const QStringList game = KnightGame(12);
    window->CurrentGame->ReplayMoves(game);
    TRawPeer peer(window);
    QByteArray answered;
    if (oneWrite) {
        QByteArray lists;
        for (int moves = 0; moves < 50; ++moves)
            lists += MoveList(KnightGame(moves % 12)).toLatin1() + "s-1";
        peer.Write(lists);
        answered = peer.Take();
    } else {
        for (int moves : {0, 5, 11}) {
            peer.Write(MoveList(KnightGame(moves)).toLatin1());
            answered += peer.Take();
        }
    }
    QCOMPARE(answered, MoveList(game).toLatin1().repeated(answers));
    QCOMPARE(window->CurrentGame->MoveRecord, game);
}

void TestNetworkPlay::requestAfterAClearedGameAnswered_data() {
    QTest::addColumn<int>("takenBack"); // moves of a long game first taken back, 0 for none
    QTest::newRow("a short game") << 0;
    // The consents ran sends inside sends for seconds.
    QTest::newRow("after a batch of take-backs") << 60;
}

// A peer that starts a new game asks with the empty list, even when the window has just echoed
// that very game to it: every such request is answered, however many sends are still running
// their passes.
void TestNetworkPlay::requestAfterAClearedGameAnswered() {
    QFETCH(int, takenBack);
    const TNetWindow window(Settings(FreePort()));
    window->tmConnectTimer();
    const QStringList game = {"12>28", "52>36", "6>21", "57>42"};
    const QByteArray wholeGame = MoveList(game).toLatin1();
    QList<TThreadPeer::TStep> steps;
    for (int round = 0; round < 3; ++round) {
        // The peer waits (awaits nothing) until the window is back at the start.
        if (takenBack > 0) {
            const QByteArray longGame = MoveList(KnightGame(takenBack + round)).toLatin1();
            steps.append({longGame, longGame});
            steps.append({QByteArray("rYes").repeated(takenBack + round), {}});
        }
        for (qsizetype moves = 1; moves <= game.size(); ++moves) {
            const QByteArray longer = MoveList(game.mid(0, moves)).toLatin1();
            steps.append({longer, longer});
        }
        // The peer's new game, and a press on its board: the window still has this one, and
        // says so.
        steps.append({"ls-1", wholeGame});
        steps.append({wholeGame + "|1>18" + QByteArray("rYes").repeated(5), {}});
    }
    TThreadPeer peer(window->ServerSocket->ListeningPort(), steps);
    const QDeadlineTimer deadline(60000);
    while (!peer.Done() && !deadline.hasExpired()) {
        QTest::qWait(5);
        if (window->CurrentGame->MoveRecord.isEmpty())
            peer.Release();
    }
    QVERIFY(peer.Done());
    QVERIFY2(peer.Failure().isEmpty(), qPrintable(peer.Failure()));
}

QTEST_MAIN(TestNetworkPlay)
#include "tst_NetworkPlay.moc"
