#include "components/clockpanel.h"

#include "components/currency.h"
#include "components/readoutaccessible.h"

#include <QAccessible>
#include <cmath>
#include <cstdlib>

ClockPanel::ClockPanel(QWidget* parent) : PaddedLedReadout(parent) {
    setDigitSize(80);
    setPaddingI(175);
    setPaddingD(180);
    initialise();
}

void ClockPanel::setCaption(float value) {
    if (value == m_caption || (std::isnan(value) && std::isnan(m_caption))) {
        return;
    }
    m_caption = value;
    refreshText();
    emit captionChanged(value);
}

void ClockPanel::setTimeFormat(const QString& format) {
    if (format == m_timeFormat) {
        return;
    }
    m_timeFormat = format;
    refreshText();
    emit timeFormatChanged(format);
}

void ClockPanel::setFrameColor(const QColor& color) {
    if (color == frameLine()) {
        return;
    }
    setFrameLine(color);
    emit lookChanged();
}

QString ClockPanel::formatText(float caption, const QString& timeFormat) {
    if (!std::isfinite(caption)) {
        return {};
    }
    // Snap to the clock's own resolution first: 59.9f is 59.900002 and must not round up to 60.0.
    const Currency value = Currency::fromDouble(caption);
    if (timeFormat == TenthsFormat) {
        const std::int64_t tenths = value.ceilTenths();
        const QString sign = tenths < 0 ? QStringLiteral("-") : QString();
        const std::int64_t magnitude = std::llabs(tenths);
        return sign + QString::number(magnitude / 10) + u'.' + QString::number(magnitude % 10);
    }
    const std::int64_t whole = value.ceil();
    const QString sign = whole < 0 ? QStringLiteral("-") : QString();
    const std::int64_t magnitude = std::llabs(whole);
    const QString text = sign + QString::number(magnitude / 60) + u':' +
                         QString::number(magnitude % 60).rightJustified(2, u'0');
    // Five characters for the four places and the colon: a single minute digit leaves the first place dark.
    return text.rightJustified(5, u' ');
}

QString ClockPanel::composeText() const {
    return formatText(m_caption, m_timeFormat);
}

std::vector<led::SlotKind> ClockPanel::places() const {
    return led::clockPlaces();
}

void ClockPanel::shownTextChanged(const QString& oldText) {
    // Assistive tools read the text without the blank that keeps the places aligned.
    QAccessibleTextUpdateEvent event(this, 0, oldText.trimmed(), displayText().trimmed());
    announceReadoutChange(event);
}
