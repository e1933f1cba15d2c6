// The server's side of finding each other: answers the probes that come on the game port with
// the TCP port, whether a client is already served and the computer's name. Only probes from a
// directly connected network are answered, at most 20 answers in any second, so a flood of
// probes costs bounded work and cannot be turned against a third computer. Nothing received
// here reaches the game, the record, the settings or a connection. Lives on the GUI thread.
#pragma once

#include "LanNetworks.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QUdpSocket;

class TLanResponder : public QObject {
    Q_OBJECT

public:
    // busy: whether the server already has a client; asked for every answer.
    explicit TLanResponder(std::function<bool()> busy, QObject *parent = nullptr);

    // Answers probes on this UDP port for a server on the same TCP port; the port is shared
    // with the other copies on this computer. Listening on the same port again does nothing.
    // False when the port cannot be had (the caller tries again later).
    bool Listen(quint16 port);
    void Stop();
    bool Listening() const;

    // Answers sent since this responder was made.
    qint64 AnswersSent() const { return Sent; }

private:
    void ReadPending();
    void Handle(const QByteArray &datagram, const QHostAddress &sender, quint16 senderPort);
    bool MayAnswer();
    void Answer(const QByteArray &answer, const QHostAddress &to, quint16 port);
    const QList<TLanNetwork> &Networks();

    const std::function<bool()> Busy;
    const QString Name;
    QUdpSocket *Socket; // child of this responder
    quint16 Port = 0;
    QElapsedTimer Clock;
    QList<qint64> RecentAnswers; // when the answers of the last second went, oldest first
    std::optional<qint64> LastBroadcast;
    QList<TLanNetwork> KnownNetworks;
    std::optional<qint64> NetworksReadAt;
    qint64 Sent = 0;
};
