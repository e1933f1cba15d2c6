#include "Shape.h"

#include <QPainter>

TShape::TShape(QWidget *parent) : QWidget(parent) {}

void TShape::SetBrushColor(const QColor &color) {
    Brush = color;
    update();
}

void TShape::SetPenColor(const QColor &color) {
    Pen = color;
    update();
}

void TShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Pen);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), Brush);
}
