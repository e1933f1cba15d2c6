#include "FindCommand.h"

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

void Write(QIODevice &device, const QString &text) {
    device.write(text.toUtf8());
}

int UsageError(QIODevice &err, const QString &problem) {
    Write(err, QStringLiteral("korvalen-kvl: %1\nTry 'korvalen-kvl --help' for more information.\n")
                   .arg(problem));
    return 2;
}

std::optional<int> Number(const QString &text, int lowest, int highest) {
    bool converts = false;
    const int value = text.toInt(&converts, 10);
    if (!converts || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

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
        const std::optional<int> wait = Number(parser.value(QStringLiteral("wait")), 0, MaxWait);
        if (!wait) {
            *problem = QStringLiteral("--wait needs milliseconds from 0 to %1").arg(MaxWait);
            return std::nullopt;
        }
        options.Wait = *wait;
    }
    if (parser.isSet(QStringLiteral("port"))) {
        const std::optional<int> port = Number(parser.value(QStringLiteral("port")), 1, 65535);
        if (!port) {
            *problem = QStringLiteral("--port needs a port from 1 to 65535");
            return std::nullopt;
        }
        options.Port = static_cast<quint16>(*port);
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
        Write(out,
              QStringLiteral("%1 %2 %3 %4\n")
                  .arg(server.Address.toString())
                  .arg(server.Port)
                  .arg(server.Busy ? QStringLiteral("busy") : QStringLiteral("free"), server.Name));
    return prober.Servers().isEmpty() ? 1 : 0;
}
