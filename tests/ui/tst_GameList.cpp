// A PGN file of several games opens as a list: filtered and sorted, one game picked with the
// keyboard and loaded as a one-game file is, a game that does not play marked and refused.
#include "GameFiles.h"
#include "GameListModel.h"
#include "UiTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QtTest>

namespace {

// Nine, three and ten half-moves: a sort of the texts would put 10 first.
const QByteArray ThreeGames = "[Event \"Reykjavik\"]\n[White \"Fischer\"]\n[Black \"Spassky\"]\n"
                              "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 "
                              "5. O-O 1-0\n\n"
                              "[Event \"Moscow\"]\n[White \"Tal\"]\n[Black \"Botvinnik\"]\n\n"
                              "1. d4 d5 2. Ke3 *\n\n"
                              "[Black \"Kasparov\"]\n[White \"Karpov\"]\n[Event \"Moscow\"]\n\n"
                              "1. c4 e5 2. Nc3 Nf6 3. g3 d5 4. cxd5 Nxd5 5. Bg2 Nb6 *\n";

const QStringList KarpovRecord = {"10>26", "52>36", "1>18",  "62>45", "14>22",
                                  "51>35", "26>35", "45>35", "5>14",  "35>41"};

// The numbers (column №) of the games the list shows, top to bottom.
QList<int> ShownNumbers(const TGameListDialog &dialog) {
    QList<int> numbers;
    for (int row = 0; row < dialog.ShownGames->rowCount(); ++row)
        numbers.append(dialog.ShownGames->index(row, TGameListModel::NumberColumn).data().toInt());
    return numbers;
}

} // namespace

class TestGameList : public QObject, TWindowFixture {
    Q_OBJECT

private slots:
    void init() {
        OpenActive();
        QFile file(PathOf("three.pgn"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ThreeGames);
    }
    void cleanup() { Close(); }
    void filterAndPickWithEnter();
    void escapeKeepsTheGame();
    void badGameMarkedAndRefused();
    void pastedCollectionSorted();
};

void TestGameList::filterAndPickWithEnter() {
    bool scripted = false;
    Prompts().GameListScript = [&scripted](TGameListDialog &dialog) {
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.focusWidget(), dialog.grGames);
        QTRY_VERIFY(dialog.IndexDone());
        QCOMPARE(ShownNumbers(dialog), QList<int>({1, 2, 3}));
        QCOMPARE(dialog.grGames->currentIndex().row(), 0);
        // Typed on the list, the letters go to the filter; players and event are looked in.
        QTest::keyClicks(dialog.grGames, "moscow");
        QCOMPARE(dialog.edFilter->text(), QStringLiteral("moscow"));
        QCOMPARE(ShownNumbers(dialog), QList<int>({2, 3}));
        QTest::keyClick(dialog.grGames, Qt::Key_Backspace);
        QCOMPARE(dialog.edFilter->text(), QStringLiteral("mosco"));
        // The arrows in the filter move in the list.
        QTest::keyClick(dialog.edFilter, Qt::Key_Down);
        QCOMPARE(dialog.grGames->currentIndex().row(), 1);
        dialog.edFilter->setText(QStringLiteral("KASP"));
        QCOMPARE(ShownNumbers(dialog), QList<int>({3}));
        QVERIFY(dialog.btOpen->isEnabled());
        QTest::keyClick(dialog.grGames, Qt::Key_Return);
        scripted = true;
    };
    PlayByPresses(Form(), "e2e4");
    Prompts().OpenAnswers = {PathOf("three.pgn")};
    Form().btLoadClick();
    QVERIFY(scripted);
    QCOMPARE(Prompts().GameListsShown, 1);
    QVERIFY(Prompts().Messages.isEmpty());
    QCOMPARE(Form().CurrentGame->MoveRecord, KarpovRecord);
    QVERIFY(Form().mmAnnotation->toPlainText().contains(u'5'));
}

void TestGameList::escapeKeepsTheGame() {
    PlayByPresses(Form(), "e2e4 e7e5");
    const TShownGame before(Form());
    Prompts().GameListScript = [](TGameListDialog &dialog) {
        QTRY_VERIFY(dialog.IndexDone());
        QTest::keyClick(dialog.grGames, Qt::Key_Escape);
    };
    Form().LoadGameFile(PathOf("three.pgn"));
    QCOMPARE(Prompts().GameListsShown, 1);
    QVERIFY(Prompts().Messages.isEmpty());
    QCOMPARE(TShownGame(Form()), before);
}

// The game that does not play stays in the list with the reason; picking it gives the load
// box with the game's number, and the game on the board stays.
void TestGameList::badGameMarkedAndRefused() {
    PlayByPresses(Form(), "d2d4");
    const TShownGame before(Form());
    Prompts().GameListScript = [](TGameListDialog &dialog) {
        QTRY_VERIFY(dialog.CheckDone());
        QCOMPARE(dialog.Games->Problem(0), QString());
        QCOMPARE(dialog.Games->index(1, TGameListModel::NoteColumn).data().toString(),
                 QStringLiteral("Не открывается: ход 2. Ke3 недопустим"));
        QVERIFY(!dialog.Games->index(1, TGameListModel::NumberColumn)
                     .data(Qt::DecorationRole)
                     .isNull());
        QVERIFY(dialog.lbStatus->text().contains(QStringLiteral("Не открываются: 1")));
        QTest::keyClick(dialog.grGames, Qt::Key_Down);
        QTest::keyClick(dialog.grGames, Qt::Key_Return);
    };
    Form().LoadGameFile(PathOf("three.pgn"));
    QCOMPARE(TShownGame(Form()), before);
    QCOMPARE(Prompts().Messages.size(), 1);
    QCOMPARE(Prompts().Messages.front().Text,
             QStringLiteral("Файл\n%1\nне удалось прочитать как партию в формате PGN: в партии 2 "
                            "ход 2. Ke3 недопустим.\n\nТекущая партия не изменилась.")
                 .arg(QDir::toNativeSeparators(PathOf("three.pgn"))));
}

// A pasted collection opens as a list too; its numbers sort as numbers, and the keypad's Enter
// picks.
void TestGameList::pastedCollectionSorted() {
    QGuiApplication::clipboard()->setText(QString::fromUtf8(ThreeGames));
    Prompts().GameListScript = [](TGameListDialog &dialog) {
        QTRY_VERIFY(dialog.IndexDone());
        QHeaderView *header = dialog.grGames->horizontalHeader();
        const auto clickHeading = [header](int column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 5, 5));
        };
        clickHeading(TGameListModel::PliesColumn);
        const QList<int> ascending = ShownNumbers(dialog);
        clickHeading(TGameListModel::PliesColumn);
        const QList<int> descending = ShownNumbers(dialog);
        QVERIFY((ascending == QList<int>{2, 1, 3} && descending == QList<int>{3, 1, 2}) ||
                (ascending == QList<int>{3, 1, 2} && descending == QList<int>{2, 1, 3}));
        clickHeading(TGameListModel::WhiteColumn);
        QCOMPARE(ShownNumbers(dialog), QList<int>({1, 3, 2})); // Fischer, Karpov, Tal
        QTest::keyClick(dialog.grGames, Qt::Key_Down);
        QTest::keyClick(dialog.grGames, Qt::Key_Enter);
    };
    QTest::keyClick(&Form(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Prompts().GameListsShown, 1);
    QCOMPARE(Form().CurrentGame->MoveRecord, KarpovRecord);
}

QTEST_MAIN(TestGameList)
#include "tst_GameList.moc"
