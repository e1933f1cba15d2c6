// The written notation, its columns and marks, the game message and the record entries.
#include "RulesTestSupport.h"
#include "TypedMove.h"

#include <QtTest>

namespace {

// Lines are written with '·' for each blank so that the columns can be read.
QStringList Lines(std::initializer_list<const char16_t *> lines) {
    QStringList result;
    for (const char16_t *line : lines)
        result.append(QString::fromUtf16(line).replace(u'·', u' '));
    return result;
}

} // namespace

class TestNotation : public QObject {
    Q_OBJECT

private slots:
    void notation_data();
    void notation();
    void moveNumbersAcrossColumns();
    void typedMoves_data();
    void typedMoves();
};

void TestNotation::notation_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QStringList>("notation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("lastEntry");

    const QString start;
    const QString check = QStringLiteral("Шах!");
    const QString mate = QStringLiteral("Мат!");
    const QString stalemate = QStringLiteral("Пат!");
    QTest::newRow("first move") << start << "e2e4" << Lines({u"·1.·e2-e4"}) << ""
                                << "12>28";
    QTest::newRow("black reply") << start << "e2e4 e7e5" << Lines({u"·1.·e2-e4····e7-e5"}) << ""
                                 << "52>36";
    QTest::newRow("knights") << start << "e2e4 e7e5 g1f3 b8c6"
                             << Lines({u"·1.·e2-e4····e7-e5", u"·2.·Кg1-f3···Кb8-c6"}) << ""
                             << "57>42";
    QTest::newRow("short castling, fifth move")
        << start << "e2e4 d7d6 g1f3 b8c6 f1c4 c8e6 d2d3 d8d7 e1g1"
        << Lines({u"·1.·e2-e4····d7-d6", u"·2.·Кg1-f3···Кb8-c6", u"·3.·Сf1-c4···Сc8-e6",
                  u"·4.·d2-d3····Фd8-d7", u"·5.·0-0···"})
        << ""
        << "4>6";
    QTest::newRow("long castling reply")
        << start << "e2e4 d7d6 g1f3 b8c6 f1c4 c8e6 d2d3 d8d7 e1g1 e8c8"
        << Lines({u"·1.·e2-e4····d7-d6", u"·2.·Кg1-f3···Кb8-c6", u"·3.·Сf1-c4···Сc8-e6",
                  u"·4.·d2-d3····Фd8-d7", u"·5.·0-0······0-0-0·"})
        << ""
        << "60>58";
    QTest::newRow("en passant, seventh move")
        << start << "e2e4 a7a6 e4e5 a6a5 h2h3 h7h6 h3h4 h6h5 a2a3 a5a4 b2b3 d7d5 e5d6"
        << Lines({u"·1.·e2-e4····a7-a6", u"·2.·e4-e5····a6-a5", u"·3.·h2-h3····h7-h6",
                  u"·4.·h3-h4····h6-h5", u"·5.·a2-a3····a5-a4", u"·6.·b2-b3····d7-d5",
                  u"·7.·e5xd6"})
        << ""
        << "36>43";
    const QString shuffle = "e2e4 d7d6 g1f3 b7b5 f3g1 g8f6 g1f3 f6g8 f3g1 g8f6 g1f3 f6g8 "
                            "f3g1 g8f6 g1f3 f6g8 f3g1 g8f6 f1b5";
    const QStringList tenMoves = Lines(
        {u"·1.·e2-e4····d7-d6", u"·2.·Кg1-f3···b7-b5", u"·3.·Кf3-g1···Кg8-f6",
         u"·4.·Кg1-f3···Кf6-g8", u"·5.·Кf3-g1···Кg8-f6", u"·6.·Кg1-f3···Кf6-g8",
         u"·7.·Кf3-g1···Кg8-f6", u"·8.·Кg1-f3···Кf6-g8", u"·9.·Кf3-g1···Кg8-f6", u"10.·Сf1xb5+"});
    QTest::newRow("check, tenth move") << start << shuffle << tenMoves << check << "5>33";
    QStringList replied = tenMoves;
    replied.last() = QStringLiteral("10. Сf1xb5+  c7-c6");
    QTest::newRow("reply clears the message") << start << shuffle + " c7c6" << replied << ""
                                              << "50>42";
    QTest::newRow("fool's mate") << start << "f2f3 e7e5 g2g4 d8h4"
                                 << Lines({u"·1.·f2-f3····e7-e5", u"·2.·g2-g4····Фd8-h4x"}) << mate
                                 << "59>31";
    QTest::newRow("scholar's mate") << start << "e2e4 e7e5 f1c4 b8c6 d1h5 g8f6 h5f7"
                                    << Lines({u"·1.·e2-e4····e7-e5", u"·2.·Сf1-c4···Кb8-c6",
                                              u"·3.·Фd1-h5···Кg8-f6", u"·4.·Фh5xf7x"})
                                    << mate << "39>53";
    QTest::newRow("king step") << start << "e2e4 e7e5 e1e2"
                               << Lines({u"·1.·e2-e4····e7-e5", u"·2.·Крe1-e2"}) << ""
                               << "4>12";
    QTest::newRow("capture promotes to queen with check")
        << "5r1k/4P3/8/8/8/8/8/4K3 w - - 0 1"
        << "e7f8q" << Lines({u"·1.·e7xf8Ф+"}) << check << "52>61,Q";
    QTest::newRow("knight promotion") << "8/P7/8/8/8/8/8/k3K3 w - - 0 1"
                                      << "a7a8k" << Lines({u"·1.·a7-a8К"}) << ""
                                      << "48>56,K";
    QTest::newRow("rook promotion") << "8/P7/8/8/8/8/8/k3K3 w - - 0 1"
                                    << "a7a8r" << Lines({u"·1.·a7-a8Л+"}) << check << "48>56,R";
    QTest::newRow("bishop promotion") << "8/P7/8/8/8/8/8/k3K3 w - - 0 1"
                                      << "a7a8b" << Lines({u"·1.·a7-a8С"}) << ""
                                      << "48>56,B";
    QTest::newRow("short castling with check")
        << "5k2/8/8/8/8/8/8/4K2R w K - 0 1"
        << "e1g1" << Lines({u"·1.·0-0···+"}) << check << "4>6";
    QTest::newRow("long castling with check")
        << "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1"
        << "e1c1" << Lines({u"·1.·0-0-0·+"}) << check << "4>2";
    QTest::newRow("stalemate") << "k7/8/8/2Q5/8/8/8/7K w - - 0 1"
                               << "c5b6" << Lines({u"·1.·Фc5-b6="}) << stalemate << "34>41";
    QTest::newRow("white half of 12 gets one blank")
        << "8/8/8/8/8/8/4p3/R3K2k w - - 0 1"
        << "e1e2 h1h2" << Lines({u"·1.·Крe1xe2+·Крh1-h2"}) << ""
        << "7>15";
    QTest::newRow("stalemate by black")
        << "7K/8/8/5q2/8/8/8/k7 b - - 0 1"
        << "f5g6" << Lines({u"·1.·...······Фf5-g6="}) << stalemate << "37>46";
    QTest::newRow("game set up with black to move")
        << "4k3/8/8/8/8/7r/8/K7 b - - 0 1"
        << "h3h2 a1b1" << Lines({u"·1.·...······Лh3-h2", u"·2.·Крa1-b1"}) << ""
        << "0>1";
}

void TestNotation::notation() {
    QFETCH(QString, fen);
    QFETCH(QString, moves);
    QFETCH(QStringList, notation);
    QFETCH(QString, message);
    QFETCH(QString, lastEntry);
    TGame game;
    QStringList shown;
    game.GameMessageHook = [&](const QString &text) { shown.append(text); };
    SetUpAndPlay(game, fen, moves);
    QCOMPARE(game.Notation, notation);
    QCOMPARE(game.GameMessage, message);
    QCOMPARE(game.MoveRecord.size(), moves.count(u' ') + 1);
    QCOMPARE(shown.size(), game.MoveRecord.size()); // one message per move, empty or not
    QCOMPARE(shown.last(), message);
    QCOMPARE(game.MoveRecord.last(), lastEntry);
}

void TestNotation::moveNumbersAcrossColumns() {
    // Knights shuffle for 99 moves; on the 100th the king takes on e2 and uncovers the rook.
    TGame game;
    SetUpAndPlay(game, "n7/8/8/N7/8/8/4p3/R3K2k w - - 0 1", u"");
    for (int move = 1; move <= 99; ++move) {
        const bool out = move % 2 == 1;
        SetUpAndPlay(game, QString(), out ? u"a5b3 a8b6" : u"b3a5 b6a8");
    }
    SetUpAndPlay(game, QString(), u"e1e2");
    QCOMPARE(game.Notation.size(), 100);
    QCOMPARE(game.Notation[8], QStringLiteral(" 9. Кa5-b3   Кa8-b6"));
    QCOMPARE(game.Notation[9], QStringLiteral("10. Кb3-a5   Кb6-a8"));
    QCOMPARE(game.Notation[98], QStringLiteral("99. Кa5-b3   Кa8-b6"));
    QCOMPARE(game.Notation[99], QStringLiteral("100. Крe1xe2+"));
    QCOMPARE(game.GameMessage, QStringLiteral("Шах!"));
    // The white half already fills 13 columns: Black's move follows with no blank.
    SetUpAndPlay(game, QString(), u"h1h2");
    QCOMPARE(game.Notation[99], QStringLiteral("100. Крe1xe2+Крh1-h2"));
    QCOMPARE(game.MoveRecord.size(), 200);
}

// What a player types at the board: the record entry it names, or why it names none.
void TestNotation::typedMoves_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const char *fen, const char *moves, const char16_t *typed,
                        const char *expected) {
        QTest::newRow(name) << QString::fromLatin1(fen) << QString::fromLatin1(moves)
                            << QString::fromUtf16(typed) << QString::fromLatin1(expected);
    };
    const char *castle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char *promote = "7k/4P3/8/8/8/8/8/4K3 w - - 0 1";
    const char *rooks = "4k3/8/8/8/8/8/4K3/R6R w - - 0 1";
    const char *knights = "4k3/8/8/8/8/5N2/4K3/1N6 w - - 0 1";
    row("coordinates", "", "", u"e2e4", "12>28");
    row("coordinates, upper case, dash", "", "", u"E2-E4", "12>28");
    row("coordinates in Cyrillic look-alikes", "", "", u"е2е4", "12>28");
    row("pawn advance", "", "", u"e4", "12>28");
    row("pawn on the c file in Cyrillic", "", "", u"с4", "10>26");
    row("knight, Latin", "", "", u"Nf3", "6>21");
    row("knight, Latin lower case", "", "", u"nf3", "6>21");
    row("knight, Russian", "", "", u"Кf3", "6>21");
    row("knight, Russian lower case", "", "", u"кf3 ", "6>21");
    row("Latin K is the king", "", "", u"Kf3", "illegal");
    row("pawn capture", "", "e2e4 d7d5", u"exd5", "28>35");
    row("pawn capture, Cyrillic x, check mark", "", "e2e4 d7d5", u"eхd5+", "28>35");
    row("pawn capture as coordinates", "", "e2e4 d7d5", u"e4d5", "28>35");
    row("lower-case b: the pawn", "", "e2e3 e7e5", u"b3", "9>17");
    row("lower-case b: else the bishop", "", "e2e3 e7e5", u"bc4", "5>26");
    row("bishop, Russian", "", "e2e3 e7e5", u"Сc4", "5>26");
    row("short castling", castle, "", u"O-O", "4>6");
    row("long castling with zeros", castle, "", u"0-0-0", "4>2");
    row("castling with Cyrillic o", castle, "", u"о-о", "4>6");
    row("castling as the king's move", castle, "", u"Крg1", "4>6");
    row("castling as coordinates", castle, "", u"e1c1", "4>2");
    row("promotion, Latin", promote, "", u"e7e8q", "52>60,Q");
    row("promotion, Russian queen", promote, "", u"e7e8Ф", "52>60,Q");
    row("promotion, Russian knight", promote, "", u"e7e8К", "52>60,K");
    row("promotion, SAN knight", promote, "", u"e8=N", "52>60,K");
    row("promotion, Russian rook", promote, "", u"e8Л", "52>60,R");
    row("promotion, lower-case bishop", promote, "", u"e7e8b", "52>60,B");
    row("promotion without a piece: asked", promote, "", u"e7e8", "52>60");
    row("promotion to a king", promote, "", u"e7e8K", "not a move");
    row("rooks: ambiguous", rooks, "", u"Rd1", "ambiguous");
    row("rooks: ambiguous in Russian", rooks, "", u"Лd1", "ambiguous");
    row("rooks: by file", rooks, "", u"Rad1", "0>3");
    row("rooks: by file in Russian", rooks, "", u"Лhd1", "7>3");
    row("knights: ambiguous", knights, "", u"Кd2", "ambiguous");
    row("knights: by file", knights, "", u"Кbd2", "1>11");
    row("knights: by origin", knights, "", u"Nf3d2", "21>11");
    row("illegal advance", "", "", u"e2e5", "illegal");
    row("no move after mate", "", "f2f3 e7e5 g2g4 d8h4", u"e2e4", "illegal");
    row("nonsense", "", "", u"hello", "not a move");
    row("nothing", "", "", u"", "not a move");
}

void TestNotation::typedMoves() {
    QFETCH(QString, fen);
    QFETCH(QString, moves);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    TGame game;
    SetUpAndPlay(game, fen, moves);
    const TFullState before(game);
    const TTypedMove move = ResolveTypedMove(game, typed);
    QVERIFY(TFullState(game) == before);
    static const QStringList problems = {"", "not a move", "illegal", "ambiguous"};
    QCOMPARE(move.Move ? move.Move->Text() : problems.at(int(move.Problem)), expected);
    QCOMPARE(move.Problem == TTypedMoveProblem::None, move.Move.has_value());
}

QTEST_GUILESS_MAIN(TestNotation)
#include "tst_Notation.moc"
