// korvalen-kvl open-port: the game port opened on the home router, as the window's box does,
// for as long as the command runs.
#pragma once

#include <QStringList>

class QIODevice;

// arguments: those after "open-port". Prints "EXTERNAL_ADDRESS PORT METHOD" once the router
// granted the port, keeps it open until SIGINT or SIGTERM, then gives it back. Exit status: 0
// given back after a stop, 1 the router could not be asked or said no (the reason on `err`),
// 2 a usage error.
int OpenPortCommand(const QStringList &arguments, QIODevice &out, QIODevice &err);
