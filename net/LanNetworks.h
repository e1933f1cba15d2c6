// The IPv4 networks this computer is directly on, as the system reports them now: where a
// probe is sent, and whom an answer may go to.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <optional>

struct TLanNetwork {
    QString Interface;
    QHostAddress Address; // this computer's address on it
    QHostAddress Netmask;
    QHostAddress Broadcast; // null where the interface has none (loopback, point to point)

    bool Holds(const QHostAddress &address) const;
};

// The bridges that containers and virtual machines put on a computer: no other computer of the
// LAN is reached through them.
bool IsVirtualBridge(const QString &interfaceName);

// Every IPv4 network of an interface that is up, loopback included.
QList<TLanNetwork> ConnectedNetworks();
// Where a probe goes: the directed broadcast address of every IPv4 network of an interface
// that is up, running and broadcast-capable, neither loopback nor a virtual bridge.
QList<QHostAddress> ProbeAddresses();

// The network, among these, that holds the address (an IPv4-mapped IPv6 address counts as
// its IPv4 one).
std::optional<TLanNetwork> NetworkHolding(const QList<TLanNetwork> &networks,
                                          const QHostAddress &address);
