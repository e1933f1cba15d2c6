// The written notation, the game message and the record entry of a played move.
#include "Board.h"
#include "Record.h"

#include <cstdlib>

namespace {

// Black's half of a line starts in this column (1-based: the white half is padded to 13).
constexpr qsizetype WhiteHalfWidth = 13;

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
    text += QString::number(number);
    text += QLatin1StringView(". ");
}

} // namespace

void TGame::RecordMove(const TMove &move) {
    const bool whiteMoved = SideToMove == Black;
    QString line;
    // One line per full move: in a game from the initial position this is the record's
    // length halved plus one, and it stays right in a game set up with Black to move.
    if (whiteMoved) {
        line.reserve(2 * WhiteHalfWidth);
        AppendMoveNumber(line, Notation.size() + 1);
    } else if (Notation.isEmpty()) {
        // A game set up with Black to move has no white half to continue.
        line.reserve(2 * WhiteHalfWidth);
        AppendMoveNumber(line, 1);
        line += QLatin1StringView("...");
    } else {
        line = Notation.constLast();
        line.reserve(2 * WhiteHalfWidth + line.size());
    }
    if (!whiteMoved && line.size() < WhiteHalfWidth)
        line.append(QString(WhiteHalfWidth - line.size(), u' '));

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

    switch (Status()) {
    case TGameStatus::Mate:
        line += u'x'; // mate shares the capture sign
        ShowGameMessage(QStringLiteral(u"Мат!"));
        break;
    case TGameStatus::Stalemate:
        line += u'=';
        ShowGameMessage(QStringLiteral(u"Пат!"));
        break;
    case TGameStatus::Check:
        line += u'+';
        ShowGameMessage(QStringLiteral(u"Шах!"));
        break;
    case TGameStatus::None:
        ShowGameMessage(QString());
        break;
    }

    if (whiteMoved || Notation.isEmpty())
        Notation.append(line);
    else
        Notation.last() = line;

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
