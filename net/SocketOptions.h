// Every connection of either role is told how to notice a peer whose computer vanished (power
// cut, cable out, laptop asleep) without closing its connection: left alone, the system keeps
// such a connection for a quarter of an hour, and all the while the messages go to nobody.
#pragma once

#include <optional>

class QAbstractSocket;

struct TDeadPeerTimes {
    int IdleSeconds = 5;     // quiet time before the first keep-alive probe
    int IntervalSeconds = 2; // between unanswered probes
    int Probes = 5;          // unanswered probes that end the connection
    // Sent data that the peer has not acknowledged within this ends the connection too.
    int UnacknowledgedMs = 15000;
};

// For a connected socket: keep-alive with these times, and no delay for small writes (a
// selection right after a move list must not wait for the peer's acknowledgement). What the
// system does not support is left as it is.
void PrepareConnection(QAbstractSocket &socket, const TDeadPeerTimes &times);

// Bytes written on a connected socket that its peer has not acknowledged yet, those the system
// has not sent at all included; nothing where the system cannot tell.
std::optional<int> UnacknowledgedBytes(const QAbstractSocket &socket);
