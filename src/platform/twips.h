#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cmath>

// Positions and sizes of the board's design are in twips (1440 to the inch). We map
// them onto Qt's logical pixels at 15 twips a pixel, here and nowhere else.
namespace twips {

inline constexpr int PerPixel = 15;

inline constexpr double toPixelsF(double tw) {
    return tw / PerPixel;
}
inline int toPixels(double tw) {
    return static_cast<int>(std::lround(tw / PerPixel));
}
inline constexpr double fromPixels(double px) {
    return px * PerPixel;
}

// For a least size: rounding down would allow a window a fraction of a pixel below it.
inline int toPixelsAtLeast(int tw) {
    return (tw + PerPixel - 1) / PerPixel;
}
inline QSize toPixelsAtLeast(QSize tw) {
    return QSize(toPixelsAtLeast(tw.width()), toPixelsAtLeast(tw.height()));
}

inline QRect toPixels(int left, int top, int width, int height) {
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}
inline QSize toPixels(QSize tw) {
    return QSize(toPixels(tw.width()), toPixels(tw.height()));
}
inline QPoint toPixels(QPoint tw) {
    return QPoint(toPixels(tw.x()), toPixels(tw.y()));
}

} // namespace twips
