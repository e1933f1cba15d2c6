// The board and game state, line counts and attack detection.
#include "RulesTestSupport.h"

#include <QtTest>
#include <set>

class TestPosition : public QObject {
    Q_OBJECT

private slots:
    void newGameIsInitialPosition();
    void darkSquares();
    void indexOf_data();
    void indexOf();
    void countOnLine_data();
    void countOnLine();
    void resetRestoresGameInProgress();
    void recordJoinsWithSeparator();
    void putPieceRefusesBadArguments();
    void attackedSquares_data();
    void attackedSquares();
    void kingAttackedWithoutKing();
    void noLegalMove_data();
    void noLegalMove();
};

void TestPosition::newGameIsInitialPosition() {
    const TGame game;
    for (int i = 0; i < 64; ++i) {
        const bool occupied = i < 16 || i >= 48;
        QCOMPARE(game.Board->Squares[i]->Piece != nullptr, occupied);
        QCOMPARE(game.Board->Squares[i]->Column, i % 8);
        QCOMPARE(game.Board->Squares[i]->Row, i / 8);
    }
    QCOMPARE(FenOf(game), QString::fromLatin1(StartFen));
    QCOMPARE(game.SideToMove, White);
    QCOMPARE(game.EnPassantSquare, -1);
    QVERIFY(game.WhiteCastleShort && game.WhiteCastleLong && game.BlackCastleShort &&
            game.BlackCastleLong);
    QVERIFY(game.MoveRecord.isEmpty());
    QVERIFY(game.Notation.isEmpty());
}

void TestPosition::darkSquares() {
    const TBoard board;
    for (int i = 0; i < 64; ++i)
        QCOMPARE(board.Squares[i]->Dark, (i % 8 + i / 8) % 2 == 0 ? 1 : 0);
    QCOMPARE(board.Squares[Square(u"a1")]->Dark, 1);
    QCOMPARE(board.Squares[Square(u"h8")]->Dark, 1);
    QCOMPARE(board.Squares[Square(u"h1")]->Dark, 0);
    QCOMPARE(board.Squares[Square(u"a8")]->Dark, 0);
}

void TestPosition::indexOf_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("index");
    QTest::newRow("e1") << 4 << 0 << 4;
    QTest::newRow("h8") << 7 << 7 << 63;
    QTest::newRow("a8") << 0 << 7 << 56;
    QTest::newRow("column 8") << 8 << 0 << 0;
    QTest::newRow("column -1") << -1 << 3 << 0;
    QTest::newRow("row 8") << 3 << 8 << 0;
}

void TestPosition::indexOf() {
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, index);
    const TBoard board;
    QCOMPARE(board.IndexOf(column, row), index);
}

void TestPosition::countOnLine_data() {
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("count");
    QTest::newRow("square to itself") << ""
                                      << "e2"
                                      << "e2" << 1;
    QTest::newRow("empty square to itself") << ""
                                            << "e4"
                                            << "e4" << 0;
    QTest::newRow("knight's jump") << ""
                                   << "g1"
                                   << "f3" << 0;
    QTest::newRow("no shared line") << ""
                                    << "a1"
                                    << "c2" << 0;
    QTest::newRow("long diagonal") << ""
                                   << "a1"
                                   << "h8" << 4;
    QTest::newRow("long diagonal reversed") << ""
                                            << "h8"
                                            << "a1" << 4;
    QTest::newRow("falling diagonal") << ""
                                      << "a8"
                                      << "h1" << 4;
    QTest::newRow("back rank e1-h1") << ""
                                     << "e1"
                                     << "h1" << 4;
    QTest::newRow("e1-h1 with f1 and g1 gone") << "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6"
                                               << "e1"
                                               << "h1" << 2;
    QTest::newRow("file a") << ""
                            << "a1"
                            << "a8" << 4;
    QTest::newRow("file a reversed") << ""
                                     << "a7"
                                     << "a2" << 2;
    QTest::newRow("empty stretch") << ""
                                   << "a3"
                                   << "h3" << 0;
}

void TestPosition::countOnLine() {
    QFETCH(QString, moves);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, count);
    TGame game;
    SetUpAndPlay(game, QString(), moves);
    const int a = Square(first);
    const int b = Square(second);
    QCOMPARE(game.Board->CountOnLine(a % 8, a / 8, b % 8, b / 8), count);
}

void TestPosition::resetRestoresGameInProgress() {
    TGame game;
    // Captures, a promotion to a queen that takes a rook, and lost castling rights.
    SetUpAndPlay(game, QString(), u"a2a4 b7b5 a4b5 a7a6 b5a6 c8b7 a6b7 h7h6 b7a8q");
    QVERIFY(!game.BlackCastleLong);
    game.Reset();
    QCOMPARE(FenOf(game), QString::fromLatin1(StartFen));
    QVERIFY(game.WhiteCastleShort && game.WhiteCastleLong && game.BlackCastleShort &&
            game.BlackCastleLong);
    QVERIFY(game.MoveRecord.isEmpty());
    QVERIFY(game.Notation.isEmpty());
    QVERIFY(game.TryMove(Square(u"e2"), Square(u"e4"), NoPromotion, true));
}

void TestPosition::recordJoinsWithSeparator() {
    TGame game;
    SetUpAndPlay(game, QString(), u"e2e4 e7e5 g1f3");
    QCOMPARE(game.MoveRecord.size(), 3);
    QCOMPARE(game.MoveRecord.join(u'|'), QStringLiteral("12>28|52>36|6>21"));
}

void TestPosition::putPieceRefusesBadArguments() {
    TBoard board;
    QCOMPARE(board.PutPiece(64, White, Rook), nullptr);
    QCOMPARE(board.PutPiece(-1, White, Rook), nullptr);
    QCOMPARE(board.PutPiece(3, TColor(2), Rook), nullptr);
    QCOMPARE(board.PutPiece(3, White, TKind(6)), nullptr);
    TPieces *rook = board.PutPiece(3, Black, Rook);
    QVERIFY(rook);
    QCOMPARE(board.Squares[3]->Piece, rook);
}

void TestPosition::attackedSquares_data() {
    QTest::addColumn<QString>("pieces");
    QTest::addColumn<int>("attacker");
    QTest::addColumn<QStringList>("attacked"); // every square attacked, in any order
    QTest::newRow("rook a1, open file and rank")
        << "Ra1" << int(White) << QStringList{"a2", "a3", "a4", "a5", "a6", "a7", "a8",
                                              "b1", "c1", "d1", "e1", "f1", "g1", "h1"};
    QTest::newRow("rook a1 reaches a king on a8")
        << "Ra1 ka8" << int(White) << QStringList{"a2", "a3", "a4", "a5", "a6", "a7", "a8",
                                                  "b1", "c1", "d1", "e1", "f1", "g1", "h1"};
    QTest::newRow("rook a1 blocked on a5 by a black piece")
        << "Ra1 pa5 ka8" << int(White)
        << QStringList{"a2", "a3", "a4", "a5", "b1", "c1", "d1", "e1", "f1", "g1", "h1"};
    QTest::newRow("rook a1 blocked on a5 by a white piece")
        << "Ra1 Na5" << int(White) << QStringList{"a2", "a3", "a4", "a5", "b1", "c1", "d1", "e1",
                                                  "f1", "g1", "h1", "b7", "c6", "c4", "b3"};
    QTest::newRow("bishop c1") << "Bc1" << int(White)
                               << QStringList{"b2", "a3", "d2", "e3", "f4", "g5", "h6"};
    QTest::newRow("queen d4 hemmed in")
        << "Qd4 Pd5 pc3 Pe4 pe3" << int(White)
        << QStringList{"d5", "c3", "e4", "e3", "d3", "d2", "d1", "c4", "b4", "a4",
                       "c5", "b6", "a7", "e5", "f6", "g7", "h8", "c6", "e6", "f5"};
    QTest::newRow("white pawn e4") << "Pe4" << int(White) << QStringList{"d5", "f5"};
    QTest::newRow("black pawn e5") << "pe5" << int(Black) << QStringList{"d4", "f4"};
    QTest::newRow("pawns on the edge files do not wrap")
        << "Pa4 Ph4" << int(White) << QStringList{"b5", "g5"};
    QTest::newRow("black pawns on the edge files")
        << "pa5 ph5" << int(Black) << QStringList{"b4", "g4"};
    QTest::newRow("knight g1") << "Ng1" << int(White) << QStringList{"e2", "f3", "h3"};
    // The king's test also covers its own square; nothing asks about that square.
    QTest::newRow("king e4") << "Ke4" << int(White)
                             << QStringList{"d3", "e3", "f3", "d4", "e4", "f4", "d5", "e5", "f5"};
    QTest::newRow("black pieces ignored for white") << "ra1 nb1" << int(White) << QStringList{};
}

void TestPosition::attackedSquares() {
    QFETCH(QString, pieces);
    QFETCH(int, attacker);
    QFETCH(QStringList, attacked);
    TBoard board;
    Place(board, pieces);
    std::set<int> expected;
    for (const QString &name : attacked)
        expected.insert(Square(name));
    for (int i = 0; i < 64; ++i) {
        const bool answer = board.IsSquareAttacked(i % 8, i / 8, TColor(attacker));
        QVERIFY2(answer == expected.contains(i),
                 qPrintable(QStringLiteral("square %1%2").arg(QChar(u'a' + i % 8)).arg(i / 8 + 1)));
    }
}

void TestPosition::kingAttackedWithoutKing() {
    TBoard board;
    Place(board, u"Ra2 qa8 ke2");
    QVERIFY(!board.IsKingAttacked(White)); // no White king at all
    QVERIFY(board.IsKingAttacked(Black));
}

void TestPosition::noLegalMove_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<bool>("whiteHasNone");
    QTest::addColumn<bool>("blackHasNone");
    QTest::addColumn<bool>("sideToMoveAttacked");
    // Only the side to move can have a move: the other colour always has none.
    QTest::newRow("initial position") << ""
                                      << "" << false << true << false;
    QTest::newRow("after e2-e4") << ""
                                 << "e2e4" << true << false << false;
    QTest::newRow("stalemate, queen b6") << "k7/8/1Q6/8/8/8/8/7K b - - 0 1"
                                         << "" << true << true << false;
    QTest::newRow("scholar's mate") << ""
                                    << "e2e4 e7e5 f1c4 b8c6 d1h5 g8f6 h5f7" << true << true << true;
    QTest::newRow("check with a way out") << ""
                                          << "e2e4 f7f5 d1h5" << true << false << true;
    QTest::newRow("only move is to take the checker") << "7k/6Q1/8/8/8/8/8/K7 b - - 0 1"
                                                      << "" << true << false << true;
}

void TestPosition::noLegalMove() {
    QFETCH(QString, fen);
    QFETCH(QString, moves);
    QFETCH(bool, whiteHasNone);
    QFETCH(bool, blackHasNone);
    QFETCH(bool, sideToMoveAttacked);
    TGame game;
    SetUpAndPlay(game, fen, moves);
    const QString before = FenOf(game);
    QCOMPARE(game.HasNoLegalMove(White), whiteHasNone);
    QCOMPARE(game.HasNoLegalMove(Black), blackHasNone);
    QCOMPARE(game.Board->IsKingAttacked(game.SideToMove), sideToMoveAttacked);
    QCOMPARE(FenOf(game), before);
}

QTEST_GUILESS_MAIN(TestPosition)
#include "tst_Position.moc"
