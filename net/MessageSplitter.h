// Finds message boundaries in the bytes of one connection. The format has no delimiter, and TCP
// may hand two messages in one read or one message in several reads, so the bytes are buffered
// and each message is handed on once, whole:
// - a move list or selection never holds a lower-case letter: the next kind letter ends it;
// - a take-back message is exactly "rQuest", "rYes" or "rNo";
// - a chat message runs until the line has been quiet for QuietTimeMs (Flush): its text can hold
//   anything, so the bytes that follow it without a pause belong to it, whatever they look like;
// - bytes that start with no known kind letter run up to the next place where a well-formed
//   message starts, and are handed on as one message, so good messages behind them survive.
// A message whose end has not arrived yet waits for the next read, or for Flush(). A message
// longer than MaxMessageBytes is dropped, so a peer that never ends one costs bounded memory;
// and scanning resumes where the last read left it, so every byte is looked at a bounded number
// of times. Pure logic, no sockets or timers.
#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

class TMessageSplitter {
public:
    // How long a connection waits for more bytes before an unfinished message is handed on.
    // Long enough for the segments of one message on an uneven network, and far shorter than
    // the pause a person needs between a chat line and the next move.
    static constexpr int QuietTimeMs = 50;
    // Far above the longest message this program sends (a 1000-move list is about 7 KB).
    static constexpr qsizetype MaxMessageBytes = 64 * 1024;

    // Takes the bytes of one read; returns the messages completed by them, in order.
    // A read of zero bytes changes nothing.
    QList<QByteArray> Feed(const QByteArray &bytes);

    // The line has been quiet: what still waits is taken as complete and returned.
    QList<QByteArray> Flush();

    // True while some bytes wait for the rest of their message.
    bool HasPending() const { return !Pending.isEmpty() || Dropping; }

private:
    enum class TKind { Unknown, ListOrSelection, Chat, Garbage };

    QList<QByteArray> Split(bool final);
    std::optional<qsizetype> CurrentEnd(bool final);
    std::optional<qsizetype> ClassifyCurrent(bool final);
    std::optional<qsizetype> ListEnd(bool final);
    std::optional<qsizetype> GarbageEnd(bool final);
    void DropWhenTooLong();

    QByteArray Pending;      // from the first byte of the current message
    qsizetype Start = 0;     // where the current message starts in Pending
    qsizetype Scan = 0;      // the next byte that may end it
    qsizetype RunStart = -1; // in garbage: the first of the "l" just before Scan
    TKind Current = TKind::Unknown;
    bool Dropping = false; // it grew too long: its bytes are thrown away
};
