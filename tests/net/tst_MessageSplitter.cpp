// Message boundaries in a byte stream that TCP may cut or join anywhere.
#include "MessageSplitter.h"
#include "Protocol.h"
#include "TextCodec.h"

#include <QTest>

using TMessages = QList<QByteArray>;

namespace {

TMessages FeedAll(TMessageSplitter &splitter, const TMessages &reads) {
    TMessages out;
    for (const QByteArray &read : reads)
        out += splitter.Feed(read);
    return out;
}

QByteArray LongMoveList() {
    // A game of 120 moves with a promotion, longer than one TCP packet ever needs to be.
    QByteArrayList entries;
    for (int i = 0; i < 120; ++i)
        entries.append(QByteArray::number(i % 64) + '>' + QByteArray::number((i * 7) % 64));
    entries.append("52>60,Q");
    return 'l' + entries.join('|');
}

// The bytes cut into reads of size bytes (the last one shorter).
TMessages Reads(const QByteArray &bytes, qsizetype size) {
    TMessages reads;
    for (qsizetype at = 0; at < bytes.size(); at += reads.last().size())
        reads.append(bytes.mid(at, size));
    return reads;
}

// A chat message of exactly size bytes: its text repeated and cut to fit.
QByteArray ChatOfSize(const QString &text, qsizetype size) {
    QByteArray message = EncodeText(ChatMessage(text));
    while (message.size() < size)
        message += EncodeText(text);
    return message.first(size);
}

// A list of that many moves, as the sender writes it.
QByteArray MoveListOf(int moves) {
    QStringList entries;
    for (int i = 0; i < moves; ++i)
        entries.append(QStringLiteral("%1>%2").arg(i % 64).arg((i * 7) % 64));
    return MoveListMessage(entries).toLatin1();
}

// The messages this program sends, chat aside.
TMessages RealMessages() {
    return {"l",      "s12",  "l12>28", "s-1",          "l12>28|52>36",  "s63",
            "rQuest", "rYes", "rNo",    "s0",           "l0>8,Q|1>18,K", "s-1",
            "rNo",    "l",    "rYes",   LongMoveList(), "rQuest",        "s7"};
}

} // namespace

class TestMessageSplitter : public QObject {
    Q_OBJECT

private slots:
    void cutAnywhere_data();
    void cutAnywhere();
    void twoJoined_data();
    void twoJoined();
    void handedOnWhenKnown_data();
    void handedOnWhenKnown();
    void zeroByteReadIgnored();
    void longChatAtEverySegmentSize_data();
    void longChatAtEverySegmentSize();
    void tooLongDropped_data();
    void tooLongDropped();
};

void TestMessageSplitter::cutAnywhere_data() {
    QTest::addColumn<TMessages>("messages");
    QTest::newRow("press then move") << TMessages{"l", "s12", "l12>28", "s-1"};
    QTest::newRow("take-back round") << TMessages{"rQuest", "rYes", "rNo", "rQuest", "s5"};
    QTest::newRow("take-back after selections") << TMessages{"s-1", "rYes", "s12", "rNo", "l"};
    QTest::newRow("long list") << TMessages{LongMoveList(), "s-1", LongMoveList(), "s12"};
    QTest::newRow("all kinds, chat last") << (RealMessages() << "m  - ls-1rYes и всё");
    // Garbage from a peer, each piece starting with a lower-case letter so that it ends the
    // list or selection before it: a take-back's letters never borrow the next message's kind
    // letter, and an empty list is never glued onto garbage.
    QTest::newRow("garbage between")
        << TMessages{"#rYe",   "s48", "hello", "l",   "l12>28", "s-1", "x%%", "l",  "rNo",
                     "rYes",   "s5",  "qrYe",  "s-1", "u",      "l",   "l",   "s3", "z!rQue",
                     "rQuest", "b",   "l",     "l",   "l",      "s44", "zz",  "l"};
}

// Every cut of the stream into two reads, and a cut after every byte, hand on the same messages.
void TestMessageSplitter::cutAnywhere() {
    QFETCH(TMessages, messages);
    const QByteArray stream = messages.join();
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        TMessageSplitter splitter;
        TMessages out = FeedAll(splitter, {stream.first(cut), stream.sliced(cut)});
        out += splitter.Flush();
        QCOMPARE(out, messages);
        QVERIFY(!splitter.HasPending());
    }
    TMessageSplitter splitter;
    TMessages out;
    for (const char byte : stream)
        out += splitter.Feed(QByteArray(1, byte));
    out += splitter.Flush();
    QCOMPARE(out, messages);
}

void TestMessageSplitter::twoJoined_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    TMessages firsts = RealMessages();
    firsts.removeIf(
        [&](const QByteArray &m) { return firsts.indexOf(m) != firsts.lastIndexOf(m); });
    firsts << "s-1"
           << "l"
           << "rNo"
           << "rYes"
           << "rQuest";
    TMessages seconds = firsts;
    seconds << "m  - Привет"
            << "m  - "
            << "m  - rNo s1 l2";
    for (qsizetype i = 0; i < firsts.size(); ++i) {
        for (qsizetype j = 0; j < seconds.size(); ++j)
            QTest::addRow("%lld + %lld", qlonglong(i), qlonglong(j)) << firsts[i] << seconds[j];
    }
}

// Two messages that arrive in one read are handed on as two.
void TestMessageSplitter::twoJoined() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    TMessageSplitter splitter;
    TMessages out = splitter.Feed(first + second);
    out += splitter.Flush();
    QCOMPARE(out, (TMessages{first, second}));
}

void TestMessageSplitter::handedOnWhenKnown_data() {
    QTest::addColumn<TMessages>("reads");
    QTest::addColumn<QList<TMessages>>("afterEachRead");
    QTest::addColumn<TMessages>("afterQuietTime");

    QTest::newRow("list waits for the next kind letter")
        << TMessages{"l12>28", "s-1"} << QList<TMessages>{{}, {"l12>28"}} << TMessages{"s-1"};
    // A consent waits for the byte after it: an "s" followed by a digit or sign is a selection's.
    QTest::newRow("take-back complete at once, a consent once the next byte is known")
        << TMessages{"rYes", "rNo", "rQuest"} << QList<TMessages>{{}, {"rYes", "rNo"}, {"rQuest"}}
        << TMessages{};
    QTest::newRow("take-back cut inside its lower-case letters")
        << TMessages{"rQues", "trYe", "s"} << QList<TMessages>{{}, {"rQuest"}, {}}
        << TMessages{"rYes"};
    QTest::newRow("chat runs until the line is quiet")
        << TMessages{"m  - l12>28 s-1 rNo", "s3"} << QList<TMessages>{{}, {}}
        << TMessages{"m  - l12>28 s-1 rNos3"};
    QTest::newRow("chat cut inside its prefix waits")
        << TMessages{"s1m ", " - hi"} << QList<TMessages>{{"s1"}, {}} << TMessages{"m  - hi"};
    QTest::newRow("unfinished take-back handed on after the quiet time")
        << TMessages{"rQu"} << QList<TMessages>{{}} << TMessages{"rQu"};
    QTest::newRow("garbage before a list")
        << TMessages{"xyz!l12>28s5"} << QList<TMessages>{{"xyz!", "l12>28"}} << TMessages{"s5"};
    QTest::newRow("garbage with lower-case letters stays one message")
        << TMessages{"hello world", "rNo"} << QList<TMessages>{{}, {"hello world", "rNo"}}
        << TMessages{};
    QTest::newRow("garbage alone")
        << TMessages{"\x01\xff"} << QList<TMessages>{{}} << TMessages{"\x01\xff"};
    QTest::newRow("unknown take-back answer")
        << TMessages{"rMaybes12"} << QList<TMessages>{{"rMaybe"}} << TMessages{"s12"};
    QTest::newRow("garbage before chat")
        << TMessages{"?? m  - hi"} << QList<TMessages>{{"?? "}} << TMessages{"m  - hi"};
    QTest::newRow("empty list then selection")
        << TMessages{"ls-1"} << QList<TMessages>{{"l"}} << TMessages{"s-1"};
    // Found by fuzzing: "rYes" and a lost selection.
    QTest::newRow("garbage ending in rYe, then a selection")
        << TMessages{"xyzrYe", "s48"} << QList<TMessages>{{}, {"xyzrYe"}} << TMessages{"s48"};
    QTest::newRow("garbage ending in rYe, the selection's letter in the same read")
        << TMessages{"xyzrYes", "48"} << QList<TMessages>{{}, {"xyzrYe"}} << TMessages{"s48"};
    QTest::newRow("consent, then a selection")
        << TMessages{"rYess-1"} << QList<TMessages>{{"rYes"}} << TMessages{"s-1"};
    // Found by fuzzing: "xyzl" as one message.
    QTest::newRow("empty list after garbage, then quiet")
        << TMessages{"xyzl"} << QList<TMessages>{{}} << TMessages{"xyz", "l"};
    QTest::newRow("empty list after garbage, then a list")
        << TMessages{"xyzl", "l12>28s"} << QList<TMessages>{{}, {"xyz", "l", "l12>28"}}
        << TMessages{"s"};
}

// A message is handed on as soon as its end is known, and an unfinished one after the quiet time.
void TestMessageSplitter::handedOnWhenKnown() {
    QFETCH(TMessages, reads);
    QFETCH(QList<TMessages>, afterEachRead);
    QFETCH(TMessages, afterQuietTime);
    TMessageSplitter splitter;
    for (qsizetype i = 0; i < reads.size(); ++i)
        QCOMPARE(splitter.Feed(reads[i]), afterEachRead[i]);
    QCOMPARE(splitter.HasPending(), !afterQuietTime.isEmpty());
    QCOMPARE(splitter.Flush(), afterQuietTime);
    QVERIFY(!splitter.HasPending());
    QVERIFY(splitter.Flush().isEmpty());
}

void TestMessageSplitter::zeroByteReadIgnored() {
    TMessageSplitter splitter;
    QVERIFY(splitter.Feed({}).isEmpty());
    QVERIFY(!splitter.HasPending());
    QVERIFY(splitter.Feed("l1>2").isEmpty());
    QVERIFY(splitter.Feed({}).isEmpty());
    QCOMPARE(splitter.Feed("s2"), TMessages{"l1>2"});
}

void TestMessageSplitter::longChatAtEverySegmentSize_data() {
    QTest::addColumn<QByteArray>("chat");
    QTest::newRow("Russian, 3000 bytes of Windows-1251") << ChatOfSize(
        QStringLiteral("Предлагаю ничью: ферзь g5, ладья h8, потом l12>28|52>36 s-1 rYes. "), 3000);
    QTest::newRow("made of rYes") << ChatOfSize(QStringLiteral("rYes "), 3000);
    QTest::newRow("made of presses") << ChatOfSize(QStringLiteral("l12>28|52>36s-1rQuest"), 2000);
}

// A chat line longer than one TCP segment, cut into segments of every size an Ethernet link
// uses, is one message however it is cut; none of its bytes acts as a message of its own, and
// the move list sent after the pause comes through as one.
void TestMessageSplitter::longChatAtEverySegmentSize() {
    QFETCH(QByteArray, chat);
    const QByteArray list = MoveListOf(40);
    for (qsizetype size = 1; size <= 1448; ++size) {
        TMessageSplitter splitter;
        TMessages out = splitter.Feed("s12");
        out += FeedAll(splitter, Reads(chat, size));
        QCOMPARE(out, TMessages{"s12"});
        QCOMPARE(splitter.Flush(), TMessages{chat});
        out = FeedAll(splitter, {list, "s-1"});
        out += splitter.Flush();
        QCOMPARE(out, (TMessages{list, "s-1"}));
    }
}

void TestMessageSplitter::tooLongDropped_data() {
    QTest::addColumn<QList<QByteArray>>("stretches"); // the bytes between two quiet moments
    QTest::addColumn<TMessages>("expected");
    const qsizetype max = TMessageSplitter::MaxMessageBytes;
    const QByteArray garbage(max, '#');
    const QByteArray press = "l12>28s-1";
    QTest::newRow("garbage as long as allowed")
        << QList<QByteArray>{garbage + press} << TMessages{garbage, "l12>28", "s-1"};
    QTest::newRow("garbage one byte longer")
        << QList<QByteArray>{garbage + '#' + press} << TMessages{"l12>28", "s-1"};
    QTest::newRow("garbage that never ends, then quiet")
        << QList<QByteArray>{garbage + garbage + "rQu", press} << TMessages{"l12>28", "s-1"};
    QTest::newRow("a move list of 1000 moves")
        << QList<QByteArray>{MoveListOf(1000) + "s5"} << TMessages{MoveListOf(1000), "s5"};
    QTest::newRow("a move list without end")
        << QList<QByteArray>{'l' + QByteArray(max, '1') + "s5"} << TMessages{"s5"};
    const QByteArray chat = ChatOfSize(QStringLiteral("Привет rYes "), max);
    QTest::newRow("chat as long as allowed")
        << QList<QByteArray>{chat, press} << TMessages{chat, "l12>28", "s-1"};
    // Its end is still the quiet: what follows it within that time does not act either.
    QTest::newRow("chat one byte longer")
        << QList<QByteArray>{chat + "r" + press, press} << TMessages{"l12>28", "s-1"};
}

// A message longer than any this program sends is dropped, however it is cut into reads, and
// the messages after it come through.
void TestMessageSplitter::tooLongDropped() {
    QFETCH(QList<QByteArray>, stretches);
    QFETCH(TMessages, expected);
    for (const qsizetype size : {qsizetype(1024), 8 * TMessageSplitter::MaxMessageBytes}) {
        TMessageSplitter splitter;
        TMessages out;
        for (const QByteArray &stretch : stretches) {
            out += FeedAll(splitter, Reads(stretch, size));
            out += splitter.Flush();
        }
        QCOMPARE(out, expected);
        QVERIFY(!splitter.HasPending());
    }
}

QTEST_APPLESS_MAIN(TestMessageSplitter)
#include "tst_MessageSplitter.moc"
