// One established TCP connection of either role: writes whole messages, and hands on the
// messages it reads, found by a TMessageSplitter, with a quiet-time timer for unfinished ones.
// A chat line ends only when the line falls quiet, so what this side sends after one waits
// until the peer has surely taken the pause as the line's end: until the peer has acknowledged
// every byte of it (a lost segment is sent again only after the retransmission timeout, and
// what followed it would then reach the peer in the same read) and the quiet time has passed.
// Used by the two endpoints; not needed by their users.
#pragma once

#include "Arrival.h"
#include "MessageSplitter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

class QTcpSocket;

class TConnection : public QObject {
    Q_OBJECT

public:
    // Takes over a connected socket (it becomes a child of this connection).
    TConnection(QTcpSocket *socket, QObject *parent);
    ~TConnection() override;

    bool IsOpen() const;
    // Whom the socket is connected to; null once it is not.
    QHostAddress PeerAddress() const;
    // One write per message, flushed at once (or, within the pause after a chat line, as soon as
    // it is over); false when the socket is not connected.
    bool Send(const QByteArray &message);
    // Ends the connection from this side: no further message is handed on, Closed() follows
    // once. The connection then deletes itself.
    void Close();

signals:
    // `arrival`: when the read (or the quiet time) that completed the message came.
    void MessageReceived(const QByteArray &message, TArrival arrival);
    // Emitted once, when the connection ends for whatever reason.
    void Closed();

private:
    bool Write(const QByteArray &message);
    bool InChatPause() const;
    void StartChatPause();
    void CheckChatAcknowledged();
    void SendHeld();
    void Read();
    void Arrived(const QList<QByteArray> &messages); // queued for delivery, stamped now
    void QuietTimeElapsed();
    void ScheduleDelivery();
    void Deliver();
    void PeerLeft();
    void Finish();

    QTcpSocket *Socket;
    TMessageSplitter Splitter;
    QTimer QuietTimer;
    QTimer AckPoll;   // while the chat line waits for the peer's acknowledgement
    QTimer ChatPause; // the quiet time after it
    QElapsedTimer SinceChat;
    QList<QByteArray> Held;        // sent during the pause after a chat line
    struct TArrived {
        QByteArray Message;
        TArrival Arrival;
    };
    QList<TArrived> Undelivered; // shared by nested deliveries so that order is kept
    bool DeliveryScheduled = false;
    int NestedDeliveries = 0; // deliveries running one inside another
    bool PeerGone = false;    // Closed() follows the last undelivered message
    bool Finished = false;
};
