#include "components/clockengine.h"

#include <algorithm>

namespace {
constexpr std::int64_t NsPerUnit = 1'000'000'000 / Currency::Scale; // 100 µs
} // namespace

ClockEngine::ClockEngine(QObject* parent, const MonotonicClock& clock) : QObject(parent), m_clock(clock) {}

Currency ClockEngine::seconds() const {
    if (!m_running || m_base <= Currency()) {
        return m_base;
    }
    // Whole elapsed units only: the time left is never reported as less than it is.
    const std::int64_t elapsed = std::max<std::int64_t>(0, m_clock.nowNs() - m_since) / NsPerUnit;
    return Currency::fromUnits(std::max<std::int64_t>(0, m_base.units() - elapsed));
}

void ClockEngine::setSeconds(Currency seconds) {
    m_base = seconds;
    m_since = m_clock.nowNs();
}

void ClockEngine::setRunning(bool running) {
    if (running == m_running) {
        return;
    }
    m_base = seconds();
    m_since = m_clock.nowNs();
    m_running = running;
}
