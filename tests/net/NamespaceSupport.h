// Private networks for the tests (and benchmarks) that need real network stacks. The process
// moves into a network namespace of its own before anything else runs; neighbours are named
// namespaces joined to it by a virtual cable (`lanN` on this side, `lan0` on theirs) with
// addresses 10.213.N.1 and 10.213.N.2, removed when the neighbour ends. Nothing sent inside
// ever reaches a real network.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <unistd.h>

// Runs a shell command; true when it exited with 0.
inline bool RunShell(const QString &command) {
    return QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}) == 0;
}

// The program the process starts ends with this test, however the test ends (an abort under a
// sanitizer runs no destructor), so no copy is left serving in a namespace.
inline void EndWithThisProcess(QProcess &process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// Neighbours left behind by a test run that was killed: their names carry its process number.
inline void RemoveStaleNeighbours() {
    RunShell(QStringLiteral(
        "for n in $(ip netns list | sed -n 's/^\\(kvl[0-9]*n[0-9]*\\).*/\\1/p'); do "
        "pid=${n#kvl}; pid=${pid%%n*}; [ -d /proc/$pid ] || ip netns del $n; done"));
}

// Moves this process into a network namespace of its own and brings up its loopback. Call it
// first thing in main(), while the process has one thread. Empty when done, else why not (the
// tests then skip with it).
inline QString EnterPrivateNetwork() {
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("no private network namespace (needs root): skipped");
    // Before the application object exists, so not through QProcess.
    if (std::system("ip link set lo up") != 0)
        return QStringLiteral("the 'ip' tool could not bring up loopback: skipped");
    return {};
}

// A rule that drops packets to or from an address ("to 127.0.0.2", "from 127.0.0.2") while it
// lives. The first one puts the local table behind the rules (it normally comes first, and
// would deliver loopback packets before any rule is looked at).
class TBlackholeRule {
public:
    TBlackholeRule(const QString &selector, int preference)
        : Rule(QStringLiteral("pref %1 %2 blackhole").arg(preference).arg(selector)) {
        Added = RunShell(QStringLiteral("{ ip rule show pref 100 | grep -q local || "
                                        "ip rule add pref 100 lookup local; } && "
                                        "{ ip rule del pref 0 2>/dev/null; true; } && "
                                        "ip rule add ") +
                         Rule);
    }
    ~TBlackholeRule() { Remove(); }
    TBlackholeRule(const TBlackholeRule &) = delete;
    TBlackholeRule &operator=(const TBlackholeRule &) = delete;

    bool IsAdded() const { return Added; }
    void Remove() {
        if (Added)
            RunShell(QStringLiteral("ip rule del ") + Rule);
        Added = false;
    }

private:
    const QString Rule;
    bool Added = false;
};

// Another computer on a LAN of its own with this process: a named namespace behind a cable.
// A neighbour may also be joined to another neighbour instead (`behind`, its name; the
// internet behind a router), and take its addresses from another network than 10.213.
class TNeighbour {
public:
    explicit TNeighbour(int subnet, const QString &behind = {},
                        const QString &network = QStringLiteral("10.213"))
        : Local(QStringLiteral("lan%1").arg(subnet)),
          LocalIp(behind.isEmpty() ? QStringLiteral("ip") : QStringLiteral("ip -n ") + behind),
          Name(QStringLiteral("kvl%1n%2").arg(QCoreApplication::applicationPid()).arg(subnet)),
          Address(QStringLiteral("%1.%2.2").arg(network).arg(subnet)),
          LocalAddress(QStringLiteral("%1.%2.1").arg(network).arg(subnet)) {
        const QString &local = Local;
        IsReady =
            RunShell(QStringLiteral("ip netns add %1 && "
                                    "%5 link add %2 type veth peer name lan0 netns %1 && "
                                    "%5 addr add %3/24 broadcast + dev %2 && %5 link set %2 up && "
                                    "ip -n %1 addr add %4/24 broadcast + dev lan0 && "
                                    "ip -n %1 link set lan0 up && ip -n %1 link set lo up")
                         .arg(Name, local, LocalAddress, Address, LocalIp));
        // A probe goes out only on a cable that is plugged in at both ends.
        for (int wait = 0; IsReady && wait < 100; ++wait) {
            if (RunShell(QStringLiteral("%1 link show %2 | grep -q LOWER_UP").arg(LocalIp, local)))
                return;
            QThread::msleep(20);
        }
        IsReady = false;
    }
    // The cable is unplugged at once: the namespace itself may take a while to go.
    ~TNeighbour() {
        RunShell(QStringLiteral("%1 link del %2 2>/dev/null; ip netns del %3 2>/dev/null")
                     .arg(LocalIp, Local, Name));
    }
    TNeighbour(const TNeighbour &) = delete;
    TNeighbour &operator=(const TNeighbour &) = delete;

    bool Ready() const { return IsReady; }
    // A program run inside the neighbour: the arguments for QProcess with "ip" as program.
    QStringList Exec(const QString &program, const QStringList &arguments) const {
        return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), Name, program} +
               arguments;
    }

private:
    const QString Local;   // this side's end of the cable
    const QString LocalIp; // "ip", in the namespace of this side's end

public:
    const QString Name;
    const QString Address;      // the neighbour's own
    const QString LocalAddress; // this side's on the same cable

private:
    bool IsReady = false;
};

// While one lives, the sockets this thread makes are made inside the neighbour's namespace;
// they stay there after it ends.
class TInsideNeighbour {
public:
    explicit TInsideNeighbour(const TNeighbour &neighbour)
        : Own(::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC)) {
        const QByteArray path = QFile::encodeName(QStringLiteral("/run/netns/") + neighbour.Name);
        const int target = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        Entered = Own >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (target >= 0)
            ::close(target);
    }
    ~TInsideNeighbour() {
        if (Entered)
            ::setns(Own, CLONE_NEWNET);
        if (Own >= 0)
            ::close(Own);
    }
    TInsideNeighbour(const TInsideNeighbour &) = delete;
    TInsideNeighbour &operator=(const TInsideNeighbour &) = delete;

    bool Entered = false;

private:
    const int Own;
};
