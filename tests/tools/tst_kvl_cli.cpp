// The built korvalen-kvl program run as a user runs it: exit statuses, the exact bytes on
// standard output and the messages on standard error.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct TRun {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

TRun Kvl(const QStringList &arguments) {
    QProcess process;
    process.start(QStringLiteral(KVL_BINARY), arguments);
    TRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.Status = process.exitCode();
    run.Out = process.readAllStandardOutput();
    run.Err = process.readAllStandardError();
    return run;
}

QString Data(const char *name) {
    return QStringLiteral(KVL_DATA_DIR "/") + QString::fromLatin1(name);
}

bool WriteFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray ItalianShown = QStringLiteral(" 1. e2-e4    e7-e5\n"
                                               " 2. Кg1-f3   Кb8-c6\n"
                                               " 3. Сf1-c4   Сf8-c5\n"
                                               " 4. 0-0      Кg8-f6\n"
                                               " 5. Сc4xf7+\n"
                                               "Шах!\n")
                                    .toUtf8();
const QByteArray FoolsMateShown = QStringLiteral(" 1. f2-f3    e7-e5\n"
                                                 " 2. g2-g4    Фd8-h4x\n"
                                                 "Мат!\n")
                                      .toUtf8();

} // namespace

class TestKvlCli : public QObject {
    Q_OBJECT

private slots:
    void showOneGame_data();
    void showOneGame();
    void showSeveralGames();
    void showBadEntry();
    void showUnreadable();
    void perft_data();
    void perft();
    void usage_data();
    void usage();
    void version();
    void failures_data();
    void failures();
    void pgnTags();
    void roundTripThroughProgram_data();
    void roundTripThroughProgram();
    void importNamesBadMove();
    void fen_data();
    void fen();
    void list_data();
    void list();

private:
    QTemporaryDir Scratch;
};

void TestKvlCli::showOneGame_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("check") << Data("italian.kvl") << ItalianShown;
    QTest::newRow("mate") << Data("fools-mate.kvl") << FoolsMateShown;
}

void TestKvlCli::showOneGame() {
    QFETCH(QString, file);
    QFETCH(QByteArray, shown);
    const TRun run = Kvl({QStringLiteral("show"), file});
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Out, shown);
    QCOMPARE(run.Err, QByteArray());

    // No moves: no notation, and the empty game message is still a line.
    const QString empty = Scratch.filePath(QStringLiteral("empty.kvl"));
    QVERIFY(WriteFile(empty, {}));
    QCOMPARE(Kvl({QStringLiteral("show"), empty}).Out, QByteArray("\n"));
}

void TestKvlCli::showSeveralGames() {
    const QString italian = Data("italian.kvl");
    const QString fools = Data("fools-mate.kvl");
    const TRun run = Kvl({QStringLiteral("show"), italian, fools});
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Out, "==> " + italian.toUtf8() + " <==\n" + ItalianShown + "\n==> " +
                          fools.toUtf8() + " <==\n" + FoolsMateShown);

    // A bad file in the middle is reported and skipped; the others are still shown.
    const TRun mixed = Kvl({QStringLiteral("show"), italian, Data("bad-entry.kvl"), fools});
    QCOMPARE(mixed.Status, 1);
    QCOMPARE(mixed.Out, "==> " + italian.toUtf8() + " <==\n" + ItalianShown + "\n==> " +
                            fools.toUtf8() + " <==\n" + FoolsMateShown);
    QVERIFY(mixed.Err.startsWith(Data("bad-entry.kvl").toUtf8() + ":3: "));
}

void TestKvlCli::showBadEntry() {
    const QString bad = Data("bad-entry.kvl");
    const TRun run = Kvl({QStringLiteral("show"), bad});
    QCOMPARE(run.Status, 1);
    QCOMPARE(run.Out, QByteArray());
    QVERIFY2(run.Err.startsWith(bad.toUtf8() + ":3: "), run.Err.constData());
    QVERIFY(run.Err.endsWith('\n') && run.Err.count('\n') == 1);

    // Line numbers count every line, the unparsable first one too.
    const QString garbage = Scratch.filePath(QStringLiteral("garbage.kvl"));
    QVERIFY(WriteFile(garbage, "e2e4\r\n"));
    QVERIFY(Kvl({QStringLiteral("show"), garbage}).Err.startsWith(garbage.toUtf8() + ":1: "));
}

void TestKvlCli::showUnreadable() {
    const QString missing = Scratch.filePath(QStringLiteral("missing.kvl"));
    const TRun run = Kvl({QStringLiteral("show"), missing, Data("fools-mate.kvl")});
    QCOMPARE(run.Status, 1);
    QVERIFY(run.Err.contains(missing.toUtf8()));
    QVERIFY(run.Out.endsWith(FoolsMateShown));
    QVERIFY(!run.Out.contains(missing.toUtf8()));
    const TRun folder = Kvl({QStringLiteral("show"), Scratch.path()});
    QCOMPARE(folder.Status, 1);
    QCOMPARE(folder.Out, QByteArray());
    QVERIFY(!folder.Err.isEmpty());
}

void TestKvlCli::perft_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("depth");
    QTest::addColumn<QByteArray>("count");
    const QString start =
        QStringLiteral("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    QTest::newRow("initial, depth 0") << start << "0" << QByteArray("1\n");
    QTest::newRow("initial, depth 1") << start << "1" << QByteArray("20\n");
    QTest::newRow("initial, depth 3") << start << "3" << QByteArray("8902\n");
    QTest::newRow("Kiwipete, depth 2")
        << "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
        << "2" << QByteArray("2039\n");
    QTest::newRow("rook endgame, depth 3") << "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"
                                           << "3" << QByteArray("2812\n");
}

void TestKvlCli::perft() {
    QFETCH(QString, fen);
    QFETCH(QString, depth);
    QFETCH(QByteArray, count);
    const TRun run = Kvl({QStringLiteral("perft"), fen, depth});
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Out, count);
}

void TestKvlCli::usage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"replay", "x.kvl"};
    QTest::newRow("show without files") << QStringList{"show"};
    QTest::newRow("unknown option") << QStringList{"show", "--all", "x.kvl"};
    QTest::newRow("perft without depth") << QStringList{"perft", "8/8/8/8/8/8/8/8 w - -"};
    QTest::newRow("pgn without file") << QStringList{"pgn", "--white", "A"};
    QTest::newRow("pgn option without value") << QStringList{"pgn", "x.kvl", "--black"};
    QTest::newRow("pgn bad date") << QStringList{"pgn", "x.kvl", "--date", "8 Dec 2026"};
    QTest::newRow("import two files") << QStringList{"import", "a.pgn", "b.pgn"};
    QTest::newRow("import game 0") << QStringList{"import", "a.pgn", "--game", "0"};
    QTest::newRow("import game x") << QStringList{"import", "a.pgn", "--game=x"};
    QTest::newRow("pgn impossible date") << QStringList{"pgn", "x.kvl", "--date", "2026.02.30"};
    QTest::newRow("pgn name that looks like help") << QStringList{"pgn", "--white", "-h"};
    QTest::newRow("fen without file") << QStringList{"fen", "--ply", "2"};
    QTest::newRow("fen two files") << QStringList{"fen", "a.kvl", "b.kvl"};
    QTest::newRow("fen negative ply") << QStringList{"fen", "a.kvl", "--ply=-1"};
    QTest::newRow("fen ply x") << QStringList{"fen", "a.kvl", "--ply", "x"};
    QTest::newRow("fen ply without value") << QStringList{"fen", "a.kvl", "--ply"};
    QTest::newRow("fen game of a saved game") << QStringList{"fen", "a.kvl", "--game", "2"};
    QTest::newRow("list without file") << QStringList{"list", "--check"};
    QTest::newRow("list two files") << QStringList{"list", "a.pgn", "b.pgn"};
    QTest::newRow("list unknown option") << QStringList{"list", "a.pgn", "--checks"};
}

void TestKvlCli::usage() {
    QFETCH(QStringList, arguments);
    const TRun run = Kvl(arguments);
    QCOMPARE(run.Status, 2);
    QCOMPARE(run.Out, QByteArray());
    QVERIFY(run.Err.contains("--help"));

    const TRun help = Kvl(QStringList{"--help"} + arguments);
    QCOMPARE(help.Status, 0);
    QVERIFY(help.Out.startsWith("Usage: korvalen-kvl COMMAND"));
    QCOMPARE(help.Err, QByteArray());
}

void TestKvlCli::version() {
    const TRun run = Kvl({QStringLiteral("--version")});
    QCOMPARE(run.Status, 0);
    QVERIFY(QRegularExpression(QStringLiteral("^korvalen-kvl \\d+\\.\\d+\\.\\d+\n$"))
                .match(QString::fromUtf8(run.Out))
                .hasMatch());
}

void TestKvlCli::failures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");
    const QString start =
        QStringLiteral("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    QTest::newRow("bad FEN") << QStringList{"perft", "rnbqkbnr/pppppppp w KQkq -", "2"}
                             << QByteArray("bad FEN");
    QTest::newRow("no kings") << QStringList{"perft", "8/8/8/8/8/8/8/8 w - - 0 1", "1"}
                              << QByteArray("bad FEN");
    QTest::newRow("depth not a number")
        << QStringList{"perft", start, "three"} << QByteArray("bad depth");
    QTest::newRow("negative depth") << QStringList{"perft", start, "-1"} << QByteArray("bad depth");
    QTest::newRow("pgn of a bad game")
        << QStringList{"pgn", Data("bad-entry.kvl")} << QByteArray("bad-entry.kvl:3: ");
    QTest::newRow("pgn of a missing file")
        << QStringList{"pgn", "/nonexistent/x.kvl"} << QByteArray("/nonexistent/x.kvl");
    QTest::newRow("import of a missing file")
        << QStringList{"import", "/nonexistent/x.pgn"} << QByteArray("/nonexistent/x.pgn");
    QTest::newRow("import beyond the last game")
        << QStringList{"import", Data("masters.pgn"), "--game", "5"} << QByteArray("no game 5");
    QTest::newRow("fen beyond the game")
        << QStringList{"fen", Data("italian.kvl"), "--ply", "10"}
        << QByteArray("italian.kvl: there is no half-move 10 (the game has 9)\n");
    QTest::newRow("fen of a bad game") << QStringList{"fen", Data("bad-entry.kvl"), "--ply", "1"}
                                       << QByteArray("bad-entry.kvl:3: ");
    QTest::newRow("fen of a missing file")
        << QStringList{"fen", "/nonexistent/x.kvl"} << QByteArray("cannot read /nonexistent/x.kvl");
    QTest::newRow("fen beyond the last PGN game")
        << QStringList{"fen", Data("masters.pgn"), "--game", "5"} << QByteArray("no game 5");
    QTest::newRow("list of a missing file")
        << QStringList{"list", "/nonexistent/x.pgn"} << QByteArray("cannot read /nonexistent/x.pgn");
}

void TestKvlCli::failures() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    const TRun run = Kvl(arguments);
    QCOMPARE(run.Status, 1);
    QCOMPARE(run.Out, QByteArray());
    QVERIFY2(run.Err.contains(message), run.Err.constData());
}

void TestKvlCli::pgnTags() {
    const TRun run = Kvl({QStringLiteral("pgn"), Data("fools-mate.kvl"), QStringLiteral("--white"),
                          QStringLiteral("Пётр"), QStringLiteral("--black=Doe, J."),
                          QStringLiteral("--event"), QStringLiteral("Friday blitz"),
                          QStringLiteral("--date"), QStringLiteral("2026.12.??")});
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Out,
             QStringLiteral("[Event \"Friday blitz\"]\n[Site \"?\"]\n[Date \"2026.12.??\"]\n"
                            "[Round \"-\"]\n[White \"Пётр\"]\n[Black \"Doe, J.\"]\n"
                            "[Result \"0-1\"]\n\n1. f3 e5 2. g4 Qh4# 0-1\n\n")
                 .toUtf8());
}

void TestKvlCli::roundTripThroughProgram_data() {
    QTest::addColumn<QString>("pgn");
    QTest::addColumn<int>("game");
    for (int game = 1; game <= 4; ++game)
        QTest::addRow("masters, game %d", game) << Data("masters.pgn") << game;
    for (int game = 1; game <= 3; ++game)
        QTest::addRow("tolerant, game %d", game) << Data("tolerant.pgn") << game;
}

// PGN -> saved game -> PGN -> saved game: the two saved games are the same bytes.
void TestKvlCli::roundTripThroughProgram() {
    QFETCH(QString, pgn);
    QFETCH(int, game);
    const TRun imported =
        Kvl({QStringLiteral("import"), pgn, QStringLiteral("--game"), QString::number(game)});
    QCOMPARE(imported.Status, 0);
    QVERIFY(!imported.Out.isEmpty() && imported.Out.endsWith("\r\n"));
    const QString saved = Scratch.filePath(QStringLiteral("game.kvl"));
    QVERIFY(WriteFile(saved, imported.Out));
    const TRun exported =
        Kvl({QStringLiteral("pgn"), saved, QStringLiteral("--white"), QStringLiteral("W")});
    QCOMPARE(exported.Status, 0);
    const QString exportedPgn = Scratch.filePath(QStringLiteral("game.pgn"));
    QVERIFY(WriteFile(exportedPgn, exported.Out));
    const TRun again = Kvl({QStringLiteral("import"), exportedPgn});
    QCOMPARE(again.Status, 0);
    QCOMPARE(again.Out, imported.Out);
    QCOMPARE(ReadFile(saved), again.Out);
}

void TestKvlCli::importNamesBadMove() {
    const QString file = Scratch.filePath(QStringLiteral("bad.pgn"));
    QVERIFY(WriteFile(file,
                      "[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 *\n\n"
                      "[White \"Anna\"]\n[Black \"Boris\"]\n\n1. e4 d6 2. d4 Nf6 3. Nc3 Nd7 *\n\n"
                      "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\"]\n\n1. e4 *\n"));
    const TRun bad =
        Kvl({QStringLiteral("import"), file, QStringLiteral("--game"), QStringLiteral("2")});
    QCOMPARE(bad.Status, 1);
    QCOMPARE(bad.Out, QByteArray());
    QCOMPARE(bad.Err, "korvalen-kvl: " + file.toUtf8() +
                          ": game 2 (Anna - Boris): move 3... Nd7: ambiguous move\n");
    const TRun setUp =
        Kvl({QStringLiteral("import"), file, QStringLiteral("--game"), QStringLiteral("3")});
    QCOMPARE(setUp.Status, 1);
    QVERIFY(setUp.Err.contains("FEN"));
    const TRun first = Kvl({QStringLiteral("import"), file});
    QCOMPARE(first.Status, 0);
    QCOMPARE(first.Out, QByteArray("12>28\r\n52>36\r\n"));
}

void TestKvlCli::fen_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("fen");
    QTest::newRow("saved game, after the last move")
        << QStringList{"fen", Data("italian.kvl")}
        << QByteArray("r1bqk2r/pppp1Bpp/2n2n2/2b1p3/4P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 0 5\n");
    QTest::newRow("saved game, before the first move")
        << QStringList{"fen", Data("italian.kvl"), "--ply", "0"}
        << QByteArray("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n");
    QTest::newRow("saved game, after half-move 3")
        << QStringList{"fen", "--ply=3", Data("italian.kvl")}
        << QByteArray("rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2\n");
    QTest::newRow("saved game, the last half-move named")
        << QStringList{"fen", Data("fools-mate.kvl"), "--ply", "4"}
        << QByteArray("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3\n");
    QTest::newRow("PGN, first game")
        << QStringList{"fen", Data("masters.pgn")}
        << QByteArray("r1bk3r/p2pBpNp/n4n2/1p1NP2P/6P1/3P4/P1P1K3/q5b1 b - - 1 23\n");
    QTest::newRow("PGN, game 2 after half-move 5")
        << QStringList{"fen", Data("masters.pgn"), "--game", "2", "--ply", "5"}
        << QByteArray("r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3\n");
    QTest::newRow("PGN, game 4")
        << QStringList{"fen", Data("masters.pgn"), "--game=4"}
        << QByteArray("rnbB1b1r/ppk2ppp/2p5/4q3/4n3/8/PPP2PPP/2KR1BNR b - - 3 11\n");
}

void TestKvlCli::fen() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, fen);
    const TRun run = Kvl(arguments);
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Out, fen);
    QCOMPARE(run.Err, QByteArray());
}

void TestKvlCli::list_data() {
    QTest::addColumn<QByteArray>("pgn");
    QTest::addColumn<bool>("check");
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("status");
    QTest::newRow("tags in any order, quotes and a tab in a name, a game without tags")
        << QByteArray("[Event \"E\"]\n[Black \"B\tx\"]\n[Date \"1910.??.??\"]\n"
                      "[White \"Ivan \\\"G\\\"\"]\n[Result \"1-0\"]\n"
                      "1. e4 {x} (1. d4) 1-0\n\n1. d4 d5 *")
        << false
        << QByteArray("1\tIvan \"G\"\tB x\t1-0\t1910.??.??\tE\t1\n2\t\t\t\t\t\t2\n") << 0;
    QTest::newRow("checked: one plays, three do not")
        << QByteArray("1. e4 e5 *\n[White \"X\"]\n1. e4 e5 2. Ke3 *\n[Variant \"Atomic\"]\n"
                      "1. e4 *\n[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\"]\n1. e4 *")
        << true
        << QByteArray("1\t\t\t\t\t\t2\tok\n2\tX\t\t\t\t\t3\tmove 2. Ke3: illegal move\n"
                      "3\t\t\t\t\t\t1\tvariant \"atomic\" is not supported\n"
                      "4\t\t\t\t\t\t1\tthe game starts from a set-up position (FEN tag); a "
                      "saved game always starts from the initial position\n")
        << 1;
    QTest::newRow("empty file") << QByteArray() << true << QByteArray() << 0;
}

void TestKvlCli::list() {
    QFETCH(QByteArray, pgn);
    QFETCH(bool, check);
    QFETCH(QByteArray, lines);
    QFETCH(int, status);
    const QString file = Scratch.filePath(QStringLiteral("games.pgn"));
    QVERIFY(WriteFile(file, pgn));
    const TRun run = Kvl(QStringList{QStringLiteral("list"), file} +
                         (check ? QStringList{QStringLiteral("--check")} : QStringList()));
    QCOMPARE(run.Out, lines);
    QCOMPARE(run.Status, status);
    QCOMPARE(run.Err, QByteArray());
}

QTEST_GUILESS_MAIN(TestKvlCli)
#include "tst_kvl_cli.moc"
