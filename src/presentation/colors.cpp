#include "presentation/colors.h"

#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/ledreadout.h"
#include "platform/rgbcolor.h"
#include "presentation/elementkind.h"
#include "settings/settings.h"

#include <QWidget>

namespace modColor {

namespace {

template <typename T = QWidget> T* element(QWidget& window, const char* name) {
    return window.findChild<T*>(QLatin1String(name));
}

} // namespace

void setTextColor(QWidget& widget, std::int32_t color) {
    QPalette pal = widget.palette();
    pal.setColor(QPalette::WindowText, rgbcolor::toQColor(color));
    widget.setPalette(pal);
}

void setBackground(QWidget& widget, std::int32_t color) {
    QPalette pal = widget.palette();
    pal.setColor(QPalette::Window, rgbcolor::toQColor(color));
    widget.setPalette(pal);
    widget.setAutoFillBackground(true);
}

void ColorReadout(LedReadout& readout, std::int32_t litColor, std::int32_t ledBack) {
    readout.setBackColor(rgbcolor::toQColor(ledBack));
    readout.setLitColor(rgbcolor::toQColor(litColor));
}

void ColorReadout(std::span<LedReadout* const> group, std::int32_t litColor, std::int32_t ledBack) {
    for (LedReadout* readout : group) {
        if (readout != nullptr) {
            ColorReadout(*readout, litColor, ledBack);
        }
    }
}

void ColorByType(QWidget& window, const QStringList& skip, const SettingsRecord& settings) {
    QString skipText = QStringLiteral("|");
    for (const QString& name : skip) {
        skipText += name + u'|';
    }
    for (QWidget* element : window.findChildren<QWidget*>()) {
        if (skipText.contains(u'|' + element->objectName() + u'|')) {
            continue;
        }
        switch (kindOf(*element)) {
        case ElementKind::Label:
            setTextColor(*element, settings.BorderColor);
            break;
        case ElementKind::PictureBox:
            setBackground(*element, settings.LEDBack);
            break;
        case ElementKind::Shape:
            static_cast<BoardShape*>(element)->setBorderColor(rgbcolor::toQColor(settings.LEDBack));
            break;
        default:
            break;
        }
    }
}

const QStringList& IndividuallyColoured() {
    static const QStringList names = {
        QStringLiteral("lblHome"),
        QStringLiteral("lblVisitor"),
        QStringLiteral("Shape1"),
        QStringLiteral("Shape3"),
        QStringLiteral("shpBonusH"),
        QStringLiteral("shpBonusH"),
        QStringLiteral("shpBonusV"),
        QStringLiteral("shpBonusV"),
        QStringLiteral("picHomeContainer"),
        QStringLiteral("picVisitorContainer"),
        QStringLiteral("picHomePicContainer"),
        QStringLiteral("picVisitorPicContainer"),
        QStringLiteral("picBoardPicContainer"),
        QStringLiteral("lblPossH"),
        QStringLiteral("lblPossV"),
    };
    return names;
}

void UpdateFormColors(QWidget& window, const SettingsRecord& settings) {
    setBackground(window, settings.FormBack);

    const struct {
        const char* name;
        std::int32_t lit;
    } readouts[] = {
        {"clkGame", settings.TimeColor},        {"digShotClock", settings.TimeColor},
        {"digHome", settings.ScoreColor},       {"digVisitor", settings.ScoreColor},
        {"digPeriod", settings.PeriodColor},    {"digTimeoutsH", settings.PeriodColor},
        {"digTimeoutsV", settings.PeriodColor}, {"digFoulsH", settings.PeriodColor},
        {"digFoulsV", settings.PeriodColor},    {"digPlayerFoul", settings.ScoreColor},
        {"digFouls", settings.ScoreColor},
    };
    for (const auto& r : readouts) {
        if (auto* readout = element<LedReadout>(window, r.name)) {
            ColorReadout(*readout, r.lit, settings.LEDBack);
        }
    }

    ColorByType(window, IndividuallyColoured(), settings);

    if (auto* home = element(window, "lblHome")) {
        setTextColor(*home, settings.HomeColor);
    }
    if (auto* visitor = element(window, "lblVisitor")) {
        setTextColor(*visitor, settings.VisitorColor);
    }
    for (const char* frame : {"Shape1", "Shape3"}) {
        if (auto* shape = element<BoardShape>(window, frame)) {
            shape->setBorderColor(rgbcolor::toQColor(settings.BorderColor));
        }
    }
    for (const char* box : {"picHomePicContainer", "picVisitorPicContainer", "picBoardPicContainer",
                            "picHomeContainer", "picVisitorContainer"}) {
        if (auto* w = element(window, box)) {
            setBackground(*w, settings.FormBack);
        }
    }
    if (auto* marker = element<BoardShape>(window, "shpObjectSelected")) {
        marker->setFillColor(rgbcolor::toQColor(settings.LEDSelected));
    }
    if (auto* clock = element<ClockPanel>(window, "clkGame")) {
        clock->setFrameColor(rgbcolor::toQColor(settings.BorderColor));
    }
}

} // namespace modColor
