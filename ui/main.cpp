// Korvalen: chess for two players at one computer or over a local network.
#include "Main.h"

#include "Pictures.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvalen"));
    // No display name: the desktop would append it to every window title that does not end
    // in it, and the taskbar must read exactly "Korvalen*" while the program wants attention.
    QApplication::setApplicationVersion(QStringLiteral(KORVALEN_VERSION));
    QApplication::setWindowIcon(ProgramIcon());

    // The interface is Russian whatever the user's locale, the standard dialogs included.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    TMainForm mainForm;
    mainForm.show();
    return QApplication::exec();
}
