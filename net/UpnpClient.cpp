#include "UpnpClient.h"

#include "SsdpSearch.h"

#include <QDeadlineTimer>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

namespace {

// UPnP's error codes for AddPortMapping.
constexpr int ConflictInMappingEntry = 718;
constexpr int OnlyPermanentLeasesSupported = 725;

// What the router's mapping table shows beside the entry.
constexpr char MappingDescription[] = "Korvalen";
constexpr char Tcp[] = "TCP";

QByteArray PortText(quint16 port) {
    return QByteArray::number(port);
}

} // namespace

TUpnpClient::TUpnpClient()
    : Urls(std::make_unique<UPNPUrls>()), Data(std::make_unique<IGDdatas>()) {
    *Urls = {};
    *Data = {};
}

TUpnpClient::~TUpnpClient() {
    if (Found)
        FreeUPNPUrls(Urls.get());
}

// The search is the project's own rather than the library's, which waits out its whole
// discovery time even when the router answered at once. It is sent twice, in case the first
// datagram was lost.
bool TUpnpClient::Discover(int milliseconds, const std::function<bool()> &stopped) {
    TSsdpSearch search;
    if (!search.Send()) {
        LastError = QStringLiteral("UPnP: no socket for the search");
        return false;
    }
    const QDeadlineTimer deadline(milliseconds);
    QDeadlineTimer resend(std::min(milliseconds / 4, 400));
    for (;;) {
        const QByteArray location =
            search.NextLocation(resend.isForever() ? deadline : resend, stopped);
        if (!location.isEmpty()) {
            if (UseGateway(location))
                return true;
            continue;
        }
        if (deadline.hasExpired() || (stopped && stopped()))
            break;
        if (!resend.isForever()) {
            search.Send();
            resend = QDeadlineTimer(QDeadlineTimer::Forever);
        }
    }
    if (LastError.isEmpty())
        LastError = QStringLiteral("UPnP: no gateway answered");
    return false;
}

// Takes the device described at `location` when it has a WAN connection service.
bool TUpnpClient::UseGateway(const QByteArray &location) {
    if (Found)
        FreeUPNPUrls(Urls.get());
    *Urls = {};
    *Data = {};
    char local[64] = {};
    Found =
        UPNP_GetIGDFromUrl(location.constData(), Urls.get(), Data.get(), local, sizeof local) == 1;
    if (!Found || Urls->controlURL == nullptr || Urls->controlURL[0] == '\0') {
        LastError = QStringLiteral("UPnP: the device at %1 is no gateway")
                        .arg(QString::fromLatin1(location));
        return false;
    }
    Local = QString::fromLatin1(local);
    return true;
}

QHostAddress TUpnpClient::ExternalAddress() {
    char address[64] = {};
    if (!Ask("GetExternalIPAddress",
             UPNP_GetExternalIPAddress(Urls->controlURL, Data->first.servicetype, address)))
        return {};
    return QHostAddress(QString::fromLatin1(address));
}

TUpnpClient::TAnswer TUpnpClient::AddMapping(quint16 port, int leaseSeconds) {
    const QByteArray portText = PortText(port);
    const QByteArray local = Local.toLatin1();
    const auto add = [&](const QByteArray &lease) {
        return UPNP_AddPortMapping(Urls->controlURL, Data->first.servicetype, portText.constData(),
                                   portText.constData(), local.constData(), MappingDescription, Tcp,
                                   nullptr, lease.constData());
    };
    int result = add(QByteArray::number(leaseSeconds));
    if (result == OnlyPermanentLeasesSupported) {
        result = add("0");
        if (result == UPNPCOMMAND_SUCCESS)
            return TAnswer::Permanent;
    }
    if (Ask("AddPortMapping", result))
        return TAnswer::Granted;
    return result == ConflictInMappingEntry ? TAnswer::Taken : TAnswer::Refused;
}

void TUpnpClient::RemoveMapping(quint16 port) {
    Ask("DeletePortMapping", UPNP_DeletePortMapping(Urls->controlURL, Data->first.servicetype,
                                                    PortText(port).constData(), Tcp, nullptr));
}

QString TUpnpClient::ForwardedTo(quint16 port) {
    char client[64] = {}, internalPort[16] = {}, description[96] = {}, enabled[8] = {},
         lease[24] = {};
    const int result = UPNP_GetSpecificPortMappingEntry(
        Urls->controlURL, Data->first.servicetype, PortText(port).constData(), Tcp, nullptr, client,
        internalPort, description, enabled, lease);
    return result == UPNPCOMMAND_SUCCESS ? QString::fromLatin1(client) : QString();
}

// Keeps the router's words for an error, for the failure's detail.
bool TUpnpClient::Ask(const char *what, int result) {
    if (result == UPNPCOMMAND_SUCCESS)
        return true;
    const char *text = strupnperror(result);
    LastError = QStringLiteral("UPnP %1: %2 (%3)")
                    .arg(QLatin1String(what), text ? QString::fromLatin1(text) : QString())
                    .arg(result);
    return false;
}
