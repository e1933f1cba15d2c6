#include "FindCommand.h"

#include "CommandLine.h"
#include "LanProber.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QIODevice>
#include <QTimer>
#include <optional>

namespace {

constexpr int DefaultWait = 1500;
constexpr int MaxWait = 600000;
constexpr int DefaultPort = 6464;
// A probe lost on the way is made good by the next one.
constexpr int ProbeInterval = 500;

struct TFindOptions {
    int Wait = DefaultWait;
    quint16 Port = DefaultPort;
};

std::optional<TFindOptions> ParseFindOptions(const QStringList &arguments, QString *problem) {
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("wait"), QString(), QStringLiteral("MS")));
    parser.addOption(QCommandLineOption(QStringLiteral("port"), QString(), QStringLiteral("P")));
    if (!parser.parse(QStringList{QStringLiteral("find")} + arguments)) {
        *problem = parser.errorText().toLower();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *problem =
            QStringLiteral("find takes no argument '%1'").arg(parser.positionalArguments().front());
        return std::nullopt;
    }
    TFindOptions options;
    if (parser.isSet(QStringLiteral("wait"))) {
        const std::optional<int> wait = NumberIn(parser.value(QStringLiteral("wait")), 0, MaxWait);
        if (!wait) {
            *problem = QStringLiteral("--wait needs milliseconds from 0 to %1").arg(MaxWait);
            return std::nullopt;
        }
        options.Wait = *wait;
    }
    if (parser.isSet(QStringLiteral("port"))) {
        const std::optional<quint16> port =
            PortValue(parser.value(QStringLiteral("port")), problem);
        if (!port)
            return std::nullopt;
        options.Port = *port;
    }
    return options;
}

} // namespace

int FindCommand(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    QString problem;
    const std::optional<TFindOptions> options = ParseFindOptions(arguments, &problem);
    if (!options)
        return UsageError(err, problem);

    TLanProber prober;
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, &prober,
                     [&prober, &options] { prober.Probe(options->Port); });
    again.start(ProbeInterval);
    prober.Probe(options->Port);
    QEventLoop loop;
    QTimer::singleShot(options->Wait, &loop, &QEventLoop::quit);
    loop.exec();

    for (const TFoundServer &server : prober.Servers())
        WriteText(out, QStringLiteral("%1 %2 %3 %4\n")
                           .arg(server.Address.toString())
                           .arg(server.Port)
                           .arg(server.Busy ? QStringLiteral("busy") : QStringLiteral("free"),
                                server.Name));
    return prober.Servers().isEmpty() ? 1 : 0;
}
