// The main window as a person sees and uses it: the layout, the board picture in both
// orientations, presses on the board, the bobbing of a selected piece, a whole game and the
// promotion dialog.
#include "BoardGrid.h"
#include "Main.h"
#include "PageControl.h"
#include "Pictures.h"
#include "PieceSelect.h"
#include "Shape.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <functional>

namespace {

QString CaptionOf(const QWidget *widget) {
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(widget))
        return box->title();
    return {};
}

QRgb Pixel(const TMainForm &form, QPoint at) {
    return form.dgBoard->Canvas().toImage().pixel(at);
}

// What a cell must look like: the square colour with the picture at (2, 2 - lift).
QImage ExpectedCell(const QColor &square, const QPixmap *picture, int lift = 0) {
    QImage cell(TBoardGrid::CellSize, TBoardGrid::CellSize, QImage::Format_ARGB32_Premultiplied);
    cell.fill(square);
    if (picture) {
        QPainter painter(&cell);
        painter.drawPixmap(2, 2 - lift, *picture);
    }
    return cell;
}

QImage Comparable(const QImage &image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Runs `action` on the promotion dialog as soon as it is up (it is modal: the caller is
// inside its event loop by then).
void WhenPieceDialogShows(const std::function<void(TPieceSelectForm *)> &action, int tries = 200) {
    QTimer::singleShot(5, [action, tries] {
        auto *dialog = qobject_cast<TPieceSelectForm *>(QApplication::activeModalWidget());
        if (dialog)
            action(dialog);
        else if (tries > 0)
            WhenPieceDialogShows(action, tries - 1);
    });
}

} // namespace

class TestMainForm : public QObject, protected TWindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void components_data();
    void components();
    void captionsFit();
    void windowAndInitialState();
    void tabOrder();
    void tabsDrawnFlat();
    void hintsFollowTheSwitch();

    void squareColoursAndLines_data();
    void squareColoursAndLines();
    void piecesInBothOrientations_data();
    void piecesInBothOrientations();
    void coordinateLabels_data();
    void coordinateLabels();
    void orientationReachesSquaresWhenBoardShown();

    void pressHitTest_data();
    void pressHitTest();
    void twoPressRule();
    void flickerRaisesByTwoPixels();
    void gameToMateThenPressesRefused();

    void promotionDialog_data();
    void promotionDialog();
};

void TestMainForm::init() {
    Open();
}

void TestMainForm::cleanup() {
    Close();
}

void TestMainForm::components_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry"); // an empty size: the control sizes itself
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");

    const auto row = [](const char *name, const char *kind, const char *parent, QRect geometry,
                        const QString &caption = {}, const QString &hint = {}) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind)
                            << QString::fromLatin1(parent) << geometry << caption << hint;
    };
    row("shConnect", "TShape", "MainForm", {444, 454, 185, 8}, {},
        QStringLiteral("Индикатор подключения к другому компьютеру"));
    row("pcMain", "QTabWidget", "MainForm", {1, 0, 441, 467});
    row("pnBoard", "QFrame", "tsBoard", {12, 4, 419, 420});
    row("dgBoard", "TBoardGrid", "pnBoard", {6, 6, 407, 407});
    row("gbGame", "QGroupBox", "tsControl", {12, -1, 419, 132}, QStringLiteral("Партия"));
    row("btNew", "QPushButton", "gbGame", {30, 25, 180, 25},
        QStringLiteral("Новая партия             "));
    row("btLoad", "QPushButton", "gbGame", {30, 55, 180, 25},
        QStringLiteral("Загрузить из файла..."));
    row("btSave", "QPushButton", "gbGame", {30, 85, 180, 25},
        QStringLiteral("Сохранить в файл...   "));
    row("btReturn", "QPushButton", "gbGame", {232, 25, 160, 25},
        QStringLiteral("Отменить ход    "));
    row("gbInterface", "QGroupBox", "tsControl", {12, 135, 419, 130}, QStringLiteral("Интерфейс"));
    row("cbWhiteOnTop", "QCheckBox", "gbInterface", {31, 24, 113, 17},
        QStringLiteral("Белые наверху"));
    row("cbShowHints", "QCheckBox", "gbInterface", {31, 48, 153, 17},
        QStringLiteral("Показывать подсказки"));
    row("btHelp", "QPushButton", "gbInterface", {30, 81, 180, 25},
        QStringLiteral("Помощь по программе"));
    row("gbNet", "QGroupBox", "tsControl", {12, 269, 419, 131}, QStringLiteral("Сеть"));
    row("rbAsServer", "QRadioButton", "gbNet", {28, 32, 210, 17},
        QStringLiteral("Главный компьютер (сервер)"));
    row("rbAsClient", "QRadioButton", "gbNet", {28, 56, 210, 17},
        QStringLiteral("Подчинённый компьютер (клиент)"));
    row("lbIpAddress", "QLabel", "gbNet", {104, 82, 0, 0}, QStringLiteral("IP-адрес сервера:"));
    row("edServerIP", "QLineEdit", "gbNet", {208, 78, 121, 21});
    row("Label", "QLabel", "tsControl", {12, 408, 0, 0});
    row("mmAnnotation", "QPlainTextEdit", "MainForm", {444, 31, 185, 236}, {},
        QStringLiteral("Нотация"));
    row("edGameMessage", "QLineEdit", "MainForm", {444, 270, 185, 21}, {},
        QStringLiteral("Сообщения игры"));
    row("mmChat", "QPlainTextEdit", "MainForm", {444, 301, 185, 126}, {},
        QStringLiteral("Все сообщения чата"));
    row("edChat", "QLineEdit", "MainForm", {444, 430, 185, 21}, {},
        QStringLiteral("Сообщение в чат"));
    static constexpr std::array<int, 8> digitTops = {385, 333, 282, 230, 179, 127, 76, 25};
    static constexpr std::array<int, 8> literaLefts = {38, 89, 140, 191, 242, 293, 344, 396};
    for (int i = 0; i < 8; ++i) {
        QTest::addRow("lbDigit%d", i + 1)
            << QStringLiteral("lbDigit%1").arg(i + 1) << "QLabel"
            << "tsBoard" << QRect(1, digitTops.at(i), 0, 0) << QString::number(i + 1) << QString();
        QTest::addRow("lbLitera%d", i + 1) << QStringLiteral("lbLitera%1").arg(i + 1) << "QLabel"
                                           << "tsBoard" << QRect(literaLefts.at(i), 424, 0, 0)
                                           << QString(QChar(u'a' + i)) << QString();
    }
}

void TestMainForm::components() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, hint);

    auto *widget = Form().findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY2(widget->inherits(kind.toLatin1()), widget->metaObject()->className());
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->pos(), geometry.topLeft());
    if (!geometry.isEmpty()) {
        QCOMPARE(widget->height(), geometry.height());
        // A control may only grow to the right, and only as far as its caption needs.
        QCOMPARE(widget->width(),
                 std::max(geometry.width(),
                          CaptionOf(widget).isEmpty() ? 0 : widget->sizeHint().width()));
    }
    if (!caption.isEmpty())
        QCOMPARE(CaptionOf(widget), caption);
    QCOMPARE(widget->toolTip(), hint);
}

void TestMainForm::captionsFit() {
    // Every caption is shown whole and stays inside its parent.
    for (QWidget *widget : Form().findChildren<QWidget *>()) {
        const QString caption = CaptionOf(widget);
        const auto *label = qobject_cast<const QLabel *>(widget);
        if (caption.isEmpty() || !widget->parentWidget() || (label && label->wordWrap()))
            continue;
        QVERIFY2(widget->sizeHint().width() <= widget->width(), qPrintable(widget->objectName()));
        QVERIFY2(widget->height() >= widget->fontMetrics().height(),
                 qPrintable(widget->objectName()));
        QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry().adjusted(0, 1, 0, 0)),
                 qPrintable(widget->objectName()));
    }
    QVERIFY(Form().lbIpAddress->geometry().right() < Form().edServerIP->x());
    QVERIFY(Form().tsBoard->height() >= Form().lbLitera.at(0)->geometry().bottom());

    const TPieceSelectForm &dialog = *Form().PieceSelectForm;
    QCOMPARE(dialog.Label1->geometry().topLeft(), QPoint(17, 16));
    QCOMPARE(dialog.Label1->width(), 313);
    QVERIFY(dialog.Label1->height() >= dialog.Label1->heightForWidth(313));
    QVERIFY(dialog.Label1->geometry().bottom() < dialog.ToolBar1->y());
}

void TestMainForm::windowAndInitialState() {
    TMainForm &form = Form();
    QCOMPARE(form.windowTitle(), QStringLiteral("Korvalen"));
    QCOMPARE(form.size(), QSize(634, 468));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.font().pointSize(), 8);
    QVERIFY(QFontInfo(form.mmAnnotation->font()).fixedPitch());
    QCOMPARE(form.mmAnnotation->font().pointSize(), 8);

    QCOMPARE(form.pcMain->count(), 2);
    QCOMPARE(form.pcMain->tabText(0), QStringLiteral("Шахматная доска"));
    QCOMPARE(form.pcMain->tabText(1), QStringLiteral("Настройки и управление"));
    QCOMPARE(form.pcMain->currentWidget(), form.tsBoard);
    QVERIFY(!form.cbWhiteOnTop->isChecked());
    QVERIFY(!form.cbShowHints->isChecked());
    QVERIFY(!form.HintsShown);
    QCOMPARE(form.shConnect->BrushColor(), QColor(255, 0, 0));
    QCOMPARE(form.shConnect->PenColor(), QColor(Qt::white));
    QVERIFY(form.rbAsServer->isChecked());
    QVERIFY(!form.edServerIP->isEnabled());
    QVERIFY(form.edChat->isReadOnly());
    QVERIFY(form.mmAnnotation->isReadOnly());
    QVERIFY(form.edGameMessage->isReadOnly());
    QVERIFY(form.mmChat->isReadOnly());
    const QColor buttonFace = form.palette().color(QPalette::Button);
    for (QWidget *edit :
         {static_cast<QWidget *>(form.edChat), static_cast<QWidget *>(form.edServerIP),
          static_cast<QWidget *>(form.mmAnnotation)})
        QCOMPARE(edit->palette().color(QPalette::Base), buttonFace);
    QCOMPARE(form.SelectedSquare, -1);
    QVERIFY(form.FlickerRaised);
    QVERIFY(form.tmFlicker->isActive());
    QCOMPARE(form.tmFlicker->interval(), 200);
    QCOMPARE(form.ilPieces.size(), 12);
    QCOMPARE(form.PieceSelectForm->ilPieces.size(), 8);
    QVERIFY(!form.PieceSelectForm->isVisible());
    QCOMPARE(form.PieceSelectForm->windowTitle(), QStringLiteral("Выбор фигуры"));
    QCOMPARE(form.PieceSelectForm->size(), QSize(368, 113));
    QVERIFY(form.CurrentGame->MoveRecord.isEmpty());
    QCOMPARE(form.focusWidget(), form.edChat);
}

void TestMainForm::tabOrder() {
    const QStringList expected = {"btNew",        "btLoad",      "btSave",       "btReturn",
                                  "cbWhiteOnTop", "cbShowHints", "btHelp",       "rbAsServer",
                                  "rbAsClient",   "edServerIP",  "cbOpenPort",   "mmAnnotation",
                                  "edGameMessage", "mmChat",     "edChat"};
    QStringList seen;
    QWidget *widget = Form().pcMain;
    for (int steps = 0; steps < 200 && seen.size() < expected.size(); ++steps) {
        widget = widget->nextInFocusChain();
        if (expected.contains(widget->objectName()) && !seen.contains(widget->objectName()))
            seen.append(widget->objectName());
    }
    QCOMPARE(seen, expected);
}

void TestMainForm::tabsDrawnFlat() {
    // Each tab is filled with the button face and its caption starts 2 pixels in.
    const QRect rect(0, 0, 160, 20);
    const QColor face = Form().pcMain->palette().color(QPalette::Button);
    for (const bool active : {false, true}) {
        QImage image(rect.size() + QSize(10, 10), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::magenta);
        {
            QPainter painter(&image);
            Form().pcMainDrawTab(painter, 1, rect, active);
        }
        QCOMPARE(QColor(image.pixel(rect.right() - 1, rect.bottom() - 1)), face);
        QCOMPARE(QColor(image.pixel(rect.right() + 5, rect.bottom() + 5)), QColor(Qt::magenta));
        int inked = 0;
        int left = rect.width();
        int top = rect.height();
        for (int y = 1; y < rect.height() - 1; ++y) {
            for (int x = 1; x < rect.width() - 1; ++x) {
                if (QColor(image.pixel(x, y)) == face)
                    continue;
                ++inked;
                left = std::min(left, x);
                top = std::min(top, y);
            }
        }
        QVERIFY(inked > 50);
        QVERIFY(left >= 2 && left <= 4);
        QVERIFY(top >= 2 && top <= 6);
    }
}

void TestMainForm::hintsFollowTheSwitch() {
    QWidget *memo = Form().mmAnnotation->viewport();
    const auto rest = [memo] {
        QHelpEvent event(QEvent::ToolTip, QPoint(10, 10), memo->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(memo, &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(rest(), QString());
    Form().cbShowHints->click();
    QVERIFY(Form().HintsShown);
    QCOMPARE(rest(), QStringLiteral("Нотация"));
    Form().cbShowHints->click();
    QTRY_VERIFY(!QToolTip::isVisible()); // switching off takes the shown one away
    QCOMPARE(rest(), QString());
}

void TestMainForm::squareColoursAndLines_data() {
    QTest::addColumn<bool>("whiteOnTop");
    QTest::newRow("white at the bottom") << false;
    QTest::newRow("white on top") << true;
}

void TestMainForm::squareColoursAndLines() {
    QFETCH(bool, whiteOnTop);
    Form().cbWhiteOnTop->setChecked(whiteOnTop);
    Form().DrawBoard();
    // a1 and h8 dark, h1 and a8 light, in both orientations; e4 and d5 empty in the middle.
    const QList<std::pair<const char *, QColor>> squares = {
        {"a1", DarkSquareColor()},  {"h8", DarkSquareColor()},  {"h1", LightSquareColor()},
        {"a8", LightSquareColor()}, {"e4", LightSquareColor()}, {"d4", DarkSquareColor()}};
    for (const auto &[name, colour] : squares) {
        const QPoint cell = Form().GridCellOf(SquareIndex(name) % 8, SquareIndex(name) / 8);
        const QRect rect = TBoardGrid::CellRect(cell.x(), cell.y());
        QCOMPARE(QColor(Pixel(Form(), rect.topLeft())), colour);
        QCOMPARE(QColor(Pixel(Form(), rect.bottomRight())), colour);
    }
    QCOMPARE(QColor(Pixel(Form(), {50, 200})), TBoardGrid::LineColor());
    QCOMPARE(QColor(Pixel(Form(), {200, 356})), TBoardGrid::LineColor());
    QCOMPARE(Form().dgBoard->Canvas().size(), QSize(407, 407));
}

void TestMainForm::piecesInBothOrientations_data() {
    QTest::addColumn<bool>("whiteOnTop");
    QTest::addColumn<QPoint>("cell");
    QTest::addColumn<int>("picture");
    QTest::addColumn<bool>("dark");
    QTest::newRow("bottom: a8 black rook") << false << QPoint(0, 0) << 1 << false;
    QTest::newRow("bottom: a1 white rook") << false << QPoint(0, 7) << 7 << true;
    QTest::newRow("bottom: e8 black king") << false << QPoint(4, 0) << 5 << false;
    QTest::newRow("bottom: d1 white queen") << false << QPoint(3, 7) << 10 << false;
    QTest::newRow("bottom: b7 black pawn") << false << QPoint(1, 1) << 0 << false;
    QTest::newRow("bottom: g1 white knight") << false << QPoint(6, 7) << 8 << true;
    QTest::newRow("top: h1 white rook") << true << QPoint(0, 0) << 7 << false;
    QTest::newRow("top: a8 black rook") << true << QPoint(7, 7) << 1 << false;
    QTest::newRow("top: e1 white king") << true << QPoint(3, 0) << 11 << true;
    QTest::newRow("top: c8 black bishop") << true << QPoint(5, 7) << 3 << false;
    QTest::newRow("top: e5 empty") << true << QPoint(3, 4) << -1 << true;
}

void TestMainForm::piecesInBothOrientations() {
    QFETCH(bool, whiteOnTop);
    QFETCH(QPoint, cell);
    QFETCH(int, picture);
    QFETCH(bool, dark);
    Form().cbWhiteOnTop->setChecked(whiteOnTop);
    Form().DrawBoard();
    const QPixmap *expectedPicture = picture < 0 ? nullptr : &Form().ilPieces.at(picture);
    const QImage expected =
        ExpectedCell(dark ? DarkSquareColor() : LightSquareColor(), expectedPicture);
    QCOMPARE(Comparable(CellImage(Form(), cell.x(), cell.y())), Comparable(expected));
}

void TestMainForm::coordinateLabels_data() {
    QTest::addColumn<bool>("whiteOnTop");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("digits");
    QTest::newRow("white at the bottom") << false << "abcdefgh"
                                         << "12345678";
    QTest::newRow("white on top") << true << "hgfedcba"
                                  << "87654321";
}

void TestMainForm::coordinateLabels() {
    QFETCH(bool, whiteOnTop);
    QFETCH(QString, letters);
    QFETCH(QString, digits);
    Form().cbWhiteOnTop->setChecked(whiteOnTop); // the labels follow at once
    QString shownLetters;
    QString shownDigits;
    for (int i = 0; i < 8; ++i) {
        shownLetters += Form().lbLitera.at(i)->text();
        shownDigits += Form().lbDigit.at(i)->text();
    }
    QCOMPARE(shownLetters, letters);
    QCOMPARE(shownDigits, digits);
}

void TestMainForm::orientationReachesSquaresWhenBoardShown() {
    const QImage before = Comparable(CellImage(Form(), 0, 0));
    Form().pcMain->setCurrentWidget(Form().tsControl);
    Form().cbWhiteOnTop->click();
    QCOMPARE(Form().lbLitera.at(0)->text(), QStringLiteral("h"));
    QCOMPARE(Comparable(CellImage(Form(), 0, 0)), before); // squares wait for the board page
    Form().pcMain->setCurrentWidget(Form().tsBoard);
    const QImage whiteRook = ExpectedCell(LightSquareColor(), &Form().ilPieces.at(7));
    QCOMPARE(Comparable(CellImage(Form(), 0, 0)), Comparable(whiteRook));
}

void TestMainForm::pressHitTest_data() {
    QTest::addColumn<bool>("whiteOnTop");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("selected");
    // e2 is grid cell (4, 6) with white at the bottom and (3, 1) with white on top.
    QTest::newRow("e2 middle") << false << QPoint(4 * 51 + 25, 6 * 51 + 25) << 1 << 12;
    QTest::newRow("e2 far corner") << false << QPoint(4 * 51 + 49, 6 * 51 + 49) << 1 << 12;
    QTest::newRow("e2 near corner + 1") << false << QPoint(4 * 51 + 1, 6 * 51 + 1) << 1 << 12;
    QTest::newRow("e2 left edge") << false << QPoint(4 * 51, 6 * 51 + 25) << 1 << -1;
    QTest::newRow("e2 top edge") << false << QPoint(4 * 51 + 25, 6 * 51) << 1 << -1;
    QTest::newRow("line right of e2") << false << QPoint(4 * 51 + 50, 6 * 51 + 25) << 1 << -1;
    QTest::newRow("line under e2") << false << QPoint(4 * 51 + 25, 6 * 51 + 50) << 1 << -1;
    QTest::newRow("right button on e2") << false << QPoint(4 * 51 + 25, 6 * 51 + 25) << 2 << 12;
    QTest::newRow("middle button on e2") << false << QPoint(4 * 51 + 25, 6 * 51 + 25) << 4 << 12;
    QTest::newRow("black pawn e7") << false << QPoint(4 * 51 + 25, 1 * 51 + 25) << 1 << -1;
    QTest::newRow("empty e4") << false << QPoint(4 * 51 + 25, 4 * 51 + 25) << 1 << -1;
    QTest::newRow("top: e2 middle") << true << QPoint(3 * 51 + 25, 1 * 51 + 25) << 1 << 12;
    QTest::newRow("top: h1 top-left cell") << true << QPoint(25, 25) << 1 << 7;
    QTest::newRow("top: a1 top-right cell") << true << QPoint(7 * 51 + 25, 25) << 1 << 0;
    QTest::newRow("top: e2 left edge") << true << QPoint(3 * 51, 1 * 51 + 25) << 1 << -1;
    QTest::newRow("top: a8 bottom-right cell")
        << true << QPoint(7 * 51 + 25, 7 * 51 + 25) << 1 << -1;
}

void TestMainForm::pressHitTest() {
    QFETCH(bool, whiteOnTop);
    QFETCH(QPoint, at);
    QFETCH(int, button);
    QFETCH(int, selected);
    Form().cbWhiteOnTop->setChecked(whiteOnTop);
    QTest::mousePress(Form().dgBoard, static_cast<Qt::MouseButton>(button), Qt::ShiftModifier, at);
    QCOMPARE(Form().SelectedSquare, selected);
    QVERIFY(Form().CurrentGame->MoveRecord.isEmpty());
}

void TestMainForm::twoPressRule() {
    TMainForm &form = Form();
    // e2 then e5: refused, the selection ends and nothing moves.
    PressSquare(form, "e2");
    QCOMPARE(form.SelectedSquare, 12);
    PressSquare(form, "e5");
    QCOMPARE(form.SelectedSquare, -1);
    QVERIFY(form.CurrentGame->MoveRecord.isEmpty());
    // A press on a grid line keeps the selection.
    PressSquare(form, "e2");
    QTest::mousePress(form.dgBoard, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(form.SelectedSquare, 12);
    // Another white piece: refused; that piece is not selected either.
    PressSquare(form, "d2");
    QCOMPARE(form.SelectedSquare, -1);
    // e2 then e4 plays the move and shows it in the notation.
    PlayByPresses(form, "e2e4");
    QCOMPARE(form.CurrentGame->MoveRecord, QStringList{"12>28"});
    QCOMPARE(form.mmAnnotation->toPlainText(), form.CurrentGame->Notation.join(u'\n'));
    QVERIFY(form.mmAnnotation->toPlainText().startsWith(QStringLiteral(" 1. e2-e4")));
    QCOMPARE(Comparable(CellImage(form, 4, 4)),
             Comparable(ExpectedCell(LightSquareColor(), &form.ilPieces.at(6))));
    QCOMPARE(Comparable(CellImage(form, 4, 6)),
             Comparable(ExpectedCell(LightSquareColor(), nullptr)));
    // White has moved: a white piece cannot be picked up now.
    PressSquare(form, "d2");
    QCOMPARE(form.SelectedSquare, -1);
}

void TestMainForm::flickerRaisesByTwoPixels() {
    TMainForm &form = Form();
    form.tmFlicker->stop();                                 // the ticks come from the test alone
    const QImage still = Comparable(CellImage(form, 4, 6)); // e2
    form.tmFlickerTimer();                                  // nothing selected: nothing painted
    QVERIFY(form.FlickerRaised);
    QCOMPARE(Comparable(CellImage(form, 4, 6)), still);

    PressSquare(form, "e2");
    form.tmFlickerTimer(); // raised was true: the first tick lowers
    QVERIFY(!form.FlickerRaised);
    QCOMPARE(Comparable(CellImage(form, 4, 6)), still);
    form.tmFlickerTimer();
    QVERIFY(form.FlickerRaised);
    const QImage raised = Comparable(CellImage(form, 4, 6));
    QCOMPARE(raised, Comparable(ExpectedCell(LightSquareColor(), &form.ilPieces.at(6), 2)));
    QVERIFY(raised != still);

    // A new game stops the bobbing at once.
    form.btNewClick();
    QCOMPARE(form.SelectedSquare, -1);
    QCOMPARE(Comparable(CellImage(form, 4, 6)), still);
    form.tmFlickerTimer();
    QCOMPARE(Comparable(CellImage(form, 4, 6)), still);
}

void TestMainForm::gameToMateThenPressesRefused() {
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4 e7e5 f1c4 b8c6 d1h5 g8f6");
    QCOMPARE(form.edGameMessage->text(), QString());
    PlayByPresses(form, "h5f7");
    QCOMPARE(form.edGameMessage->text(), QStringLiteral("Мат!"));
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 7);
    const QStringList lines = form.mmAnnotation->toPlainText().split(u'\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.last(), QStringLiteral(" 4. Фh5xf7x"));

    // Game over: nothing can be picked up, the board stays as it is.
    const QImage board = Comparable(form.dgBoard->Canvas().toImage());
    PressSquare(form, "e8");
    PressSquare(form, "g8", Qt::RightButton);
    QCOMPARE(form.SelectedSquare, -1);
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 7);
    QCOMPARE(Comparable(form.dgBoard->Canvas().toImage()), board);
}

void TestMainForm::promotionDialog_data() {
    QTest::addColumn<bool>("white");
    QTest::addColumn<QString>("choice"); // a button's name, or empty to close the dialog
    QTest::addColumn<int>("kind");
    QTest::newRow("white knight") << true << "btKnight" << int(Knight);
    QTest::newRow("white rook") << true << "btRook" << int(Rook);
    QTest::newRow("white closed: queen") << true << "" << int(Queen);
    QTest::newRow("black bishop") << false << "btBishop" << int(Bishop);
    QTest::newRow("black closed: queen") << false << "" << int(Queen);
}

void TestMainForm::promotionDialog() {
    QFETCH(bool, white);
    QFETCH(QString, choice);
    QFETCH(int, kind);
    TMainForm &form = Form();
    // White pawn on e7 (or black pawn on d2), the kings far away.
    TBoard &board = *form.CurrentGame->Board;
    board.Clear();
    board.PutPiece(SquareIndex("a1"), White, King);
    board.PutPiece(SquareIndex("h6"), Black, King);
    board.PutPiece(SquareIndex(white ? "e7" : "d2"), white ? White : Black, Pawn);
    form.CurrentGame->SideToMove = white ? White : Black;
    form.DrawBoard();
    const char *from = white ? "e7" : "d2";
    const char *to = white ? "e8" : "d1";

    const int firstPicture = white ? 4 : 0;
    PressSquare(form, from);
    bool asked = false;
    WhenPieceDialogShows([&](TPieceSelectForm *dialog) {
        asked = true;
        QCOMPARE(dialog->ChosenKind, Queen);
        const QList<QToolButton *> buttons = {dialog->btRook, dialog->btKnight, dialog->btBishop,
                                              dialog->btQueen};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Comparable(buttons.at(i)->icon().pixmap(43, 43).toImage()),
                     Comparable(dialog->ilPieces.at(firstPicture + i).toImage()));
        if (choice.isEmpty())
            dialog->close();
        else
            QTest::mouseClick(dialog->findChild<QToolButton *>(choice), Qt::LeftButton);
    });
    PressSquare(form, to);
    QVERIFY(asked);
    QVERIFY(!form.PieceSelectForm->isVisible());
    const TPieces *piece = board.Squares.at(SquareIndex(to))->Piece;
    QVERIFY(piece);
    QCOMPARE(int(piece->Kind), kind);
    QCOMPARE(int(piece->Color), white ? int(White) : int(Black));
    // The board shows the new piece once the dialog has closed.
    const QPoint cell = form.GridCellOf(SquareIndex(to) % 8, SquareIndex(to) / 8);
    const int picture = BoardPictureIndex(piece->Color, piece->Kind);
    const bool dark = board.Squares.at(SquareIndex(to))->Dark != 0;
    QCOMPARE(Comparable(CellImage(form, cell.x(), cell.y())),
             Comparable(ExpectedCell(dark ? DarkSquareColor() : LightSquareColor(),
                                     &form.ilPieces.at(picture))));
}

QTEST_MAIN(TestMainForm)
#include "tst_MainForm.moc"
