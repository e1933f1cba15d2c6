// korvalen-kvl find: the servers on the LAN, as the window's address list finds them.
#pragma once

#include <QStringList>

class QIODevice;

// arguments: those after "find". Prints "ADDRESS PORT free|busy NAME" per server, ordered by
// address. Exit status: 0 at least one answered, 1 none did, 2 a usage error.
int FindCommand(const QStringList &arguments, QIODevice &out, QIODevice &err);
