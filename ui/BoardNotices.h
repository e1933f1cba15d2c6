// The line over the top of the board: looking back at an earlier position, a draw that the
// rules of chess allow or make, an unfinished game waiting to be brought back. One line shows
// at a time, the most pressing first (looking back, then a draw, then the waiting game), and
// it never hides more of the position than one line over the top rank.
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <array>

class QLabel;
class QWidget;

class TBoardNotices : public QObject {
    Q_OBJECT

public:
    enum class TKind { Browsing, Draw, WaitingGame };

    // The line lies over `grid`, whose presses it lets through.
    explicit TBoardNotices(QWidget &grid, QObject *parent = nullptr);

    // An empty text takes that notice away.
    void Set(TKind kind, const QString &text);
    QString Text(TKind kind) const;
    // The text on the board now (empty when none shows): what a screen reader hears first.
    QString Shown() const;

private:
    void Refresh();

    QWidget &Grid;
    QLabel *lbBrowsing = nullptr; // the one line; named for what it first showed
    std::array<QString, 3> Texts; // by kind, in the order of the kinds
};

// The colour a kind of notice is shown in; the frame round the grid while looking back has it too.
QColor NoticeColor(TBoardNotices::TKind kind);
