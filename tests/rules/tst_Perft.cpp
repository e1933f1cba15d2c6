// Move-path counts on the standard test positions, FEN set-up, and that counting leaves the
// game as it found it.
#include "LegalMoves.h"
#include "Perft.h"
#include "RulesTestSupport.h"

#include <QRandomGenerator>
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

// Positions from seeded random games (castling, en passant and promotion come up), where the
// visit of the legal moves must meet exactly the moves of the trial of every pair, in its
// order, and those the rules judged square by square give, and the attack test must agree
// with a scan of every piece.
void TestPerft::legalMovesMatchTrialOfEveryPair() {
    QRandomGenerator random(8);
    int positions = 0;
    for (int round = 0; round < 12; ++round) {
        TGame game;
        for (int ply = 0; ply < 60; ++ply, ++positions) {
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
            if (expected.empty())
                break;
            // Pawn moves and captures are favoured, so that games open up and promote.
            auto [from, to] = expected[random.bounded(int(expected.size()))];
            for (int attempt = 0; attempt < 3; ++attempt) {
                const auto [f, t] = expected[random.bounded(int(expected.size()))];
                if (game.Board->Squares[f]->Piece->Kind == Pawn || game.Board->Squares[t]->Piece)
                    std::tie(from, to) = std::pair{f, t};
            }
            const QChar letter = PromotionLetter(PromotionKinds[random.bounded(4)]);
            const TBitPosition before = TBitPosition::Of(game);
            const std::optional<TMove> judged = game.JudgeMove(from, to);
            QVERIFY(judged);
            QVERIFY(game.TryMove(from, to, letter, true));
            // The board's bitboards follow its squares, and the search, which plays on
            // bitboards alone, ends where the game does.
            QVERIFY2(game.Board->BitboardsAgree(), qPrintable(where));
            TBitPosition played = before;
            PlayOn(played, *judged, judged->Promotion ? KindOfPromotionLetter(letter) : Pawn);
            QVERIFY2(played == TBitPosition::Of(game), qPrintable(where));
        }
    }
    QVERIFY(positions > 300);
}

QTEST_GUILESS_MAIN(TestPerft)
#include "tst_Perft.moc"
