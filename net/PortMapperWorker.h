// The port mapper's router side, on a thread of its own: finds the gateway, asks for the
// mapping, renews it at half the lease and gives it back. Each request carries the number the
// GUI side gave it; a request that a later one has replaced is dropped, or cut short between
// steps, and its answer is left to the GUI side to ignore.
#pragma once

#include "PortMapper.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class TNatPmpClient;
class TUpnpClient;

class TPortMapperWorker : public QObject {
    Q_OBJECT

public:
    // The longest wait for a UPnP gateway's answer to the search, and for NAT-PMP's answer.
    static constexpr int UpnpDiscoveryMs = 2000;
    static constexpr int NatPmpWaitMs = 2000;
    // Giving a mapping back waits less: the program may be ending.
    static constexpr int NatPmpRemoveWaitMs = 1000;
    // How long a UPnP search goes on once NAT-PMP has answered: a router that speaks both
    // answers both within this, and UPnP is preferred.
    static constexpr int UpnpAfterNatPmpMs = 250;

    // `latest` is the number of the GUI side's latest request.
    explicit TPortMapperWorker(const std::atomic<quint64> &latest);
    ~TPortMapperWorker() override;

    // Asks for `leaseSeconds`; the mapping is renewed at half of what the router granted.
    void Open(quint64 request, quint16 port, int leaseSeconds);
    void Close(quint64 request);
    // Gives the mapping back, whatever request made it, and answers nothing.
    void Release();

signals:
    void Opened(quint64 request, const TPortMapping &mapping);
    void Failed(quint64 request, TPortFailure failure, const QString &detail);
    void Closed(quint64 request);

private:
    struct THeld;
    bool Withdrawn(quint64 request) const { return request != Latest.load(); }
    // Each: true when it answered (granted, or a reason that ends the search).
    bool OpenByUpnp(quint64 request, quint16 port, const std::function<bool()> &giveUpSearch,
                    QString &whyNot);
    bool OpenByNatPmp(quint64 request, quint16 port, TNatPmpClient &natPmp, int waitMs,
                      QString &whyNot);
    void Renew();
    // Nothing when the router renewed the mapping, else why not.
    std::optional<TPortFailure> RenewByUpnp(TUpnpClient &upnp, quint16 port, QString &whyNot);
    void Hold(THeld held);

    const std::atomic<quint64> &Latest;
    int AskedLeaseSeconds = 3600;
    std::unique_ptr<THeld> Held;
    QTimer Renewal;
};
