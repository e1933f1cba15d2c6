#include "LanDiscovery.h"

#include "ClientEndpoint.h"
#include "LanProber.h"
#include "LanResponder.h"
#include "ServerEndpoint.h"

TLanDiscovery::TLanDiscovery(const TServerEndpoint &server, const TClientEndpoint &client,
                             QObject *parent)
    : QObject(parent), Server(server), Client(client),
      Answering(new TLanResponder([&server] { return server.ConnectionCount() > 0; }, this)),
      Probing(new TLanProber(this)) {
    connect(Probing, &TLanProber::ServersChanged, this, &TLanDiscovery::ServersChanged);
}

void TLanDiscovery::SetEnabled(bool enabled) {
    IsEnabled = enabled;
    if (enabled)
        RoleChosen(AsClient);
    else
        KeepUp(AsClient);
}

void TLanDiscovery::RoleChosen(bool asClient) {
    Probing->Forget();
    KeepUp(asClient);
}

void TLanDiscovery::KeepUp(bool asClient) {
    AsClient = asClient;
    if (!IsEnabled || asClient || !Server.Active())
        Answering->Stop();
    else if (Server.ListeningPort() != 0)
        Answering->Listen(Server.ListeningPort());
    if (!IsEnabled || !asClient)
        Probing->Forget();
    else
        FindNow();
}

void TLanDiscovery::FindNow() {
    if (IsEnabled && AsClient && !Client.Active() && Client.Port() > 0 && Client.Port() <= 65535)
        Probing->Probe(static_cast<quint16>(Client.Port()));
}

const QList<TFoundServer> &TLanDiscovery::Servers() const {
    return Probing->Servers();
}
