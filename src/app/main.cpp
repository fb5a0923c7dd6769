#include "app/startup.h"
#include "record/recorddatabase.h"
#include "record/recordexport.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>

namespace {

void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Ravenmark"));
    QCoreApplication::setOrganizationName(QStringLiteral("Ravenmark"));
}

// --list-games and --export answer on the terminal and open no window, so they need no display.
int runRecordCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    nameApplication();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return recordexport::runCommand(QCoreApplication::arguments().mid(1), RecordDatabase::defaultPath(), out,
                                    err);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (recordexport::isRecordCommand(arguments)) {
        return runRecordCommand(argc, argv);
    }

    QApplication app(argc, argv);
    nameApplication();

    // Quitting is explicit: the start-up ends the program when the board closes, or when the
    // splash is closed without going on. Qt's "quit when the last window closes" would fire
    // inside GoScore, which closes the splash before the board is shown.
    QApplication::setQuitOnLastWindowClosed(false);

    Startup startup(QCoreApplication::arguments().mid(1));
    startup.start();

    return app.exec();
}
