// The client's side of finding each other: sends a probe to the broadcast address of every
// LAN this computer is on and lists the servers that answer it. A server not heard from for
// 15 s drops off the list. The address listed is the one the answer came from, never one
// written inside it. Lives on the GUI thread.
#pragma once

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QTimer;
class QUdpSocket;

struct TFoundServer {
    QHostAddress Address;
    quint16 Port = 0; // its TCP port
    bool Busy = false;
    QString Name;
    qint64 HeardAt = 0; // on the prober's clock, in ms

    // Address and port: the one server this is.
    bool SameServer(const TFoundServer &other) const;
    // What a list shows of it changed.
    bool ShowsDifferently(const TFoundServer &other) const;
};

class TLanProber : public QObject {
    Q_OBJECT

public:
    explicit TLanProber(QObject *parent = nullptr);

    // One probe to every LAN broadcast address for servers on this port. The answers are heard
    // on the same port where the system allows it (shared with the other copies here), so that
    // a firewall that lets in only the game port lets them in too.
    void Probe(quint16 port);
    // Empties the list and stops listening for answers.
    void Forget();

    // Ordered by address, then port.
    const QList<TFoundServer> &Servers() const { return Found; }

signals:
    // A server came, went, or now shows differently.
    void ServersChanged();

private:
    bool ListenOn(quint16 port);
    void ReadPending();
    void Heard(const QByteArray &datagram, const QHostAddress &sender);
    void DropSilent();

    QUdpSocket *Socket; // children of this prober
    QTimer *Expiry;
    quint16 ProbedPort = 0;
    QByteArrayList Nonces; // of the latest probes, newest last
    QList<TFoundServer> Found;
    QElapsedTimer Clock;
};
