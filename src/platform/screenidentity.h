#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QScreen;

// A screen as the system names it. Its place in the list of screens changes when another is
// plugged in or out, or after a restart; its name, model and serial number do not.
struct ScreenIdentity {
    QString name;   // the output, such as "HDMI-1"; empty: no screen
    QString model;  // as the monitor reports it; empty when it reports none
    QString serial; // likewise

    bool isNone() const { return name.isEmpty(); }
    bool operator==(const ScreenIdentity&) const = default;
};

// A connected screen, as a list to choose from shows it.
struct ScreenInfo {
    ScreenIdentity identity;
    QSize size; // logical pixels
};

ScreenIdentity identityOf(const QScreen& screen);

// Whether a connected screen is the chosen one: the same name, and the same model and serial
// number wherever the choice holds them. A choice of no screen matches none.
bool screenMatches(const ScreenIdentity& chosen, const ScreenIdentity& screen);

// The first of `screens` that matches the choice, or null.
QScreen* findScreen(const ScreenIdentity& chosen, const QList<QScreen*>& screens);

// Every screen connected now, in the system's order.
QList<ScreenInfo> connectedScreens();
