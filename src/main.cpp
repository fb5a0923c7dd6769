#include "settings/frmsplash.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravenmark"));
    QApplication::setOrganizationName(QStringLiteral("Ravenmark"));

    // Quitting is explicit: the scoreboard calls qApp->quit() when it closes, and the splash
    // ends the program when it is closed without going on to the board. Qt's "quit when the
    // last window closes" would fire inside GoScore, which closes the splash before the
    // board is shown.
    QApplication::setQuitOnLastWindowClosed(false);

    // The splash places itself, loads the settings and then shows itself or, started with
    // "bypass", goes straight on to the board. It deletes itself when it closes.
    new frmSplash(QCoreApplication::arguments().mid(1));

    return app.exec();
}
