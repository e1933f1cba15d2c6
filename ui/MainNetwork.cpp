// The main window's network play: the settings file, the two connection roles, the messages
// that keep the two games in step, the chat, the negotiated take-back and the attention marker.
#include "ClientEndpoint.h"
#include "Main.h"
#include "PieceSelect.h"
#include "Prompts.h"
#include "Protocol.h"
#include "Record.h"
#include "ServerEndpoint.h"
#include "Settings.h"
#include "Shape.h"
#include "TextCodec.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <optional>
#include <utility>

namespace {

// After every send the event loop runs this many passes before the sender goes on.
constexpr int PumpPassesPerSend = 10000;
// Given to both endpoints when the stored port is not a usable port number: neither endpoint
// ever opens with it (port 0 would have the server listen on a port that no client knows).
constexpr int UnusablePort = -1;

QColor ConnectedColor() {
    return {0, 128, 0};
}
QColor DisconnectedColor() {
    return {255, 0, 0};
}

const QString TakeBackCaption = QStringLiteral("Отмена последнего хода");

// The stored port as a number, when it is one that an endpoint can open with.
std::optional<int> PortNumber(const QString &text) {
    bool converts = false;
    const int port = text.trimmed().toInt(&converts, 10);
    if (!converts || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

} // namespace

// ---- Start-up ---------------------------------------------------------------------------------

void TMainForm::ConnectNetworkHandlers() {
    // The role is applied when it changes, not when the chosen button is clicked again (that
    // would drop a working connection for nothing).
    connect(rbAsClient, &QRadioButton::toggled, this, &TMainForm::rbAsClientClick);
    connect(edServerIP, &QLineEdit::textChanged, this, &TMainForm::edServerIPChange);
    connect(tmConnect, &QTimer::timeout, this, &TMainForm::tmConnectTimer);

    connect(ClientSocket, &TClientEndpoint::ConnectionOpened, this, &TMainForm::ConnectionOpened);
    connect(ServerSocket, &TServerEndpoint::ConnectionOpened, this, &TMainForm::ConnectionOpened);
    connect(ClientSocket, &TClientEndpoint::ConnectionClosed, this, &TMainForm::ConnectionClosed);
    connect(ServerSocket, &TServerEndpoint::ConnectionClosed, this, &TMainForm::ConnectionClosed);
    const auto received = [this](const QByteArray &bytes) { HandleNetMessage(DecodeText(bytes)); };
    connect(ClientSocket, &TClientEndpoint::MessageReceived, this, received);
    connect(ServerSocket, &TServerEndpoint::MessageReceived, this, received);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && IsForeground())
                    ApplicationEventsActivate();
            });
}

// Reads the settings file and applies it; no endpoint is opened here.
void TMainForm::ApplyNetworkSettings() {
    IniFileName = SettingsFilePath(ProgramFolder);

    const int port = PortNumber(ReadSetting(IniFileName, NetworkSection, PortKey, DefaultPort))
                         .value_or(UnusablePort);
    ServerSocket->SetPort(port);
    ClientSocket->SetPort(port);

    edServerIP->setText(ReadSetting(IniFileName, NetworkSection, ServerIPKey, DefaultServerIP));

    const bool asClient = ReadSetting(IniFileName, NetworkSection, LastConnectAsKey,
                                      DefaultLastConnectAs) == QLatin1String("Client");
    {
        const QSignalBlocker quiet(rbAsClient); // the role is applied once, below
        (asClient ? rbAsClient : rbAsServer)->setChecked(true);
    }
    rbAsClientClick();
}

// ---- Connection roles -------------------------------------------------------------------------

void TMainForm::rbAsClientClick() {
    ClientSocket->Close();
    ServerSocket->Close();
    const bool asClient = rbAsClient->isChecked();
    edServerIP->setEnabled(asClient);
    ShowAsUsable(edServerIP, asClient);
}

// Keeps the endpoint of the chosen role open; a failed attempt is simply repeated next time.
void TMainForm::tmConnectTimer() {
    if (rbAsClient->isChecked()) {
        ServerSocket->Close();
        if (!ClientSocket->Active())
            ClientSocket->Open();
    } else {
        ClientSocket->Close();
        if (!ServerSocket->Active())
            ServerSocket->Open();
    }
}

void TMainForm::edServerIPChange() {
    ClientSocket->Close();
    ClientSocket->SetAddress(edServerIP->text());
}

void TMainForm::ConnectionOpened() {
    shConnect->SetBrushColor(ConnectedColor());
    edChat->setReadOnly(false);
    ShowAsUsable(edChat, true);
    edChat->setFocus();
    SaveConnectionSettings();
}

void TMainForm::ConnectionClosed() {
    shConnect->SetBrushColor(DisconnectedColor());
    edChat->setReadOnly(true);
    ShowAsUsable(edChat, false);
}

// The file keeps the combination with which the last connection came about. The first write
// that fails is reported and the rest are skipped; the connection stays up.
void TMainForm::SaveConnectionSettings() {
    QList<std::pair<QString, QString>> settings = {
        {PortKey, QString::number(ServerSocket->Port())}};
    if (rbAsClient->isChecked()) {
        settings.append({ServerIPKey, edServerIP->text()});
        settings.append({LastConnectAsKey, QStringLiteral("Client")});
    } else {
        settings.append({LastConnectAsKey, QStringLiteral("Server")});
    }
    for (const auto &[key, value] : settings) {
        QString error;
        if (!WriteSetting(IniFileName, NetworkSection, key, value, &error)) {
            Prompts().ShowMessage(this, QMessageBox::Critical, QStringLiteral("Korvalen"), error,
                                  QMessageBox::Ok);
            return;
        }
    }
}

// ---- Sending and receiving ----------------------------------------------------------------------

bool TMainForm::SendNetMessage(const QString &text) {
    const QByteArray bytes = EncodeText(text);
    bool handedOver = false;
    if (rbAsServer->isChecked() && ServerSocket->Active())
        handedOver = ServerSocket->Send(bytes); // false while no connection has been accepted
    else if (rbAsClient->isChecked() && ClientSocket->Active())
        handedOver = ClientSocket->Send(bytes);
    if (!handedOver)
        return false;
    for (int pass = 0; pass < PumpPassesPerSend; ++pass)
        QCoreApplication::processEvents();
    return true;
}

// The promotion dialog runs the event loop in the middle of a move: a message that would
// replay, undo or select on the game then waits until the move has been played. Once some
// wait, the later ones queue behind them so that the order is kept.
bool TMainForm::WaitsForPromotion(QChar kind) const {
    if (kind != MoveListKind && kind != SelectionKind && kind != TakeBackKind)
        return false;
    return PromotionDialogOpen || !HeldNetMessages.isEmpty();
}

std::uint8_t TMainForm::AskPromotionPiece(std::uint8_t color) {
    PromotionDialogOpen = true;
    const std::uint8_t kind = PieceSelectForm->AskPromotion(color);
    PromotionDialogOpen = false;
    // The move is finished as soon as the caller regains control; held messages follow then
    // (the board press handles them at once, any other caller at the next pass of the loop).
    QMetaObject::invokeMethod(this, &TMainForm::HandleHeldNetMessages, Qt::QueuedConnection);
    return kind;
}

void TMainForm::HandleHeldNetMessages() {
    // An outer call further up the stack is still taking them in order.
    if (HandlingHeldNetMessages)
        return;
    HandlingHeldNetMessages = true;
    while (!PromotionDialogOpen && !HeldNetMessages.isEmpty())
        DispatchNetMessage(HeldNetMessages.takeFirst());
    HandlingHeldNetMessages = false;
}

void TMainForm::HandleNetMessage(const QString &text) {
    if (WaitsForPromotion(SplitMessage(text).Kind)) {
        HeldNetMessages.append(text);
        return;
    }
    DispatchNetMessage(text);
}

void TMainForm::DispatchNetMessage(const QString &text) {
    const TNetMessage message = SplitMessage(text);
    if (message.Kind == MoveListKind)
        ReceiveMoveList(message.Payload);
    else if (message.Kind == SelectionKind)
        ReceiveSelection(message.Payload);
    else if (message.Kind == ChatKind)
        ReceiveChat(message.Payload);
    else if (message.Kind == TakeBackKind)
        ReceiveTakeBack(message.Payload);
    // Anything else (an empty text included) is not a message of ours and changes nothing.
}

// The longer record wins. Every call below that runs the event loop may change the game, so
// CurrentGame is read afresh after each.
void TMainForm::ReceiveMoveList(const QString &payload) {
    const QStringList received = ParseMoveList(payload);
    const qsizetype localCount = CurrentGame->MoveRecord.size();
    if (received.size() > localCount) {
        // A list that does not replay must not cost the player the game on the board; and no
        // answer, which would only bring the same list back again.
        // Checked and played in one pass; a promotion that names no piece is a queen, without
        // the dialog.
        TReplay replay = ReplayRecord(received);
        if (replay.Bad)
            return;
        CurrentGame->Adopt(std::move(*replay.Game));
        SelectedSquare = NoSelection;
        DrawBoard();
        RefreshNotation();
        SetAttention(true);
        SendNetMessage(MoveListMessage(CurrentGame->MoveRecord));
    } else if (received.size() < localCount) {
        SendNetMessage(MoveListMessage(CurrentGame->MoveRecord));
    }
}

void TMainForm::ReceiveSelection(const QString &payload) {
    const int previous = SelectedSquare;
    SelectedSquare = ParseSelection(payload);
    // A piece that stopped bobbing comes to rest instead of staying lifted.
    if (previous != SelectedSquare)
        DrawSquare(previous, false);
}

void TMainForm::ReceiveChat(const QString &payload) {
    mmChat->appendPlainText(payload); // plain text, never markup
    SetAttention(true);
}

void TMainForm::ReceiveTakeBack(const QString &payload) {
    SetAttention(true);
    const std::optional<TTakeBack> takeBack = ParseTakeBack(payload);
    if (!takeBack)
        return;
    switch (*takeBack) {
    case TTakeBack::Request: {
        const QMessageBox::StandardButton answer = Prompts().ShowMessage(
            this, QMessageBox::Question, TakeBackCaption,
            QStringLiteral("Ваш оппонент предлагает отменить последний ход. \nВы согласны?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            if (SendNetMessage(TakeBackMessage(TTakeBack::Consent)))
                TakeBackLastMove();
        } else {
            SendNetMessage(TakeBackMessage(TTakeBack::Refusal));
        }
        break;
    }
    case TTakeBack::Consent:
        TakeBackLastMove();
        break;
    case TTakeBack::Refusal:
        Prompts().ShowMessage(this, QMessageBox::Critical, TakeBackCaption,
                              QStringLiteral("Ваш оппонент отказался отменить последний ход."),
                              QMessageBox::Ok);
        break;
    }
}

void TMainForm::TakeBackLastMove() {
    CurrentGame->UndoLastMove();
    DrawBoard();
    RefreshNotation();
}

// ---- Chat ---------------------------------------------------------------------------------------

void TMainForm::edChatKeyDown(int key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    const QString line = ChatLine(edChat->text());
    if (!SendNetMessage(QString(ChatKind) + line))
        return;
    // The log shows the line as the peer sees it: a character that the wire's code page lacks
    // arrived there as "?".
    mmChat->appendPlainText(DecodeText(EncodeText(line)));
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
