// The text of one INI file held line by line, as bytes, so that setting a value rewrites that one
// line and leaves every other byte (unknown sections, keys, comments, blank lines, text in other
// encodings, line ends of either kind) as it was: the file is the user's.
// Section and key names match without regard to case, as INI files always have.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class TIniDocument {
public:
    // Lines end at "\n" or "\r\n"; names and values are read as UTF-8.
    static TIniDocument Parse(const QByteArray &text);

    // The value of the first key of that name in the first section of that name, with the
    // blanks around it removed, and then one pair of double quotes around it; nothing when the
    // section or the key is missing.
    std::optional<QString> Value(const QString &section, const QString &key) const;

    // Replaces the key's line, or adds the key after the last key of its section, or adds the
    // section at the end. A value that would not read back as written (blanks at either end, or
    // double quotes around it) is written in double quotes; a line break in it becomes a blank.
    void SetValue(const QString &section, const QString &key, const QString &value);

    // UTF-8 for what was set; the bytes read for everything else.
    QByteArray ToText() const;

private:
    struct TLine {
        QByteArray Text;
        QByteArray End; // "\n", "\r\n", or nothing for a last line without one
    };

    QString Decoded(qsizetype line) const;
    std::optional<qsizetype> SectionLine(const QString &section) const;
    QByteArray EndOfNewLine(qsizetype at) const;
    void Insert(qsizetype at, const QString &text);

    QList<TLine> Lines;
};
