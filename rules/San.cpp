#include "San.h"

#include "Board.h"
#include "LegalMoves.h"

#include <cstdlib>
#include <string_view>
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

// One of a few characters; the set's length is known when the program is built.
bool OneOf(QChar c, std::u16string_view set) {
    return set.find(c.unicode()) != std::u16string_view::npos;
}

bool IsFile(QChar c) {
    return c >= u'a' && c <= u'h';
}
bool IsRank(QChar c) {
    return c >= u'1' && c <= u'8';
}

// "O-O" or "O-O-O", with zeros or letters.
bool IsCastling(QStringView text) {
    if (text.size() != 3 && text.size() != 5)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool fits = i % 2 == 1 ? text[i] == u'-' : text[i] == u'O' || text[i] == u'0';
        if (!fits)
            return false;
    }
    return true;
}

// [piece][file][rank][x:-]square[[=]promotion]: read from the end (promotion, then the
// square) and the rest from the front; each part's characters differ from its neighbours', so
// there is one way to read a text, and no pattern matching is needed for the thousands of
// moves of a collection.
std::optional<TParsedSan> ParseSan(QStringView text) {
    // Marks that say nothing about the move itself.
    while (!text.isEmpty() && OneOf(text.back(), u"+#!?"))
        text.chop(1);
    TParsedSan parsed;
    if (IsCastling(text)) {
        parsed.Castling = true;
        parsed.Kind = King;
        parsed.Long = text.size() == 5;
        return parsed;
    }
    qsizetype end = text.size();
    if (end >= 3 && OneOf(text[end - 1], u"QRBNqrbn")) {
        qsizetype before = end - 1;
        if (text[before - 1] == u'=')
            --before;
        if (before < 2 || !IsRank(text[before - 1]))
            return std::nullopt;
        parsed.PromotedKind = KindOfSanLetter(text[end - 1]);
        end = before;
    }
    if (end < 2 || !IsFile(text[end - 2]) || !IsRank(text[end - 1]))
        return std::nullopt;
    parsed.To = (text[end - 1].unicode() - u'1') * 8 + (text[end - 2].unicode() - u'a');
    const QStringView origin = text.first(end - 2);
    qsizetype at = 0;
    bool kindNamed = false;
    if (at < origin.size() && OneOf(origin[at], u"KQRBNP")) {
        parsed.Kind = KindOfSanLetter(origin[at++]);
        kindNamed = true;
    }
    if (at < origin.size() && IsFile(origin[at]))
        parsed.FromColumn = origin[at++].unicode() - u'a';
    if (at < origin.size() && IsRank(origin[at]))
        parsed.FromRow = origin[at++].unicode() - u'1';
    if (at < origin.size() && OneOf(origin[at], u"x:-"))
        ++at;
    if (at != origin.size())
        return std::nullopt;
    if (!kindNamed && parsed.FromColumn >= 0 && parsed.FromRow >= 0)
        parsed.Kind = -1;
    // A pawn move names its file only when it takes; otherwise it stays on its file.
    if (parsed.Kind == Pawn && parsed.FromColumn < 0)
        parsed.FromColumn = ColumnOf(parsed.To);
    return parsed;
}

// The origins of the legal moves to the parsed square that fit what the text names; only the
// pieces of the named kind are asked for their targets.
std::vector<int> Candidates(const TBitPosition &position, const TMoveFinder &finder,
                            const TParsedSan &parsed) {
    TBitboard movers = finder.Movers();
    if (parsed.Kind >= 0)
        movers &= position.Pieces.Kinds[parsed.Kind];
    std::vector<int> candidates;
    for (; movers; movers &= movers - 1) {
        const int from = FirstSquare(movers);
        if ((parsed.FromColumn < 0 || parsed.FromColumn == ColumnOf(from)) &&
            (parsed.FromRow < 0 || parsed.FromRow == RowOf(from)) &&
            (finder.Targets(from) & SquareBit(parsed.To)))
            candidates.push_back(from);
    }
    return candidates;
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
    return ResolveSanOn(TBitPosition::Of(game), san, error);
}

std::optional<TRecordEntry> ResolveSanOn(const TBitPosition &position, QStringView san,
                                         QString *error, TMove *judged) {
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const std::optional<TParsedSan> parsed = ParseSan(san);
    if (!parsed)
        return fail(QStringLiteral("not a move"));
    const TMoveFinder finder(position);
    const TBitboard own = position.Pieces.Colors[position.SideToMove];
    if (parsed->Castling) {
        const int from = position.SideToMove == White ? 4 : 60;
        const int to = from + (parsed->Long ? -2 : 2);
        const bool king = own & position.Pieces.Kinds[King] & SquareBit(from);
        if (!king || !(finder.Targets(from) & SquareBit(to)))
            return fail(QStringLiteral("illegal move"));
        if (judged)
            *judged = finder.Describe(from, to);
        return TRecordEntry{from, to, NoPromotion};
    }
    const std::vector<int> candidates = Candidates(position, finder, *parsed);
    if (candidates.empty())
        return fail(QStringLiteral("illegal move"));
    if (candidates.size() > 1)
        return fail(QStringLiteral("ambiguous move"));
    const int from = candidates.front();
    QChar letter = NoPromotion;
    if (IsPromotion(TKind(position.Pieces.KindAt(from)), parsed->To)) {
        if (parsed->PromotedKind < 0)
            return fail(QStringLiteral("promotion piece missing"));
        letter = PromotionLetter(TKind(parsed->PromotedKind));
    } else if (parsed->PromotedKind >= 0) {
        return fail(QStringLiteral("promotion on a move that does not promote"));
    }
    if (judged)
        *judged = finder.Describe(from, parsed->To);
    return TRecordEntry{from, parsed->To, letter};
}
