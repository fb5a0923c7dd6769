#include "components/ledpainter.h"

#include <QPainter>
#include <QTransform>
#include <cmath>

namespace led {

namespace {

constexpr double UnlitShare = 0.12;

double boxWidth(SlotKind kind) {
    return kind == SlotKind::Digit ? GlyphWidth : Stroke;
}

// Every shape is a convex polygon: Qt fills those with antialiasing several times
// faster than a path of the same shapes, which matters at 4K sizes.
struct Shapes {
    std::vector<QPolygonF> lit;
    std::vector<QPolygonF> unlit;
    std::vector<QPolygonF>& pick(bool on) { return on ? lit : unlit; }
};

// A dot as a polygon with enough corners to stay round at any size we draw.
const QPolygonF& unitCircle() {
    static const QPolygonF circle = [] {
        constexpr int Corners = 48;
        QPolygonF c;
        for (int k = 0; k < Corners; ++k) {
            const double a = 2 * M_PI * k / Corners;
            c << QPointF(std::cos(a), std::sin(a));
        }
        return c;
    }();
    return circle;
}

QPolygonF dot(QPointF centre, double rx, double ry) {
    return QTransform::fromTranslate(centre.x(), centre.y()).scale(rx, ry).map(unitCircle());
}

void addSegments(Shapes& shapes, const QTransform& t, SegmentMask available, SegmentMask on, bool dots) {
    if (!dots) {
        const auto& polygons = segmentPolygons();
        for (int s = 0; s < SegmentCount; ++s) {
            const SegmentMask bit = SegmentMask(1u << s);
            if (available & bit) {
                shapes.pick(on & bit).push_back(t.map(polygons[s]));
            }
        }
        return;
    }
    const double rx = DotDiameter / 2 * t.m11();
    const double ry = DotDiameter / 2 * t.m22();
    for (int row = 0; row < DotRows; ++row) {
        for (int column = 0; column < DotColumns; ++column) {
            const SegmentMask through = segmentsThroughDot(column, row);
            if (through & available) {
                shapes.pick(through & on).push_back(dot(t.map(dotCentre(column, row)), rx, ry));
            }
        }
    }
}

void addSeparator(Shapes& shapes, const QTransform& t, QChar ch, bool dots) {
    const auto marks = separatorMarksFor(ch);
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const QRectF mark = t.mapRect(QRectF(0, SeparatorMarkRows[k] - Stroke / 2, Stroke, Stroke));
        shapes.pick(marks[k]).push_back(dots ? dot(mark.center(), mark.width() / 2, mark.height() / 2)
                                             : QPolygonF(mark));
    }
}

void fill(QPainter& painter, const std::vector<QPolygonF>& polygons, const QColor& colour) {
    painter.setBrush(colour);
    for (const QPolygonF& polygon : polygons) {
        painter.drawConvexPolygon(polygon);
    }
}

} // namespace

QColor unlitColour(const QColor& lit, const QColor& back) {
    const auto mix = [](float a, float b) {
        return UnlitShare * a + (1 - UnlitShare) * b;
    };
    const QColor l = lit.toRgb();
    const QColor b = back.toRgb();
    return QColor::fromRgbF(mix(l.redF(), b.redF()), mix(l.greenF(), b.greenF()), mix(l.blueF(), b.blueF()));
}

void paintCells(QPainter& painter, std::span<const Cell> cells, const Style& style) {
    Shapes shapes;
    for (const Cell& cell : cells) {
        const QTransform t =
            QTransform::fromTranslate(cell.rect.x(), cell.rect.y())
                .scale(cell.rect.width() / boxWidth(cell.kind), cell.rect.height() / GlyphHeight);
        switch (cell.kind) {
        case SlotKind::Digit:
            addSegments(shapes, t, SegmentMask(0x7F), segmentsFor(cell.ch), style.dots);
            break;
        case SlotKind::HalfDigit:
            // The half place is the left column of a digit: its 1 is one bar.
            addSegments(shapes, t, SegE | SegF, cell.ch == u'1' ? SegE | SegF : 0, style.dots);
            break;
        case SlotKind::Separator:
            addSeparator(shapes, t, cell.ch, style.dots);
            break;
        }
    }
    painter.setPen(Qt::NoPen);
    fill(painter, shapes.unlit, style.unlit);
    fill(painter, shapes.lit, style.lit);
}

} // namespace led
