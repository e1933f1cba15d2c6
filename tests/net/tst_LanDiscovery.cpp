// Copies finding each other by real broadcast between real network stacks: this process is the
// client's computer, and each server copy runs in a neighbour's namespace behind a cable of its
// own (lan1 to 10.213.1.0/24, lan2 to 10.213.2.0/24). Nothing leaves the namespaces.
#include "ClientEndpoint.h"
#include "DiscoveryMessage.h"
#include "LanDiscovery.h"
#include "LanProber.h"
#include "LanSupport.h"
#include "Main.h"
#include "NetSession.h"
#include "ServerChooser.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUdpSocket>
#include <memory>

namespace {

QString NamespaceProblem; // empty once the test has a network of its own

// A client-role session that looks for servers on the port, as the window's does.
struct TFinder {
    explicit TFinder(quint16 port) {
        Session.SetPort(port);
        Session.SetRole(TNetSession::TRole::Client);
        Session.Discovery().SetEnabled(true); // probes at once
    }
    const QList<TFoundServer> &Servers() const { return Session.Discovery().Servers(); }
    TNetSession Session;
};

// The answer that comes to this socket next, if one comes in time.
std::optional<TDiscoveryAnswer> NextAnswer(QUdpSocket &socket, int milliseconds) {
    if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(milliseconds))
        return std::nullopt;
    QByteArray datagram(MaxDiscoveryDatagram + 1, Qt::Uninitialized);
    datagram.truncate(socket.readDatagram(datagram.data(), datagram.size()));
    return ParseAnswer(datagram);
}

// A window of this process in the client role with an empty address field, finding servers.
struct TClientWindow {
    explicit TClientWindow(quint16 port) {
        QFile settings(QDir(Folder.path()).filePath(QStringLiteral("Korvalen.ini")));
        if (!settings.open(QIODevice::WriteOnly))
            qFatal("cannot write the test's settings file");
        settings.write(QStringLiteral("[Network]\nPort=%1\nServerIP=\nLastConnectAs=Client\n")
                           .arg(port)
                           .toLatin1());
        settings.close();
        Form = std::make_unique<TMainForm>(Folder.path());
        Form->tmConnect->stop(); // the test dials, when it does
        Form->Session->Discovery().SetEnabled(true);
        Chooser = Form->findChild<TServerChooser *>();
    }
    // The entries the list offers, once it is open.
    QStringList Entries() const {
        QStringList texts;
        for (const QAction *action : Chooser->List()->actions())
            texts.append(action->text());
        return texts;
    }
    QTemporaryDir Folder;
    std::unique_ptr<TMainForm> Form;
    TServerChooser *Chooser = nullptr;
};

struct TRun {
    int Status = -1;
    QByteArray Out;
};

TRun Kvl(const QStringList &arguments) {
    QProcess process;
    EndWithThisProcess(process);
    process.start(QStringLiteral(KORVALEN_KVL), arguments);
    TRun run;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
        run = {process.exitCode(), process.readAllStandardOutput()};
    return run;
}

} // namespace

class TestLanDiscovery : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void freeServerFoundWithItsName();
    void busyOnceAClientIsConnected();
    void twoServersListed();
    void silentServerDropsOff();
    void emptyFieldFilledAndConnected();
    void listOffersTheServersAndPickingTypesOnce();
    void oneFreeServerAmongBusyOnesFilledIn();
    void editedFieldNotFilled();
    void junkNotAnswered_data();
    void junkNotAnswered();
    void sourceOutsideTheLanNotAnswered();
    void junkAnswersNotListed_data();
    void junkAnswersNotListed();
    void floodAnsweredWithinTheLimit();
    void findCommand_data();
    void findCommand();

private:
    std::unique_ptr<TNeighbour> First;
    std::unique_ptr<TNeighbour> Second;
    quint16 Port = 0;
};

void TestLanDiscovery::init() {
    if (!NamespaceProblem.isEmpty())
        QSKIP(qPrintable(NamespaceProblem));
    cleanup();
    First = std::make_unique<TNeighbour>(1);
    Second = std::make_unique<TNeighbour>(2);
    if (!First->Ready() || !Second->Ready())
        QSKIP("no neighbour namespace could be made: skipped");
    Port = FreeLanPort();
}

// Each test has neighbours of its own, which go with everything inside them.
void TestLanDiscovery::cleanup() {
    Second.reset();
    First.reset();
}

void TestLanDiscovery::freeServerFoundWithItsName() {
    TServerCopy server(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(server.Listening());
    const TFinder finder(Port);
    QSignalSpy found(&finder.Session, &TNetSession::ServersFound);
    QTRY_COMPARE(finder.Servers().size(), 1);
    QVERIFY(found.count() >= 1);
    const TFoundServer &seen = finder.Servers().front();
    QCOMPARE(seen.Address, QHostAddress(First->Address));
    QCOMPARE(seen.Port, Port);
    QCOMPARE(seen.Name, QStringLiteral("kitchen-pc"));
    QVERIFY(!seen.Busy);
}

void TestLanDiscovery::busyOnceAClientIsConnected() {
    TServerCopy server(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(server.Listening());
    TFinder finder(Port);
    QTRY_COMPARE(finder.Servers().size(), 1);
    QTcpSocket client;
    client.connectToHost(First->Address, Port);
    QVERIFY(client.waitForConnected(5000));
    QVERIFY(server.WaitFor("opened"));
    finder.Session.Discovery().FindNow();
    QTRY_VERIFY(finder.Servers().size() == 1 && finder.Servers().front().Busy);
    client.disconnectFromHost();
    QVERIFY(server.WaitFor("closed"));
    finder.Session.Discovery().FindNow();
    QTRY_VERIFY(finder.Servers().size() == 1 && !finder.Servers().front().Busy);
}

void TestLanDiscovery::twoServersListed() {
    TServerCopy study(*Second, Port, QStringLiteral("study-pc"));
    TServerCopy kitchen(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(study.Listening() && kitchen.Listening());
    const TFinder finder(Port);
    QTRY_COMPARE(finder.Servers().size(), 2);
    QCOMPARE(finder.Servers().at(0).Address, QHostAddress(First->Address));
    QCOMPARE(finder.Servers().at(0).Name, QStringLiteral("kitchen-pc"));
    QCOMPARE(finder.Servers().at(1).Address, QHostAddress(Second->Address));
    QCOMPARE(finder.Servers().at(1).Name, QStringLiteral("study-pc"));
}

// A server that stops answering stays listed for 15 s after it was last heard, then goes.
void TestLanDiscovery::silentServerDropsOff() {
    auto server = std::make_unique<TServerCopy>(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(server->Listening());
    const TFinder finder(Port);
    QTRY_COMPARE(finder.Servers().size(), 1);
    QElapsedTimer clock;
    clock.start();
    server.reset();
    QSignalSpy changed(&finder.Session, &TNetSession::ServersFound);
    QVERIFY(changed.wait(20000));
    QVERIFY(finder.Servers().isEmpty());
    QVERIFY2(clock.elapsed() >= 14000, qPrintable(QString::number(clock.elapsed())));
}

// The program itself, started in the client role with an empty address: nothing is typed, and
// it connects to the one server there is.
void TestLanDiscovery::emptyFieldFilledAndConnected() {
    TServerCopy server(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(server.Listening());
    const QTemporaryDir folder;
    const QString program = QDir(folder.path()).filePath(QStringLiteral("korvalen"));
    QVERIFY(QFile::copy(QStringLiteral(KORVALEN_PROGRAM), program));
    QFile settings(QDir(folder.path()).filePath(QStringLiteral("Korvalen.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral("[Network]\nPort=%1\nServerIP=\nLastConnectAs=Client\n")
                       .arg(Port)
                       .toLatin1());
    settings.close();

    QProcess copy;
    const auto end = qScopeGuard([&copy] {
        copy.kill();
        copy.waitForFinished();
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    copy.setProcessEnvironment(environment);
    EndWithThisProcess(copy);
    copy.start(program);
    QVERIFY(copy.waitForStarted());
    // The first tick dials about 5 s after the start.
    QVERIFY(server.WaitFor("opened", 15000));
    // The connection came about with the address found: the copy keeps it for the next start.
    const auto stored = [&settings] {
        QFile file(settings.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_VERIFY(stored().contains("ServerIP=" + First->Address.toLatin1()));
}

// Two free servers: the field stays empty, the list offers both, and picking one is one change
// of the text, which the next tick dials.
void TestLanDiscovery::listOffersTheServersAndPickingTypesOnce() {
    TServerCopy kitchen(*First, Port, QStringLiteral("kitchen-pc"));
    TServerCopy study(*Second, Port, QStringLiteral("study-pc"));
    QVERIFY(kitchen.Listening() && study.Listening());
    TClientWindow window(Port);
    QVERIFY(window.Chooser);
    QVERIFY(window.Chooser->Button()->isEnabled());
    QTRY_COMPARE(window.Form->Session->Discovery().Servers().size(), 2);
    QTest::qWait(200);
    QVERIFY(window.Form->edServerIP->text().isEmpty());
    window.Chooser->Button()->click();
    QTRY_VERIFY(window.Chooser->List()->isVisible());
    QCOMPARE(window.Entries(), QStringList({QStringLiteral("10.213.1.2 — kitchen-pc (свободен)"),
                                            QStringLiteral("10.213.2.2 — study-pc (свободен)")}));
    QSignalSpy changes(window.Form->edServerIP, &QLineEdit::textChanged);
    window.Chooser->List()->actions().at(1)->trigger();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(window.Form->edServerIP->text(), Second->Address);
    QCOMPARE(window.Form->ClientSocket->Address(), Second->Address);
    QVERIFY(!kitchen.WaitFor("opened", 300));
    window.Form->tmConnectTimer();
    QVERIFY(study.WaitFor("opened"));
    window.Chooser->List()->hide();
}

void TestLanDiscovery::oneFreeServerAmongBusyOnesFilledIn() {
    TServerCopy kitchen(*First, Port, QStringLiteral("kitchen-pc"));
    TServerCopy study(*Second, Port, QStringLiteral("study-pc"));
    QVERIFY(kitchen.Listening() && study.Listening());
    QTcpSocket someoneElse;
    someoneElse.connectToHost(First->Address, Port);
    QVERIFY(someoneElse.waitForConnected(5000));
    QVERIFY(kitchen.WaitFor("opened"));
    TClientWindow window(Port);
    QTRY_COMPARE(window.Form->edServerIP->text(), Second->Address);
    window.Chooser->ShowList();
    QTRY_COMPARE(window.Entries(),
                 QStringList({QStringLiteral("10.213.1.2 — kitchen-pc (занят)"),
                              QStringLiteral("10.213.2.2 — study-pc (свободен)")}));
    window.Chooser->List()->hide();
}

// A field the user emptied is the user's: it is not filled behind their back.
void TestLanDiscovery::editedFieldNotFilled() {
    TClientWindow window(Port);
    QTest::keyClick(window.Form->edServerIP, Qt::Key_1);
    QTest::keyClick(window.Form->edServerIP, Qt::Key_Backspace);
    TServerCopy kitchen(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(kitchen.Listening());
    window.Chooser->ShowList();
    QTRY_COMPARE(window.Form->Session->Discovery().Servers().size(), 1);
    QTest::qWait(200);
    QVERIFY(window.Form->edServerIP->text().isEmpty());
    window.Chooser->List()->hide();
}

void TestLanDiscovery::junkNotAnswered_data() {
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray probe = ProbeDatagram("0123456789abcdef");
    QTest::newRow("garbage") << QByteArray("hello, who is there?");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("another version") << QByteArray("KVLN/2 Q 0123456789abcdef");
    QTest::newRow("an answer") << QByteArray("KVLN/1 A 0123456789abcdef 6464 F kitchen-pc");
    QTest::newRow("capital nonce") << QByteArray("KVLN/1 Q 0123456789ABCDEF");
    QTest::newRow("short nonce") << QByteArray("KVLN/1 Q 0123456789abcde");
    QTest::newRow("line end") << probe + '\n';
    QTest::newRow("oversized") << probe + QByteArray(600, 'x');
    QTest::newRow("oversized of blanks") << probe + QByteArray(2000, ' ');
}

// Junk gets no answer and does not keep the next probe from its answer.
void TestLanDiscovery::junkNotAnswered() {
    QFETCH(QByteArray, datagram);
    TServerCopy server(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(server.Listening());
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::AnyIPv4, 0));
    socket.writeDatagram(datagram, QHostAddress(First->Address), Port);
    QVERIFY(!socket.waitForReadyRead(500));
    socket.writeDatagram(ProbeDatagram("00000000000000aa"), QHostAddress(First->Address), Port);
    const std::optional<TDiscoveryAnswer> answer = NextAnswer(socket, 5000);
    QVERIFY(answer);
    QCOMPARE(answer->Nonce, QByteArray("00000000000000aa"));
    QCOMPARE(answer->Port, Port);
}

// A probe whose source is not on a network the server is directly on is not answered, even
// where the server could reach it: answers cannot be aimed at a third computer.
void TestLanDiscovery::sourceOutsideTheLanNotAnswered() {
    QVERIFY(RunShell(QStringLiteral("ip addr add 10.214.0.1/32 dev lan1 && "
                                    "ip -n %1 route add 10.214.0.0/24 dev lan0")
                         .arg(First->Name)));
    TServerCopy server(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(server.Listening());
    QUdpSocket outside;
    QVERIFY(outside.bind(QHostAddress(QStringLiteral("10.214.0.1")), 0));
    outside.writeDatagram(ProbeDatagram("00000000000000bb"), QHostAddress(First->Address), Port);
    const bool answered = outside.waitForReadyRead(1000);
    QUdpSocket inside;
    QVERIFY(inside.bind(QHostAddress(First->LocalAddress), 0));
    inside.writeDatagram(ProbeDatagram("00000000000000cc"), QHostAddress(First->Address), Port);
    const std::optional<TDiscoveryAnswer> answer = NextAnswer(inside, 5000);
    RunShell(QStringLiteral("ip addr del 10.214.0.1/32 dev lan1"));
    QVERIFY(!answered);
    QVERIFY(answer && answer->Nonce == "00000000000000cc");
}

void TestLanDiscovery::junkAnswersNotListed_data() {
    QTest::addColumn<QByteArray>("answer");  // %N stands for the probe's nonce, %P for the port
    QTest::addColumn<QString>("listedName"); // empty: nothing is listed
    QTest::newRow("answer") << QByteArray("KVLN/1 A %N %P F kitchen-pc") << "kitchen-pc";
    QTest::newRow("an address in the name")
        << QByteArray("KVLN/1 A %N %P F 10.9.9.9") << "10.9.9.9";
    QTest::newRow("foreign nonce") << QByteArray("KVLN/1 A 0123456789abcdef %P F x") << "";
    QTest::newRow("another version") << QByteArray("KVLN/2 A %N %P F kitchen-pc") << "";
    QTest::newRow("garbage") << QByteArray("%N kitchen-pc") << "";
    QTest::newRow("a probe") << QByteArray("KVLN/1 Q %N") << "";
    QTest::newRow("bell in the name") << QByteArray("KVLN/1 A %N %P F kit\achen") << "";
    QTest::newRow("port 0") << QByteArray("KVLN/1 A %N 0 F kitchen-pc") << "";
    QTest::newRow("oversized") << QByteArray("KVLN/1 A %N %P F ") + QByteArray(600, 'k') << "";
}

// A neighbour that answers the probe its own way: only the well-formed answer to this probe is
// listed, under the address it came from.
void TestLanDiscovery::junkAnswersNotListed() {
    QFETCH(QByteArray, answer);
    QFETCH(QString, listedName);
    QUdpSocket fake;
    {
        const TInsideNeighbour inside(*First);
        QVERIFY(inside.Entered);
        QVERIFY(fake.bind(QHostAddress::AnyIPv4, Port));
    }
    TLanProber prober;
    prober.Probe(Port);
    QVERIFY(fake.waitForReadyRead(5000));
    QByteArray probe(MaxDiscoveryDatagram, Qt::Uninitialized);
    QHostAddress sender;
    quint16 senderPort = 0;
    probe.truncate(fake.readDatagram(probe.data(), probe.size(), &sender, &senderPort));
    const std::optional<QByteArray> nonce = ParseProbe(probe);
    QVERIFY(nonce);
    answer.replace("%N", *nonce).replace("%P", QByteArray::number(Port));
    fake.writeDatagram(answer, sender, senderPort);
    if (listedName.isEmpty()) {
        QTest::qWait(500);
        QVERIFY(prober.Servers().isEmpty());
        return;
    }
    QTRY_COMPARE(prober.Servers().size(), 1);
    QCOMPARE(prober.Servers().front().Address, QHostAddress(First->Address));
    QCOMPARE(prober.Servers().front().Name, listedName);
}

// 10 000 probes as fast as they go: at most 20 answers in any second, and the server still
// answers once the flood is over.
void TestLanDiscovery::floodAnsweredWithinTheLimit() {
    TServerCopy server(*First, Port, QStringLiteral("kitchen-pc"));
    QVERIFY(server.Listening());
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::AnyIPv4, 0));
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
    const QHostAddress to(First->Address);
    int answers = 0;
    const auto take = [&socket, &answers] {
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(MaxDiscoveryDatagram + 1, Qt::Uninitialized);
            datagram.truncate(socket.readDatagram(datagram.data(), datagram.size()));
            answers += ParseAnswer(datagram).has_value() ? 1 : 0;
        }
    };
    QElapsedTimer clock;
    clock.start();
    for (int sent = 0; sent < 10000;) {
        const QByteArray probe =
            ProbeDatagram(QByteArray::number(sent, 16).rightJustified(16, '0'));
        if (socket.writeDatagram(probe, to, Port) == probe.size())
            ++sent;
        else
            QTest::qWait(1); // the send buffer is full: let it drain
        take();
    }
    QTest::qWait(300);
    take();
    const qint64 elapsed = clock.elapsed();
    qInfo("10000 probes in %lld ms: %d answers", elapsed, answers);
    QVERIFY(answers >= 1);
    QVERIFY2(answers <= 20 * (elapsed / 1000 + 1), qPrintable(QString::number(answers)));
    QTest::qWait(1100);
    take();
    socket.writeDatagram(ProbeDatagram("00000000000000dd"), to, Port);
    const std::optional<TDiscoveryAnswer> after = NextAnswer(socket, 5000);
    QVERIFY(after && after->Nonce == "00000000000000dd");
}

void TestLanDiscovery::findCommand_data() {
    QTest::addColumn<int>("servers");
    QTest::addColumn<QStringList>("arguments"); // %P stands for the port
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    const QStringList wait = {QStringLiteral("find"), QStringLiteral("--port"),
                              QStringLiteral("%P"), QStringLiteral("--wait"),
                              QStringLiteral("700")};
    QTest::newRow("no server") << 0 << wait << 1 << "";
    QTest::newRow("two servers") << 2 << wait << 0
                                 << "10.213.1.2 %P free kitchen-pc\n10.213.2.2 %P free study-pc\n";
    QTest::newRow("wait not a number") << 0 << QStringList{"find", "--wait", "soon"} << 2 << "";
    QTest::newRow("port 0") << 0 << QStringList{"find", "--port", "0"} << 2 << "";
    QTest::newRow("a stray argument") << 0 << QStringList{"find", "kitchen-pc"} << 2 << "";
    QTest::newRow("unknown option") << 0 << QStringList{"find", "--all"} << 2 << "";
}

void TestLanDiscovery::findCommand() {
    QFETCH(int, servers);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    std::unique_ptr<TServerCopy> kitchen;
    std::unique_ptr<TServerCopy> study;
    if (servers > 0) {
        kitchen = std::make_unique<TServerCopy>(*First, Port, QStringLiteral("kitchen-pc"));
        study = std::make_unique<TServerCopy>(*Second, Port, QStringLiteral("study-pc"));
        QVERIFY(kitchen->Listening() && study->Listening());
    }
    arguments.replaceInStrings(QStringLiteral("%P"), QString::number(Port));
    const TRun run = Kvl(arguments);
    QCOMPARE(run.Status, status);
    QCOMPARE(QString::fromUtf8(run.Out),
             QString(out).replace(QStringLiteral("%P"), QString::number(Port)));
}

// The namespace is made before anything else runs, while the process has one thread.
int main(int argc, char **argv) {
    NamespaceProblem = EnterPrivateNetwork();
    QApplication application(argc, argv);
    if (NamespaceProblem.isEmpty())
        RemoveStaleNeighbours();
    TestLanDiscovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_LanDiscovery.moc"
