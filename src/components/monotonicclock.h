#pragma once

#include <cstdint>

// Where the countdown engines read the time. The program uses the system's
// monotonic clock; tests hand in a ManualClock and move it by hand.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual std::int64_t nowNs() const = 0;

    static const MonotonicClock& system();
};

class ManualClock final : public MonotonicClock {
public:
    std::int64_t nowNs() const override { return m_now; }
    void setNs(std::int64_t ns) { m_now = ns; }
    void advanceMs(double ms) { m_now += static_cast<std::int64_t>(ms * 1'000'000.0); }

private:
    std::int64_t m_now = 1'000'000'000;
};
