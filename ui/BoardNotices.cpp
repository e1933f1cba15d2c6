#include "BoardNotices.h"

#include <QLabel>
#include <QWidget>

// Each kind in a colour of its own, white on it: looking back in the colour of a selection (the
// frame round the grid has it too), a draw in a calm green, the waiting game in slate grey.
QColor NoticeColor(TBoardNotices::TKind kind) {
    switch (kind) {
    case TBoardNotices::TKind::Browsing:
        return {0, 90, 200};
    case TBoardNotices::TKind::Draw:
        return {30, 110, 60};
    case TBoardNotices::TKind::WaitingGame:
        break;
    }
    return {70, 80, 95};
}

namespace {

std::size_t Slot(TBoardNotices::TKind kind) {
    return static_cast<std::size_t>(kind);
}

} // namespace

TBoardNotices::TBoardNotices(QWidget &grid, QObject *parent) : QObject(parent), Grid(grid) {
    lbBrowsing = new QLabel(&grid);
    lbBrowsing->setObjectName(QStringLiteral("lbBrowsing"));
    lbBrowsing->setAutoFillBackground(true);
    lbBrowsing->setMargin(3);
    lbBrowsing->setAttribute(Qt::WA_TransparentForMouseEvents); // presses reach the squares
    lbBrowsing->hide();
}

void TBoardNotices::Set(TKind kind, const QString &text) {
    if (Texts.at(Slot(kind)) == text)
        return;
    Texts.at(Slot(kind)) = text;
    Refresh();
}

QString TBoardNotices::Text(TKind kind) const {
    return Texts.at(Slot(kind));
}

QString TBoardNotices::Shown() const {
    for (const QString &text : Texts)
        if (!text.isEmpty())
            return text;
    return {};
}

// The kinds are in the order of what is most pressing, so the first text set is the one shown.
void TBoardNotices::Refresh() {
    for (std::size_t slot = 0; slot < Texts.size(); ++slot) {
        if (Texts.at(slot).isEmpty())
            continue;
        QPalette palette = lbBrowsing->palette();
        palette.setColor(QPalette::Window, NoticeColor(static_cast<TKind>(slot)));
        palette.setColor(QPalette::WindowText, Qt::white);
        lbBrowsing->setPalette(palette);
        // Never wider than the board and never two lines: a long text is cut with an ellipsis
        // (the board's description still says it whole).
        const int room = Grid.width() - 2 * lbBrowsing->margin() - 2 * lbBrowsing->frameWidth();
        lbBrowsing->setText(
            lbBrowsing->fontMetrics().elidedText(Texts.at(slot), Qt::ElideRight, room));
        lbBrowsing->adjustSize();
        lbBrowsing->move((Grid.width() - lbBrowsing->width()) / 2, 0);
        lbBrowsing->show();
        return;
    }
    lbBrowsing->hide();
}
