#include "SsdpSearch.h"

#include <QHostAddress>
#include <QVariant>
#include <algorithm>

namespace {

const QHostAddress SsdpGroup(QStringLiteral("239.255.255.250"));
constexpr quint16 SsdpPort = 1900;

// The kinds of device and service that can map a port; devices answer those they are.
constexpr const char *SearchTargets[] = {
    "urn:schemas-upnp-org:device:InternetGatewayDevice:1",
    "urn:schemas-upnp-org:device:InternetGatewayDevice:2",
    "urn:schemas-upnp-org:service:WANIPConnection:1",
    "urn:schemas-upnp-org:service:WANPPPConnection:1",
};

QByteArray SearchMessage(const char *target) {
    return QByteArray("M-SEARCH * HTTP/1.1\r\n"
                      "HOST: 239.255.255.250:1900\r\n"
                      "MAN: \"ssdp:discover\"\r\n"
                      "MX: 1\r\n"
                      "ST: ") +
           target + "\r\n\r\n";
}

} // namespace

TSsdpSearch::TSsdpSearch() : Socket(std::make_unique<QUdpSocket>()) {}

bool TSsdpSearch::Send() {
    if (Socket->state() != QAbstractSocket::BoundState && !Socket->bind(QHostAddress::AnyIPv4, 0))
        return false;
    // Two hops at most: the router is the next one, never a network further out.
    Socket->setSocketOption(QAbstractSocket::MulticastTtlOption, QVariant(2));
    bool sent = false;
    for (const char *target : SearchTargets)
        sent |= Socket->writeDatagram(SearchMessage(target), SsdpGroup, SsdpPort) > 0;
    return sent;
}

QByteArray TSsdpSearch::NextLocation(const QDeadlineTimer &deadline,
                                     const std::function<bool()> &stopped) {
    for (;;) {
        while (Socket->hasPendingDatagrams()) {
            QByteArray answer(static_cast<int>(std::max<qint64>(Socket->pendingDatagramSize(), 0)),
                              Qt::Uninitialized);
            answer.resize(static_cast<int>(Socket->readDatagram(answer.data(), answer.size())));
            const QByteArray location = LocationOf(answer);
            if (!location.isEmpty() && !Told.contains(location)) {
                Told.append(location);
                return location;
            }
        }
        if (deadline.hasExpired() || (stopped && stopped()))
            return {};
        Socket->waitForReadyRead(
            static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, 100)));
    }
}

QByteArray TSsdpSearch::LocationOf(const QByteArray &answer) {
    const QList<QByteArray> lines = answer.split('\n');
    // "HTTP/1.1 200 OK", or 1.0 from some devices; a NOTIFY or another search is no answer.
    if (lines.isEmpty() || !lines.first().startsWith("HTTP/1.") ||
        lines.first().mid(8).trimmed().left(3) != "200")
        return {};
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "location") {
            // The library reads descriptions over plain HTTP only; a URL with spaces or controls
            // inside is no URL.
            const QByteArray url = line.mid(colon + 1).trimmed();
            const bool plain = std::none_of(url.begin(), url.end(), [](char c) {
                return static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
            });
            return url.startsWith("http://") && plain ? url : QByteArray();
        }
    }
    return {};
}
