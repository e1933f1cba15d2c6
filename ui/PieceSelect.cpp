#include "PieceSelect.h"

#include "Board.h"
#include "Keyboard.h"
#include "Pictures.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

namespace {
constexpr QSize ClientSize(368, 113);
constexpr QSize PieceButtonSize(50, 49);
} // namespace

TPieceSelectForm::TPieceSelectForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      ChosenKind(Queen), ilPieces(DialogPictures()) {
    SetupComponents();
}

void TPieceSelectForm::SetupComponents() {
    setObjectName(QStringLiteral("PieceSelectForm"));
    setWindowTitle(QStringLiteral("Выбор фигуры"));
    QFont formFont = font();
    formFont.setPointSize(8);
    setFont(formFont);
    setFixedSize(ClientSize);

    Label1 = new QLabel(QStringLiteral("Нажмите на кнопку с фигурой, которую вы хотите поставить:"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    // The label keeps its place and width; it only grows downwards when the font needs a
    // second line (it still ends above the buttons).
    Label1->setGeometry(17, 16, 313, std::max(13, Label1->heightForWidth(313)));

    ToolBar1 = new QWidget(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    btRook = AddPieceButton("btRook", 0, &TPieceSelectForm::btRookClick);
    btKnight = AddPieceButton("btKnight", 50, &TPieceSelectForm::btKnightClick);
    btBishop = AddPieceButton("btBishop", 100, &TPieceSelectForm::btBishopClick);
    btQueen = AddPieceButton("btQueen", 150, &TPieceSelectForm::btQueenClick);
    btRook->setAccessibleName(QStringLiteral("Ладья"));
    btKnight->setAccessibleName(QStringLiteral("Конь"));
    btBishop->setAccessibleName(QStringLiteral("Слон"));
    btQueen->setAccessibleName(QStringLiteral("Ферзь"));
    // The tool bar is exactly as large as its buttons.
    ToolBar1->setGeometry(17, 48, 4 * PieceButtonSize.width(), PieceButtonSize.height() + 2);
}

QToolButton *TPieceSelectForm::AddPieceButton(const char *name, int left,
                                              void (TPieceSelectForm::*handler)()) {
    auto *button = new QToolButton(ToolBar1);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(QRect(QPoint(left, 2), PieceButtonSize));
    button->setIconSize(QSize(PiecePictureSize, PiecePictureSize));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ClickOnReturn(button);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

TKind TPieceSelectForm::AskPromotion(TColor color) {
    ChosenKind = Queen;
    const QScreen *screen = QGuiApplication::primaryScreen();
    // The dialog comes up on this screen: its pictures are drawn for the screen's scale.
    const qreal ratio = screen ? screen->devicePixelRatio() : 1;
    if (ilPieces.isEmpty() || ilPieces.first().devicePixelRatio() != ratio)
        ilPieces = DialogPictures(ratio);
    const int first = color == Black ? 0 : 4;
    btRook->setIcon(QIcon(ilPieces.value(first)));
    btKnight->setIcon(QIcon(ilPieces.value(first + 1)));
    btBishop->setIcon(QIcon(ilPieces.value(first + 2)));
    btQueen->setIcon(QIcon(ilPieces.value(first + 3)));
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
    // Return, like the close box, gives the queen.
    btQueen->setFocus();
    exec();
    return ChosenKind;
}

void TPieceSelectForm::Choose(TKind kind) {
    ChosenKind = kind;
    accept();
}

void TPieceSelectForm::btRookClick() {
    Choose(Rook);
}
void TPieceSelectForm::btKnightClick() {
    Choose(Knight);
}
void TPieceSelectForm::btBishopClick() {
    Choose(Bishop);
}
void TPieceSelectForm::btQueenClick() {
    Choose(Queen);
}
