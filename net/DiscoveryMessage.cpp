#include "DiscoveryMessage.h"

#include <QList>
#include <QRandomGenerator>
#include <QStringDecoder>

namespace {

constexpr QByteArrayView ProbeHead{"KVLN/1 Q "};
constexpr QByteArrayView AnswerHead{"KVLN/1 A "};
constexpr char FreeLetter = 'F';
constexpr char BusyLetter = 'B';
constexpr qsizetype MaxPortDigits = 5;

bool IsNonce(QByteArrayView text) {
    if (text.size() != DiscoveryNonceLength)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// Plain decimal as this program writes it: no sign, no leading zero, 1..65535.
std::optional<quint16> PortOf(QByteArrayView digits) {
    if (digits.isEmpty() || digits.size() > MaxPortDigits || digits.front() == '0')
        return std::nullopt;
    int port = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

// Characters no list should show: they break lines, reorder or hide the text around them.
bool IsHidden(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

qsizetype Utf8Length(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// The name as the bytes of a datagram hold it, when they are well-formed UTF-8.
std::optional<QString> DecodeName(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return name;
}

} // namespace

QByteArray NewDiscoveryNonce() {
    const quint64 value = QRandomGenerator::system()->generate64();
    return QByteArray::number(value, 16).rightJustified(DiscoveryNonceLength, '0');
}

QByteArray ProbeDatagram(QByteArrayView nonce) {
    return ProbeHead.toByteArray() + nonce.toByteArray();
}

QByteArray AnswerDatagram(const TDiscoveryAnswer &answer) {
    return AnswerHead.toByteArray() + answer.Nonce + ' ' + QByteArray::number(answer.Port) + ' ' +
           (answer.Busy ? BusyLetter : FreeLetter) + ' ' + ComputerName(answer.Name).toUtf8();
}

std::optional<QByteArray> ParseProbe(QByteArrayView datagram) {
    if (!datagram.startsWith(ProbeHead))
        return std::nullopt;
    const QByteArrayView nonce = datagram.sliced(ProbeHead.size());
    if (!IsNonce(nonce))
        return std::nullopt;
    return nonce.toByteArray();
}

std::optional<TDiscoveryAnswer> ParseAnswer(QByteArrayView datagram) {
    if (datagram.size() > MaxDiscoveryDatagram || !datagram.startsWith(AnswerHead))
        return std::nullopt;
    QByteArrayView rest = datagram.sliced(AnswerHead.size());
    if (rest.size() < DiscoveryNonceLength + 1 || rest.at(DiscoveryNonceLength) != ' ')
        return std::nullopt;
    TDiscoveryAnswer answer;
    if (!IsNonce(rest.first(DiscoveryNonceLength)))
        return std::nullopt;
    answer.Nonce = rest.first(DiscoveryNonceLength).toByteArray();
    rest = rest.sliced(DiscoveryNonceLength + 1);

    const qsizetype blank = rest.indexOf(' ');
    const std::optional<quint16> port = PortOf(rest.first(blank < 0 ? 0 : blank));
    if (!port)
        return std::nullopt;
    answer.Port = *port;
    rest = rest.sliced(blank + 1);

    if (rest.size() < 2 || (rest.front() != FreeLetter && rest.front() != BusyLetter) ||
        rest.at(1) != ' ')
        return std::nullopt;
    answer.Busy = rest.front() == BusyLetter;

    const std::optional<QString> name = DecodeName(rest.sliced(2));
    if (!name || ComputerName(*name) != *name)
        return std::nullopt;
    answer.Name = *name;
    return answer;
}

QString ComputerName(const QString &hostName) {
    QString name;
    qsizetype bytes = 0;
    // A surrogate without its partner reads as the replacement character.
    for (const char32_t c : hostName.toUcs4()) {
        if (IsHidden(c))
            continue;
        bytes += Utf8Length(c);
        if (bytes > MaxComputerNameBytes)
            break;
        name += QString::fromUcs4(&c, 1);
    }
    return name;
}
