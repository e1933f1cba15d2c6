// Shared by the LAN tests and benchmarks: server copies started in neighbours, and what the
// tests ask of the network from this side.
#pragma once

#include "NamespaceSupport.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <memory>

// A server copy (lan_server_copy) running in a neighbour under a computer name.
class TServerCopy {
public:
    TServerCopy(const TNeighbour &neighbour, quint16 port, const QString &name) {
        Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        EndWithThisProcess(Process);
        Process.start(QStringLiteral("ip"), neighbour.Exec(QStringLiteral(KORVALEN_LAN_SERVER_COPY),
                                                           {QString::number(port), name}));
        IsListening = WaitFor("listening");
    }
    ~TServerCopy() {
        Process.kill();
        Process.waitForFinished(5000);
    }
    TServerCopy(const TServerCopy &) = delete;
    TServerCopy &operator=(const TServerCopy &) = delete;

    bool Listening() const { return IsListening; }
    qint64 Pid() const { return Process.processId(); }

    // Waits for the copy to say this line (a line said before counts once).
    bool WaitFor(const QByteArray &line, int milliseconds = 10000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            while (Process.canReadLine()) {
                if (Process.readLine().trimmed() == line)
                    return true;
            }
            if (Process.state() == QProcess::NotRunning)
                return false;
            Process.waitForReadyRead(100);
        }
        return false;
    }

    // The processor time the copy has used so far, in ms (user and system).
    qint64 CpuMilliseconds() const {
        // ip netns exec replaces itself with the copy, so the process is the copy.
        QFile stat(QStringLiteral("/proc/%1/stat").arg(Pid()));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const long ticks = ::sysconf(_SC_CLK_TCK);
        return (fields.value(11).toLongLong() + fields.value(12).toLongLong()) * 1000 / ticks;
    }

private:
    QProcess Process;
    bool IsListening = false;
};

// A port nobody here listens on: the neighbours are fresh, so it is free there too.
inline quint16 FreeLanPort() {
    QTcpServer server;
    server.listen(QHostAddress::AnyIPv4, 0);
    return server.serverPort();
}
