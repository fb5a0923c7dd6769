#include "scoreboard/showdigits.h"

#include "components/digitpanel.h"

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

void ApplyEntry(DigitPanel& field, const QString& change, int minimum, int maximum) {
    const std::int64_t current = field.caption() == -1 ? 0 : field.caption();
    if (change.isEmpty()) {
        return;
    }
    const QChar first = change.front();
    std::int64_t value = 0;
    if (first == ClearMark) {
        value = -1;
    } else if (isDigit(first)) {
        value = LeadingNumber(change);
    } else if (first == u'+') {
        value = current + LeadingNumber(QStringView(change).mid(1));
    } else if (first == u'-') {
        value = current - LeadingNumber(QStringView(change).mid(1));
    } else {
        return;
    }
    if (value >= minimum && value <= maximum) {
        field.setCaption(static_cast<int>(value));
    }
}

void TypedEntry::TypeDigit(DigitPanel& field, int c, int minimum, int maximum) {
    if (field.objectName() != EntryField) {
        EntryText.clear();
        EntryField = field.objectName();
    }
    if (c >= '0' && c <= '9') {
        EntryText += QChar(c);
    }
    if (c == '+' || c == '-') {
        EntryText += QChar(c);
    }
    if (c == ' ') {
        EntryText.clear();
    }
    if (c == 0) {
        // The clear key blanks the field but keeps what was typed.
        ApplyEntry(field, QString(ClearMark), minimum, maximum);
    }
    const auto startsWithSign = [this] {
        return !EntryText.isEmpty() && (EntryText.front() == u'+' || EntryText.front() == u'-');
    };
    // A field whose largest value has one digit takes each digit at once.
    if (QString::number(maximum).size() == 1 && !startsWithSign()) {
        ApplyEntry(field, EntryText, minimum, maximum);
        EntryText.clear();
    }
    // A sign followed by one digit acts at once, on every field.
    if (EntryText.size() >= 2 && startsWithSign() && isDigit(EntryText[1])) {
        ApplyEntry(field, EntryText, minimum, maximum);
        EntryText.clear();
    }
    if (c == '\r') {
        ApplyEntry(field, EntryText, minimum, maximum);
        EntryText.clear();
    }
}

} // namespace modShowDigits
