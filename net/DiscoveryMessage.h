// The datagrams with which copies find each other on the LAN, built and taken apart; no sockets.
// A probe asks who serves on the game port; an answer names the TCP port, whether the server
// already has a client and the computer's name. Both are one line of text, at most 512 bytes:
//   KVLN/1 Q <nonce>
//   KVLN/1 A <nonce> <tcp port> <F|B> <name>
// The nonce is 16 lowercase hexadecimal digits chosen by the prober; an answer repeats it, so a
// prober can tell the answers to its own probes. Anything else is not ours and is ignored.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

inline constexpr qsizetype MaxDiscoveryDatagram = 512;
inline constexpr qsizetype DiscoveryNonceLength = 16;
// The longest computer name an answer carries, in UTF-8 bytes.
inline constexpr qsizetype MaxComputerNameBytes = 48;

struct TDiscoveryAnswer {
    QByteArray Nonce;
    quint16 Port = 0;  // the server's TCP port, 1..65535
    bool Busy = false; // the server already has a client
    QString Name;      // cleaned as ComputerName() cleans it; may be empty

    bool operator==(const TDiscoveryAnswer &) const = default;
};

// A fresh nonce from the system's random source.
QByteArray NewDiscoveryNonce();

// nonce: 16 lowercase hexadecimal digits.
QByteArray ProbeDatagram(QByteArrayView nonce);
QByteArray AnswerDatagram(const TDiscoveryAnswer &answer);

// The probe's nonce; nullopt for anything that is not a probe of this version.
std::optional<QByteArray> ParseProbe(QByteArrayView datagram);
// nullopt for anything that is not an answer of this version, or whose name is not as
// ComputerName() leaves names.
std::optional<TDiscoveryAnswer> ParseAnswer(QByteArrayView datagram);

// A computer's name as an answer carries it: control and formatting characters removed (they
// could reorder or hide what a list shows), then cut to at most 48 UTF-8 bytes, never inside a
// character.
QString ComputerName(const QString &hostName);
