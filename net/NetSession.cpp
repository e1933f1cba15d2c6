#include "NetSession.h"

#include "ClientEndpoint.h"
#include "LanDiscovery.h"
#include "Protocol.h"
#include "ServerEndpoint.h"
#include "Settings.h"
#include "TextCodec.h"

#include <QCoreApplication>
#include <QList>
#include <optional>
#include <utility>

namespace {

// After every send the event loop runs this many passes before the sender goes on.
constexpr int PumpPassesPerSend = 10000;
// Given to both endpoints when the stored port is not a usable port number: neither endpoint
// ever opens with it (port 0 would have the server listen on a port that no client knows).
constexpr int UnusablePort = -1;

const QLatin1String ClientRoleText{"Client"};
const QLatin1String ServerRoleText{"Server"};

// The stored port as a number, when it is one that an endpoint can open with.
std::optional<int> PortNumber(const QString &text) {
    bool converts = false;
    const int port = text.trimmed().toInt(&converts, 10);
    if (!converts || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

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
      LanDiscovery(new TLanDiscovery(*ServerEndpoint, *ClientEndpoint, this)) {
    ServerEndpoint->setObjectName(QStringLiteral("ServerSocket"));
    ClientEndpoint->setObjectName(QStringLiteral("ClientSocket"));
    Watch(ServerEndpoint);
    Watch(ClientEndpoint);
    connect(LanDiscovery, &TLanDiscovery::ServersChanged, this, &TNetSession::ServersFound);
}

// A new or lost connection: what went to the last peer says nothing about the next one.
template <typename TEndpoint> void TNetSession::Watch(TEndpoint *endpoint) {
    connect(endpoint, &TEndpoint::ConnectionOpened, this, [this] {
        LastSent.clear();
        emit ConnectionOpened();
    });
    connect(endpoint, &TEndpoint::ConnectionClosed, this, [this] {
        LastSent.clear();
        emit ConnectionClosed();
    });
    connect(endpoint, &TEndpoint::MessageReceived, this,
            [this](const QByteArray &bytes) { HandleMessage(DecodeText(bytes)); });
}

// The endpoints end with this session; no notification of theirs may reach it half gone.
TNetSession::~TNetSession() {
    ServerEndpoint->disconnect(this);
    ClientEndpoint->disconnect(this);
    LanDiscovery->disconnect(this);
}

// ---- Settings -----------------------------------------------------------------------------------

TNetSession::TSettings TNetSession::ReadSettings(const QString &fileName) {
    const auto read = [&fileName](QLatin1String key, QLatin1String defaultValue) {
        return ReadSetting(fileName, NetworkSection, key, defaultValue);
    };
    TSettings settings;
    settings.Port = PortNumber(read(PortKey, DefaultPort)).value_or(UnusablePort);
    settings.Address = read(ServerIPKey, DefaultServerIP);
    settings.Role = read(LastConnectAsKey, DefaultLastConnectAs) == ClientRoleText ? TRole::Client
                                                                                   : TRole::Server;
    return settings;
}

// The file keeps the combination with which the last connection came about.
bool TNetSession::WriteSettings(const QString &fileName, QString *error) const {
    QList<std::pair<QLatin1String, QString>> settings = {{PortKey, QString::number(Port())}};
    if (CurrentRole == TRole::Client) {
        settings.append({ServerIPKey, Address()});
        settings.append({LastConnectAsKey, ClientRoleText});
    } else {
        settings.append({LastConnectAsKey, ServerRoleText});
    }
    for (const auto &[key, value] : settings) {
        if (!WriteSetting(fileName, NetworkSection, key, value, error))
            return false;
    }
    return true;
}

// ---- Role, address, port ----------------------------------------------------------------------

void TNetSession::SetRole(TRole role) {
    CurrentRole = role;
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
    ServerEndpoint->SetPort(port);
    ClientEndpoint->SetPort(port);
}

int TNetSession::Port() const {
    return ServerEndpoint->Port();
}

void TNetSession::KeepOpen() {
    if (CurrentRole == TRole::Client) {
        ServerEndpoint->Close();
        if (!ClientEndpoint->Active())
            ClientEndpoint->Open();
    } else {
        ClientEndpoint->Close();
        if (!ServerEndpoint->Active())
            ServerEndpoint->Open();
    }
    LanDiscovery->KeepUp(CurrentRole == TRole::Client);
}

// ---- Sending ------------------------------------------------------------------------------------

bool TNetSession::HandOver(const QByteArray &bytes) {
    if (CurrentRole == TRole::Server)
        return ServerEndpoint->Active() && ServerEndpoint->Send(bytes); // false while none accepted
    return ClientEndpoint->Active() && ClientEndpoint->Send(bytes);
}

bool TNetSession::Send(const QString &text) {
    const QByteArray bytes = EncodeText(text);
    if (!HandOver(bytes))
        return false;
    LastSent = bytes;
    const QScopedValueRollback running(SendsRunning, SendsRunning + 1);
    for (int pass = 0; pass < PumpPassesPerSend; ++pass)
        QCoreApplication::processEvents();
    return true;
}

bool TNetSession::SendAnswer(const QString &text) {
    if (SendsRunning > 0 && EncodeText(text) == LastSent)
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

void TNetSession::HandleMessage(const QString &text) {
    if (WaitsForHoldBack(SplitMessage(text).Kind)) {
        Held.append(text);
        return;
    }
    Dispatch(text);
}

void TNetSession::HandleHeldMessages() {
    if (TakingHeld)
        return;
    const QScopedValueRollback taking(TakingHeld, true);
    while (!Holding && !Held.isEmpty())
        Dispatch(Held.takeFirst());
}

void TNetSession::Dispatch(const QString &text) {
    const TNetMessage message = SplitMessage(text);
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
