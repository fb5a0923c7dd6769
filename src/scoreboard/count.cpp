#include "scoreboard/count.h"

namespace modCount {

namespace {

std::int64_t digitsValue(QStringView digits) {
    std::int64_t value = 0;
    for (QChar c : digits) {
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

std::optional<Currency> ParseTimeEntry(QStringView text) {
    if (text.size() > 8) {
        return std::nullopt;
    }
    for (QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || c == u'.')) {
            return std::nullopt;
        }
    }
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0 && text.indexOf(u'.', point + 1) >= 0) {
        return std::nullopt;
    }
    const QStringView before = point >= 0 ? text.left(point) : text;
    const std::int64_t minutes = digitsValue(before);
    std::int64_t seconds = 0;
    std::int64_t tenths = 0;
    if (point >= 0) {
        const QStringView after = text.mid(point + 1);
        if (after.size() <= 2) {
            seconds = digitsValue(after);
        } else {
            seconds = digitsValue(after.left(2));
            tenths = digitsValue(after.mid(2, 1));
        }
    }
    if (minutes > 99 || seconds > 99 || tenths > 9) {
        return std::nullopt;
    }
    return Currency::fromUnits((minutes * 60 + seconds) * Currency::Scale + tenths * (Currency::Scale / 10));
}

std::optional<Currency> TimeEntry::EnterTimeChar(const QString& fieldName, int ch,
                                                 std::int32_t maximumSeconds) {
    if (fieldName != TimeEntryOwner) {
        TimeEntryText.clear();
        TimeEntryOwner = fieldName;
    }
    if (ch >= '0' && ch <= '9') {
        TimeEntryText += QChar(ch);
    }
    if (ch == '.') {
        TimeEntryText += u'.';
    }
    if (ch == ' ') {
        TimeEntryText.clear();
    }
    if (ch == '\r') {
        const std::optional<Currency> t = ParseTimeEntry(TimeEntryText);
        TimeEntryText.clear();
        if (t && *t <= Currency::fromInt(maximumSeconds)) {
            return t;
        }
    }
    return std::nullopt;
}

} // namespace modCount
