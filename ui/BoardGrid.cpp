#include "BoardGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace {
constexpr int WheelNotch = 120; // angle delta of one notch, in eighths of a degree
}

TBoardGrid::TBoardGrid(QWidget *parent) : QWidget(parent) {
    SetPixelRatio(1);
    setFixedSize(ClientSize, ClientSize);
    // The canvas covers every pixel: nothing behind the grid needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect TBoardGrid::CellRect(int column, int row) {
    return {column * (CellSize + LineWidth), row * (CellSize + LineWidth), CellSize, CellSize};
}

QPoint TBoardGrid::CellAt(QPoint at) {
    constexpr int step = CellSize + LineWidth;
    const int column = at.x() / step;
    const int row = at.y() / step;
    // Strict on all four sides: the first pixel row and column of a cell and the lines between
    // cells hit nothing.
    const QRect cell = CellRect(column, row);
    if (at.x() < 0 || at.y() < 0 || column >= CellCount || row >= CellCount ||
        at.x() <= cell.left() || at.x() > cell.right() || at.y() <= cell.top() ||
        at.y() > cell.bottom())
        return {-1, -1};
    return {column, row};
}

QColor TBoardGrid::LineColor() {
    return QColor(64, 64, 64);
}

void TBoardGrid::SetPixelRatio(qreal ratio) {
    if (ratio <= 0 || (!CanvasPixmap.isNull() && ratio == PixelRatio()))
        return;
    const int side = int(std::ceil(ClientSize * ratio));
    CanvasPixmap = QPixmap(side, side);
    CanvasPixmap.setDevicePixelRatio(ratio);
    // Until the next painting the canvas shows only the lines (cells are filled over them).
    CanvasPixmap.fill(LineColor());
    update();
}

void TBoardGrid::SetFloating(const QPixmap &picture, QPoint at) {
    if (!Floating.isNull())
        update(QRect(FloatingAt, Floating.deviceIndependentSize().toSize()));
    Floating = picture;
    FloatingAt = at;
    if (!Floating.isNull())
        update(QRect(FloatingAt, Floating.deviceIndependentSize().toSize()));
}

void TBoardGrid::paintEvent(QPaintEvent *) {
    // The painter clips to the region to repaint; at a canvas ratio equal to the screen's
    // the canvas pixels reach the screen one to one.
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), CanvasPixmap);
    if (!Floating.isNull())
        painter.drawPixmap(FloatingAt, Floating);
}

void TBoardGrid::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    emit MouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TBoardGrid::mouseMoveEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    emit MouseMove(event->buttons(), at.x(), at.y());
}

void TBoardGrid::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    emit MouseUp(event->button(), event->modifiers(), at.x(), at.y());
}

void TBoardGrid::wheelEvent(QWheelEvent *event) {
    WheelRest += event->angleDelta().y();
    const int notches = WheelRest / WheelNotch;
    WheelRest -= notches * WheelNotch;
    if (notches != 0)
        emit WheelTurned(notches);
    event->accept();
}
