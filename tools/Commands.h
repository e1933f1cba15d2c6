// The commands of korvalen-kvl, callable without a process: the arguments after the program
// name go in, the exit status comes out, and the output goes to the two devices.
#pragma once

#include <QStringList>

class QIODevice;

// Exit status: 0 done, 1 a file, game or position could not be used, 2 a usage error.
int RunKvl(const QStringList &arguments, QIODevice &out, QIODevice &err);

// The usage text printed by --help.
QString KvlHelpText();
