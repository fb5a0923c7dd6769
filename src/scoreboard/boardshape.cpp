#include "scoreboard/boardshape.h"

#include <QPainter>

BoardShape::BoardShape(Kind kind, QWidget* parent) : QWidget(parent), m_kind(kind) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BoardShape::setBorderColor(const QColor& c) {
    if (c == m_border) {
        return;
    }
    m_border = c;
    update();
}

void BoardShape::setFillColor(const QColor& c) {
    if (c == m_fill) {
        return;
    }
    m_fill = c;
    update();
}

void BoardShape::setBorderWidth(int px) {
    if (px == m_borderWidth) {
        return;
    }
    m_borderWidth = px;
    update();
}

void BoardShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_kind != Kind::Rectangle);
    const qreal half = m_borderWidth / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    p.setPen(m_borderWidth > 0 ? QPen(m_border, m_borderWidth) : QPen(Qt::NoPen));
    p.setBrush(m_fill.isValid() ? QBrush(m_fill) : QBrush(Qt::NoBrush));
    switch (m_kind) {
    case Kind::Rectangle:
        p.drawRect(r);
        break;
    case Kind::RoundedRectangle: {
        const qreal radius = std::min(r.width(), r.height()) / 8.0;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    case Kind::Circle:
        p.drawEllipse(r);
        break;
    }
}
