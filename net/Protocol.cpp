#include "Protocol.h"

QString MoveListMessage(const QStringList &entries) {
    return MoveListKind + entries.join(MoveListSeparator);
}

QString SelectionMessage(int square) {
    return SelectionKind + QString::number(square);
}

QString ChatLine(const QString &typedText) {
    return ChatLinePrefix + typedText;
}

QString ChatMessage(const QString &typedText) {
    return ChatKind + ChatLine(typedText);
}

QString TakeBackMessage(TTakeBack kind) {
    switch (kind) {
    case TTakeBack::Request:
        return TakeBackRequestMessage;
    case TTakeBack::Consent:
        return TakeBackConsentMessage;
    case TTakeBack::Refusal:
        break;
    }
    return TakeBackRefusalMessage;
}

TNetMessage SplitMessage(const QString &message) {
    if (message.isEmpty())
        return {};
    return {message.front(), message.mid(1)};
}

QStringList ParseMoveList(const QString &payload) {
    if (payload.isEmpty())
        return {};
    return payload.split(MoveListSeparator);
}

int ParseSelection(const QString &payload) {
    const bool negative = payload.startsWith(u'-');
    const QStringView digits = QStringView(payload).mid(negative ? 1 : 0);
    if (digits.isEmpty() || digits.size() > 2)
        return NoSelection;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return NoSelection;
    }
    const int value = digits.toInt() * (negative ? -1 : 1);
    return value >= -1 && value <= 63 ? value : NoSelection;
}

std::optional<TTakeBack> ParseTakeBack(const QString &payload) {
    const QString message = TakeBackKind + payload;
    if (message == TakeBackRequestMessage)
        return TTakeBack::Request;
    if (message == TakeBackConsentMessage)
        return TTakeBack::Consent;
    if (message == TakeBackRefusalMessage)
        return TTakeBack::Refusal;
    return std::nullopt;
}
