// Finds message boundaries in the bytes of one connection. The format has no delimiter, and TCP
// may hand two messages in one read or one message in two reads, so the bytes are buffered and
// each message is handed on once, whole:
// - a move list or selection never holds a lower-case letter: the next kind letter ends it;
// - a take-back message is exactly "rQuest", "rYes" or "rNo";
// - a chat message runs to the end of the read it arrived in (its text can hold anything);
// - bytes that start with no known kind letter run up to the next place where a well-formed
//   message starts, and are handed on as one message, so good messages behind them survive.
// A message whose end has not arrived yet waits for the next read, or for Flush() once the line
// has been quiet for QuietTimeMs. Pure logic, no sockets or timers.
#pragma once

#include <QByteArray>
#include <QList>

class TMessageSplitter {
public:
    // How long a connection waits for more bytes before an unfinished message is handed on.
    static constexpr int QuietTimeMs = 50;

    // Takes the bytes of one read; returns the messages completed by them, in order.
    // A read of zero bytes changes nothing.
    QList<QByteArray> Feed(const QByteArray &bytes);

    // The line has been quiet: what still waits is taken as complete and returned.
    QList<QByteArray> Flush();

    // True while some bytes wait for the rest of their message.
    bool HasPending() const { return !Pending.isEmpty(); }

private:
    QList<QByteArray> Split(const QByteArray &data, bool final);

    QByteArray Pending;
};
