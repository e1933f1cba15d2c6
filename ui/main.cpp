// Korvalen: chess for two players at one computer or over a local network.
#include "Main.h"

#include "GameJournal.h"
#include "LanDiscovery.h"
#include "NetSession.h"
#include "Pictures.h"
#include "PortMapper.h"
#include "ProgramArguments.h"
#include "QuitSignals.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvalen"));
    // No display name: the desktop would append it to every window title that does not end
    // in it, and the taskbar must read exactly "Korvalen*" while the program wants attention.
    QApplication::setApplicationVersion(QStringLiteral(KORVALEN_VERSION));
    // On Wayland the window's app id: the desktop finds the program's entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KORVALEN_APP_ID));
    QApplication::setWindowIcon(ProgramIcon());

    // The interface is Russian whatever the user's locale, the standard dialogs included.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    const TProgramArguments arguments = ReadProgramArguments(QApplication::arguments());
    if (!arguments.Run) {
        std::fputs(arguments.Text.toLocal8Bit().constData(), arguments.ToError ? stderr : stdout);
        return arguments.ExitCode;
    }

    // A logout or Ctrl+C in the terminal ends the program as closing the window does: the
    // window goes, and with it the port opened on the router.
    TQuitSignals quitSignals;
    QObject::connect(&quitSignals, &TQuitSignals::Received, &application, &QApplication::quit);

    TMainForm mainForm;
    // The program finds and answers the other copies on the LAN, and asks the router for its
    // port when the user wants; the tests' windows do neither.
    mainForm.Session->Discovery().SetEnabled(true);
    mainForm.Session->PortMapper().SetEnabled(true);
    // The unfinished game is kept in the user's state folder; the tests' windows keep theirs
    // in folders of their own.
    mainForm.UseJournal(TGameJournal::UserFolder());
    mainForm.show();
    // The file given on the command line is loaded once the window is up, so that a box
    // about a bad file stands over the fresh game.
    if (!arguments.FileName.isEmpty())
        QTimer::singleShot(0, &mainForm,
                           [&mainForm, &arguments] { mainForm.LoadGameFile(arguments.FileName); });
    return QApplication::exec();
}
