// One side of network play, without a window: the endpoint of the chosen role kept open, the
// messages built, encoded, sent and taken apart, and what arrived told by kind. The game and
// the widgets stay with the caller, which decides what a message does; it speaks in records,
// squares and chat lines, never in bytes.
//
// Everything runs on the GUI thread, and the event loop runs inside a send (10000 passes) and
// inside whatever the caller does on a signal (a message box), so a message may arrive while
// another is being handled. Three rules keep that safe, each held by a scoped guard:
// - while a THoldBack lives, messages that would act on the game wait, in order, until it ends;
// - held messages are handled by the outermost caller only, so their order is kept;
// - an answer identical to the last message handed over is not sent again to a message that had
//   arrived before that hand-over: it is on its way already (a flood of lists read in one go
//   gets one answer). A message that arrived after it (a peer that cleared its game asks
//   again) is answered, however many sends are still running their passes.
#pragma once

#include "Arrival.h"
#include "Settings.h"
#include "TakeBack.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QScopedValueRollback>
#include <QString>
#include <QStringList>
#include <optional>

class TClientEndpoint;
class TEndpoint;
class TLanDiscovery;
class TPortMapper;
class TServerEndpoint;

class TNetSession : public QObject {
    Q_OBJECT

public:
    using TRole = TNetRole;

    // The longest text the chat entry takes: one line is one send, well inside one read.
    static constexpr int ChatTextMaxLength = 1000;

    // While one lives, messages that would replay, undo or select on the game wait. When it
    // ends they are handled at the next pass of the event loop, or at once by
    // HandleHeldMessages().
    class THoldBack {
    public:
        explicit THoldBack(TNetSession &session);
        ~THoldBack();
        THoldBack(const THoldBack &) = delete;
        THoldBack &operator=(const THoldBack &) = delete;

    private:
        TNetSession &Session;
        const QScopedValueRollback<bool> Holding;
    };

    explicit TNetSession(QObject *parent = nullptr);
    ~TNetSession() override;

    TServerEndpoint &Server() const { return *ServerEndpoint; }
    TClientEndpoint &Client() const { return *ClientEndpoint; }
    // Finding each other on the LAN, over UDP beside the game's connection; off until enabled.
    TLanDiscovery &Discovery() const { return *LanDiscovery; }
    // The game port opened on the home router for a friend across the internet; off until
    // enabled, and opened only when the caller asks.
    TPortMapper &PortMapper() const { return *RouterPort; }

    // ---- Role, address, port ------------------------------------------------------------
    TRole Role() const { return CurrentRole; }
    // Ends every connection of both endpoints (each with ConnectionClosed()) and opens nothing.
    void SetRole(TRole role);
    // Ends the client's connection; the next attempt dials this text, taken as it is.
    void SetAddress(const QString &address);
    QString Address() const;
    // For both endpoints, from their next Open(); PortChanged() when it differs.
    void SetPort(int port);
    int Port() const;
    // The role, address and port as the settings file keeps them.
    TNetworkSettings CurrentSettings() const;

    // The 5-second tick: closes the other role's endpoint and opens this role's one unless it
    // is connected (client) or listening (server). Failures are simply tried again next time.
    void KeepOpen();
    // Connections still open, of either endpoint: none means "not connected".
    int ConnectionCount() const;
    // While the game's port is open to the internet the server keeps one peer: a connection
    // that comes while another is open is closed at once. Off, it accepts every copy.
    void SetSinglePeer(bool single);

    // ---- Sending ------------------------------------------------------------------------
    // Each hands one message to the peer and lets the event loop run 10000 passes; false at
    // once, without the passes, when this role has no connection.
    bool SendMoveList(const QStringList &record);
    bool SendSelection(int square); // -1 for none
    bool SendTakeBack(TTakeBack kind);
    // The line as this side's log shows it ("  - " and the text, with "?" for what the wire's
    // code page lacks, as the peer sees it); nothing when it could not be sent.
    std::optional<QString> SendChat(const QString &typedText);
    // SendMoveList() for a reply to the message being handled, unless the very same list was
    // the last message handed over and that message had arrived by then: then the list is on
    // its way already. Outside the handling of a message it is always sent.
    bool AnswerMoveList(const QStringList &record);
    // The two ways of sending for a message already in its written form ("l12>28", "rYes").
    bool Send(const QString &text);
    bool SendAnswer(const QString &text);

    // ---- Receiving ----------------------------------------------------------------------
    // One received message, decoded: told by its signal, or held back while a THoldBack lives.
    // `arrival`: when it came from the peer.
    void HandleMessage(const QString &text, TArrival arrival = ArrivalNow());
    // Handles the held messages in order, unless a caller further up is doing so already.
    void HandleHeldMessages();
    QStringList HeldMessages() const;

signals:
    void MoveListReceived(const QStringList &entries);
    void SelectionReceived(int square); // -1 to 63
    void ChatReceived(const QString &line);
    void TakeBackRequested();
    void TakeBackAnswered(bool consent);
    // A take-back message of no known kind.
    void TakeBackNotUnderstood();
    void ConnectionOpened();
    void ConnectionClosed();
    // The server accepted a connection from this address; ConnectionOpened() follows.
    void PeerAccepted(const QHostAddress &address);
    void PortChanged(int port);
    // The servers found on the LAN changed (Discovery().Servers()).
    void ServersFound();

private:
    void Watch(TEndpoint *endpoint);
    bool WaitsForHoldBack(QChar kind) const;
    struct TReceived {
        QString Text;
        TArrival Arrival;
    };
    void Dispatch(const TReceived &received);
    void DispatchTakeBack(const QString &payload);

    TServerEndpoint *const ServerEndpoint; // children of this session
    TClientEndpoint *const ClientEndpoint;
    TLanDiscovery *const LanDiscovery;
    TPortMapper *const RouterPort;
    TRole CurrentRole = TRole::Server;
    TEndpoint *RoleEndpoint;  // the endpoint of CurrentRole, the one messages go to
    TEndpoint *OtherEndpoint; // kept closed
    QList<TReceived> Held;    // oldest first
    bool Holding = false;
    bool TakingHeld = false;
    QByteArray LastSent;
    TArrival LastSentAt = 0;                 // when LastSent was handed over
    std::optional<TArrival> HandlingArrival; // of the message being handled, if any
};
