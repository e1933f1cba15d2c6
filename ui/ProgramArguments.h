// The program's command line: at most one saved game (.kvl or .pgn) to open at start-up, as
// the file manager passes it; --help and --version print and end the program.
#pragma once

#include <QString>
#include <QStringList>

struct TProgramArguments {
    bool Run = true;      // false: print Text and exit with ExitCode
    QString FileName;     // the game to load once the window is up; empty for none
    QString Text;         // what to print instead of running
    int ExitCode = 0;     // 0 after --help / --version, 2 for a command line that is not usable
    bool ToError = false; // Text belongs on the error output
};

// arguments: as QCoreApplication::arguments() gives them, the program's name first.
TProgramArguments ReadProgramArguments(const QStringList &arguments);
