// What the network commands of korvalen-kvl share: writing, the usage error and the port
// option.
#pragma once

#include <QStringList>
#include <optional>

class QIODevice;

void WriteText(QIODevice &device, const QString &text);
// Prints the problem with a hint to --help; returns the usage error's exit status, 2.
int UsageError(QIODevice &err, const QString &problem);
// A whole decimal number from `lowest` to `highest`.
std::optional<int> NumberIn(const QString &text, int lowest, int highest);
// The value of --port, 1 to 65535; nothing, with the problem, when it is no port.
std::optional<quint16> PortValue(const QString &text, QString *problem);
