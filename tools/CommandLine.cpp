#include "CommandLine.h"

#include <QFile>
#include <QIODevice>

// Written at once: a caller waiting for a line of a command that goes on running reads it
// while the command still runs.
void WriteText(QIODevice &device, const QString &text) {
    device.write(text.toUtf8());
    if (auto *file = qobject_cast<QFile *>(&device))
        file->flush();
}

int UsageError(QIODevice &err, const QString &problem) {
    WriteText(err,
              QStringLiteral("korvalen-kvl: %1\nTry 'korvalen-kvl --help' for more information.\n")
                  .arg(problem));
    return 2;
}

std::optional<int> NumberIn(const QString &text, int lowest, int highest) {
    bool converts = false;
    const int value = text.toInt(&converts, 10);
    if (!converts || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<quint16> PortValue(const QString &text, QString *problem) {
    const std::optional<int> port = NumberIn(text, 1, 65535);
    if (!port) {
        *problem = QStringLiteral("--port needs a port from 1 to 65535");
        return std::nullopt;
    }
    return static_cast<quint16>(*port);
}
