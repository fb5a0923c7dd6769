#pragma once

#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <optional>

// A signed fixed-point number with four decimal places, held as a 64-bit count of
// ten-thousandths. Clock times, typed times and the team-name size use it, so that
// 0.1 s is exactly 1000 units and no binary rounding creeps into a countdown.
class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(std::int64_t units) {
        Currency c;
        c.m_units = units;
        return c;
    }
    static constexpr Currency fromInt(std::int64_t whole) { return fromUnits(whole * Scale); }
    // Snaps a binary floating-point value to the nearest ten-thousandth. Values beyond
    // the range give its ends; NaN gives 0.
    static Currency fromDouble(double value);

    // Exact decimal text: optional sign, digits, optional point and up to four
    // decimals (more decimals are rounded half to even). Leading and trailing blanks
    // are allowed. Anything else, or a value beyond the 64-bit range, gives nullopt.
    // Only ASCII digits count.
    static std::optional<Currency> fromText(QStringView text);

    constexpr std::int64_t units() const { return m_units; }
    double toDouble() const { return static_cast<double>(m_units) / Scale; }
    // Shortest exact decimal text: "24", "-1", "0.245", "59.9".
    QString toText() const;

    // Rounding to a whole number of seconds.
    std::int64_t roundHalfEven() const;
    std::int64_t floor() const;
    std::int64_t ceil() const;
    // Rounds up to a whole number of tenths and returns the count of tenths.
    std::int64_t ceilTenths() const;

    constexpr Currency operator+(Currency o) const { return fromUnits(m_units + o.m_units); }
    constexpr Currency operator-(Currency o) const { return fromUnits(m_units - o.m_units); }
    constexpr Currency operator-() const { return fromUnits(-m_units); }
    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t m_units = 0;
};

constexpr Currency operator""_cur(unsigned long long whole) {
    return Currency::fromInt(static_cast<std::int64_t>(whole));
}
