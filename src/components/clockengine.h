#pragma once

#include "components/currency.h"
#include "components/monotonicclock.h"

#include <QObject>

// An invisible countdown. While running, Seconds falls by the real time elapsed on a
// monotonic clock, so a late or skipped poll never loses time. It stops falling at
// zero; the Running flag is left to whoever polls it, since only the board knows
// whether a run-out matters.
class ClockEngine : public QObject {
    Q_OBJECT
    Q_PROPERTY(Currency Seconds READ seconds WRITE setSeconds)
    Q_PROPERTY(bool Running READ running WRITE setRunning)

public:
    explicit ClockEngine(QObject* parent = nullptr, const MonotonicClock& clock = MonotonicClock::system());

    Currency seconds() const;
    void setSeconds(Currency seconds);
    bool running() const { return m_running; }
    void setRunning(bool running);

    const MonotonicClock& timeSource() const { return m_clock; }

private:
    Currency secondsAt(std::int64_t nowNs) const;

    const MonotonicClock& m_clock;
    Currency m_base;            // time left at m_since
    std::int64_t m_since = 0;   // when m_base was taken (ns), meaningful while running
    std::int64_t m_carryNs = 0; // run time not yet counted in m_base (less than one unit)
    bool m_running = false;
};
