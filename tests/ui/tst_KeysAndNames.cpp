// The window for a user of the keyboard and of a screen reader: the keys that run the commands
// and step the pages, Return on a focused button, where the focus is shown, the names a screen
// reader reads, and the grey texts on a dark palette.
#include "Main.h"
#include "PageControl.h"
#include "PieceSelect.h"
#include "Shape.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// What a key must have done, checked on the window and its prompts.
using TKeyEffect = std::function<bool(const TMainForm &, const TScriptedPrompts &)>;

QString AccessibleText(QWidget *widget, QAccessible::Text kind) {
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(kind) : QStringLiteral("<no interface>");
}

// WCAG contrast ratio of two colours: 1 for equal ones, 21 for black on white.
double Contrast(const QColor &a, const QColor &b) {
    const auto luminance = [](const QColor &colour) {
        const auto channel = [](double value) {
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
               0.0722 * channel(colour.blueF());
    };
    const double light = std::max(luminance(a), luminance(b));
    const double dark = std::min(luminance(a), luminance(b));
    return (light + 0.05) / (dark + 0.05);
}

QPalette DarkPalette() {
    QPalette palette(QColor(53, 53, 53), QColor(53, 53, 53));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Base, QColor(35, 35, 35));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    return palette;
}

// The grey texts: coordinate labels and the credit line.
QList<QLabel *> GrayLabels(const TMainForm &form) {
    QList<QLabel *> labels(form.lbDigit.begin(), form.lbDigit.end());
    labels.append(QList<QLabel *>(form.lbLitera.begin(), form.lbLitera.end()));
    labels.append(form.Label);
    return labels;
}

} // namespace

Q_DECLARE_METATYPE(TKeyEffect)

class TestKeysAndNames : public QObject, protected TWindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shortcutsRunTheCommands_data();
    void shortcutsRunTheCommands();
    void boardKeysWhereverTheFocusIs_data();
    void boardKeysWhereverTheFocusIs();
    void undoKeyInTheChatEntry_data();
    void undoKeyInTheChatEntry();
    void returnPressesTheFocusedButton_data();
    void returnPressesTheFocusedButton();
    void returnInThePromotionDialog_data();
    void returnInThePromotionDialog();
    void focusShownOnTabBarAndMemos();

    void accessibleNames_data();
    void accessibleNames();
    void everyControlIsNamed();
    void boardDescriptionFollowsTheGame();

    void grayTextsOnTheDefaultPalette();
    void grayTextsReadableOnADarkPalette();
};

void TestKeysAndNames::init() {
    OpenActive();
}

void TestKeysAndNames::cleanup() {
    Close();
}

void TestKeysAndNames::shortcutsRunTheCommands_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("fromControlPage");
    QTest::addColumn<TKeyEffect>("effect");
    const int ctrl = Qt::ControlModifier;
    const auto recordSize = [](int size) {
        return TKeyEffect([size](const TMainForm &form, const TScriptedPrompts &) {
            return form.CurrentGame->MoveRecord.size() == size;
        });
    };
    const auto onPage = [](bool control) {
        return TKeyEffect([control](const TMainForm &form, const TScriptedPrompts &) {
            return form.pcMain->currentWidget() == (control ? form.tsControl : form.tsBoard);
        });
    };
    // Before each key two moves are played; the open dialog answers a game of one move.
    QTest::newRow("Ctrl+N new game") << int(Qt::Key_N) << ctrl << true << recordSize(0);
    QTest::newRow("Ctrl+Z take back") << int(Qt::Key_Z) << ctrl << false << recordSize(1);
    QTest::newRow("Ctrl+O load") << int(Qt::Key_O) << ctrl << false
                                 << TKeyEffect([](const TMainForm &form, const TScriptedPrompts &) {
                                        return form.CurrentGame->MoveRecord ==
                                               QStringList{QStringLiteral("11>27")};
                                    });
    QTest::newRow("Ctrl+S save") << int(Qt::Key_S) << ctrl << false
                                 << TKeyEffect([](const TMainForm &, const TScriptedPrompts &p) {
                                        return p.SaveAnswers.isEmpty() && p.FiltersSeen.size() == 1;
                                    });
    QTest::newRow("F1 help") << int(Qt::Key_F1) << 0 << false
                             << TKeyEffect([](const TMainForm &, const TScriptedPrompts &p) {
                                    return p.Messages.size() == 1 &&
                                           p.Messages.constFirst().Caption == "Поиск файла справки";
                                });
    QTest::newRow("Ctrl+Tab forward") << int(Qt::Key_Tab) << ctrl << false << onPage(true);
    QTest::newRow("Ctrl+Tab round") << int(Qt::Key_Tab) << ctrl << true << onPage(false);
    QTest::newRow("Ctrl+PgDn forward") << int(Qt::Key_PageDown) << ctrl << false << onPage(true);
    QTest::newRow("Ctrl+PgUp back") << int(Qt::Key_PageUp) << ctrl << true << onPage(false);
    QTest::newRow("Ctrl+PgUp round") << int(Qt::Key_PageUp) << ctrl << false << onPage(true);
    QTest::newRow("Ctrl+Shift+Tab back")
        << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier) << true
        << onPage(false);
}

void TestKeysAndNames::shortcutsRunTheCommands() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, fromControlPage);
    QFETCH(TKeyEffect, effect);
    TMainForm &form = Form();
    {
        QFile game(PathOf("one.kvl"));
        QVERIFY(game.open(QIODevice::WriteOnly));
        game.write("11>27\r\n");
    }
    Prompts().OpenAnswers = {PathOf("one.kvl")};
    Prompts().SaveAnswers = {PathOf("saved.kvl")};
    PlayByPresses(form, "e2e4 e7e5");
    if (fromControlPage)
        form.pcMain->setCurrentWidget(form.tsControl);
    // The key goes where the user's keys go: to the widget with the focus.
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(effect(form, Prompts()));
}

void TestKeysAndNames::boardKeysWhereverTheFocusIs_data() {
    QTest::addColumn<QString>("focus"); // a widget given the focus first; empty: as at start
    QTest::addColumn<bool>("controlPage");
    QTest::addColumn<bool>("writableChat"); // as once a connection is up
    QTest::addColumn<QString>("chat");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("ply");           // the half-move shown afterwards
    QTest::addColumn<QString>("played");    // the entry added to the record, or nothing
    QTest::addColumn<QString>("chatAfter"); // what the chat entry holds afterwards
    const int left = Qt::Key_Left;
    const int ret = Qt::Key_Return;
    const int ctrl = Qt::ControlModifier;
    const QString none;
    // Before the keys, 1. e4 e5 is played with the mouse and a press lands on the empty e4.
    QTest::newRow("Left, focus as at start")
        << none << false << false << none << none << left << 0 << 1 << none << none;
    QTest::newRow("Home in the notation") << "mmAnnotation" << false << false << none << none
                                          << int(Qt::Key_Home) << 0 << 0 << none << none;
    QTest::newRow("keypad Left") << none << false << false << none << none << left
                                 << int(Qt::KeypadModifier) << 1 << none << none;
    QTest::newRow("Ctrl+Left is no browsing")
        << none << false << false << none << none << left << ctrl << 2 << none << none;
    QTest::newRow("g1f3 and Return, focus as at start")
        << none << false << false << none << "g1f3" << ret << 0 << 3 << "6>21" << none;
    QTest::newRow("Кc3 and Return in the chat log")
        << "mmChat" << false << false << none << "Кc3" << ret << 0 << 3 << "1>18" << none;
    QTest::newRow("the board's page only")
        << none << true << false << none << "g1f3" << left << 0 << 2 << none << none;
    QTest::newRow("writable chat keeps letters")
        << none << false << true << none << "g1f3" << ret << 0 << 2 << none << "g1f3";
    QTest::newRow("writable chat with text keeps Left")
        << none << false << true << "ход" << none << left << 0 << 2 << none << "ход";
    QTest::newRow("empty writable chat lends Left")
        << none << false << true << none << none << left << 0 << 1 << none << none;
}

// Looking back and typed moves reach the board from wherever the focus is on its page, as a
// person presses the keys: to the widget with the focus. The keys never move the focus.
void TestKeysAndNames::boardKeysWhereverTheFocusIs() {
    QFETCH(QString, focus);
    QFETCH(bool, controlPage);
    QFETCH(bool, writableChat);
    QFETCH(QString, chat);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, ply);
    QFETCH(QString, played);
    QFETCH(QString, chatAfter);
    TMainForm &form = Form();
    QCOMPARE(QApplication::focusWidget(), form.edChat);
    PlayByPresses(form, "e2e4 e7e5");
    PressSquare(form, "e4");
    QCOMPARE(QApplication::focusWidget(), form.edChat); // a press leaves the focus where it is
    QStringList record = form.CurrentGame->MoveRecord;
    form.edChat->setReadOnly(!writableChat);
    form.edChat->setText(chat);
    if (!focus.isEmpty())
        form.findChild<QWidget *>(focus)->setFocus();
    if (controlPage)
        form.pcMain->setCurrentWidget(form.tsControl);
    QWidget *const focused = QApplication::focusWidget();
    QVERIFY(focused);
    TypeKeys(form, typed);
    PressKey(form, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (!played.isEmpty())
        record.append(played);
    QCOMPARE(form.CurrentGame->MoveRecord, record);
    QCOMPARE(form.BoardView->ShownPly(), ply);
    QCOMPARE(form.edChat->text(), chatAfter);
    QCOMPARE(QApplication::focusWidget(), focused);
}

void TestKeysAndNames::undoKeyInTheChatEntry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<QString>("left");
    QTest::newRow("nothing typed: the move is taken back") << "" << 1 << "";
    QTest::newRow("typing undone, the move stays") << "hello" << 2 << "";
}

void TestKeysAndNames::undoKeyInTheChatEntry() {
    QFETCH(QString, typed);
    QFETCH(int, recordSize);
    QFETCH(QString, left);
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4 e7e5");
    form.edChat->setReadOnly(false); // as once a connection is up
    form.edChat->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), form.edChat);
    QTest::keyClicks(form.edChat, typed);
    QCOMPARE(form.edChat->text(), typed);
    QTest::keyClick(form.edChat, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.CurrentGame->MoveRecord.size(), recordSize);
    QCOMPARE(form.edChat->text(), left);
}

void TestKeysAndNames::returnPressesTheFocusedButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("pressed");
    QTest::newRow("Return on new game") << "btNew" << int(Qt::Key_Return) << 0 << true;
    QTest::newRow("keypad Enter on new game")
        << "btNew" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Space on new game") << "btNew" << int(Qt::Key_Space) << 0 << true;
    QTest::newRow("Ctrl+Return is no press")
        << "btNew" << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
    QTest::newRow("Return on take-back") << "btReturn" << int(Qt::Key_Return) << 0 << true;
}

void TestKeysAndNames::returnPressesTheFocusedButton() {
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, pressed);
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4");
    form.pcMain->setCurrentWidget(form.tsControl);
    auto *target = form.findChild<QPushButton *>(button);
    QVERIFY(target);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // Both buttons empty the one-move record when pressed.
    QCOMPARE(form.CurrentGame->MoveRecord.isEmpty(), pressed);
}

void TestKeysAndNames::returnInThePromotionDialog_data() {
    QTest::addColumn<QString>("focused"); // a button to focus first, or empty for the start
    QTest::addColumn<int>("kind");
    QTest::newRow("Return at once: queen") << "" << int(Queen);
    QTest::newRow("Return on the knight") << "btKnight" << int(Knight);
    QTest::newRow("Return on the rook") << "btRook" << int(Rook);
}

void TestKeysAndNames::returnInThePromotionDialog() {
    QFETCH(QString, focused);
    QFETCH(int, kind);
    TPieceSelectForm &dialog = *Form().PieceSelectForm;
    dialog.ChosenKind = Bishop; // the question must reset it
    bool asked = false;
    QTimer::singleShot(0, &dialog, [&] {
        QWidget *target =
            focused.isEmpty() ? dialog.focusWidget() : dialog.findChild<QToolButton *>(focused);
        asked = target != nullptr;
        if (target) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
        }
        if (dialog.isVisible())
            dialog.reject(); // no press: the test fails below, not by hanging
    });
    const std::uint8_t answer = dialog.AskPromotion(White);
    QVERIFY(asked);
    QCOMPARE(int(answer), kind);
}

void TestKeysAndNames::focusShownOnTabBarAndMemos() {
    TMainForm &form = Form();
    form.RefreshNotation();
    const auto looks = [](QWidget *widget) { return widget->grab().toImage(); };
    QWidget *bar = form.pcMain->OwnerDrawnTabBar();
    QWidget *memo = form.mmAnnotation;
    const QImage barUnfocused = looks(bar);
    const QImage memoUnfocused = looks(memo);
    bar->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(bar->hasFocus());
    QVERIFY(looks(bar) != barUnfocused);
    memo->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(memo->hasFocus());
    QCOMPARE(looks(bar), barUnfocused);
    // The memo's cursor blinks: it shows at one moment or another of a blink.
    QTRY_VERIFY(looks(memo) != memoUnfocused);
}

// Names where they differ from what Qt would take by itself (padded captions, pictures only,
// no caption at all), and every hint as a description.
void TestKeysAndNames::accessibleNames_data() {
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    const auto row = [](const char *object, const QString &name, const QString &description = {}) {
        QTest::newRow(object) << QString::fromLatin1(object) << name << description;
    };
    row("shConnect", "Индикатор подключения: нет связи",
        "Индикатор подключения к другому компьютеру");
    row("dgBoard", "Шахматная доска", "Ход белых.");
    row("btNew", "Новая партия");
    row("edServerIP", "IP-адрес сервера");
    row("mmAnnotation", "Нотация партии", "Нотация");
    row("edGameMessage", "Сообщение игры", "Сообщения игры");
    row("mmChat", "Чат", "Все сообщения чата");
    row("edChat", "Ввод сообщения в чат", "Сообщение в чат");
    row("btKnight", "Конь");
    row("btQueen", "Ферзь");
}

void TestKeysAndNames::accessibleNames() {
    QFETCH(QString, object);
    QFETCH(QString, name);
    QFETCH(QString, description);
    auto *widget = Form().findChild<QWidget *>(object);
    QVERIFY(widget);
    QCOMPARE(AccessibleText(widget, QAccessible::Name), name);
    QCOMPARE(AccessibleText(widget, QAccessible::Description), description);
}

void TestKeysAndNames::everyControlIsNamed() {
    // Whatever takes the focus or shows a state is read by a name; a control added without
    // one fails here.
    for (QWidget *widget : Form().findChildren<QWidget *>()) {
        const bool control = widget->focusPolicy() != Qt::NoFocus ||
                             qobject_cast<TShape *>(widget) || qobject_cast<TBoardGrid *>(widget);
        if (!control || widget->objectName().startsWith(QLatin1String("qt_")) ||
            widget->objectName().isEmpty())
            continue;
        QVERIFY2(!AccessibleText(widget, QAccessible::Name).trimmed().isEmpty(),
                 qPrintable(widget->objectName()));
    }
}

void TestKeysAndNames::boardDescriptionFollowsTheGame() {
    TMainForm &form = Form();
    const auto described = [&form] {
        return AccessibleText(form.dgBoard, QAccessible::Description);
    };
    QCOMPARE(described(), QStringLiteral("Ход белых."));
    PlayByPresses(form, "e2e4");
    QCOMPARE(described(), QStringLiteral("Белые: e2-e4. Ход чёрных."));
    PlayByPresses(form, "f7f6 d1h5");
    QCOMPARE(described(), QStringLiteral("Белые: Фd1-h5. Ход чёрных. Шах."));
    form.btNewClick();
    QCOMPARE(described(), QStringLiteral("Ход белых."));
    PlayByPresses(form, "f2f3 e7e5 g2g4 d8h4");
    QCOMPARE(described(), QStringLiteral("Чёрные: Фd8-h4. Мат, победили чёрные."));
    form.btReturnClick(); // the board waits for its page; the description does not
    QCOMPARE(described(), QStringLiteral("Белые: g2-g4. Ход чёрных."));

    // Black to move, not in check, no move: stalemate (in a game of no moves yet).
    form.btNewClick();
    TBoard &board = *form.CurrentGame->Board;
    board.Clear();
    board.PutPiece(SquareIndex("a8"), Black, King);
    board.PutPiece(SquareIndex("b6"), White, Queen);
    board.PutPiece(SquareIndex("h1"), White, King);
    form.CurrentGame->SideToMove = Black;
    form.DrawBoard();
    QCOMPARE(described(), QStringLiteral("Пат, ничья."));
}

void TestKeysAndNames::grayTextsOnTheDefaultPalette() {
    // On a light palette the labels keep the darker grey they always had.
    const QPalette palette = Form().palette();
    const QColor expected = palette.color(QPalette::Disabled, QPalette::WindowText).darker(140);
    QVERIFY(palette.color(QPalette::Window).lightness() >
            palette.color(QPalette::WindowText).lightness());
    for (const QLabel *label : GrayLabels(Form()))
        QCOMPARE(label->palette().color(QPalette::WindowText), expected);
}

void TestKeysAndNames::grayTextsReadableOnADarkPalette() {
    const QPalette standard = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    const QScopeGuard restore([&standard] { QApplication::setPalette(standard); });
    TTestWindow dark(Folder->path());
    const QColor background = dark->palette().color(QPalette::Window);
    QCOMPARE(background, QColor(53, 53, 53));
    for (const QLabel *label : GrayLabels(*dark.Form)) {
        const QColor text = label->palette().color(QPalette::WindowText);
        QVERIFY2(Contrast(text, background) >= 4.5, qPrintable(label->objectName()));
        // Still a grey, not the full text colour.
        QVERIFY2(text != QColor(Qt::white), qPrintable(label->objectName()));
    }
}

QTEST_MAIN(TestKeysAndNames)
#include "tst_KeysAndNames.moc"
