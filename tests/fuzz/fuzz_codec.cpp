// The Windows-1251 codec of the wire: every byte string decodes and encodes back to itself, and
// text made of the code page's characters encodes and decodes back to itself.
#include "FuzzCheck.h"
#include "TextCodec.h"

#include <QSet>
#include <QString>
#include <cstring>

namespace {

// The 256 characters the code page gives the bytes.
const QSet<QChar> &CodePageCharacters() {
    static const QSet<QChar> characters = [] {
        QByteArray every(256, '\0');
        for (int byte = 0; byte < 256; ++byte)
            every[byte] = static_cast<char>(byte);
        const QString decoded = DecodeText(every);
        return QSet<QChar>(decoded.cbegin(), decoded.cend());
    }();
    return characters;
}

void CheckBytes(const QByteArray &bytes) {
    const QString text = DecodeText(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(EncodeText(text) == bytes);
}

// The same input read as UTF-16: characters the code page has come back, each other character
// (a surrogate pair counts as one) becomes one "?", and ASCII stays ASCII.
void CheckText(const QByteArray &bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), bytes.constData(), static_cast<std::size_t>(text.size()) * 2);
    const QByteArray encoded = EncodeText(text);
    const QString back = DecodeText(encoded);
    qsizetype at = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++at) {
        const QChar c = text.at(i);
        FUZZ_CHECK(at < back.size());
        if (CodePageCharacters().contains(c)) {
            FUZZ_CHECK(back.at(at) == c);
            if (c.unicode() < 0x80)
                FUZZ_CHECK(encoded.at(at) == static_cast<char>(c.unicode()));
            continue;
        }
        FUZZ_CHECK(encoded.at(at) == '?');
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    FUZZ_CHECK(at == encoded.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    CheckBytes(bytes);
    CheckText(bytes);
    return 0;
}
