// SIGTERM and SIGINT become a signal of the event loop instead of ending the process.
#include "QuitSignals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

class TestQuitSignals : public QObject {
    Q_OBJECT

private slots:
    void caughtOnce_data();
    void caughtOnce();
};

void TestQuitSignals::caughtOnce_data() {
    QTest::addColumn<int>("number");
    QTest::newRow("logout") << int(SIGTERM);
    QTest::newRow("Ctrl+C") << int(SIGINT);
}

void TestQuitSignals::caughtOnce() {
    QFETCH(int, number);
    const TQuitSignals catcher;
    QVERIFY(catcher.Installed());
    QSignalSpy received(&catcher, &TQuitSignals::Received);
    QCOMPARE(std::raise(number), 0); // without the handler this would end the test
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toInt(), number);
    // A second one would end the program: the handler is already the system's again.
    struct sigaction now = {};
    QCOMPARE(::sigaction(number, nullptr, &now), 0);
    QVERIFY(now.sa_handler == SIG_DFL);
}

QTEST_GUILESS_MAIN(TestQuitSignals)
#include "tst_QuitSignals.moc"
