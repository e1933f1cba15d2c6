// korvalen-kvl: the command-line companion. All of its work is in Commands.cpp.
#include "Commands.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[]) {
    const QCoreApplication application(argc, argv);
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    return RunKvl(QCoreApplication::arguments().mid(1), out, err);
}
