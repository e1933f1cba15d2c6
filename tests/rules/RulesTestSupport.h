// Small helpers shared by the rules tests: coordinate moves, quick set-ups, the full state of a
// game; square names and random games come from GameSupport.h, which the benchmarks share.
#pragma once

#include "Board.h"
#include "Fen.h"
#include "GameSupport.h"

#include <QString>
#include <QStringList>
#include <QTest>

// "e2e4" -> "12>28", "a7a8q" -> "48>56,Q" (the record's letters: Q, R, K for the knight, B).
inline QString Entry(QStringView move) {
    QString entry =
        QString::number(Square(move.mid(0, 2))) + u'>' + QString::number(Square(move.mid(2, 2)));
    if (move.size() == 5)
        entry += u',' + move[4].toUpper();
    return entry;
}

// "e2e4 e7e5" -> {"12>28", "52>36"}.
inline QStringList Entries(QStringView moves) {
    QStringList entries;
    for (QStringView move : moves.split(u' ', Qt::SkipEmptyParts))
        entries.append(Entry(move));
    return entries;
}

// Pieces by letter and square, upper case White, lower case Black: "Ke1 ra8 Ng1". Kings are
// not required, so the board may hold positions no game reaches.
inline void Place(TBoard &board, QStringView pieces) {
    board.Clear();
    for (QStringView item : pieces.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype kind = QStringView(u"kqrnbp").indexOf(item[0].toLower());
        QVERIFY2(kind >= 0, "unknown piece letter");
        board.PutPiece(Square(item.mid(1, 2)), item[0].isUpper() ? White : Black, TKind(kind));
    }
}

// Sets the game up from a FEN (or the initial position for an empty text) and plays the
// coordinate moves, each of which must be accepted.
inline void SetUpAndPlay(TGame &game, const QString &fen, QStringView moves) {
    if (!fen.isEmpty()) {
        QString error;
        QVERIFY2(SetUpFromFen(game, fen, &error), qPrintable(error));
    }
    for (QStringView move : moves.split(u' ', Qt::SkipEmptyParts)) {
        const QChar letter = move.size() == 5 ? move[4].toUpper() : NoPromotion;
        QVERIFY2(game.TryMove(Square(move.mid(0, 2)), Square(move.mid(2, 2)), letter, true),
                 qPrintable(move.toString()));
    }
}

// The first four fields of the position's FEN: pieces, side, castling rights, en passant.
inline QString PositionOf(const TGame &game) {
    return FenOf(game).section(u' ', 0, 3);
}

// Everything a move may change, down to which piece object stands where.
struct TFullState {
    explicit TFullState(const TGame &game) : State(game), GameMessage(game.GameMessage) {
        for (int i = 0; i < 64; ++i) {
            Pieces[i] = game.Board->Squares[i]->Piece;
            Kinds[i] = Pieces[i] ? Pieces[i]->Kind : 0xff;
            Colors[i] = Pieces[i] ? Pieces[i]->Color : 0xff;
        }
    }
    bool operator==(const TFullState &) const = default;

    std::array<TPieces *, 64> Pieces{};
    std::array<std::uint8_t, 64> Kinds{};
    std::array<std::uint8_t, 64> Colors{};
    TGameState State;
    QString GameMessage;
};
