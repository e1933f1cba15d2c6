#include "PortMapper.h"

#include "PortMapperWorker.h"

#include <QThread>

namespace {

bool InNetwork(const QHostAddress &address, const char *network) {
    return address.isInSubnet(QHostAddress::parseSubnet(QLatin1String(network)));
}

} // namespace

TAddressKind ClassifyExternalAddress(const QHostAddress &address) {
    bool isIpv4 = false;
    address.toIPv4Address(&isIpv4);
    if (!isIpv4)
        return TAddressKind::Other;
    const QHostAddress v4(address.toIPv4Address());
    if (InNetwork(v4, "10.0.0.0/8") || InNetwork(v4, "172.16.0.0/12") ||
        InNetwork(v4, "192.168.0.0/16"))
        return TAddressKind::Private;
    if (InNetwork(v4, "100.64.0.0/10"))
        return TAddressKind::Shared;
    if (InNetwork(v4, "169.254.0.0/16"))
        return TAddressKind::LinkLocal;
    // This network, loopback, the documentation and benchmarking ranges stay usable in a
    // test's own namespaces only; multicast and the reserved block never are.
    if (InNetwork(v4, "0.0.0.0/8") || InNetwork(v4, "127.0.0.0/8") ||
        InNetwork(v4, "224.0.0.0/4") || InNetwork(v4, "240.0.0.0/4"))
        return TAddressKind::Other;
    return TAddressKind::Public;
}

QString MethodName(TPortMethod method) {
    switch (method) {
    case TPortMethod::Upnp:
        return QStringLiteral("upnp");
    case TPortMethod::NatPmp:
        return QStringLiteral("natpmp");
    case TPortMethod::Pcp:
        return QStringLiteral("pcp");
    }
    return {};
}

TPortMapper::TPortMapper(QObject *parent) : QObject(parent) {}

// The mapping goes before the program does: withdrawn requests end at their next step, then
// the worker gives back what it holds while this thread waits.
TPortMapper::~TPortMapper() {
    if (!Thread)
        return;
    ++LatestRequest;
    QMetaObject::invokeMethod(Worker, &TPortMapperWorker::Release, Qt::BlockingQueuedConnection);
    Thread->quit();
    Thread->wait();
}

void TPortMapper::SetEnabled(bool enabled) {
    IsEnabled = enabled;
}

void TPortMapper::StartWorker() {
    if (Thread)
        return;
    Thread = std::make_unique<QThread>();
    Thread->setObjectName(QStringLiteral("PortMapper"));
    Worker = new TPortMapperWorker(LatestRequest);
    Worker->moveToThread(Thread.get());
    connect(Thread.get(), &QThread::finished, Worker, &QObject::deleteLater);
    connect(Worker, &TPortMapperWorker::Opened, this, &TPortMapper::WorkerOpened);
    connect(Worker, &TPortMapperWorker::Failed, this, &TPortMapper::WorkerFailed);
    connect(Worker, &TPortMapperWorker::Closed, this, &TPortMapper::WorkerClosed);
    Thread->start();
}

void TPortMapper::Open(quint16 port) {
    if (!IsEnabled) {
        emit Failed(TPortFailure::NoRouter, QStringLiteral("opening ports is switched off"));
        return;
    }
    StartWorker();
    const quint64 request = ++LatestRequest;
    Asking = true;
    Holding = false;
    QMetaObject::invokeMethod(Worker, [worker = Worker, request, port, lease = LeaseSeconds] {
        worker->Open(request, port, lease);
    });
}

void TPortMapper::Close() {
    const bool anything = Asking || Holding;
    Asking = false;
    Holding = false;
    if (!anything || !Thread) {
        ++LatestRequest;
        emit Closed();
        return;
    }
    const quint64 request = ++LatestRequest;
    QMetaObject::invokeMethod(Worker, [worker = Worker, request] { worker->Close(request); });
}

bool TPortMapper::IsOpen() const {
    return Holding;
}

void TPortMapper::WorkerOpened(quint64 request, const TPortMapping &mapping) {
    if (request != LatestRequest)
        return;
    Asking = false;
    Holding = true;
    emit Opened(mapping);
}

void TPortMapper::WorkerFailed(quint64 request, TPortFailure failure, const QString &detail) {
    if (request != LatestRequest)
        return;
    Asking = false;
    Holding = false;
    emit Failed(failure, detail);
}

void TPortMapper::WorkerClosed(quint64 request) {
    if (request != LatestRequest)
        return;
    emit Closed();
}
