// TryMove: movement rules, castling, en passant, promotion and the trial on the live board.
#include "RulesTestSupport.h"

#include <QtTest>

class TestMoves : public QObject {
    Q_OBJECT

private slots:
    void tryMove_data();
    void tryMove();
    void kingIsNeverTaken();
    void squaresOffTheBoard();
    void promotionAsksHook_data();
    void promotionAsksHook();
};

void TestMoves::tryMove_data() {
    QTest::addColumn<QString>("fen");   // empty: the initial position
    QTest::addColumn<QString>("moves"); // played first
    QTest::addColumn<QString>("move");
    QTest::addColumn<QString>("after"); // empty when the move is refused

    const QString start;
    const QString castling = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";

    // Basics.
    QTest::newRow("empty origin") << start << ""
                                  << "e3e4"
                                  << "";
    QTest::newRow("side not to move") << start << ""
                                      << "e7e5"
                                      << "";
    QTest::newRow("from equals to") << start << ""
                                    << "e2e2"
                                    << "";
    QTest::newRow("onto own piece") << start << ""
                                    << "a1a2"
                                    << "";
    QTest::newRow("knight jumps") << start << ""
                                  << "g1f3"
                                  << "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq -";
    QTest::newRow("rook blocked") << start << ""
                                  << "a1a3"
                                  << "";
    QTest::newRow("bishop blocked") << start << ""
                                    << "f1c4"
                                    << "";
    QTest::newRow("queen not a knight") << start << "e2e4 e7e5"
                                        << "d1e3"
                                        << "";
    QTest::newRow("king next to king") << "8/8/8/3k4/8/3K4/8/8 w - - 0 1"
                                       << ""
                                       << "d3d4"
                                       << "";
    QTest::newRow("pinned knight") << "4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1"
                                   << ""
                                   << "e2c3"
                                   << "";
    QTest::newRow("king into check") << "4k3/3r4/8/8/8/8/8/4K3 w - - 0 1"
                                     << ""
                                     << "e1d1"
                                     << "";
    QTest::newRow("king out of reach") << "4k3/3r4/8/8/8/8/8/4K3 w - - 0 1"
                                       << ""
                                       << "e1f1"
                                       << "4k3/3r4/8/8/8/8/8/5K2 b - -";
    QTest::newRow("check ignored") << "4k3/4r3/8/8/8/8/8/R3K3 w Q - 0 1"
                                   << ""
                                   << "a1a2"
                                   << "";
    QTest::newRow("check answered by a block") << "4k3/4r3/8/8/8/8/3R4/4K3 w - - 0 1"
                                               << ""
                                               << "d2e2"
                                               << "4k3/4r3/8/8/8/8/4R3/4K3 b - -";
    QTest::newRow("check not answered") << "4k3/4r3/8/8/8/8/3R4/4K3 w - - 0 1"
                                        << ""
                                        << "d2d3"
                                        << "";
    QTest::newRow("check answered by taking") << "4k3/8/8/8/8/8/4r3/3RK3 w - - 0 1"
                                              << ""
                                              << "e1e2"
                                              << "4k3/8/8/8/8/8/4K3/3R4 b - -";

    // Pawns.
    QTest::newRow("double step") << start << ""
                                 << "e2e4"
                                 << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";
    QTest::newRow("single step") << start << ""
                                 << "e2e3"
                                 << "rnbqkbnr/pppppppp/8/8/8/4P3/PPPP1PPP/RNBQKBNR b KQkq -";
    QTest::newRow("three rows") << start << ""
                                << "e2e5"
                                << "";
    QTest::newRow("diagonal onto empty") << start << ""
                                         << "e2d3"
                                         << "";
    QTest::newRow("backwards") << start << "e2e4 e7e5"
                               << "e4e3"
                               << "";
    QTest::newRow("double step off the start row") << start << "e2e3 a7a6"
                                                   << "e3e5"
                                                   << "";
    QTest::newRow("straight onto a piece") << start << "e2e4 e7e5"
                                           << "e4e5"
                                           << "";
    QTest::newRow("straight onto a piece, last row") << "n3k3/P7/8/8/8/8/8/4K3 w - - 0 1"
                                                     << ""
                                                     << "a7a8q"
                                                     << "";
    QTest::newRow("double step over a piece") << "4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1"
                                              << ""
                                              << "e2e4"
                                              << "";
    QTest::newRow("double step onto a piece") << "4k3/8/8/8/4n3/8/4P3/4K3 w - - 0 1"
                                              << ""
                                              << "e2e4"
                                              << "";
    QTest::newRow("single step before a piece") << "4k3/8/8/8/4n3/8/4P3/4K3 w - - 0 1"
                                                << ""
                                                << "e2e3"
                                                << "4k3/8/8/8/4n3/4P3/8/4K3 b - -";
    QTest::newRow("diagonal capture") << "4k3/8/8/8/8/3n4/4P3/4K3 w - - 0 1"
                                      << ""
                                      << "e2d3"
                                      << "4k3/8/8/8/8/3P4/8/4K3 b - -";
    QTest::newRow("capture backwards") << "4k3/8/8/8/4P3/3n4/8/4K3 w - - 0 1"
                                       << ""
                                       << "e4d3"
                                       << "";
    QTest::newRow("black double step")
        << start << "e2e4"
        << "e7e5"
        << "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6";
    QTest::newRow("black backwards") << "4k3/8/8/8/8/4p3/8/4K3 b - - 0 1"
                                     << ""
                                     << "e3e4"
                                     << "";

    // En passant.
    QTest::newRow("en passant right after the double step")
        << start << "e2e4 a7a6 e4e5 d7d5"
        << "e5d6"
        << "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq -";
    QTest::newRow("en passant a move too late") << start << "e2e4 a7a6 e4e5 d7d5 h2h3 h7h6"
                                                << "e5d6"
                                                << "";
    QTest::newRow("en passant after single steps") << start << "e2e4 d7d6 e4e5 d6d5"
                                                   << "e5d6"
                                                   << "";
    QTest::newRow("en passant by black")
        << start << "a2a3 d7d5 a3a4 d5d4 e2e4"
        << "d4e3"
        << "rnbqkbnr/ppp1pppp/8/8/P7/4p3/1PPP1PPP/RNBQKBNR w KQkq -";
    QTest::newRow("en passant exposing the king along the row")
        << "8/8/8/K2pP2r/8/8/8/4k3 w - d6 0 1"
        << ""
        << "e5d6"
        << "";
    QTest::newRow("en passant without that rook") << "8/8/8/K2pP3/8/8/8/4k3 w - d6 0 1"
                                                  << ""
                                                  << "e5d6"
                                                  << "8/8/3P4/K7/8/8/8/4k3 b - -";
    QTest::newRow("en passant onto the wrong square") << "8/8/8/K2pP3/8/8/8/4k3 w - d6 0 1"
                                                      << ""
                                                      << "e5f6"
                                                      << "";

    // Castling.
    QTest::newRow("white short") << castling << ""
                                 << "e1g1"
                                 << "r3k2r/8/8/8/8/8/8/R4RK1 b kq -";
    QTest::newRow("white long") << castling << ""
                                << "e1c1"
                                << "r3k2r/8/8/8/8/8/8/2KR3R b kq -";
    QTest::newRow("black short") << "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"
                                 << ""
                                 << "e8g8"
                                 << "r4rk1/8/8/8/8/8/8/R3K2R w KQ -";
    QTest::newRow("black long") << "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"
                                << ""
                                << "e8c8"
                                << "2kr3r/8/8/8/8/8/8/R3K2R w KQ -";
    QTest::newRow("short out of check") << "4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1"
                                        << ""
                                        << "e1g1"
                                        << "";
    QTest::newRow("long out of check") << "4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1"
                                       << ""
                                       << "e1c1"
                                       << "";
    QTest::newRow("short through check") << "4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1"
                                         << ""
                                         << "e1g1"
                                         << "";
    QTest::newRow("long beside an attacked f1") << "4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1"
                                                << ""
                                                << "e1c1"
                                                << "4kr2/8/8/8/8/8/8/2KR3R b - -";
    QTest::newRow("short into check") << "4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1"
                                      << ""
                                      << "e1g1"
                                      << "";
    QTest::newRow("long through check") << "3rk3/8/8/8/8/8/8/R3K2R w KQ - 0 1"
                                        << ""
                                        << "e1c1"
                                        << "";
    QTest::newRow("long into check") << "2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"
                                     << ""
                                     << "e1c1"
                                     << "";
    QTest::newRow("long with b1 attacked") << "1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"
                                           << ""
                                           << "e1c1"
                                           << "1r2k3/8/8/8/8/8/8/2KR3R b - -";
    QTest::newRow("long with b1 occupied") << "4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1"
                                           << ""
                                           << "e1c1"
                                           << "";
    QTest::newRow("short with f1 occupied") << "4k3/8/8/8/8/8/8/R3KB1R w KQ - 0 1"
                                            << ""
                                            << "e1g1"
                                            << "";
    QTest::newRow("short without the right") << "4k3/8/8/8/8/8/8/R3K2R w - - 0 1"
                                             << ""
                                             << "e1g1"
                                             << "";
    QTest::newRow("king moved and came back") << castling << "e1e2 e8e7 e2e1 e7e8"
                                              << "e1g1"
                                              << "";
    QTest::newRow("rook moved and came back") << castling << "h1h2 a8a7 h2h1 a7a8"
                                              << "e1g1"
                                              << "";
    QTest::newRow("other rook keeps its right") << castling << "h1h2 a8a7 h2h1 a7a8"
                                                << "e1c1"
                                                << "r3k2r/8/8/8/8/8/8/2KR3R b k -";
    QTest::newRow("rook taken on its corner") << castling << ""
                                              << "a1a8"
                                              << "R3k2r/8/8/8/8/8/8/4K2R b Kk -";
    QTest::newRow("rook taken on h1 by a bishop") << "r3k2r/8/8/8/8/8/6b1/R3K2R b KQkq - 0 1"
                                                  << ""
                                                  << "g2h1"
                                                  << "r3k2r/8/8/8/8/8/8/R3K2b w Qkq -";
    QTest::newRow("king step loses both rights") << castling << ""
                                                 << "e1f1"
                                                 << "r3k2r/8/8/8/8/8/8/R4K1R b kq -";
    QTest::newRow("king three columns") << castling << ""
                                        << "e1b1"
                                        << "";

    // Promotion.
    const QString pawnA7 = "4k3/P7/8/8/8/8/8/4K3 w - - 0 1";
    QTest::newRow("promotion Q") << pawnA7 << ""
                                 << "a7a8q"
                                 << "Q3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("promotion R") << pawnA7 << ""
                                 << "a7a8r"
                                 << "R3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("promotion K is a knight") << pawnA7 << ""
                                             << "a7a8k"
                                             << "N3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("promotion B") << pawnA7 << ""
                                 << "a7a8b"
                                 << "B3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("promotion without letter or hook") << pawnA7 << ""
                                                      << "a7a8"
                                                      << "Q3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("promotion by capture") << "1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1"
                                          << ""
                                          << "a7b8k"
                                          << "1N2k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("black promotion") << "4k3/8/8/8/8/8/p7/4K3 b - - 0 1"
                                     << ""
                                     << "a2a1r"
                                     << "4k3/8/8/8/8/8/8/r3K3 w - -";
    QTest::newRow("letter ignored off the last row")
        << start << ""
        << "e2e4q"
        << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";
}

void TestMoves::tryMove() {
    QFETCH(QString, fen);
    QFETCH(QString, moves);
    QFETCH(QString, move);
    QFETCH(QString, after);
    TGame game;
    SetUpAndPlay(game, fen, moves);
    if (QTest::currentTestFailed())
        return;
    int hookCalls = 0;
    game.GameMessageHook = [&](const QString &) { ++hookCalls; };
    game.PromotionHook = [&](std::uint8_t) {
        ++hookCalls;
        return Queen;
    };
    const int from = Square(QStringView(move).mid(0, 2));
    const int to = Square(QStringView(move).mid(2, 2));
    const QChar letter = move.size() == 5 ? move[4].toUpper() : NoPromotion;
    const bool legal = !after.isEmpty();

    // The trial runs on the live board and must put every piece object back where it was.
    const TFullState before(game);
    QCOMPARE(game.TryMove(from, to, letter, false), legal);
    QVERIFY(TFullState(game) == before);
    QCOMPARE(hookCalls, 0);

    if (letter == NoPromotion)
        game.PromotionHook = nullptr; // a pawn reaching the last row then becomes a queen
    QCOMPARE(game.TryMove(from, to, letter, true), legal);
    if (!legal) {
        QVERIFY(TFullState(game) == before);
        QCOMPARE(hookCalls, 0);
        return;
    }
    QCOMPARE(PositionOf(game), after);
    QCOMPARE(game.MoveRecord.size(), before.State.MoveRecord.size() + 1);
    // The moving piece keeps its object.
    QCOMPARE(game.Board->Squares[to]->Piece, before.Pieces[from]);
}

void TestMoves::kingIsNeverTaken() {
    // No game reaches a king left en prise; the rules refuse the capture anyway.
    TGame game;
    Place(*game.Board, u"Ke1 ke8 Re2");
    QVERIFY(!game.TryMove(Square(u"e2"), Square(u"e8"), NoPromotion, false));
    QVERIFY(!game.TryMove(Square(u"e2"), Square(u"e8"), NoPromotion, true));
    QVERIFY(game.Board->Squares[Square(u"e8")]->Piece->Kind == King);
}

void TestMoves::squaresOffTheBoard() {
    TGame game;
    const TFullState before(game);
    QVERIFY(!game.TryMove(-1, 16, NoPromotion, true));
    QVERIFY(!game.TryMove(8, 64, NoPromotion, true));
    QVERIFY(!game.TryMove(64, 8, NoPromotion, false));
    QVERIFY(TFullState(game) == before);
}

void TestMoves::promotionAsksHook_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("move");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("asked"); // colour asked, -1 for no question
    QTest::addColumn<QString>("after");
    const QString pawnA7 = "4k3/P7/8/8/8/8/8/4K3 w - - 0 1";
    QTest::newRow("white asked, knight")
        << pawnA7 << "a7a8" << int(Knight) << int(White) << "N3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("unknown letter asks")
        << pawnA7 << "a7a8n" << int(Bishop) << int(White) << "B3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("letter given, not asked")
        << pawnA7 << "a7a8r" << int(Knight) << -1 << "R3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("black asked, rook")
        << "4k3/8/8/8/8/8/p7/4K3 b - - 0 1"
        << "a2a1" << int(Rook) << int(Black) << "4k3/8/8/8/8/8/8/r3K3 w - -";
    QTest::newRow("king is no answer")
        << pawnA7 << "a7a8" << int(King) << int(White) << "Q3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("pawn is no answer")
        << pawnA7 << "a7a8" << int(Pawn) << int(White) << "Q3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("out of range answer")
        << pawnA7 << "a7a8" << 200 << int(White) << "Q3k3/8/8/8/8/8/8/4K3 b - -";
    QTest::newRow("no promotion, not asked")
        << ""
        << "e2e4" << int(Rook) << -1 << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";
}

void TestMoves::promotionAsksHook() {
    QFETCH(QString, fen);
    QFETCH(QString, move);
    QFETCH(int, answer);
    QFETCH(int, asked);
    QFETCH(QString, after);
    TGame game;
    SetUpAndPlay(game, fen, u"");
    QList<int> questions;
    QString positionWhenAsked;
    game.PromotionHook = [&](std::uint8_t color) {
        questions.append(color);
        positionWhenAsked = game.Board->Squares[Square(QStringView(move).mid(2, 2))]->Piece
                                ? QStringLiteral("pawn arrived")
                                : QString();
        return std::uint8_t(answer);
    };
    const QChar letter = move.size() == 5 ? move[4].toUpper() : NoPromotion;
    const int from = Square(QStringView(move).mid(0, 2));
    const int to = Square(QStringView(move).mid(2, 2));
    QVERIFY(game.TryMove(from, to, letter, false));
    QVERIFY(questions.isEmpty()); // never asked in test mode
    QVERIFY(game.TryMove(from, to, letter, true));
    QCOMPARE(questions, asked < 0 ? QList<int>{} : QList<int>{asked});
    if (asked >= 0) {
        QCOMPARE(positionWhenAsked, QStringLiteral("pawn arrived"));
    }
    QCOMPARE(PositionOf(game), after);
}

QTEST_GUILESS_MAIN(TestMoves)
#include "tst_Moves.moc"
