#include "Fen.h"

#include "Board.h"
#include "LegalMoves.h"
#include "Record.h"
#include "San.h"

#include <array>
#include <optional>

namespace {

constexpr QStringView PieceLetters = u"kqrnbp"; // by kind; upper case for White

struct TFenPosition {
    std::array<std::optional<std::pair<TColor, TKind>>, 64> Pieces; // colour, kind
    TColor SideToMove = White;
    std::array<std::uint8_t, 4> Castling{}; // White short, White long, Black short, Black long
    int EnPassantSquare = -1;
};

bool Fail(QString *error, const QString &reason) {
    if (error)
        *error = reason;
    return false;
}

bool ParsePlacement(QStringView text, TFenPosition &position, QString *error) {
    const QList<QStringView> ranks = text.split(u'/');
    if (ranks.size() != 8)
        return Fail(error, QStringLiteral("the board needs 8 ranks separated by '/'"));
    for (int r = 0; r < 8; ++r) {
        const int row = 7 - r; // the first rank written is rank 8
        int column = 0;
        for (const QChar ch : ranks[r]) {
            if (ch >= u'1' && ch <= u'8') {
                column += ch.unicode() - u'0';
            } else {
                // Piece letters are ASCII: other letters that lower-case to one (U+212A KELVIN
                // SIGN becomes 'k') name no piece.
                const qsizetype kind =
                    ch.unicode() < 0x80 ? PieceLetters.indexOf(ch.toLower()) : qsizetype(-1);
                if (kind < 0)
                    return Fail(error, QStringLiteral("unknown piece letter '%1'").arg(ch));
                if (column < 8)
                    position.Pieces[row * 8 + column] =
                        std::pair{ch.isUpper() ? White : Black, TKind(kind)};
                ++column;
            }
            if (column > 8)
                break;
        }
        if (column != 8)
            return Fail(error,
                        QStringLiteral("rank %1 does not hold exactly 8 squares").arg(row + 1));
    }
    return true;
}

bool CheckPieces(const TFenPosition &position, QString *error) {
    std::array<int, 2> kings{};
    for (int i = 0; i < 64; ++i) {
        const auto &piece = position.Pieces[i];
        if (!piece)
            continue;
        if (piece->second == King)
            ++kings[piece->first];
        if (piece->second == Pawn && (i < 8 || i >= 56))
            return Fail(error, QStringLiteral("a pawn stands on the first or last rank"));
    }
    if (kings[White] != 1 || kings[Black] != 1)
        return Fail(error, QStringLiteral("each side needs exactly one king"));
    return true;
}

bool ParseCastling(QStringView text, TFenPosition &position, QString *error) {
    if (text == u"-")
        return true;
    for (const QChar ch : text) {
        const qsizetype flag = QStringView(u"KQkq").indexOf(ch);
        if (flag < 0 || position.Castling[flag])
            return Fail(error, QStringLiteral("bad castling rights '%1'").arg(text));
        position.Castling[flag] = 1;
    }
    return true;
}

bool ParseEnPassant(QStringView text, TFenPosition &position, QString *error) {
    if (text == u"-")
        return true;
    const QString bad = QStringLiteral("bad en-passant square '%1'").arg(text);
    if (text.size() != 2 || text[0] < u'a' || text[0] > u'h')
        return Fail(error, bad);
    // The target lies behind the pawn that has just advanced two rows.
    const int column = text[0].unicode() - u'a';
    const int targetRow = position.SideToMove == White ? 5 : 2;
    if (text[1] != QChar(u'1' + targetRow))
        return Fail(error, bad);
    const TColor advanced = Opponent(position.SideToMove);
    const int pawnSquare = (advanced == White ? 3 : 4) * 8 + column;
    const auto &pawn = position.Pieces[pawnSquare];
    if (!pawn || *pawn != std::pair{advanced, Pawn} || position.Pieces[targetRow * 8 + column])
        return Fail(error, QStringLiteral("no pawn has just advanced past '%1'").arg(text));
    position.EnPassantSquare = pawnSquare;
    return true;
}

bool IsCounter(QStringView text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && text.front().isDigit();
}

} // namespace

bool SetUpFromFen(TGame &game, const QString &fen, QString *error) {
    const QList<QStringView> fields = QStringView(fen).trimmed().split(u' ', Qt::SkipEmptyParts);
    if (fields.size() < 4 || fields.size() > 6)
        return Fail(error, QStringLiteral("a FEN has 4 to 6 fields separated by blanks"));
    TFenPosition position;
    if (!ParsePlacement(fields[0], position, error) || !CheckPieces(position, error))
        return false;
    if (fields[1] != u"w" && fields[1] != u"b")
        return Fail(error, QStringLiteral("the side to move must be 'w' or 'b'"));
    position.SideToMove = fields[1] == u"w" ? White : Black;
    if (!ParseCastling(fields[2], position, error) || !ParseEnPassant(fields[3], position, error))
        return false;
    for (qsizetype i = 4; i < fields.size(); ++i) {
        if (!IsCounter(fields[i]))
            return Fail(error, QStringLiteral("bad move counter '%1'").arg(fields[i]));
    }

    TBoard scratch;
    for (int i = 0; i < 64; ++i) {
        if (const auto &piece = position.Pieces[i])
            scratch.PutPiece(i, piece->first, piece->second);
    }
    if (scratch.IsKingAttacked(Opponent(position.SideToMove)))
        return Fail(error, QStringLiteral("the side that is not to move is in check"));

    game.Board->Clear();
    for (int i = 0; i < 64; ++i) {
        if (const auto &piece = position.Pieces[i])
            game.Board->PutPiece(i, piece->first, piece->second);
    }
    // Every state field starts as in a new game (both lists empty) unless the FEN sets it.
    TGameState state;
    state.SideToMove = position.SideToMove;
    state.EnPassantSquare = position.EnPassantSquare;
    state.HalfMoveClock = fields.size() > 4 ? fields[4].toInt() : 0;
    // A right whose king or rook is not at home is dropped, as a played move would drop it.
    const auto at = [&](int index, TColor color, TKind kind) {
        return position.Pieces[index] == std::pair{color, kind};
    };
    const bool whiteKingHome = at(4, White, King);
    const bool blackKingHome = at(60, Black, King);
    state.WhiteCastleShort = position.Castling[0] && whiteKingHome && at(7, White, Rook);
    state.WhiteCastleLong = position.Castling[1] && whiteKingHome && at(0, White, Rook);
    state.BlackCastleShort = position.Castling[2] && blackKingHome && at(63, Black, Rook);
    state.BlackCastleLong = position.Castling[3] && blackKingHome && at(56, Black, Rook);
    static_cast<TGameState &>(game) = std::move(state);
    return true;
}

namespace {

// Pieces, side to move and castling rights: the fields every FEN form shares.
QString PlacementSideAndCastling(const TGame &game) {
    QString fen;
    for (int row = 7; row >= 0; --row) {
        int empty = 0;
        for (int column = 0; column < 8; ++column) {
            const TPieces *piece = game.Board->Squares[row * 8 + column]->Piece;
            if (!piece) {
                ++empty;
                continue;
            }
            if (empty)
                fen += QString::number(empty);
            empty = 0;
            const QChar letter = PieceLetters[piece->Kind];
            fen += piece->Color == White ? letter.toUpper() : letter;
        }
        if (empty)
            fen += QString::number(empty);
        if (row)
            fen += u'/';
    }
    fen += game.SideToMove == White ? QStringLiteral(" w ") : QStringLiteral(" b ");
    QString castling;
    if (game.WhiteCastleShort)
        castling += u'K';
    if (game.WhiteCastleLong)
        castling += u'Q';
    if (game.BlackCastleShort)
        castling += u'k';
    if (game.BlackCastleLong)
        castling += u'q';
    return fen + (castling.isEmpty() ? QStringLiteral("-") : castling);
}

} // namespace

QString FenOf(const TGame &game) {
    QString fen = PlacementSideAndCastling(game) + u' ';
    fen += game.EnPassantSquare < 0 ? QStringLiteral("-")
                                    : SquareName(PassedOverSquare(game.EnPassantSquare));
    fen += u' ' + QString::number(game.HalfMoveClock) + u' ' +
           QString::number(game.MoveRecord.size() / 2 + 1);
    return fen;
}

QString StandardFenAfter(const QStringList &record, int plies) {
    if (plies < 0 || plies > record.size())
        return {};
    TGame game; // no hooks: no message goes anywhere, a promotion without a letter is a queen
    for (int i = 0; i < plies; ++i) {
        const std::optional<TRecordEntry> move = TRecordEntry::Parse(record[i]);
        if (!move || !game.TryMove(move->From, move->To, move->Promotion, true))
            return {};
    }
    QString fen = PlacementSideAndCastling(game) + u' ';
    fen += CanTakeEnPassant(game) ? SquareName(PassedOverSquare(game.EnPassantSquare))
                                  : QStringLiteral("-");
    return fen + QStringLiteral(" %1 %2").arg(game.HalfMoveClock).arg(plies / 2 + 1);
}
