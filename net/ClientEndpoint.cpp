#include "ClientEndpoint.h"

#include "Connection.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpSocket>
#include <optional>

namespace {

// Only the four-part dotted form names the server; a host name is never looked up, and the
// short and hexadecimal forms that Qt would also take are refused.
std::optional<QHostAddress> DottedIPv4(const QString &text) {
    static const QRegularExpression dotted(QStringLiteral(R"(^\d{1,3}(\.\d{1,3}){3}$)"));
    const QString trimmed = text.trimmed();
    if (!dotted.match(trimmed).hasMatch())
        return std::nullopt;
    QHostAddress address;
    if (!address.setAddress(trimmed) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return std::nullopt;
    return address;
}

} // namespace

TClientEndpoint::TClientEndpoint(QObject *parent) : TEndpoint(parent) {}

TClientEndpoint::~TClientEndpoint() {
    // Ending with the window: the connection goes with its parent, without notifications.
    if (Connection)
        Connection->disconnect(this);
}

void TClientEndpoint::Open() {
    if (Active())
        return;
    DropAttempt();
    const std::optional<QHostAddress> address = DottedIPv4(AddressText);
    if (!address || Port() < 1 || Port() > 65535)
        return;
    Attempt = new QTcpSocket(this); // owned by this endpoint until connected
    connect(Attempt, &QTcpSocket::connected, this, &TClientEndpoint::Connected);
    // A refused or unreachable server leaves the attempt as it is; the next Open() replaces it.
    Attempt->connectToHost(*address, static_cast<quint16>(Port()));
}

void TClientEndpoint::Close() {
    DropAttempt();
    if (Connection)
        Connection->Close(); // its Closed() notifies
}

bool TClientEndpoint::Active() const {
    return Connection && Connection->IsOpen();
}

bool TClientEndpoint::Send(const QByteArray &message) {
    return Connection && Connection->Send(message);
}

void TClientEndpoint::Connected() {
    QTcpSocket *socket = Attempt;
    Attempt = nullptr;
    if (!socket)
        return;
    socket->disconnect(this);
    TConnection *connection = TakeConnection(socket);
    connect(connection, &TConnection::Closed, this, [this, connection] {
        if (Connection == connection)
            Connection = nullptr;
        emit ConnectionClosed();
    });
    Connection = connection;
    emit ConnectionOpened();
}

void TClientEndpoint::DropAttempt() {
    if (!Attempt)
        return;
    Attempt->disconnect(this);
    Attempt->abort();
    Attempt->deleteLater();
    Attempt = nullptr;
}
