// The board view beyond the Parts: looking back through the game without touching it, dragging
// a piece, and marking the last move (kept in the settings file).
#include "BoardGrid.h"
#include "BoardNotices.h"
#include "BoardView.h"
#include "Main.h"
#include "PageControl.h"
#include "Pictures.h"
#include "PieceSelect.h"
#include "Protocol.h"
#include "ServerEndpoint.h"
#include "Shape.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {

const QByteArray OtherSettings =
    "; kept as it is\r\n[Network]\r\nPort=6464\r\n\r\nServerIP= 10.0.0.1 \r\n";

QImage Board(const TMainForm &form) {
    return form.dgBoard->Canvas().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// One square's cell in a picture of the board, in the window's orientation now.
QImage CellOf(const TMainForm &form, const QImage &board, const char *name) {
    const QPoint cell = form.GridCellOf(SquareIndex(name) % 8, SquareIndex(name) / 8);
    return board.copy(TBoardGrid::CellRect(cell.x(), cell.y()));
}

QImage Cell(const TMainForm &form, const char *name) {
    return CellOf(form, Board(form), name);
}

// The promotion dialog is modal: the release waits inside it for the knight.
void AnswerKnightWhenAsked(TMainForm &form, int tries = 400) {
    QTimer::singleShot(5, &form, [&form, tries] {
        if (QApplication::activeModalWidget() == form.PieceSelectForm)
            form.PieceSelectForm->btKnight->click();
        else if (tries > 0)
            AnswerKnightWhenAsked(form, tries - 1);
    });
}

QByteArray FileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestBoardView : public QObject, protected TWindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void browsing_data();
    void browsing();
    void browsingLeavesTheGameAndTheNetworkAlone();
    void repetitionTold();
    void noticesMostPressingFirst_data();
    void noticesMostPressingFirst();

    void drag_data();
    void drag();

    void lastMoveMarked_data();
    void lastMoveMarked();
    void boxKeptInTheSettingsFile_data();
    void boxKeptInTheSettingsFile();

private:
    QString IniPath() const { return PathOf(QStringLiteral("Korvalen.ini")); }
};

void TestBoardView::init() {
    OpenFolder();
}

void TestBoardView::cleanup() {
    Close();
}

void TestBoardView::browsing_data() {
    QTest::addColumn<bool>("whiteOnTop");
    QTest::newRow("white at the bottom") << false;
    QTest::newRow("white on top") << true;
}

void TestBoardView::browsing() {
    QFETCH(bool, whiteOnTop);
    OpenWindow();
    TMainForm &form = Form();
    form.cbWhiteOnTop->setChecked(whiteOnTop);
    form.DrawBoard();
    QList<QImage> after = {Board(form)}; // the picture after each half-move
    for (const char *move : {"e2e4", "e7e5", "g1f3", "b8c6"}) {
        PlayByPresses(form, move);
        after.append(Board(form));
    }
    const QStringList record = form.CurrentGame->MoveRecord;
    form.pcMain->tabBar()->setFocus();

    const struct {
        Qt::Key key;
        int ply;
        QString line;
    } steps[] = {
        {Qt::Key_Left, 3, QStringLiteral("Просмотр: после 2. Кg1-f3 — End: к игре")},
        {Qt::Key_Left, 2, QStringLiteral("Просмотр: после 1. … e7-e5 — End: к игре")},
        {Qt::Key_Home, 0, QStringLiteral("Просмотр: начальная позиция — End: к игре")},
        {Qt::Key_Left, 0, QStringLiteral("Просмотр: начальная позиция — End: к игре")},
        {Qt::Key_Right, 1, QStringLiteral("Просмотр: после 1. e2-e4 — End: к игре")},
        {Qt::Key_End, 4, QString()},
    };
    auto *line = form.dgBoard->findChild<QLabel *>("lbBrowsing");
    QVERIFY(line);
    for (const auto &step : steps) {
        PressKey(form, step.key);
        QCOMPARE(form.BoardView->ShownPly(), step.ply);
        QCOMPARE(Board(form), after.at(step.ply));
        QCOMPARE(form.BoardView->IsBrowsing(), !step.line.isEmpty());
        QCOMPARE(line->isVisible(), !step.line.isEmpty());
        if (!step.line.isEmpty()) {
            QCOMPARE(line->text(), step.line);
            QVERIFY(form.dgBoard->accessibleDescription().startsWith(step.line));
        }
        // The notation marks the line of the move shown; none at the game itself.
        const QList<QTextEdit::ExtraSelection> marks = form.mmAnnotation->extraSelections();
        QCOMPARE(marks.size(), step.ply > 0 && step.ply < 4 ? 1 : 0);
        if (!marks.isEmpty())
            QCOMPARE(marks.first().cursor.blockNumber(), (step.ply - 1) / 2);
        QCOMPARE(form.CurrentGame->MoveRecord, record);
    }
    QCOMPARE(form.dgBoard->accessibleDescription(), QStringLiteral("Чёрные: Кb8-c6. Ход белых."));

    // The wheel steps too; away from the user is back.
    QWheelEvent back({200, 200}, form.dgBoard->mapToGlobal(QPointF(200, 200)), {}, {0, 240},
                     Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.dgBoard, &back);
    QCOMPARE(form.BoardView->ShownPly(), 2);

    // The chat entry, once it can be typed in, keeps the keys while it holds text; its cursor
    // moves.
    form.edChat->setReadOnly(false);
    form.edChat->setFocus();
    form.edChat->setText(QStringLiteral("ход"));
    PressKey(form, Qt::Key_Home);
    QCOMPARE(form.BoardView->ShownPly(), 2);
    QCOMPARE(form.edChat->cursorPosition(), 0);
    form.edChat->clear();

    // A press comes back to the game first, then acts as ever: white picks up d2.
    PressSquare(form, "d2");
    QVERIFY(!form.BoardView->IsBrowsing());
    QCOMPARE(form.SelectedSquare, SquareIndex("d2"));
    QCOMPARE(Board(form), after.at(4));
    PressSquare(form, "d4");
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 5);

    // Undo and a new game come back too.
    PressKey(form, Qt::Key_Home);
    form.btReturnClick();
    QVERIFY(!form.BoardView->IsBrowsing());
    QCOMPARE(Board(form), after.at(4));
    PressKey(form, Qt::Key_Left);
    form.btNewClick();
    QVERIFY(!form.BoardView->IsBrowsing());
    QCOMPARE(Board(form), after.at(0));
}

// A threefold repetition played with the mouse is told over the board and first in the
// description; the game goes on, the message line and the record stay as ever, and a move or a
// take-back changes what is told.
void TestBoardView::repetitionTold() {
    OpenWindow();
    TMainForm &form = Form();
    auto *line = form.dgBoard->findChild<QLabel *>("lbBrowsing");
    QVERIFY(line);
    const QString notice = QStringLiteral("Троекратное повторение: можно требовать ничью");
    PlayByPresses(form, "g1f3 g8f6 f3g1 f6g8");
    QVERIFY(!line->isVisible()); // the start position has stood twice only
    PlayByPresses(form, "g1f3 g8f6 f3g1 f6g8");
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), notice);
    QVERIFY2(form.dgBoard->accessibleDescription().startsWith(notice + u'.'),
             qPrintable(form.dgBoard->accessibleDescription()));
    QCOMPARE(form.edGameMessage->text(), QString());

    PlayByPresses(form, "e2e4"); // a claim is the players' business: play goes on
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 9);
    QVERIFY(!line->isVisible());
    QVERIFY(!form.dgBoard->accessibleDescription().contains(notice));
    form.btReturnClick();
    QVERIFY(line->isVisible());
    QVERIFY(form.dgBoard->accessibleDescription().startsWith(notice));
    form.btNewClick();
    QVERIFY(!line->isVisible());
}

// Looking back sends nothing and leaves the selection; a longer list from the peer brings the
// board back to the game it then plays.
void TestBoardView::browsingLeavesTheGameAndTheNetworkAlone() {
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QFile ini(IniPath());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Network]\r\nPort=" + QByteArray::number(port) + "\r\n");
    ini.close();
    OpenWindow();
    TMainForm &form = Form();
    form.tmConnectTimer();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, form.ServerSocket->ListeningPort());
    QVERIFY(peer.waitForConnected(5000));
    QTRY_COMPARE(form.shConnect->BrushColor(), QColor(0, 128, 0));

    PlayByPresses(form, "e2e4 e7e5");
    PressSquare(form, "g1");
    QTest::qWait(100);
    peer.readAll();
    form.pcMain->tabBar()->setFocus();
    PressKey(form, Qt::Key_Left);
    PressKey(form, Qt::Key_Home);
    PressKey(form, Qt::Key_Right);
    QCOMPARE(form.BoardView->ShownPly(), 1);
    QTest::qWait(100);
    QCOMPARE(peer.readAll(), QByteArray());
    QCOMPARE(form.SelectedSquare, SquareIndex("g1"));
    QCOMPARE(form.CurrentGame->MoveRecord, QStringList({"12>28", "52>36"}));

    const QStringList longer = {"12>28", "52>36", "6>21"};
    peer.write(MoveListMessage(longer).toLatin1());
    peer.flush();
    QTRY_COMPARE(form.CurrentGame->MoveRecord, longer);
    QVERIFY(!form.BoardView->IsBrowsing());
    QCOMPARE(form.BoardView->ShownPly(), 3);
}

void TestBoardView::drag_data() {
    QTest::addColumn<bool>("whiteOnTop");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("played"); // the record's new entries
    QTest::addColumn<int>("selected");
    QTest::newRow("a move") << false << ""
                            << "e2"
                            << "e4" << QStringList{"12>28"} << -1;
    QTest::newRow("a move, white on top") << true << ""
                                          << "g1"
                                          << "f3" << QStringList{"6>21"} << -1;
    QTest::newRow("let go on its own square") << false << ""
                                              << "e2"
                                              << "e2" << QStringList{} << 12;
    QTest::newRow("an illegal target") << false << ""
                                       << "e2"
                                       << "e5" << QStringList{} << -1;
    QTest::newRow("black, after a press-and-press move") << false << "d2d4"
                                                         << "d7"
                                                         << "d5" << QStringList{"51>35"} << -1;
    QTest::newRow("promotion by drag") << false << "b2b4 a7a5 b4a5 b7b6 a5b6 c8a6 b6b7 b8c6"
                                       << "b7"
                                       << "b8" << QStringList{"49>57,K"} << -1;
}

void TestBoardView::drag() {
    QFETCH(bool, whiteOnTop);
    QFETCH(QString, before);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, played);
    QFETCH(int, selected);
    OpenWindow();
    TMainForm &form = Form();
    form.cbWhiteOnTop->setChecked(whiteOnTop);
    PlayByPresses(form, before);
    const QStringList start = form.CurrentGame->MoveRecord;
    const QImage fromCell = Cell(form, from.toLatin1());
    if (played.value(0).endsWith(u'K'))
        AnswerKnightWhenAsked(form);
    // Carried: the square it left is empty, the piece goes with the pointer.
    const QPoint startAt = CellCentre(form, SquareIndex(from.toLatin1()));
    const QPoint endAt = CellCentre(form, SquareIndex(to.toLatin1()));
    QTest::mousePress(form.dgBoard, Qt::LeftButton, {}, startAt);
    QTest::mouseMove(form.dgBoard, (startAt + endAt) / 2 + QPoint(9, 9));
    if (from != to)
        QVERIFY(Cell(form, from.toLatin1()) != fromCell);
    QTest::mouseMove(form.dgBoard, endAt);
    QTest::mouseRelease(form.dgBoard, Qt::LeftButton, {}, endAt);

    QCOMPARE(form.CurrentGame->MoveRecord, start + played);
    QCOMPARE(form.SelectedSquare, selected);
    if (played.isEmpty())
        QCOMPARE(Cell(form, from.toLatin1()), fromCell);
    // Let go on its own square, the piece stays picked up: the next press moves it.
    if (selected >= 0) {
        PressSquare(form, "e4");
        QCOMPARE(form.CurrentGame->MoveRecord, QStringList{"12>28"});
    }
}

void TestBoardView::lastMoveMarked_data() {
    QTest::addColumn<bool>("whiteOnTop");
    QTest::newRow("white at the bottom") << false;
    QTest::newRow("white on top") << true;
}

void TestBoardView::lastMoveMarked() {
    QFETCH(bool, whiteOnTop);
    OpenWindow();
    TMainForm &form = Form();
    form.cbWhiteOnTop->setChecked(whiteOnTop);
    QVERIFY(!form.cbMarkLastMove->isChecked()); // off unless chosen
    QCOMPARE(form.cbMarkLastMove->toolTip(),
             QStringLiteral("Выделять на доске поля, откуда и куда пошла фигура последним ходом"));
    PlayByPresses(form, "e2e4 g8f6");
    const QImage plain = Board(form);
    const QList<const char *> marked = {"g8", "f6"};
    const QList<const char *> others = {"e2", "e4", "g7", "a1", "h8"};
    QList<QImage> plainCells;
    for (const char *square : marked)
        plainCells.append(Cell(form, square));

    form.cbMarkLastMove->setChecked(true);
    for (int i = 0; i < marked.size(); ++i)
        QVERIFY2(Cell(form, marked.at(i)) != plainCells.at(i), marked.at(i));
    for (const char *square : others)
        QCOMPARE(Cell(form, square), CellOf(form, plain, square));
    // The piece on the marked square still shows whole: the tint lies under it.
    const QImage knight = form.ilPieces.at(BoardPictureIndex(Black, Knight))
                              .toImage()
                              .convertToFormat(QImage::Format_ARGB32);
    QPoint solid(-1, -1);
    for (int y = 0; y < knight.height() && solid.x() < 0; ++y)
        for (int x = 0; x < knight.width() && solid.x() < 0; ++x)
            if (qAlpha(knight.pixel(x, y)) == 255)
                solid = {x, y};
    QVERIFY(solid.x() >= 0);
    const QPoint onPiece = solid + QPoint(2, 2);
    QCOMPARE(Cell(form, "f6").pixel(onPiece), plainCells.at(1).pixel(onPiece));
    QVERIFY(Cell(form, "f6").pixel(1, 1) != plainCells.at(1).pixel(1, 1));

    // After an undo the move before it is marked; off again, the picture is the plain one.
    form.btReturnClick();
    QVERIFY(Cell(form, "e4") != CellOf(form, plain, "e4"));
    QCOMPARE(Cell(form, "e7"), CellOf(form, plain, "e7"));
    form.cbMarkLastMove->setChecked(false);
    PlayByPresses(form, "g8f6");
    QCOMPARE(Board(form), plain);
}

// The interface's boxes that are kept between runs, each under its key.
void TestBoardView::boxKeptInTheSettingsFile_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("key");
    QTest::newRow("last move marked") << "cbMarkLastMove" << QByteArray("MarkLastMove");
    QTest::newRow("opponent's move heard") << "cbMoveSound" << QByteArray("MoveSound");
}

// Kept in a section of its own, off unless chosen; every other line of the file stays as it was.
void TestBoardView::boxKeptInTheSettingsFile() {
    QFETCH(QString, box);
    QFETCH(QByteArray, key);
    QFile ini(IniPath());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(OtherSettings);
    ini.close();
    OpenWindow();
    const auto checkBox = [this, &box] { return Form().findChild<QCheckBox *>(box); };
    QVERIFY(checkBox() != nullptr);
    QVERIFY(!checkBox()->isChecked());
    QCOMPARE(FileBytes(IniPath()), OtherSettings); // nothing is written at start-up
    checkBox()->click();
    const QByteArray on = FileBytes(IniPath());
    QVERIFY2(on.startsWith(OtherSettings), on.constData());
    QVERIFY2(on.contains("[Interface]") && on.contains(key + "=1"), on.constData());

    Window.reset();
    OpenWindow();
    QVERIFY(checkBox()->isChecked());
    checkBox()->click();
    QByteArray off = on;
    off.replace(key + "=1", key + "=0");
    QCOMPARE(FileBytes(IniPath()), off);

    // A file that cannot be written is reported; the box keeps what the player chose.
    QVERIFY(QFile::remove(IniPath()));
    QVERIFY(QDir(Folder->path()).mkdir("Korvalen.ini"));
    checkBox()->click();
    QCOMPARE(Window->Prompts->Messages.size(), 1);
    QCOMPARE(Window->Prompts->Messages.first().Icon, QMessageBox::Critical);
    QVERIFY(Window->Prompts->Messages.first().Text.startsWith("Unable to write to"));
    QVERIFY(checkBox()->isChecked());
}

// One line at a time over the board, the most pressing; each kind in its colour, never wider
// than the board, and what a screen reader hears first.
void TestBoardView::noticesMostPressingFirst_data() {
    QTest::addColumn<QString>("browsing");
    QTest::addColumn<QString>("draw");
    QTest::addColumn<QString>("waiting");
    QTest::addColumn<int>("shown"); // the kind shown

    const QString back = QStringLiteral("Просмотр: начальная позиция — End: к игре");
    const QString draw = QStringLiteral("Ничья по правилу пятидесяти ходов");
    const QString wait = QStringLiteral("Прерванная партия сохранена");
    const QString none;
    QTest::newRow("the waiting game") << none << none << wait << 2;
    QTest::newRow("a draw over the waiting game") << none << draw << wait << 1;
    QTest::newRow("looking back over both") << back << draw << wait << 0;
    QTest::newRow("a long draw text") << none << draw.repeated(4) << none << 1;
}

void TestBoardView::noticesMostPressingFirst() {
    QFETCH(QString, browsing);
    QFETCH(QString, draw);
    QFETCH(QString, waiting);
    QFETCH(int, shown);
    OpenWindow();
    TBoardNotices &notices = Form().BoardView->Notices();
    using TKind = TBoardNotices::TKind;
    // Every kind was on the board before: taking a notice away shows the next one.
    for (const TKind kind : {TKind::Browsing, TKind::Draw, TKind::WaitingGame})
        notices.Set(kind, QStringLiteral("раньше"));
    notices.Set(TKind::Browsing, browsing);
    notices.Set(TKind::Draw, draw);
    notices.Set(TKind::WaitingGame, waiting);
    // The view's own description: the window's would tell the game's draw, not this one.
    Form().BoardView->Describe(Form().CurrentGame->Status());

    const auto *line = Form().dgBoard->findChild<QLabel *>("lbBrowsing");
    QVERIFY(line->isVisible());
    const QString text = QList<QString>{browsing, draw, waiting}.at(shown);
    QCOMPARE(notices.Shown(), text);
    QVERIFY(Form().dgBoard->accessibleDescription().startsWith(text + QStringLiteral(". ")));
    QCOMPARE(line->palette().color(QPalette::Window), NoticeColor(TKind(shown)));
    QVERIFY(line->geometry().right() < Form().dgBoard->width());
    QCOMPARE(line->height(), line->sizeHint().height()); // one line
    QVERIFY(text.startsWith(line->text().chopped(1)));
}

QTEST_MAIN(TestBoardView)
#include "tst_BoardView.moc"
