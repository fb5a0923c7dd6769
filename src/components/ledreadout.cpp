#include "components/ledreadout.h"

#include "components/ledpainter.h"
#include "platform/twips.h"

#include <QEvent>
#include <QFocusEvent>
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
    repaintChangedCells();
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
    m_paintingStale = true;
    m_staleCells = QRegion();
    update();
}

std::vector<led::Cell> LedReadout::layoutCells() const {
    // A widget laid out larger than it asked for keeps its digits centred.
    const led::Metrics m = metrics();
    const QSizeF exact = led::readoutSize(m_places, m);
    const QPointF origin((width() - exact.width()) / 2, (height() - exact.height()) / 2);
    return led::layoutText(m_shownText, m_places, m, origin);
}

// A clock ticking at 4K changes one digit a second: redraw and copy just that digit's
// box when the other characters keep their places.
void LedReadout::repaintChangedCells() {
    if (m_paintingStale || m_painting.isNull()) {
        repaintLater();
        return;
    }
    std::vector<led::Cell> cells = layoutCells();
    if (cells.size() != m_cells.size()) {
        repaintLater();
        return;
    }
    QRegion changed;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].rect != m_cells[i].rect || cells[i].kind != m_cells[i].kind) {
            repaintLater();
            return;
        }
        if (cells[i].ch != m_cells[i].ch) {
            changed += cells[i].rect.toAlignedRect();
        }
    }
    // Neighbours closer than a pixel share edge pixels: then redraw everything.
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].ch == m_cells[i].ch && changed.intersects(cells[i].rect.toAlignedRect())) {
            repaintLater();
            return;
        }
    }
    m_staleCells += changed;
    update(changed);
}

void LedReadout::drawPainting() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    const bool whole = m_paintingStale || m_painting.size() != pixels;
    if (m_painting.size() != pixels) {
        m_painting = QPixmap(pixels);
    }
    m_painting.setDevicePixelRatio(dpr);
    ++m_paintingsDrawn;

    m_cells = layoutCells();
    QPainter painter(&m_painting);
    std::vector<led::Cell> cells;
    if (whole) {
        painter.fillRect(rect(), m_back);
        cells = m_cells;
    } else {
        painter.setClipRegion(m_staleCells);
        painter.fillRect(m_staleCells.boundingRect(), m_back);
        for (const led::Cell& cell : m_cells) {
            if (m_staleCells.intersects(cell.rect.toAlignedRect())) {
                cells.push_back(cell);
            }
        }
    }
    m_paintingStale = false;
    m_staleCells = QRegion();

    m_glyphs.paint(painter, cells, {m_lit, led::unlitColour(m_lit, m_back), m_ledType == DotsType}, dpr);
    if (m_frame.isValid()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(m_frame);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void LedReadout::paintEvent(QPaintEvent*) {
    const QSize wanted = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (m_paintingStale || !m_staleCells.isEmpty() || m_painting.size() != wanted) {
        drawPainting();
    }
    // The painter is clipped to the update region, so an update of one digit copies one digit.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_painting);
}

void LedReadout::resizeEvent(QResizeEvent* event) {
    m_painting = QPixmap(); // the new size needs a new one
    m_glyphs.clear();       // and new digit sizes
    QWidget::resizeEvent(event);
}

void LedReadout::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        repaintLater();
    }
    QWidget::changeEvent(event);
}

void LedReadout::focusInEvent(QFocusEvent* event) {
    // No focus look of our own (the board draws its marker), so no repaint either. The
    // window coming back to the front, or a popup closing, hands the focus back to the
    // same read-out: that is no new selection.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit focusReceived();
    }
}
