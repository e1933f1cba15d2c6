#include "BoardGrid.h"

#include <QMouseEvent>
#include <QPainter>

TBoardGrid::TBoardGrid(QWidget *parent) : QWidget(parent), CanvasPixmap(ClientSize, ClientSize) {
    // Until the first paint the canvas shows only the lines (cells are filled over them).
    CanvasPixmap.fill(LineColor());
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

void TBoardGrid::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.drawPixmap(event->rect(), CanvasPixmap, event->rect());
}

void TBoardGrid::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    emit MouseDown(event->button(), event->modifiers(), at.x(), at.y());
}
