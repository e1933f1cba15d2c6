// The main window's life: its construction, the events it handles itself and a new game.
#include "Main.h"

#include "BoardGrid.h"
#include "GameJournal.h"
#include "MoveSound.h"
#include "NetSession.h"
#include "PageControl.h"
#include "Prompts.h"
#include "Settings.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

// The settings that belong to the window itself, beside the network's.
const QString InterfaceSection = QStringLiteral("Interface");
const QString MarkLastMoveKey = QStringLiteral("MarkLastMove");
const QString MoveSoundKey = QStringLiteral("MoveSound");

} // namespace

TMainForm::TMainForm(const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ProgramFolder(folder), InstalledHelpFile(QString::fromUtf8(KORVALEN_INSTALLED_HELP)),
      BoardView(new TBoardView), ilPieces(BoardView->ilPieces), Session(new TNetSession(this)),
      IsForeground([this] { return WindowIsActive(); }),
      AlertDesktop([this] { QApplication::alert(this); }), lbDigit(BoardView->lbDigit),
      lbLitera(BoardView->lbLitera), pnBoard(BoardView->pnBoard), dgBoard(BoardView->dgBoard),
      ClientSocket(&Session->Client()), ServerSocket(&Session->Server()),
      MoveSound(std::make_unique<TMoveSound>()), PromptsObject(std::make_unique<TPrompts>()) {
    SetupComponents();
    UsePixelRatio(dgBoard->devicePixelRatioF());
    ConnectHandlers();
    SetupShortcuts(*this);
    ApplyNetworkSettings();
    // Unlike the orientation, the marking is kept between runs.
    cbMarkLastMove->setChecked(ReadSetting(IniFileName, InterfaceSection, MarkLastMoveKey,
                                           QStringLiteral("0")) == QStringLiteral("1"));
    cbMoveSound->setChecked(ReadSetting(IniFileName, InterfaceSection, MoveSoundKey,
                                        QStringLiteral("0")) == QStringLiteral("1"));
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

void TMainForm::StartNewGame() {
    CurrentGame = std::make_unique<TGame>();
    CurrentGame->GameMessageHook = [this](const QString &text) { edGameMessage->setText(text); };
    CurrentGame->PromotionHook = [this](TColor color) { return AskPromotionPiece(color); };
    SelectedSquare = -1;
    BoardView->SetGame(*CurrentGame);
    pcMain->setCurrentWidget(tsBoard);
}

void TMainForm::cbMarkLastMoveClick() {
    WriteInterfaceSetting(MarkLastMoveKey, cbMarkLastMove->isChecked());
}

void TMainForm::cbMoveSoundClick() {
    WriteInterfaceSetting(MoveSoundKey, cbMoveSound->isChecked());
}

// Written only when the user changes it; every other line of the file stays as it is.
void TMainForm::WriteInterfaceSetting(const QString &key, bool on) {
    QString error;
    if (!WriteSetting(IniFileName, InterfaceSection, key,
                      on ? QStringLiteral("1") : QStringLiteral("0"), &error))
        Prompts().ShowMessage(this, QMessageBox::Critical, QStringLiteral("Korvalen"), error,
                              QMessageBox::Ok);
}
