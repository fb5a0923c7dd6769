#include "components/ledpainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace led {

namespace {

constexpr double UnlitShare = 0.12;

double boxWidth(SlotKind kind) {
    return kind == SlotKind::Digit ? GlyphWidth : Stroke;
}

// Everything of one colour goes into one path, so a read-out costs two fills.
struct Paths {
    QPainterPath lit;
    QPainterPath unlit;
    QPainterPath& pick(bool on) { return on ? lit : unlit; }
};

void addSegments(Paths& paths, const QTransform& t, SegmentMask available, SegmentMask on, bool dots) {
    if (!dots) {
        const auto& polygons = segmentPolygons();
        for (int s = 0; s < SegmentCount; ++s) {
            const SegmentMask bit = SegmentMask(1u << s);
            if (available & bit) {
                paths.pick(on & bit).addPolygon(t.map(polygons[s]));
                paths.pick(on & bit).closeSubpath();
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
                paths.pick(through & on).addEllipse(t.map(dotCentre(column, row)), rx, ry);
            }
        }
    }
}

void addSeparator(Paths& paths, const QTransform& t, QChar ch, bool dots) {
    const auto marks = separatorMarksFor(ch);
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const QRectF mark = t.mapRect(QRectF(0, SeparatorMarkRows[k] - Stroke / 2, Stroke, Stroke));
        if (dots) {
            paths.pick(marks[k]).addEllipse(mark);
        } else {
            paths.pick(marks[k]).addRect(mark);
        }
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
    Paths paths;
    paths.lit.setFillRule(Qt::WindingFill);
    paths.unlit.setFillRule(Qt::WindingFill);
    for (const Cell& cell : cells) {
        const QTransform t =
            QTransform::fromTranslate(cell.rect.x(), cell.rect.y())
                .scale(cell.rect.width() / boxWidth(cell.kind), cell.rect.height() / GlyphHeight);
        switch (cell.kind) {
        case SlotKind::Digit:
            addSegments(paths, t, SegmentMask(0x7F), segmentsFor(cell.ch), style.dots);
            break;
        case SlotKind::HalfDigit:
            // The half place is the left column of a digit: its 1 is one bar.
            addSegments(paths, t, SegE | SegF, cell.ch == u'1' ? SegE | SegF : 0, style.dots);
            break;
        case SlotKind::Separator:
            addSeparator(paths, t, cell.ch, style.dots);
            break;
        }
    }
    painter.setPen(Qt::NoPen);
    painter.fillPath(paths.unlit, style.unlit);
    painter.fillPath(paths.lit, style.lit);
}

} // namespace led
