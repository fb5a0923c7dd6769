#pragma once

#include <QColor>
#include <cstdint>

// Stored colours are 32-bit numbers with red in the low byte, then green, then blue
// (255 is red, 16777215 white). This is the one place that turns them into QColor.
namespace rgbcolor {

inline QColor toQColor(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

inline std::int32_t fromQColor(const QColor& color) {
    return std::int32_t(color.red()) | (std::int32_t(color.green()) << 8) |
           (std::int32_t(color.blue()) << 16);
}

} // namespace rgbcolor
