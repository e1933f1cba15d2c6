// Record entries ("12>28", "52>60,Q") and saved-game files (one entry per line, CR LF).
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

struct TRecordEntry {
    int From = 0;
    int To = 0;
    QChar Promotion = u'-'; // "Q", "R", "K", "B", or '-' when the entry names no known piece
};

// Both indices must be plain decimal digits in 0..63; anything else is a bad entry.
std::optional<TRecordEntry> ParseRecordEntry(const QString &entry);

struct TBadEntry {
    int Index = 0;  // 0-based position in the list
    QString Reason; // short English reason, for the companion's messages
};

// Replays the entries on a scratch game (no hooks: a promotion without a letter is a queen)
// and names the first one that does not parse or is not a legal move.
std::optional<TBadEntry> FindBadEntry(const QStringList &entries);

// The saved-game format: every entry followed by CR LF; an empty record gives no bytes.
QByteArray SavedGameBytes(const QStringList &entries);
// Lines end at CR LF, lone CR or lone LF; a NUL ends the text; a final line end adds no line.
QStringList SavedGameLines(const QByteArray &bytes);

// Writes through QSaveFile, so a failed save never leaves a half-written file behind.
// On failure returns false and puts the reason in *error (when given).
bool WriteSavedGame(const QString &path, const QStringList &entries, QString *error = nullptr);
std::optional<QStringList> ReadSavedGame(const QString &path, QString *error = nullptr);
