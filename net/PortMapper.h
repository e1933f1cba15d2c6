// Opens the game's TCP port on the home router, so that a friend across the internet reaches
// the server copy: UPnP IGD first, then NAT-PMP (or PCP) at the default gateway. One mapping,
// external port = internal port = the game port, leased for an hour and renewed at half-time;
// taken away again when asked, when the port changes and when the mapper goes.
//
// The router is never waited on from the GUI thread: discovery and requests run on a thread
// of the mapper's own and report back by the signals below.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QThread;
class TPortMapperWorker;

// How the router granted the mapping.
enum class TPortMethod { Upnp, NatPmp, Pcp };

// Why the port could not be opened.
enum class TPortFailure {
    NoRouter,  // no UPnP IGD and no NAT-PMP/PCP answered
    PortTaken, // the router forwards this external port to another computer already
    Refused,   // the router answered, and said no
};

// What an external address says of the router's place on the internet.
enum class TAddressKind {
    Public,    // reachable: the friend dials it
    Private,   // RFC 1918: the router is behind another router
    Shared,    // 100.64.0.0/10, the provider's carrier-grade NAT
    LinkLocal, // 169.254.0.0/16
    Other,     // unusable for other reasons (unspecified, loopback, multicast, reserved)
};
TAddressKind ClassifyExternalAddress(const QHostAddress &address);

struct TPortMapping {
    QHostAddress External; // as the router reports it
    quint16 Port = 0;      // external = internal
    TPortMethod Method = TPortMethod::Upnp;
};

// "upnp", "natpmp", "pcp": the companion prints these.
QString MethodName(TPortMethod method);

class TPortMapper : public QObject {
    Q_OBJECT

public:
    explicit TPortMapper(QObject *parent = nullptr);
    // Takes the mapping away (waiting briefly for the router) and ends the thread.
    ~TPortMapper() override;

    // Off until switched on: a mapper that is never switched on sends nothing, which keeps the
    // tests' windows off the computer's real network (Open() then fails at once, NoRouter).
    void SetEnabled(bool enabled);
    bool Enabled() const { return IsEnabled; }

    // Asks for `port`; Opened() or Failed() follows. A mapping already held on another port is
    // taken away first.
    void Open(quint16 port);
    // Takes the mapping away; Closed() follows (at once when none is held or asked for).
    void Close();
    // A mapping is held now (between Opened() and Close()/Failed()).
    bool IsOpen() const;

    // The lease asked of the router, from the next Open(): an hour unless set (the tests
    // shorten it to see it renewed). Renewed at half of what the router granted.
    void SetLeaseSeconds(int seconds) { LeaseSeconds = seconds; }

signals:
    void Opened(const TPortMapping &mapping);
    void Failed(TPortFailure failure, const QString &detail);
    void Closed();

private:
    void StartWorker();
    // The worker's answers, passed on while they answer the latest request.
    void WorkerOpened(quint64 request, const TPortMapping &mapping);
    void WorkerFailed(quint64 request, TPortFailure failure, const QString &detail);
    void WorkerClosed(quint64 request);

    bool IsEnabled = false;
    int LeaseSeconds = 3600;
    // Started at the first Open(), so that a mapper never switched on makes no thread.
    std::unique_ptr<QThread> Thread;
    TPortMapperWorker *Worker = nullptr; // lives on Thread, deleted when it ends
    // The number of the latest request; the worker reads it to drop withdrawn ones.
    std::atomic<quint64> LatestRequest = 0;
    bool Asking = false; // a request the worker has not answered yet
    bool Holding = false;
};
