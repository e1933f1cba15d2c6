// A filled rectangle with a one-pixel outline: the connection indicator.
#pragma once

#include <QColor>
#include <QWidget>

class TShape : public QWidget {
    Q_OBJECT

public:
    explicit TShape(QWidget *parent = nullptr);

    QColor BrushColor() const { return Brush; }
    QColor PenColor() const { return Pen; }
    void SetBrushColor(const QColor &color);
    void SetPenColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor Brush = Qt::white;
    QColor Pen = Qt::black;
};
