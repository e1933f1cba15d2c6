// Record entries ("12>28", "52>60,Q") and saved-game files (one entry per line, CR LF).
#pragma once

#include "Board.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// One played move as the record writes it: from index, ">", to index, and on a promotion ","
// and the piece's letter.
struct TRecordEntry {
    int From = 0;
    int To = 0;
    QChar Promotion = u'-'; // "Q", "R", "K", "B", or '-' when the entry names no known piece

    // "12>28", "52>60,Q": the suffix only for a known promotion letter.
    QString Text() const;
    // Both indices must be plain decimal digits in 0..63; anything else is no entry. After a
    // "," the last character is the promotion letter; one that names no piece becomes '-'.
    static std::optional<TRecordEntry> Parse(QStringView text);

    bool operator==(const TRecordEntry &) const = default;
};

struct TBadEntry {
    int Index = 0;  // 0-based position in the list
    QString Reason; // short English reason, for the companion's messages
};

// A record played on a game of its own.
struct TReplay {
    // After every entry when the record is good; after the entries before the bad one when not.
    std::unique_ptr<TGame> Game;
    std::optional<TBadEntry> Bad;
};

// Plays the entries on a fresh game that shows no messages; a promotion without a letter asks
// `promotion` (none: a queen, what a closed dialog answers). Stops at the first entry that does
// not parse or is not a legal move. The replayed game is adopted with TGame::Adopt, so a
// record is checked and taken over in one pass and a bad one leaves the game in play alone.
TReplay ReplayRecord(const QStringList &entries,
                     std::function<std::uint8_t(TColor)> promotion = {});

// The same replay of a saved game's bytes, line by line as SavedGameLines splits them, without
// a string for every line: the companion shows long games by the hundred.
TReplay ReplaySavedGame(QByteArrayView bytes, std::function<std::uint8_t(TColor)> promotion = {});

// The saved-game format: every entry followed by CR LF; an empty record gives no bytes.
QByteArray SavedGameBytes(const QStringList &entries);
// Lines end at CR LF, lone CR or lone LF; a NUL ends the text; a final line end adds no line.
QStringList SavedGameLines(const QByteArray &bytes);

// Writes through QSaveFile, so a failed save never leaves a half-written file behind.
// On failure returns false and puts the reason in *error (when given).
bool WriteSavedGame(const QString &path, const QStringList &entries, QString *error = nullptr);
// The file's bytes, or nullopt with the reason in *error (when given).
std::optional<QByteArray> ReadSavedGameBytes(const QString &path, QString *error = nullptr);
std::optional<QStringList> ReadSavedGame(const QString &path, QString *error = nullptr);
