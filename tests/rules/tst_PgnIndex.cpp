// The index of a PGN collection: where each game lies, its tags and its half-moves, found
// without playing a move, and always in step with the reader that plays the game once picked.
#include "GameSupport.h"
#include "Pgn.h"
#include "PgnIndex.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

// One game as the index describes it: "plies|White|Black|Result|Date|Event".
QString Described(const TPgnSource &source, const TPgnIndexEntry &game) {
    QStringList fields{QString::number(game.Plies)};
    for (const TPgnTag tag :
         {TPgnTag::White, TPgnTag::Black, TPgnTag::Result, TPgnTag::Date, TPgnTag::Event})
        fields.append(source.Tag(game, tag));
    return fields.join(u'|');
}

// The same game as the reader sees it in the whole text.
QString Described(const TPgnGame &game) {
    QStringList fields{QString::number(game.Moves.size())};
    for (const char *tag : {"White", "Black", "Result", "Date", "Event"})
        fields.append(game.Tag(QString::fromLatin1(tag)));
    return fields.join(u'|');
}

const char SetUpGame[] = "[Event \"Study\"]\n[SetUp \"1\"]\n[FEN \"8/8/8/8/8/8/8/K6k w - - 0 1\"]"
                         "\n\n1. Kb1 Kg1 *\n";

} // namespace

class TestPgnIndex : public QObject {
    Q_OBJECT

private slots:
    void gamesOfText_data();
    void gamesOfText();
    void agreesWithTheReader_data();
    void agreesWithTheReader();
    void whyAGameDoesNotPlay_data();
    void whyAGameDoesNotPlay();
    void checkAgreesWithTheRecord();
};

void TestPgnIndex::gamesOfText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("games");
    QTest::newRow("tags in an odd order")
        << QByteArray("[Result \"1-0\"]\n[Black \"B\"]\n[Event \"E\"]\n[Date \"2020.01.02\"]\n"
                      "[White \"W\"]\n\n1. e4 e5 2. Qh5 1-0\n")
        << QStringList{"3|W|B|1-0|2020.01.02|E"};
    QTest::newRow("escaped quotes and backslash")
        << QByteArray("[White \"Ivan \\\"Grozny\\\" Petrov\"]\n[Black \"a\\\\b\"]\n\n1. d4 *\n")
        << QStringList{"1|Ivan \"Grozny\" Petrov|a\\b|||"};
    QTest::newRow("comments, variations, NAGs, escape lines")
        << QByteArray("[White \"A\"]\n1. e4 {best [by] test} e5 (1... c5 2. Nf3 (2. c3 1-0) d6)"
                      " 2. Nf3! $1 Nc6 ; 3. Bc4\n%4. Qh5 escape\n3. Bb5 a6?! 1/2-1/2\n")
        << QStringList{"6|A||||"};
    QTest::newRow("games without tags") << QByteArray("1. d4 d5 *\n\n1. c4 0-1\n1.e4 e5 2.Nf3")
                                        << QStringList{"2|||||", "1|||||", "3|||||"};
    QTest::newRow("a game without a result before the next one's tags")
        << QByteArray("[White \"A\"]\n1. e4 e5\n\n[White \"B\"]\n1. d4 *\n")
        << QStringList{"2|A||||", "1|B||||"};
    QTest::newRow("a broken game among good ones")
        << QByteArray("[White \"A\"]\n1. e4 *\n[White \"B\"]\n1. e4 e5 2. Ke3 @@ xx 1-0\n"
                      "[White \"C\"]\n1. c4 *\n")
        << QStringList{"1|A||||", "4|B||||", "1|C||||"};
    QTest::newRow("a game from a set-up position")
        << QByteArray(SetUpGame) << QStringList{"2|||||Study"};
    QTest::newRow("the first of two tags of one name")
        << QByteArray("[White \"first\"]\n[White \"second\"]\n*") << QStringList{"0|first||||"};
    QTest::newRow("Latin-1 name") << QByteArray("[White \"J\xfcrgen\"]\n*\n")
                                  << QStringList{"0|Jürgen||||"};
    QTest::newRow("UTF-8 name") << QByteArray("[Black \"Пётр\"]\n*\n") << QStringList{"0||Пётр|||"};
    QTest::newRow("half-half result, old en-passant remark")
        << QByteArray("1. e4 d5 2. e5 f5 3. exf6 e.p. \xc2\xbd-\xc2\xbd") << QStringList{"5|||||"};
    QTest::newRow("tags only, and no text at all")
        << QByteArray("[Event \"x\"]\n\n\n") << QStringList{"0|||||x"};
    QTest::newRow("empty") << QByteArray("  \n{comment only}\n") << QStringList{};
}

void TestPgnIndex::gamesOfText() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, games);
    const std::shared_ptr<const TPgnSource> source = TPgnSource::OfBytes(text);
    QStringList found;
    for (const TPgnIndexEntry &game : IndexPgn(source->Bytes()))
        found.append(Described(*source, game));
    QCOMPARE(found, games);
    QCOMPARE(HoldsSeveralPgnGames(source->Bytes()), games.size() > 1);
}

// Each game's bytes, read alone, give the game the reader finds in the whole text; the test
// games of the project and the texts above are the samples.
void TestPgnIndex::agreesWithTheReader_data() {
    gamesOfText_data();
    const QDir data(QStringLiteral(TEST_DATA_DIR));
    for (const QString &name : data.entryList({QStringLiteral("*.pgn")})) {
        QFile file(data.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTest::newRow(qPrintable(name)) << file.readAll() << QStringList();
    }
}

void TestPgnIndex::agreesWithTheReader() {
    QFETCH(QByteArray, text);
    const std::shared_ptr<const TPgnSource> source = TPgnSource::OfBytes(text);
    const std::vector<TPgnIndexEntry> index = IndexPgn(source->Bytes());
    const QList<TPgnGame> games = ReadPgnGames(DecodePgn(text));
    QCOMPARE(qsizetype(index.size()), games.size());
    for (qsizetype i = 0; i < games.size(); ++i) {
        QCOMPARE(Described(*source, index[i]), Described(games[i]));
        const QList<TPgnGame> alone =
            ReadPgnGames(DecodePgn(source->GameBytes(index[i]).toByteArray()));
        QCOMPARE(alone.size(), 1);
        QCOMPARE(alone.front().Moves, games[i].Moves);
        QCOMPARE(alone.front().Tags, games[i].Tags);
    }
}

void TestPgnIndex::whyAGameDoesNotPlay_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("cause"); // -1: the game plays
    QTest::addColumn<QString>("reason");
    using TCause = TPgnFailure::TCause;
    QTest::newRow("plays") << QByteArray("1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0") << -1 << "";
    QTest::newRow("ambiguous move") << QByteArray("1. Nf3 Nf6 2. Nc3 Nc6 3. Nd4 Nd5 4. Nb5 *")
                                    << int(TCause::BadMove) << "move 4. Nb5: ambiguous move";
    QTest::newRow("set-up position") << QByteArray(SetUpGame) << int(TCause::SetUpPosition)
                                     << "the game starts from a set-up position (FEN tag); a "
                                        "saved game always starts from the initial position";
    QTest::newRow("beyond ASCII in tag values only")
        << QByteArray("[White \"Пётр\"]\n[Variant \"Атомные\"]\n1. e4 *") << int(TCause::Variant)
        << "variant \"атомные\" is not supported";
    QTest::newRow("beyond ASCII in a comment")
        << QByteArray("1. e4 {Хорошо} e5 2. Ke3 *") << int(TCause::BadMove)
        << "move 2. Ke3: illegal move";
    // The reader skips a NUL byte as it skips any stray character; it splits no move number.
    QTest::newRow("NUL bytes in a move number")
        << QByteArray("1. e4 e5 1\0\0" "2. Nf3 *", 20) << -1 << "";
    QTest::newRow("no game") << QByteArray("{nothing}") << int(TCause::NoGame)
                             << "no game in the text";
}

void TestPgnIndex::whyAGameDoesNotPlay() {
    QFETCH(QByteArray, text);
    QFETCH(int, cause);
    QFETCH(QString, reason);
    const std::optional<TPgnFailure> failure = FailureOfPgnGame(text);
    QCOMPARE(failure.has_value(), cause >= 0);
    const QList<TPgnGame> games = ReadPgnGames(DecodePgn(text));
    QString loadError;
    QCOMPARE(!games.isEmpty() && RecordOfPgnGame(games.front(), &loadError), cause < 0);
    if (failure) {
        QCOMPARE(int(failure->Cause), cause);
        QCOMPARE(failure->Reason, reason);
    }
}

// The check of a collection plays on bitboards alone; it must take and refuse exactly the games
// the load takes and refuses, for the same reason. Random games with castlings, en-passant
// captures and promotions, each also spoiled at one move in three ways.
void TestPgnIndex::checkAgreesWithTheRecord() {
    int refused = 0;
    for (const QStringList &record : LongGames(4, 120)) {
        const QList<TPgnGame> exported = ReadPgnGames(*PgnOfRecord(record, TPgnTags()));
        QCOMPARE(exported.size(), 1);
        const TPgnGame game = exported.front();
        QCOMPARE(CheckPgnGame(game).has_value(), false);
        for (const qsizetype ply : {qsizetype(1), game.Moves.size() / 2, game.Moves.size() - 1}) {
            for (const auto &spoil :
                 {+[](QString &san) { san = QStringLiteral("Qh5"); },
                  +[](QString &san) { san.remove(0, 1); },
                  +[](QString &san) { san.chop(san.contains(u'=') ? 2 : 0); }}) {
                TPgnGame spoilt = game;
                spoil(spoilt.Moves[ply]);
                TPgnFailure loaded;
                const bool loads = RecordOfPgnGame(spoilt, &loaded).has_value();
                const std::optional<TPgnFailure> checked = CheckPgnGame(spoilt);
                QCOMPARE(checked.has_value(), !loads);
                if (checked) {
                    QCOMPARE(checked->Reason, loaded.Reason);
                    QCOMPARE(checked->Ambiguous, loaded.Ambiguous);
                    ++refused;
                }
            }
        }
    }
    QVERIFY(refused > 10);
}

QTEST_GUILESS_MAIN(TestPgnIndex)
#include "tst_PgnIndex.moc"
