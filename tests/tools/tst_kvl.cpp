// The companion's logic called directly, without a process: the option parser's failures.
#include "Commands.h"

#include <QBuffer>
#include <QtTest>

class TestKvl : public QObject {
    Q_OBJECT

private slots:
    void optionProblems_data();
    void optionProblems();
};

// The option parser's failures in the companion's own words, naming the argument as given.
void TestKvl::optionProblems_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem");
    QTest::newRow("long") << QStringList{"show", "--all", "x.kvl"} << "unknown option '--all'";
    QTest::newRow("long with value")
        << QStringList{"show", "x", "--bogus=1"} << "unknown option '--bogus=1'";
    QTest::newRow("short") << QStringList{"show", "-x", "x.kvl"} << "unknown option '-x'";
    QTest::newRow("single dash long")
        << QStringList{"pgn", "-white", "A", "x.kvl"} << "unknown option '-white'";
    QTest::newRow("negative number") << QStringList{"show", "-5"} << "unknown option '-5'";
    QTest::newRow("prefix of an option")
        << QStringList{"import", "--game=2", "--gam", "a"} << "unknown option '--gam'";
    QTest::newRow("value missing")
        << QStringList{"pgn", "x.kvl", "--black"} << "option '--black' needs a value";
    QTest::newRow("option of another command")
        << QStringList{"import", "a.pgn", "--white", "A"} << "unknown option '--white'";
    QTest::newRow("help as a value")
        << QStringList{"pgn", "--white", "-h"} << "pgn needs exactly one saved game";
    QTest::newRow("open-port, port 0")
        << QStringList{"open-port", "--port", "0"} << "--port needs a port from 1 to 65535";
    QTest::newRow("open-port, port too high")
        << QStringList{"open-port", "--port=65536"} << "--port needs a port from 1 to 65535";
    QTest::newRow("open-port, argument")
        << QStringList{"open-port", "6464"} << "open-port takes no argument '6464'";
}

void TestKvl::optionProblems() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(RunKvl(arguments, out, err), 2);
    QCOMPARE(QString::fromUtf8(err.data()),
             QStringLiteral("korvalen-kvl: %1\nTry 'korvalen-kvl --help' for more information.\n")
                 .arg(problem));
    QVERIFY(out.data().isEmpty());
}

QTEST_GUILESS_MAIN(TestKvl)
#include "tst_kvl.moc"
