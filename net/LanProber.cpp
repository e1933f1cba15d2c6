#include "LanProber.h"

#include "DiscoveryMessage.h"
#include "LanNetworks.h"

#include <QTimer>
#include <QUdpSocket>
#include <algorithm>

namespace {

constexpr qint64 ForgottenAfter = 15000;
constexpr int ExpiryCheckInterval = 1000;
// Answers to this many of the latest probes are taken: an answer that comes just after the next
// probe went is still one to us.
constexpr qsizetype NoncesKept = 4;
constexpr int MaxDatagramsPerRead = 64;

quint32 Ipv4(const QHostAddress &address) {
    return address.toIPv4Address();
}

bool Before(const TFoundServer &a, const TFoundServer &b) {
    return std::pair(Ipv4(a.Address), a.Port) < std::pair(Ipv4(b.Address), b.Port);
}

} // namespace

bool TFoundServer::SameServer(const TFoundServer &other) const {
    return Address == other.Address && Port == other.Port;
}

bool TFoundServer::ShowsDifferently(const TFoundServer &other) const {
    return Busy != other.Busy || Name != other.Name;
}

TLanProber::TLanProber(QObject *parent)
    : QObject(parent), Socket(new QUdpSocket(this)), Expiry(new QTimer(this)) {
    Clock.start();
    Expiry->setInterval(ExpiryCheckInterval);
    connect(Expiry, &QTimer::timeout, this, &TLanProber::DropSilent);
    connect(Socket, &QUdpSocket::readyRead, this, &TLanProber::ReadPending);
}

void TLanProber::Probe(quint16 port) {
    if (port == 0 || !ListenOn(port))
        return;
    Nonces.append(NewDiscoveryNonce());
    if (Nonces.size() > NoncesKept)
        Nonces.removeFirst();
    const QByteArray probe = ProbeDatagram(Nonces.back());
    for (const QHostAddress &broadcast : ProbeAddresses())
        Socket->writeDatagram(probe, broadcast, port);
}

void TLanProber::Forget() {
    Socket->close();
    ProbedPort = 0;
    Nonces.clear();
    Expiry->stop();
    if (Found.isEmpty())
        return;
    Found.clear();
    emit ServersChanged();
}

// The game port when it can be shared, else any port: answers to the probe's source still come.
bool TLanProber::ListenOn(quint16 port) {
    if (Socket->state() == QAbstractSocket::BoundState && port == ProbedPort)
        return true;
    Socket->close();
    ProbedPort = port;
    return Socket->bind(QHostAddress::AnyIPv4, port,
                        QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint) ||
           Socket->bind(QHostAddress::AnyIPv4, 0);
}

void TLanProber::ReadPending() {
    for (int read = 0; read < MaxDatagramsPerRead && Socket->hasPendingDatagrams(); ++read) {
        const qint64 size = Socket->pendingDatagramSize();
        QByteArray datagram(MaxDiscoveryDatagram + 1, Qt::Uninitialized);
        QHostAddress sender;
        const qint64 got = Socket->readDatagram(datagram.data(), datagram.size(), &sender);
        if (got < 0 || size > MaxDiscoveryDatagram)
            continue;
        datagram.truncate(got);
        Heard(datagram, sender);
    }
}

void TLanProber::Heard(const QByteArray &datagram, const QHostAddress &sender) {
    const std::optional<TDiscoveryAnswer> answer = ParseAnswer(datagram);
    bool isIpv4 = false;
    const quint32 source = sender.toIPv4Address(&isIpv4);
    if (!answer || !isIpv4 || !Nonces.contains(answer->Nonce))
        return;
    const TFoundServer server{QHostAddress(source), answer->Port, answer->Busy, answer->Name,
                              Clock.elapsed()};
    const auto at = std::lower_bound(Found.begin(), Found.end(), server, Before);
    if (at != Found.end() && at->SameServer(server)) {
        const bool changed = at->ShowsDifferently(server);
        *at = server;
        if (changed)
            emit ServersChanged();
        return;
    }
    Found.insert(at, server);
    if (!Expiry->isActive())
        Expiry->start();
    emit ServersChanged();
}

void TLanProber::DropSilent() {
    const qint64 now = Clock.elapsed();
    const qsizetype dropped = Found.removeIf(
        [now](const TFoundServer &server) { return now - server.HeardAt >= ForgottenAfter; });
    if (Found.isEmpty())
        Expiry->stop();
    if (dropped > 0)
        emit ServersChanged();
}
