// Record entries, replay, undo and saved-game files.
#include "Record.h"

#include "Board.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <array>

namespace {

constexpr int NotAnIndex = -1;

// Plain decimal digits naming a square, 0..63; no sign, no blanks, no other base.
int ParseIndex(QStringView text) {
    if (text.isEmpty())
        return NotAnIndex;
    int value = 0;
    for (const QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return NotAnIndex;
        value = value * 10 + (ch.unicode() - u'0');
        if (value > 63)
            return NotAnIndex; // also keeps long digit runs from overflowing
    }
    return value;
}

constexpr QStringView NotAnEntry = u"not a move of the form from>to with squares 0..63";
constexpr QStringView NotLegal = u"not a legal move in this position";

} // namespace

QString TRecordEntry::Text() const {
    // Gathered on the stack and made into a string at once: a replay writes one per move.
    std::array<QChar, 8> text;
    qsizetype size = 0;
    const auto add = [&](int index) {
        if (index >= 10)
            text[size++] = QChar(char16_t(u'0' + index / 10));
        text[size++] = QChar(char16_t(u'0' + index % 10));
    };
    add(From);
    text[size++] = u'>';
    add(To);
    if (KindOfPromotionLetter(Promotion) != Pawn) {
        text[size++] = u',';
        text[size++] = Promotion;
    }
    return QString(text.data(), size);
}

std::optional<TRecordEntry> TRecordEntry::Parse(QStringView move) {
    TRecordEntry parsed;
    if (const qsizetype comma = move.indexOf(u','); comma >= 0) {
        const QChar letter = move.back();
        parsed.Promotion = KindOfPromotionLetter(letter) != Pawn ? letter : NoPromotion;
        move = move.left(comma);
    }
    const qsizetype arrow = move.indexOf(u'>');
    if (arrow < 0)
        return std::nullopt;
    parsed.From = ParseIndex(move.left(arrow));
    parsed.To = ParseIndex(move.mid(arrow + 1));
    if (parsed.From == NotAnIndex || parsed.To == NotAnIndex)
        return std::nullopt;
    return parsed;
}

bool TGame::ReplayMoves(const QStringList &entries) {
    // Played on a game of its own, asking this game's promotion question, then taken over:
    // the game shows the message after the last entry once. A bad entry leaves a new game that
    // still shows the message of the last entry applied before it, as a replay move by move
    // on this game would have left it.
    TReplay replay = ReplayRecord(entries, PromotionHook);
    if (!replay.Bad) {
        Adopt(std::move(*replay.Game));
        return true;
    }
    if (!replay.Game->MoveRecord.isEmpty())
        ShowGameMessage(replay.Game->GameMessage);
    Reset();
    return false;
}

void TGame::UndoLastMove() {
    ReplayMoves(MoveRecord.first(std::max<qsizetype>(MoveRecord.size() - 1, 0)));
}

TReplay ReplayRecord(const QStringList &entries, std::function<std::uint8_t(TColor)> promotion) {
    TReplay replay{std::make_unique<TGame>(), std::nullopt};
    TGame &game = *replay.Game;
    game.PromotionHook = std::move(promotion);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const std::optional<TRecordEntry> move = TRecordEntry::Parse(entries[i]);
        if (!move || !game.TryMove(move->From, move->To, move->Promotion, true)) {
            replay.Bad = TBadEntry{int(i), (move ? NotLegal : NotAnEntry).toString()};
            break;
        }
    }
    game.PromotionHook = nullptr; // the adopting game keeps its own
    return replay;
}

QByteArray SavedGameBytes(const QStringList &entries) {
    QByteArray bytes;
    for (const QString &entry : entries) {
        bytes += entry.toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

QStringList SavedGameLines(const QByteArray &bytes) {
    QByteArrayView text(bytes);
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text = text.first(nul);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch != '\r' && ch != '\n')
            continue;
        lines.append(QString::fromLatin1(text.sliced(start, i - start)));
        if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(QString::fromLatin1(text.sliced(start)));
    return lines;
}

bool WriteSavedGame(const QString &path, const QStringList &entries, QString *error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = SavedGameBytes(entries);
        if (file.write(bytes) == bytes.size() && file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

std::optional<QStringList> ReadSavedGame(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return SavedGameLines(bytes);
}
