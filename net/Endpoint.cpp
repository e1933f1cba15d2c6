#include "Endpoint.h"

#include "Connection.h"

#include <QTcpSocket>

TConnection *TEndpoint::TakeConnection(QTcpSocket *socket) {
    PrepareConnection(*socket, DeadPeerTimes);
    auto *connection = new TConnection(socket, this); // owned by this endpoint
    connect(connection, &TConnection::MessageReceived, this, &TEndpoint::MessageReceived);
    return connection;
}
