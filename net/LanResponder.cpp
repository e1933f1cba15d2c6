#include "LanResponder.h"

#include "DiscoveryMessage.h"

#include <QSysInfo>
#include <QUdpSocket>
#include <utility>

namespace {

constexpr int MaxAnswersPerSecond = 20;
constexpr qint64 Second = 1000;
// Read at one notification, so that a flood does not keep the event loop from the window.
constexpr int MaxDatagramsPerRead = 64;

} // namespace

TLanResponder::TLanResponder(std::function<bool()> busy, QObject *parent)
    : QObject(parent), Busy(std::move(busy)), Name(ComputerName(QSysInfo::machineHostName())),
      Socket(new QUdpSocket(this)) {
    Clock.start();
    connect(Socket, &QUdpSocket::readyRead, this, &TLanResponder::ReadPending);
}

bool TLanResponder::Listen(quint16 port) {
    if (Listening() && port == Port)
        return true;
    Stop();
    if (port == 0 || !Socket->bind(QHostAddress::AnyIPv4, port,
                                   QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return false;
    Port = port;
    return true;
}

void TLanResponder::Stop() {
    Socket->close();
    Port = 0;
}

bool TLanResponder::Listening() const {
    return Socket->state() == QAbstractSocket::BoundState;
}

void TLanResponder::ReadPending() {
    for (int read = 0; read < MaxDatagramsPerRead && Socket->hasPendingDatagrams(); ++read) {
        const qint64 size = Socket->pendingDatagramSize();
        // One byte more than a datagram of ours may have, so a longer one is seen to be longer.
        QByteArray datagram(MaxDiscoveryDatagram + 1, Qt::Uninitialized);
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 got =
            Socket->readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
        if (got < 0 || size > MaxDiscoveryDatagram)
            continue;
        datagram.truncate(got);
        Handle(datagram, sender, senderPort);
    }
}

// The budget is looked at before the networks, so that a flood costs a parse per probe.
void TLanResponder::Handle(const QByteArray &datagram, const QHostAddress &sender,
                           quint16 senderPort) {
    const std::optional<QByteArray> nonce = ParseProbe(datagram);
    if (!nonce || senderPort == 0 || !MayAnswer())
        return;
    const std::optional<TLanNetwork> network = NetworkHolding(Networks(), sender);
    if (!network)
        return;
    const QByteArray answer = AnswerDatagram({*nonce, Port, Busy(), Name});
    Answer(answer, sender, senderPort);
    // A copy of the answer on the network's broadcast address reaches a client whose firewall
    // lets in only the game port; at most once a second.
    const qint64 now = Clock.elapsed();
    if (network->Broadcast.isNull() || (LastBroadcast && now - *LastBroadcast < Second) ||
        !MayAnswer())
        return;
    LastBroadcast = now;
    Answer(answer, network->Broadcast, Port);
}

bool TLanResponder::MayAnswer() {
    const qint64 now = Clock.elapsed();
    while (!RecentAnswers.isEmpty() && now - RecentAnswers.front() >= Second)
        RecentAnswers.removeFirst();
    return RecentAnswers.size() < MaxAnswersPerSecond;
}

// An answer the system refused to send counts all the same: the budget bounds the work.
void TLanResponder::Answer(const QByteArray &answer, const QHostAddress &to, quint16 port) {
    RecentAnswers.append(Clock.elapsed());
    ++Sent;
    Socket->writeDatagram(answer, to, port);
}

// Read again at most once a second: a flood from outside must not cost a look at the system's
// interfaces per datagram.
const QList<TLanNetwork> &TLanResponder::Networks() {
    const qint64 now = Clock.elapsed();
    if (!NetworksReadAt || now - *NetworksReadAt >= Second) {
        KnownNetworks = ConnectedNetworks();
        NetworksReadAt = now;
    }
    return KnownNetworks;
}
