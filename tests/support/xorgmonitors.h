#pragma once

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTest>

// Monitors plugged into and out of the dummy Xorg server that scripts/with-xorg.sh starts: outputs
// DUMMY0 (on from the start) to DUMMY15, switched with xrandr as a real monitor's cable would.
namespace xorgmonitors {

inline bool xrandr(const QStringList& arguments, bool reportFailure = true) {
    QProcess process;
    process.start(QStringLiteral("xrandr"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit) {
        return false;
    }
    if (process.exitCode() != 0 && reportFailure) {
        qWarning("xrandr %s: %s", qPrintable(arguments.join(u' ')),
                 process.readAllStandardError().constData());
    }
    return process.exitCode() == 0;
}

inline QScreen* screenNamed(const QString& name) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name) {
            return screen;
        }
    }
    return nullptr;
}

// Turns `output` on at `size`, right of `leftOf`, and waits until Qt has the new screen.
inline QScreen* plug(const QString& output, QSize size, const QString& rightOf = QStringLiteral("DUMMY0")) {
    // Timings the dummy driver accepts for any size: 30 Hz with small blanking intervals.
    const int htotal = size.width() + 160;
    const int vtotal = size.height() + 40;
    const QString mode = QStringLiteral("%1x%2_test").arg(size.width()).arg(size.height());
    const double clock = htotal * vtotal * 30 / 1e6;
    // Adding a mode twice fails; it is there all the same.
    xrandr({QStringLiteral("--newmode"), mode, QString::number(clock, 'f', 2), QString::number(size.width()),
            QString::number(size.width() + 48), QString::number(size.width() + 80), QString::number(htotal),
            QString::number(size.height()), QString::number(size.height() + 3),
            QString::number(size.height() + 8), QString::number(vtotal), QStringLiteral("+hsync"),
            QStringLiteral("-vsync")},
           false);
    xrandr({QStringLiteral("--addmode"), output, mode}, false);
    if (!xrandr({QStringLiteral("--output"), output, QStringLiteral("--mode"), mode,
                 QStringLiteral("--right-of"), rightOf})) {
        return nullptr;
    }
    return QTest::qWaitFor([&] { return screenNamed(output) != nullptr; }, 5000) ? screenNamed(output)
                                                                                 : nullptr;
}

// Turns `output` off and waits until Qt has let its screen go.
inline bool unplug(const QString& output) {
    if (!xrandr({QStringLiteral("--output"), output, QStringLiteral("--off")})) {
        return false;
    }
    return QTest::qWaitFor([&] { return screenNamed(output) == nullptr; }, 5000);
}

} // namespace xorgmonitors
