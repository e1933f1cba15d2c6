#include "PortOpening.h"

#include "NetSession.h"
#include "ServerEndpoint.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <optional>

namespace {

const QString OpeningText = QStringLiteral("Открываю порт на роутере…");
const QString ClosingText = QStringLiteral("Закрываю порт на роутере…");
const QString AddressCaption = QStringLiteral("Адрес для друга: ");

// The words are for someone who has never heard of NAT: what happened, and what to do next.
// Two lines of the group's width at most.
QString FailureText(TPortFailure failure, int port) {
    switch (failure) {
    case TPortFailure::NoRouter:
        return QStringLiteral("Роутер не ответил. Включите в его настройках UPnP (или NAT-PMP) "
                              "либо откройте там вручную порт TCP %1.")
            .arg(port);
    case TPortFailure::PortTaken:
        return QStringLiteral("Порт %1 на роутере уже отдан другому компьютеру. Освободите его в "
                              "настройках роутера и попробуйте снова.")
            .arg(port);
    case TPortFailure::Refused:
        break;
    }
    return QStringLiteral("Роутер отказался открыть порт. Разрешите UPnP в его настройках либо "
                          "откройте там вручную порт TCP %1.")
        .arg(port);
}

// The router got an address from which the internet does not lead back to it.
QString UnreachableText(const QHostAddress &address) {
    const QString text = address.toString();
    if (ClassifyExternalAddress(address) == TAddressKind::Other)
        return QStringLiteral("Роутер назвал адрес %1, по которому друг вас не найдёт. Проверьте, "
                              "что роутер подключён к интернету.")
            .arg(text);
    return QStringLiteral("Роутер получил от провайдера внутренний адрес %1, и друг сюда не "
                          "дойдёт. Поможет общая VPN или внешний адрес.")
        .arg(text);
}

// A router behind another NAT often refuses outright (miniupnpd does, seeing its own address
// private); the mapper's detail then names that address, and the line says what it means.
std::optional<QHostAddress> UnreachableAddressIn(const QString &detail) {
    static const QRegularExpression ipv4(QStringLiteral("\\b\\d{1,3}(\\.\\d{1,3}){3}\\b"));
    for (const QRegularExpressionMatch &match : ipv4.globalMatch(detail)) {
        const QHostAddress address(match.captured());
        if (!address.isNull() && ClassifyExternalAddress(address) != TAddressKind::Public)
            return address;
    }
    return std::nullopt;
}

} // namespace

TPortOpening::TPortOpening(QCheckBox &box, QLabel &stateLine, TNetSession &session,
                           TPortMapper &mapper)
    : QObject(box.parentWidget()), Box(box), StateLine(stateLine), Session(session),
      Mapper(mapper) {
    connect(&Mapper, &TPortMapper::Opened, this, &TPortOpening::Opened);
    connect(&Mapper, &TPortMapper::Failed, this, &TPortOpening::Failed);
    connect(&Mapper, &TPortMapper::Closed, this, &TPortOpening::Closed);
    connect(&Session, &TNetSession::PortChanged, this, &TPortOpening::PortChanged);
    connect(&Session, &TNetSession::PeerAccepted, this, &TPortOpening::PeerAccepted);
    connect(&Session, &TNetSession::ConnectionClosed, this, &TPortOpening::ConnectionClosed);
    StateLine.installEventFilter(this);
}

bool TPortOpening::eventFilter(QObject *watched, QEvent *event) {
    if (watched != &StateLine || event->type() != QEvent::MouseButtonDblClick ||
        Stage != TStage::Open)
        return QObject::eventFilter(watched, event);
    const auto *click = static_cast<const QMouseEvent *>(event);
    if (click->position().y() >=
        StateLine.contentsRect().top() + StateLine.fontMetrics().lineSpacing())
        return QObject::eventFilter(watched, event); // the peer's line is the label's
    SelectAddress();
    return true;
}

void TPortOpening::BoxClicked() {
    if (Box.isChecked())
        Open();
    else
        Close();
}

void TPortOpening::RoleChosen(bool server) {
    Box.setEnabled(server);
    if (server)
        return;
    Box.setChecked(false);
    Close();
    if (Stage == TStage::Idle)
        Show({}); // what was said of the router was the server's business
}

// The line is set first: a mapper that cannot ask answers inside Open(). A settings file
// without a usable port gives no port to open (and no game to reach).
void TPortOpening::Open() {
    Session.SetSinglePeer(false);
    const int port = Session.Port();
    if (port < 1 || port > 65535) {
        const bool asked = Stage == TStage::Opening || Stage == TStage::Open;
        GiveUp(QStringLiteral("В файле настроек Korvalen.ini нет годного порта: ключ Port "
                              "должен быть числом от 1 до 65535."));
        if (asked)
            Mapper.Close(); // the old port is given back
        return;
    }
    Stage = TStage::Opening;
    Show(OpeningText);
    Mapper.Open(static_cast<quint16>(port));
}

void TPortOpening::Close() {
    Session.SetSinglePeer(false);
    if (Stage != TStage::Opening && Stage != TStage::Open)
        return;
    Stage = TStage::Closing;
    Show(ClosingText);
    Mapper.Close();
}

// An answer to an Open() that the user has taken back meanwhile only gives the mapping back.
void TPortOpening::Opened(const TPortMapping &mapping) {
    if (!Box.isChecked()) {
        Mapper.Close();
        return;
    }
    if (ClassifyExternalAddress(mapping.External) != TAddressKind::Public) {
        // Opening the port cannot help behind another NAT: it is not kept open for nothing.
        GiveUp(UnreachableText(mapping.External));
        Mapper.Close();
        return;
    }
    Stage = TStage::Open;
    External = mapping.External;
    // A copy connected before the port opened is there all the same, and keeps a friend out.
    const QHostAddress present = Session.Server().OldestPeer();
    PeerConnected = !present.isNull();
    Peer = PeerConnected ? present.toString() : QString();
    Session.SetSinglePeer(true);
    ShowOpen();
}

void TPortOpening::Failed(TPortFailure failure, const QString &detail) {
    if (!Box.isChecked())
        return;
    const std::optional<QHostAddress> unreachable =
        failure == TPortFailure::Refused ? UnreachableAddressIn(detail) : std::nullopt;
    GiveUp(unreachable ? UnreachableText(*unreachable) : FailureText(failure, Session.Port()));
}

void TPortOpening::Closed() {
    if (Stage == TStage::Closing) {
        Stage = TStage::Idle;
        Show({});
    } else if (Stage == TStage::Open) {
        GiveUp(QStringLiteral("Порт на роутере закрылся."));
    }
}

// The friend's copy dials the port of its own settings file: the same port must be open here.
void TPortOpening::PortChanged() {
    if (Stage == TStage::Opening || Stage == TStage::Open)
        Open(); // the mapper gives the old port back first
}

void TPortOpening::PeerAccepted(const QHostAddress &address) {
    if (Stage != TStage::Open)
        return;
    Peer = address.toString();
    PeerConnected = true;
    ShowOpen();
}

void TPortOpening::ConnectionClosed() {
    if (Stage != TStage::Open || !PeerConnected || Session.ConnectionCount() > 0)
        return;
    PeerConnected = false;
    ShowOpen();
}

// The box goes off, and the line says why.
void TPortOpening::GiveUp(const QString &reason) {
    Stage = TStage::Idle;
    Session.SetSinglePeer(false);
    Box.setChecked(false);
    Show(reason);
}

// The address comes selected, so that Ctrl+C in the line copies just the address.
void TPortOpening::ShowOpen() {
    QString text = AddressCaption + External.toString();
    if (!Peer.isEmpty())
        text +=
            (PeerConnected ? QStringLiteral("\nПодключился ") : QStringLiteral("\nОтключился ")) +
            Peer;
    Show(text);
    SelectAddress();
}

void TPortOpening::SelectAddress() {
    StateLine.setSelection(static_cast<int>(AddressCaption.size()),
                           static_cast<int>(External.toString().size()));
}

// Tab stops at the line only while it has something to read or copy.
void TPortOpening::Show(const QString &text) {
    StateLine.setText(text);
    StateLine.setFocusPolicy(text.isEmpty() ? Qt::NoFocus : Qt::StrongFocus);
}
