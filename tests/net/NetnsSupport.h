// For the tests that need a network of their own: the process moves into a private network
// namespace, where routing rules can drop traffic as a lost packet or a vanished computer
// would, and nothing it does reaches the machine's own network. Root only; without it the
// tests skip.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <sched.h>

// Runs one shell command line; true when it exits with 0.
inline bool RunShell(const QString &command) {
    return QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}) == 0;
}

// Moves the process into a network namespace of its own with loopback up. Call it first in
// main(), while the process has one thread. Empty on success, else why not (then skip).
inline QString EnterOwnNetworkNamespace() {
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("no private network namespace (needs root): skipped");
    if (!RunShell(QStringLiteral("ip link set lo up")))
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
