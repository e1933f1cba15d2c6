#include "MessageSplitter.h"

#include <QByteArrayView>
#include <array>

namespace {

enum class TAnswer { No, Maybe, Yes };

constexpr std::array<QByteArrayView, 3> TakeBackMessages{"rQuest", "rYes", "rNo"};
constexpr QByteArrayView ChatPrefix{"  - "};

bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether rest is a proper prefix of whole.
bool IsProperPrefix(QByteArrayView rest, QByteArrayView whole) {
    return rest.size() < whole.size() && whole.startsWith(rest);
}

// Length of the take-back message that rest starts with, or 0; *partial tells whether rest is
// the start of one whose end has not arrived.
qsizetype TakeBackLength(QByteArrayView rest, bool *partial) {
    *partial = false;
    for (const QByteArrayView message : TakeBackMessages) {
        if (rest.startsWith(message))
            return message.size();
        *partial = *partial || IsProperPrefix(rest, message);
    }
    return 0;
}

// Does a message that this program could have sent start at data[p]? Maybe: the bytes end too
// early to tell.
TAnswer WellFormedStart(QByteArrayView data, qsizetype p) {
    const QByteArrayView rest = data.sliced(p);
    const QByteArrayView payload = rest.sliced(1);
    switch (rest.front()) {
    case 'r': {
        bool partial = false;
        if (TakeBackLength(rest, &partial) > 0)
            return TAnswer::Yes;
        return partial ? TAnswer::Maybe : TAnswer::No;
    }
    case 'm':
        if (payload.startsWith(ChatPrefix))
            return TAnswer::Yes;
        return IsProperPrefix(payload, ChatPrefix) ? TAnswer::Maybe : TAnswer::No;
    case 's':
        if (payload.isEmpty())
            return TAnswer::Maybe;
        return payload.front() == '-' || IsDigit(payload.front()) ? TAnswer::Yes : TAnswer::No;
    case 'l':
        if (payload.isEmpty())
            return TAnswer::Maybe;
        if (IsDigit(payload.front()))
            return TAnswer::Yes;
        // An empty move list directly followed by another message, as in "ls-1".
        if (payload.front() == 's' || payload.front() == 'm' || payload.front() == 'r')
            return WellFormedStart(data, p + 1);
        return TAnswer::No;
    default:
        return TAnswer::No;
    }
}

} // namespace

QList<QByteArray> TMessageSplitter::Feed(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return {};
    const QByteArray data = Pending + bytes;
    Pending.clear();
    return Split(data, false);
}

QList<QByteArray> TMessageSplitter::Flush() {
    const QByteArray data = Pending;
    Pending.clear();
    return Split(data, true);
}

// Cuts data into messages. Unless final, a message whose end cannot be known yet is kept in
// Pending (from its first byte) to be parsed again with the next read.
QList<QByteArray> TMessageSplitter::Split(const QByteArray &data, bool final) {
    QList<QByteArray> messages;
    const qsizetype n = data.size();
    qsizetype p = 0;
    // Ends the current message at q, or keeps it for later when its end is still unknown.
    const auto cut = [&](qsizetype q, bool endKnown) {
        if (!endKnown && !final) {
            Pending = data.sliced(p);
            return false;
        }
        messages.append(data.sliced(p, q - p));
        p = q;
        return true;
    };
    while (p < n) {
        const char kind = data.at(p);
        bool more = true;
        if (kind == 'l' || kind == 's') {
            qsizetype q = p + 1;
            while (q < n && !IsLower(data.at(q)))
                ++q;
            more = cut(q, q < n);
        } else if (kind == 'm') {
            // Runs to the end of the read, unless the read stopped inside the line's prefix.
            more = cut(n, !IsProperPrefix(QByteArrayView(data).sliced(p + 1), ChatPrefix));
        } else {
            bool partial = false;
            const qsizetype length =
                kind == 'r' ? TakeBackLength(QByteArrayView(data).sliced(p), &partial) : 0;
            if (length > 0) {
                more = cut(p + length, true);
            } else if (partial) {
                more = cut(n, false);
            } else {
                // Unknown bytes run up to the next message that this program could have sent.
                qsizetype q = p + 1;
                TAnswer start = TAnswer::No;
                while (q < n && (start = WellFormedStart(data, q)) == TAnswer::No)
                    ++q;
                if (start == TAnswer::Maybe && final) {
                    q = n; // the stream ended inside something unfinished: all of it is one
                    start = TAnswer::No;
                }
                more = cut(q, start == TAnswer::Yes);
            }
        }
        if (!more)
            break;
    }
    return messages;
}
