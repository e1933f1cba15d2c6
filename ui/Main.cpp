// The main window's life: its construction, the events it handles itself and a new game.
#include "Main.h"

#include "BoardGrid.h"
#include "NetSession.h"
#include "PageControl.h"
#include "Pictures.h"
#include "Prompts.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

TMainForm::TMainForm(const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ProgramFolder(folder), InstalledHelpFile(QString::fromUtf8(KORVALEN_INSTALLED_HELP)),
      Session(new TNetSession(this)), IsForeground([this] { return WindowIsActive(); }),
      AlertDesktop([this] { QApplication::alert(this); }), ClientSocket(&Session->Client()),
      ServerSocket(&Session->Server()), ilPieces(BoardPictures()),
      PromptsObject(std::make_unique<TPrompts>()) {
    SetupComponents();
    UsePixelRatio(dgBoard->devicePixelRatioF());
    ConnectHandlers();
    SetupShortcuts();
    ApplyNetworkSettings();
    StartNewGame();
    DescribeBoard();
    tmFlicker->start();
    tmConnect->start();
}

// The session ends with the window's children; no notification of its may reach a window that
// is half gone.
TMainForm::~TMainForm() {
    Session->disconnect(this);
}

void TMainForm::SetPrompts(std::unique_ptr<TPrompts> prompts) {
    if (prompts)
        PromptsObject = std::move(prompts);
}
// ---- Start-up, events, new game ---------------------------------------------------------------

bool TMainForm::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ToolTip && !HintsShown)
        return true;
    // The focus rests in the chat entry during network play: there Ctrl+Z undoes typing while
    // there is some to undo, and takes back the move otherwise.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *edit = qobject_cast<const QLineEdit *>(watched);
        if (edit && static_cast<const QKeyEvent *>(event)->matches(QKeySequence::Undo) &&
            !edit->isUndoAvailable())
            return true; // not taken by the edit: the window's key runs
    }
    // The chat entry sends on Enter; the key itself stays with the edit.
    if (watched == edChat && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        edChatKeyDown(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    FormShow();
}

void TMainForm::FormShow() {
    edChat->setFocus();
}

void TMainForm::paintEvent(QPaintEvent *) {
    // The board follows the game and the orientation at every repaint of the window.
    if (InFormPaint)
        return;
    const QScopedValueRollback painting(InFormPaint, true);
    FormPaint();
}

void TMainForm::FormPaint() {
    // A window moved to a screen of another scale is repainted whole.
    UsePixelRatio(dgBoard->devicePixelRatioF());
    UpdateCoordinateLabels();
    DrawBoard();
}

void TMainForm::StartNewGame() {
    CurrentGame = std::make_unique<TGame>();
    CurrentGame->GameMessageHook = [this](const QString &text) { edGameMessage->setText(text); };
    CurrentGame->PromotionHook = [this](TColor color) { return AskPromotionPiece(color); };
    SelectedSquare = -1;
    pcMain->setCurrentWidget(tsBoard);
}
