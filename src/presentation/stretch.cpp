#include "presentation/stretch.h"

#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/dotpanel.h"
#include "platform/twips.h"
#include "presentation/elementkind.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace modStretch {

namespace {

// The standard outer window size the team-name font sizes are designed for.
constexpr double StandardOuterWidth = 9600;
constexpr double StandardOuterHeight = 7200;

int toInt(double x) {
    return static_cast<int>(std::lround(x));
}

std::int16_t twipsOf(int pixels) {
    return ToInt16(twips::fromPixels(pixels));
}

} // namespace

double AtLeastOne(double x) {
    return x >= 1 ? x : 1;
}

double RSize(double value, double outerWidthTwips, double outerHeightTwips) {
    // Compared in single precision, so a window exactly 4:3 counts as width-limited.
    if (float(outerHeightTwips) / 3 < float(outerWidthTwips) / 4) {
        return value / StandardOuterHeight * outerHeightTwips;
    }
    return value / StandardOuterWidth * outerWidthTwips;
}

std::int16_t ToInt16(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    const double r = std::nearbyint(x); // the default rounding mode: a tie to even
    return static_cast<std::int16_t>(std::clamp(r, double(std::numeric_limits<std::int16_t>::min()),
                                                double(std::numeric_limits<std::int16_t>::max())));
}

Stretch StretchFor(double scaleWidth, double scaleHeight, int designWidth, int designHeight) {
    if (designWidth <= 0 || designHeight <= 0) {
        return {};
    }
    const float rH = float(scaleHeight) / float(designHeight);
    const float rW = float(scaleWidth) / float(designWidth);
    Stretch s;
    if (rW >= rH) {
        s.factor = scaleHeight / designHeight;
        // Whole twips, as the old record held them; a 4K window needs more than 16 bits.
        s.dx = std::nearbyint((scaleWidth - designWidth * s.factor) / 2);
    } else {
        s.factor = scaleWidth / designWidth;
        s.dy = std::nearbyint((scaleHeight - designHeight * s.factor) / 2);
    }
    return s;
}

void BoardLayout::RecordLayout(QWidget& window) {
    m_items.clear();
    m_designHeight = twipsOf(window.height());
    m_designWidth = twipsOf(window.width());
    const QList<QWidget*> elements = window.findChildren<QWidget*>();
    m_items.reserve(std::size_t(elements.size()));
    for (QWidget* element : elements) {
        LayoutItem item;
        const QRect g = element->geometry();
        switch (kindOf(*element)) {
        case ElementKind::ClockPanel: {
            auto* clock = static_cast<ClockPanel*>(element);
            item.PaddingD = ToInt16(clock->paddingD());
            [[fallthrough]];
        }
        case ElementKind::DigitPanel: {
            auto* panel = static_cast<PaddedLedReadout*>(element);
            item.Size = ToInt16(panel->digitSize());
            item.PaddingH = ToInt16(panel->paddingH());
            item.PaddingV = ToInt16(panel->paddingV());
            item.PaddingI = ToInt16(panel->paddingI());
            break;
        }
        case ElementKind::DotPanel:
            item.Size = ToInt16(static_cast<DotPanel*>(element)->digitSize());
            break;
        case ElementKind::PictureBox:
        case ElementKind::Image:
            item.Height = twipsOf(g.height());
            item.Width = twipsOf(g.width());
            break;
        case ElementKind::Label: {
            item.Height = twipsOf(g.height());
            item.Width = twipsOf(g.width());
            const double points = element->font().pointSizeF();
            item.FontSize = points > 0 ? ToInt16(points) : 0;
            break;
        }
        case ElementKind::Shape:
            item.Height = twipsOf(g.height());
            item.Width = twipsOf(g.width());
            item.BorderWidth = ToInt16(static_cast<BoardShape*>(element)->borderWidth());
            break;
        case ElementKind::Other:
            continue;
        }
        item.Control = element;
        item.Left = twipsOf(g.x());
        item.Top = twipsOf(g.y());
        m_items.push_back(item);
    }
}

const LayoutItem* BoardLayout::find(const QWidget* control) const {
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [control](const LayoutItem& item) { return item.Control == control; });
    return it == m_items.end() ? nullptr : &*it;
}

void BoardLayout::StretchLayout(QWidget& window) const {
    if (window.isMinimized() || m_designWidth <= 0 || m_designHeight <= 0) {
        return;
    }
    // Every element is rewritten before the window paints again, once.
    const bool painting = window.updatesEnabled();
    window.setUpdatesEnabled(false);

    const Stretch s = StretchFor(twips::fromPixels(window.width()), twips::fromPixels(window.height()),
                                 m_designWidth, m_designHeight);
    const double f = s.factor;
    // A size scaled below one unit is written as one; a length below a pixel as a pixel.
    const auto scaled = [f](std::int16_t design) {
        return AtLeastOne(design * f);
    };
    const auto pixels = [&](std::int16_t design, int current) {
        return design != 0 ? std::max(1, twips::toPixels(scaled(design))) : current;
    };

    for (const LayoutItem& item : m_items) {
        QWidget* element = item.Control.data();
        if (element == nullptr) {
            continue;
        }
        // Elements inside a picture box move with it.
        const bool onWindow = element->parentWidget() == &window;
        const int left = twips::toPixels(item.Left * f + (onWindow ? s.dx : 0));
        const int top = twips::toPixels(item.Top * f + (onWindow ? s.dy : 0));
        element->setGeometry(left, top, pixels(item.Width, element->width()),
                             pixels(item.Height, element->height()));

        if (item.FontSize != 0) {
            QFont font = element->font();
            font.setPointSizeF(scaled(item.FontSize));
            element->setFont(font);
        }
        if (item.BorderWidth != 0) {
            if (auto* shape = qobject_cast<BoardShape*>(element)) {
                shape->setBorderWidth(toInt(scaled(item.BorderWidth)));
            }
        }
        auto* readout = qobject_cast<LedReadout*>(element);
        if (readout != nullptr && item.Size != 0) {
            readout->setDigitSize(toInt(scaled(item.Size)));
        }
        if (auto* padded = qobject_cast<PaddedLedReadout*>(element)) {
            if (item.PaddingH != 0) {
                padded->setPaddingH(toInt(scaled(item.PaddingH)));
            }
            if (item.PaddingV != 0) {
                padded->setPaddingV(toInt(scaled(item.PaddingV)));
            }
            if (item.PaddingI != 0) {
                padded->setPaddingI(toInt(scaled(item.PaddingI)));
            }
        }
        if (auto* clock = qobject_cast<ClockPanel*>(element); clock != nullptr && item.PaddingD != 0) {
            clock->setPaddingD(toInt(scaled(item.PaddingD)));
        }
    }
    window.setUpdatesEnabled(painting); // repaints the whole window once
}

} // namespace modStretch

namespace modStretch {

void SetLedType(QWidget& window, int ledType) {
    for (LedReadout* readout : window.findChildren<LedReadout*>()) {
        readout->setLedType(ledType);
    }
}

} // namespace modStretch
