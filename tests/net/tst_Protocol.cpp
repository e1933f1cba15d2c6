// Building and taking apart messages, and the Windows-1251 text they travel in.
#include "Protocol.h"
#include "TextCodec.h"

#include <QTest>

class TestProtocol : public QObject {
    Q_OBJECT

private slots:
    void build_data();
    void build();
    void moveList_data();
    void moveList();
    void selection_data();
    void selection();
    void takeBack_data();
    void takeBack();
    void splitMessage();
    void encode_data();
    void encode();
    void decodeEveryByte();
};

void TestProtocol::build_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no moves") << MoveListMessage({}) << "l";
    QTest::newRow("one move") << MoveListMessage({"12>28"}) << "l12>28";
    QTest::newRow("two moves and a promotion")
        << MoveListMessage({"12>28", "52>36", "49>56,K"}) << "l12>28|52>36|49>56,K";
    QTest::newRow("no selection") << SelectionMessage(NoSelection) << "s-1";
    QTest::newRow("e2 picked up") << SelectionMessage(12) << "s12";
    QTest::newRow("a1 picked up") << SelectionMessage(0) << "s0";
    QTest::newRow("chat") << ChatMessage("Привет") << "m  - Привет";
    QTest::newRow("empty chat") << ChatMessage("") << "m  - ";
    QTest::newRow("chat line") << ChatLine("hi") << "  - hi";
    QTest::newRow("request") << TakeBackMessage(TTakeBack::Request) << "rQuest";
    QTest::newRow("consent") << TakeBackMessage(TTakeBack::Consent) << "rYes";
    QTest::newRow("refusal") << TakeBackMessage(TTakeBack::Refusal) << "rNo";
}

void TestProtocol::build() {
    QFETCH(QString, message);
    QFETCH(QString, expected);
    QCOMPARE(message, expected);
}

void TestProtocol::moveList_data() {
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one") << "12>28" << QStringList{"12>28"};
    QTest::newRow("three") << "12>28|52>36|49>56,Q" << QStringList{"12>28", "52>36", "49>56,Q"};
    QTest::newRow("lone separator") << "|" << QStringList{"", ""};
}

void TestProtocol::moveList() {
    QFETCH(QString, payload);
    QFETCH(QStringList, entries);
    QCOMPARE(ParseMoveList(payload), entries);
    QCOMPARE(SplitMessage(MoveListMessage(entries)).Payload, entries.join(u'|'));
}

void TestProtocol::selection_data() {
    QTest::addColumn<QString>("payload");
    QTest::addColumn<int>("square");
    QTest::newRow("none") << "-1" << -1;
    QTest::newRow("a1") << "0" << 0;
    QTest::newRow("f1") << "5" << 5;
    QTest::newRow("h8") << "63" << 63;
    QTest::newRow("past h8") << "64" << -1;
    QTest::newRow("below none") << "-2" << -1;
    QTest::newRow("huge") << "99999999999" << -1;
    QTest::newRow("plus sign") << "+5" << -1;
    QTest::newRow("blank before") << " 5" << -1;
    QTest::newRow("blank after") << "5 " << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("minus alone") << "-" << -1;
    QTest::newRow("letters") << "e2" << -1;
    QTest::newRow("a move list") << "12>28" << -1;
}

void TestProtocol::selection() {
    QFETCH(QString, payload);
    QFETCH(int, square);
    QCOMPARE(ParseSelection(payload), square);
}

void TestProtocol::takeBack_data() {
    QTest::addColumn<QString>("payload");
    QTest::addColumn<int>("kind"); // -1: not a take-back payload
    QTest::newRow("request") << "Quest" << int(TTakeBack::Request);
    QTest::newRow("consent") << "Yes" << int(TTakeBack::Consent);
    QTest::newRow("refusal") << "No" << int(TTakeBack::Refusal);
    QTest::newRow("lower case") << "yes" << -1;
    QTest::newRow("trailing blank") << "No " << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("with kind letter") << "rYes" << -1;
}

void TestProtocol::takeBack() {
    QFETCH(QString, payload);
    QFETCH(int, kind);
    const std::optional<TTakeBack> parsed = ParseTakeBack(payload);
    QCOMPARE(parsed ? int(*parsed) : -1, kind);
    if (parsed)
        QCOMPARE(TakeBackMessage(*parsed), u'r' + payload);
}

void TestProtocol::splitMessage() {
    const TNetMessage empty = SplitMessage("");
    QVERIFY(empty.Kind.isNull());
    QVERIFY(empty.Payload.isEmpty());
    const TNetMessage kindOnly = SplitMessage("l");
    QCOMPARE(kindOnly.Kind, MoveListKind);
    QVERIFY(kindOnly.Payload.isEmpty());
    const TNetMessage chat = SplitMessage(ChatMessage("да"));
    QCOMPARE(chat.Kind, ChatKind);
    QCOMPARE(chat.Payload, ChatLine("да"));
}

void TestProtocol::encode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "l12>28|52>36,Q" << QByteArray("l12>28|52>36,Q");
    QTest::newRow("russian") << "Привет" << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2");
    QTest::newRow("yo") << "ёЁ" << QByteArray("\xb8\xa8");
    QTest::newRow("euro and dash") << "€—" << QByteArray("\x88\x97");
    QTest::newRow("chinese") << "中a" << QByteArray("?a");
    QTest::newRow("emoji is one character") << "😀!" << QByteArray("?!");
    QTest::newRow("latin accent") << "é" << QByteArray("?");
}

void TestProtocol::encode() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeText(text), bytes);
    if (!bytes.contains('?'))
        QCOMPARE(DecodeText(bytes), text);
}

// Every byte decodes to one character that encodes back to it, so foreign text passes unchanged.
void TestProtocol::decodeEveryByte() {
    for (int byte = 0; byte < 256; ++byte) {
        const QByteArray one(1, static_cast<char>(byte));
        const QString text = DecodeText(one);
        QCOMPARE(text.size(), 1);
        QCOMPARE(EncodeText(text), one);
    }
    QCOMPARE(DecodeText("\x98"), QString(QChar(0x98)));
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "tst_Protocol.moc"
