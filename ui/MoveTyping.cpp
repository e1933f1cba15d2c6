#include "MoveTyping.h"

#include "BoardGrid.h"
#include "Main.h"
#include "PageControl.h"
#include "TypedMove.h"

#include <QKeyEvent>
#include <QLabel>

namespace {

// Long enough for "Крe1xf2+" and "0-0-0", short enough for the line over the board.
constexpr qsizetype MaxTyped = 12;
constexpr int LineMargin = 4;

// Letters of either script, digits and the signs a move is written with.
bool IsMoveCharacter(QChar ch) {
    return ch.isLetterOrNumber() || QStringView(u"-=+#:").contains(ch);
}

QString ProblemText(TTypedMoveProblem problem) {
    switch (problem) {
    case TTypedMoveProblem::Ambiguous:
        return QStringLiteral("неоднозначно: уточните, какой фигурой");
    case TTypedMoveProblem::Illegal:
        return QStringLiteral("такого хода нет");
    default:
        return QStringLiteral("это не ход");
    }
}

} // namespace

TMoveTyping::TMoveTyping(TMainForm &form)
    : QObject(&form), Form(form), LineLabel(new QLabel(form.dgBoard)) {
    LineLabel->setObjectName(QStringLiteral("lbTypedMove"));
    LineLabel->setAutoFillBackground(true);
    LineLabel->setBackgroundRole(QPalette::ToolTipBase);
    LineLabel->setForegroundRole(QPalette::ToolTipText);
    LineLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    LineLabel->setMargin(2);
    LineLabel->hide();
    // Reached with Tab, not by a click: a press on the board leaves the focus in the chat entry.
    form.dgBoard->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(form.pcMain, form.dgBoard);
}

void TMoveTyping::Clear() {
    Text.clear();
    ShowsProblem = false;
    Show({});
}

void TMoveTyping::Show(const QString &text) {
    LineLabel->setText(text);
    LineLabel->setVisible(!text.isEmpty());
    if (text.isEmpty())
        return;
    LineLabel->adjustSize();
    LineLabel->move(LineMargin, TBoardGrid::ClientSize - LineLabel->height() - LineMargin);
    LineLabel->raise();
}

bool TMoveTyping::KeyPressed(const QKeyEvent &key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (Text.isEmpty())
            return false;
        if (!key.isAutoRepeat() && !ShowsProblem)
            PlayTyped();
        return true;
    case Qt::Key_Escape:
        if (Text.isEmpty())
            return false;
        Clear();
        return true;
    case Qt::Key_Backspace:
        if (Text.isEmpty())
            return false;
        if (!ShowsProblem)
            Text.chop(1);
        ShowsProblem = false;
        Show(Text);
        return true;
    default:
        break;
    }
    const QString typed = key.text();
    if (typed.size() != 1 || !IsMoveCharacter(typed.front()))
        return false;
    // After a refusal the next character starts the move afresh.
    if (ShowsProblem)
        Clear();
    if (Text.size() < MaxTyped)
        Text += typed;
    Show(Text);
    return true;
}

void TMoveTyping::PlayTyped() {
    const TTypedMove move = ResolveTypedMove(*Form.CurrentGame, Text);
    if (!move.Move) {
        ShowsProblem = true;
        Show(Text + QStringLiteral(" — ") + ProblemText(move.Problem));
        return;
    }
    Clear();
    Play(*move.Move);
}

// The press that ends a move does the rest, as it does after a click: the move, the promotion
// question, the notation, the description and what is sent. A typed promotion piece answers
// the question in the dialog's place.
void TMoveTyping::Play(const TRecordEntry &move) {
    TGame *const game = Form.CurrentGame.get();
    const auto ask = game->PromotionHook;
    const bool named = move.Promotion != NoPromotion;
    if (named) {
        const TKind kind = KindOfPromotionLetter(move.Promotion);
        game->PromotionHook = [kind](TColor) { return std::uint8_t(kind); };
    }
    Form.SelectedSquare = move.From;
    const QPoint cell = Form.GridCellOf(move.To % 8, move.To / 8);
    const QPoint at = TBoardGrid::CellRect(cell.x(), cell.y()).center();
    Form.dgBoardMouseDown(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
    // The sends ran the event loop: a new game may have taken the place of this one.
    if (named && Form.CurrentGame.get() == game)
        game->PromotionHook = ask;
}
