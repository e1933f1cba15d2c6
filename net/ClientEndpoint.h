// The client role: dials the server at Address:Port, where Address is a dotted IPv4 address
// (no host-name lookup). Lives on the GUI thread; socket errors are never reported.
#pragma once

#include "SocketOptions.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QTcpSocket;
class TConnection;

class TClientEndpoint : public QObject {
    Q_OBJECT

public:
    explicit TClientEndpoint(QObject *parent = nullptr);
    ~TClientEndpoint() override;

    // Stored as given; a new address or port takes effect at the next Open().
    QString Address() const { return AddressText; }
    void SetAddress(const QString &address) { AddressText = address; }
    int Port() const { return PortNumber; }
    void SetPort(int port) { PortNumber = port; }
    // How soon a connection whose peer vanished is given up; taken by the next connection.
    void SetDeadPeerTimes(const TDeadPeerTimes &times) { DeadPeerTimes = times; }

    // Starts a connection attempt, abandoning one still pending from an earlier Open(). Text
    // that is not a dotted IPv4 address (empty, a host name, IPv6; blanks around it are ignored)
    // or a port outside 1..65535 silently gives no connection. Does nothing while connected.
    void Open();
    // Ends an established connection, with its ConnectionClosed(); a pending attempt is dropped
    // without a notification. Messages not yet handed on are dropped.
    void Close();
    // True exactly while connected (false while an attempt is pending).
    bool Active() const;

    // Writes one message on the connection and flushes it; false when not connected.
    bool Send(const QByteArray &message);

signals:
    void ConnectionOpened();
    void ConnectionClosed();
    // One whole message arrived.
    // Emitted from the event loop; a handler that runs the event loop (a message box) sees the
    // following messages handed on inside it, in order.
    void MessageReceived(const QByteArray &message);

private:
    void Connected();
    void DropAttempt();

    QString AddressText;
    int PortNumber = 0;
    TDeadPeerTimes DeadPeerTimes;
    QPointer<QTcpSocket> Attempt;     // a pending connection attempt, child of this endpoint
    QPointer<TConnection> Connection; // the established connection, child of this endpoint
};
