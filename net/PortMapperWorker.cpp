#include "PortMapperWorker.h"

#include "NatPmpClient.h"
#include "UpnpClient.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

namespace {

QElapsedTimer StartedTimer() {
    QElapsedTimer timer;
    timer.start();
    return timer;
}

// A router that maps nothing often sits behind another NAT itself: say so when its own
// address shows it.
QString WhereTheRouterSits(const QHostAddress &external) {
    if (external.isNull() || external == QHostAddress(QHostAddress::AnyIPv4))
        return QStringLiteral("; the router gives no external address");
    if (ClassifyExternalAddress(external) != TAddressKind::Public)
        return QStringLiteral("; the router's external address %1 is not public")
            .arg(external.toString());
    return {};
}

} // namespace

// The mapping the router granted, and how to renew and give it back.
struct TPortMapperWorker::THeld {
    quint64 Request = 0;
    TPortMapping Mapping;
    bool Permanent = false;            // renewed never, removed by us all the same
    int LeaseSeconds = 0;              // as granted
    std::unique_ptr<TUpnpClient> Upnp; // the gateway that granted it, when by UPnP
};

TPortMapperWorker::TPortMapperWorker(const std::atomic<quint64> &latest)
    : Latest(latest), Renewal(this) {
    Renewal.setSingleShot(true);
    connect(&Renewal, &QTimer::timeout, this, &TPortMapperWorker::Renew);
}

TPortMapperWorker::~TPortMapperWorker() {
    Release();
}

void TPortMapperWorker::Open(quint64 request, quint16 port, int leaseSeconds) {
    if (Withdrawn(request))
        return;
    AskedLeaseSeconds = leaseSeconds;
    if (Held && Held->Mapping.Port == port) {
        Held->Request = request;
        emit Opened(request, Held->Mapping);
        return;
    }
    Release();
    // Both are asked at once, so that a router that speaks only NAT-PMP is known within a
    // moment rather than after the whole UPnP search.
    const QElapsedTimer asking = StartedTimer();
    TNatPmpClient natPmp([this, request] { return Withdrawn(request); });
    natPmp.AskExternalAddress();
    QDeadlineTimer natPmpAnswered(QDeadlineTimer::Forever);
    const auto giveUpSearch = [&] {
        if (natPmpAnswered.isForever() && natPmp.ExternalAddressAnswered() == true)
            natPmpAnswered.setRemainingTime(UpnpAfterNatPmpMs);
        return Withdrawn(request) || natPmpAnswered.hasExpired();
    };
    QString whyNot;
    if (OpenByUpnp(request, port, giveUpSearch, whyNot) || Withdrawn(request))
        return;
    QString natPmpWhyNot;
    const int natPmpWaitMs =
        static_cast<int>(std::max<qint64>(NatPmpWaitMs - asking.elapsed(), 100));
    if (OpenByNatPmp(request, port, natPmp, natPmpWaitMs, natPmpWhyNot) || Withdrawn(request))
        return;
    // Neither answered: a UPnP gateway's refusal says more than NAT-PMP's silence.
    if (whyNot.isEmpty())
        emit Failed(request, TPortFailure::NoRouter, natPmpWhyNot);
    else
        emit Failed(request, TPortFailure::Refused, whyNot);
}

void TPortMapperWorker::Close(quint64 request) {
    Release();
    emit Closed(request);
}

void TPortMapperWorker::Release() {
    Renewal.stop();
    if (!Held)
        return;
    const std::unique_ptr<THeld> held = std::move(Held);
    if (held->Upnp)
        held->Upnp->RemoveMapping(held->Mapping.Port);
    else
        TNatPmpClient().RemoveMapping(held->Mapping.Port, NatPmpRemoveWaitMs);
}

// The mapping is asked for only when the port is free or already ours: the router may say
// "taken" by error 718, or may let a new entry replace another computer's.
bool TPortMapperWorker::OpenByUpnp(quint64 request, quint16 port,
                                   const std::function<bool()> &giveUpSearch, QString &whyNot) {
    auto upnp = std::make_unique<TUpnpClient>();
    if (!upnp->Discover(UpnpDiscoveryMs, giveUpSearch) || Withdrawn(request))
        return false;
    const QString forwardedTo = upnp->ForwardedTo(port);
    if (!forwardedTo.isEmpty() && forwardedTo != upnp->LocalAddress()) {
        emit Failed(request, TPortFailure::PortTaken,
                    QStringLiteral("UPnP: port %1 is forwarded to %2").arg(port).arg(forwardedTo));
        return true;
    }
    const TUpnpClient::TAnswer answer = upnp->AddMapping(port, AskedLeaseSeconds);
    switch (answer) {
    case TUpnpClient::TAnswer::Taken:
        emit Failed(request, TPortFailure::PortTaken, upnp->ErrorText());
        return true;
    case TUpnpClient::TAnswer::Refused:
        whyNot = upnp->ErrorText();
        whyNot += WhereTheRouterSits(upnp->ExternalAddress());
        return false;
    case TUpnpClient::TAnswer::Granted:
    case TUpnpClient::TAnswer::Permanent:
        break;
    }
    THeld held;
    held.Request = request;
    held.Mapping = {upnp->ExternalAddress(), port, TPortMethod::Upnp};
    held.Permanent = answer == TUpnpClient::TAnswer::Permanent;
    held.LeaseSeconds = AskedLeaseSeconds;
    held.Upnp = std::move(upnp);
    Hold(std::move(held));
    return true;
}

// NAT-PMP grants another external port when ours is taken, without saying why: such a grant
// is given back at once.
bool TPortMapperWorker::OpenByNatPmp(quint64 request, quint16 port, TNatPmpClient &natPmp,
                                     int waitMs, QString &whyNot) {
    const QHostAddress external = natPmp.ExternalAddress(waitMs);
    if (external.isNull()) {
        whyNot = natPmp.ErrorText();
        return false;
    }
    const auto grant = natPmp.AddMapping(port, AskedLeaseSeconds, NatPmpWaitMs);
    if (!grant) {
        if (Withdrawn(request))
            return false;
        emit Failed(request, TPortFailure::Refused, natPmp.ErrorText());
        return true;
    }
    if (grant->ExternalPort != port) {
        natPmp.RemoveMapping(port, NatPmpRemoveWaitMs);
        emit Failed(request, TPortFailure::PortTaken,
                    QStringLiteral("NAT-PMP: port %1 is taken; the gateway offered %2")
                        .arg(port)
                        .arg(grant->ExternalPort));
        return true;
    }
    THeld held;
    held.Request = request;
    held.Mapping = {external, port, TPortMethod::NatPmp};
    held.LeaseSeconds = grant->LeaseSeconds;
    Hold(std::move(held));
    return true;
}

void TPortMapperWorker::Hold(THeld held) {
    Held = std::make_unique<THeld>(std::move(held));
    if (!Held->Permanent && Held->LeaseSeconds > 0)
        Renewal.start(Held->LeaseSeconds * 1000 / 2);
    emit Opened(Held->Request, Held->Mapping);
}

// The same request again, before half the lease is gone. A router that forgot us (restarted,
// perhaps with its UPnP service on another port, so it is looked for again) grants it anew;
// one that refuses or is gone ends the mapping, and the GUI side hears why.
void TPortMapperWorker::Renew() {
    if (!Held)
        return;
    const quint16 port = Held->Mapping.Port;
    QString whyNot;
    std::optional<TPortFailure> failure;
    if (Held->Upnp) {
        failure = RenewByUpnp(*Held->Upnp, port, whyNot);
        if (failure == TPortFailure::Refused) {
            auto again = std::make_unique<TUpnpClient>();
            if (again->Discover(UpnpDiscoveryMs)) {
                failure = RenewByUpnp(*again, port, whyNot);
                if (!failure)
                    Held->Upnp = std::move(again);
            } else {
                failure = TPortFailure::NoRouter;
                whyNot = again->ErrorText();
            }
        }
    } else {
        TNatPmpClient natPmp;
        const auto grant = natPmp.AddMapping(port, AskedLeaseSeconds, NatPmpWaitMs);
        whyNot = natPmp.ErrorText();
        if (!grant) {
            failure = natPmp.GatewayAnswered() ? TPortFailure::Refused : TPortFailure::NoRouter;
        } else if (grant->ExternalPort != port) {
            natPmp.RemoveMapping(port, NatPmpRemoveWaitMs);
            failure = TPortFailure::PortTaken;
        } else {
            Held->LeaseSeconds = grant->LeaseSeconds;
        }
    }
    if (!failure) {
        Renewal.start(Held->LeaseSeconds * 1000 / 2);
        return;
    }
    const quint64 request = Held->Request;
    Held.reset(); // nothing of ours is left to remove
    emit Failed(request, *failure, whyNot);
}

std::optional<TPortFailure> TPortMapperWorker::RenewByUpnp(TUpnpClient &upnp, quint16 port,
                                                           QString &whyNot) {
    switch (upnp.AddMapping(port, AskedLeaseSeconds)) {
    case TUpnpClient::TAnswer::Granted:
    case TUpnpClient::TAnswer::Permanent:
        return std::nullopt;
    case TUpnpClient::TAnswer::Taken:
        whyNot = upnp.ErrorText();
        return TPortFailure::PortTaken;
    case TUpnpClient::TAnswer::Refused:
        break;
    }
    whyNot = upnp.ErrorText();
    return TPortFailure::Refused;
}
