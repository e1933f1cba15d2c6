// The written notation, the game message and the record entry of a played move.
#include "Board.h"
#include "Record.h"

#include <cstdlib>

namespace {

// Black's half of a line starts in this column (1-based: the white half is padded to 13).
constexpr qsizetype WhiteHalfWidth = 13;
// Room for both halves of the longest line, so Black's half is written without a new string.
constexpr qsizetype LineCapacity = 32;

QStringView PieceLetter(TKind kind) {
    switch (kind) {
    case King:
        return u"Кр";
    case Queen:
        return u"Ф";
    case Rook:
        return u"Л";
    case Knight:
        return u"К";
    case Bishop:
        return u"С";
    default:
        return {}; // a pawn is written by its squares alone
    }
}

void AppendMoveNumber(QString &text, qsizetype number) {
    if (number < 10)
        text += u' ';
    const qsizetype first = text.size();
    do {
        text.insert(first, QChar(char16_t(u'0' + number % 10)));
        number /= 10;
    } while (number > 0);
    text += QLatin1StringView(". ");
}

QString MessageOf(TGameStatus status) {
    switch (status) {
    case TGameStatus::Mate:
        return QStringLiteral(u"Мат!");
    case TGameStatus::Stalemate:
        return QStringLiteral(u"Пат!");
    case TGameStatus::Check:
        return QStringLiteral(u"Шах!");
    case TGameStatus::None:
        break;
    }
    return {};
}

QChar MarkOf(TGameStatus status) {
    switch (status) {
    case TGameStatus::Mate:
        return u'x'; // mate shares the capture sign
    case TGameStatus::Stalemate:
        return u'=';
    case TGameStatus::Check:
        return u'+';
    case TGameStatus::None:
        break;
    }
    return {};
}

} // namespace

void TGame::RecordMove(const TMove &move) {
    const bool whiteMoved = SideToMove == Black;
    const TGameStatus status = Status();
    // The message comes first, before the notation changes.
    ShowGameMessage(MessageOf(status));

    // The line is written where it stays, so a replay makes one string per full move. One line
    // per full move: in a game from the initial position this is the record's length halved
    // plus one, and it stays right in a game set up with Black to move.
    const bool newLine = whiteMoved || Notation.isEmpty();
    if (newLine) {
        const qsizetype number = Notation.size() + 1;
        Notation.append(QString());
        Notation.last().reserve(LineCapacity);
        AppendMoveNumber(Notation.last(), number);
        if (!whiteMoved) // a game set up with Black to move has no white half to continue
            Notation.last() += QLatin1StringView("...");
    }
    QString &line = Notation.last();
    while (!whiteMoved && line.size() < WhiteHalfWidth)
        line += u' ';

    if (move.Castling) {
        line += move.To > move.From ? QLatin1StringView("0-0   ") : QLatin1StringView("0-0-0 ");
    } else {
        line += PieceLetter(move.Mover);
        AppendSquareName(line, move.From);
        line += move.Capture ? u'x' : u'-';
        AppendSquareName(line, move.To);
    }
    TRecordEntry entry{move.From, move.To};
    if (move.Promotion) {
        line += PieceLetter(move.PromotionKind);
        entry.Promotion = PromotionLetter(move.PromotionKind);
    }
    if (status != TGameStatus::None)
        line += MarkOf(status);

    MoveRecord.append(entry.Text());
}

void TGame::ShowGameMessage(const QString &text) {
    GameMessage = text;
    if (GameMessageHook)
        GameMessageHook(text);
}

TKind TGame::AskPromotion(TColor color) {
    if (!PromotionHook)
        return Queen;
    const std::uint8_t kind = PromotionHook(color);
    // Only the four promotion pieces can come out of a promotion.
    return kind >= Queen && kind <= Bishop ? TKind(kind) : Queen;
}
