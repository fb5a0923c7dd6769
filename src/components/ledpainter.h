#pragma once

#include "components/ledgeometry.h"

#include <QColor>
#include <span>

class QPainter;

// The one drawing routine of the LED read-outs: segments as filled polygons, or the
// same segments as rows of round dots.
namespace led {

struct Style {
    QColor lit;
    QColor unlit;
    bool dots = false;
};

// Unlit segments stay faintly visible, as on a real board: 12% of the lit colour
// over the background.
QColor unlitColour(const QColor& lit, const QColor& back);

void paintCells(QPainter& painter, std::span<const Cell> cells, const Style& style);

} // namespace led
