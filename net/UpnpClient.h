// One Internet Gateway Device found over UPnP, and the TCP port mappings asked of it. Every call
// blocks (discovery for as long as it is allowed, each request until the device answers), so
// it runs on the port mapper's own thread, never on the GUI thread.
#pragma once

#include <QHostAddress>
#include <QString>
#include <functional>
#include <memory>

struct UPNPUrls;
struct IGDdatas;

class TUpnpClient {
public:
    // What a request to add a mapping came to.
    enum class TAnswer {
        Granted,   // leased for the time asked
        Permanent, // the device leases only for ever: granted so, to be removed by us
        Taken,     // the external port is forwarded to another computer
        Refused,   // any other error (ErrorText() says which)
    };

    TUpnpClient();
    ~TUpnpClient();
    TUpnpClient(const TUpnpClient &) = delete;
    TUpnpClient &operator=(const TUpnpClient &) = delete;

    // Looks for a gateway for at most `milliseconds`, or until `stopped` says so; true when
    // one with a WAN connection service was found.
    bool Discover(int milliseconds, const std::function<bool()> &stopped = {});
    // This computer's address on the interface that reached the gateway.
    QString LocalAddress() const { return Local; }
    // The gateway's own address on the internet, as it says (null when it would not say).
    QHostAddress ExternalAddress();
    // external = internal = port, TCP, to LocalAddress().
    TAnswer AddMapping(quint16 port, int leaseSeconds);
    // Only our own mapping is ever removed: the caller asks for ports it was granted.
    void RemoveMapping(quint16 port);
    // The computer the gateway forwards `port` to now; empty when none.
    QString ForwardedTo(quint16 port);
    QString ErrorText() const { return LastError; }

private:
    bool UseGateway(const QByteArray &location);
    bool Ask(const char *what, int result);

    std::unique_ptr<UPNPUrls> Urls;
    std::unique_ptr<IGDdatas> Data;
    bool Found = false;
    QString Local;
    QString LastError;
};
