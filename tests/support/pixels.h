#pragma once

// What the tests look for in a grabbed picture, and the plain pictures they give the program.

#include "platform/rgbcolor.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <cstdint>
#include <cstdlib>

namespace pixels {

// A colour as the settings hold it (red in the low byte), as a pixel.
inline QRgb rgbOf(std::int32_t value) {
    return rgbcolor::toQColor(value).rgb();
}

// Whether two pixels agree, each channel within the tolerance; alpha is not compared.
inline bool near(QRgb a, QRgb b, int tolerance = 0) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Whether some pixel has the colour, each channel within the tolerance. Small text and thin
// round outlines are smoothed, so they may have no pixel of the exact colour.
inline bool contains(const QImage& image, QRgb colour, int tolerance = 0) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (near(line[x], colour, tolerance)) {
                return true;
            }
        }
    }
    return false;
}

inline QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The image as the bytes of a file in the format ("PNG", "JPEG" …).
inline QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace pixels
