// Record entries, replay, undo and saved-game files.
#include "Record.h"

#include "Board.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <array>

namespace {

constexpr int NotAnIndex = -1;

// A code unit of the text: QChar for the record's strings, a Latin-1 byte for a saved game's
// lines read straight from the file (the byte a line's QString would hold).
char16_t CodeUnit(QChar ch) {
    return ch.unicode();
}
char16_t CodeUnit(char ch) {
    return char16_t(static_cast<unsigned char>(ch));
}

// Plain decimal digits naming a square, 0..63; no sign, no blanks, no other base.
template <typename TChar> int ParseIndex(const TChar *begin, const TChar *end) {
    if (begin == end)
        return NotAnIndex;
    int value = 0;
    for (; begin != end; ++begin) {
        const char16_t ch = CodeUnit(*begin);
        if (ch < u'0' || ch > u'9')
            return NotAnIndex;
        value = value * 10 + (ch - u'0');
        if (value > 63)
            return NotAnIndex; // also keeps long digit runs from overflowing
    }
    return value;
}

template <typename TChar> const TChar *Find(const TChar *begin, const TChar *end, char16_t wanted) {
    return std::find_if(begin, end, [wanted](TChar ch) { return CodeUnit(ch) == wanted; });
}

template <typename TChar>
std::optional<TRecordEntry> ParseEntry(const TChar *begin, const TChar *end) {
    TRecordEntry parsed;
    if (const TChar *comma = Find(begin, end, u','); comma != end) {
        const QChar letter(CodeUnit(end[-1]));
        parsed.Promotion = KindOfPromotionLetter(letter) != Pawn ? letter : NoPromotion;
        end = comma;
    }
    const TChar *arrow = Find(begin, end, u'>');
    if (arrow == end)
        return std::nullopt;
    parsed.From = ParseIndex(begin, arrow);
    parsed.To = ParseIndex(arrow + 1, end);
    if (parsed.From == NotAnIndex || parsed.To == NotAnIndex)
        return std::nullopt;
    return parsed;
}

constexpr QStringView NotAnEntry = u"not a move of the form from>to with squares 0..63";
constexpr QStringView NotLegal = u"not a legal move in this position";

constexpr qsizetype MostEntriesExpected = 4096;

// Plays entries one after another on a game of its own, up to the first bad one.
class TReplayer {
public:
    explicit TReplayer(std::function<std::uint8_t(TColor)> promotion) {
        Replay.Game->PromotionHook = std::move(promotion);
    }

    // Plays the entry whose text runs from begin to end; false (and the entry noted as the bad
    // one) when it does not parse or is not a legal move.
    template <typename TChar> bool Play(const TChar *begin, const TChar *end) {
        const std::optional<TRecordEntry> move = ParseEntry(begin, end);
        if (move && Replay.Game->TryMove(move->From, move->To, move->Promotion, true)) {
            ++Played;
            return true;
        }
        Replay.Bad = TBadEntry{int(Played), (move ? NotLegal : NotAnEntry).toString()};
        return false;
    }

    // Room in the game's lists for about this many entries, so a long game does not grow them
    // step by step; a file of nothing but line ends reserves no more than a long game needs.
    void Expect(qsizetype entries) {
        entries = std::min(entries, MostEntriesExpected);
        Replay.Game->MoveRecord.reserve(entries);
        Replay.Game->Notation.reserve(entries / 2 + 1);
        Replay.Game->EarlierKeys.reserve(entries);
    }

    TReplay Finish() {
        Replay.Game->PromotionHook = nullptr; // the adopting game keeps its own
        return std::move(Replay);
    }

private:
    TReplay Replay{std::make_unique<TGame>(), std::nullopt};
    qsizetype Played = 0;
};

// Hands every line of a saved game's bytes to `line` until it answers false: lines end at
// CR LF, lone CR or lone LF, a NUL ends the text, and a final line end adds no line.
template <typename TLine> void ForEachSavedGameLine(QByteArrayView text, TLine line) {
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text = text.first(nul);
    const char *start = text.begin();
    const char *const end = text.end();
    while (start != end) {
        const char *stop =
            std::find_if(start, end, [](char ch) { return ch == '\r' || ch == '\n'; });
        if (!line(QByteArrayView(start, stop)))
            return;
        if (stop == end)
            return;
        start = stop + 1;
        if (*stop == '\r' && start != end && *start == '\n')
            ++start;
    }
}

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

std::optional<TRecordEntry> TRecordEntry::Parse(QStringView text) {
    return ParseEntry(text.data(), text.data() + text.size());
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
    TReplayer replayer(std::move(promotion));
    replayer.Expect(entries.size());
    for (const QString &entry : entries) {
        if (!replayer.Play(entry.constData(), entry.constData() + entry.size()))
            break;
    }
    return replayer.Finish();
}

TReplay ReplaySavedGame(QByteArrayView bytes, std::function<std::uint8_t(TColor)> promotion) {
    TReplayer replayer(std::move(promotion));
    replayer.Expect(bytes.count('\n')); // every line end but a lone CR
    ForEachSavedGameLine(bytes, [&replayer](QByteArrayView line) {
        return replayer.Play(line.begin(), line.end());
    });
    return replayer.Finish();
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
    QStringList lines;
    ForEachSavedGameLine(bytes, [&lines](QByteArrayView line) {
        lines.append(QString::fromLatin1(line));
        return true;
    });
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

std::optional<QByteArray> ReadSavedGameBytes(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

std::optional<QStringList> ReadSavedGame(const QString &path, QString *error) {
    const std::optional<QByteArray> bytes = ReadSavedGameBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return SavedGameLines(*bytes);
}
