// What the session needs of either role's endpoint: open it, close it, ask whether it is up,
// hand it a message, and hear of connections and messages. The server and the client endpoint
// differ only in how a connection comes about.
// Lives on the GUI thread; socket errors are never reported.
#pragma once

#include "Arrival.h"
#include "SocketOptions.h"

#include <QByteArray>
#include <QObject>

class QTcpSocket;
class TConnection;

class TEndpoint : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // A new port takes effect at the next Open().
    int Port() const { return PortNumber; }
    void SetPort(int port) { PortNumber = port; }
    // How soon a connection whose peer vanished is given up (and ConnectionClosed() follows);
    // taken by the connections made from now on.
    void SetDeadPeerTimes(const TDeadPeerTimes &times) { DeadPeerTimes = times; }

    // Failures leave the endpoint inactive without a word; the caller simply tries again later.
    virtual void Open() = 0;
    // Ends every connection of this endpoint, each with a ConnectionClosed(). Messages not yet
    // handed on from those connections are dropped.
    virtual void Close() = 0;
    // Whether this role's endpoint needs no Open(): the server listens, the client is connected.
    virtual bool Active() const = 0;
    // Connections of this endpoint still open.
    virtual int ConnectionCount() const = 0;
    // Writes one message on the connection that messages go to and flushes it; false when
    // there is none.
    virtual bool Send(const QByteArray &message) = 0;

signals:
    void ConnectionOpened();
    // One connection ended (the peer left, an error dropped it, or Close()).
    void ConnectionClosed();
    // One whole message arrived on any connection of this endpoint.
    // Emitted from the event loop; a handler that runs the event loop (a message box) sees the
    // following messages handed on inside it, in order. `arrival`: when it came.
    void MessageReceived(const QByteArray &message, TArrival arrival);

protected:
    // A connected socket made a connection of this endpoint (its child), told how to notice a
    // vanished peer, its messages handed on as this endpoint's.
    TConnection *TakeConnection(QTcpSocket *socket);

private:
    int PortNumber = 0;
    TDeadPeerTimes DeadPeerTimes;
};
