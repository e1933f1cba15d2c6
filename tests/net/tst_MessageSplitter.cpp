// Message boundaries in a byte stream that TCP may cut or join anywhere.
#include "MessageSplitter.h"

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
};

void TestMessageSplitter::cutAnywhere_data() {
    QTest::addColumn<TMessages>("messages");
    QTest::newRow("press then move") << TMessages{"l", "s12", "l12>28", "s-1"};
    QTest::newRow("take-back round") << TMessages{"rQuest", "rYes", "rNo", "rQuest", "s5"};
    QTest::newRow("take-back after selections") << TMessages{"s-1", "rYes", "s12", "rNo", "l"};
    QTest::newRow("long list") << TMessages{LongMoveList(), "s-1", LongMoveList(), "s12"};
    QTest::newRow("all kinds, chat last") << (RealMessages() << "m  - ls-1rYes и всё");
}

// Every cut of the stream into two reads, and a cut after every byte, hand on the same messages.
void TestMessageSplitter::cutAnywhere() {
    QFETCH(TMessages, messages);
    const QByteArray stream = messages.join();
    const bool chatLast = messages.last().startsWith('m');
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        // The chat line runs to the end of its read, so it may only be cut before its "  - "
        // has been read whole.
        if (chatLast && cut > stream.size() - messages.last().size() + 4 && cut < stream.size())
            continue;
        TMessageSplitter splitter;
        TMessages out = FeedAll(splitter, {stream.first(cut), stream.sliced(cut)});
        out += splitter.Flush();
        QCOMPARE(out, messages);
        QVERIFY(!splitter.HasPending());
    }
    if (chatLast)
        return;
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
    QTest::newRow("take-back complete at once")
        << TMessages{"rYes", "rNo", "rQuest"} << QList<TMessages>{{"rYes"}, {"rNo"}, {"rQuest"}}
        << TMessages{};
    QTest::newRow("take-back cut inside its lower-case letters")
        << TMessages{"rQues", "trYe", "s"} << QList<TMessages>{{}, {"rQuest"}, {"rYes"}}
        << TMessages{};
    QTest::newRow("chat runs to the end of its read")
        << TMessages{"m  - l12>28 s-1 rNo", "s3"} << QList<TMessages>{{"m  - l12>28 s-1 rNo"}, {}}
        << TMessages{"s3"};
    QTest::newRow("chat cut inside its prefix waits")
        << TMessages{"s1m ", " - hi"} << QList<TMessages>{{"s1"}, {"m  - hi"}} << TMessages{};
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
        << TMessages{"?? m  - hi"} << QList<TMessages>{{"?? ", "m  - hi"}} << TMessages{};
    QTest::newRow("empty list then selection")
        << TMessages{"ls-1"} << QList<TMessages>{{"l"}} << TMessages{"s-1"};
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

QTEST_APPLESS_MAIN(TestMessageSplitter)
#include "tst_MessageSplitter.moc"
