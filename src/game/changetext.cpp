#include "game/changetext.h"

#include <algorithm>

namespace modShowDigits {

namespace {
// Far outside every field's range, yet far from overflowing when added to one.
constexpr std::int64_t Saturation = 1'000'000'000'000LL;

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

std::int64_t LeadingNumber(QStringView text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = std::min(Saturation, value * 10 + (text[i].unicode() - u'0'));
    }
    return negative ? -value : value;
}

std::optional<std::int64_t> ApplyChange(std::int64_t current, QStringView change) {
    if (change.isEmpty()) {
        return std::nullopt;
    }
    const QChar first = change.front();
    if (first == ClearMark) {
        return -1;
    }
    if (isDigit(first)) {
        return LeadingNumber(change);
    }
    if (first == u'+') {
        return current + LeadingNumber(change.mid(1));
    }
    if (first == u'-') {
        return current - LeadingNumber(change.mid(1));
    }
    return std::nullopt;
}

} // namespace modShowDigits
