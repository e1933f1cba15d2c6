#include "NatPmpClient.h"

#include <QDeadlineTimer>
#include <QtEndian>
#include <algorithm>
#include <natpmp.h>
#include <sys/select.h>

struct TNatPmpClient::TState {
    natpmp_t Session{};
    natpmpresp_t Answer{};
    bool Started = false;
};

TNatPmpClient::TNatPmpClient(std::function<bool()> stopped)
    : State(std::make_unique<TState>()), Stopped(std::move(stopped)) {}

TNatPmpClient::~TNatPmpClient() {
    if (State->Started)
        closenatpmp(&State->Session);
}

// The socket towards the default gateway, made at the first request.
bool TNatPmpClient::Start() {
    if (State->Started)
        return true;
    const int result = initnatpmp(&State->Session, 0, 0);
    if (result < 0) {
        LastError = result == NATPMP_ERR_CANNOTGETGATEWAY
                        ? QStringLiteral("NAT-PMP: no default gateway")
                        : QStringLiteral("NAT-PMP: no socket (%1)").arg(result);
        return false;
    }
    State->Started = true;
    return true;
}

// One look at the socket, never waiting: the answer (true), an error (false), or nothing yet
// (the request is sent again when libnatpmp's schedule says so).
std::optional<bool> TNatPmpClient::Step() {
    const int result = readnatpmpresponseorretry(&State->Session, &State->Answer);
    Answered = result >= 0;
    if (result >= 0) {
        if (State->Answer.resultcode == 0)
            return true;
        LastError = QStringLiteral("NAT-PMP: the gateway refused (result %1)")
                        .arg(State->Answer.resultcode);
        return false;
    }
    if (result == NATPMP_TRYAGAIN)
        return std::nullopt;
    LastError = QStringLiteral("NAT-PMP: no answer from the gateway (%1)").arg(result);
    return false;
}

// Waits for the answer to the request just sent, for at most `milliseconds`; a removal is
// never withdrawn. A gateway without NAT-PMP usually says so at once (ICMP port unreachable),
// which ends the wait as an error.
bool TNatPmpClient::Await(int milliseconds, bool withdrawable) {
    const QDeadlineTimer deadline(milliseconds);
    natpmp_t &session = State->Session;
    for (;;) {
        if (withdrawable && Stopped && Stopped()) {
            LastError = QStringLiteral("NAT-PMP: withdrawn");
            return false;
        }
        timeval retry{};
        getnatpmprequesttimeout(&session, &retry);
        // Short slices, so that a withdrawn request ends soon.
        const qint64 sliceMs = std::min<qint64>(
            {retry.tv_sec * 1000 + retry.tv_usec / 1000 + 1, deadline.remainingTime(), 100});
        timeval wait{static_cast<time_t>(sliceMs / 1000),
                     static_cast<suseconds_t>(sliceMs % 1000 * 1000)};
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(session.s, &readable);
        select(session.s + 1, &readable, nullptr, nullptr, &wait);
        if (const std::optional<bool> answer = Step())
            return *answer;
        if (deadline.hasExpired()) {
            LastError = QStringLiteral("NAT-PMP: the gateway did not answer in time");
            return false;
        }
    }
}

void TNatPmpClient::AskExternalAddress() {
    if (AddressAsked)
        return;
    AddressAsked = true;
    if (!Start() || sendpublicaddressrequest(&State->Session) < 0)
        AddressAnswer = false;
}

std::optional<bool> TNatPmpClient::ExternalAddressAnswered() {
    AskExternalAddress();
    if (!AddressAnswer)
        KeepAddress(Step());
    return AddressAnswer;
}

QHostAddress TNatPmpClient::ExternalAddress(int milliseconds) {
    AskExternalAddress();
    if (!AddressAnswer)
        KeepAddress(Await(milliseconds));
    return Address;
}

void TNatPmpClient::KeepAddress(std::optional<bool> answer) {
    AddressAnswer = answer;
    if (answer == true)
        Address = QHostAddress(qFromBigEndian(State->Answer.pnu.publicaddress.addr.s_addr));
}

std::optional<TNatPmpClient::TGrant> TNatPmpClient::AddMapping(quint16 port, int leaseSeconds,
                                                               int milliseconds) {
    if (!Start() ||
        sendnewportmappingrequest(&State->Session, NATPMP_PROTOCOL_TCP, port, port,
                                  static_cast<uint32_t>(leaseSeconds)) < 0 ||
        !Await(milliseconds))
        return std::nullopt;
    const auto &mapping = State->Answer.pnu.newportmapping;
    return TGrant{mapping.mappedpublicport, static_cast<int>(mapping.lifetime)};
}

void TNatPmpClient::RemoveMapping(quint16 port, int milliseconds) {
    if (Start() && sendnewportmappingrequest(&State->Session, NATPMP_PROTOCOL_TCP, port, 0, 0) >= 0)
        Await(milliseconds, false);
}
