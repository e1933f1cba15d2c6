#include "ServerEndpoint.h"

#include "Connection.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

TServerEndpoint::TServerEndpoint(QObject *parent)
    : TEndpoint(parent), Server(new QTcpServer(this)) {
    connect(Server, &QTcpServer::newConnection, this, &TServerEndpoint::AcceptPending);
}

TServerEndpoint::~TServerEndpoint() {
    // Ending with the window: the connections go with their parent, without notifications.
    for (TConnection *connection : std::as_const(Connections))
        connection->disconnect(this);
}

quint16 TServerEndpoint::ListeningPort() const {
    return Server->isListening() ? Server->serverPort() : 0;
}

void TServerEndpoint::Open() {
    if (Server->isListening() || Port() < 0 || Port() > 65535)
        return;
    // Any: every local interface; IPv4 clients reach it through the dual-stack socket.
    Server->listen(QHostAddress::Any, static_cast<quint16>(Port()));
}

void TServerEndpoint::Close() {
    Server->close();
    const QList<QPointer<TConnection>> ending(Connections.cbegin(), Connections.cend());
    for (const QPointer<TConnection> &connection : ending) {
        if (connection)
            connection->Close(); // its Closed() takes it off the list and notifies
    }
}

bool TServerEndpoint::Active() const {
    return Server->isListening();
}

bool TServerEndpoint::Send(const QByteArray &message) {
    for (TConnection *connection : std::as_const(Connections)) {
        if (connection->IsOpen())
            return connection->Send(message);
    }
    return false;
}

namespace {

// The dual-stack socket reports an IPv4 peer as ::ffff:a.b.c.d; people know it as a.b.c.d.
QHostAddress PlainAddress(const QHostAddress &address) {
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    return isIpv4 ? QHostAddress(ipv4) : address;
}

} // namespace

QHostAddress TServerEndpoint::OldestPeer() const {
    return Connections.isEmpty() ? QHostAddress()
                                 : PlainAddress(Connections.front()->PeerAddress());
}

void TServerEndpoint::AcceptPending() {
    while (QTcpSocket *socket = Server->nextPendingConnection()) {
        if (SinglePeer && !Connections.isEmpty()) {
            TurnAway(socket);
            continue;
        }
        const QHostAddress peer = PlainAddress(socket->peerAddress());
        TConnection *connection = TakeConnection(socket);
        connect(connection, &TConnection::Closed, this, [this, connection] { Forget(connection); });
        Connections.append(connection);
        emit PeerAccepted(peer);
        emit ConnectionOpened();
    }
}

// Reset rather than closed gracefully: nothing of the peer's is read, nothing is sent to it.
void TServerEndpoint::TurnAway(QTcpSocket *socket) {
    socket->abort();
    socket->deleteLater();
}

void TServerEndpoint::Forget(TConnection *connection) {
    Connections.removeOne(connection);
    emit ConnectionClosed();
}
