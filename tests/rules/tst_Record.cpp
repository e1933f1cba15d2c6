// Record entries, replay and undo, and the saved-game file byte for byte.
#include "Record.h"
#include "RulesTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A White pawn walks from a2 to b7, taking on b5, a6 and b7, and then takes the rook on a8.
const QStringList PromotionGame = {"8>24",  "49>33", "24>33", "48>40",  "33>40",
                                   "58>49", "40>49", "55>47", "49>56,Q"};
const QStringList FoolsMate = {"13>21", "52>36", "14>30", "59>31"};

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void parseEntry_data();
    void parseEntry();
    void entryTextRoundTrip();
    void adoptReplay_data();
    void adoptReplay();
    void replay_data();
    void replay();
    void replayPromotion_data();
    void replayPromotion();
    void messageKeptAfterRejectedReplay();
    void replayOfOwnRecord();
    void undo_data();
    void undo();
    void undoAfterMateAcceptsMovesAgain();
    void findBadEntry_data();
    void findBadEntry();
    void savedGameBytes_data();
    void savedGameBytes();
    void savedGameLines_data();
    void savedGameLines();
    void replaySavedGame_data();
    void replaySavedGame();
    void writeAndReadBack();
    void writeIntoMissingFolderLeavesNoFile();
    void readFailures();
    void emptyFileIsNewGame();
};

void TestRecord::parseEntry_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QChar>("promotion");
    const QChar none = NoPromotion;
    QTest::newRow("plain") << "12>28" << true << 12 << 28 << none;
    QTest::newRow("corners") << "0>63" << true << 0 << 63 << none;
    QTest::newRow("queen") << "52>60,Q" << true << 52 << 60 << QChar(u'Q');
    QTest::newRow("knight") << "52>60,K" << true << 52 << 60 << QChar(u'K');
    QTest::newRow("unknown letter") << "52>60,N" << true << 52 << 60 << none;
    QTest::newRow("lower-case letter") << "52>60,q" << true << 52 << 60 << none;
    QTest::newRow("comma without letter") << "52>60," << true << 52 << 60 << none;
    QTest::newRow("last letter counts") << "52>60,XR" << true << 52 << 60 << QChar(u'R');
    QTest::newRow("suffix on a plain move") << "12>28,Q" << true << 12 << 28 << QChar(u'Q');
    QTest::newRow("leading zeros") << "012>028" << true << 12 << 28 << none;
    QTest::newRow("empty") << "" << false << 0 << 0 << none;
    QTest::newRow("no arrow") << "12-28" << false << 0 << 0 << none;
    QTest::newRow("no from") << ">28" << false << 0 << 0 << none;
    QTest::newRow("no to") << "12>" << false << 0 << 0 << none;
    QTest::newRow("two arrows") << "12>28>36" << false << 0 << 0 << none;
    QTest::newRow("plus sign") << "+12>28" << false << 0 << 0 << none;
    QTest::newRow("minus sign") << "-1>28" << false << 0 << 0 << none;
    QTest::newRow("leading blank") << " 12>28" << false << 0 << 0 << none;
    QTest::newRow("trailing blank") << "12>28 " << false << 0 << 0 << none;
    QTest::newRow("blank before arrow") << "12 >28" << false << 0 << 0 << none;
    QTest::newRow("hexadecimal") << "0xc>28" << false << 0 << 0 << none;
    QTest::newRow("to 64") << "12>64" << false << 0 << 0 << none;
    QTest::newRow("from 100") << "100>28" << false << 0 << 0 << none;
    QTest::newRow("huge") << "99999999999999999999>1" << false << 0 << 0 << none;
    QTest::newRow("non-ASCII digits") << QString::fromUtf16(u"１２>28") << false << 0 << 0 << none;
    QTest::newRow("arrow only in suffix") << "12,>28" << false << 0 << 0 << none;
}

void TestRecord::parseEntry() {
    QFETCH(QString, entry);
    QFETCH(bool, valid);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QChar, promotion);
    const std::optional<TRecordEntry> parsed = TRecordEntry::Parse(entry);
    QCOMPARE(parsed.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(parsed->From, from);
    QCOMPARE(parsed->To, to);
    QCOMPARE(parsed->Promotion, promotion);
}

// Every entry the program can write reads back as itself, and only a known letter is written.
void TestRecord::entryTextRoundTrip() {
    QCOMPARE((TRecordEntry{52, 60, u'K'}.Text()), QStringLiteral("52>60,K"));
    QCOMPARE((TRecordEntry{4, 6}.Text()), QStringLiteral("4>6"));
    QCOMPARE((TRecordEntry{52, 60, u'N'}.Text()), QStringLiteral("52>60"));
    for (int from = 0; from < 64; ++from) {
        for (int to = 0; to < 64; ++to) {
            for (const QChar letter : {u'-', u'Q', u'R', u'K', u'B'}) {
                const TRecordEntry entry{from, to, letter};
                const QString text = entry.Text();
                QCOMPARE(text, QString::number(from) + u'>' + QString::number(to) +
                                   (letter == u'-' ? QString() : QStringLiteral(",") + letter));
                QCOMPARE(TRecordEntry::Parse(text), std::optional(entry));
            }
        }
    }
}

void TestRecord::adoptReplay_data() {
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<int>("bad"); // -1 for a good record
    QTest::newRow("good") << QStringList{"12>28", "53>37", "3>39"} << -1;
    QTest::newRow("promotion asked") << PromotionGame.first(8) + QStringList{"49>56"} << -1;
    QTest::newRow("empty") << QStringList{} << -1;
    QTest::newRow("bad text last") << QStringList{"12>28", "53>37", "bad"} << 2;
    QTest::newRow("illegal first") << QStringList{"12>36"} << 0;
    QTest::newRow("illegal after mate") << FoolsMate + QStringList{"12>28"} << 4;
}

// A record is checked and played once, on a game of its own: a bad one leaves the game in play
// exactly as it was, a good one replaces its position and lists but not its hooks or squares,
// and the message after the last move reaches the window once.
void TestRecord::adoptReplay() {
    QFETCH(QStringList, record);
    QFETCH(int, bad);
    TGame game;
    SetUpAndPlay(game, QString(), u"e2e4 f7f6 d1h5");
    QStringList shown;
    game.GameMessageHook = [&](const QString &text) { shown.append(text); };
    int asked = 0;
    game.PromotionHook = [&](std::uint8_t) {
        ++asked;
        return std::uint8_t(Knight);
    };
    const TFullState before(game);
    const TFields *const firstSquare = game.Board->Squares[0].get();

    TReplay replay = ReplayRecord(record, game.PromotionHook);
    if (bad >= 0) {
        QVERIFY(replay.Bad);
        QCOMPARE(replay.Bad->Index, bad);
        QCOMPARE(TFullState(game), before);
        QVERIFY(shown.isEmpty());
        return;
    }
    QVERIFY(!replay.Bad);
    game.Adopt(std::move(*replay.Game));
    TGame expected;
    expected.PromotionHook = [](std::uint8_t) { return std::uint8_t(Knight); };
    QVERIFY(expected.ReplayMoves(record));
    QCOMPARE(PositionOf(game), PositionOf(expected));
    QCOMPARE(game.MoveRecord, expected.MoveRecord);
    QCOMPARE(game.Notation, expected.Notation);
    QCOMPARE(game.Board->Squares[0].get(), firstSquare);
    QCOMPARE(asked, record.isEmpty() || record.last() != u"49>56" ? 0 : 1);
    QCOMPARE(shown, record.isEmpty() ? QStringList() : QStringList{expected.GameMessage});
    QVERIFY(game.GameMessageHook && game.PromotionHook);
    // The adopted pieces belong to the game now: play on.
    QCOMPARE(game.HasNoLegalMove(game.SideToMove), expected.HasNoLegalMove(expected.SideToMove));
}

void TestRecord::replay_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("record"); // the record after the replay
    QTest::addColumn<QString>("position");
    const QString initial = QString::fromLatin1(StartFen).section(u' ', 0, 3);
    QTest::newRow("empty") << QStringList{} << true << QStringList{} << initial;
    QTest::newRow("three moves") << QStringList{"12>28", "52>36", "6>21"} << true
                                 << QStringList{"12>28", "52>36", "6>21"}
                                 << "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -";
    QTest::newRow("suffix on a plain move is dropped")
        << QStringList{"12>28,Q"} << true << QStringList{"12>28"}
        << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";
    QTest::newRow("castling and en passant")
        << Entries(u"e2e4 g8f6 e4e5 d7d5 e5d6 e7e6 g1f3 f8d6 f1c4 e8g8 e1g1") << true
        << Entries(u"e2e4 g8f6 e4e5 d7d5 e5d6 e7e6 g1f3 f8d6 f1c4 e8g8 e1g1")
        << "rnbq1rk1/ppp2ppp/3bpn2/8/2B5/5N2/PPPP1PPP/RNBQ1RK1 b - -";
    QTest::newRow("illegal first move")
        << QStringList{"12>36"} << false << QStringList{} << initial;
    QTest::newRow("black moves first") << QStringList{"52>36"} << false << QStringList{} << initial;
    QTest::newRow("empty entry in the middle")
        << QStringList{"12>28", "", "52>36"} << false << QStringList{} << initial;
    QTest::newRow("empty entry at the end")
        << QStringList{"12>28", ""} << false << QStringList{} << initial;
    QTest::newRow("garbage later")
        << QStringList{"12>28", "52>36", "x"} << false << QStringList{} << initial;
    QTest::newRow("index out of range")
        << QStringList{"12>28", "52>99"} << false << QStringList{} << initial;
    QTest::newRow("move after mate")
        << FoolsMate + QStringList{"12>28"} << false << QStringList{} << initial;
}

void TestRecord::replay() {
    QFETCH(QStringList, entries);
    QFETCH(bool, accepted);
    QFETCH(QStringList, record);
    QFETCH(QString, position);
    TGame game;
    SetUpAndPlay(game, QString(), u"d2d4 d7d5"); // a game in progress is replaced either way
    QCOMPARE(game.ReplayMoves(entries), accepted);
    QCOMPARE(game.MoveRecord, record);
    QCOMPARE(game.Notation.size(), (record.size() + 1) / 2);
    QCOMPARE(PositionOf(game), position);
}

void TestRecord::replayPromotion_data() {
    QTest::addColumn<QString>("last"); // the last entry replayed
    QTest::addColumn<int>("answer");   // what the promotion question answers
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("recorded");
    QTest::newRow("letter Q, no question") << "49>56,Q" << int(Rook) << 0 << "49>56,Q";
    QTest::newRow("letter B, no question") << "49>56,B" << int(Rook) << 0 << "49>56,B";
    QTest::newRow("no letter asks") << "49>56" << int(Knight) << 1 << "49>56,K";
    QTest::newRow("unknown letter asks") << "49>56,N" << int(Rook) << 1 << "49>56,R";
}

void TestRecord::replayPromotion() {
    QFETCH(QString, last);
    QFETCH(int, answer);
    QFETCH(int, questions);
    QFETCH(QString, recorded);
    TGame game;
    int asked = 0;
    game.PromotionHook = [&](std::uint8_t color) {
        ++asked;
        return color == White ? std::uint8_t(answer) : std::uint8_t(Queen);
    };
    QStringList entries = PromotionGame;
    entries.last() = last;
    QVERIFY(game.ReplayMoves(entries));
    QCOMPARE(asked, questions);
    QCOMPARE(game.MoveRecord.last(), recorded);
    // Undo and redo of the rebuilt record never ask again: the record carries the letter.
    const QStringList rebuilt = game.MoveRecord;
    game.UndoLastMove();
    QVERIFY(game.ReplayMoves(rebuilt));
    QCOMPARE(asked, questions);
    QCOMPARE(game.MoveRecord, rebuilt);
}

void TestRecord::messageKeptAfterRejectedReplay() {
    TGame game;
    QString shown;
    game.GameMessageHook = [&](const QString &text) { shown = text; };
    // 1. e4 f5 2. Qh5+ and then a bad entry.
    QVERIFY(!game.ReplayMoves({"12>28", "53>37", "3>39", "bad"}));
    QCOMPARE(PositionOf(game), QString::fromLatin1(StartFen).section(u' ', 0, 3));
    QVERIFY(game.MoveRecord.isEmpty());
    QCOMPARE(game.GameMessage, QStringLiteral("Шах!"));
    QCOMPARE(shown, QStringLiteral("Шах!"));
}

// The list handed in may be the game's own record, which the replay replaces.
void TestRecord::replayOfOwnRecord() {
    TGame game;
    SetUpAndPlay(game, QString(), u"e2e4 e7e5 g1f3");
    const QString position = PositionOf(game);
    QVERIFY(game.ReplayMoves(game.MoveRecord));
    QCOMPARE(game.MoveRecord, Entries(u"e2e4 e7e5 g1f3"));
    QCOMPARE(PositionOf(game), position);
}

void TestRecord::undo_data() {
    QTest::addColumn<QString>("moves");
    QTest::addColumn<int>("undos");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("message");
    const QString initial = QString::fromLatin1(StartFen).section(u' ', 0, 3);
    QTest::newRow("nothing to undo") << "" << 1 << initial << "";
    QTest::newRow("one move") << "e2e4" << 1 << initial << "";
    QTest::newRow("one half-move of two")
        << "e2e4 e7e5" << 1 << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"
        << "";
    QTest::newRow("twice") << "e2e4 e7e5 g1f3" << 2
                           << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"
                           << "";
    QTest::newRow("back to a check")
        << "e2e4 f7f5 d1h5 g7g6" << 1 << "rnbqkbnr/ppppp1pp/8/5p1Q/4P3/8/PPPP1PPP/RNB1KBNR b KQkq -"
        << QString::fromUtf16(u"Шах!");
    QTest::newRow("castling taken back")
        << "e2e4 e7e5 g1f3 g8f6 f1c4 f8c5 e1g1" << 1
        << "rnbqk2r/pppp1ppp/5n2/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -"
        << "";
}

void TestRecord::undo() {
    QFETCH(QString, moves);
    QFETCH(int, undos);
    QFETCH(QString, position);
    QFETCH(QString, message);
    TGame game;
    SetUpAndPlay(game, QString(), moves);
    const QStringList played = game.MoveRecord;
    for (int i = 0; i < undos; ++i)
        game.UndoLastMove();
    QCOMPARE(PositionOf(game), position);
    QCOMPARE(game.MoveRecord, played.mid(0, std::max<qsizetype>(0, played.size() - undos)));
    QCOMPARE(game.Notation.size(), (game.MoveRecord.size() + 1) / 2);
    if (!game.MoveRecord.isEmpty())
        QCOMPARE(game.GameMessage, message);
}

void TestRecord::undoAfterMateAcceptsMovesAgain() {
    TGame game;
    QVERIFY(game.ReplayMoves(FoolsMate));
    QCOMPARE(game.GameMessage, QStringLiteral("Мат!"));
    QVERIFY(game.HasNoLegalMove(game.SideToMove));
    game.UndoLastMove();
    QCOMPARE(game.MoveRecord, FoolsMate.mid(0, 3));
    QCOMPARE(game.SideToMove, Black);
    QCOMPARE(game.GameMessage, QString());
    QVERIFY(!game.HasNoLegalMove(game.SideToMove));
    QVERIFY(game.TryMove(Square(u"b8"), Square(u"c6"), NoPromotion, true));
    QCOMPARE(game.Notation.last(), QStringLiteral(" 2. g2-g4    Кb8-c6"));
}

void TestRecord::findBadEntry_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("bad"); // -1: none
    QTest::newRow("all good") << QStringList{"12>28", "52>36", "6>21"} << -1;
    QTest::newRow("empty") << QStringList{} << -1;
    QTest::newRow("promotion without letter")
        << PromotionGame.mid(0, 8) + QStringList{"49>56"} << -1;
    QTest::newRow("not an entry") << QStringList{"12>28", "e7e5"} << 1;
    QTest::newRow("illegal") << QStringList{"12>28", "12>28"} << 1;
    QTest::newRow("first") << QStringList{"12>36", "52>36"} << 0;
    QTest::newRow("after mate") << FoolsMate + QStringList{"12>28"} << 4;
}

void TestRecord::findBadEntry() {
    QFETCH(QStringList, entries);
    QFETCH(int, bad);
    const std::optional<TBadEntry> found = ReplayRecord(entries).Bad;
    QCOMPARE(found.has_value(), bad >= 0);
    if (found) {
        QCOMPARE(found->Index, bad);
        QVERIFY(!found->Reason.isEmpty());
    }
}

void TestRecord::savedGameBytes_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty game") << QStringList{} << QByteArray();
    QTest::newRow("three moves") << QStringList{"12>28", "52>36", "6>21"}
                                 << QByteArray("12>28\r\n52>36\r\n6>21\r\n");
    QTest::newRow("promotion") << QStringList{"52>60,Q"} << QByteArray("52>60,Q\r\n");
}

void TestRecord::savedGameBytes() {
    QFETCH(QStringList, entries);
    QFETCH(QByteArray, bytes);
    QCOMPARE(SavedGameBytes(entries), bytes);
    QCOMPARE(SavedGameLines(bytes), entries);
}

void TestRecord::savedGameLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("lone LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("two line ends at the end") << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
    QTest::newRow("line end only") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("NUL ends the text") << QByteArray("a\r\nb\0c\r\nd", 9) << QStringList{"a", "b"};
    QTest::newRow("NUL first") << QByteArray("\0a\r\n", 4) << QStringList{};
}

void TestRecord::savedGameLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(SavedGameLines(bytes), lines);
}

void TestRecord::replaySavedGame_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("bad"); // -1 for a good game
    QTest::newRow("empty") << QByteArray() << -1;
    QTest::newRow("CR LF") << QByteArray("12>28\r\n52>36\r\n") << -1;
    QTest::newRow("lone CR, no final end") << QByteArray("12>28\r52>36") << -1;
    QTest::newRow("lone LF") << QByteArray("12>28\n52>36\n") << -1;
    QTest::newRow("promotion letters") << SavedGameBytes(PromotionGame) << -1;
    QTest::newRow("promotion asked") << QByteArray("8>24\n49>33\n24>33\n48>40\n33>40\n"
                                                   "58>49\n40>49\n55>47\n49>56,X\n")
                                     << -1;
    QTest::newRow("NUL ends the game") << QByteArray("12>28\r\n52>36\0bad\r\n", 16) << -1;
    QTest::newRow("blank line") << QByteArray("12>28\r\n\r\n52>36\r\n") << 1;
    QTest::newRow("LF CR is two line ends") << QByteArray("12>28\n\r52>36") << 1;
    QTest::newRow("two line ends at the end") << QByteArray("12>28\r\n\r\n") << 1;
    QTest::newRow("trailing blank") << QByteArray("12>28 \r\n") << 0;
    QTest::newRow("Latin-1 byte") << QByteArray("12>28\r\n\xb552>36\r\n") << 1;
    QTest::newRow("illegal") << QByteArray("12>28\r\n12>28\r\n52>36\r\n") << 1;
    QTest::newRow("after mate") << SavedGameBytes(FoolsMate + QStringList{"12>28"}) << 4;
}

// Replayed straight from the bytes, a saved game gives what the replay of its lines gives.
void TestRecord::replaySavedGame() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, bad);
    const auto knight = [](TColor) { return std::uint8_t(Knight); };
    const TReplay lines = ReplayRecord(SavedGameLines(bytes), knight);
    const TReplay direct = ReplaySavedGame(bytes, knight);
    QCOMPARE(direct.Bad.has_value(), bad >= 0);
    QCOMPARE(lines.Bad.has_value(), bad >= 0);
    if (direct.Bad) {
        QCOMPARE(direct.Bad->Index, bad);
        QCOMPARE(direct.Bad->Index, lines.Bad->Index);
        QCOMPARE(direct.Bad->Reason, lines.Bad->Reason);
    }
    QCOMPARE(direct.Game->MoveRecord, lines.Game->MoveRecord);
    QCOMPARE(direct.Game->Notation, lines.Game->Notation);
    QCOMPARE(direct.Game->GameMessage, lines.Game->GameMessage);
    QVERIFY(TGameState(*direct.Game) == TGameState(*lines.Game));
    QVERIFY(!direct.Game->PromotionHook);
}

void TestRecord::writeAndReadBack() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("game.kvl");
    const QStringList entries = {"12>28", "52>36", "6>21"};
    QString error;
    QVERIFY(WriteSavedGame(path, {"old", "longer", "content", "here"}, &error));
    QVERIFY2(WriteSavedGame(path, entries, &error), qPrintable(error)); // overwritten, no question
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, QByteArray("12>28\r\n52>36\r\n6>21\r\n"));
    QCOMPARE(bytes.size(), 20);
    const std::optional<QStringList> read = ReadSavedGame(path, &error);
    QVERIFY(read);
    QCOMPARE(*read, entries);
}

void TestRecord::writeIntoMissingFolderLeavesNoFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("missing/game.kvl");
    QString error;
    QVERIFY(!WriteSavedGame(path, {"12>28"}, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
}

void TestRecord::readFailures() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    QVERIFY(!ReadSavedGame(dir.filePath("absent.kvl"), &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!ReadSavedGame(dir.path(), &error)); // a folder is no saved game
    QVERIFY(!error.isEmpty());
}

void TestRecord::emptyFileIsNewGame() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("empty.kvl");
    QVERIFY(WriteSavedGame(path, {}));
    QCOMPARE(QFileInfo(path).size(), 0);
    const std::optional<QStringList> read = ReadSavedGame(path);
    QVERIFY(read);
    QVERIFY(read->isEmpty());
    TGame game;
    SetUpAndPlay(game, QString(), u"e2e4");
    QVERIFY(game.ReplayMoves(*read));
    QVERIFY(game.MoveRecord.isEmpty());
}

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_Record.moc"
