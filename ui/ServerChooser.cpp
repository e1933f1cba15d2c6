#include "ServerChooser.h"

#include "LanDiscovery.h"
#include "LanProber.h"
#include "NetSession.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int ButtonGap = 2;
// The answers to one probe come within milliseconds of each other on a LAN: the field is filled
// once they have had this long, so that the first of two free servers is not taken for the one.
constexpr int AnswersSettle = 250;

QString Address(const TFoundServer &server) {
    return server.Address.toString();
}

} // namespace

TServerChooser::TServerChooser(QLineEdit &field, TNetSession &session)
    : QObject(field.parentWidget()), Field(field), Session(session),
      btServers(new QToolButton(field.parentWidget())), mnServers(new QMenu(&field)),
      Settle(new QTimer(this)) {
    Settle->setSingleShot(true);
    Settle->setInterval(AnswersSettle);
    connect(Settle, &QTimer::timeout, this, &TServerChooser::FillFieldByItself);
    btServers->setObjectName(QStringLiteral("btServers"));
    btServers->setArrowType(Qt::DownArrow);
    btServers->setGeometry(field.geometry().right() + 1 + ButtonGap, field.y(), field.height(),
                           field.height());
    btServers->setToolTip(QStringLiteral("Серверы в сети"));
    btServers->setAccessibleName(QStringLiteral("Серверы в сети"));
    btServers->setEnabled(field.isEnabled());
    mnServers->setObjectName(QStringLiteral("mnServers"));
    connect(btServers, &QToolButton::clicked, this, &TServerChooser::ShowList);
    connect(&field, &QLineEdit::textEdited, this, [this] { Edited = true; });
    connect(&session, &TNetSession::ServersFound, this, &TServerChooser::ServersFound);
    field.installEventFilter(this);
}

QString TServerChooser::EntryText(const TFoundServer &server) {
    const QString state = server.Busy ? QStringLiteral("(занят)") : QStringLiteral("(свободен)");
    if (server.Name.isEmpty())
        return Address(server) + u' ' + state;
    return Address(server) + QStringLiteral(" — ") + server.Name + u' ' + state;
}

// A fresh probe goes out as the list opens; what answers it joins the open list.
void TServerChooser::ShowList() {
    if (!Field.isEnabled())
        return;
    Session.Discovery().FindNow();
    FillList();
    mnServers->popup(Field.mapToGlobal(QPoint(0, Field.height())));
}

bool TServerChooser::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &Field && event->type() == QEvent::EnabledChange) {
        btServers->setEnabled(Field.isEnabled());
        Edited = false; // the client role was chosen, or left
    } else if (watched == &Field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier))) {
            ShowList();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TServerChooser::ServersFound() {
    if (mnServers->isVisible())
        FillList();
    Settle->start();
}

void TServerChooser::FillList() {
    mnServers->clear();
    const QList<TFoundServer> &servers = Session.Discovery().Servers();
    if (servers.isEmpty())
        mnServers->addAction(QStringLiteral("Серверы не найдены"))->setEnabled(false);
    for (const TFoundServer &server : servers) {
        const QString address = Address(server);
        // One change of the text, exactly as typing it would make.
        connect(mnServers->addAction(EntryText(server)), &QAction::triggered, this,
                [this, address] { Field.setText(address); });
    }
}

void TServerChooser::FillFieldByItself() {
    if (!Field.isEnabled() || Edited || !Field.text().isEmpty())
        return;
    const TFoundServer *free = nullptr;
    for (const TFoundServer &server : Session.Discovery().Servers()) {
        if (server.Busy)
            continue;
        if (free)
            return; // more than one: the user chooses
        free = &server;
    }
    if (free)
        Field.setText(Address(*free));
}
