#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

// Wall time in milliseconds on the monotonic clock.
inline double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time this process has used, in seconds.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Lets the event loop run for `ms`, so that timers and paints go on as in the program.
inline void runFor(double ms) {
    QEventLoop loop;
    QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

// The share of one core the process uses while its event loop runs for `seconds`, after half
// a second to settle.
inline double cpuShareWhileRunning(double seconds) {
    runFor(500);
    const double cpuStart = cpuSeconds();
    const double wallStart = nowMs();
    runFor(seconds * 1000.0);
    return (cpuSeconds() - cpuStart) / ((nowMs() - wallStart) / 1000.0);
}

// Median and tail of a set of timings, printed in one line.
inline void printPercentiles(const char* what, std::vector<double> samples, const char* unit) {
    if (samples.empty()) {
        std::printf("%s: no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        const auto i = static_cast<std::size_t>(q * double(samples.size() - 1) + 0.5);
        return samples[std::min(i, samples.size() - 1)];
    };
    std::printf("%s: n=%zu median=%.3f %s p99=%.3f %s worst=%.3f %s\n", what, samples.size(), at(0.5), unit,
                at(0.99), unit, samples.back(), unit);
}

// Notes that a widget received a paint event.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }
};

// Presses `key` on `window` `presses` times and times each press until `watched` has been
// repainted (the event-loop pass that delivered its paint has returned), in microseconds.
// `beforeEach` runs ahead of each press, untimed (to keep a score in range, say).
template <typename BeforeEach>
std::vector<double> keyToRepaintUs(QWindow* window, QWidget* watched, Qt::Key key, int presses,
                                   BeforeEach beforeEach) {
    PaintWatch watch;
    watched->installEventFilter(&watch);
    std::vector<double> samples;
    for (int i = 0; i < presses; ++i) {
        beforeEach();
        watch.painted = false;
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &press);
        while (!watch.painted) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &release);
    }
    watched->removeEventFilter(&watch);
    return samples;
}
