// The datagrams of finding each other on the LAN, and the choice of networks, without sockets.
#include "DiscoveryMessage.h"
#include "LanNetworks.h"

#include <QTest>

class TestDiscoveryMessage : public QObject {
    Q_OBJECT

private slots:
    void probes_data();
    void probes();
    void answers_data();
    void answers();
    void longNameStaysInOneDatagram();
    void computerNames_data();
    void computerNames();
    void nonces();
    void virtualBridges_data();
    void virtualBridges();
    void networkHolding_data();
    void networkHolding();
};

void TestDiscoveryMessage::probes_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QByteArray>("nonce"); // empty: not a probe
    QTest::newRow("probe") << QByteArray("KVLN/1 Q 0123456789abcdef")
                           << QByteArray("0123456789abcdef");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("head only") << QByteArray("KVLN/1 Q ") << QByteArray();
    QTest::newRow("another version") << QByteArray("KVLN/2 Q 0123456789abcdef") << QByteArray();
    QTest::newRow("lower-case head") << QByteArray("kvln/1 q 0123456789abcdef") << QByteArray();
    QTest::newRow("capital hex") << QByteArray("KVLN/1 Q 0123456789ABCDEF") << QByteArray();
    QTest::newRow("15 digits") << QByteArray("KVLN/1 Q 0123456789abcde") << QByteArray();
    QTest::newRow("17 digits") << QByteArray("KVLN/1 Q 0123456789abcdef0") << QByteArray();
    QTest::newRow("not hex") << QByteArray("KVLN/1 Q 0123456789abcdeg") << QByteArray();
    QTest::newRow("line end") << QByteArray("KVLN/1 Q 0123456789abcdef\n") << QByteArray();
    QTest::newRow("two blanks") << QByteArray("KVLN/1 Q  0123456789abcdef") << QByteArray();
    QTest::newRow("nul inside") << QByteArray("KVLN/1 Q 01234567\0009abcdef", 25) << QByteArray();
}

void TestDiscoveryMessage::probes() {
    QFETCH(QByteArray, datagram);
    QFETCH(QByteArray, nonce);
    const std::optional<QByteArray> parsed = ParseProbe(datagram);
    QCOMPARE(parsed.value_or(QByteArray()), nonce);
    if (parsed)
        QCOMPARE(ProbeDatagram(*parsed), datagram);
}

void TestDiscoveryMessage::answers_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("name");
    const auto valid = [](const char *tag, const QByteArray &datagram, int port, bool busy,
                          const QString &name) {
        QTest::newRow(tag) << datagram << true << port << busy << name;
    };
    const auto invalid = [](const char *tag, const QByteArray &datagram) {
        QTest::newRow(tag) << datagram << false << 0 << false << QString();
    };
    valid("free", "KVLN/1 A 0123456789abcdef 6464 F kitchen-pc", 6464, false, "kitchen-pc");
    valid("busy", "KVLN/1 A 0123456789abcdef 1 B a", 1, true, "a");
    valid("highest port", "KVLN/1 A 0123456789abcdef 65535 F x", 65535, false, "x");
    valid("blanks in the name", "KVLN/1 A 0123456789abcdef 6464 F my pc ", 6464, false, "my pc ");
    valid("no name", "KVLN/1 A 0123456789abcdef 6464 F ", 6464, false, "");
    valid("Cyrillic name", QStringLiteral("KVLN/1 A 0123456789abcdef 6464 F кухня").toUtf8(), 6464,
          false, QStringLiteral("кухня"));
    valid("48 bytes", "KVLN/1 A 0123456789abcdef 6464 F " + QByteArray(48, 'n'), 6464, false,
          QString(48, u'n'));
    invalid("49 bytes", "KVLN/1 A 0123456789abcdef 6464 F " + QByteArray(49, 'n'));
    invalid("oversized", "KVLN/1 A 0123456789abcdef 6464 F " + QByteArray(600, 'n'));
    invalid("another version", "KVLN/2 A 0123456789abcdef 6464 F kitchen-pc");
    invalid("a probe", "KVLN/1 Q 0123456789abcdef");
    invalid("no letter", "KVLN/1 A 0123456789abcdef 6464");
    invalid("no blank before the name", "KVLN/1 A 0123456789abcdef 6464 F");
    invalid("other letter", "KVLN/1 A 0123456789abcdef 6464 X kitchen-pc");
    invalid("lower-case letter", "KVLN/1 A 0123456789abcdef 6464 f kitchen-pc");
    invalid("port 0", "KVLN/1 A 0123456789abcdef 0 F kitchen-pc");
    invalid("port 65536", "KVLN/1 A 0123456789abcdef 65536 F kitchen-pc");
    invalid("leading zero", "KVLN/1 A 0123456789abcdef 06464 F kitchen-pc");
    invalid("signed port", "KVLN/1 A 0123456789abcdef +6464 F kitchen-pc");
    invalid("no port", "KVLN/1 A 0123456789abcdef  F kitchen-pc");
    invalid("short nonce", "KVLN/1 A 0123456789abcde 6464 F kitchen-pc");
    invalid("capital nonce", "KVLN/1 A 0123456789ABCDEF 6464 F kitchen-pc");
    invalid("line end in the name", "KVLN/1 A 0123456789abcdef 6464 F kitchen\npc");
    invalid("line end after the name", "KVLN/1 A 0123456789abcdef 6464 F kitchen-pc\n");
    invalid("nul in the name", QByteArray("KVLN/1 A 0123456789abcdef 6464 F a\0b", 36));
    invalid("right-to-left override",
            QStringLiteral("KVLN/1 A 0123456789abcdef 6464 F a\u202Eb").toUtf8());
    invalid("broken UTF-8", "KVLN/1 A 0123456789abcdef 6464 F \xd0");
    invalid("overlong UTF-8", "KVLN/1 A 0123456789abcdef 6464 F \xc0\xaf");
}

void TestDiscoveryMessage::answers() {
    QFETCH(QByteArray, datagram);
    QFETCH(bool, valid);
    QFETCH(int, port);
    QFETCH(bool, busy);
    QFETCH(QString, name);
    const std::optional<TDiscoveryAnswer> answer = ParseAnswer(datagram);
    QCOMPARE(answer.has_value(), valid);
    if (!answer)
        return;
    QCOMPARE(answer->Nonce, QByteArray("0123456789abcdef"));
    QCOMPARE(answer->Port, port);
    QCOMPARE(answer->Busy, busy);
    QCOMPARE(answer->Name, name);
    QCOMPARE(AnswerDatagram(*answer), datagram);
}

// Whatever the computer is called, its answer is one well-formed datagram.
void TestDiscoveryMessage::longNameStaysInOneDatagram() {
    const TDiscoveryAnswer answer{"0123456789abcdef", 65535, true,
                                  QString::fromUcs4(U"\U0001F600").repeated(1000)};
    const QByteArray datagram = AnswerDatagram(answer);
    QVERIFY(datagram.size() <= MaxDiscoveryDatagram);
    const std::optional<TDiscoveryAnswer> parsed = ParseAnswer(datagram);
    QVERIFY(parsed);
    QCOMPARE(parsed->Name, ComputerName(answer.Name));
}

void TestDiscoveryMessage::computerNames_data() {
    QTest::addColumn<QString>("hostName");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "kitchen-pc"
                           << "kitchen-pc";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("controls removed") << "kit\tch\x1b[31men\r\n"
                                      << "kitch[31men";
    QTest::newRow("delete removed") << "a\x7f"
                                       "b"
                                    << "ab";
    QTest::newRow("bidi override removed") << QStringLiteral("a\u202Eb\u200Fc") << "abc";
    QTest::newRow("line separator removed") << QStringLiteral("a\u2028b") << "ab";
    QTest::newRow("48 ASCII kept") << QString(48, u'x') << QString(48, u'x');
    QTest::newRow("49 ASCII cut") << QString(49, u'x') << QString(48, u'x');
    // Two bytes each: 24 letters are 48 bytes, the 25th does not fit.
    QTest::newRow("Cyrillic cut between letters")
        << QString(25, QChar(0x043A)) << QString(24, QChar(0x043A));
    // 47 bytes and a letter of two: the letter does not fit and is not halved.
    QTest::newRow("no half letter") << QString(47, u'x') + QChar(0x043A) << QString(47, u'x');
    const QString smile = QString::fromUcs4(U"\U0001F600", 1); // four bytes
    QTest::newRow("no half emoji") << QString(45, u'x') + smile << QString(45, u'x');
    QTest::newRow("whole emoji") << QString(44, u'x') + smile << QString(44, u'x') + smile;
    QTest::newRow("controls do not count")
        << QString(10, u'\a') + QString(48, u'x') << QString(48, u'x');
}

void TestDiscoveryMessage::computerNames() {
    QFETCH(QString, hostName);
    QFETCH(QString, name);
    QCOMPARE(ComputerName(hostName), name);
    QCOMPARE(ComputerName(name), name);
}

void TestDiscoveryMessage::nonces() {
    const QByteArray first = NewDiscoveryNonce();
    QCOMPARE(ParseProbe(ProbeDatagram(first)).value_or(QByteArray()), first);
    QVERIFY(NewDiscoveryNonce() != first);
}

void TestDiscoveryMessage::virtualBridges_data() {
    QTest::addColumn<QString>("interface");
    QTest::addColumn<bool>("bridge");
    QTest::newRow("docker0") << "docker0" << true;
    QTest::newRow("virbr0") << "virbr0" << true;
    QTest::newRow("br-1a2b3c") << "br-1a2b3c" << true;
    QTest::newRow("veth12ab") << "veth12ab" << true;
    QTest::newRow("eth0") << "eth0" << false;
    QTest::newRow("wlp3s0") << "wlp3s0" << false;
    QTest::newRow("enp0s31f6") << "enp0s31f6" << false;
    QTest::newRow("br0, a bridge of the user's") << "br0" << false;
    QTest::newRow("lan0") << "lan0" << false;
}

void TestDiscoveryMessage::virtualBridges() {
    QFETCH(QString, interface);
    QFETCH(bool, bridge);
    QCOMPARE(IsVirtualBridge(interface), bridge);
}

void TestDiscoveryMessage::networkHolding_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("interface"); // empty: on none of them
    QTest::newRow("on the LAN") << "192.168.1.20"
                                << "eth0";
    QTest::newRow("the LAN's broadcast") << "192.168.1.255"
                                         << "eth0";
    QTest::newRow("on the other LAN") << "10.1.2.3"
                                      << "wlan0";
    QTest::newRow("loopback") << "127.0.0.1"
                              << "lo";
    QTest::newRow("next LAN over") << "192.168.2.20"
                                   << "";
    QTest::newRow("across the internet") << "203.0.113.7"
                                         << "";
    QTest::newRow("IPv4-mapped") << "::ffff:192.168.1.20"
                                 << "eth0";
    QTest::newRow("IPv6") << "fe80::1"
                          << "";
    QTest::newRow("on the maskless one only") << "198.51.100.1"
                                              << "";
}

void TestDiscoveryMessage::networkHolding() {
    QFETCH(QString, address);
    QFETCH(QString, interface);
    const auto ip = [](const char *text) { return QHostAddress(QString::fromLatin1(text)); };
    const QList<TLanNetwork> networks = {
        {"lo", ip("127.0.0.1"), ip("255.0.0.0"), QHostAddress()},
        {"eth0", ip("192.168.1.5"), ip("255.255.255.0"), ip("192.168.1.255")},
        {"wlan0", ip("10.1.0.9"), ip("255.255.0.0"), ip("10.1.255.255")},
        {"odd0", ip("198.51.100.9"), ip("0.0.0.0"), QHostAddress()},
    };
    const std::optional<TLanNetwork> network = NetworkHolding(networks, QHostAddress(address));
    QCOMPARE(network ? network->Interface : QString(), interface);
}

QTEST_GUILESS_MAIN(TestDiscoveryMessage)
#include "tst_DiscoveryMessage.moc"
