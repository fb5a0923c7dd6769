#pragma once

#include <QChar>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Where the LED read-outs put their digits, shared by every read-out. One digit is
// defined once in a 9 × 16 box of glyph units with segments 2 units thick (1/8 of the
// height); painting scales that box to the read-out's digit size.
namespace led {

inline constexpr double GlyphWidth = 9.0;
inline constexpr double GlyphHeight = 16.0;
inline constexpr double Stroke = 2.0;

// Segments in the usual order: a top, b upper right, c lower right, d bottom,
// e lower left, f upper left, g middle.
enum Segment : std::uint8_t { SegA = 1, SegB = 2, SegC = 4, SegD = 8, SegE = 16, SegF = 32, SegG = 64 };
inline constexpr int SegmentCount = 7;
using SegmentMask = std::uint8_t;

// Lit segments of a character; a blank, and anything that is no digit or minus, lights nothing.
SegmentMask segmentsFor(QChar ch);

// The segment polygons in glyph units, indexed like the bits of Segment.
const std::array<QPolygonF, SegmentCount>& segmentPolygons();

// The dot style puts a 4 × 7 grid of dots on the segments' centre lines; a dot is lit
// when any segment running through it is lit.
inline constexpr int DotColumns = 4;
inline constexpr int DotRows = 7;
inline constexpr double DotDiameter = 2.0;
QPointF dotCentre(int column, int row);
SegmentMask segmentsThroughDot(int column, int row);

// The separator slot of the clock carries a colon (two marks) and a decimal point,
// each Stroke square, centred in a Stroke-wide column.
inline constexpr std::array<double, 3> SeparatorMarkRows = {5.0, 11.0, 15.0};
std::array<bool, 3> separatorMarksFor(QChar ch);

enum class SlotKind {
    Digit,
    HalfDigit, // a leading place one stroke wide that can only show a 1
    Separator, // the clock's colon or decimal point
};

// The read-out's sizes in pixels.
struct Metrics {
    double digitHeight = 0;
    double padH = 0; // left and right
    double padV = 0; // top and bottom
    double padI = 0; // between neighbouring digit places
    double padD = 0; // each side of a separator

    double digitWidth() const { return digitHeight * GlyphWidth / GlyphHeight; }
    double stroke() const { return digitHeight * Stroke / GlyphHeight; }
};

// The places a number read-out needs for values up to max: 9 one place, 99 two, and a
// leading 1 (19, 199) becomes a half place.
std::vector<SlotKind> placesForMax(int max);
// Minutes and seconds, or seconds and tenths, around one separator.
std::vector<SlotKind> clockPlaces();

QSizeF readoutSize(std::span<const SlotKind> places, const Metrics& m);

// One thing to draw: a character in a box. A digit's box may be narrower than a digit
// when its text had to be squeezed in.
struct Cell {
    QRectF rect;
    QChar ch;
    SlotKind kind;
};

// Puts text into the places of a read-out whose top-left corner is at origin. The text
// is split at ':' and '.' when the read-out has a separator: the part before it is
// aligned right, the part after it left; a read-out without separator aligns the whole
// text right. Every place gets a cell, blank or not, so unlit segments can be drawn. A
// part that does not fit its places is squeezed into their width, never cut.
std::vector<Cell> layoutText(const QString& text, std::span<const SlotKind> places, const Metrics& m,
                             QPointF origin = {});

} // namespace led
