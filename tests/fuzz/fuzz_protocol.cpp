// The protocol parser, given one received message: what it takes apart, built again, is taken
// apart the same, and a selection never names a square off the board.
#include "FuzzCheck.h"
#include "Protocol.h"
#include "TextCodec.h"

namespace {

void CheckMoveList(const QString &message, const QString &payload) {
    const QStringList entries = ParseMoveList(payload);
    FUZZ_CHECK(MoveListMessage(entries) == message);
    FUZZ_CHECK(entries.isEmpty() == payload.isEmpty());
    for (const QString &entry : entries)
        FUZZ_CHECK(!entry.contains(MoveListSeparator));
}

void CheckSelection(const QString &payload) {
    const int square = ParseSelection(payload);
    FUZZ_CHECK(square >= NoSelection && square <= 63);
    FUZZ_CHECK(ParseSelection(SelectionMessage(square).mid(1)) == square);
    // A square is only ever read from the digits that name it.
    if (square != NoSelection) {
        bool isNumber = false;
        FUZZ_CHECK(payload.toInt(&isNumber) == square && isNumber);
    }
    // What this program sends is read as it was meant.
    bool isNumber = false;
    const int sent = payload.toInt(&isNumber);
    if (isNumber && sent >= NoSelection && sent <= 63 && SelectionMessage(sent).mid(1) == payload)
        FUZZ_CHECK(square == sent);
}

void CheckTakeBack(const QString &message, const QString &payload) {
    const std::optional<TTakeBack> kind = ParseTakeBack(payload);
    const bool known = message == TakeBackRequestMessage || message == TakeBackConsentMessage ||
                       message == TakeBackRefusalMessage;
    FUZZ_CHECK(kind.has_value() == known);
    if (kind)
        FUZZ_CHECK(TakeBackMessage(*kind) == message);
}

void CheckChat(const QString &message, const QString &payload) {
    if (payload.startsWith(ChatLinePrefix))
        FUZZ_CHECK(ChatMessage(payload.sliced(ChatLinePrefix.size())) == message);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    const QString message = DecodeText(bytes);
    const TNetMessage parts = SplitMessage(message);
    if (message.isEmpty()) {
        FUZZ_CHECK(parts.Kind.isNull() && parts.Payload.isEmpty());
        return 0;
    }
    FUZZ_CHECK(parts.Kind + parts.Payload == message);
    if (parts.Kind == MoveListKind)
        CheckMoveList(message, parts.Payload);
    else if (parts.Kind == SelectionKind)
        CheckSelection(parts.Payload);
    else if (parts.Kind == TakeBackKind)
        CheckTakeBack(message, parts.Payload);
    else if (parts.Kind == ChatKind)
        CheckChat(message, parts.Payload);
    return 0;
}
