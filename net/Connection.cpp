#include "Connection.h"

#include "Protocol.h"
#include "SocketOptions.h"

#include <QPointer>
#include <QTcpSocket>

namespace {

// Twice the peer's quiet time, so that a late timer or an uneven network still sees the pause.
constexpr int ChatPauseMs = 2 * TMessageSplitter::QuietTimeMs;
// How often the acknowledgement of a chat line is looked for: on a LAN it comes within a
// millisecond, or, for a lost segment, a retransmission timeout (some 200 ms) later.
constexpr int AckPollMs = 5;
// A peer that acknowledges nothing for this long is not waited for any more: what is held goes
// after the quiet time (the connection may be dying, and then no pause helps).
constexpr int AckWaitCapMs = 3000;
// Each handler that runs the event loop may start one more delivery inside its own; beyond this
// many the outer ones take the rest in order, so however much a peer sends, the stack stays
// bounded.
constexpr int MaxNestedDeliveries = 32;

} // namespace

TConnection::TConnection(QTcpSocket *socket, QObject *parent) : QObject(parent), Socket(socket) {
    Socket->setParent(this);
    QuietTimer.setSingleShot(true);
    QuietTimer.setInterval(TMessageSplitter::QuietTimeMs);
    connect(&QuietTimer, &QTimer::timeout, this, &TConnection::QuietTimeElapsed);
    ChatPause.setSingleShot(true);
    ChatPause.setInterval(ChatPauseMs);
    connect(&ChatPause, &QTimer::timeout, this, &TConnection::SendHeld);
    AckPoll.setInterval(AckPollMs);
    connect(&AckPoll, &QTimer::timeout, this, &TConnection::CheckChatAcknowledged);
    connect(Socket, &QTcpSocket::readyRead, this, &TConnection::Read);
    connect(Socket, &QTcpSocket::disconnected, this, &TConnection::PeerLeft);
    // Errors are not reported: a broken connection simply ends, with its disconnect.
}

// A socket destroyed with its connection aborts, and that must not call back into a half-gone one.
TConnection::~TConnection() {
    Socket->disconnect(this);
}

bool TConnection::IsOpen() const {
    return !Finished && Socket->state() == QAbstractSocket::ConnectedState;
}

QHostAddress TConnection::PeerAddress() const {
    return Socket->peerAddress();
}

bool TConnection::Send(const QByteArray &message) {
    if (!IsOpen())
        return false;
    if (InChatPause()) {
        Held.append(message);
        return true;
    }
    return Write(message);
}

bool TConnection::Write(const QByteArray &message) {
    if (Socket->write(message) != message.size())
        return false;
    Socket->flush();
    if (message.startsWith(ChatLetter))
        StartChatPause();
    return true;
}

bool TConnection::InChatPause() const {
    return AckPoll.isActive() || ChatPause.isActive();
}

void TConnection::StartChatPause() {
    ChatPause.stop();
    SinceChat.start();
    AckPoll.start();
}

// Every byte written so far counts, the chat line's last one included. Where the system cannot
// tell, the quiet time alone has to do.
void TConnection::CheckChatAcknowledged() {
    const bool acknowledged =
        Socket->bytesToWrite() == 0 && UnacknowledgedBytes(*Socket).value_or(0) == 0;
    if (!acknowledged && SinceChat.elapsed() < AckWaitCapMs)
        return;
    AckPoll.stop();
    ChatPause.start();
}

// In the order sent; a further chat line among them starts the next pause.
void TConnection::SendHeld() {
    while (IsOpen() && !InChatPause() && !Held.isEmpty())
        Write(Held.takeFirst());
}

void TConnection::Close() {
    if (Finished)
        return;
    Socket->disconnect(this);
    // Every message has been flushed to the system when it was sent, so nothing is lost here,
    // but for those held behind a chat line: written now, the peer would read them as its text.
    Socket->disconnectFromHost();
    Finish();
}

void TConnection::Read() {
    if (Finished)
        return;
    const QByteArray bytes = Socket->readAll();
    if (bytes.isEmpty())
        return;
    Arrived(Splitter.Feed(bytes));
    if (Splitter.HasPending())
        QuietTimer.start();
    else
        QuietTimer.stop();
    ScheduleDelivery();
}

void TConnection::Arrived(const QList<QByteArray> &messages) {
    const TArrival now = ArrivalNow();
    for (const QByteArray &message : messages)
        Undelivered.append({message, now});
}

void TConnection::QuietTimeElapsed() {
    if (Finished)
        return;
    Arrived(Splitter.Flush());
    Deliver();
}

// The socket does not signal a read again while a slot of its read signal runs, and a receiver
// may run the event loop (a message box) while it handles a message; so messages are handed on
// from the event loop, not from the read signal, and the next ones still arrive meanwhile.
void TConnection::ScheduleDelivery() {
    if (DeliveryScheduled)
        return;
    DeliveryScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            DeliveryScheduled = false;
            Deliver();
        },
        Qt::QueuedConnection);
}

// Messages wait in a member queue: a nested delivery takes the next one in order, and nothing
// more is handed on once the connection has been closed from this side. The next one is due
// before a message is handed on, so a handler that runs the event loop (a message box) sees the
// messages behind it inside, whether they came in the same read or later.
void TConnection::Deliver() {
    if (NestedDeliveries >= MaxNestedDeliveries)
        return;
    const QPointer<TConnection> alive(this);
    ++NestedDeliveries; // not a scoped guard: a handler may end this connection for good
    while (alive && !Finished && !Undelivered.isEmpty()) {
        const TArrived arrived = Undelivered.takeFirst();
        if (!Undelivered.isEmpty())
            ScheduleDelivery();
        emit MessageReceived(arrived.Message, arrived.Arrival);
    }
    if (alive)
        --NestedDeliveries;
    if (alive && !Finished && PeerGone)
        Finish();
}

void TConnection::PeerLeft() {
    if (Finished || PeerGone)
        return;
    // What arrived before the end is still handed on, the unfinished rest included.
    Read();
    QuietTimer.stop();
    Arrived(Splitter.Flush());
    PeerGone = true;
    ScheduleDelivery();
}

void TConnection::Finish() {
    Finished = true;
    QuietTimer.stop();
    AckPoll.stop();
    ChatPause.stop();
    Held.clear();
    Undelivered.clear();
    emit Closed();
    deleteLater();
}
