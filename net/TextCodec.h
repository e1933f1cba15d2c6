// Text on the wire is single-byte Windows-1251: Russian letters travel as one byte each, and the
// protocol's own letters, digits and signs are plain ASCII, which that code page contains.
#pragma once

#include <QByteArray>
#include <QString>

// A character that Windows-1251 lacks becomes "?" (one per character, surrogate pairs included).
QByteArray EncodeText(const QString &text);

// Every byte gives one character (0x98, unused by the code page, gives U+0098), so any text that
// came in goes out again as the same bytes.
QString DecodeText(const QByteArray &bytes);
