// The settings file, read and one value written. The input is "section NUL key NUL value NUL
// file", names cut down to letters and digits; without three NULs the file is the whole input,
// written with the port. Every line the write does not own is kept byte for byte, the value
// written is the value read, and writing it again changes nothing; the same holds for the file
// on the disk and for a copy of the parsed document.
#include "FuzzCheck.h"
#include "IniDocument.h"
#include "Settings.h"

#include <QFile>
#include <QList>
#include <QTemporaryDir>

namespace {

struct TWrite {
    QString Section = NetworkSection;
    QString Key = PortKey;
    QString Value = DefaultPort;
    QByteArray File;
};

QString Name(const QByteArray &bytes, const QString &otherwise) {
    QString name;
    for (const char c : bytes) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            name += QLatin1Char(c);
    }
    return name.isEmpty() ? otherwise : name;
}

TWrite TakeWrite(const QByteArray &input) {
    TWrite write;
    const QList<QByteArray> parts = input.split('\0');
    if (parts.size() < 4) {
        write.File = input;
        return write;
    }
    write.Section = Name(parts[0], write.Section);
    write.Key = Name(parts[1], write.Key);
    write.Value = QString::fromUtf8(parts[2]);
    write.File = input.sliced(parts[0].size() + parts[1].size() + parts[2].size() + 3);
    return write;
}

// The lines of a file with what ends them ("\n" or "\r\n", nothing for a last line without).
struct TLine {
    QByteArray Text;
    QByteArray End;
    bool operator==(const TLine &) const = default;
};

QList<TLine> Lines(const QByteArray &file) {
    QList<TLine> lines;
    for (qsizetype start = 0; start < file.size();) {
        qsizetype end = file.indexOf('\n', start);
        if (end < 0) {
            lines.append({file.sliced(start), {}});
            break;
        }
        const bool crlf = end > start && file.at(end - 1) == '\r';
        lines.append({file.sliced(start, end - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
        start = end + 1;
    }
    return lines;
}

// The written file differs from the old one by the key's line (replaced, perhaps by itself, or
// added to its section), or by the section and the key added at the end; a last line without an
// end may have gained one.
void CheckKept(const QByteArray &oldFile, const QByteArray &newFile) {
    QList<TLine> before = Lines(oldFile);
    const QList<TLine> after = Lines(newFile);
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    if (prefix + 1 == before.size() && before.last().End.isEmpty() && prefix < after.size() &&
        after[prefix].Text == before.last().Text)
        ++prefix; // the old last line, now with an end
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const qsizetype removed = before.size() - prefix - suffix;
    const qsizetype added = after.size() - prefix - suffix;
    FUZZ_CHECK(removed == 1 ? added == 1 : removed == 0 && added <= 2);
    if (removed == 1)
        FUZZ_CHECK(before[prefix].End == after[prefix].End);
}

void CheckDocument(const TWrite &write, const QString &expected) {
    FUZZ_CHECK(TIniDocument::Parse(write.File).ToText() == write.File);
    TIniDocument document = TIniDocument::Parse(write.File);
    document.SetValue(write.Section, write.Key, write.Value);
    const QByteArray written = document.ToText();
    CheckKept(write.File, written);
    FUZZ_CHECK(TIniDocument::Parse(written).Value(write.Section, write.Key) == expected);
    document.SetValue(write.Section, write.Key, write.Value);
    FUZZ_CHECK(document.ToText() == written);
    TIniDocument reread = TIniDocument::Parse(written);
    reread.SetValue(write.Section, write.Key, write.Value);
    FUZZ_CHECK(reread.ToText() == written);
    // A copy shares the lines until it is edited; the edit leaves the original as it was.
    const TIniDocument parsed = TIniDocument::Parse(write.File);
    TIniDocument copy = parsed;
    copy.SetValue(write.Section, write.Key, write.Value);
    FUZZ_CHECK(copy.ToText() == written);
    FUZZ_CHECK(parsed.ToText() == write.File);
}

// WriteSetting and ReadSetting do what the document does, through a real file.
void CheckFile(const TWrite &write, const QString &expected) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(SettingsFileName);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(write.File) == write.File.size());
    file.close();
    FUZZ_CHECK(WriteSetting(path, write.Section, write.Key, write.Value));
    FUZZ_CHECK(ReadSetting(path, write.Section, write.Key, QStringLiteral("\1")) == expected);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    TIniDocument document = TIniDocument::Parse(write.File);
    document.SetValue(write.Section, write.Key, write.Value);
    FUZZ_CHECK(file.readAll() == document.ToText());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const TWrite write = TakeWrite(FuzzBytes(data, size));
    // A line break in a value would start a line of its own: it is written as a blank.
    QString expected = write.Value;
    expected.replace(u'\r', u' ').replace(u'\n', u' ');
    CheckDocument(write, expected);
    if (ThroughFileToo(FuzzBytes(data, size)))
        CheckFile(write, expected);
    return 0;
}
