#include "components/currency.h"

#include <cmath>
#include <limits>

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

} // namespace

Currency Currency::fromDouble(double value) {
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
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    std::int64_t whole = 0;
    int digits = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i, ++digits) {
        if (whole > limit / Scale) {
            return std::nullopt;
        }
        whole = whole * 10 + (text[i].unicode() - u'0');
    }
    std::int64_t frac = 0;
    int fracDigits = 0;
    int roundDigit = -1; // the fifth decimal, for rounding
    bool stickyBeyond = false;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i, ++fracDigits) {
            const int d = text[i].unicode() - u'0';
            if (fracDigits < 4) {
                frac = frac * 10 + d;
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
    std::int64_t units = whole * Scale + frac;
    if (roundDigit > 5 || (roundDigit == 5 && (stickyBeyond || (units % 2) != 0))) {
        ++units;
    }
    return fromUnits(negative ? -units : units);
}

QString Currency::toText() const {
    const bool negative = m_units < 0;
    // Work in unsigned to survive the most negative value.
    const std::uint64_t magnitude =
        negative ? std::uint64_t(0) - static_cast<std::uint64_t>(m_units) : static_cast<std::uint64_t>(m_units);
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

std::int64_t Currency::floor() const { return floorDiv(m_units, Scale); }

std::int64_t Currency::ceil() const { return -floorDiv(-m_units, Scale); }

std::int64_t Currency::roundHalfEven() const {
    const std::int64_t down = floor();
    const std::int64_t rest = m_units - down * Scale; // 0 .. Scale-1
    if (rest * 2 > Scale || (rest * 2 == Scale && (down % 2) != 0)) {
        return down + 1;
    }
    return down;
}

std::int64_t Currency::ceilTenths() const { return -floorDiv(-m_units, Scale / 10); }
