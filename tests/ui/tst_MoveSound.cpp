// The opponent's move heard, for real: a sound server of the test's own with a sink that plays
// into nothing, whose monitor the test records, and two windows over loopback. The sound comes
// when the peer's list changes the game, never for the player's own doing.
#include "ClipboardCommands.h"
#include "MoveSound.h"
#include "NetTestSupport.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>
#include <sys/prctl.h>

namespace {

// Silence in the sink is exactly zero; the theme's sound peaks thousands of steps above it.
constexpr int Audible = 64;
constexpr int HeardWithin = 5000; // ms: the first sound also connects to the server
constexpr int QuietFor = 700;     // ms: several times what a sound takes once the way is warm

// A PulseAudio server that lives as long as the test, in a folder of its own, with one sink
// that plays into nothing, and a recorder on that sink's monitor that tells the loudest sample
// since it was last asked. Every sound server client of the test finds it by PULSE_SERVER.
class TSoundServer {
public:
    bool Start(QString *why) {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        const QString recorder = QStandardPaths::findExecutable(QStringLiteral("parec"));
        if (server.isEmpty() || recorder.isEmpty()) {
            *why = QStringLiteral("pulseaudio or parec is not installed");
            return false;
        }
        const QString socket = Folder.filePath(QStringLiteral("native"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"HOME", "XDG_CONFIG_HOME", "PULSE_RUNTIME_PATH", "XDG_RUNTIME_DIR"})
            environment.insert(QString::fromLatin1(name), Folder.path());
        Server.setProcessEnvironment(environment);
        EndWithTheTest(Server);
        Server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Server.start(server, {"--daemonize=no", "-n", "--exit-idle-time=-1", "--log-target=stderr",
                              "--log-level=0", "--load=module-null-sink sink_name=nowhere",
                              "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        const bool settled = QTest::qWaitFor(
            [&] { return QFile::exists(socket) || Server.state() == QProcess::NotRunning; },
            10000);
        if (!settled || !QFile::exists(socket)) {
            *why = QStringLiteral("pulseaudio did not start");
            return false;
        }
        // The clients, this test's and the recorder, keep their cookie here too, not at home.
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        qputenv("PULSE_COOKIE", Folder.filePath(QStringLiteral("cookie")).toUtf8());
        Recorder.setReadChannel(QProcess::StandardOutput);
        EndWithTheTest(Recorder);
        QObject::connect(&Recorder, &QProcess::readyReadStandardOutput, [this] { Take(); });
        Recorder.start(recorder, {"--device=nowhere.monitor", "--raw", "--format=s16le",
                                  "--rate=44100", "--channels=1", "--latency-msec=20"});
        return true;
    }

    // The monitor streams silence too: the first bytes show that the recording runs.
    bool Recording() {
        return Recorder.waitForStarted() && QTest::qWaitFor([this] { return Take() > 0; }, 10000);
    }

    ~TSoundServer() {
        for (QProcess *process : {&Recorder, &Server}) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(3000);
        }
        qunsetenv("PULSE_SERVER");
        qunsetenv("PULSE_COOKIE");
    }

    // The loudest sample recorded since the last Forget().
    int Loudest() {
        Take();
        return Peak;
    }
    void Forget() {
        Take();
        Peak = 0;
    }
    // Until the sink has been silent for a while: what went before is over.
    bool WaitForQuiet() {
        for (int tries = 0; tries < 20; ++tries) {
            Forget();
            QTest::qWait(150);
            if (Loudest() == 0)
                return true;
        }
        return false;
    }

private:
    // Nothing of the test's is left running, whatever way the test ends.
    static void EndWithTheTest(QProcess &process) {
        process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }

    // Reads what has come; answers how many bytes have come in all.
    qint64 Take() {
        const QByteArray bytes = Recorder.readAllStandardOutput();
        Recorded += bytes.size();
        Pending += bytes;
        const qsizetype whole = Pending.size() / 2 * 2;
        for (qsizetype i = 0; i < whole; i += 2) {
            const auto sample = static_cast<qint16>(static_cast<quint8>(Pending.at(i)) |
                                                    (static_cast<quint8>(Pending.at(i + 1)) << 8));
            Peak = std::max(Peak, std::abs(static_cast<int>(sample)));
        }
        Pending.remove(0, whole);
        return Recorded;
    }

    QTemporaryDir Folder;
    QProcess Server, Recorder;
    QByteArray Pending; // half a sample, at most
    qint64 Recorded = 0;
    int Peak = 0;
};

// What the test does to the pair; the server window is the player's, the client the opponent's.
using TAction = std::function<void(TPair &)>;

void OpponentMoves(TPair &pair) {
    PlayByPresses(pair.Client.Form(), "g1f3");
    QTRY_COMPARE(pair.Server->CurrentGame->MoveRecord.size(), 3);
}

// The player's move reaches the opponent, and the opponent's echo comes back.
void PlayerMoves(TPair &pair) {
    PlayByPresses(pair.Server.Form(), "g1f3");
    QTRY_COMPARE(pair.Client->CurrentGame->MoveRecord.size(), 3);
}

// The player asks, the opponent agrees.
void OpponentAgreesToTakeBack(TPair &pair) {
    pair.Client.Prompts().Answer = QMessageBox::Yes;
    pair.Server->btReturn->click();
    QTRY_COMPARE(pair.Server->CurrentGame->MoveRecord.size(), 1);
}

// The opponent asks, the player agrees.
void PlayerAgreesToTakeBack(TPair &pair) {
    pair.Server.Prompts().Answer = QMessageBox::Yes;
    pair.Client->btReturn->click();
    QTRY_COMPARE(pair.Server->CurrentGame->MoveRecord.size(), 1);
}

// Another game, pasted on the opponent's side, reaches the player whole with the next press.
void OpponentBringsAnotherGame(TPair &pair) {
    QGuiApplication::clipboard()->setText(QStringLiteral("1. d4 d5 2. c4 e6 *"));
    pair.Client->Clipboard->PasteGame();
    PressSquare(pair.Client.Form(), "a2");
    QTRY_COMPARE(pair.Server->CurrentGame->MoveRecord.size(), 4);
}

} // namespace

class TestMoveSound : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void heardOnlyForTheOpponent_data();
    void heardOnlyForTheOpponent();

private:
    std::unique_ptr<TSoundServer> Sound;
};

void TestMoveSound::initTestCase() {
    Sound = std::make_unique<TSoundServer>();
    QString why;
    if (!Sound->Start(&why)) {
        Sound.reset();
        QSKIP(qPrintable(why));
    }
    QVERIFY(Sound->Recording());
    // The whole way from the program to the recording works, and is warm: from here on a
    // sound comes within a fraction of the time a silence is listened to.
    TMoveSound sound;
    sound.Play();
    QTRY_VERIFY_WITH_TIMEOUT(Sound->Loudest() > Audible, HeardWithin);
}

void TestMoveSound::cleanupTestCase() {
    Sound.reset();
}

void TestMoveSound::heardOnlyForTheOpponent_data() {
    QTest::addColumn<bool>("boxOn");
    QTest::addColumn<TAction>("action");
    QTest::addColumn<bool>("heard");
    QTest::newRow("the opponent's move") << true << TAction(OpponentMoves) << true;
    QTest::newRow("the player's move and its echo") << true << TAction(PlayerMoves) << false;
    QTest::newRow("box off: the opponent's move") << false << TAction(OpponentMoves) << false;
    QTest::newRow("take-back agreed by the opponent")
        << true << TAction(OpponentAgreesToTakeBack) << true;
    QTest::newRow("take-back agreed by the player")
        << true << TAction(PlayerAgreesToTakeBack) << false;
    QTest::newRow("another game brought whole")
        << true << TAction(OpponentBringsAnotherGame) << false;
}

void TestMoveSound::heardOnlyForTheOpponent() {
    QFETCH(bool, boxOn);
    QFETCH(TAction, action);
    QFETCH(bool, heard);
    TPair pair;
    QVERIFY(!pair.Server->cbMoveSound->isChecked()); // off unless chosen
    // A game under way, with the box still off: nothing of this is heard.
    PlayByPresses(pair.Server.Form(), "e2e4 e7e5");
    QTRY_COMPARE(pair.Client->CurrentGame->MoveRecord.size(), 2);
    if (boxOn)
        pair.Server->cbMoveSound->click();
    QVERIFY(Sound->WaitForQuiet()); // the last press's selection has arrived by then too

    action(pair);
    if (QTest::currentTestFailed())
        return;
    if (heard) {
        QTRY_VERIFY_WITH_TIMEOUT(Sound->Loudest() > Audible, HeardWithin);
    } else {
        QTest::qWait(QuietFor);
        QCOMPARE(Sound->Loudest(), 0);
    }
}

QTEST_MAIN(TestMoveSound)
#include "tst_MoveSound.moc"
