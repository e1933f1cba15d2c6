// The companion's logic called directly: SAN writing and reading, the PGN writer and the
// tolerant PGN reader, and the round trip record -> PGN -> record.
#include "Board.h"
#include "Commands.h"
#include "Fen.h"
#include "LegalMoves.h"
#include "Pgn.h"
#include "Record.h"
#include "San.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

// Sets up a position, failing the test on a bad FEN.
bool SetUp(TGame &game, const QString &fen) {
    QString error;
    const bool ok = SetUpFromFen(game, fen, &error);
    if (!ok)
        qWarning() << "bad FEN in the test:" << error;
    return ok;
}

// An entry without a known letter promotes to a queen, as a game without hooks does.
TKind KindOfLetter(QChar letter) {
    const TKind kind = KindOfPromotionLetter(letter);
    return kind == Pawn ? Queen : kind;
}

// A game of random legal moves. Castling and promotion are preferred whenever they are
// allowed and promotions pick a random piece, so that a few dozen games meet every special
// move. (Three pieces of a kind that need file and rank alike are too rare by chance: a
// hand-written game below has them.)
QStringList RandomGame(QRandomGenerator &random, int maxPlies, bool *enPassant) {
    TGame game;
    for (int ply = 0; ply < maxPlies; ++ply) {
        std::vector<std::pair<int, int>> moves;
        std::vector<std::pair<int, int>> castlings;
        std::vector<std::pair<int, int>> promotions;
        VisitLegalMoves(game, [&](const TMove &move) {
            moves.emplace_back(move.From, move.To);
            if (move.Castling)
                castlings.emplace_back(move.From, move.To);
            if (move.Promotion)
                promotions.emplace_back(move.From, move.To);
        });
        if (moves.empty())
            break;
        const bool castle = !castlings.empty() && random.bounded(2) == 0;
        const bool promote = !promotions.empty() && random.bounded(2) == 0;
        const auto &pool = castle ? castlings : promote ? promotions : moves;
        const auto [from, to] = pool[random.bounded(int(pool.size()))];
        const TPieces *mover = game.Board->Squares[from]->Piece;
        if (mover->Kind == Pawn && from % 8 != to % 8 && !game.Board->Squares[to]->Piece)
            *enPassant = true;
        const QChar letter = PromotionLetter(PromotionKinds[random.bounded(4)]);
        game.TryMove(from, to, letter, true);
    }
    return game.MoveRecord;
}

// Every movetext line of the export form stays under 80 characters.
bool LinesFit(const QString &pgn) {
    const QStringList lines = pgn.split(u'\n');
    return std::all_of(lines.cbegin(), lines.cend(),
                       [](const QString &line) { return line.size() < 80; });
}

QString ReadText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestKvl : public QObject {
    Q_OBJECT

private slots:
    void optionProblems_data();
    void optionProblems();
    void sanOfMove_data();
    void sanOfMove();
    void resolveSan_data();
    void resolveSan();
    void exportForm();
    void readerTolerance_data();
    void readerTolerance();
    void readerSplitsGames();
    void setUpPositionRefused_data();
    void setUpPositionRefused();
    void badMoveNamed_data();
    void badMoveNamed();
    void badRecordNamed();
    void randomGamesRoundTrip();
    void handWrittenGamesRoundTrip_data();
    void handWrittenGamesRoundTrip();
    void masterGamesRoundTrip_data();
    void masterGamesRoundTrip();
};

void TestKvl::sanOfMove_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("san");

    const QString castlings = QStringLiteral("r3k2r/8/8/8/8/8/8/R3K2R %1 KQkq - 0 1");
    const QString knights = QStringLiteral("4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1");
    const QString queens = QStringLiteral("1k6/8/8/8/4Q2Q/8/8/K6Q w - - 0 1");
    const QString promotion = QStringLiteral("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    QTest::newRow("knight") << QString::fromLatin1(StartFen) << "6>21"
                            << "Nf3";
    QTest::newRow("pawn") << QString::fromLatin1(StartFen) << "12>28"
                          << "e4";
    QTest::newRow("pawn takes") << "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2"
                                << "28>35"
                                << "exd5";
    QTest::newRow("en passant") << "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"
                                << "36>45"
                                << "exf6";
    QTest::newRow("white short") << castlings.arg(QStringLiteral("w")) << "4>6"
                                 << "O-O";
    QTest::newRow("white long") << castlings.arg(QStringLiteral("w")) << "4>2"
                                << "O-O-O";
    QTest::newRow("black short") << castlings.arg(QStringLiteral("b")) << "60>62"
                                 << "O-O";
    QTest::newRow("black long") << castlings.arg(QStringLiteral("b")) << "60>58"
                                << "O-O-O";
    QTest::newRow("castling gives check") << "5k2/8/8/8/8/8/8/4K2R w K - 0 1"
                                          << "4>6"
                                          << "O-O+";
    QTest::newRow("king") << "4k3/8/8/8/8/8/8/4K3 w - - 0 1"
                          << "4>12"
                          << "Ke2";
    QTest::newRow("by file") << knights << "1>11"
                             << "Nbd2";
    QTest::newRow("by file, other knight") << knights << "5>11"
                                           << "Nfd2";
    QTest::newRow("no rival") << knights << "1>16"
                              << "Na3";
    QTest::newRow("by rank") << "4k3/8/8/R7/8/8/8/R3K3 w - - 0 1"
                             << "0>16"
                             << "R1a3";
    QTest::newRow("by rank, upper rook") << "4k3/8/8/R7/8/8/8/R3K3 w - - 0 1"
                                         << "32>16"
                                         << "R5a3";
    QTest::newRow("by both") << queens << "31>4"
                             << "Qh4e1";
    QTest::newRow("by file among three") << queens << "28>4"
                                         << "Qee1";
    QTest::newRow("by rank among three") << queens << "7>4"
                                         << "Q1e1";
    QTest::newRow("pinned rival ignored") << "4k3/8/8/8/4r3/8/4N3/1N2K3 w - - 0 1"
                                          << "1>18"
                                          << "Nc3";
    QTest::newRow("capture promotion queen") << promotion << "48>57,Q"
                                             << "axb8=Q+";
    QTest::newRow("capture promotion rook") << promotion << "48>57,R"
                                            << "axb8=R+";
    QTest::newRow("capture promotion bishop") << promotion << "48>57,B"
                                              << "axb8=B";
    QTest::newRow("capture promotion knight") << promotion << "48>57,K"
                                              << "axb8=N";
    QTest::newRow("promotion without letter") << promotion << "48>56"
                                              << "a8=Q";
    QTest::newRow("knight promotion checks") << "8/4k1P1/8/8/8/8/8/4K3 w - - 0 1"
                                             << "54>62,K"
                                             << "g8=N+";
    QTest::newRow("black promotes") << "4k3/8/8/8/8/8/p7/4K3 b - - 0 1"
                                    << "8>0,R"
                                    << "a1=R+";
    QTest::newRow("mate") << "rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq g3 0 2"
                          << "59>31"
                          << "Qh4#";
    QTest::newRow("stalemate is no mark") << "k7/8/1Q6/8/8/8/8/4K3 w - - 0 1"
                                          << "41>50"
                                          << "Qc7";
}

void TestKvl::sanOfMove() {
    QFETCH(QString, fen);
    QFETCH(QString, entry);
    QFETCH(QString, san);
    TGame game;
    QVERIFY(SetUp(game, fen));
    const std::optional<TRecordEntry> move = ParseRecordEntry(entry);
    QVERIFY(move);
    const QString fenBefore = FenOf(game);
    QString written = SanOfMove(game, move->From, move->To, KindOfLetter(move->Promotion));
    QCOMPARE(FenOf(game), fenBefore); // writing the move does not play it
    QVERIFY(game.TryMove(move->From, move->To, move->Promotion, true));
    written += SanCheckMark(game);
    QCOMPARE(written, san);
}

void TestKvl::resolveSan_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("san");
    QTest::addColumn<QString>("entry"); // or the error text

    const QString start = QString::fromLatin1(StartFen);
    const QString castlings = QStringLiteral("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const QString knights = QStringLiteral("4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1");
    const QString queens = QStringLiteral("1k6/8/8/8/4Q2Q/8/8/K6Q w - - 0 1");
    const QString promotion = QStringLiteral("k7/4P3/8/8/8/8/8/4K3 w - - 0 1");
    QTest::newRow("knight") << start << "Nf3"
                            << "6>21";
    QTest::newRow("marks") << start << "Nf3+!?"
                           << "6>21";
    QTest::newRow("pawn") << start << "e4"
                          << "12>28";
    QTest::newRow("long algebraic") << start << "e2-e4"
                                    << "12>28";
    QTest::newRow("origin and target") << start << "g1f3"
                                       << "6>21";
    QTest::newRow("origin and target, wrong piece") << start << "Bg1f3"
                                                    << "illegal move";
    QTest::newRow("castling letters") << castlings << "O-O"
                                      << "4>6";
    QTest::newRow("castling zeros") << castlings << "0-0"
                                    << "4>6";
    QTest::newRow("long castling zeros") << castlings << "0-0-0"
                                         << "4>2";
    QTest::newRow("castling not allowed") << "r3k2r/8/8/8/8/8/8/R3K2R w Qkq - 0 1"
                                          << "O-O"
                                          << "illegal move";
    QTest::newRow("en passant") << "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"
                                << "exf6"
                                << "36>45";
    QTest::newRow("ambiguous") << knights << "Nd2"
                               << "ambiguous move";
    QTest::newRow("same rank still ambiguous") << knights << "N1d2"
                                               << "ambiguous move";
    QTest::newRow("by file") << knights << "Nbd2"
                             << "1>11";
    QTest::newRow("by both") << queens << "Qh4e1"
                             << "31>4";
    QTest::newRow("by file among three") << queens << "Qee1"
                                         << "28>4";
    QTest::newRow("three queens ambiguous") << queens << "Qe1"
                                            << "ambiguous move";
    QTest::newRow("pinned rival") << "4k3/8/8/8/4r3/8/4N3/1N2K3 w - - 0 1"
                                  << "Nc3"
                                  << "1>18";
    QTest::newRow("promotion") << promotion << "e8=Q"
                               << "52>60,Q";
    QTest::newRow("promotion without =") << promotion << "e8Q"
                                         << "52>60,Q";
    QTest::newRow("knight promotion") << promotion << "e8=N+"
                                      << "52>60,K";
    QTest::newRow("lower-case promotion") << promotion << "e8=b"
                                          << "52>60,B";
    QTest::newRow("promotion missing") << promotion << "e8"
                                       << "promotion piece missing";
    QTest::newRow("promotion to a king") << promotion << "e8=K"
                                         << "not a move";
    QTest::newRow("promotion where none") << start << "e4=Q"
                                          << "promotion on a move that does not promote";
    QTest::newRow("illegal") << start << "Qh5"
                             << "illegal move";
    QTest::newRow("pawn does not take straight") << "4k3/8/8/8/4p3/4P3/8/4K3 w - - 0 1"
                                                 << "e4"
                                                 << "illegal move";
    QTest::newRow("capture by the wrong file")
        << "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2"
        << "cxd5"
        << "illegal move";
    QTest::newRow("not a move") << start << "xyz"
                                << "not a move";
    QTest::newRow("null move") << start << "--"
                               << "not a move";
}

void TestKvl::resolveSan() {
    QFETCH(QString, fen);
    QFETCH(QString, san);
    QFETCH(QString, entry);
    TGame game;
    QVERIFY(SetUp(game, fen));
    QString error;
    const std::optional<TRecordEntry> move = ResolveSan(game, san, &error);
    QCOMPARE(move ? move->Text() : error, entry);
    QVERIFY(game.MoveRecord.isEmpty()); // resolving plays nothing
}

void TestKvl::exportForm() {
    TPgnTags tags;
    tags.White = QStringLiteral("Иванов, \"Пётр\"");
    tags.Event = QStringLiteral("Back\\slash");
    const QStringList foolsMate{"13>21", "52>36", "14>30", "59>31"};
    QCOMPARE(*PgnOfRecord(foolsMate, tags),
             QStringLiteral("[Event \"Back\\\\slash\"]\n[Site \"?\"]\n[Date \"????.??.??\"]\n"
                            "[Round \"-\"]\n[White \"Иванов, \\\"Пётр\\\"\"]\n[Black \"?\"]\n"
                            "[Result \"0-1\"]\n\n1. f3 e5 2. g4 Qh4# 0-1\n\n"));
    QCOMPARE(*PgnOfRecord({}, {}),
             QStringLiteral("[Event \"?\"]\n[Site \"?\"]\n[Date \"????.??.??\"]\n[Round \"-\"]\n"
                            "[White \"?\"]\n[Black \"?\"]\n[Result \"*\"]\n\n*\n\n"));
    // Stalemate: the fastest known one, ten moves.
    const QStringList stalemate = *RecordOfPgnGame(
        ReadPgnGames(
            QStringLiteral(
                "1. e3 a5 2. Qh5 Ra6 3. Qxa5 h5 4. h4 Rah6 5. Qxc7 f6 6. Qxd7+ Kf7 7. Qxb7 Qd3 "
                "8. Qxb8 Qh7 9. Qxc8 Kg6 10. Qe6"))
            .front());
    const QString drawn = *PgnOfRecord(stalemate, {});
    QVERIFY(drawn.contains(u"[Result \"1/2-1/2\"]"));
    QVERIFY(drawn.endsWith(u"10. Qe6 1/2-1/2\n\n"));
    // A game in progress ends with "*", and a control character cannot break a tag line.
    tags.Black = QStringLiteral("two\nlines");
    const QString open = *PgnOfRecord({"12>28"}, tags);
    QVERIFY(open.contains(u"[Black \"two lines\"]\n"));
    QVERIFY(open.endsWith(u"\n1. e4 *\n\n"));
}

void TestKvl::readerTolerance_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clean");

    const QString italian = QStringLiteral("1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. O-O Nf6");
    QTest::newRow("brace comments") << "1. e4 {best by test} e5 2. Nf3 {a {brace} Nc6"
                                    << "1. e4 e5 2. Nf3 Nc6";
    QTest::newRow("line comments") << "1. e4 ; Qh5 ) ( is ignored\ne5 2. Nf3 Nc6 ;\n"
                                   << "1. e4 e5 2. Nf3 Nc6";
    QTest::newRow("nested variations")
        << "1. e4 (1. d4 d5 (1... Nf6 2. c4 {(} e6) 2. c4) e5 ( 1... c5 ) 2. Nf3"
        << "1. e4 e5 2. Nf3";
    QTest::newRow("NAGs") << "1. e4 $1 e5 $14 2. Nf3 $200"
                          << "1. e4 e5 2. Nf3";
    QTest::newRow("suffixes") << "1. e4! e5? 2. Nf3!! Nc6?? 3. Bb5!? a6?! 4. Bxc6+ dxc6 !"
                              << "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Bxc6 dxc6";
    QTest::newRow("black move numbers")
        << "1. e4 {what now?} 1... e5 2. Nf3 2...Nc6 3.Bc4 3. ... Bc5"
        << "1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5";
    QTest::newRow("numbers without blanks") << "1.e4 e5 2.Nf3 Nc6 3.Bc4 Bc5 4.O-O Nf6" << italian;
    QTest::newRow("zeros castling") << "1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. 0-0 Nf6" << italian;
    QTest::newRow("escape line") << "% a line for some other program\n1. e4 e5\n%1. d4\n2. Nf3"
                                 << "1. e4 e5 2. Nf3";
    QTest::newRow("result ends the game") << "1. e4 e5 1/2-1/2 2. Nf3"
                                          << "1. e4 e5";
    QTest::newRow("old en passant remark") << "1. e4 d5 2. e5 f5 3. exf6 e.p. Nxf6"
                                           << "1. e4 d5 2. e5 f5 3. exf6 Nxf6";
    QTest::newRow("promotion without =")
        << "1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nbd7 5. bxa8Q e5"
        << "1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nbd7 5. bxa8=Q e5";
    QTest::newRow("tags and result")
        << "[Event \"A [bracket]\"]\n[White \"Doe, \\\"J\\\"\"]\n\n1. e4 e5 *"
        << "1. e4 e5";
}

void TestKvl::readerTolerance() {
    QFETCH(QString, text);
    QFETCH(QString, clean);
    const QList<TPgnGame> games = ReadPgnGames(text);
    const QList<TPgnGame> cleanGames = ReadPgnGames(clean);
    QVERIFY(!games.isEmpty());
    QCOMPARE(cleanGames.size(), 1);
    QString error;
    const std::optional<QStringList> record = RecordOfPgnGame(games.front(), &error);
    QVERIFY2(record, qPrintable(error));
    const QStringList expected = *RecordOfPgnGame(cleanGames.front());
    QCOMPARE(record->size(), cleanGames.front().Moves.size());
    QCOMPARE(*record, expected);
}

void TestKvl::readerSplitsGames() {
    const QList<TPgnGame> games =
        ReadPgnGames(ReadText(QStringLiteral(KVL_DATA_DIR "/tolerant.pgn")));
    QCOMPARE(games.size(), 3);
    QCOMPARE(games[0].Tag(QStringLiteral("White")), QStringLiteral("Smith, J."));
    QCOMPARE(games[0].Tag(QStringLiteral("Black")), QStringLiteral("Doe \"the pawn\""));
    QCOMPARE(games[0].Result, QStringLiteral("1/2-1/2"));
    QCOMPARE(games[1].Result, QString()); // no marker: the next tags start the next game
    QCOMPARE(games[2].Result, QStringLiteral("*"));
    const QList<TPgnGame> clean =
        ReadPgnGames(ReadText(QStringLiteral(KVL_DATA_DIR "/tolerant-clean.pgn")));
    QCOMPARE(clean.size(), games.size());
    for (qsizetype i = 0; i < games.size(); ++i) {
        QString error;
        const std::optional<QStringList> record = RecordOfPgnGame(games[i], &error);
        QVERIFY2(record, qPrintable(QStringLiteral("game %1: %2").arg(i + 1).arg(error)));
        QCOMPARE(*record, *RecordOfPgnGame(clean[i]));
        QCOMPARE(record->size(), clean[i].Moves.size());
    }
}

void TestKvl::setUpPositionRefused_data() {
    QTest::addColumn<QString>("tags");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("FEN") << "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\"]" << false;
    QTest::newRow("FEN without SetUp") << "[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\"]" << false;
    QTest::newRow("SetUp without FEN") << "[SetUp \"1\"]" << false;
    QTest::newRow("initial position as FEN")
        << "[SetUp \"1\"]\n[FEN \"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\"]"
        << true;
    QTest::newRow("SetUp 0") << "[SetUp \"0\"]" << true;
    QTest::newRow("other variant") << "[Variant \"Chess960\"]" << false;
}

void TestKvl::setUpPositionRefused() {
    QFETCH(QString, tags);
    QFETCH(bool, accepted);
    const QList<TPgnGame> games = ReadPgnGames(tags + QStringLiteral("\n\n1. e4 *\n"));
    QCOMPARE(games.size(), 1);
    QString error;
    const std::optional<QStringList> record = RecordOfPgnGame(games.front(), &error);
    QCOMPARE(bool(record), accepted);
    if (record)
        QCOMPARE(*record, QStringList{"12>28"});
    else
        QVERIFY(error.contains(u"FEN") || error.contains(u"SetUp") || error.contains(u"variant"));
}

void TestKvl::badMoveNamed_data() {
    QTest::addColumn<QString>("movetext");
    QTest::addColumn<QString>("error");
    QTest::newRow("white illegal") << "1. e4 e5 2. Ke3"
                                   << "move 2. Ke3: illegal move";
    QTest::newRow("black ambiguous") << "1. e4 d6 2. d4 Nf6 3. Nc3 Nd7"
                                     << "move 3... Nd7: ambiguous move";
    QTest::newRow("after mate") << "1. f3 e5 2. g4 Qh4# 3. a3"
                                << "move 3. a3: illegal move";
    QTest::newRow("garbage") << "1. e4 e5 2. hello"
                             << "move 2. hello: not a move";
}

void TestKvl::badMoveNamed() {
    QFETCH(QString, movetext);
    QFETCH(QString, error);
    QString reason;
    QVERIFY(!RecordOfPgnGame(ReadPgnGames(movetext).front(), &reason));
    QCOMPARE(reason, error);
}

void TestKvl::badRecordNamed() {
    TBadEntry bad;
    QVERIFY(!PgnOfRecord({"12>28", "52>36", "12>20"}, {}, &bad));
    QCOMPARE(bad.Index, 2);
    QVERIFY(!PgnOfRecord({"12>28", "x"}, {}, &bad));
    QCOMPARE(bad.Index, 1);
}

void TestKvl::randomGamesRoundTrip() {
    QRandomGenerator random(20261208);
    QSet<QString> seen;
    bool enPassant = false;
    const QRegularExpression byFile(QStringLiteral("^[NBRQK][a-h]x?[a-h][1-8]"));
    const QRegularExpression byRank(QStringLiteral("^[NBRQK][1-8]x?[a-h][1-8]"));
    const QRegularExpression byBoth(QStringLiteral("^[NBRQK][a-h][1-8]x?[a-h][1-8]"));
    for (int n = 0; n < 60; ++n) {
        const QStringList record = RandomGame(random, 300, &enPassant);
        const std::optional<QString> pgn = PgnOfRecord(record, {});
        QVERIFY(pgn);
        QVERIFY(LinesFit(*pgn));
        const QList<TPgnGame> games = ReadPgnGames(*pgn);
        QCOMPARE(games.size(), 1);
        QString error;
        const std::optional<QStringList> back = RecordOfPgnGame(games.front(), &error);
        QVERIFY2(back, qPrintable(QStringLiteral("game %1: %2").arg(n).arg(error)));
        QCOMPARE(SavedGameBytes(*back), SavedGameBytes(record));
        QCOMPARE(games.front().Result, games.front().Tag(QStringLiteral("Result")));
        for (qsizetype ply = 0; ply < games.front().Moves.size(); ++ply) {
            const QString &san = games.front().Moves[ply];
            const QString side = ply % 2 == 0 ? QStringLiteral("white ") : QStringLiteral("black ");
            if (san.startsWith(u"O-O"))
                seen.insert(side + san.left(san.startsWith(u"O-O-O") ? 5 : 3));
            for (const char *promotion : {"=Q", "=R", "=N", "=B"}) {
                if (san.contains(QLatin1String(promotion)))
                    seen.insert(QString::fromLatin1(promotion));
            }
            if (san.contains(u'=') && san.contains(u'x'))
                seen.insert(QStringLiteral("capture promotion"));
            if (byBoth.match(san).hasMatch())
                seen.insert(QStringLiteral("by both"));
            else if (byFile.match(san).hasMatch())
                seen.insert(QStringLiteral("by file"));
            else if (byRank.match(san).hasMatch())
                seen.insert(QStringLiteral("by rank"));
            if (san.endsWith(u'+') || san.endsWith(u'#'))
                seen.insert(san.right(1));
        }
        seen.insert(games.front().Result);
    }
    QVERIFY(enPassant);
    for (const char *feature :
         {"white O-O", "white O-O-O", "black O-O", "black O-O-O", "=Q", "=R", "=N", "=B",
          "capture promotion", "by file", "by rank", "+", "#", "1-0", "0-1"})
        QVERIFY2(seen.contains(QString::fromLatin1(feature)), feature);
}

void TestKvl::handWrittenGamesRoundTrip_data() {
    QTest::addColumn<QString>("movetext");
    QTest::addColumn<QString>("result");
    // A promoted knight joins the two others: Nh8xf7 needs file and rank, as it has rivals
    // on h6 (same file) and d8 (same rank).
    QTest::newRow("file and rank")
        << "1. h4 a6 2. h5 a5 3. h6 a4 4. hxg7 b6 5. gxh8=N Bb7 6. Nf3 Ba6 "
           "7. Nh4 Ra7 8. Nf5 Rb7 9. Nh6 e6 10. Na3 Be7 11. Nc4 Bf8 12. Ne5 Be7 "
           "13. Nc6 Bf8 14. Nxd8 Be7 15. Nh8xf7 Bf8"
        << "*";
    QTest::newRow("stalemate")
        << "1. e3 a5 2. Qh5 Ra6 3. Qxa5 h5 4. h4 Rah6 5. Qxc7 f6 6. Qxd7+ Kf7 "
           "7. Qxb7 Qd3 8. Qxb8 Qh7 9. Qxc8 Kg6 10. Qe6"
        << "1/2-1/2";
    QTest::newRow("mate by Black") << "1. f3 e5 2. g4 Qh4#"
                                   << "0-1";
    QTest::newRow("both castlings, en passant")
        << "1. e4 d5 2. e5 f5 3. exf6 Nxf6 4. Nf3 Bg4 5. Bc4 Nc6 6. O-O Qd7 7. d4 O-O-O 8. Nc3 e5 "
           "9. dxe5 Bc5 10. exf6 Rde8 11. fxg7 Bxf2+ 12. Rxf2 Re1+ 13. Qxe1 Kb8 14. gxh8=R+ Qc8"
        << "*";
}

// The hand-written SAN comes back letter for letter, marks and disambiguation included.
void TestKvl::handWrittenGamesRoundTrip() {
    QFETCH(QString, movetext);
    QFETCH(QString, result);
    const TPgnGame written = ReadPgnGames(movetext).front();
    QString error;
    const std::optional<QStringList> record = RecordOfPgnGame(written, &error);
    QVERIFY2(record, qPrintable(error));
    const QString pgn = *PgnOfRecord(*record, {});
    QVERIFY(LinesFit(pgn));
    const TPgnGame exported = ReadPgnGames(pgn).front();
    QCOMPARE(exported.Moves, written.Moves);
    QCOMPARE(exported.Result, result);
    QCOMPARE(SavedGameBytes(*RecordOfPgnGame(exported)), SavedGameBytes(*record));
}

void TestKvl::masterGamesRoundTrip_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("plies");
    QTest::newRow("Anderssen-Kieseritzky 1851") << 0 << 45;
    QTest::newRow("Anderssen-Dufresne 1852") << 1 << 47;
    QTest::newRow("Morphy-Brunswick and Isouard 1858") << 2 << 33;
    QTest::newRow("Reti-Tartakower 1910") << 3 << 21;
}

void TestKvl::masterGamesRoundTrip() {
    QFETCH(int, index);
    QFETCH(int, plies);
    const QList<TPgnGame> games =
        ReadPgnGames(ReadText(QStringLiteral(KVL_DATA_DIR "/masters.pgn")));
    QCOMPARE(games.size(), 4);
    const TPgnGame &game = games[index];
    QString error;
    const std::optional<QStringList> record = RecordOfPgnGame(game, &error);
    QVERIFY2(record, qPrintable(error));
    QCOMPARE(record->size(), plies);
    const QString pgn = *PgnOfRecord(*record, {});
    const TPgnGame exported = ReadPgnGames(pgn).front();
    QCOMPARE(exported.Moves, game.Moves); // the published SAN, check marks included
    QCOMPARE(exported.Result, game.Result);
    QCOMPARE(SavedGameBytes(*RecordOfPgnGame(exported)), SavedGameBytes(*record));
}

// The option parser's failures in the companion's own words, naming the argument as given.
void TestKvl::optionProblems_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem");
    QTest::newRow("long") << QStringList{"show", "--all", "x.kvl"} << "unknown option '--all'";
    QTest::newRow("long with value")
        << QStringList{"show", "x", "--bogus=1"} << "unknown option '--bogus=1'";
    QTest::newRow("short") << QStringList{"show", "-x", "x.kvl"} << "unknown option '-x'";
    QTest::newRow("single dash long")
        << QStringList{"pgn", "-white", "A", "x.kvl"} << "unknown option '-white'";
    QTest::newRow("negative number") << QStringList{"show", "-5"} << "unknown option '-5'";
    QTest::newRow("prefix of an option")
        << QStringList{"import", "--game=2", "--gam", "a"} << "unknown option '--gam'";
    QTest::newRow("value missing")
        << QStringList{"pgn", "x.kvl", "--black"} << "option '--black' needs a value";
    QTest::newRow("option of another command")
        << QStringList{"import", "a.pgn", "--white", "A"} << "unknown option '--white'";
    QTest::newRow("help as a value")
        << QStringList{"pgn", "--white", "-h"} << "pgn needs exactly one saved game";
}

void TestKvl::optionProblems() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(RunKvl(arguments, out, err), 2);
    QCOMPARE(QString::fromUtf8(err.data()),
             QStringLiteral("korvalen-kvl: %1\nTry 'korvalen-kvl --help' for more information.\n")
                 .arg(problem));
    QVERIFY(out.data().isEmpty());
}

QTEST_GUILESS_MAIN(TestKvl)
#include "tst_kvl.moc"
