// Finding each other on the LAN, following the session's role: while the server listens it
// answers probes on the game port (TLanResponder); while the client is not connected it probes
// when the role is chosen, at each tick and when the user asks (TLanProber). Over UDP only:
// the TCP connection and what it carries are never touched.
#pragma once

#include <QObject>

class TClientEndpoint;
class TLanProber;
class TLanResponder;
class TServerEndpoint;
struct TFoundServer;

class TLanDiscovery : public QObject {
    Q_OBJECT

public:
    TLanDiscovery(const TServerEndpoint &server, const TClientEndpoint &client,
                  QObject *parent = nullptr);

    // Off until switched on: a copy that never switches it on sends and answers nothing over
    // UDP, which keeps the tests' windows off the computer's real network. Switching it on
    // probes at once in the client role.
    void SetEnabled(bool enabled);
    bool Enabled() const { return IsEnabled; }

    // A role change: the old role's list and answering end; the client probes at once.
    void RoleChosen(bool asClient);
    // The tick, after the endpoint of the role was opened: the server answers while it
    // listens, the client probes while it is not connected.
    void KeepUp(bool asClient);
    // The user asks: a probe now, in the client role while not connected.
    void FindNow();

    const QList<TFoundServer> &Servers() const;
    const TLanResponder &Responder() const { return *Answering; }

signals:
    void ServersChanged();

private:
    const TServerEndpoint &Server;
    const TClientEndpoint &Client;
    TLanResponder *const Answering; // children of this object
    TLanProber *const Probing;
    bool IsEnabled = false;
    bool AsClient = false;
};
