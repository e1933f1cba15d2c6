// The attack tables and the bitboards the board keeps beside its squares.
#include "LegalMoves.h"
#include "Record.h"
#include "RulesTestSupport.h"
#include "Snapshot.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// The squares a slider reaches from `from` along the steps, walking square by square up to
// and including the first occupied one.
TBitboard WalkRays(int from, TBitboard occupied, std::initializer_list<std::pair<int, int>> steps) {
    TBitboard reached = 0;
    for (const auto [dc, dr] : steps) {
        for (int c = from % 8 + dc, r = from / 8 + dr; c >= 0 && c < 8 && r >= 0 && r < 8;
             c += dc, r += dr) {
            reached |= SquareBit(r * 8 + c);
            if (occupied & SquareBit(r * 8 + c))
                break;
        }
    }
    return reached;
}

} // namespace

class TestBitboards : public QObject {
    Q_OBJECT

private slots:
    void slidingAttacksMatchRayWalk();
    void setUpsKeepBitboards();
};

// Random occupancies from sparse to crowded, every square of each.
void TestBitboards::slidingAttacksMatchRayWalk() {
    QRandomGenerator random(15);
    for (int round = 0; round < 400; ++round) {
        TBitboard occupied = random.generate64();
        for (int thinning = round % 4; thinning > 0; --thinning)
            occupied &= random.generate64();
        for (int from = 0; from < 64; ++from) {
            const QByteArray where =
                QByteArray::number(occupied, 16) + " from " + SquareName(from).toLatin1();
            QVERIFY2(RookAttacks(from, occupied) ==
                         WalkRays(from, occupied, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}),
                     where);
            QVERIFY2(BishopAttacks(from, occupied) ==
                         WalkRays(from, occupied, {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}}),
                     where);
        }
    }
}

// Every way a game's squares change besides a move: reset, FEN, adopting a replay, undo, a
// snapshot taken back after a promotion.
void TestBitboards::setUpsKeepBitboards() {
    TGame game;
    QVERIFY(game.Board->BitboardsAgree());
    SetUpAndPlay(game, "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", u"");
    QVERIFY(game.Board->BitboardsAgree());
    const TPositionSnapshot snapshot(game);
    SetUpAndPlay(game, QString(), u"b7b8q");
    snapshot.Restore(game);
    QVERIFY(game.Board->BitboardsAgree());
    QCOMPARE(PositionOf(game), QStringLiteral("4k3/1P6/8/8/8/8/8/4K3 w - -"));

    game.Reset();
    QVERIFY(game.Board->BitboardsAgree());
    TReplay replay = ReplayRecord(Entries(u"e2e4 d7d5 e4d5 c7c5 d5c6"));
    QVERIFY(!replay.Bad);
    game.Adopt(std::move(*replay.Game));
    QVERIFY(game.Board->BitboardsAgree());
    QVERIFY(replay.Game->Board->BitboardsAgree()); // left empty
    QCOMPARE(replay.Game->Board->Occupancy().All(), TBitboard(0));
    game.UndoLastMove();
    QVERIFY(game.Board->BitboardsAgree());
    QVERIFY(game.TryMove(Square(u"d5"), Square(u"c6"), NoPromotion, true)); // en passant again
    QVERIFY(game.Board->BitboardsAgree());
}

QTEST_GUILESS_MAIN(TestBitboards)
#include "tst_Bitboards.moc"
