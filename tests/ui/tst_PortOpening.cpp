// The box that opens the game's port on the router, and the line that tells how it went. The
// test windows' mapper is never switched on: it answers "no router" at once, and the router's
// other answers are given by emitting the mapper's own signals. One peer only while open, over
// loopback with raw sockets.
#include "NetSession.h"
#include "PageControl.h"
#include "PortMapper.h"
#include "ServerEndpoint.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpSocket>

namespace {

const QHostAddress FriendAddress(QStringLiteral("203.0.113.7"));

} // namespace

class TestPortOpening : public QObject, TWindowFixture {
    Q_OBJECT

private slots:
    void init() { Open(); }
    void cleanup() { Close(); }

    void offAtStart();
    void routerAnswers_data();
    void routerAnswers();
    void tickAsksTheRouter();
    void untickGivesItBack();
    void clientRoleGivesItBack();
    void portChangeAsksAgain();
    void addressCopied();
    void onePeerWhileOpen_data();
    void onePeerWhileOpen();

private:
    TPortMapper &Mapper() const { return Form().Session->PortMapper(); }
    QString StateLine() const { return Form().lbPortState->text(); }
    bool SinglePeer() const { return Form().ServerSocket->SinglePeerOnly(); }
    // The box ticked and the router granting the port at the friend's address.
    void OpenAtRouter(const QHostAddress &address = FriendAddress) {
        Form().cbOpenPort->setChecked(true);
        emit Mapper().Opened({address, 6464, TPortMethod::Upnp});
    }
};

void TestPortOpening::offAtStart() {
    QVERIFY(!Form().cbOpenPort->isChecked());
    QVERIFY(Form().cbOpenPort->isEnabled()); // the server role is the default
    QVERIFY(Form().cbOpenPort->text().startsWith(QStringLiteral("Открыть порт на роутере")));
    QVERIFY(!Form().cbOpenPort->toolTip().isEmpty());
    QVERIFY(StateLine().isEmpty());
    QCOMPARE(Form().lbPortState->focusPolicy(), Qt::NoFocus); // no empty stop for Tab
    QVERIFY(!Mapper().Enabled()); // no test window ever talks to a real router
}

using TAnswer = std::function<void(TPortMapper &)>;
Q_DECLARE_METATYPE(TAnswer)

void TestPortOpening::routerAnswers_data() {
    QTest::addColumn<TAnswer>("answer");
    QTest::addColumn<QStringList>("shown"); // what the line must say
    QTest::addColumn<bool>("open");         // the box stays ticked, the server keeps one peer
    QTest::addColumn<bool>("givenBack");    // a mapping that cannot help is not kept
    const auto opened = [](const char *address) {
        return TAnswer([address](TPortMapper &mapper) {
            emit mapper.Opened(
                {QHostAddress(QString::fromLatin1(address)), 6464, TPortMethod::NatPmp});
        });
    };
    const auto failed = [](TPortFailure failure) {
        return TAnswer([failure](TPortMapper &mapper) { emit mapper.Failed(failure, {}); });
    };
    QTest::newRow("public address")
        << opened("203.0.113.7") << QStringList{"Адрес для друга: 203.0.113.7"} << true << false;
    QTest::newRow("provider's shared address")
        << opened("100.127.255.254") << QStringList{"100.127.255.254", "провайдер", "VPN"} << false
        << true;
    QTest::newRow("behind another router")
        << opened("192.168.200.254") << QStringList{"192.168.200.254", "VPN"} << false << true;
    QTest::newRow("link-local") << opened("169.254.255.254")
                                << QStringList{"169.254.255.254", "VPN"} << false << true;
    QTest::newRow("no address") << opened("0.0.0.0")
                                << QStringList{"0.0.0.0", "подключён к интернету"} << false << true;
    QTest::newRow("no router") << failed(TPortFailure::NoRouter)
                               << QStringList{"не ответил", "UPnP", "TCP 6464"} << false << false;
    QTest::newRow("port forwarded elsewhere")
        << failed(TPortFailure::PortTaken) << QStringList{"6464", "другому компьютеру"} << false
        << false;
    QTest::newRow("refused") << failed(TPortFailure::Refused)
                             << QStringList{"отказался", "TCP 6464"} << false << false;
}

void TestPortOpening::routerAnswers() {
    QFETCH(TAnswer, answer);
    QFETCH(QStringList, shown);
    QFETCH(bool, open);
    QFETCH(bool, givenBack);
    Form().cbOpenPort->setChecked(true); // ticked, the router asked
    QSignalSpy closed(&Mapper(), &TPortMapper::Closed);
    answer(Mapper());
    for (const QString &words : shown)
        QVERIFY2(StateLine().contains(words), qPrintable(StateLine()));
    QCOMPARE(Form().cbOpenPort->isChecked(), open);
    QCOMPARE(SinglePeer(), open);
    QCOMPARE(closed.count(), givenBack ? 1 : 0);
    for (const QString &words : shown) // the reason stays once the mapping is given back
        QVERIFY2(StateLine().contains(words), qPrintable(StateLine()));
    // All of it is seen, the longest addresses too, in the room the group has.
    const QLabel &line = *Form().lbPortState;
    QVERIFY(line.heightForWidth(line.width()) <= line.height());
}

// The test window's mapper is off: asked, it answers at once that no router is there.
void TestPortOpening::tickAsksTheRouter() {
    QSignalSpy failed(&Mapper(), &TPortMapper::Failed);
    Form().cbOpenPort->click();
    QCOMPARE(failed.count(), 1);
    QVERIFY2(StateLine().contains(u"не ответил"), qPrintable(StateLine()));
    QVERIFY(!Form().cbOpenPort->isChecked());
    QVERIFY(!SinglePeer());
}

void TestPortOpening::untickGivesItBack() {
    OpenAtRouter();
    QVERIFY(SinglePeer());
    QSignalSpy closed(&Mapper(), &TPortMapper::Closed);
    Form().cbOpenPort->click();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!Form().cbOpenPort->isChecked());
    QVERIFY(!SinglePeer());
    QCOMPARE(StateLine(), QString());
}

void TestPortOpening::clientRoleGivesItBack() {
    OpenAtRouter();
    QSignalSpy closed(&Mapper(), &TPortMapper::Closed);
    Form().rbAsClient->click();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!Form().cbOpenPort->isChecked());
    QVERIFY(!Form().cbOpenPort->isEnabled());
    QVERIFY(!SinglePeer());
    QCOMPARE(StateLine(), QString());
    // Back as the server, the box is usable again and still off.
    Form().rbAsServer->click();
    QVERIFY(Form().cbOpenPort->isEnabled());
    QVERIFY(!Form().cbOpenPort->isChecked());
}

// The friend dials the port of the settings file: a new port is opened in place of the old.
void TestPortOpening::portChangeAsksAgain() {
    OpenAtRouter();
    QSignalSpy failed(&Mapper(), &TPortMapper::Failed);
    Form().Session->SetPort(7000);
    QCOMPARE(failed.count(), 1);
    QVERIFY2(StateLine().contains(u"7000"), qPrintable(StateLine()));
    // Closed, nothing is asked of the router for a new port.
    Form().Session->SetPort(7001);
    QCOMPARE(failed.count(), 1);
}

void TestPortOpening::addressCopied() {
    OpenAtRouter();
    QLabel &line = *Form().lbPortState;
    QCOMPARE(line.selectedText(), FriendAddress.toString());
    QCOMPARE(line.focusPolicy(), Qt::StrongFocus); // reached by Tab
    line.setFocus();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&line, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), FriendAddress.toString());

    // A click drops the selection; a double click on the address takes the address whole.
    Form().pcMain->setCurrentWidget(Form().tsControl);
    QTest::mouseClick(&line, Qt::LeftButton, {}, QPoint(2, 3));
    QVERIFY(line.selectedText().isEmpty());
    const QFontMetrics metrics = line.fontMetrics();
    const QPoint onAddress(line.contentsRect().left() +
                               metrics.horizontalAdvance(QStringLiteral("Адрес для друга: 203")),
                           metrics.height() / 2);
    QTest::mouseDClick(&line, Qt::LeftButton, {}, onAddress);
    QCOMPARE(line.selectedText(), FriendAddress.toString());
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&line, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), FriendAddress.toString());
}

void TestPortOpening::onePeerWhileOpen_data() {
    QTest::addColumn<bool>("open");
    QTest::newRow("port open") << true;
    QTest::newRow("box off") << false;
}

void TestPortOpening::onePeerWhileOpen() {
    QFETCH(bool, open);
    Form().Session->SetPort(0); // a port the system picks
    Form().tmConnectTimer();
    const quint16 port = Form().ServerSocket->ListeningPort();
    QVERIFY(port != 0);
    if (open)
        OpenAtRouter();
    QTcpSocket first, second;
    first.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(Form().Session->ConnectionCount(), 1);
    second.connectToHost(QHostAddress::LocalHost, port);
    if (!open) {
        QTRY_COMPARE(Form().Session->ConnectionCount(), 2);
        QCOMPARE(StateLine(), QString());
        return;
    }
    QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(Form().Session->ConnectionCount(), 1);
    QCOMPARE(StateLine(), QStringLiteral("Адрес для друга: 203.0.113.7\nПодключился 127.0.0.1"));
    first.disconnectFromHost();
    QTRY_COMPARE(Form().Session->ConnectionCount(), 0);
    QCOMPARE(StateLine(), QStringLiteral("Адрес для друга: 203.0.113.7\nОтключился 127.0.0.1"));
}

QTEST_MAIN(TestPortOpening)
#include "tst_PortOpening.moc"
