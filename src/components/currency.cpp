#include "components/currency.h"

#include <cmath>
#include <limits>

namespace {

// Division rounding down and up, for a positive divisor; neither negates, so the most
// negative value is safe.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0 && a < 0) ? 1 : 0);
}

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
    return a / b + ((a % b != 0 && a > 0) ? 1 : 0);
}

} // namespace

Currency Currency::fromDouble(double value) {
    if (std::isnan(value)) {
        return {};
    }
    const double scaled = std::nearbyint(value * Scale);
    if (!(scaled >= -9.2e18 && scaled <= 9.2e18)) {
        return fromUnits(scaled > 0 ? std::numeric_limits<std::int64_t>::max()
                                    : std::numeric_limits<std::int64_t>::min());
    }
    return fromUnits(static_cast<std::int64_t>(scaled));
}

std::optional<Currency> Currency::fromText(QStringView text) {
    text = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const auto isAsciiDigit = [&](qsizetype k) {
        return k < text.size() && text[k] >= u'0' && text[k] <= u'9';
    };
    // The magnitude in units may reach 2^63 for a negative number, one less otherwise.
    const std::uint64_t limit = (std::uint64_t(1) << 63) - (negative ? 0 : 1);
    std::uint64_t whole = 0;
    int digits = 0;
    for (; isAsciiDigit(i); ++i, ++digits) {
        const auto d = std::uint64_t(text[i].unicode() - u'0');
        if (whole > (limit / Scale - d) / 10) {
            return std::nullopt;
        }
        whole = whole * 10 + d;
    }
    std::uint64_t frac = 0;
    int fracDigits = 0;
    int roundDigit = -1; // the fifth decimal, for rounding
    bool stickyBeyond = false;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        for (; isAsciiDigit(i); ++i, ++fracDigits) {
            const int d = text[i].unicode() - u'0';
            if (fracDigits < 4) {
                frac = frac * 10 + std::uint64_t(d);
            } else if (fracDigits == 4) {
                roundDigit = d;
            } else if (d != 0) {
                stickyBeyond = true;
            }
        }
    }
    if (i != text.size() || digits + fracDigits == 0) {
        return std::nullopt;
    }
    for (int k = fracDigits; k < 4; ++k) {
        frac *= 10;
    }
    if (whole > (limit - frac) / Scale) {
        return std::nullopt;
    }
    std::uint64_t units = whole * Scale + frac;
    if (roundDigit > 5 || (roundDigit == 5 && (stickyBeyond || (units % 2) != 0))) {
        if (units == limit) {
            return std::nullopt;
        }
        ++units;
    }
    // Two's complement wrap-around is well defined since C++20 and gives the most negative value for 2^63.
    return fromUnits(negative ? static_cast<std::int64_t>(std::uint64_t(0) - units)
                              : static_cast<std::int64_t>(units));
}

QString Currency::toText() const {
    const bool negative = m_units < 0;
    // Work in unsigned to survive the most negative value.
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - static_cast<std::uint64_t>(m_units)
                                             : static_cast<std::uint64_t>(m_units);
    QString text = QString::number(magnitude / Scale);
    std::uint64_t frac = magnitude % Scale;
    if (frac != 0) {
        QString decimals = QString::number(frac).rightJustified(4, u'0');
        while (decimals.endsWith(u'0')) {
            decimals.chop(1);
        }
        text += u'.' + decimals;
    }
    return negative ? u'-' + text : text;
}

std::int64_t Currency::floor() const {
    return floorDiv(m_units, Scale);
}

std::int64_t Currency::ceil() const {
    return ceilDiv(m_units, Scale);
}

std::int64_t Currency::roundHalfEven() const {
    const std::int64_t down = floor();
    const std::int64_t rest = (m_units % Scale + Scale) % Scale;
    if (rest * 2 > Scale || (rest * 2 == Scale && (down % 2) != 0)) {
        return down + 1;
    }
    return down;
}

std::int64_t Currency::ceilTenths() const {
    return ceilDiv(m_units, Scale / 10);
}
