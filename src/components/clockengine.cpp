#include "components/clockengine.h"

#include <algorithm>

namespace {
constexpr std::int64_t NsPerUnit = 1'000'000'000 / Currency::Scale; // 100 µs
} // namespace

ClockEngine::ClockEngine(QObject* parent, const MonotonicClock& clock) : QObject(parent), m_clock(clock) {}

Currency ClockEngine::seconds() const {
    return secondsAt(m_clock.nowNs());
}

Currency ClockEngine::secondsAt(std::int64_t nowNs) const {
    if (!m_running || m_base <= Currency()) {
        return m_base;
    }
    // Whole elapsed units only: the time left is never reported as less than it is.
    const std::int64_t elapsed = std::max<std::int64_t>(0, nowNs - m_since) / NsPerUnit;
    return Currency::fromUnits(std::max<std::int64_t>(0, m_base.units() - elapsed));
}

void ClockEngine::setSeconds(Currency seconds) {
    m_base = seconds;
    m_since = m_clock.nowNs();
    m_carryNs = 0;
}

void ClockEngine::setRunning(bool running) {
    if (running == m_running) {
        return;
    }
    const std::int64_t now = m_clock.nowNs();
    if (running) {
        // Time run before the last stop but too short to count goes on counting now.
        m_since = now - m_carryNs;
    } else {
        const std::int64_t elapsedNs = std::max<std::int64_t>(0, now - m_since);
        // The same instant as the carry, or a unit ending between two readings is lost.
        m_base = secondsAt(now);
        m_carryNs = m_base > Currency() ? elapsedNs % NsPerUnit : 0;
        m_since = now;
    }
    m_running = running;
}
