#include "TypedMove.h"

#include "Board.h"
#include "San.h"

#include <QRegularExpression>

namespace {

// The Latin piece letter of a Russian one ("К" is the knight) or of a Latin one in either
// case, but for "b", which is a file; a null character for anything else.
QChar PieceLetter(QChar letter) {
    switch (letter.toUpper().unicode()) {
    case u'Ф':
        return u'Q';
    case u'Л':
        return u'R';
    case u'К':
        return u'N';
    case u'С':
        return u'B';
    case u'K':
    case u'Q':
    case u'R':
    case u'N':
        return letter.toUpper();
    case u'B':
        return letter.isUpper() ? letter : QChar();
    default:
        return {};
    }
}

// A file letter, a capture sign or anything else, as SAN writes it: Latin square letters lower
// case, and the Cyrillic letters that look like them taken for them.
QChar SquareCharacter(QChar ch) {
    switch (ch.unicode()) {
    case u'а':
    case u'А':
        return u'a';
    case u'с':
    case u'С':
        return u'c';
    case u'е':
    case u'Е':
        return u'e';
    case u'х':
    case u'Х':
    case u'X':
        return u'x';
    default:
        return ch >= u'A' && ch <= u'H' ? ch.toLower() : ch;
    }
}

bool IsCastling(const QString &text) {
    static const QRegularExpression castling(QStringLiteral("^[0OoОо]-[0OoОо](-[0OoОо])?$"));
    return castling.match(text).hasMatch();
}

TTypedMoveProblem ProblemOf(const QString &reason) {
    if (reason == u"not a move")
        return TTypedMoveProblem::NotAMove;
    if (reason == u"ambiguous move")
        return TTypedMoveProblem::Ambiguous;
    return TTypedMoveProblem::Illegal;
}

TTypedMove Resolve(TGame &game, const QString &latin) {
    QString reason;
    if (const std::optional<TRecordEntry> entry = ResolveSan(game, latin, &reason))
        return {entry, TTypedMoveProblem::None};
    // A promotion that names no piece is asked for, as after two presses.
    if (reason == u"promotion piece missing") {
        if (std::optional<TRecordEntry> entry = ResolveSan(game, latin + u'Q', nullptr)) {
            entry->Promotion = NoPromotion;
            return {entry, TTypedMoveProblem::None};
        }
    }
    return {std::nullopt, ProblemOf(reason)};
}

} // namespace

QString LatinMoveText(const QString &typed) {
    QString text = typed;
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    // Check and mate marks say nothing about the move.
    while (!text.isEmpty() && QStringView(u"+#!?").contains(text.back()))
        text.chop(1);
    if (IsCastling(text))
        return text.size() == 3 ? QStringLiteral("O-O") : QStringLiteral("O-O-O");

    QString latin;
    qsizetype start = 0;
    // The piece letter leads; one before a digit is a file ("с4" typed in Cyrillic, "b4").
    if (text.size() >= 2 && text.first(2).toUpper() == u"КР") {
        latin = u'K';
        start = 2;
    } else if (!text.isEmpty() && !(text.size() >= 2 && text[1].isDigit())) {
        if (const QChar piece = PieceLetter(text.front()); !piece.isNull()) {
            latin = piece;
            start = 1;
        }
    }
    // The promotion letter ends the text, right after the destination's digit or an "=";
    // a king is no promotion piece.
    QChar promotion;
    qsizetype end = text.size();
    if (end - start >= 3 && (text[end - 2].isDigit() || text[end - 2] == u'=')) {
        promotion = text.back() == u'b' ? QChar(u'B') : PieceLetter(text.back());
        if (promotion == u'K')
            promotion = QChar();
        if (!promotion.isNull())
            --end;
    }
    for (qsizetype i = start; i < end; ++i)
        latin += SquareCharacter(text[i]);
    if (!promotion.isNull())
        latin += promotion;
    return latin;
}

TTypedMove ResolveTypedMove(TGame &game, const QString &typed) {
    const QString latin = LatinMoveText(typed);
    TTypedMove move = Resolve(game, latin);
    // "bc4" names the b-pawn in SAN; typed without the shift key it may as well be the bishop.
    if (!move.Move && latin.startsWith(u'b')) {
        TTypedMove bishop = Resolve(game, u'B' + latin.mid(1));
        if (bishop.Move || bishop.Problem == TTypedMoveProblem::Ambiguous)
            return bishop;
    }
    return move;
}
