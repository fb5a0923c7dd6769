#include "components/boardshape.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

namespace {

class BoardShapeAccessible : public QAccessibleWidget {
public:
    explicit BoardShapeAccessible(BoardShape* shape) : QAccessibleWidget(shape, QAccessible::Indicator) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = static_cast<const BoardShape*>(widget())->lit();
        return s;
    }
};

QAccessibleInterface* boardShapeFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("BoardShape") && object != nullptr && object->isWidgetType()) {
        return new BoardShapeAccessible(static_cast<BoardShape*>(object));
    }
    return nullptr;
}

} // namespace

void installBoardShapeAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(boardShapeFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

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

void BoardShape::setLit(bool lit) {
    if (lit == m_lit) {
        return;
    }
    m_lit = lit;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
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
