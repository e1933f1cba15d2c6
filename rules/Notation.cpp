// The written notation, the game message and the record entry of a played move.
#include "Board.h"
#include "Record.h"

#include <array>
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

// A few characters gathered on the stack and added to a line in one step: a replay writes
// thousands of lines, and each single-character append is a call into Qt of its own.
class TLinePiece {
public:
    void Add(char16_t ch) { Chars[Size++] = ch; }
    void Add(QStringView text) {
        for (const QChar ch : text)
            Add(ch.unicode());
    }
    void AddSquare(int index) {
        Add(char16_t(u'a' + index % 8));
        Add(char16_t(u'1' + index / 8));
    }
    void AddNumber(qsizetype number) {
        char16_t digits[20];
        int count = 0;
        do {
            digits[count++] = char16_t(u'0' + number % 10);
            number /= 10;
        } while (number > 0);
        while (count > 0)
            Add(digits[--count]);
    }
    QStringView View() const { return QStringView(Chars.data(), Size); }

private:
    std::array<char16_t, 64> Chars{};
    qsizetype Size = 0;
};

void AddMoveNumber(TLinePiece &text, qsizetype number) {
    if (number < 10)
        text.Add(u' ');
    text.AddNumber(number);
    text.Add(u". ");
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
    TLinePiece piece;
    if (newLine) {
        AddMoveNumber(piece, Notation.size() + 1);
        if (!whiteMoved) // a game set up with Black to move has no white half to continue
            piece.Add(u"...");
        Notation.append(QString());
        Notation.last().reserve(LineCapacity);
    }
    QString &line = Notation.last();
    for (qsizetype column = line.size() + piece.View().size();
         !whiteMoved && column < WhiteHalfWidth; ++column)
        piece.Add(u' ');

    if (move.Castling) {
        piece.Add(move.To > move.From ? u"0-0   " : u"0-0-0 ");
    } else {
        piece.Add(PieceLetter(move.Mover));
        piece.AddSquare(move.From);
        piece.Add(move.Capture ? u'x' : u'-');
        piece.AddSquare(move.To);
    }
    TRecordEntry entry{move.From, move.To};
    if (move.Promotion) {
        piece.Add(PieceLetter(move.PromotionKind));
        entry.Promotion = PromotionLetter(move.PromotionKind);
    }
    if (status != TGameStatus::None)
        piece.Add(MarkOf(status).unicode());
    line += piece.View();

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
