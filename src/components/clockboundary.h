#pragma once

#include "components/clockengine.h"
#include "components/currency.h"

#include <QObject>
#include <QTimer>
#include <optional>

// Wakes the board at the instant a running countdown reaches the next tenth of a second below
// one minute, and zero, so that the last tenths are shown and the horn sounds on time rather than
// at the next regular refresh, up to 50 ms late. Re-armed after every refresh; above one minute
// the first wake is the switch to tenths at 59.9.
class ClockBoundaryTimer : public QObject {
    Q_OBJECT

public:
    explicit ClockBoundaryTimer(const ClockEngine& engine, QObject* parent = nullptr);

    // The time from `seconds` left to the next boundary, in whole milliseconds rounded up so that
    // the engine is at the boundary when the timer fires; none at or below zero.
    static std::optional<int> delayMs(Currency seconds);

    // Arms the timer for the engine's next boundary from now, or stops it if the engine is
    // stopped or at zero.
    void rearm();
    bool isArmed() const { return m_timer.isActive(); }
    int intervalMs() const { return m_timer.interval(); }

signals:
    void reached();

private:
    const ClockEngine& m_engine;
    QTimer m_timer;
};
