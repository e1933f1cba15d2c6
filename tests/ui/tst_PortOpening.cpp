// The box that opens the game's port on the router and the line that tells how it went. A test
// window's mapper is never switched on: asked, it answers "no router" at once; the router's
// other answers are the mapper's own signals, emitted here.
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

const QString FriendAddress = QStringLiteral("203.0.113.7");

class TestPortOpening : public QObject, TWindowFixture {
    Q_OBJECT

private slots:
    void init() { Open(); }
    void cleanup() { Close(); }

    void tickAsksTheRouter();
    void routerAnswers_data();
    void routerAnswers();
    void givenBack_data();
    void givenBack();
    void portChangeAsksAgain();
    void addressCopied();
    void onePeerWhileOpen_data();
    void onePeerWhileOpen();

private:
    TPortMapper &Mapper() const { return Form().Session->PortMapper(); }
    QString StateLine() const { return Form().lbPortState->text(); }
    bool SinglePeer() const { return Form().ServerSocket->SinglePeerOnly(); }
    // The box ticked, and the router's answer: the port open at this address.
    void OpenAt(const QString &address) {
        Form().cbOpenPort->setChecked(true);
        emit Mapper().Opened({QHostAddress(address), 6464, TPortMethod::Upnp});
    }
    // All of the line is seen in the room the group has.
    bool LineFits() const {
        const QLabel &line = *Form().lbPortState;
        return line.heightForWidth(line.width()) <= line.height();
    }
    void CopyWithKeys() {
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(Form().lbPortState, Qt::Key_C, Qt::ControlModifier);
    }
};

// Off at start, in the server role; the test window's mapper answers at once.
void TestPortOpening::tickAsksTheRouter() {
    QVERIFY(!Form().cbOpenPort->isChecked());
    QVERIFY(Form().cbOpenPort->isEnabled());
    QVERIFY(StateLine().isEmpty());
    QCOMPARE(Form().lbPortState->focusPolicy(), Qt::NoFocus); // no empty stop for Tab
    Form().cbOpenPort->click();
    QVERIFY2(StateLine().contains(u"не ответил"), qPrintable(StateLine()));
    QVERIFY(!Form().cbOpenPort->isChecked());
    QVERIFY(!SinglePeer());
}

// An empty address stands for a failure, with its detail, instead of Opened().
void TestPortOpening::routerAnswers_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<TPortFailure>("failure");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QStringList>("shown"); // what the line must say
    QTest::addColumn<bool>("open");         // the box stays ticked, the server keeps one peer
    QTest::addColumn<bool>("givenBack");    // a mapping that cannot help is not kept
    const TPortFailure none = TPortFailure::NoRouter;
    QTest::newRow("public") << FriendAddress << none << QString()
                            << QStringList{"Адрес для друга: 203.0.113.7"} << true << false;
    QTest::newRow("provider's shared")
        << "100.127.255.254" << none << QString()
        << QStringList{"100.127.255.254", "провайдер", "VPN"} << false << true;
    QTest::newRow("behind another router")
        << "192.168.200.254" << none << QString() << QStringList{"192.168.200.254", "VPN"} << false
        << true;
    QTest::newRow("link-local") << "169.254.255.254" << none << QString()
                                << QStringList{"169.254.255.254", "VPN"} << false << true;
    QTest::newRow("no address") << "0.0.0.0" << none << QString()
                                << QStringList{"0.0.0.0", "подключён к интернету"} << false << true;
    QTest::newRow("no router") << QString() << TPortFailure::NoRouter << QString()
                               << QStringList{"не ответил", "UPnP", "TCP 6464"} << false << false;
    QTest::newRow("port forwarded elsewhere")
        << QString() << TPortFailure::PortTaken << "UPnP: port 6464 is forwarded to 192.168.1.30"
        << QStringList{"6464", "другому компьютеру"} << false << false;
    QTest::newRow("refused") << QString() << TPortFailure::Refused
                             << "UPnP AddPortMapping: 606 (Action not authorized)"
                             << QStringList{"отказался", "TCP 6464"} << false << false;
    QTest::newRow("refused behind the provider's NAT")
        << QString() << TPortFailure::Refused
        << "UPnP AddPortMapping: 606 (x); the router's external address 100.64.0.1 is not public"
        << QStringList{"100.64.0.1", "провайдер", "VPN"} << false << false;
}

void TestPortOpening::routerAnswers() {
    QFETCH(QString, address);
    QFETCH(TPortFailure, failure);
    QFETCH(QString, detail);
    QFETCH(QStringList, shown);
    QFETCH(bool, open);
    QFETCH(bool, givenBack);
    QSignalSpy closed(&Mapper(), &TPortMapper::Closed);
    if (address.isEmpty()) {
        Form().cbOpenPort->setChecked(true);
        emit Mapper().Failed(failure, detail);
    } else {
        OpenAt(address);
    }
    QCOMPARE(Form().cbOpenPort->isChecked(), open);
    QCOMPARE(SinglePeer(), open);
    QCOMPARE(closed.count(), givenBack ? 1 : 0);
    for (const QString &words : shown) // the reason stays once the mapping is given back
        QVERIFY2(StateLine().contains(words), qPrintable(StateLine()));
    QVERIFY(LineFits()); // the longest addresses too
}

void TestPortOpening::givenBack_data() {
    QTest::addColumn<bool>("asClient"); // else unticked
    QTest::newRow("unticked") << false;
    QTest::newRow("client role") << true;
}

void TestPortOpening::givenBack() {
    QFETCH(bool, asClient);
    OpenAt(FriendAddress);
    QSignalSpy closed(&Mapper(), &TPortMapper::Closed);
    (asClient ? static_cast<QAbstractButton *>(Form().rbAsClient) : Form().cbOpenPort)->click();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!Form().cbOpenPort->isChecked());
    QCOMPARE(Form().cbOpenPort->isEnabled(), !asClient);
    QVERIFY(!SinglePeer());
    QCOMPARE(StateLine(), QString());
    Form().rbAsServer->click();
    QVERIFY(Form().cbOpenPort->isEnabled());
    QVERIFY(!Form().cbOpenPort->isChecked());
}

// The friend dials the port of the settings file: a new port is asked for in place of the old.
void TestPortOpening::portChangeAsksAgain() {
    OpenAt(FriendAddress);
    Form().Session->SetPort(7000);
    QVERIFY2(StateLine().contains(u"TCP 7000"), qPrintable(StateLine()));
    QSignalSpy failed(&Mapper(), &TPortMapper::Failed);
    Form().Session->SetPort(7001); // nothing open, nothing asked
    QCOMPARE(failed.count(), 0);
    // A settings file without a usable port (-1) has none to open, and the old one goes.
    OpenAt(FriendAddress);
    QSignalSpy closed(&Mapper(), &TPortMapper::Closed);
    Form().Session->SetPort(-1);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!Form().cbOpenPort->isChecked());
    QVERIFY2(StateLine().contains(u"Korvalen.ini"), qPrintable(StateLine()));
    QVERIFY(LineFits());
}

// Shown selected, the address alone goes with Ctrl+C; a click drops the selection and a double
// click on the address takes it whole again (a word would stop at a dot).
void TestPortOpening::addressCopied() {
    OpenAt(FriendAddress);
    QLabel &line = *Form().lbPortState;
    QCOMPARE(line.focusPolicy(), Qt::StrongFocus);
    line.setFocus();
    CopyWithKeys();
    QCOMPARE(QGuiApplication::clipboard()->text(), FriendAddress);

    Form().pcMain->setCurrentWidget(Form().tsControl);
    QTest::mouseClick(&line, Qt::LeftButton, {}, QPoint(2, 3));
    QVERIFY(line.selectedText().isEmpty());
    const QPoint onAddress(line.contentsRect().left() + line.fontMetrics().horizontalAdvance(
                                                            QStringLiteral("Адрес для друга: 20")),
                           line.fontMetrics().height() / 2);
    QTest::mouseDClick(&line, Qt::LeftButton, {}, onAddress);
    CopyWithKeys();
    QCOMPARE(QGuiApplication::clipboard()->text(), FriendAddress);
}

void TestPortOpening::onePeerWhileOpen_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("connectedBefore"); // the first peer came before the port opened
    QTest::newRow("port open") << true << false;
    QTest::newRow("box off") << false << false;
    QTest::newRow("peer there before the port opened") << true << true;
}

void TestPortOpening::onePeerWhileOpen() {
    QFETCH(bool, open);
    QFETCH(bool, connectedBefore);
    Form().Session->SetPort(0); // a port the system picks
    Form().tmConnectTimer();
    const quint16 port = Form().ServerSocket->ListeningPort();
    if (open && !connectedBefore)
        OpenAt(FriendAddress);
    QTcpSocket first, second;
    first.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(Form().Session->ConnectionCount(), 1);
    if (connectedBefore)
        OpenAt(FriendAddress);
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
    QTRY_COMPARE(StateLine(), QStringLiteral("Адрес для друга: 203.0.113.7\nОтключился 127.0.0.1"));
}

QTEST_MAIN(TestPortOpening)
#include "tst_PortOpening.moc"
