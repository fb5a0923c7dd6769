#include "components/digitpanel.h"

#include "components/readoutaccessible.h"

#include <QAccessible>
#include <limits>

namespace {

bool fitsInt16(long long value) {
    return value >= std::numeric_limits<qint16>::min() && value <= std::numeric_limits<qint16>::max();
}

} // namespace

DigitPanel::DigitPanel(QWidget* parent) : PaddedLedReadout(parent) {
    initialise();
}

void DigitPanel::setCaption(int value) {
    if (value == m_caption || !fitsInt16(value)) {
        return;
    }
    m_caption = value;
    refreshText();
    emit captionChanged(value);
}

bool DigitPanel::setCaptionText(QStringView text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || !fitsInt16(value)) {
        return false;
    }
    setCaption(int(value));
    return true;
}

void DigitPanel::setMax(int max) {
    if (max == m_max) {
        return;
    }
    m_max = max;
    refreshGeometry();
    emit lookChanged();
}

QString DigitPanel::composeText() const {
    return m_caption == Cleared ? QString() : QString::number(m_caption);
}

std::vector<led::SlotKind> DigitPanel::places() const {
    return led::placesForMax(m_max);
}

void DigitPanel::shownTextChanged(const QString&) {
    QAccessibleValueChangeEvent event(this, m_caption);
    announceReadoutChange(event);
}
