// A home network with a router, for the tests and benchmarks of opening the game port. This
// process is the home computer (10.213.1.1); a neighbour is the router (10.213.1.2 on the
// home side), running miniupnpd with UPnP and NAT-PMP and NAT between its sides; another
// computer of the home (10.213.2.2) hangs on the router too; behind the router is the internet
// (11.64.64.0/24), with the friend's computer at 11.64.64.2. The router's WAN address is a
// public one because miniupnpd maps nothing behind a private or reserved WAN address (it takes
// that for a second NAT); the network exists only inside these namespaces.
#pragma once

#include "NamespaceSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

class TRouterNetwork {
public:
    TRouterNetwork()
        : Router(1), Other(2, Router.Name), Internet(64, Router.Name, QStringLiteral("11.64")) {
        IsReady = Router.Ready() && Other.Ready() && Internet.Ready() && Folder.isValid() &&
                  RunShell(QStringLiteral("ip route add default via %1 && "
                                          "ip -n %2 route add default via %3 && "
                                          "ip netns exec %4 sysctl -qw net.ipv4.ip_forward=1")
                               .arg(Router.Address, Other.Name, Other.LocalAddress, Router.Name));
    }
    ~TRouterNetwork() { StopDaemon(); }
    TRouterNetwork(const TRouterNetwork &) = delete;
    TRouterNetwork &operator=(const TRouterNetwork &) = delete;

    // Why the router tests cannot run here; empty when they can.
    static QString Unavailable() {
        for (const char *tool : {"miniupnpd", "nft", "upnpc", "natpmpc"}) {
            if (QStandardPaths::findExecutable(
                    QLatin1String(tool), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")})
                    .isEmpty())
                return QStringLiteral("%1 is not installed: skipped").arg(QLatin1String(tool));
        }
        return {};
    }

    bool Ready() const { return IsReady; }

    // A router with a fresh table: no mapping, NAT-PMP always, UPnP when asked. False when the
    // daemon did not come up.
    bool StartDaemon(bool upnp = true) {
        StopDaemon();
        QFile::remove(QDir(Folder.path()).filePath(QStringLiteral("leases")));
        Log.clear();
        const QString config = QDir(Folder.path()).filePath(QStringLiteral("miniupnpd.conf"));
        if (!RunShell(QStringLiteral("ip netns exec %1 nft -f - <<'EOF'\n%2EOF\n")
                          .arg(Router.Name, Ruleset())) ||
            !Write(config, Configuration(upnp)))
            return false;
        Daemon.setProcessChannelMode(QProcess::MergedChannels);
        EndWithThisProcess(Daemon);
        Daemon.start(
            QStringLiteral("ip"),
            Router.Exec(QStringLiteral("miniupnpd"),
                        {QStringLiteral("-d"), QStringLiteral("-f"), config, QStringLiteral("-P"),
                         QDir(Folder.path()).filePath(QStringLiteral("pid"))}));
        // It logs each step; NAT-PMP's socket is the last to open.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000 && Daemon.state() != QProcess::NotRunning) {
            Log += Daemon.readAll();
            if (Log.contains("Listening for NAT-PMP"))
                return true;
            Daemon.waitForReadyRead(100);
        }
        return false;
    }
    void StopDaemon() {
        if (Daemon.state() == QProcess::NotRunning)
            return;
        Daemon.terminate();
        if (!Daemon.waitForFinished(3000))
            Daemon.kill();
        Daemon.waitForFinished(3000);
        Log += Daemon.readAll();
    }
    // What the daemon said so far.
    QByteArray DaemonLog() {
        Log += Daemon.readAll();
        return Log;
    }

    // The forwardings the router's NAT holds now, as "EXTERNAL_PORT ADDRESS:PORT", asked of
    // the router's own rules (not of the daemon, which might be wrong about them).
    QStringList Mappings() const {
        QProcess nft;
        nft.start(
            QStringLiteral("ip"),
            Router.Exec(QStringLiteral("nft"),
                        {QStringLiteral("list"), QStringLiteral("chain"), QStringLiteral("inet"),
                         TableName, QStringLiteral("prerouting_miniupnpd")}));
        nft.waitForFinished(5000);
        static const QRegularExpression dnat(
            QStringLiteral(R"(dport (\d+) dnat ip to ([\d.]+:\d+))"));
        QStringList mappings;
        for (const QRegularExpressionMatch &match :
             dnat.globalMatch(QString::fromLatin1(nft.readAllStandardOutput())))
            mappings.append(match.captured(1) + u' ' + match.captured(2));
        mappings.sort();
        return mappings;
    }
    // "PORT ADDRESS:PORT", as Mappings() shows one.
    static QString Mapping(quint16 port, const QString &address) {
        return QStringLiteral("%1 %2:%1").arg(port).arg(address);
    }

    // The other computer of the home has the port forwarded to itself, by UPnP or NAT-PMP,
    // for `leaseSeconds`.
    bool ForwardToOther(quint16 port, bool byUpnp, int leaseSeconds = 3600) {
        const QString text = QString::number(port);
        const QString lease = QString::number(leaseSeconds);
        const QStringList arguments = byUpnp ? QStringList{QStringLiteral("-a"),
                                                           QStringLiteral("@"),
                                                           text,
                                                           text,
                                                           QStringLiteral("TCP"),
                                                           lease}
                                             : QStringList{QStringLiteral("-g"),
                                                           Other.LocalAddress,
                                                           QStringLiteral("-a"),
                                                           text,
                                                           text,
                                                           QStringLiteral("tcp"),
                                                           lease};
        QProcess client;
        client.start(
            QStringLiteral("ip"),
            Other.Exec(byUpnp ? QStringLiteral("upnpc") : QStringLiteral("natpmpc"), arguments));
        return client.waitForFinished(10000) && client.exitCode() == 0 &&
               Mappings().contains(Mapping(port, OtherAddress()));
    }

    QString HomeAddress() const { return Router.LocalAddress; }
    QString OtherAddress() const { return Other.Address; }
    // The router's address on the internet: the one the friend dials.
    QString ExternalAddress() const { return Internet.LocalAddress; }
    const TNeighbour &Friend() const { return Internet; }

private:
    static inline const QString TableName = QStringLiteral("kvlrouter");

    // A router's firewall: the home may go out, the internet may come in only where the daemon
    // forwards it, and what goes out leaves with the router's address.
    static QString Ruleset() {
        return QStringLiteral(
                   "table inet %1\ndelete table inet %1\n"
                   "table inet %1 {\n"
                   " chain forward { type filter hook forward priority 0; policy drop;\n"
                   "  ct state established,related accept\n"
                   "  iifname != \"lan64\" oifname \"lan64\" accept\n"
                   "  jump miniupnpd; }\n"
                   " chain miniupnpd { }\n"
                   " chain prerouting { type nat hook prerouting priority -100; policy accept;\n"
                   "  jump prerouting_miniupnpd; }\n"
                   " chain postrouting { type nat hook postrouting priority 100; policy accept;\n"
                   "  jump postrouting_miniupnpd\n"
                   "  oifname \"lan64\" masquerade; }\n"
                   " chain prerouting_miniupnpd { }\n"
                   " chain postrouting_miniupnpd { }\n"
                   "}\n")
            .arg(TableName);
    }
    // Secure mode, as routers ship: a computer may map ports to itself only.
    QString Configuration(bool upnp) const {
        const QDir folder(Folder.path());
        return QStringLiteral("ext_ifname=lan64\n"
                              "listening_ip=lan0\n"
                              "listening_ip=lan2\n"
                              "port=0\n"
                              "enable_upnp=%1\n"
                              "enable_natpmp=yes\n"
                              "secure_mode=yes\n"
                              "lease_file=%2\n"
                              "minissdpdsocket=%3\n"
                              "upnp_table_name=%4\n"
                              "upnp_nat_table_name=%4\n"
                              "uuid=8c0f62b4-1d2e-4c5a-9f1b-6a7d2e3c4b5a\n"
                              "allow 1024-65535 10.213.0.0/16 1024-65535\n"
                              "deny 0-65535 0.0.0.0/0 0-65535\n")
            .arg(upnp ? QStringLiteral("yes") : QStringLiteral("no"),
                 folder.filePath(QStringLiteral("leases")),
                 folder.filePath(QStringLiteral("no-minissdpd.sock")), TableName);
    }
    static bool Write(const QString &path, const QString &text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
    }

    TNeighbour Router;
    TNeighbour Other;
    TNeighbour Internet;
    QTemporaryDir Folder;
    QProcess Daemon;
    QByteArray Log;
    bool IsReady = false;
};
