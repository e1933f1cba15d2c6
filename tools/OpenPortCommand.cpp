#include "OpenPortCommand.h"

#include "CommandLine.h"
#include "PortMapper.h"
#include "Settings.h"
#include "QuitSignals.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QIODevice>
#include <optional>

namespace {

std::optional<quint16> ParsePort(const QStringList &arguments, QString *problem) {
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("port"), QString(), QStringLiteral("P")));
    if (!parser.parse(QStringList{QStringLiteral("open-port")} + arguments)) {
        *problem = parser.errorText().toLower();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *problem = QStringLiteral("open-port takes no argument '%1'")
                       .arg(parser.positionalArguments().front());
        return std::nullopt;
    }
    if (!parser.isSet(QStringLiteral("port")))
        return static_cast<quint16>(QString(DefaultPort).toUShort());
    return PortValue(parser.value(QStringLiteral("port")), problem);
}

QString Reason(TPortFailure failure, quint16 port) {
    switch (failure) {
    case TPortFailure::NoRouter:
        return QStringLiteral("no router answered (UPnP and NAT-PMP are off or absent)");
    case TPortFailure::PortTaken:
        return QStringLiteral("the router forwards port %1 to another computer already").arg(port);
    case TPortFailure::Refused:
        return QStringLiteral("the router refused to open port %1").arg(port);
    }
    return {};
}

} // namespace

int OpenPortCommand(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    QString problem;
    const std::optional<quint16> port = ParsePort(arguments, &problem);
    if (!port)
        return UsageError(err, problem);

    // Watched before the router is asked, so that a stop while it answers gives back what
    // it granted too.
    const TQuitSignals stops;
    int status = 1;
    QEventLoop loop;
    {
        TPortMapper mapper;
        mapper.SetEnabled(true);
        QObject::connect(&mapper, &TPortMapper::Opened, &loop, [&out](const TPortMapping &mapping) {
            WriteText(out, QStringLiteral("%1 %2 %3\n")
                               .arg(mapping.External.toString())
                               .arg(mapping.Port)
                               .arg(MethodName(mapping.Method)));
        });
        QObject::connect(
            &mapper, &TPortMapper::Failed, &loop, [&](TPortFailure failure, const QString &detail) {
                WriteText(
                    err,
                    QStringLiteral("korvalen-kvl: %1 [%2]\n").arg(Reason(failure, *port), detail));
                status = 1;
                loop.quit();
            });
        QObject::connect(&stops, &TQuitSignals::Received, &loop, [&] {
            if (mapper.IsOpen()) {
                status = 0;
            } else {
                WriteText(err, QStringLiteral("korvalen-kvl: stopped before the port was open\n"));
            }
            loop.quit();
        });
        mapper.Open(*port);
        loop.exec();
    } // the mapper gives the port back as it goes
    return status;
}
