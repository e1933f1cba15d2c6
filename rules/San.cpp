#include "San.h"

#include "Board.h"
#include "LegalMoves.h"

#include <QRegularExpression>
#include <cstdlib>
#include <vector>

namespace {

const QString SanPieceLetters = QStringLiteral("KQRNBP"); // indexed by kind

int ColumnOf(int index) {
    return index % 8;
}
int RowOf(int index) {
    return index / 8;
}

const TPieces *PieceAt(const TGame &game, int index) {
    return game.Board->Squares[index]->Piece;
}

// Other pieces of the mover's kind and colour that could go to the same square.
std::vector<int> Rivals(TGame &game, int from, int to) {
    const TKind kind = PieceAt(game, from)->Kind;
    std::vector<int> rivals;
    VisitLegalMoves(game, [&](const TMove &move) {
        if (move.To == to && move.From != from && move.Mover == kind)
            rivals.push_back(move.From);
    });
    return rivals;
}

// File first, then rank, then both: the shortest origin hint that tells the rivals apart.
QString Disambiguation(TGame &game, int from, int to) {
    const std::vector<int> rivals = Rivals(game, from, to);
    if (rivals.empty())
        return {};
    bool fileShared = false;
    bool rankShared = false;
    for (const int rival : rivals) {
        fileShared = fileShared || ColumnOf(rival) == ColumnOf(from);
        rankShared = rankShared || RowOf(rival) == RowOf(from);
    }
    const QString name = SquareName(from);
    if (!fileShared)
        return name.left(1);
    if (!rankShared)
        return name.mid(1);
    return name;
}

int KindOfSanLetter(QChar letter) {
    const qsizetype kind = SanPieceLetters.indexOf(letter.toUpper());
    return kind < 0 ? Pawn : int(kind);
}

struct TParsedSan {
    int Kind = Pawn; // -1: whatever stands on a fully written origin ("g1f3")
    int FromColumn = -1;
    int FromRow = -1;
    int To = -1;
    int PromotedKind = -1;
    bool Castling = false;
    bool Long = false;
};

std::optional<TParsedSan> ParseSan(QString text) {
    // Marks that say nothing about the move itself.
    while (!text.isEmpty() && QStringLiteral("+#!?").contains(text.back()))
        text.chop(1);
    TParsedSan parsed;
    const QString castling = QString(text).replace(u'0', u'O');
    if (castling == u"O-O" || castling == u"O-O-O") {
        parsed.Castling = true;
        parsed.Kind = King;
        parsed.Long = castling.size() == 5;
        return parsed;
    }
    static const QRegularExpression pattern(
        QStringLiteral("^([KQRBNP])?([a-h])?([1-8])?[x:-]?([a-h])([1-8])(?:=?([QRBNqrbn]))?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    if (match.hasCaptured(2))
        parsed.FromColumn = match.captured(2).front().unicode() - u'a';
    if (match.hasCaptured(3))
        parsed.FromRow = match.captured(3).front().unicode() - u'1';
    if (match.hasCaptured(1))
        parsed.Kind = KindOfSanLetter(match.captured(1).front());
    else if (parsed.FromColumn >= 0 && parsed.FromRow >= 0)
        parsed.Kind = -1;
    parsed.To = (match.captured(5).front().unicode() - u'1') * 8 +
                (match.captured(4).front().unicode() - u'a');
    if (match.hasCaptured(6))
        parsed.PromotedKind = KindOfSanLetter(match.captured(6).front());
    // A pawn move names its file only when it takes; otherwise it stays on its file.
    if (parsed.Kind == Pawn && parsed.FromColumn < 0)
        parsed.FromColumn = ColumnOf(parsed.To);
    return parsed;
}

} // namespace

QString SanOfMove(TGame &game, int from, int to, TKind promotedKind) {
    const std::optional<TMove> move = game.JudgeMove(from, to);
    if (!move)
        return {};
    if (move->Castling)
        return to > from ? QStringLiteral("O-O") : QStringLiteral("O-O-O");
    QString san;
    if (move->Mover == Pawn)
        san = move->Capture ? SquareName(from).left(1) : QString();
    else
        san = SanPieceLetters[move->Mover] + Disambiguation(game, from, to);
    if (move->Capture)
        san += u'x';
    san += SquareName(to);
    if (move->Promotion)
        san += u'=' + SanPieceLetters[promotedKind];
    return san;
}

QString SanCheckMark(TGameStatus status) {
    switch (status) {
    case TGameStatus::Check:
        return QStringLiteral("+");
    case TGameStatus::Mate:
        return QStringLiteral("#");
    default:
        return {};
    }
}

std::optional<TRecordEntry> ResolveSan(TGame &game, const QString &san, QString *error) {
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const std::optional<TParsedSan> parsed = ParseSan(san);
    if (!parsed)
        return fail(QStringLiteral("not a move"));
    if (parsed->Castling) {
        const int from = game.SideToMove == White ? 4 : 60;
        const int to = from + (parsed->Long ? -2 : 2);
        const TPieces *king = PieceAt(game, from);
        if (!king || king->Kind != King || !game.TryMove(from, to, NoPromotion, false))
            return fail(QStringLiteral("illegal move"));
        return TRecordEntry{from, to, NoPromotion};
    }
    std::vector<int> candidates;
    VisitLegalMoves(game, [&](const TMove &move) {
        if (move.To == parsed->To && (parsed->Kind < 0 || move.Mover == parsed->Kind) &&
            (parsed->FromColumn < 0 || parsed->FromColumn == ColumnOf(move.From)) &&
            (parsed->FromRow < 0 || parsed->FromRow == RowOf(move.From)))
            candidates.push_back(move.From);
    });
    if (candidates.empty())
        return fail(QStringLiteral("illegal move"));
    if (candidates.size() > 1)
        return fail(QStringLiteral("ambiguous move"));
    const int from = candidates.front();
    QChar letter = NoPromotion;
    if (IsPromotion(PieceAt(game, from)->Kind, parsed->To)) {
        if (parsed->PromotedKind < 0)
            return fail(QStringLiteral("promotion piece missing"));
        letter = PromotionLetter(TKind(parsed->PromotedKind));
    } else if (parsed->PromotedKind >= 0) {
        return fail(QStringLiteral("promotion on a move that does not promote"));
    }
    return TRecordEntry{from, parsed->To, letter};
}
