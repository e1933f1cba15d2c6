// The board page: the board grid in its panel and the coordinate labels, the piece pictures at
// the screen's pixel ratio, the orientation, the flicker of the picked-up piece, the marking of
// the last move, dragging a piece, and looking back at earlier positions of the game without
// touching it. The view shows a game that the window owns; presses reach the window by signal.
#pragma once

#include "Board.h"

#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <array>
#include <memory>

class QFrame;
class QLabel;
class QPlainTextEdit;
class TBoardGrid;
class TBoardNotices;

// Square colours of the board.
QColor DarkSquareColor();
QColor LightSquareColor();

// What a screen reader says of the move just played, before whose move it is: "Белые: e2-e4. ",
// as the notation writes the move, without its check or mate mark; empty before the first.
QString SpokenLastMove(const TGame &game);

class TBoardView : public QWidget {
    Q_OBJECT

public:
    explicit TBoardView(QWidget *parent = nullptr);
    ~TBoardView() override;

    std::array<QLabel *, 8> lbDigit{};  // bottom to top
    std::array<QLabel *, 8> lbLitera{}; // left to right
    QFrame *pnBoard = nullptr;
    TBoardGrid *dgBoard = nullptr;
    QList<QPixmap> ilPieces; // the twelve board pictures, at the grid's pixel ratio

    // The game shown from now on, at its current position; nothing is drawn yet. The game
    // must outlive the view or be replaced before it goes.
    void SetGame(const TGame &game);
    // Back at the game's current position, and every square drawn.
    void ShowGame(const TGame &game);
    // Paints one square of the position shown; a raised piece stands 2 pixels higher.
    void DrawSquare(int index, bool raised);
    void DrawAll();
    void SetWhiteOnTop(bool whiteOnTop);
    void UpdateCoordinateLabels();
    void SetMarkLastMove(bool mark);
    // Grid cell (column, row from the top) of a board square, and the square under a point
    // of the grid (-1 for none), in the orientation chosen now.
    QPoint GridCellOf(int column, int row) const;
    int SquareAt(QPoint at) const;
    // Canvas and pictures for this device pixel ratio; only a new ratio draws them afresh.
    void UsePixelRatio(qreal ratio);
    // One tick of the bobbing of the picked-up piece; nothing while none is picked up.
    void Flicker(int selected, bool &raised);
    // What a screen reader says of the board; `status` is that of the game's current position.
    void Describe(TGameStatus status);

    // Half-moves of the position shown: the game's record length unless looking back.
    int ShownPly() const;
    bool IsBrowsing() const { return Browsed != nullptr; }
    // Shows the position after `ply` half-moves (clamped to the game); the game's own length
    // shows the game itself again.
    void ShowPly(int ply);
    // Left, Right, Home and End step through the game; false for any other key.
    bool BrowseKey(int key);
    // The piece just picked up on `square` may be dragged from there by the button held.
    void PickedUp(int square);
    // The line over the board: looking back, a draw, the waiting game.
    TBoardNotices &Notices() { return *NoticeLine; }

signals:
    // A press on the board, or a dragged piece let go on another square (the second press).
    void Pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // The position shown changed: `ply` half-moves, `browsing` while it is not the game's own.
    void ShownPlyChanged(int ply, bool browsing);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const TGame &Shown() const { return Browsed ? *Browsed : *Game; }
    bool IsMarked(int index) const;
    QString BrowsingText() const;
    void EndBrowsing();
    void ShowBrowsing();
    void GridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void GridMouseMove(Qt::MouseButtons buttons, int x, int y);
    void GridMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void CancelDrag();

    const TGame *Game = nullptr;
    std::unique_ptr<TGame> Browsed; // the earlier position looked at, none while at the game
    bool WhiteOnTop = false;
    bool MarkLastMove = false;
    QWidget *BrowseFrame = nullptr; // the coloured frame round the grid while looking back
    std::unique_ptr<TBoardNotices> NoticeLine; // the line over the board that says so
    // A piece picked up by the press that is still held; dragged once the pointer has moved.
    int DragFrom = -1;
    Qt::MouseButton DragButton = Qt::NoButton;
    QPoint DragStart;
    QPoint LastPress;
    bool Dragging = false;
};

// Marks one line of the notation memo (scrolled into view), or none for -1.
void MarkNotationLine(QPlainTextEdit &memo, int line);
