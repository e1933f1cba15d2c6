// The message format shared by both roles: one kind letter followed by a text payload, with no
// header, length or terminator. Building and taking apart the four kinds of message.
#pragma once

#include "TakeBack.h"

#include <QChar>
#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The kind letters as the bytes on the wire and as the first character of a decoded message.
inline constexpr char MoveListLetter = 'l';
inline constexpr char SelectionLetter = 's';
inline constexpr char ChatLetter = 'm';
inline constexpr char TakeBackLetter = 'r';
inline constexpr QChar MoveListKind{char16_t{MoveListLetter}};
inline constexpr QChar SelectionKind{char16_t{SelectionLetter}};
inline constexpr QChar ChatKind{char16_t{ChatLetter}};
inline constexpr QChar TakeBackKind{char16_t{TakeBackLetter}};

// Entries of a move list are joined with this, and nothing else.
inline constexpr QChar MoveListSeparator = u'|';
// Every chat line starts with this, in the sender's log, on the wire and in the receiver's log.
inline constexpr QLatin1String ChatLinePrefix{"  - "};
// The complete take-back messages.
inline constexpr QLatin1String TakeBackRequestMessage{"rQuest"};
inline constexpr QLatin1String TakeBackConsentMessage{"rYes"};
inline constexpr QLatin1String TakeBackRefusalMessage{"rNo"};
inline constexpr std::array<QLatin1String, 3> TakeBackMessages{
    TakeBackRequestMessage, TakeBackConsentMessage, TakeBackRefusalMessage};

inline constexpr int NoSelection = -1;

// A received message taken apart: Kind is the first character (a null QChar for an empty
// message), Payload the rest.
struct TNetMessage {
    QChar Kind;
    QString Payload;
};

// "l" + the entries joined with "|"; "l" alone for an empty record.
QString MoveListMessage(const QStringList &entries);
// "s" + the square index in decimal, "s-1" for no selection.
QString SelectionMessage(int square);
// The line shown in the chat log for typed text: "  - " + text.
QString ChatLine(const QString &typedText);
// "m" + ChatLine(typedText).
QString ChatMessage(const QString &typedText);
// "rQuest", "rYes" or "rNo".
QString TakeBackMessage(TTakeBack kind);

TNetMessage SplitMessage(const QString &message);
// The entries of a move-list payload, split at every "|"; an empty payload is an empty list.
QStringList ParseMoveList(const QString &payload);
// The square of a selection payload; anything but a plain decimal integer from -1 to 63
// (no blanks, no "+") counts as no selection, so no square off the board is ever used.
int ParseSelection(const QString &payload);
// The take-back payload "Quest", "Yes" or "No" (exact case); nothing for any other payload.
std::optional<TTakeBack> ParseTakeBack(const QString &payload);
