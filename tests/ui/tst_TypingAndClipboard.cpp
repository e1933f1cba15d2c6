// Moves typed on the board and what a screen reader then hears, and games copied and pasted
// through the clipboard.
#include "ClipboardCommands.h"
#include "Fen.h"
#include "GameFiles.h"
#include "MoveTyping.h"
#include "PageControl.h"
#include "UiTestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A game with every special move: en passant, both castlings, a promotion to a knight that
// takes, a check.
const QStringList SpecialGame = {"12>28", "51>35", "28>36",   "53>37", "36>45", "57>42",
                                 "45>54", "58>44", "6>21",    "59>43", "5>12",  "60>58",
                                 "4>6",   "44>51", "54>63,K", "43>15", "6>15"};

QString Described(const TMainForm &form) {
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(form.dgBoard);
    return face ? face->text(QAccessible::Description) : QString();
}

QString Clipboard() {
    return QGuiApplication::clipboard()->text();
}

void SetClipboard(const QString &text) {
    QGuiApplication::clipboard()->setText(text);
}

void PressKeys(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(widget, key, modifiers);
}

} // namespace

class TestTypingAndClipboard : public QObject, protected TWindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedMoves_data();
    void typedMoves();
    void typedPromotionAsksOnlyWithoutAPiece();
    void escapeAndTabOnTheBoard();
    void peersMoveIsDescribed();

    void gameRoundTripThroughTheClipboard();
    void positionOfTheShownHalfMove_data();
    void positionOfTheShownHalfMove();
    void pastedForms_data();
    void pastedForms();
    void badPasteKeepsTheGame_data();
    void badPasteKeepsTheGame();
    void textFieldsKeepTheirOwnKeys();
};

void TestTypingAndClipboard::init() {
    OpenActive();
}

void TestTypingAndClipboard::cleanup() {
    Close();
}

void TestTypingAndClipboard::typedMoves_data() {
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("played"); // the entry added, or nothing
    QTest::addColumn<QString>("line");   // what the line over the board says afterwards
    QTest::addColumn<QString>("description");
    QTest::newRow("coordinates") << ""
                                 << "e2e4"
                                 << "12>28"
                                 << ""
                                 << "Белые: e2-e4. Ход чёрных.";
    QTest::newRow("Russian knight") << ""
                                    << "Кf3"
                                    << "6>21"
                                    << ""
                                    << "Белые: Кg1-f3. Ход чёрных.";
    QTest::newRow("Latin capture") << "e2e4 d7d5"
                                   << "exd5"
                                   << "28>35"
                                   << ""
                                   << "Белые: e4xd5. Ход чёрных.";
    QTest::newRow("black castles") << "e2e4 e7e5 g1f3 g8f6 f1c4 f8c5 b1c3"
                                   << "0-0"
                                   << "60>62"
                                   << ""
                                   << "Чёрные: короткая рокировка. Ход белых.";
    QTest::newRow("check") << "e2e4 f7f6"
                           << "Фh5+"
                           << "3>39"
                           << ""
                           << "Белые: Фd1-h5. Ход чёрных. Шах.";
    QTest::newRow("illegal") << ""
                             << "e2e5"
                             << ""
                             << "e2e5 — такого хода нет"
                             << "Ход белых.";
    QTest::newRow("ambiguous") << "d2d4 a7a6 g1f3 a6a5"
                               << "Кd2"
                               << ""
                               << "Кd2 — неоднозначно: уточните, какой фигурой"
                               << "Чёрные: a6-a5. Ход белых.";
    QTest::newRow("ambiguity resolved") << "d2d4 a7a6 g1f3 a6a5"
                                        << "Кbd2"
                                        << "1>11"
                                        << ""
                                        << "Белые: Кb1-d2. Ход чёрных.";
    QTest::newRow("no move") << ""
                             << "xyz"
                             << ""
                             << "xyz — это не ход"
                             << "Ход белых.";
}

void TestTypingAndClipboard::typedMoves() {
    QFETCH(QString, pressed);
    QFETCH(QString, typed);
    QFETCH(QString, played);
    QFETCH(QString, line);
    QFETCH(QString, description);
    TMainForm &form = Form();
    PlayByPresses(form, pressed);
    QStringList record = form.CurrentGame->MoveRecord;
    form.SelectedSquare = SquareIndex("a2"); // a piece picked up by the mouse is let go
    QVERIFY(!form.MoveTyping->Line()->isVisible());
    TypeKeys(form, typed);
    QCOMPARE(form.MoveTyping->Line()->text(), typed);
    QVERIFY(form.MoveTyping->Line()->isVisible());
    PressKey(form, Qt::Key_Return);
    if (!played.isEmpty())
        record.append(played);
    QCOMPARE(form.CurrentGame->MoveRecord, record);
    QCOMPARE(form.MoveTyping->Line()->text(), line);
    QCOMPARE(form.MoveTyping->Line()->isVisible(), !line.isEmpty());
    QCOMPARE(form.SelectedSquare, played.isEmpty() ? SquareIndex("a2") : -1);
    QCOMPARE(Described(form), description);
    if (!played.isEmpty())
        QCOMPARE(form.mmAnnotation->toPlainText(), form.CurrentGame->Notation.join(u'\n'));
}

// A typed piece answers the promotion question; without one the player is asked, as after two
// presses.
void TestTypingAndClipboard::typedPromotionAsksOnlyWithoutAPiece() {
    TMainForm &form = Form();
    int asked = 0;
    form.CurrentGame->PromotionHook = [&asked](TColor) {
        ++asked;
        return std::uint8_t(Rook);
    };
    PlayByPresses(form, "a2a4 b7b5 a4b5 a7a6 b5a6 c8b7 a6b7 b8c6");
    TypeKeys(form, QStringLiteral("bxa8Ф"));
    PressKey(form, Qt::Key_Return);
    QCOMPARE(form.CurrentGame->MoveRecord.last(), QStringLiteral("49>56,Q"));
    QCOMPARE(asked, 0);
    QCOMPARE(Described(form), QStringLiteral("Белые: b7xa8Ф. Ход чёрных."));
    form.CurrentGame->UndoLastMove();
    TypeKeys(form, QStringLiteral("b8"));
    PressKey(form, Qt::Key_Return);
    QCOMPARE(form.CurrentGame->MoveRecord.last(), QStringLiteral("49>57,R"));
    QCOMPARE(asked, 1);
}

void TestTypingAndClipboard::escapeAndTabOnTheBoard() {
    TMainForm &form = Form();
    // Tab from the page tabs reaches the board.
    form.pcMain->tabBar()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.pcMain->tabBar(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), form.dgBoard);
    QTest::keyClicks(form.dgBoard, "e2e");
    QCOMPARE(form.MoveTyping->Typed(), QStringLiteral("e2e"));
    QTest::keyClick(form.dgBoard, Qt::Key_Backspace);
    QCOMPARE(form.MoveTyping->Typed(), QStringLiteral("e2"));
    QTest::keyClick(form.dgBoard, Qt::Key_Escape);
    QVERIFY(form.MoveTyping->Typed().isEmpty());
    QVERIFY(!form.MoveTyping->Line()->isVisible());
    // The arrows are not typing; a refusal is followed by a fresh entry; the board's
    // orientation does not matter.
    form.cbWhiteOnTop->setChecked(true);
    QTest::keyClick(form.dgBoard, Qt::Key_Left);
    QTest::keyClicks(form.dgBoard, "e2e5\re2e4\r");
    QCOMPARE(form.CurrentGame->MoveRecord, QStringList{"12>28"});
    QVERIFY(!form.MoveTyping->Line()->isVisible());
}

void TestTypingAndClipboard::peersMoveIsDescribed() {
    TMainForm &form = Form();
    form.HandleNetMessage(QStringLiteral("l12>28|52>36"));
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 2);
    QCOMPARE(Described(form), QStringLiteral("Чёрные: e7-e5. Ход белых."));
}

void TestTypingAndClipboard::gameRoundTripThroughTheClipboard() {
    TMainForm &form = Form();
    SetClipboard(SpecialGame.join(u'|'));
    PressKeys(&form, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.CurrentGame->MoveRecord, SpecialGame);
    const QString notation = form.mmAnnotation->toPlainText();
    PressKeys(&form, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Clipboard(), PgnTextOfRecord(SpecialGame));
    QVERIFY(Clipboard().contains(QStringLiteral("3. exf6 ")));
    QVERIFY(Clipboard().contains(QStringLiteral("O-O-O 7. O-O ")));
    QVERIFY(Clipboard().contains(QStringLiteral("gxh8=N Qxh2+ 9. Kxh2 *")));
    form.btNewClick();
    PressKeys(&form, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.CurrentGame->MoveRecord, SpecialGame);
    QCOMPARE(form.mmAnnotation->toPlainText(), notation);
    QVERIFY(Prompts().Messages.isEmpty());
}

// The position on the board, at the half-move the board shows.
void TestTypingAndClipboard::positionOfTheShownHalfMove_data() {
    QTest::addColumn<int>("ply");
    QTest::addColumn<QString>("fen");
    QTest::newRow("start") << 0 << QString::fromLatin1(StartFen);
    QTest::newRow("after 2. e5") << 3
                                 << "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2";
    QTest::newRow("en passant possible")
        << 4 << "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3";
    QTest::newRow("the end") << int(SpecialGame.size())
                             << StandardFenAfter(SpecialGame, int(SpecialGame.size()));
}

void TestTypingAndClipboard::positionOfTheShownHalfMove() {
    QFETCH(int, ply);
    QFETCH(QString, fen);
    TMainForm &form = Form();
    SetClipboard(SpecialGame.join(u'|'));
    form.Clipboard->PasteGame();
    form.BoardView->ShowPly(ply);
    PressKeys(&form, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Clipboard(), fen);
}

void TestTypingAndClipboard::pastedForms_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("one line") << "12>28|52>36";
    QTest::newRow("one entry a line") << "12>28\r\n52>36\r\n";
    QTest::newRow("blanks around") << "  12>28 | 52>36\n\n";
    QTest::newRow("PGN movetext") << "1. e4 e5 *";
    QTest::newRow("PGN with Russian tags")
        << "[Event \"Турнир\"]\n[White \"Иванов\"]\n\n1. e4 {начало} e5 *\n";
}

void TestTypingAndClipboard::pastedForms() {
    QFETCH(QString, text);
    PlayByPresses(Form(), "d2d4");
    SetClipboard(text);
    Form().Clipboard->PasteGame();
    QCOMPARE(Form().CurrentGame->MoveRecord, QStringList({"12>28", "52>36"}));
    QVERIFY(Prompts().Messages.isEmpty());
}

void TestTypingAndClipboard::badPasteKeepsTheGame_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");
    QTest::newRow("empty") << "  \n"
                           << "пуст";
    QTest::newRow("words") << "hello"
                           << "не является сохранённой партией Korvalen: строка 1 («hello») не "
                              "является допустимым ходом";
    QTest::newRow("illegal entry") << "12>28|12>28"
                                   << "не является сохранённой партией Korvalen: строка 2 "
                                      "(«12>28») не является допустимым ходом";
    QTest::newRow("bad PGN") << "1. e4 e5 2. Ke3 *"
                             << "не удалось прочитать как партию в формате PGN: в партии 1 ход "
                                "2. Ke3 недопустим";
}

void TestTypingAndClipboard::badPasteKeepsTheGame() {
    QFETCH(QString, text);
    QFETCH(QString, problem);
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4 f7f6 d1h5");
    const TShownGame before(form);
    SetClipboard(text);
    PressKeys(&form, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(TShownGame(form), before);
    QCOMPARE(Prompts().Messages.size(), 1);
    const TScriptedPrompts::Message &box = Prompts().Messages.constFirst();
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QCOMPARE(box.Caption, QStringLiteral("Загрузка партии"));
    QCOMPARE(
        box.Text,
        QStringLiteral("Текст в буфере обмена\n%1.\n\nТекущая партия не изменилась.").arg(problem));
}

// A selection is copied by its field; Ctrl+C elsewhere, and Ctrl+V where nothing can be typed,
// are the window's.
void TestTypingAndClipboard::textFieldsKeepTheirOwnKeys() {
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4 e7e5");
    const QString pgn = PgnTextOfRecord(form.CurrentGame->MoveRecord);
    form.mmAnnotation->setFocus();
    form.mmAnnotation->selectAll();
    PressKeys(form.mmAnnotation, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Clipboard(), form.mmAnnotation->toPlainText());
    form.edChat->setFocus();
    PressKeys(form.edChat, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Clipboard(), pgn);
    // The chat entry can be typed in once a connection is up: there Ctrl+V pastes text.
    SetClipboard(QStringLiteral("12>28"));
    form.edChat->setReadOnly(false);
    PressKeys(form.edChat, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.edChat->text(), QStringLiteral("12>28"));
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 2);
    form.edChat->setReadOnly(true);
    PressKeys(form.edChat, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.CurrentGame->MoveRecord, QStringList{"12>28"});
}

QTEST_MAIN(TestTypingAndClipboard)
#include "tst_TypingAndClipboard.moc"
