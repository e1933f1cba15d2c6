#include "NetSession.h"

#include "ClientEndpoint.h"
#include "LanDiscovery.h"
#include "PortMapper.h"
#include "Protocol.h"
#include "ServerEndpoint.h"
#include "TextCodec.h"

#include <QCoreApplication>

namespace {

// After every send the event loop runs this many passes before the sender goes on.
constexpr int PumpPassesPerSend = 10000;

} // namespace

TNetSession::THoldBack::THoldBack(TNetSession &session)
    : Session(session), Holding(session.Holding, true) {}

// The held messages follow as soon as the holder's caller regains control; queued, since the
// holder is still in the middle of its work when this runs.
TNetSession::THoldBack::~THoldBack() {
    QMetaObject::invokeMethod(&Session, &TNetSession::HandleHeldMessages, Qt::QueuedConnection);
}

TNetSession::TNetSession(QObject *parent)
    : QObject(parent), ServerEndpoint(new TServerEndpoint(this)),
      ClientEndpoint(new TClientEndpoint(this)),
      LanDiscovery(new TLanDiscovery(*ServerEndpoint, *ClientEndpoint, this)),
      RouterPort(new TPortMapper(this)), RoleEndpoint(ServerEndpoint),
      OtherEndpoint(ClientEndpoint) {
    ServerEndpoint->setObjectName(QStringLiteral("ServerSocket"));
    ClientEndpoint->setObjectName(QStringLiteral("ClientSocket"));
    Watch(ServerEndpoint);
    Watch(ClientEndpoint);
    connect(LanDiscovery, &TLanDiscovery::ServersChanged, this, &TNetSession::ServersFound);
    connect(ServerEndpoint, &TServerEndpoint::PeerAccepted, this, &TNetSession::PeerAccepted);
}

// A new or lost connection: what went to the last peer says nothing about the next one.
void TNetSession::Watch(TEndpoint *endpoint) {
    connect(endpoint, &TEndpoint::ConnectionOpened, this, [this] {
        LastSent.clear();
        emit ConnectionOpened();
    });
    connect(endpoint, &TEndpoint::ConnectionClosed, this, [this] {
        LastSent.clear();
        emit ConnectionClosed();
    });
    connect(endpoint, &TEndpoint::MessageReceived, this,
            [this](const QByteArray &bytes, TArrival arrival) {
                HandleMessage(DecodeText(bytes), arrival);
            });
}

// The endpoints end with this session; no notification of theirs may reach it half gone.
TNetSession::~TNetSession() {
    ServerEndpoint->disconnect(this);
    ClientEndpoint->disconnect(this);
    LanDiscovery->disconnect(this);
}

// ---- Role, address, port ----------------------------------------------------------------------

void TNetSession::SetRole(TRole role) {
    CurrentRole = role;
    RoleEndpoint =
        role == TRole::Client ? static_cast<TEndpoint *>(ClientEndpoint) : ServerEndpoint;
    OtherEndpoint =
        role == TRole::Client ? static_cast<TEndpoint *>(ServerEndpoint) : ClientEndpoint;
    ClientEndpoint->Close();
    ServerEndpoint->Close();
    LanDiscovery->RoleChosen(role == TRole::Client);
}

void TNetSession::SetAddress(const QString &address) {
    ClientEndpoint->Close();
    ClientEndpoint->SetAddress(address);
}

QString TNetSession::Address() const {
    return ClientEndpoint->Address();
}

void TNetSession::SetPort(int port) {
    const bool changed = port != Port();
    ServerEndpoint->SetPort(port);
    ClientEndpoint->SetPort(port);
    if (changed)
        emit PortChanged(port);
}

int TNetSession::Port() const {
    return ServerEndpoint->Port();
}

TNetworkSettings TNetSession::CurrentSettings() const {
    return {CurrentRole, Address(), Port()};
}

void TNetSession::KeepOpen() {
    OtherEndpoint->Close();
    if (!RoleEndpoint->Active())
        RoleEndpoint->Open();
    LanDiscovery->KeepUp(CurrentRole == TRole::Client);
}

// A connection of the role left behind counts until it has ended (a role change ends it).
int TNetSession::ConnectionCount() const {
    return ServerEndpoint->ConnectionCount() + ClientEndpoint->ConnectionCount();
}

void TNetSession::SetSinglePeer(bool single) {
    ServerEndpoint->SetSinglePeer(single);
}

// ---- Sending ------------------------------------------------------------------------------------

bool TNetSession::SendMoveList(const QStringList &record) {
    return Send(MoveListMessage(record));
}

bool TNetSession::AnswerMoveList(const QStringList &record) {
    return SendAnswer(MoveListMessage(record));
}

bool TNetSession::SendSelection(int square) {
    return Send(SelectionMessage(square));
}

bool TNetSession::SendTakeBack(TTakeBack kind) {
    return Send(TakeBackMessage(kind));
}

// The log shows the line as the peer sees it: a character that the wire's code page lacks
// arrives there as "?".
std::optional<QString> TNetSession::SendChat(const QString &typedText) {
    if (!Send(ChatMessage(typedText)))
        return std::nullopt;
    return DecodeText(EncodeText(ChatLine(typedText)));
}

bool TNetSession::Send(const QString &text) {
    const QByteArray bytes = EncodeText(text);
    // A listening server with no client has no connection to take it.
    if (!RoleEndpoint->Active() || !RoleEndpoint->Send(bytes))
        return false;
    LastSent = bytes;
    LastSentAt = ArrivalNow();
    for (int pass = 0; pass < PumpPassesPerSend; ++pass)
        QCoreApplication::processEvents();
    return true;
}

// Compared by time, not by whether a send still runs its passes: sends nest inside each other
// for seconds, and a request that came after the identical answer went out needs another.
bool TNetSession::SendAnswer(const QString &text) {
    if (HandlingArrival && *HandlingArrival < LastSentAt && EncodeText(text) == LastSent)
        return true;
    return Send(text);
}

// ---- Receiving ----------------------------------------------------------------------------------

// Once some messages wait, the later ones queue behind them so that the order is kept. The chat
// never waits: it does not touch the game.
bool TNetSession::WaitsForHoldBack(QChar kind) const {
    if (kind != MoveListKind && kind != SelectionKind && kind != TakeBackKind)
        return false;
    return Holding || !Held.isEmpty();
}

void TNetSession::HandleMessage(const QString &text, TArrival arrival) {
    if (WaitsForHoldBack(SplitMessage(text).Kind)) {
        Held.append({text, arrival});
        return;
    }
    Dispatch({text, arrival});
}

QStringList TNetSession::HeldMessages() const {
    QStringList texts;
    for (const TReceived &held : Held)
        texts.append(held.Text);
    return texts;
}

void TNetSession::HandleHeldMessages() {
    if (TakingHeld)
        return;
    const QScopedValueRollback taking(TakingHeld, true);
    while (!Holding && !Held.isEmpty())
        Dispatch(Held.takeFirst());
}

void TNetSession::Dispatch(const TReceived &received) {
    const QScopedValueRollback<std::optional<TArrival>> handling(HandlingArrival, received.Arrival);
    const TNetMessage message = SplitMessage(received.Text);
    if (message.Kind == MoveListKind)
        emit MoveListReceived(ParseMoveList(message.Payload));
    else if (message.Kind == SelectionKind)
        emit SelectionReceived(ParseSelection(message.Payload));
    else if (message.Kind == ChatKind)
        emit ChatReceived(message.Payload);
    else if (message.Kind == TakeBackKind)
        DispatchTakeBack(message.Payload);
    // Anything else (an empty text included) is not a message of ours and changes nothing.
}

void TNetSession::DispatchTakeBack(const QString &payload) {
    const std::optional<TTakeBack> takeBack = ParseTakeBack(payload);
    if (!takeBack)
        emit TakeBackNotUnderstood();
    else if (*takeBack == TTakeBack::Request)
        emit TakeBackRequested();
    else
        emit TakeBackAnswered(*takeBack == TTakeBack::Consent);
}
