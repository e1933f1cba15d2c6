// The client role: dials the server at Address:Port, where Address is a dotted IPv4 address
// (no host-name lookup).
#pragma once

#include "Endpoint.h"

#include <QPointer>
#include <QString>

class TClientEndpoint : public TEndpoint {
    Q_OBJECT

public:
    explicit TClientEndpoint(QObject *parent = nullptr);
    ~TClientEndpoint() override;

    // Stored as given; a new address takes effect at the next Open().
    QString Address() const { return AddressText; }
    void SetAddress(const QString &address) { AddressText = address; }

    // Starts a connection attempt, abandoning one still pending from an earlier Open(). Text
    // that is not a dotted IPv4 address (empty, a host name, IPv6; blanks around it are ignored)
    // or a port outside 1..65535 silently gives no connection. Does nothing while connected.
    void Open() override;
    // Ends an established connection; a pending attempt is dropped without a notification.
    void Close() override;
    // True exactly while connected (false while an attempt is pending).
    bool Active() const override;
    int ConnectionCount() const override { return Active() ? 1 : 0; }
    bool Send(const QByteArray &message) override;

private:
    void Connected();
    void DropAttempt();

    QString AddressText;
    QPointer<QTcpSocket> Attempt;     // a pending connection attempt, child of this endpoint
    QPointer<TConnection> Connection; // the established connection, child of this endpoint
};
