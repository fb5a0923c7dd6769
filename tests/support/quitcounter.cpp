#include "support/quitcounter.h"

#include <QCoreApplication>

bool QuitCounter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && enabled) {
        ++count;
        return true;
    }
    return false;
}
