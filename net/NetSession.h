// One side of network play, without a window: the endpoint of the chosen role kept open, the
// messages encoded, sent and taken apart, and what arrived told by kind. The game and the
// widgets stay with the caller, which decides what a message does.
//
// Everything runs on the GUI thread, and the event loop runs inside a send (10000 passes) and
// inside whatever the caller does on a signal (a message box), so a message may arrive while
// another is being handled. Three rules keep that safe, each held by a scoped guard:
// - while a THoldBack lives, messages that would act on the game wait, in order, until it ends;
// - held messages are handled by the outermost caller only, so their order is kept;
// - an answer identical to the last message handed over, while a send is still running its
//   passes, is not sent again (a flood of lists that all need the same answer gets it once).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QScopedValueRollback>
#include <QString>
#include <QStringList>

class TClientEndpoint;
class TLanDiscovery;
class TServerEndpoint;

class TNetSession : public QObject {
    Q_OBJECT

public:
    enum class TRole { Server, Client };

    // What the settings file says about the connection.
    struct TSettings {
        TRole Role = TRole::Server;
        QString Address;
        int Port = 0; // a number no endpoint opens with when the stored port is not usable
    };

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

    // The settings file's role, address and port; missing ones are the defaults.
    static TSettings ReadSettings(const QString &fileName);
    // Writes the port, then in the client role the address, then the role. Stops at the first
    // write that fails, with its error in *error.
    bool WriteSettings(const QString &fileName, QString *error) const;

    TRole Role() const { return CurrentRole; }
    // Ends every connection of both endpoints (each with ConnectionClosed()) and opens nothing.
    void SetRole(TRole role);
    // Ends the client's connection; the next attempt dials this text, taken as it is.
    void SetAddress(const QString &address);
    QString Address() const;
    // For both endpoints, from their next Open().
    void SetPort(int port);
    int Port() const;

    // The 5-second tick: closes the other role's endpoint and opens this role's one unless it
    // is connected (client) or listening (server). Failures are simply tried again next time.
    void KeepOpen();

    // Hands one message to the peer and lets the event loop run 10000 passes; false at once,
    // without the passes, when this role has no connection.
    bool Send(const QString &text);
    // Send() for a reply to the peer, unless the very same message was the last one handed
    // over and a send is still running its passes: then it is on its way already.
    bool SendAnswer(const QString &text);

    // One received message, decoded: told by its signal, or held back while a THoldBack lives.
    void HandleMessage(const QString &text);
    // Handles the held messages in order, unless a caller further up is doing so already.
    void HandleHeldMessages();
    const QStringList &HeldMessages() const { return Held; }

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
    // The servers found on the LAN changed (Discovery().Servers()).
    void ServersFound();

private:
    bool HandOver(const QByteArray &bytes);
    bool WaitsForHoldBack(QChar kind) const;
    void Dispatch(const QString &text);
    void DispatchTakeBack(const QString &payload);
    template <typename TEndpoint> void Watch(TEndpoint *endpoint);

    TServerEndpoint *const ServerEndpoint; // children of this session
    TClientEndpoint *const ClientEndpoint;
    TLanDiscovery *const LanDiscovery;
    TRole CurrentRole = TRole::Server;
    QStringList Held; // oldest first
    bool Holding = false;
    bool TakingHeld = false;
    int SendsRunning = 0;
    QByteArray LastSent;
};
