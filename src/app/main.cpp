#include "app/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravenmark"));
    QApplication::setOrganizationName(QStringLiteral("Ravenmark"));

    // Quitting is explicit: the start-up ends the program when the board closes, or when the
    // splash is closed without going on. Qt's "quit when the last window closes" would fire
    // inside GoScore, which closes the splash before the board is shown.
    QApplication::setQuitOnLastWindowClosed(false);

    Startup startup(QCoreApplication::arguments().mid(1));
    startup.start();

    return app.exec();
}
