// Draws by repetition, by the fifty- and seventy-five-move rules and by material, the position
// keys they rest on, and the PGN result of the draws that end the game.
#include "Board.h"
#include "Draws.h"
#include "Fen.h"
#include "Pgn.h"
#include "Record.h"
#include "RulesTestSupport.h"

#include <QtTest>

Q_DECLARE_METATYPE(TDrawKind)

namespace {

// The knights go out and come back: the position of the start of the cycle stands again.
QString KnightCycles(int count) {
    return QStringLiteral("g1f3 g8f6 f3g1 f6g8 ").repeated(count);
}

// The kings step aside and back, Black first.
QString KingSteps(int count) {
    return QStringLiteral("e8f8 e1f1 f8e8 f1e1 ").repeated(count);
}

} // namespace

class TestDraws : public QObject {
    Q_OBJECT

private slots:
    void drawOfPosition_data();
    void drawOfPosition();
    void keysFollowEveryMove();
};

void TestDraws::drawOfPosition_data() {
    QTest::addColumn<QString>("fen"); // empty: the initial position
    QTest::addColumn<QString>("moves");
    QTest::addColumn<TDrawKind>("kind");
    QTest::addColumn<QString>("result"); // what the PGN export writes

    using K = TDrawKind;
    const auto row = [](const char *name, const char *fen, const QString &moves, TDrawKind kind,
                        const char *result) {
        QTest::newRow(name) << QString::fromLatin1(fen) << moves << kind
                            << QString::fromLatin1(result);
    };
    const char *start = "";
    const char *draw = "1/2-1/2";
    const char *open = "*";
    const QString rookLeaves = QStringLiteral("a1a2");
    const QString rooksOut = QStringLiteral("g1f3 g8f6 h1g1 h8g8 g1h1 g8h8 f3g1 f6g8 ");
    row("threefold", start, KnightCycles(2), K::ThreefoldRepetition, open);
    row("fivefold", start, KnightCycles(4), K::FivefoldRepetition, draw);
    // The same placement as at the start three times, but the first time with both castling
    // rights on the king's side still there.
    row("castling rights differ", start, rooksOut + KnightCycles(1), K::None, open);
    row("castling rights lost, then threefold", start, rooksOut + KnightCycles(2),
        K::ThreefoldRepetition, open);
    // After d2d4 the pawn on e4 may take en passant: that position is not the one that comes
    // back twice after it.
    row("capturable en passant differs", "4k3/8/8/8/4p3/8/3P4/4K3 w - - 0 1",
        QStringLiteral("d2d4 ") + KingSteps(2), K::None, open);
    row("no pawn to take en passant", "4k3/8/8/8/8/8/3P4/4K3 w - - 0 1",
        QStringLiteral("d2d4 ") + KingSteps(2), K::ThreefoldRepetition, open);
    // Taking en passant would leave the king on a4 to the rook on h4: no capture, no difference.
    row("en passant that exposes the king", "8/8/8/8/k3p2R/8/3P4/4K3 w - - 0 1",
        QStringLiteral("d2d4 a4a5 e1f1 a5a4 f1e1 a4a5 e1f1 a5a4 f1e1"), K::ThreefoldRepetition,
        open);
    row("repetition broken by a pawn move", start,
        QStringLiteral("g1f3 g8f6 f3g1 f6g8 e2e3 e7e6 ") + KnightCycles(1), K::None, open);
    row("49.5 moves", "8/8/4k3/8/8/8/8/R3K3 w - - 98 80", rookLeaves, K::None, open);
    row("fifty moves", "8/8/4k3/8/8/8/8/R3K3 w - - 99 80", rookLeaves, K::FiftyMoves, open);
    row("capture starts the count afresh", "8/8/4k3/8/8/8/r7/R3K3 w - - 149 80", rookLeaves,
        K::None, open);
    row("seventy-five moves", "8/8/4k3/8/8/8/8/R3K3 w - - 149 80", rookLeaves,
        K::SeventyFiveMoves, draw);
    row("clock at its largest count", "8/8/4k3/8/8/8/8/R3K3 w - - 2147483647 80", rookLeaves,
        K::SeventyFiveMoves, draw);
    row("mate on the seventy-fifth move", "k7/8/1K6/8/8/8/8/7R w - - 149 100",
        QStringLiteral("h1h8"), K::None, "1-0");
    row("stalemate on the seventy-fifth move", "k7/8/8/2Q5/8/8/8/7K w - - 149 100",
        QStringLiteral("c5b6"), K::None, draw);
    row("bare kings after a capture", "8/8/4k3/8/8/3K4/4p3/8 w - - 0 1", QStringLiteral("d3e2"),
        K::DeadPosition, draw);
    row("king and bishop", "8/8/4k3/8/8/3KB3/8/8 b - - 0 1", {}, K::DeadPosition, draw);
    row("king and knight", "8/8/4kn2/8/8/3K4/8/8 w - - 0 1", {}, K::DeadPosition, draw);
    row("bishops on dark squares", "5b2/8/4k3/8/8/3KB3/8/2B5 w - - 0 1", {}, K::DeadPosition, draw);
    row("two knights", "8/8/4k3/8/8/3K4/8/1NN5 w - - 0 1", {}, K::None, open);
    row("bishops on both colours", "2b5/8/4k3/8/8/3K4/8/2B5 w - - 0 1", {}, K::None, open);
    row("a pawn left", "8/8/4k3/8/8/3KB3/6p1/8 w - - 0 1", {}, K::None, open);
}

void TestDraws::drawOfPosition() {
    QFETCH(QString, fen);
    QFETCH(QString, moves);
    QFETCH(TDrawKind, kind);
    QFETCH(QString, result);

    TGame game;
    SetUpAndPlay(game, fen, moves);
    QCOMPARE(DrawOf(game), kind);
    QCOMPARE(ResultOf(game), result);
    // The rules only tell: the side to move still has its moves unless mated or stalemated.
    QCOMPARE(game.HasNoLegalMove(game.SideToMove),
             game.Status() == TGameStatus::Mate || game.Status() == TGameStatus::Stalemate);
    QVERIFY(game.GameMessage.isEmpty() || game.GameMessage == u"Шах!" ||
            game.GameMessage == u"Мат!" || game.GameMessage == u"Пат!");
    if (fen.isEmpty()) {
        // The export of the record from the start says the same.
        const std::optional<QString> pgn = PgnOfRecord(Entries(moves), TPgnTags{});
        QVERIFY(pgn);
        QVERIFY2(pgn->contains(QStringLiteral("[Result \"%1\"]").arg(result)), qPrintable(*pgn));
    }
}

// After every move of long random games (and every take-back on the way) the key the board
// keeps move by move is the one worked out afresh from the squares, the key of the position
// left behind is the last earlier key, and the same position set up from its FEN has the same
// key and clock.
void TestDraws::keysFollowEveryMove() {
    for (const QStringList &record : LongGames(3, 300)) {
        TGame game;
        for (qsizetype ply = 0; ply < record.size(); ++ply) {
            const TPositionKey before = PositionKeyOf(game);
            const std::optional<TRecordEntry> entry = TRecordEntry::Parse(record[ply]);
            QVERIFY(entry && game.TryMove(entry->From, entry->To, entry->Promotion, true));
            QCOMPARE(game.Board->PiecesKey(), PiecesKeyOf(*game.Board));
            QCOMPARE(game.EarlierKeys.size(), ply + 1);
            QCOMPARE(game.EarlierKeys.last(), before);
            QVERIFY(PositionKeyOf(game) != before);

            TGame fromFen;
            QVERIFY(SetUpFromFen(fromFen, FenOf(game)));
            QCOMPARE(PositionKeyOf(fromFen), PositionKeyOf(game));
            QCOMPARE(fromFen.HalfMoveClock, game.HalfMoveClock);
            if (ply % 50 == 49) {
                game.UndoLastMove();
                QCOMPARE(PositionKeyOf(game), before);
                QCOMPARE(game.Board->PiecesKey(), PiecesKeyOf(*game.Board));
                QVERIFY(game.TryMove(entry->From, entry->To, entry->Promotion, true));
            }
        }
        QCOMPARE(StandardFenAfter(record, int(record.size())).section(u' ', 4, 4).toInt(),
                 game.HalfMoveClock);
    }
}

QTEST_GUILESS_MAIN(TestDraws)
#include "tst_Draws.moc"
