// The main window's network play: the roles chosen with the radio buttons, the indicator and
// the chat entry, and what a message from the peer does to the game (the longer record wins),
// the negotiated take-back and the attention marker. The session does the networking.
#include "Main.h"
#include "MoveSound.h"
#include "NetSession.h"
#include "PieceSelect.h"
#include "PortOpening.h"
#include "Prompts.h"
#include "Record.h"
#include "Settings.h"
#include "Shape.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

QColor ConnectedColor() {
    return {0, 128, 0};
}
QColor DisconnectedColor() {
    return {255, 0, 0};
}

// A screen reader cannot see the colour: the name says it.
const QString ConnectedName = QStringLiteral("Индикатор подключения: связь есть");
const QString DisconnectedName = QStringLiteral("Индикатор подключения: нет связи");

const QString TakeBackCaption = QStringLiteral("Отмена последнего хода");

} // namespace

// ---- Start-up ---------------------------------------------------------------------------------

void TMainForm::ConnectNetworkHandlers() {
    // The role is applied when it changes, not when the chosen button is clicked again (that
    // would drop a working connection for nothing).
    connect(rbAsClient, &QRadioButton::toggled, this, &TMainForm::rbAsClientClick);
    connect(edServerIP, &QLineEdit::textChanged, this, &TMainForm::edServerIPChange);
    // Only the user's own tick opens the port; the program unticks it without a word.
    connect(cbOpenPort, &QCheckBox::clicked, this, &TMainForm::cbOpenPortClick);
    connect(tmConnect, &QTimer::timeout, this, &TMainForm::tmConnectTimer);

    connect(Session, &TNetSession::ConnectionOpened, this, &TMainForm::ConnectionOpened);
    connect(Session, &TNetSession::ConnectionClosed, this, &TMainForm::ConnectionClosed);
    connect(Session, &TNetSession::MoveListReceived, this, &TMainForm::ReceiveMoveList);
    connect(Session, &TNetSession::SelectionReceived, this, &TMainForm::ReceiveSelection);
    connect(Session, &TNetSession::ChatReceived, this, &TMainForm::ReceiveChat);
    connect(Session, &TNetSession::TakeBackRequested, this, &TMainForm::ReceiveTakeBackRequest);
    connect(Session, &TNetSession::TakeBackAnswered, this, &TMainForm::ReceiveTakeBackAnswer);
    connect(Session, &TNetSession::TakeBackNotUnderstood, this, [this] { SetAttention(true); });

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && IsForeground())
                    ApplicationEventsActivate();
            });
}

// Reads the settings file and applies it; no endpoint is opened here.
void TMainForm::ApplyNetworkSettings() {
    IniFileName = SettingsFilePath(ProgramFolder);
    const TNetworkSettings settings = ReadNetworkSettings(IniFileName);
    Session->SetPort(settings.Port);
    edServerIP->setText(settings.Address);
    {
        const QSignalBlocker quiet(rbAsClient); // the role is applied once, below
        (settings.Role == TNetSession::TRole::Client ? rbAsClient : rbAsServer)->setChecked(true);
    }
    rbAsClientClick();
}

// ---- Connection roles -------------------------------------------------------------------------

void TMainForm::rbAsClientClick() {
    const bool asClient = rbAsClient->isChecked();
    Session->SetRole(asClient ? TNetSession::TRole::Client : TNetSession::TRole::Server);
    edServerIP->setEnabled(asClient);
    ShowAsUsable(edServerIP, asClient);
    PortOpening->RoleChosen(!asClient);
}

void TMainForm::tmConnectTimer() {
    Session->KeepOpen();
}

void TMainForm::edServerIPChange() {
    Session->SetAddress(edServerIP->text());
}

void TMainForm::cbOpenPortClick() {
    PortOpening->BoxClicked();
}

void TMainForm::ConnectionOpened() {
    shConnect->SetBrushColor(ConnectedColor());
    shConnect->setAccessibleName(ConnectedName);
    edChat->setReadOnly(false);
    ShowAsUsable(edChat, true);
    edChat->setFocus();
    // The first write that fails is reported and the rest are skipped; the connection stays up.
    QString error;
    if (!WriteNetworkSettings(IniFileName, Session->CurrentSettings(), &error))
        Prompts().ShowMessage(this, QMessageBox::Critical, QStringLiteral("Korvalen"), error,
                              QMessageBox::Ok);
}

// Another connection still open (a client that dialled in again before its old connection was
// given up) keeps the window connected.
void TMainForm::ConnectionClosed() {
    if (Session->ConnectionCount() > 0)
        return;
    shConnect->SetBrushColor(DisconnectedColor());
    shConnect->setAccessibleName(DisconnectedName);
    edChat->setReadOnly(true);
    ShowAsUsable(edChat, false);
}

// ---- Sending and receiving ----------------------------------------------------------------------

bool TMainForm::SendNetMessage(const QString &text) {
    return Session->Send(text);
}

void TMainForm::HandleNetMessage(const QString &text) {
    Session->HandleMessage(text);
}

// The promotion dialog runs the event loop in the middle of a move: what the peer sends that
// would act on the game waits until the move has been played (the board press handles it at
// once, any other caller at the next pass of the loop).
TKind TMainForm::AskPromotionPiece(TColor color) {
    const TNetSession::THoldBack hold(*Session);
    const QScopedValueRollback<bool> asking(PromotionDialogOpen, true);
    return PieceSelectForm->AskPromotion(color);
}

// The longer record wins. Every call below that runs the event loop may change the game, so
// CurrentGame is read afresh after each.
void TMainForm::ReceiveMoveList(const QStringList &received) {
    const qsizetype localCount = CurrentGame->MoveRecord.size();
    if (received.size() > localCount) {
        // A list that does not replay must not cost the player the game on the board; and no
        // answer, which would only bring the same list back again.
        // Checked and played in one pass; a promotion that names no piece is a queen, without
        // the dialog.
        TReplay replay = ReplayRecord(received);
        if (replay.Bad)
            return;
        // The opponent's move is one more move on the game both boards show; a longer game
        // brought whole (loaded, or kept while apart) is not a move to be heard.
        const QStringList &local = CurrentGame->MoveRecord;
        const bool opponentMoved = received.size() == localCount + 1 &&
                                   std::equal(local.cbegin(), local.cend(), received.cbegin());
        CurrentGame->Adopt(std::move(*replay.Game));
        SelectedSquare = -1;
        DrawBoard();
        RefreshNotation();
        if (opponentMoved)
            HearOpponentMove();
        SetAttention(true);
        Session->AnswerMoveList(CurrentGame->MoveRecord);
    } else if (received.size() < localCount) {
        // Several lists that arrive during one answer all get that answer, not one each.
        Session->AnswerMoveList(CurrentGame->MoveRecord);
    }
}

void TMainForm::ReceiveSelection(int square) {
    const int previous = SelectedSquare;
    SelectedSquare = square;
    // A piece that stopped bobbing comes to rest instead of staying lifted.
    if (previous != SelectedSquare)
        DrawSquare(previous, false);
}

void TMainForm::ReceiveChat(const QString &line) {
    mmChat->appendPlainText(line); // plain text, never markup
    SetAttention(true);
}

// One question at a time: a request that comes while it is open (or while its attention pass
// runs) is dropped, so a peer that repeats it cannot stack boxes the player must close one by one.
void TMainForm::ReceiveTakeBackRequest() {
    if (TakeBackQuestionOpen) {
        SetAttention(true);
        return;
    }
    QMessageBox::StandardButton answer = QMessageBox::No;
    {
        const QScopedValueRollback open(TakeBackQuestionOpen, true);
        SetAttention(true);
        answer = Prompts().ShowMessage(
            this, QMessageBox::Question, TakeBackCaption,
            QStringLiteral("Ваш оппонент предлагает отменить последний ход. \nВы согласны?"),
            QMessageBox::Yes | QMessageBox::No);
    }
    if (answer == QMessageBox::Yes) {
        if (Session->SendTakeBack(TTakeBack::Consent))
            TakeBackLastMove();
    } else {
        Session->SendTakeBack(TTakeBack::Refusal);
    }
}

// A consent takes back one move whether or not this side asked. Refusals that come while the
// refusal box is open say nothing new and are dropped.
void TMainForm::ReceiveTakeBackAnswer(bool consent) {
    if (consent || TakeBackRefusalOpen) {
        SetAttention(true);
        if (consent) {
            const bool moveTakenBack = !CurrentGame->MoveRecord.isEmpty();
            TakeBackLastMove();
            if (moveTakenBack)
                HearOpponentMove(); // the opponent agreed: the game changed by their word
        }
        return;
    }
    const QScopedValueRollback open(TakeBackRefusalOpen, true);
    SetAttention(true);
    Prompts().ShowMessage(this, QMessageBox::Critical, TakeBackCaption,
                          QStringLiteral("Ваш оппонент отказался отменить последний ход."),
                          QMessageBox::Ok);
}

void TMainForm::TakeBackLastMove() {
    CurrentGame->UndoLastMove();
    DrawBoard();
    RefreshNotation();
}

// Only the peer's changes of the game come here, never the player's own.
void TMainForm::HearOpponentMove() {
    if (cbMoveSound->isChecked())
        MoveSound->Play();
}

// ---- Chat ---------------------------------------------------------------------------------------

void TMainForm::edChatKeyDown(int key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    const std::optional<QString> line = Session->SendChat(edChat->text());
    if (!line)
        return;
    mmChat->appendPlainText(*line);
    edChat->clear();
}

// ---- Attention marker ---------------------------------------------------------------------------

bool TMainForm::WindowIsActive() const {
    for (const QWidget *window = QApplication::activeWindow(); window != nullptr;
         window = window->parentWidget()) {
        if (window == this)
            return true;
    }
    return false;
}

void TMainForm::SetAttention(bool flag) {
    const bool marked = flag && !IsForeground();
    if (marked)
        AlertDesktop();
    setWindowTitle(marked ? QStringLiteral("Korvalen*") : QStringLiteral("Korvalen"));
    QCoreApplication::processEvents(); // the new title shows at once
}

void TMainForm::ApplicationEventsActivate() {
    SetAttention(false);
}

// Activation and restoring clear the marker; the program is the one that became active only
// when this window or a dialog of its own did.
void TMainForm::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (IsForeground())
            ApplicationEventsActivate();
    } else if (event->type() == QEvent::WindowStateChange) {
        const auto *change = static_cast<const QWindowStateChangeEvent *>(event);
        if (change->oldState().testFlag(Qt::WindowMinimized) && !isMinimized())
            ApplicationEventsRestore();
    }
}

void TMainForm::ApplicationEventsRestore() {
    SetAttention(false);
}
