#include "BoardView.h"

#include "BoardGrid.h"
#include "BoardNotices.h"
#include "Pictures.h"
#include "Record.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace {

constexpr QRect PanelGeometry(12, 4, 419, 420);
constexpr QPoint GridPosition(6, 6);
constexpr std::array<int, 8> DigitTops = {385, 333, 282, 230, 179, 127, 76, 25};
constexpr std::array<int, 8> LiteraLefts = {38, 89, 140, 191, 242, 293, 344, 396};
constexpr int LiteraTop = 424;
constexpr int PictureInset = 2; // a resting piece stands 2 pixels in from the cell's corner

// The squares of the last move are tinted under the piece, so it stays readable on both
// square colours.
QColor LastMoveTint() {
    return {255, 230, 40, 110};
}

QLabel *CreateLabel(QWidget *parent, const QString &name, const QString &caption, QPoint at) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    return label;
}

// What the notation writes for one half-move: the white or the black half of a line.
QString MoveText(const QStringList &notation, int ply) {
    const QString line = notation.value((ply - 1) / 2);
    constexpr qsizetype whiteHalf = 13;
    if (ply % 2 == 1)
        return line.left(whiteHalf).section(u'.', 1).trimmed();
    return line.mid(whiteHalf).trimmed();
}

QString StatusText(TGameStatus status, TColor sideToMove) {
    const bool white = sideToMove == White;
    switch (status) {
    case TGameStatus::Stalemate:
        return QStringLiteral("Пат, ничья.");
    case TGameStatus::Mate:
        return white ? QStringLiteral("Мат, победили чёрные.")
                     : QStringLiteral("Мат, победили белые.");
    case TGameStatus::Check:
    case TGameStatus::None:
        break;
    }
    const QString side = white ? QStringLiteral("Ход белых.") : QStringLiteral("Ход чёрных.");
    return status == TGameStatus::Check ? side + QStringLiteral(" Шах.") : side;
}

} // namespace

QColor DarkSquareColor() {
    return {175, 119, 92};
}
QColor LightSquareColor() {
    return {231, 189, 140};
}

TBoardView::TBoardView(QWidget *parent) : QWidget(parent), ilPieces(BoardPictures()) {
    for (int i = 0; i < 8; ++i) {
        lbDigit.at(i) = CreateLabel(this, QStringLiteral("lbDigit%1").arg(i + 1),
                                    QString::number(i + 1), {1, DigitTops.at(i)});
        lbLitera.at(i) = CreateLabel(this, QStringLiteral("lbLitera%1").arg(i + 1),
                                     QString(QChar(u'a' + i)), {LiteraLefts.at(i), LiteraTop});
    }
    pnBoard = new QFrame(this);
    pnBoard->setObjectName(QStringLiteral("pnBoard"));
    pnBoard->setGeometry(PanelGeometry);
    pnBoard->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnBoard->setLineWidth(1);

    BrowseFrame = new QWidget(pnBoard);
    BrowseFrame->setGeometry(
        QRect(GridPosition, QSize(TBoardGrid::ClientSize, TBoardGrid::ClientSize))
            .adjusted(-4, -4, 4, 4));
    QPalette framePalette = BrowseFrame->palette();
    // Looking back is set off by a frame in the panel's margin round the grid as well as the line.
    framePalette.setColor(QPalette::Window, NoticeColor(TBoardNotices::TKind::Browsing));
    BrowseFrame->setPalette(framePalette);
    BrowseFrame->setAutoFillBackground(true);
    BrowseFrame->hide();

    dgBoard = new TBoardGrid(pnBoard);
    dgBoard->setObjectName(QStringLiteral("dgBoard"));
    dgBoard->move(GridPosition);

    NoticeLine = std::make_unique<TBoardNotices>(*dgBoard);

    connect(dgBoard, &TBoardGrid::MouseDown, this, &TBoardView::GridMouseDown);
    connect(dgBoard, &TBoardGrid::MouseMove, this, &TBoardView::GridMouseMove);
    connect(dgBoard, &TBoardGrid::MouseUp, this, &TBoardView::GridMouseUp);
    connect(dgBoard, &TBoardGrid::WheelTurned, this,
            [this](int notches) { ShowPly(ShownPly() - notches); });
}

TBoardView::~TBoardView() = default;

void TBoardView::SetGame(const TGame &game) {
    Game = &game;
    CancelDrag();
    EndBrowsing();
}

void TBoardView::ShowGame(const TGame &game) {
    SetGame(game);
    DrawAll();
}

// ---- Drawing ----------------------------------------------------------------------------------

QPoint TBoardView::GridCellOf(int column, int row) const {
    if (WhiteOnTop)
        return {7 - column, row};
    return {column, 7 - row};
}

int TBoardView::SquareAt(QPoint at) const {
    const QPoint cell = TBoardGrid::CellAt(at);
    if (cell.x() < 0 || !Game)
        return -1;
    if (WhiteOnTop)
        return Shown().Board->IndexOf(7 - cell.x(), cell.y());
    return Shown().Board->IndexOf(cell.x(), 7 - cell.y());
}

bool TBoardView::IsMarked(int index) const {
    if (!MarkLastMove || Shown().MoveRecord.isEmpty())
        return false;
    const std::optional<TRecordEntry> last = TRecordEntry::Parse(Shown().MoveRecord.constLast());
    return last && (last->From == index || last->To == index);
}

void TBoardView::DrawSquare(int index, bool raised) {
    if (!Game || index < 0 || index > 63)
        return;
    const TFields &square = *Shown().Board->Squares.at(index);
    const QPoint cell = GridCellOf(square.Column, square.Row);
    const QRect cellRect = TBoardGrid::CellRect(cell.x(), cell.y());
    QPainter painter(&dgBoard->Canvas());
    // At a fractional ratio the canvas ends in a pixel that is partly outside the grid; the
    // cells at the edge fill it, so no line shows there. At ratio 1 nothing is outside.
    QRect fill = cellRect;
    if (cell.x() == TBoardGrid::CellCount - 1)
        fill.setRight(fill.right() + 1);
    if (cell.y() == TBoardGrid::CellCount - 1)
        fill.setBottom(fill.bottom() + 1);
    painter.fillRect(fill, square.Dark != 0 ? DarkSquareColor() : LightSquareColor());
    if (IsMarked(index))
        painter.fillRect(fill, LastMoveTint());
    // The dragged piece is drawn at the pointer instead; an earlier position has no selection.
    const bool lifted = Dragging && index == DragFrom;
    if (square.Piece != nullptr && !lifted) {
        const int picture = BoardPictureIndex(square.Piece->Color, square.Piece->Kind);
        const int lift = raised && !IsBrowsing() ? PictureInset : 0;
        if (picture >= 0 && picture < ilPieces.size())
            painter.drawPixmap(cellRect.left() + PictureInset, cellRect.top() + PictureInset - lift,
                               ilPieces.at(picture));
    }
    painter.end();
    dgBoard->update(cellRect);
}

void TBoardView::DrawAll() {
    for (int index = 0; index < 64; ++index)
        DrawSquare(index, false);
}

void TBoardView::UpdateCoordinateLabels() {
    for (int i = 0; i < 8; ++i) {
        const int file = WhiteOnTop ? 7 - i : i;
        lbLitera.at(i)->setText(QString(QChar(u'a' + file)));
        lbDigit.at(i)->setText(QString::number(file + 1));
    }
}

// The labels follow at once; the squares when the board is drawn next.
void TBoardView::SetWhiteOnTop(bool whiteOnTop) {
    WhiteOnTop = whiteOnTop;
    UpdateCoordinateLabels();
}

void TBoardView::SetMarkLastMove(bool mark) {
    MarkLastMove = mark;
    DrawAll();
}

void TBoardView::UsePixelRatio(qreal ratio) {
    if (ratio <= 0)
        return;
    if (ilPieces.isEmpty() || ilPieces.first().devicePixelRatio() != ratio)
        ilPieces = BoardPictures(ratio);
    dgBoard->SetPixelRatio(ratio);
}

// A window moved to a screen of another scale is repainted whole; the board follows the game
// and the orientation at every repaint of its page.
void TBoardView::paintEvent(QPaintEvent *) {
    UsePixelRatio(dgBoard->devicePixelRatioF());
    UpdateCoordinateLabels();
    DrawAll();
}

void TBoardView::Flicker(int selected, bool &raised) {
    if (selected < 0 || selected > 63)
        return;
    raised = !raised;
    DrawSquare(selected, raised);
}

// Set only when it changes: every change is announced to a screen reader.
void TBoardView::Describe(TGameStatus status) {
    QString description = SpokenLastMove(*Game) + StatusText(status, Game->SideToMove);
    if (Browsed)
        description = StatusText(Browsed->Status(), Browsed->SideToMove);
    // The line over the board comes first, as it is the first thing seen.
    if (const QString notice = NoticeLine->Shown(); !notice.isEmpty())
        description = notice + QStringLiteral(". ") + description;
    if (dgBoard->accessibleDescription() != description)
        dgBoard->setAccessibleDescription(description);
}

QString SpokenLastMove(const TGame &game) {
    if (game.Notation.isEmpty() || game.MoveRecord.isEmpty())
        return {};
    QString line = game.Notation.constLast();
    // Check, mate and stalemate follow in the description in words.
    if (line.endsWith(u'+') || line.endsWith(u'x') || line.endsWith(u'='))
        line.chop(1);
    const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
    QString move = parts.isEmpty() ? QString() : parts.constLast();
    if (move == u"0-0")
        move = QStringLiteral("короткая рокировка");
    else if (move == u"0-0-0")
        move = QStringLiteral("длинная рокировка");
    const bool whiteMoved = game.SideToMove == Black;
    return (whiteMoved ? QStringLiteral("Белые: ") : QStringLiteral("Чёрные: ")) + move +
           QStringLiteral(". ");
}

// ---- Looking back -----------------------------------------------------------------------------

int TBoardView::ShownPly() const {
    return int(Shown().MoveRecord.size());
}

QString TBoardView::BrowsingText() const {
    const int ply = ShownPly();
    QString position = QStringLiteral("начальная позиция");
    if (ply > 0) {
        const QString number = QString::number((ply + 1) / 2) + QStringLiteral(". ");
        position = QStringLiteral("после ") + number +
                   (ply % 2 == 0 ? QStringLiteral("… ") : QString()) +
                   MoveText(Game->Notation, ply);
    }
    return QStringLiteral("Просмотр: ") + position + QStringLiteral(" — End: к игре");
}

void TBoardView::ShowPly(int ply) {
    if (!Game)
        return;
    const int length = int(Game->MoveRecord.size());
    ply = std::clamp(ply, 0, length);
    if (ply == ShownPly())
        return;
    if (ply == length) {
        EndBrowsing();
    } else {
        // Played afresh on a game of its own: the game itself is never touched.
        TReplay replay = ReplayRecord(Game->MoveRecord.mid(0, ply));
        if (replay.Bad)
            return;
        CancelDrag();
        Browsed = std::move(replay.Game);
        ShowBrowsing();
    }
    DrawAll();
}

void TBoardView::ShowBrowsing() {
    BrowseFrame->show();
    NoticeLine->Set(TBoardNotices::TKind::Browsing, BrowsingText());
    emit ShownPlyChanged(ShownPly(), true);
}

void TBoardView::EndBrowsing() {
    if (!Browsed)
        return;
    Browsed.reset();
    BrowseFrame->hide();
    NoticeLine->Set(TBoardNotices::TKind::Browsing, {});
    emit ShownPlyChanged(ShownPly(), false);
}

bool TBoardView::BrowseKey(int key) {
    switch (key) {
    case Qt::Key_Left:
        ShowPly(ShownPly() - 1);
        return true;
    case Qt::Key_Right:
        ShowPly(ShownPly() + 1);
        return true;
    case Qt::Key_Home:
        ShowPly(0);
        return true;
    case Qt::Key_End:
        ShowPly(int(Game->MoveRecord.size()));
        return true;
    default:
        return false;
    }
}

// ---- Presses and dragging ---------------------------------------------------------------------

// A press is never made on an earlier position: the game comes back first.
void TBoardView::GridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
                               int y) {
    CancelDrag();
    if (Browsed) {
        EndBrowsing();
        DrawAll();
    }
    LastPress = {x, y};
    DragButton = button;
    emit Pressed(button, modifiers, x, y);
}

void TBoardView::PickedUp(int square) {
    DragFrom = square;
    DragStart = LastPress;
    Dragging = false;
}

void TBoardView::GridMouseMove(Qt::MouseButtons buttons, int x, int y) {
    if (DragFrom < 0 || !(buttons & DragButton))
        return;
    const QPoint at(x, y);
    if (!Dragging) {
        if ((at - DragStart).manhattanLength() < QApplication::startDragDistance())
            return;
        Dragging = true;
        DrawSquare(DragFrom, false); // the square is left empty while its piece is carried
    }
    const TPieces *piece = Shown().Board->Squares.at(DragFrom)->Piece;
    const int picture = piece ? BoardPictureIndex(piece->Color, piece->Kind) : -1;
    if (picture < 0 || picture >= ilPieces.size()) {
        CancelDrag();
        return;
    }
    const int half = PiecePictureSize / 2;
    dgBoard->SetFloating(ilPieces.at(picture), at - QPoint(half, half));
}

// Let go on another square: that is the second press. On its own square, on a line or outside
// the board, the piece goes back and stays picked up.
void TBoardView::GridMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
                             int y) {
    if (DragFrom < 0 || button != DragButton)
        return;
    const int from = DragFrom;
    const bool dragged = Dragging;
    CancelDrag();
    if (!dragged)
        return;
    const int target = SquareAt({x, y});
    if (target >= 0 && target != from)
        emit Pressed(button, modifiers, x, y);
}

void TBoardView::CancelDrag() {
    const int from = DragFrom;
    const bool dragged = Dragging;
    DragFrom = -1;
    Dragging = false;
    if (dragged) {
        dgBoard->SetFloating({});
        DrawSquare(from, false);
    }
}

// ---- The notation ----------------------------------------------------------------------------

void MarkNotationLine(QPlainTextEdit &memo, int line) {
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = memo.document()->findBlockByNumber(line);
    if (line >= 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(memo.palette().color(QPalette::Highlight));
        mark.format.setForeground(memo.palette().color(QPalette::HighlightedText));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
        memo.setTextCursor(QTextCursor(block));
        memo.ensureCursorVisible();
    } else {
        memo.verticalScrollBar()->setValue(0);
    }
    memo.setExtraSelections(marks);
}
