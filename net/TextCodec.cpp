#include "TextCodec.h"

#include <QHash>
#include <QStringDecoder>
#include <array>

namespace {

// Qt's converter substitutes SUB (0x1A) for a character the code page lacks, while the program
// has always sent "?"; so both directions go through a byte table built once from Qt's decoder.
class TCodePage1251 {
public:
    TCodePage1251() {
        QStringDecoder decoder("windows-1251");
        for (int byte = 0; byte < 256; ++byte) {
            const QString decoded = decoder.decode(QByteArray(1, static_cast<char>(byte)));
            // A byte the converter leaves out still stands for one character of its own.
            const char16_t unit =
                decoded.size() == 1 ? decoded.front().unicode() : static_cast<char16_t>(byte);
            ToUnicode[static_cast<std::size_t>(byte)] = unit;
            FromUnicode.insert(unit, static_cast<char>(byte));
        }
    }

    std::array<char16_t, 256> ToUnicode{};
    QHash<char16_t, char> FromUnicode;
};

const TCodePage1251 &CodePage() {
    static const TCodePage1251 table;
    return table;
}

} // namespace

QByteArray EncodeText(const QString &text) {
    const TCodePage1251 &table = CodePage();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the code page, one "?"
        bytes.append(table.FromUnicode.value(c.unicode(), '?'));
    }
    return bytes;
}

QString DecodeText(const QByteArray &bytes) {
    const TCodePage1251 &table = CodePage();
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes)
        text.append(QChar(table.ToUnicode[static_cast<unsigned char>(byte)]));
    return text;
}
