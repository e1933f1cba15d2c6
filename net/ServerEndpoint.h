// The server role: listens on every local interface at Port and accepts every connection that
// comes. Messages are read from all accepted connections but sent only to the oldest one still
// open. Lives on the GUI thread; socket errors are never reported.
#pragma once

#include "SocketOptions.h"

#include <QByteArray>
#include <QList>
#include <QObject>

class QTcpServer;
class TConnection;

class TServerEndpoint : public QObject {
    Q_OBJECT

public:
    explicit TServerEndpoint(QObject *parent = nullptr);
    ~TServerEndpoint() override;

    // 0 listens on a port the system picks (see ListeningPort); a number outside 0..65535 never
    // listens. A new port takes effect at the next Open().
    int Port() const { return PortNumber; }
    void SetPort(int port) { PortNumber = port; }
    // How soon a connection whose peer vanished is given up (and ConnectionClosed() follows);
    // taken by the connections accepted from now on.
    void SetDeadPeerTimes(const TDeadPeerTimes &times) { DeadPeerTimes = times; }

    // The port actually listened on, 0 while not listening.
    quint16 ListeningPort() const;

    // Starts listening unless already listening. Failure (the port is in use, say) leaves the
    // endpoint inactive without a word; the caller simply tries again later.
    void Open();
    // Stops listening and ends every accepted connection, each with a ConnectionClosed().
    // Messages not yet handed on from those connections are dropped.
    void Close();
    // True while listening, whether or not a connection has been accepted.
    bool Active() const;

    // Accepted connections still open.
    int ConnectionCount() const { return static_cast<int>(Connections.size()); }

    // Writes one message on the oldest open connection and flushes it; false when there is none.
    bool Send(const QByteArray &message);

signals:
    // A connection was accepted.
    void ConnectionOpened();
    // One accepted connection ended (the peer left, an error dropped it, or Close()).
    void ConnectionClosed();
    // One whole message arrived on any accepted connection.
    // Emitted from the event loop; a handler that runs the event loop (a message box) sees the
    // following messages handed on inside it, in order.
    void MessageReceived(const QByteArray &message);

private:
    void AcceptPending();
    void Forget(TConnection *connection);

    int PortNumber = 0;
    TDeadPeerTimes DeadPeerTimes;
    QTcpServer *Server; // child of this endpoint
    // In order of acceptance; the connections are children of this endpoint.
    QList<TConnection *> Connections;
};
