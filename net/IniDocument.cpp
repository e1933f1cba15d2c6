#include "IniDocument.h"

#include <algorithm>

namespace {

constexpr QByteArrayView ByteOrderMark{"\xEF\xBB\xBF"};

bool IsComment(const QString &trimmed) {
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

bool IsQuoted(const QString &text) {
    return text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"');
}

// The name of a "[Section]" line, or nothing for any other line.
std::optional<QString> SectionName(const QString &line) {
    const QString trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(u']');
    if (!trimmed.startsWith(u'[') || close < 0)
        return std::nullopt;
    return trimmed.sliced(1, close - 1).trimmed();
}

// The name of a "Key=Value" line, or nothing for any other line.
std::optional<QString> KeyName(const QString &line) {
    const QString trimmed = line.trimmed();
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals <= 0 || IsComment(trimmed) || SectionName(trimmed))
        return std::nullopt;
    return trimmed.first(equals).trimmed();
}

bool SameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The value as it stands in its line, so that reading it gives it back.
QString StoredValue(const QString &value) {
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' '); // a line break would make a line of its own
    if (oneLine.trimmed() != oneLine || IsQuoted(oneLine))
        return u'"' + oneLine + u'"';
    return oneLine;
}

} // namespace

TIniDocument TIniDocument::Parse(const QByteArray &text) {
    TIniDocument document;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf('\n', start);
        if (newline < 0) {
            document.Lines.append({text.sliced(start), {}});
            break;
        }
        const bool crlf = newline > start && text.at(newline - 1) == '\r';
        const qsizetype end = crlf ? newline - 1 : newline;
        document.Lines.append({text.sliced(start, end - start), crlf ? "\r\n" : "\n"});
        start = newline + 1;
    }
    return document;
}

QString TIniDocument::Decoded(qsizetype line) const {
    QByteArrayView text = Lines[line].Text;
    if (line == 0 && text.startsWith(ByteOrderMark))
        text = text.sliced(ByteOrderMark.size());
    return QString::fromUtf8(text);
}

// Only the first section of that name counts.
std::optional<qsizetype> TIniDocument::SectionLine(const QString &section) const {
    for (qsizetype i = 0; i < Lines.size(); ++i) {
        const std::optional<QString> name = SectionName(Decoded(i));
        if (name && SameName(*name, section))
            return i;
    }
    return std::nullopt;
}

std::optional<QString> TIniDocument::Value(const QString &section, const QString &key) const {
    const std::optional<qsizetype> first = SectionLine(section);
    for (qsizetype i = first.value_or(Lines.size()) + 1; i < Lines.size(); ++i) {
        const QString line = Decoded(i);
        if (SectionName(line))
            break;
        const std::optional<QString> name = KeyName(line);
        if (name && SameName(*name, key)) {
            const QString value = line.sliced(line.indexOf(u'=') + 1).trimmed();
            return IsQuoted(value) ? value.sliced(1, value.size() - 2) : value;
        }
    }
    return std::nullopt;
}

void TIniDocument::SetValue(const QString &section, const QString &key, const QString &value) {
    const QString stored = StoredValue(value);
    const std::optional<qsizetype> first = SectionLine(section);
    if (!first) {
        Insert(Lines.size(), u'[' + section + u']');
        Insert(Lines.size(), key + u'=' + stored);
        return;
    }
    qsizetype lastKey = *first; // comments before the next section stay with that section
    for (qsizetype i = *first + 1; i < Lines.size(); ++i) {
        const QString line = Decoded(i);
        if (SectionName(line))
            break;
        const std::optional<QString> name = KeyName(line);
        if (name && SameName(*name, key)) {
            Lines[i].Text = (*name + u'=' + stored).toUtf8(); // its line end stays
            return;
        }
        if (name)
            lastKey = i;
    }
    Insert(lastKey + 1, key + u'=' + stored);
}

// A new line ends as the line before it does, or else as the first line that has an end ("\n" in
// a new file). Read only: the list may be shared with a copy of this document, and a write
// would detach it under any iterator taken before.
QByteArray TIniDocument::EndOfNewLine(qsizetype at) const {
    if (at > 0 && !Lines.at(at - 1).End.isEmpty())
        return Lines.at(at - 1).End;
    const auto withEnd = std::find_if(Lines.cbegin(), Lines.cend(),
                                      [](const TLine &line) { return !line.End.isEmpty(); });
    return withEnd != Lines.cend() ? withEnd->End : QByteArray("\n");
}

// A last line without an end gets one when something follows it.
void TIniDocument::Insert(qsizetype at, const QString &text) {
    const QByteArray end = EndOfNewLine(at);
    // A carriage return of its own at the end of that line stays its own, not half of an end.
    if (at > 0 && Lines.at(at - 1).End.isEmpty())
        Lines[at - 1].End = Lines.at(at - 1).Text.endsWith('\r') ? "\r\n" : end;
    Lines.insert(at, {text.toUtf8(), end});
}

QByteArray TIniDocument::ToText() const {
    QByteArray text;
    for (const TLine &line : Lines)
        text += line.Text + line.End;
    return text;
}
