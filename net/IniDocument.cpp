#include "IniDocument.h"

namespace {

constexpr QChar ByteOrderMark = u'\uFEFF';

bool IsComment(const QString &trimmed) {
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
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

} // namespace

TIniDocument TIniDocument::Parse(const QByteArray &text) {
    TIniDocument document;
    QString content = QString::fromUtf8(text);
    if (content.startsWith(ByteOrderMark))
        content.remove(0, 1);
    if (content.contains(QLatin1String("\r\n")))
        document.LineEnd = QStringLiteral("\r\n");
    if (content.endsWith(u'\n'))
        content.chop(1);
    if (content.isEmpty())
        return document;
    document.Lines = content.split(u'\n');
    for (QString &line : document.Lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return document;
}

std::optional<QString> TIniDocument::Value(const QString &section, const QString &key) const {
    bool inSection = false;
    for (const QString &line : Lines) {
        if (const std::optional<QString> name = SectionName(line)) {
            if (inSection)
                return std::nullopt; // only the first section of that name counts
            inSection = SameName(*name, section);
        } else if (inSection) {
            const std::optional<QString> name = KeyName(line);
            if (name && SameName(*name, key))
                return line.sliced(line.indexOf(u'=') + 1).trimmed();
        }
    }
    return std::nullopt;
}

void TIniDocument::SetValue(const QString &section, const QString &key, const QString &value) {
    // A line break in the value would make a line of its own.
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');

    qsizetype sectionLine = -1;
    qsizetype lastContent = -1; // the section's line or its last key line
    for (qsizetype i = 0; i < Lines.size(); ++i) {
        if (const std::optional<QString> name = SectionName(Lines[i])) {
            if (sectionLine >= 0)
                break;
            if (SameName(*name, section))
                sectionLine = lastContent = i;
        } else if (sectionLine >= 0) {
            const std::optional<QString> name = KeyName(Lines[i]);
            if (name && SameName(*name, key)) {
                Lines[i] = *name + u'=' + oneLine;
                return;
            }
            if (name)
                lastContent = i; // comments before the next section stay with that section
        }
    }
    if (sectionLine < 0) {
        Lines.append(u'[' + section + u']');
        lastContent = Lines.size() - 1;
    }
    Lines.insert(lastContent + 1, key + u'=' + oneLine);
}

QByteArray TIniDocument::ToText() const {
    QString text;
    for (const QString &line : Lines)
        text += line + LineEnd;
    return text.toUtf8();
}
