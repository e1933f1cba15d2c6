// The unfinished game kept in the journal: which changes of the game write it, what is kept
// after a finished game, a new game or in a folder that cannot be written, and the game brought
// back by a window made after the last one went without its normal end.
#include "BoardNotices.h"
#include "ClipboardCommands.h"
#include "GameJournal.h"
#include "Main.h"
#include "Record.h"
#include "RulesTestSupport.h"
#include "UiTestSupport.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const QString JournalName = QStringLiteral("state/unfinished-game.kvl");
const QString FoolsMate = QStringLiteral("f2f3 e7e5 g2g4 d8h4");

} // namespace

class TestGameJournal : public QObject, protected TWindowFixture {
    Q_OBJECT

private slots:
    void cleanup() { Close(); }

    void changesKept_data();
    void changesKept();
    void unwritableFolderNeverStopsPlay();
    void restoreAfterCrash_data();
    void restoreAfterCrash();
    void restoreOverwrittenOnlyByAMove();

private:
    void Run(const QString &steps);
    QByteArray Written() const;
    QString Notice() const {
        return Form().BoardView->Notices().Text(TBoardNotices::TKind::WaitingGame);
    }
};

// Steps separated by ";": "play e2e4 e7e5", "new", "back", "load <moves>", "paste <moves>",
// "peer <moves>" (the peer's longer list, as it arrives over the network).
void TestGameJournal::Run(const QString &steps) {
    for (const QString &step : steps.split(u';', Qt::SkipEmptyParts)) {
        const QString command = step.trimmed().section(u' ', 0, 0);
        const QString moves = step.trimmed().section(u' ', 1);
        if (command == u"play") {
            PlayByPresses(Form(), moves);
        } else if (command == u"new") {
            Form().btNewClick();
        } else if (command == u"back") {
            Form().btReturnClick();
        } else if (command == u"load") {
            const QString file = PathOf(QStringLiteral("game.kvl"));
            QVERIFY(WriteSavedGame(file, Entries(moves)));
            Form().LoadGameFile(file);
        } else if (command == u"paste") {
            QGuiApplication::clipboard()->setText(Entries(moves).join(u'|'));
            Form().Clipboard->PasteGame();
        } else if (command == u"peer") {
            Form().HandleNetMessage(u'l' + Entries(moves).join(u'|'));
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
    QVERIFY(Prompts().Messages.isEmpty());
}

QByteArray TestGameJournal::Written() const {
    Form().Journal->Flush();
    QFile file(PathOf(JournalName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void TestGameJournal::changesKept_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("kept"); // the moves of the game in the journal, "-" for none

    const auto row = [](const char *name, const QString &steps, const char *kept) {
        QTest::newRow(name) << steps << QString::fromLatin1(kept);
    };
    row("a move", "play e2e4", "e2e4");
    row("a take-back", "play e2e4 e7e5; back", "e2e4");
    row("taken back to the start", "play e2e4; back", "e2e4");
    row("a new game without moves", "play e2e4 e7e5; new", "e2e4 e7e5");
    row("the new game's first move", "play e2e4 e7e5; new; play d2d4", "d2d4");
    row("a finished game", "play " + FoolsMate, "-");
    row("a mate taken back", "play " + FoolsMate + "; back", "f2f3 e7e5 g2g4");
    row("a load", "play e2e4; load d2d4 d7d5", "d2d4 d7d5");
    row("a finished game loaded", "play e2e4; load " + FoolsMate, "e2e4");
    row("a paste", "paste c2c4 e7e5", "c2c4 e7e5");
    row("the peer's list", "play e2e4; peer e2e4 c7c5", "e2e4 c7c5");
}

void TestGameJournal::changesKept() {
    QFETCH(QString, steps);
    QFETCH(QString, kept);
    Open();
    Run(steps);
    const QStringList entries = kept == u"-" ? QStringList() : Entries(kept);
    QCOMPARE(Written(), entries.isEmpty() ? QByteArray("<none>") : SavedGameBytes(entries));
    QCOMPARE(Form().Journal->Kept(), entries);
}

// No box, no lost move; the game is still kept while the program runs.
void TestGameJournal::unwritableFolderNeverStopsPlay() {
    OpenFolder();
    QFile blocker(PathOf(QStringLiteral("state"))); // a file where the folder would be made
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    OpenWindow();
    Run(QStringLiteral("play e2e4 e7e5 g1f3; new"));
    QCOMPARE(Written(), QByteArray("<none>"));
    QVERIFY(Form().btRestore->isEnabled());
    Form().btRestoreClick();
    QCOMPARE(Form().CurrentGame->MoveRecord, Entries(u"e2e4 e7e5 g1f3"));
    QVERIFY(Prompts().Messages.isEmpty());
}

void TestGameJournal::restoreAfterCrash_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("waiting"); // the moves of the game offered, "-" for none

    QTest::newRow("an unfinished game") << "play e2e4 e7e5 g1f3" << "e2e4 e7e5 g1f3";
    QTest::newRow("a new game pressed by mistake") << "play e2e4 e7e5; new" << "e2e4 e7e5";
    QTest::newRow("nothing played") << "" << "-";
}

// The window goes without its normal end (no close), and a new one is made on the same folders;
// from the state at start, the key brings the game back as a loaded file would be.
void TestGameJournal::restoreAfterCrash() {
    QFETCH(QString, steps);
    QFETCH(QString, waiting);
    Open();
    Run(steps);
    Window.reset();
    OpenWindow();

    const bool waits = waiting != u"-";
    QCOMPARE(Form().findChild<QLabel *>("lbBrowsing")->isVisible(), waits);
    QCOMPARE(Notice().contains(QStringLiteral("Ctrl+Shift+T")), waits);
    QCOMPARE(Form().dgBoard->accessibleDescription(),
             waits ? Notice() + QStringLiteral(". Ход белых.") : QStringLiteral("Ход белых."));
    QCOMPARE(Form().btRestore->isEnabled(), waits);

    Form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Window->Form.get()));
    QCOMPARE(QApplication::focusWidget(), Form().edChat);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T,
                    Qt::ControlModifier | Qt::ShiftModifier);

    QCOMPARE(Form().CurrentGame->MoveRecord, waits ? Entries(waiting) : QStringList());
    QCOMPARE(Form().mmAnnotation->toPlainText(), Form().CurrentGame->Notation.join(u'\n'));
    QVERIFY(Notice().isEmpty());
    QVERIFY(!Form().dgBoard->accessibleDescription().contains(QStringLiteral("Ctrl+Shift+T")));
    QVERIFY(!Form().btRestore->isEnabled());
    QVERIFY(Prompts().Messages.isEmpty());
}

// The line goes at the first press, but the game waits until the new game has a move.
void TestGameJournal::restoreOverwrittenOnlyByAMove() {
    Open();
    Run(QStringLiteral("play e2e4"));
    Window.reset();
    OpenWindow();
    PressSquare(Form(), "e4");
    QVERIFY(Notice().isEmpty());
    QVERIFY(Form().btRestore->isEnabled());
    Run(QStringLiteral("play d2d4"));
    QVERIFY(!Form().btRestore->isEnabled());
    QCOMPARE(Written(), SavedGameBytes(Entries(u"d2d4")));
}

QTEST_MAIN(TestGameJournal)
#include "tst_GameJournal.moc"
