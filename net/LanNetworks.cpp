#include "LanNetworks.h"

#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QStringList>

namespace {

// The IPv4 form of an address; nullopt for one that has none.
std::optional<quint32> Ipv4Of(const QHostAddress &address) {
    bool isIpv4 = false;
    const quint32 value = address.toIPv4Address(&isIpv4);
    if (!isIpv4)
        return std::nullopt;
    return value;
}

// Calls take(interface, entry) for each IPv4 address entry of the interfaces that are up.
template <typename TTake> void ForEachIpv4Entry(TTake take) {
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!interface.flags().testFlag(QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                take(interface, entry);
        }
    }
}

} // namespace

bool TLanNetwork::Holds(const QHostAddress &address) const {
    const std::optional<quint32> own = Ipv4Of(Address);
    const std::optional<quint32> mask = Ipv4Of(Netmask);
    const std::optional<quint32> other = Ipv4Of(address);
    // A network without a mask would hold every address there is.
    return own && mask && other && *mask != 0 && (*own & *mask) == (*other & *mask);
}

bool IsVirtualBridge(const QString &interfaceName) {
    static const QStringList prefixes = {QStringLiteral("docker"), QStringLiteral("virbr"),
                                         QStringLiteral("br-"), QStringLiteral("veth")};
    for (const QString &prefix : prefixes) {
        if (interfaceName.startsWith(prefix))
            return true;
    }
    return false;
}

QList<TLanNetwork> ConnectedNetworks() {
    QList<TLanNetwork> networks;
    ForEachIpv4Entry(
        [&networks](const QNetworkInterface &interface, const QNetworkAddressEntry &entry) {
            networks.append({interface.name(), entry.ip(), entry.netmask(), entry.broadcast()});
        });
    return networks;
}

QList<QHostAddress> ProbeAddresses() {
    QList<QHostAddress> addresses;
    ForEachIpv4Entry([&addresses](const QNetworkInterface &interface,
                                  const QNetworkAddressEntry &entry) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsRunning) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack) || IsVirtualBridge(interface.name()) ||
            entry.broadcast().isNull() || addresses.contains(entry.broadcast()))
            return;
        addresses.append(entry.broadcast());
    });
    return addresses;
}

std::optional<TLanNetwork> NetworkHolding(const QList<TLanNetwork> &networks,
                                          const QHostAddress &address) {
    for (const TLanNetwork &network : networks) {
        if (network.Holds(address))
            return network;
    }
    return std::nullopt;
}
