// The text of one INI file held line by line, so that setting a value rewrites that one line and
// leaves everything else (unknown sections, keys, comments, blank lines) as it was.
// Section and key names match without regard to case, as INI files always have.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class TIniDocument {
public:
    // Reads UTF-8 text with "\n" or "\r\n" line ends.
    static TIniDocument Parse(const QByteArray &text);

    // The value of the first key of that name in the first section of that name, with the
    // blanks around it removed; nothing when the section or the key is missing.
    std::optional<QString> Value(const QString &section, const QString &key) const;

    // Replaces the value in place, or appends the key to its section, or appends the section.
    void SetValue(const QString &section, const QString &key, const QString &value);

    // UTF-8 text; every line ends with the line end the file was read with ("\n" for a new file).
    QByteArray ToText() const;

private:
    QStringList Lines;
    QString LineEnd = QStringLiteral("\n");
};
