// The window on a screen that scales it by 2: the board canvas, the piece pictures, the
// promotion dialog's and the buttons' pictures have pixels of their own instead of enlarged
// ones, and the lines and square colours stay exact, at 2 and at fractional ratios.
#include "BoardGrid.h"
#include "Main.h"
#include "Pictures.h"
#include "PieceSelect.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>

namespace {

QImage Plain(const QImage &image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A picture enlarged pixel by pixel, as a screen scaling a picture of the window's size does.
QImage BlownUp(const QPixmap &picture, QSize size) {
    return Plain(picture.toImage().scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

} // namespace

class TestPixelRatio : public QObject, protected TWindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void screenIsScaled();
    void boardCanvasAtTheScreenRatio();
    void piecePictureAtRatioTwo();
    void canvasExactAtFractionalRatios_data();
    void canvasExactAtFractionalRatios();
    void promotionDialogPictures();
    void buttonPictures();
};

void TestPixelRatio::init() {
    Open();
}

void TestPixelRatio::cleanup() {
    Close();
}

void TestPixelRatio::screenIsScaled() {
    QCOMPARE(Form().devicePixelRatioF(), 2.0);
    // The layout is the same in the window's pixels.
    QCOMPARE(Form().size(), QSize(634, 468));
    QCOMPARE(Form().dgBoard->size(), QSize(407, 407));
}

void TestPixelRatio::boardCanvasAtTheScreenRatio() {
    TMainForm &form = Form();
    form.repaint(); // a paint of the window takes up the screen's ratio
    const QPixmap &canvas = form.dgBoard->Canvas();
    QCOMPARE(canvas.devicePixelRatio(), 2.0);
    QCOMPARE(canvas.size(), QSize(814, 814));
    QCOMPARE(form.ilPieces.constFirst().size(), QSize(86, 86));
    const QImage sharp = Plain(canvas.toImage());
    // Lines two pixels wide between cells, squares in their exact colours up to the line.
    QCOMPARE(QColor(sharp.pixel(99, 300)), LightSquareColor()); // a6's right edge
    QCOMPARE(QColor(sharp.pixel(100, 300)), TBoardGrid::LineColor());
    QCOMPARE(QColor(sharp.pixel(101, 300)), TBoardGrid::LineColor());
    QCOMPARE(QColor(sharp.pixel(102, 300)), DarkSquareColor());  // b6's left edge
    QCOMPARE(QColor(sharp.pixel(813, 813)), LightSquareColor()); // h1's last pixel

    form.UsePixelRatio(1);
    form.DrawBoard();
    const QImage coarse = BlownUp(form.dgBoard->Canvas(), QSize(814, 814));
    QVERIFY(sharp != coarse);
    // The squares alone are the same; the difference is in the pieces' edges.
    QCOMPARE(QColor(coarse.pixel(300, 300)), QColor(sharp.pixel(300, 300)));
}

void TestPixelRatio::piecePictureAtRatioTwo() {
    for (const TKind kind : {King, Queen, Rook, Knight, Bishop, Pawn}) {
        const QPixmap sharp = PiecePicture(White, kind, 2);
        QCOMPARE(sharp.size(), QSize(86, 86));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        QCOMPARE(sharp.deviceIndependentSize(), QSizeF(43, 43));
        const QPixmap coarse = PiecePicture(White, kind, 1);
        QVERIFY(Plain(sharp.toImage()) != BlownUp(coarse, sharp.size()));
    }
}

void TestPixelRatio::canvasExactAtFractionalRatios_data() {
    QTest::addColumn<double>("ratio");
    QTest::newRow("1.25") << 1.25;
    QTest::newRow("1.5") << 1.5;
    QTest::newRow("1.75") << 1.75;
    QTest::newRow("2") << 2.0;
}

void TestPixelRatio::canvasExactAtFractionalRatios() {
    QFETCH(double, ratio);
    TMainForm &form = Form();
    form.UsePixelRatio(ratio);
    form.DrawBoard();
    const QImage canvas = Plain(form.dgBoard->Canvas().toImage());
    const int side = int(std::ceil(TBoardGrid::ClientSize * ratio));
    QCOMPARE(canvas.size(), QSize(side, side));
    // Along an empty rank every pixel is a line or a square, never a blend, and every line
    // between two cells shows.
    const int y = int((4 * 51 + 25) * ratio);
    const QSet<QRgb> allowed = {TBoardGrid::LineColor().rgb(), DarkSquareColor().rgb(),
                                LightSquareColor().rgb()};
    int lines = 0;
    bool inLine = false;
    for (int x = 0; x < side; ++x) {
        const QRgb pixel = canvas.pixel(x, y) | 0xff000000;
        QVERIFY2(allowed.contains(pixel), qPrintable(QStringLiteral("x %1").arg(x)));
        const bool line = pixel == TBoardGrid::LineColor().rgb();
        if (line && !inLine)
            ++lines;
        inLine = line;
    }
    QCOMPARE(lines, 7);
    // The pieces of the first rank stand on the board.
    const int rank1 = int((7 * 51 + 25) * ratio);
    int inked = 0;
    for (int x = 0; x < side; ++x)
        inked += allowed.contains(canvas.pixel(x, rank1) | 0xff000000) ? 0 : 1;
    QVERIFY(inked > 8 * 4);
}

void TestPixelRatio::promotionDialogPictures() {
    TPieceSelectForm &dialog = *Form().PieceSelectForm;
    QImage shown;
    QTimer::singleShot(0, &dialog, [&] {
        shown = Plain(dialog.btKnight->icon().pixmap(QSize(43, 43), 2.0).toImage());
        dialog.reject();
    });
    dialog.AskPromotion(White);
    QCOMPARE(dialog.ilPieces.size(), 8);
    QCOMPARE(dialog.ilPieces.constFirst().size(), QSize(86, 86));
    QCOMPARE(shown.size(), QSize(86, 86));
    QCOMPARE(shown, Plain(PiecePicture(White, Knight, 2).toImage()));
}

void TestPixelRatio::buttonPictures() {
    for (QPushButton *button :
         {Form().btNew, Form().btLoad, Form().btSave, Form().btReturn, Form().btHelp}) {
        const QPixmap sharp = button->icon().pixmap(QSize(20, 18), 2.0);
        QCOMPARE(sharp.size(), QSize(40, 36));
        const QPixmap coarse = button->icon().pixmap(QSize(20, 18), 1.0);
        QCOMPARE(coarse.size(), QSize(20, 18));
        QVERIFY2(Plain(sharp.toImage()) != BlownUp(coarse, sharp.size()),
                 qPrintable(button->objectName()));
    }
    // The icon has pictures of its own for the title bar of a scaled screen.
    const QIcon icon = Form().windowIcon();
    for (const int side : {16, 20, 24, 32})
        QCOMPARE(icon.pixmap(QSize(side, side), 2.0).size(), QSize(2 * side, 2 * side));
}

int main(int argc, char **argv) {
    // The screen scales the window by 2, as a HiDPI screen or QT_SCALE_FACTOR does.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    TestPixelRatio test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PixelRatio.moc"
