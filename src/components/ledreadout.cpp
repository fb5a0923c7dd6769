#include "components/ledreadout.h"

#include "components/ledpainter.h"
#include "platform/twips.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

LedReadout::LedReadout(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel comes from the cached painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LedReadout::setLitColor(const QColor& color) {
    setColour(m_lit, color);
}

void LedReadout::setBackColor(const QColor& color) {
    setColour(m_back, color);
}

void LedReadout::setColour(QColor& field, const QColor& color) {
    if (color == field) {
        return;
    }
    field = color;
    repaintLater();
    emit lookChanged();
}

void LedReadout::setLedType(int type) {
    if (type == m_ledType) {
        return;
    }
    const bool dotsBefore = m_ledType == DotsType;
    m_ledType = type;
    // 0 and -1 (and any other non-dots value) look the same: no repaint between them.
    if (dotsBefore != (type == DotsType)) {
        repaintLater();
    }
    emit lookChanged();
}

void LedReadout::setDigitSize(int pixels) {
    setLength(m_digitSize, pixels);
}

void LedReadout::setLength(int& field, int value) {
    if (value == field) {
        return;
    }
    field = value;
    refreshGeometry();
    emit lookChanged();
}

void LedReadout::setFrameLine(const QColor& color) {
    if (color == m_frame) {
        return;
    }
    m_frame = color;
    repaintLater();
}

led::Metrics LedReadout::metrics() const {
    // Negative sizes from a careless scaling draw nothing rather than inside out.
    const auto tw = [](int twips) {
        return twips::toPixelsF(std::max(twips, 0));
    };
    return {double(std::max(m_digitSize, 0)), tw(m_padH), tw(m_padV), tw(m_padI), tw(m_padD)};
}

QSize LedReadout::sizeHint() const {
    const QSizeF exact = led::readoutSize(m_places, metrics());
    return {int(std::lround(exact.width())), int(std::lround(exact.height()))};
}

void LedReadout::initialise() {
    m_places = places();
    m_shownText = composeText();
    resize(sizeHint());
}

void LedReadout::refreshText() {
    QString text = composeText();
    if (text == m_shownText) {
        return;
    }
    const QString old = std::exchange(m_shownText, std::move(text));
    repaintLater();
    shownTextChanged(old);
}

void LedReadout::refreshGeometry() {
    m_places = places();
    updateGeometry();
    const QSize wanted = sizeHint();
    if (wanted != size()) {
        resize(wanted); // the resize event clears the painting
    } else {
        repaintLater();
    }
}

void LedReadout::repaintLater() {
    m_painting = QPixmap();
    update();
}

void LedReadout::drawPainting() {
    const qreal dpr = devicePixelRatioF();
    m_painting = QPixmap((QSizeF(size()) * dpr).toSize());
    m_painting.setDevicePixelRatio(dpr);
    m_painting.fill(m_back);
    ++m_paintingsDrawn;

    QPainter painter(&m_painting);
    painter.setRenderHint(QPainter::Antialiasing);
    // A widget laid out larger than it asked for keeps its digits centred.
    const led::Metrics m = metrics();
    const QSizeF exact = led::readoutSize(m_places, m);
    const QPointF origin((width() - exact.width()) / 2, (height() - exact.height()) / 2);
    const std::vector<led::Cell> cells = led::layoutText(m_shownText, m_places, m, origin);
    led::paintCells(painter, cells, {m_lit, led::unlitColour(m_lit, m_back), m_ledType == DotsType});
    if (m_frame.isValid()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(m_frame);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void LedReadout::paintEvent(QPaintEvent*) {
    const QSize wanted = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (m_painting.isNull() || m_painting.size() != wanted) {
        drawPainting();
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_painting);
}

void LedReadout::resizeEvent(QResizeEvent* event) {
    m_painting = QPixmap();
    QWidget::resizeEvent(event);
}

void LedReadout::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        repaintLater();
    }
    QWidget::changeEvent(event);
}

void LedReadout::focusInEvent(QFocusEvent*) {
    // No focus look of our own (the board draws its marker), so no repaint either.
    emit focusReceived();
}
