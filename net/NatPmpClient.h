// NAT-PMP at the default gateway: the external address, and one TCP mapping asked for, renewed
// and given back. Every call blocks until the gateway answers or the time allowed is up, so it
// runs on the port mapper's own thread, never on the GUI thread.
#pragma once

#include <QHostAddress>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class TNatPmpClient {
public:
    struct TGrant {
        quint16 ExternalPort = 0;
        int LeaseSeconds = 0;
    };

    // `stopped` is asked between retries: true ends a wait early (the request was withdrawn).
    explicit TNatPmpClient(std::function<bool()> stopped = {});
    ~TNatPmpClient();
    TNatPmpClient(const TNatPmpClient &) = delete;
    TNatPmpClient &operator=(const TNatPmpClient &) = delete;

    // Asks the default gateway for its external address, without waiting.
    void AskExternalAddress();
    // Whether the gateway has answered that (true) or cannot (false); nothing while waiting.
    // Never waits.
    std::optional<bool> ExternalAddressAnswered();
    // The gateway's external address, asked for now unless it was, waiting at most
    // `milliseconds` for the answer; null when it does not answer (no gateway, or no NAT-PMP
    // on it).
    QHostAddress ExternalAddress(int milliseconds);
    // Asks for external port `port` to internal `port`, TCP; the gateway may grant another
    // external port. Nothing when it refused or did not answer.
    std::optional<TGrant> AddMapping(quint16 port, int leaseSeconds, int milliseconds);
    // Gives back the mapping of internal `port` (lifetime 0).
    void RemoveMapping(quint16 port, int milliseconds);
    QString ErrorText() const { return LastError; }
    // Whether the gateway answered the last request at all (perhaps with a refusal).
    bool GatewayAnswered() const { return Answered; }

private:
    struct TState; // libnatpmp's session and the last answer
    bool Start();
    std::optional<bool> Step();
    void KeepAddress(std::optional<bool> answer);
    bool Await(int milliseconds, bool withdrawable = true);

    const std::unique_ptr<TState> State;
    std::function<bool()> Stopped;
    bool Answered = false;
    bool AddressAsked = false;
    std::optional<bool> AddressAnswer;
    QHostAddress Address;
    QString LastError;
};
