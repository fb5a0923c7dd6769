#include "components/dotpanel.h"

DotPanel::DotPanel(QWidget* parent) : LedReadout(parent) {
    setPaddingH(0);
    setPaddingV(0);
    setPaddingI(0);
    setPaddingD(0);
    setDigitSize(65);
    initialise();
}

void DotPanel::setCaption(int value) {
    if (value == m_caption) {
        return;
    }
    m_caption = value;
    refreshText();
    emit captionChanged(value);
}

QString DotPanel::composeText() const {
    return m_caption == -1 ? QString() : QString::number(m_caption);
}

std::vector<led::SlotKind> DotPanel::places() const {
    return {led::SlotKind::Digit};
}
