#include "BoardGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

TBoardGrid::TBoardGrid(QWidget *parent) : QWidget(parent) {
    SetPixelRatio(1);
    setFixedSize(ClientSize, ClientSize);
    // The canvas covers every pixel: nothing behind the grid needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect TBoardGrid::CellRect(int column, int row) {
    return {column * (CellSize + LineWidth), row * (CellSize + LineWidth), CellSize, CellSize};
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

void TBoardGrid::paintEvent(QPaintEvent *) {
    // The painter clips to the region to repaint; at a canvas ratio equal to the screen's
    // the canvas pixels reach the screen one to one.
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), CanvasPixmap);
}

void TBoardGrid::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    emit MouseDown(event->button(), event->modifiers(), at.x(), at.y());
}
