// Move-path counts on the standard test positions, FEN set-up and the standard FEN of a game
// at each half-move, and that counting leaves the game as it found it.
#include "LegalMoves.h"
#include "Perft.h"
#include "Record.h"
#include "RulesTestSupport.h"

#include <QtTest>
#include <cstdlib>

namespace {

const QString Initial = QStringLiteral("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
const QString Kiwipete =
    QStringLiteral("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
const QString Position3 = QStringLiteral("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1");
const QString Position4 =
    QStringLiteral("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1");
const QString Position5 =
    QStringLiteral("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8");
const QString Position6 =
    QStringLiteral("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10");

// Every (from, to) pair tried in index order, as the search for a legal move is specified.
std::vector<std::pair<int, int>> TrialOfEveryPair(TGame &game) {
    std::vector<std::pair<int, int>> moves;
    for (int from = 0; from < 64; ++from) {
        for (int to = 0; to < 64; ++to) {
            if (to != from && game.TryMove(from, to, NoPromotion, false))
                moves.emplace_back(from, to);
        }
    }
    return moves;
}

// A square attacked as a scan of every piece of the attacker finds it: the line counts of
// CountOnLine, the king's and knight's distances, the pawn's two forward diagonals.
bool AttackedByScan(const TBoard &board, int column, int row, TColor attacker) {
    const int reach = board.Squares[row * 8 + column]->Piece ? 2 : 1;
    for (const auto &square : board.Squares) {
        const TPieces *piece = square->Piece;
        if (!piece || piece->Color != attacker)
            continue;
        const int dx = std::abs(column - square->Column);
        const int dy = std::abs(row - square->Row);
        const bool line = board.CountOnLine(column, row, square->Column, square->Row) == reach;
        const bool attacks = piece->Kind == King     ? dx <= 1 && dy <= 1
                             : piece->Kind == Queen  ? line
                             : piece->Kind == Rook   ? (dx == 0 || dy == 0) && line
                             : piece->Kind == Knight ? dx * dy == 2
                             : piece->Kind == Bishop
                                 ? dx == dy && line
                                 : dx == 1 && row == square->Row + (attacker == White ? 1 : -1);
        if (attacks)
            return true;
    }
    return false;
}

bool KingAttackedByScan(const TBoard &board, TColor color) {
    for (int i = 0; i < 64; ++i) {
        const int index = color == White ? i : 63 - i;
        const TPieces *piece = board.Squares[index]->Piece;
        if (piece && piece->Color == color && piece->Kind == King)
            return AttackedByScan(board, index % 8, index / 8, Opponent(color));
    }
    return false;
}

bool ShapeOf(TKind kind, int dx, int dy) {
    switch (kind) {
    case King:
        return dx <= 1 && dy <= 1;
    case Queen:
        return dx == dy || dx == 0 || dy == 0;
    case Rook:
        return dx == 0 || dy == 0;
    case Knight:
        return dx * dy == 2;
    case Bishop:
        return dx == dy;
    default:
        return false;
    }
}

// The move rules written out square by square, without bitboards: shapes and line counts,
// castling and en passant by their conditions, and the trial on the live board with the king's
// attack found by a scan of every piece.
std::optional<TMove> PlainJudge(TGame &game, int from, int to) {
    TBoard &board = *game.Board;
    TFields &origin = *board.Squares[from];
    TFields &target = *board.Squares[to];
    TPieces *const mover = origin.Piece;
    if (!mover || mover->Color != game.SideToMove)
        return std::nullopt;
    const int dx = std::abs(target.Column - origin.Column);
    const int dy = std::abs(target.Row - origin.Row);
    const int forward = mover->Color == White ? 1 : -1;
    const int count = board.CountOnLine(origin.Column, origin.Row, target.Column, target.Row);
    const int passant = game.EnPassantSquare;
    TMove move{from, to, mover->Kind};
    bool allowed = false;
    if (target.Piece) {
        if (target.Piece->Color == mover->Color || target.Piece->Kind == King)
            return std::nullopt;
        move.Capture = true;
        allowed = count <= 2 && (mover->Kind == Pawn ? dx == 1 && target.Row == origin.Row + forward
                                                     : ShapeOf(mover->Kind, dx, dy));
    } else if (mover->Kind == Pawn && dx == 0) {
        const int rows = (target.Row - origin.Row) * forward;
        const int startRow = mover->Color == White ? 1 : 6;
        allowed = count <= 1 && rows > 0 && (origin.Row == startRow ? rows <= 2 : rows == 1);
    } else if (mover->Kind == Pawn) {
        const TPieces *passed = passant < 0 ? nullptr : board.Squares[passant]->Piece;
        allowed = dx == 1 && passed && passed->Kind == Pawn && target.Row == origin.Row + forward &&
                  to == passant + 8 * forward;
        move.Capture = move.EnPassant = allowed;
    } else {
        const int home = mover->Color == White ? 0 : 7;
        move.Castling = mover->Kind == King && origin.Column == 4 && origin.Row == home &&
                        target.Row == home && (target.Column == 6 || target.Column == 2);
        const bool isShort = target.Column == 6;
        const std::uint8_t right = mover->Color == White
                                       ? (isShort ? game.WhiteCastleShort : game.WhiteCastleLong)
                                       : (isShort ? game.BlackCastleShort : game.BlackCastleLong);
        allowed = count <= 1 &&
                  (move.Castling
                       ? right && board.CountOnLine(4, home, isShort ? 7 : 0, home) == 2 &&
                             !KingAttackedByScan(board, mover->Color) &&
                             !AttackedByScan(board, isShort ? 5 : 3, home, Opponent(mover->Color))
                       : ShapeOf(mover->Kind, dx, dy));
    }
    if (!allowed)
        return std::nullopt;
    // The scan reads the squares alone, so the trial may write them if it puts them back.
    TFields &takenSquare = move.EnPassant ? *board.Squares[passant] : target;
    TPieces *const taken = takenSquare.Piece;
    takenSquare.Piece = nullptr;
    target.Piece = mover;
    origin.Piece = nullptr;
    const bool safe = !KingAttackedByScan(board, mover->Color);
    target.Piece = nullptr;
    takenSquare.Piece = taken;
    origin.Piece = mover;
    if (!safe)
        return std::nullopt;
    move.Promotion = mover->Kind == Pawn && (target.Row == 7 || target.Row == 0);
    return move;
}

} // namespace

class TestPerft : public QObject {
    Q_OBJECT

private slots:
    void legalMovesMatchTrialOfEveryPair();
    void perft_data();
    void perft();
    void perftLeavesGameAsItWas();
    void divide();
    void fenRoundTrip_data();
    void fenRoundTrip();
    void fenSetsUpState();
    void badFen_data();
    void badFen();
    void standardFenAfter_data();
    void standardFenAfter();
    void standardFenAfterRefuses_data();
    void standardFenAfterRefuses();
};

void TestPerft::perft_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<int>("depth");
    QTest::addColumn<quint64>("count");
    // Published counts for these positions.
    const struct {
        const char *name;
        QString fen;
        std::array<quint64, 4> counts;
    } positions[] = {
        {"initial", Initial, {20, 400, 8902, 197281}},
        {"kiwipete", Kiwipete, {48, 2039, 97862, 4085603}},
        {"position 3", Position3, {14, 191, 2812, 43238}},
        {"position 4", Position4, {6, 264, 9467, 422333}},
        {"position 5", Position5, {44, 1486, 62379, 2103487}},
        {"position 6", Position6, {46, 2079, 89890, 3894594}},
    };
    for (const auto &position : positions) {
        for (int depth = 1; depth <= 4; ++depth) {
            QTest::addRow("%s, depth %d", position.name, depth)
                << position.fen << depth << position.counts[depth - 1];
        }
    }
    QTest::newRow("depth 0") << Initial << 0 << quint64(1);
    QTest::newRow("mated side") << "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"
                                << 1 << quint64(0);
}

void TestPerft::perft() {
    QFETCH(QString, fen);
    QFETCH(int, depth);
    QFETCH(quint64, count);
    TGame game;
    SetUpAndPlay(game, fen, u"");
    QCOMPARE(Perft(game, depth), count);
}

void TestPerft::perftLeavesGameAsItWas() {
    TGame game;
    // A game with a history and a promotion already played.
    SetUpAndPlay(game, Position4, u"c4c5");
    SetUpAndPlay(game, QString(), u"b2a1q");
    int hookCalls = 0;
    game.GameMessageHook = [&](const QString &) { ++hookCalls; };
    game.PromotionHook = [&](std::uint8_t) {
        ++hookCalls;
        return Queen;
    };
    const TFullState before(game);
    QCOMPARE(Perft(game, 3), Perft(game, 3)); // the second count starts where the first left
    QVERIFY(TFullState(game) == before);
    QCOMPARE(hookCalls, 0);
    QVERIFY(game.GameMessageHook && game.PromotionHook); // handed back
    QVERIFY(game.TryMove(Square(u"d1"), Square(u"a1"), NoPromotion, true));
    QCOMPARE(hookCalls, 1);
}

void TestPerft::divide() {
    TGame game;
    SetUpAndPlay(game, "8/P7/8/8/8/8/8/k3K3 w - - 0 1", u"");
    std::vector<TPerftBranch> branches = PerftDivide(game, 1);
    QStringList entries;
    for (const TPerftBranch &branch : branches) {
        entries.append(branch.Entry);
        QCOMPARE(branch.Count, quint64(1));
    }
    QCOMPARE(entries, (QStringList{"4>3", "4>5", "4>11", "4>12", "4>13", "48>56,Q", "48>56,R",
                                   "48>56,K", "48>56,B"}));

    SetUpAndPlay(game, Kiwipete, u"");
    quint64 total = 0;
    for (const TPerftBranch &branch : PerftDivide(game, 2))
        total += branch.Count;
    QCOMPARE(total, Perft(game, 2));
    QCOMPARE(FenOf(game).section(u' ', 0, 3), Kiwipete.section(u' ', 0, 3));
}

void TestPerft::fenRoundTrip_data() {
    QTest::addColumn<QString>("fen");
    for (const QString &fen : {Initial, Kiwipete, Position3, Position4, Position5, Position6})
        QTest::newRow(qPrintable(fen)) << fen;
    QTest::newRow("en passant e6")
        << "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2";
    QTest::newRow("en passant c3") << "rnbqkbnr/pppppppp/8/8/2P5/8/PP1PPPPP/RNBQKBNR b KQkq c3 0 1";
}

void TestPerft::fenRoundTrip() {
    QFETCH(QString, fen);
    TGame game;
    SetUpAndPlay(game, fen, u"");
    QCOMPARE(PositionOf(game), fen.section(u' ', 0, 3));
}

void TestPerft::fenSetsUpState() {
    TGame game;
    SetUpAndPlay(game, QString(), u"e2e4 e7e5");
    // A right whose rook is not at home is dropped; the lists start empty.
    SetUpAndPlay(game, "r3k2r/8/8/8/3pP3/8/8/R3K1R1 b KQkq e3 0 30", u"");
    QCOMPARE(game.SideToMove, Black);
    QCOMPARE(game.EnPassantSquare, Square(u"e4"));
    QCOMPARE(game.WhiteCastleShort, 0);
    QCOMPARE(game.WhiteCastleLong, 1);
    QCOMPARE(game.BlackCastleShort, 1);
    QCOMPARE(game.BlackCastleLong, 1);
    QVERIFY(game.MoveRecord.isEmpty());
    QVERIFY(game.Notation.isEmpty());
    // The en-passant square works as after a double step.
    QVERIFY(game.TryMove(Square(u"d4"), Square(u"e3"), NoPromotion, true));
    QCOMPARE(PositionOf(game), QStringLiteral("r3k2r/8/8/8/8/4p3/8/R3K1R1 w Qkq -"));
}

void TestPerft::badFen_data() {
    QTest::addColumn<QString>("fen");
    QTest::newRow("empty") << "";
    QTest::newRow("too few fields") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq";
    QTest::newRow("too many fields") << Initial + " 7";
    QTest::newRow("seven ranks") << "rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    QTest::newRow("unknown letter") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - 0 1";
    QTest::newRow("kelvin sign as king")
        << QString::fromUtf8("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ\u212ABNR w KQkq - 0 1");
    QTest::newRow("nine squares") << "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    QTest::newRow("seven squares") << "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    QTest::newRow("digit 9") << "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    QTest::newRow("side x") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1";
    QTest::newRow("castling twice") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KK - 0 1";
    QTest::newRow("castling letter") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w A - 0 1";
    QTest::newRow("en passant row") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e4 0 1";
    QTest::newRow("en passant wrong side")
        << "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e6 0 2";
    QTest::newRow("en passant without pawn")
        << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq e3 0 1";
    QTest::newRow("negative counter")
        << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - -1 1";
    QTest::newRow("word counter") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 x";
    QTest::newRow("no kings") << "8/8/8/8/8/8/8/8 w - - 0 1";
    QTest::newRow("two white kings") << "4k3/8/8/8/8/8/8/3KK3 w - - 0 1";
    QTest::newRow("pawn on the last rank") << "P3k3/8/8/8/8/8/8/4K3 w - - 0 1";
    QTest::newRow("side not to move in check") << "4k3/4R3/8/8/8/8/8/4K3 w - - 0 1";
}

void TestPerft::badFen() {
    QFETCH(QString, fen);
    TGame game;
    SetUpAndPlay(game, QString(), u"e2e4");
    const TFullState before(game);
    QString error;
    QVERIFY(!SetUpFromFen(game, fen, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(TFullState(game) == before);
    QVERIFY(!SetUpFromFen(game, fen)); // no place for the reason is fine too
}

void TestPerft::standardFenAfter_data() {
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QStringList>("fens"); // after 0, 1, 2 ... half-moves
    // The king walks to f4 behind its e5 pawn, which the bishop on d6 then pins: after f7-f5
    // the pawn may not take en passant, so no target is written (a generator that looks at
    // the pawns alone would write f6). A king walk and a rook taking on a1 end the rights.
    QTest::newRow("en passant pinned, then legal")
        << "e2e4 e7e6 e4e5 f8d6 e1e2 a7a6 e2e3 a6a5 e3f4 f7f5 f4g3 a5a4 b2b4 a4b3 a2b3 a8a1"
        << QStringList{
               "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
               "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1",
               "rnbqkbnr/pppp1ppp/4p3/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2",
               "rnbqkbnr/pppp1ppp/4p3/4P3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2",
               "rnbqk1nr/pppp1ppp/3bp3/4P3/8/8/PPPP1PPP/RNBQKBNR w KQkq - 1 3",
               "rnbqk1nr/pppp1ppp/3bp3/4P3/8/8/PPPPKPPP/RNBQ1BNR b kq - 2 3",
               "rnbqk1nr/1ppp1ppp/p2bp3/4P3/8/8/PPPPKPPP/RNBQ1BNR w kq - 0 4",
               "rnbqk1nr/1ppp1ppp/p2bp3/4P3/8/4K3/PPPP1PPP/RNBQ1BNR b kq - 1 4",
               "rnbqk1nr/1ppp1ppp/3bp3/p3P3/8/4K3/PPPP1PPP/RNBQ1BNR w kq - 0 5",
               "rnbqk1nr/1ppp1ppp/3bp3/p3P3/5K2/8/PPPP1PPP/RNBQ1BNR b kq - 1 5",
               "rnbqk1nr/1ppp2pp/3bp3/p3Pp2/5K2/8/PPPP1PPP/RNBQ1BNR w kq - 0 6",
               "rnbqk1nr/1ppp2pp/3bp3/p3Pp2/8/6K1/PPPP1PPP/RNBQ1BNR b kq - 1 6",
               "rnbqk1nr/1ppp2pp/3bp3/4Pp2/p7/6K1/PPPP1PPP/RNBQ1BNR w kq - 0 7",
               "rnbqk1nr/1ppp2pp/3bp3/4Pp2/pP6/6K1/P1PP1PPP/RNBQ1BNR b kq b3 0 7",
               "rnbqk1nr/1ppp2pp/3bp3/4Pp2/8/1p4K1/P1PP1PPP/RNBQ1BNR w kq - 0 8",
               "rnbqk1nr/1ppp2pp/3bp3/4Pp2/8/1P4K1/2PP1PPP/RNBQ1BNR b kq - 0 8",
               "1nbqk1nr/1ppp2pp/3bp3/4Pp2/8/1P4K1/2PP1PPP/rNBQ1BNR w k - 0 9",
           };
    // Taking the rook at home ends Black's long castling, a rook move the short one; a king
    // that walks away and back has lost both; the clock counts the quiet moves meanwhile.
    QTest::newRow("castling rights lost")
        << "g2g3 b7b5 f1g2 g8f6 g2a8 h8g8 e1f1 g8h8 f1e1"
        << QStringList{
               "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
               "rnbqkbnr/pppppppp/8/8/8/6P1/PPPPPP1P/RNBQKBNR b KQkq - 0 1",
               "rnbqkbnr/p1pppppp/8/1p6/8/6P1/PPPPPP1P/RNBQKBNR w KQkq - 0 2",
               "rnbqkbnr/p1pppppp/8/1p6/8/6P1/PPPPPPBP/RNBQK1NR b KQkq - 1 2",
               "rnbqkb1r/p1pppppp/5n2/1p6/8/6P1/PPPPPPBP/RNBQK1NR w KQkq - 2 3",
               "Bnbqkb1r/p1pppppp/5n2/1p6/8/6P1/PPPPPP1P/RNBQK1NR b KQk - 0 3",
               "Bnbqkbr1/p1pppppp/5n2/1p6/8/6P1/PPPPPP1P/RNBQK1NR w KQ - 1 4",
               "Bnbqkbr1/p1pppppp/5n2/1p6/8/6P1/PPPPPP1P/RNBQ1KNR b - - 2 4",
               "Bnbqkb1r/p1pppppp/5n2/1p6/8/6P1/PPPPPP1P/RNBQ1KNR w - - 3 5",
               "Bnbqkb1r/p1pppppp/5n2/1p6/8/6P1/PPPPPP1P/RNBQK1NR b - - 4 5",
           };
    // The capture en passant lands on an empty square and still starts the clock afresh; the
    // knights' quiet moves around it count up from there.
    QTest::newRow("en passant resets the clock")
        << "e2e4 g8f6 e4e5 f6g8 g1f3 d7d5 e5d6 b8c6 f3g1"
        << QStringList{
               "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
               "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1",
               "rnbqkb1r/pppppppp/5n2/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 1 2",
               "rnbqkb1r/pppppppp/5n2/4P3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2",
               "rnbqkbnr/pppppppp/8/4P3/8/8/PPPP1PPP/RNBQKBNR w KQkq - 1 3",
               "rnbqkbnr/pppppppp/8/4P3/8/5N2/PPPP1PPP/RNBQKB1R b KQkq - 2 3",
               "rnbqkbnr/ppp1pppp/8/3pP3/8/5N2/PPPP1PPP/RNBQKB1R w KQkq d6 0 4",
               "rnbqkbnr/ppp1pppp/3P4/8/8/5N2/PPPP1PPP/RNBQKB1R b KQkq - 0 4",
               "r1bqkbnr/ppp1pppp/2nP4/8/8/5N2/PPPP1PPP/RNBQKB1R w KQkq - 1 5",
               "r1bqkbnr/ppp1pppp/2nP4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq - 2 5",
           };
    // A pawn takes the rook on g8 and becomes a knight ("K" in the record, "N" in FEN); a
    // later one takes the queen and, the entry naming no piece, becomes a queen.
    QTest::newRow("promotions")
        << "h2h4 g7g5 h4g5 h7h6 g5h6 g8f6 h6h7 h8g8 h7g8k f6g8 "
           "a2a4 b7b5 a4b5 c7c5 b5c6 b8a6 c6c7 a6b4 c7d8 e8d8"
        << QStringList{
               "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
               "rnbqkbnr/pppppppp/8/8/7P/8/PPPPPPP1/RNBQKBNR b KQkq - 0 1",
               "rnbqkbnr/pppppp1p/8/6p1/7P/8/PPPPPPP1/RNBQKBNR w KQkq - 0 2",
               "rnbqkbnr/pppppp1p/8/6P1/8/8/PPPPPPP1/RNBQKBNR b KQkq - 0 2",
               "rnbqkbnr/pppppp2/7p/6P1/8/8/PPPPPPP1/RNBQKBNR w KQkq - 0 3",
               "rnbqkbnr/pppppp2/7P/8/8/8/PPPPPPP1/RNBQKBNR b KQkq - 0 3",
               "rnbqkb1r/pppppp2/5n1P/8/8/8/PPPPPPP1/RNBQKBNR w KQkq - 1 4",
               "rnbqkb1r/pppppp1P/5n2/8/8/8/PPPPPPP1/RNBQKBNR b KQkq - 0 4",
               "rnbqkbr1/pppppp1P/5n2/8/8/8/PPPPPPP1/RNBQKBNR w KQq - 1 5",
               "rnbqkbN1/pppppp2/5n2/8/8/8/PPPPPPP1/RNBQKBNR b KQq - 0 5",
               "rnbqkbn1/pppppp2/8/8/8/8/PPPPPPP1/RNBQKBNR w KQq - 0 6",
               "rnbqkbn1/pppppp2/8/8/P7/8/1PPPPPP1/RNBQKBNR b KQq - 0 6",
               "rnbqkbn1/p1pppp2/8/1p6/P7/8/1PPPPPP1/RNBQKBNR w KQq - 0 7",
               "rnbqkbn1/p1pppp2/8/1P6/8/8/1PPPPPP1/RNBQKBNR b KQq - 0 7",
               "rnbqkbn1/p2ppp2/8/1Pp5/8/8/1PPPPPP1/RNBQKBNR w KQq c6 0 8",
               "rnbqkbn1/p2ppp2/2P5/8/8/8/1PPPPPP1/RNBQKBNR b KQq - 0 8",
               "r1bqkbn1/p2ppp2/n1P5/8/8/8/1PPPPPP1/RNBQKBNR w KQq - 1 9",
               "r1bqkbn1/p1Pppp2/n7/8/8/8/1PPPPPP1/RNBQKBNR b KQq - 0 9",
               "r1bqkbn1/p1Pppp2/8/8/1n6/8/1PPPPPP1/RNBQKBNR w KQq - 1 10",
               "r1bQkbn1/p2ppp2/8/8/1n6/8/1PPPPPP1/RNBQKBNR b KQq - 0 10",
               "r1bk1bn1/p2ppp2/8/8/1n6/8/1PPPPPP1/RNBQKBNR w KQ - 0 11",
           };
}

void TestPerft::standardFenAfter() {
    QFETCH(QString, moves);
    QFETCH(QStringList, fens);
    const QStringList record = Entries(moves);
    QCOMPARE(fens.size(), record.size() + 1);
    for (int ply = 0; ply <= record.size(); ++ply)
        QCOMPARE(StandardFenAfter(record, ply), fens[ply]);
    // The placement, side and castling fields are the ones FenOf writes for the same game.
    TGame game;
    QVERIFY(game.ReplayMoves(record));
    QCOMPARE(FenOf(game).section(u' ', 0, 2), fens.back().section(u' ', 0, 2));
}

void TestPerft::standardFenAfterRefuses_data() {
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<int>("plies");
    const QStringList good = Entries(u"e2e4 e7e5");
    QTest::newRow("negative") << good << -1;
    QTest::newRow("beyond the record") << good << 3;
    QTest::newRow("not an entry") << QStringList{"12>28", "52-36"} << 2;
    QTest::newRow("illegal move") << QStringList{"12>28", "12>20"} << 2;
}

void TestPerft::standardFenAfterRefuses() {
    QFETCH(QStringList, record);
    QFETCH(int, plies);
    QVERIFY(StandardFenAfter(record, plies).isEmpty());
    // Entries after the ones asked for are not looked at.
    QCOMPARE(StandardFenAfter(record, 1),
             QStringLiteral("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"));
}

// Positions from seeded random games (castling, en passant and promotion come up), where the
// visit of the legal moves must meet exactly the moves of the trial of every pair, in its
// order, and those the rules judged square by square give, and the attack test must agree
// with a scan of every piece.
void TestPerft::legalMovesMatchTrialOfEveryPair() {
    int positions = 0;
    TGameFeatures features;
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        const std::optional<QStringList> record =
            RandomGame(seed, 90, features, TGameEnd::MayEndEarly);
        QVERIFY(record);
        TGame game;
        for (qsizetype ply = 0; ply <= record->size(); ++ply, ++positions) {
            const std::vector<std::pair<int, int>> expected = TrialOfEveryPair(game);
            std::vector<std::pair<int, int>> visited;
            std::vector<TMove> values;
            VisitLegalMoves(game, [&](const TMove &move) {
                QCOMPARE(move.Mover, game.Board->Squares[move.From]->Piece->Kind);
                visited.emplace_back(move.From, move.To);
                values.push_back(move);
            });
            const QString where = FenOf(game);
            QVERIFY2(visited == expected, qPrintable(where));
            // The same moves with the same flags as the rules judged square by square.
            std::vector<TMove> plain;
            for (int from = 0; from < 64; ++from) {
                for (int to = 0; to < 64; ++to) {
                    if (const std::optional<TMove> move = PlainJudge(game, from, to))
                        plain.push_back(*move);
                }
            }
            QVERIFY2(values == plain, qPrintable(where));
            QVERIFY(game.Board->BitboardsAgree());
            QCOMPARE(game.HasNoLegalMove(game.SideToMove), expected.empty());
            for (int i = 0; i < 64; ++i) {
                for (const TColor attacker : {White, Black}) {
                    QVERIFY2(game.Board->IsSquareAttacked(i % 8, i / 8, attacker) ==
                                 AttackedByScan(*game.Board, i % 8, i / 8, attacker),
                             qPrintable(QStringLiteral("%1, square %2").arg(where).arg(i)));
                }
            }
            if (ply == record->size())
                break;
            const std::optional<TRecordEntry> entry = TRecordEntry::Parse(record->at(ply));
            QVERIFY(entry);
            const TBitPosition before = TBitPosition::Of(game);
            const std::optional<TMove> judged = game.JudgeMove(entry->From, entry->To);
            QVERIFY(judged);
            QVERIFY(game.TryMove(entry->From, entry->To, entry->Promotion, true));
            // The board's bitboards follow its squares, and the search, which plays on
            // bitboards alone, ends where the game does.
            QVERIFY2(game.Board->BitboardsAgree(), qPrintable(where));
            TBitPosition played = before;
            PlayOn(played, *judged,
                   judged->Promotion ? KindOfPromotionLetter(entry->Promotion) : Pawn);
            QVERIFY2(played == TBitPosition::Of(game), qPrintable(where));
        }
    }
    QVERIFY(positions > 300);
    QVERIFY(features.Castlings > 0 && features.EnPassants > 0 && features.Promotions > 0);
}

QTEST_GUILESS_MAIN(TestPerft)
#include "tst_Perft.moc"
