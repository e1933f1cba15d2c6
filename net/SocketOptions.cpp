#include "SocketOptions.h"

#include <QAbstractSocket>
#include <QVariant>

#ifdef Q_OS_LINUX
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#endif

void PrepareConnection(QAbstractSocket &socket, const TDeadPeerTimes &times) {
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, QVariant(1));
    socket.setSocketOption(QAbstractSocket::LowDelayOption, QVariant(1));
#ifdef Q_OS_LINUX
    const auto descriptor = static_cast<int>(socket.socketDescriptor());
    if (descriptor < 0)
        return;
    const auto set = [descriptor](int option, int value) {
        ::setsockopt(descriptor, IPPROTO_TCP, option, &value, sizeof value);
    };
    set(TCP_KEEPIDLE, times.IdleSeconds);
    set(TCP_KEEPINTVL, times.IntervalSeconds);
    set(TCP_KEEPCNT, times.Probes);
    set(TCP_USER_TIMEOUT, times.UnacknowledgedMs);
#else
    Q_UNUSED(times);
#endif
}

std::optional<int> UnacknowledgedBytes(const QAbstractSocket &socket) {
#ifdef Q_OS_LINUX
    const auto descriptor = static_cast<int>(socket.socketDescriptor());
    int bytes = 0;
    if (descriptor >= 0 && ::ioctl(descriptor, SIOCOUTQ, &bytes) == 0)
        return bytes;
#else
    Q_UNUSED(socket);
#endif
    return std::nullopt;
}
