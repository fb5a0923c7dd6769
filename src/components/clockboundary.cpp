#include "components/clockboundary.h"

namespace {
constexpr std::int64_t Tenth = Currency::Scale / 10;
constexpr std::int64_t LastWholeSecondsShown = 599 * Tenth; // 59.9: tenths from here on
constexpr std::int64_t UnitsPerMs = Currency::Scale / 1000;
} // namespace

ClockBoundaryTimer::ClockBoundaryTimer(const ClockEngine& engine, QObject* parent)
    : QObject(parent), m_engine(engine) {
    m_timer.setObjectName(QStringLiteral("tmrClockBoundary"));
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClockBoundaryTimer::reached);
}

std::optional<int> ClockBoundaryTimer::delayMs(Currency seconds) {
    const std::int64_t left = seconds.units();
    if (left <= 0) {
        return std::nullopt;
    }
    // The largest tenth strictly below the time left: a clock exactly on a tenth already shows it.
    const std::int64_t next = std::min((left - 1) / Tenth * Tenth, LastWholeSecondsShown);
    const std::int64_t units = left - next;
    return static_cast<int>((units + UnitsPerMs - 1) / UnitsPerMs);
}

void ClockBoundaryTimer::rearm() {
    const std::optional<int> delay = m_engine.running() ? delayMs(m_engine.seconds()) : std::nullopt;
    if (delay) {
        m_timer.start(*delay);
    } else {
        m_timer.stop();
    }
}
