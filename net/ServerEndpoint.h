// The server role: listens on every local interface at Port and accepts every connection that
// comes. Messages are read from all accepted connections but sent only to the oldest one still
// open.
#pragma once

#include "Endpoint.h"

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

private:
    void AcceptPending();
    void Forget(TConnection *connection);

    QTcpServer *Server; // child of this endpoint
    // In order of acceptance; the connections are children of this endpoint.
    QList<TConnection *> Connections;
};
