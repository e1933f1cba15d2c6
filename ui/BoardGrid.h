// The board grid: 8 x 8 cells of 50 pixels with 1-pixel lines between them. The grid keeps a
// canvas onto which the board view paints squares and pieces; the grid itself only shows that
// canvas, and over it the piece being dragged, so what is on screen is exactly what the
// program painted.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QWidget>

class TBoardGrid : public QWidget {
    Q_OBJECT

public:
    static constexpr int CellSize = 50;
    static constexpr int LineWidth = 1;
    static constexpr int CellCount = 8;
    static constexpr int ClientSize = CellCount * CellSize + (CellCount - 1) * LineWidth; // 407

    explicit TBoardGrid(QWidget *parent = nullptr);

    // The rectangle of grid column c, grid row r (counted from the top); in the usual Qt
    // sense its right and bottom edges are the last pixels of the cell.
    static QRect CellRect(int column, int row);
    // The grid cell under a point of the client area; (-1, -1) on a line between cells, on the
    // first pixel row or column of a cell, or outside the grid.
    static QPoint CellAt(QPoint at);
    // The colour of the lines between the cells.
    static QColor LineColor();

    // Coordinates of painting onto the canvas are the grid's own pixels whatever its ratio.
    QPixmap &Canvas() { return CanvasPixmap; }
    const QPixmap &Canvas() const { return CanvasPixmap; }
    // A canvas with ratio x as many pixels each way, for a screen that scales the window;
    // a new ratio starts a blank canvas (lines only), an unchanged one keeps the painting.
    void SetPixelRatio(qreal ratio);
    qreal PixelRatio() const { return CanvasPixmap.devicePixelRatio(); }
    // A picture shown over the canvas with its top left corner at `at` (a dragged piece); a
    // null picture shows none.
    void SetFloating(const QPixmap &picture, QPoint at = {});

signals:
    // Every press, whatever the button; x and y are pixels of the grid's client area.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // The pointer moved with a button held, and the button let go, in the same pixels.
    void MouseMove(Qt::MouseButtons buttons, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // Whole notches of the wheel: positive away from the user.
    void WheelTurned(int notches);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QPixmap CanvasPixmap;
    QPixmap Floating;
    QPoint FloatingAt;
    int WheelRest = 0; // the part of a notch that a fine-grained wheel has turned so far
};
