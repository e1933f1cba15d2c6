#include "MessageSplitter.h"

#include "Protocol.h"

#include <QByteArrayView>
#include <iterator>

namespace {

enum class TAnswer { No, Maybe, Yes };

// The protocol's texts are plain ASCII, so their Latin-1 bytes are the bytes on the wire.
constexpr QByteArrayView Bytes(QLatin1String text) {
    return {text.data(), text.size()};
}

constexpr QByteArrayView TakeBackConsent = Bytes(TakeBackConsentMessage);
constexpr QByteArrayView ChatPrefix = Bytes(ChatLinePrefix);
constexpr char KindsAfterEmptyList[] = {SelectionLetter, ChatLetter, TakeBackLetter};

bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
// The first byte of a selection's payload.
bool StartsSelection(char c) {
    return c == '-' || IsDigit(c);
}

// Whether rest is a proper prefix of whole.
bool IsProperPrefix(QByteArrayView rest, QByteArrayView whole) {
    return rest.size() < whole.size() && whole.startsWith(rest);
}

// Does rest start with a take-back message (its length in *length)? Maybe: the bytes end too
// early to tell, unless the line has fallen quiet (final). The "s" that ends "rYes" may just as
// well be the kind letter of a selection after some "rYe": when a selection's digit or sign
// follows, it is the selection, so no message is made of the letters of two.
TAnswer TakeBackAt(QByteArrayView rest, bool final, qsizetype *length) {
    bool partial = false;
    for (const QLatin1String text : TakeBackMessages) {
        const QByteArrayView message = Bytes(text);
        if (rest.startsWith(message)) {
            if (message == TakeBackConsent && rest.size() == message.size() && !final)
                return TAnswer::Maybe;
            if (message == TakeBackConsent && rest.size() > message.size() &&
                StartsSelection(rest.at(message.size())))
                return TAnswer::No;
            *length = message.size();
            return TAnswer::Yes;
        }
        partial = partial || IsProperPrefix(rest, message);
    }
    return partial && !final ? TAnswer::Maybe : TAnswer::No;
}

// Does a message that this program could have sent start at data[p]? Maybe: the bytes end too
// early to tell. An empty move list is known by the message right behind it (as in "ls-1"), or by
// the quiet after it; one followed by another "l" is left to the caller, which finds the whole run.
TAnswer WellFormedStart(QByteArrayView data, qsizetype p, bool final) {
    const QByteArrayView rest = data.sliced(p);
    const QByteArrayView payload = rest.sliced(1);
    const TAnswer tooShort = final ? TAnswer::No : TAnswer::Maybe;
    qsizetype length = 0;
    switch (rest.front()) {
    case TakeBackLetter:
        return TakeBackAt(rest, final, &length);
    case ChatLetter:
        if (payload.startsWith(ChatPrefix))
            return TAnswer::Yes;
        return IsProperPrefix(payload, ChatPrefix) ? tooShort : TAnswer::No;
    case SelectionLetter:
        if (payload.isEmpty())
            return tooShort;
        return StartsSelection(payload.front()) ? TAnswer::Yes : TAnswer::No;
    case MoveListLetter:
        if (payload.isEmpty())
            return final ? TAnswer::Yes : TAnswer::Maybe;
        if (IsDigit(payload.front()))
            return TAnswer::Yes;
        if (QByteArrayView(KindsAfterEmptyList, std::size(KindsAfterEmptyList))
                .contains(payload.front()))
            return WellFormedStart(data, p + 1, final);
        return TAnswer::No;
    default:
        return TAnswer::No;
    }
}

} // namespace

QList<QByteArray> TMessageSplitter::Feed(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return {};
    Pending.append(bytes);
    return Split(false);
}

QList<QByteArray> TMessageSplitter::Flush() {
    return Split(true);
}

// Hands on every message whose end is known; unless final, the unfinished rest stays in
// Pending. Nothing before Start is needed again, so it goes once per read, not per message.
QList<QByteArray> TMessageSplitter::Split(bool final) {
    QList<QByteArray> messages;
    while (Start < Pending.size() || (final && Dropping)) {
        const std::optional<qsizetype> end = CurrentEnd(final);
        if (!end)
            break;
        if (!Dropping && *end - Start <= MaxMessageBytes)
            messages.append(Pending.sliced(Start, *end - Start));
        Start = Scan = *end;
        RunStart = -1;
        Current = TKind::Unknown;
        Dropping = false;
    }
    Pending.remove(0, Start);
    Scan -= Start;
    if (RunStart >= 0)
        RunStart -= Start;
    Start = 0;
    DropWhenTooLong();
    return messages;
}

// Where the current message ends in Pending, or nothing while that cannot be known yet.
std::optional<qsizetype> TMessageSplitter::CurrentEnd(bool final) {
    switch (Current) {
    case TKind::Unknown:
        return ClassifyCurrent(final);
    case TKind::ListOrSelection:
        return ListEnd(final);
    case TKind::Chat:
        Scan = Pending.size();
        return final ? std::optional(Scan) : std::nullopt;
    case TKind::Garbage:
        return GarbageEnd(final);
    }
    return std::nullopt;
}

// Tells the current message's kind by its first bytes.
std::optional<qsizetype> TMessageSplitter::ClassifyCurrent(bool final) {
    const char kind = Pending.at(Start);
    Scan = Start + 1;
    if (kind == MoveListLetter || kind == SelectionLetter) {
        Current = TKind::ListOrSelection;
        return ListEnd(final);
    }
    if (kind == ChatLetter) {
        Current = TKind::Chat;
        return CurrentEnd(final);
    }
    if (kind == TakeBackLetter) {
        qsizetype length = 0;
        const TAnswer answer = TakeBackAt(QByteArrayView(Pending).sliced(Start), final, &length);
        if (answer == TAnswer::Yes)
            return Start + length;
        if (answer == TAnswer::Maybe)
            return std::nullopt;
    }
    Current = TKind::Garbage;
    return GarbageEnd(final);
}

std::optional<qsizetype> TMessageSplitter::ListEnd(bool final) {
    while (Scan < Pending.size() && !IsLower(Pending.at(Scan)))
        ++Scan;
    if (Scan < Pending.size() || final)
        return Scan;
    return std::nullopt;
}

// Unknown bytes run up to the next message that this program could have sent. In a run of "l"
// the last one decides: when a message starts with it, each "l" before it is an empty list too
// (an echo of an empty record, then a press); the run is passed over once, not once per read.
std::optional<qsizetype> TMessageSplitter::GarbageEnd(bool final) {
    for (; Scan < Pending.size(); ++Scan) {
        const bool emptyList = Pending.at(Scan) == MoveListLetter;
        if (emptyList && RunStart < 0)
            RunStart = Scan;
        if (emptyList && Scan + 1 < Pending.size() && Pending.at(Scan + 1) == MoveListLetter)
            continue;
        const TAnswer start = WellFormedStart(Pending, Scan, final);
        if (start == TAnswer::Yes)
            return emptyList ? RunStart : Scan;
        if (start == TAnswer::Maybe)
            return std::nullopt; // looked at again with the next read
        RunStart = -1;
    }
    if (final)
        return Scan;
    return std::nullopt;
}

// A message too long to be one of this program's is given up: what has been looked at goes, and
// the rest of it is thrown away as it comes, up to its end. Called with Start at 0.
void TMessageSplitter::DropWhenTooLong() {
    if (!Dropping && Scan <= MaxMessageBytes)
        return;
    Dropping = true;
    Pending.remove(0, Scan);
    Scan = 0;
    RunStart = -1; // a run of "l" that long is garbage as well
}
