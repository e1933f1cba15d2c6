// korvalen-kvl list: the games of a PGN collection, one line each, from the index of the file
// (no move is played unless the games are checked).
#pragma once

#include <QString>

class QIODevice;

// Prints "NUMBER\tWHITE\tBLACK\tRESULT\tDATE\tEVENT\tHALF-MOVES" per game; with check, each
// game is played through and a last column says "ok" or why it cannot be. Exit status: 0 done,
// 1 the file could not be read or (checking) a game could not be played.
int ListGames(const QString &path, bool check, QIODevice &out, QIODevice &err);
