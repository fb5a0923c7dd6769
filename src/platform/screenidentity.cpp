#include "platform/screenidentity.h"

#include <QGuiApplication>
#include <QScreen>

ScreenIdentity identityOf(const QScreen& screen) {
    return {screen.name(), screen.model(), screen.serialNumber()};
}

bool screenMatches(const ScreenIdentity& chosen, const ScreenIdentity& screen) {
    if (chosen.isNone() || chosen.name != screen.name) {
        return false;
    }
    // A monitor that reported no model or serial when it was chosen is known by its name alone.
    const auto agrees = [](const QString& stored, const QString& reported) {
        return stored.isEmpty() || stored == reported;
    };
    return agrees(chosen.model, screen.model) && agrees(chosen.serial, screen.serial);
}

QScreen* findScreen(const ScreenIdentity& chosen, const QList<QScreen*>& screens) {
    for (QScreen* screen : screens) {
        if (screen != nullptr && screenMatches(chosen, identityOf(*screen))) {
            return screen;
        }
    }
    return nullptr;
}

QList<ScreenInfo> connectedScreens() {
    QList<ScreenInfo> list;
    for (const QScreen* screen : QGuiApplication::screens()) {
        list.append({identityOf(*screen), screen->size()});
    }
    return list;
}
