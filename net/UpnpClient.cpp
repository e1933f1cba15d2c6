#include "UpnpClient.h"

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

struct TDeviceListDeleter {
    void operator()(UPNPDev *list) const { freeUPNPDevlist(list); }
};

// Finds the first IGD among the devices; its result as UPNP_GetValidIGD gives it. The function
// took two more arguments (the WAN address) from API 18 on.
int FindValidIgd(UPNPDev *devices, UPNPUrls *urls, IGDdatas *data, char *local, int localSize) {
#if MINIUPNPC_API_VERSION >= 18
    char wan[64] = {};
    return UPNP_GetValidIGD(devices, urls, data, local, localSize, wan, sizeof wan);
#else
    return UPNP_GetValidIGD(devices, urls, data, local, localSize);
#endif
}

QByteArray PortText(quint16 port) { return QByteArray::number(port); }

} // namespace

TUpnpClient::TUpnpClient() : Urls(std::make_unique<UPNPUrls>()), Data(std::make_unique<IGDdatas>()) {
    *Urls = {};
    *Data = {};
}

TUpnpClient::~TUpnpClient() {
    if (Found)
        FreeUPNPUrls(Urls.get());
}

bool TUpnpClient::Discover(int milliseconds) {
    int error = 0;
    // "" rather than null: a local SSDP cache daemon would answer for devices that are not on
    // this network namespace's wire; the gateway itself must answer.
    const std::unique_ptr<UPNPDev, TDeviceListDeleter> devices(
        upnpDiscover(milliseconds, nullptr, "", UPNP_LOCAL_PORT_ANY, 0, 2, &error));
    if (!devices) {
        LastError = QStringLiteral("no UPnP device answered");
        return false;
    }
    char local[64] = {};
    const int result = FindValidIgd(devices.get(), Urls.get(), Data.get(), local, sizeof local);
    if (result == 0) {
        LastError = QStringLiteral("no UPnP gateway among the devices");
        return false;
    }
    Found = true;
    Local = QString::fromLatin1(local);
    // Not a gateway (the last result of either API): its URLs are freed with this client.
#if MINIUPNPC_API_VERSION >= 18
    const int notAGateway = 4;
#else
    const int notAGateway = 3;
#endif
    if (result == notAGateway || Urls->controlURL == nullptr || Urls->controlURL[0] == '\0') {
        LastError = QStringLiteral("the UPnP device is not a gateway");
        return false;
    }
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
                                   portText.constData(), local.constData(), MappingDescription,
                                   Tcp, nullptr, lease.constData());
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
        Urls->controlURL, Data->first.servicetype, PortText(port).constData(), Tcp, nullptr,
        client, internalPort, description, enabled, lease);
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
