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
#include <ctime>
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

// CPU time the calling thread has used, in nanoseconds.
inline qint64 threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Notes when a widget's window has finished a repaint that included the widget: the moment
// the read-out is on screen, before whatever work the program left for later in the same pass.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* watched) : m_watched(watched), m_window(watched->window()) {
        m_watched->installEventFilter(this);
        m_window->installEventFilter(this);
    }
    ~PaintWatch() override {
        m_watched->removeEventFilter(this);
        m_window->removeEventFilter(this);
    }
    void arm() {
        m_painted = false;
        m_doneNs = -1;
        m_cpuStartNs = threadCpuNs();
        m_timer.start();
    }
    // Nanoseconds from arm() to the end of the repaint, or -1 while it has not happened.
    qint64 doneNs() const { return m_doneNs; }
    // The CPU time this thread spent in that interval: the work itself, whatever else the machine
    // was doing.
    qint64 doneCpuNs() const { return m_doneCpuNs; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == m_watched && event->type() == QEvent::Paint) {
            m_painted = true;
        } else if (object == m_window && event->type() == QEvent::UpdateRequest && m_doneNs < 0) {
            // Deliver it here, so that the time is taken as soon as the window has painted and
            // flushed.
            m_window->removeEventFilter(this);
            QCoreApplication::sendEvent(m_window, event);
            m_window->installEventFilter(this);
            if (m_painted) {
                m_doneNs = m_timer.nsecsElapsed();
                m_doneCpuNs = threadCpuNs() - m_cpuStartNs;
            }
            return true;
        }
        return false;
    }

private:
    QWidget* m_watched;
    QWidget* m_window;
    QElapsedTimer m_timer;
    bool m_painted = false;
    qint64 m_doneNs = -1;
    qint64 m_cpuStartNs = 0;
    qint64 m_doneCpuNs = 0;
};

// Presses `key` on `window` `presses` times and times each press until `watched` has been
// repainted (its window's repaint has returned), in microseconds. With `cpuUs`, also the CPU time
// the pressing thread spent on each, in microseconds.
// `beforeEach` runs ahead of each press, untimed (to keep a score in range, say).
template <typename BeforeEach>
std::vector<double> keyToRepaintUs(QWindow* window, QWidget* watched, Qt::Key key, int presses,
                                   BeforeEach beforeEach, std::vector<double>* cpuUs = nullptr) {
    std::vector<double> samples;
    for (int i = 0; i < presses; ++i) {
        beforeEach();
        PaintWatch watch(watched);
        watch.arm();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &press);
        while (watch.doneNs() < 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        samples.push_back(double(watch.doneNs()) / 1000.0);
        if (cpuUs) {
            cpuUs->push_back(double(watch.doneCpuNs()) / 1000.0);
        }
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &release);
    }
    return samples;
}
