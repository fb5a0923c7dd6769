#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <vector>

// Scaling the board with its window: the design geometry of every element is recorded
// once, and every resize writes it back scaled by one factor, with the design centred in
// the window. Lengths are in twips, font sizes in points, digit sizes and border widths
// in the elements' own units.
namespace modStretch {

// The design value of one element; 0 means not recorded and is never written back.
struct LayoutItem {
    QPointer<QWidget> Control;
    std::int16_t Left = 0;
    std::int16_t Top = 0;
    std::int16_t Height = 0;
    std::int16_t Width = 0;
    std::int16_t FontSize = 0;
    std::int16_t BorderWidth = 0;
    std::int16_t Size = 0;
    std::int16_t PaddingD = 0;
    std::int16_t PaddingI = 0;
    std::int16_t PaddingH = 0;
    std::int16_t PaddingV = 0;
};

// x when x is at least 1, else 1.
double AtLeastOne(double x);

// A value designed for the standard outer window size of 9600 x 7200 twips, scaled to an
// outer size by the smaller of the two ratios (the width ratio on a tie).
double RSize(double value, double outerWidthTwips, double outerHeightTwips);

// One factor for both directions, and the offset that centres the design in the spare
// space of the other direction (twips).
struct Stretch {
    double factor = 1;
    double dx = 0;
    double dy = 0;
};
// The height ratio wins a tie. Design sizes of 0 give the identity.
Stretch StretchFor(double scaleWidth, double scaleHeight, int designWidth, int designHeight);

// The whole number nearest to x, a tie to the even one, within the 16-bit range.
std::int16_t ToInt16(double x);

// The record of one window, owned by that window.
class BoardLayout {
public:
    // Reads every element of the window that has a place and a size.
    void RecordLayout(QWidget& window);
    // Rewrites every recorded element for the window's current size; a minimised window
    // is left alone. Painting is held back until every element is in place.
    void StretchLayout(QWidget& window) const;

    const std::vector<LayoutItem>& LayoutItems() const { return m_items; }
    const LayoutItem* find(const QWidget* control) const;
    int DesignWidth() const { return m_designWidth; }
    int DesignHeight() const { return m_designHeight; }

private:
    std::vector<LayoutItem> m_items;
    std::int16_t m_designWidth = 0;
    std::int16_t m_designHeight = 0;
};

} // namespace modStretch

namespace modStretch {

// Hands a digit style to every LED read-out of the window (0 segment lines, 1 dots; any
// other value is passed on and drawn as lines). Nothing else of a read-out changes.
void SetLedType(QWidget& window, int ledType);

} // namespace modStretch
