// The server role: listens on every local interface at Port and accepts every connection that
// comes, or with one peer only, none while another is open. Messages are read from all
// accepted connections but sent only to the oldest one still open.
#pragma once

#include "Endpoint.h"

#include <QHostAddress>
#include <QList>

class QTcpServer;

class TServerEndpoint : public TEndpoint {
    Q_OBJECT

public:
    // Port 0 listens on a port the system picks (see ListeningPort); a number outside 0..65535
    // never listens.
    explicit TServerEndpoint(QObject *parent = nullptr);
    ~TServerEndpoint() override;

    // The port actually listened on, 0 while not listening.
    quint16 ListeningPort() const;

    // Starts listening unless already listening (a port in use, say, leaves it inactive).
    void Open() override;
    // Stops listening and ends every accepted connection.
    void Close() override;
    // True while listening, whether or not a connection has been accepted.
    bool Active() const override;
    // Accepted connections still open.
    int ConnectionCount() const override { return static_cast<int>(Connections.size()); }
    // To the oldest open connection.
    bool Send(const QByteArray &message) override;
    // With one peer only, a connection that comes while another is open is closed at once and
    // never told; the connections already open stay.
    void SetSinglePeer(bool single) { SinglePeer = single; }
    bool SinglePeerOnly() const { return SinglePeer; }
    // The peer of the oldest open connection, the one sends go to (as PeerAccepted() gave it);
    // null when none is open.
    QHostAddress OldestPeer() const;

signals:
    // A connection was accepted from this address (an IPv4 peer as a plain IPv4 address);
    // ConnectionOpened() follows.
    void PeerAccepted(const QHostAddress &address);

private:
    void AcceptPending();
    void Forget(TConnection *connection);
    static void TurnAway(QTcpSocket *socket);

    QTcpServer *Server; // child of this endpoint
    // In order of acceptance; the connections are children of this endpoint.
    QList<TConnection *> Connections;
    bool SinglePeer = false;
};
