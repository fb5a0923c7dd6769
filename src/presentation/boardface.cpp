#include "presentation/boardface.h"

#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/imagebox.h"
#include "platform/rgbcolor.h"
#include "presentation/colors.h"
#include "presentation/fitpicture.h"
#include "presentation/stretch.h"

#include <QLabel>
#include <algorithm>
#include <cmath>
#include <limits>

namespace boardface {

namespace {

template <typename T = QWidget> T* element(const QWidget& board, const char* name) {
    return board.findChild<T*>(QLatin1String(name));
}

void centreIn(QLabel* label, const QWidget* container) {
    label->adjustSize();
    label->move(container->width() / 2 - label->width() / 2, container->height() / 2 - label->height() / 2);
}

} // namespace

void showPossession(QWidget& board, int whoPoss, const SettingsRecord& s) {
    if (whoPoss < 0 || whoPoss > 2) {
        return;
    }
    modColor::setTextColor(*element(board, "lblPossH"), whoPoss == 1 ? s.TimeColor : s.LEDBack);
    modColor::setTextColor(*element(board, "lblPossV"), whoPoss == 2 ? s.TimeColor : s.LEDBack);
}

void showBonus(QWidget& board, const BonusLights& lit, const SettingsRecord& s) {
    const QList<BoardShape*> home = board.findChildren<BoardShape*>(QStringLiteral("shpBonusH"));
    const QList<BoardShape*> visitor = board.findChildren<BoardShape*>(QStringLiteral("shpBonusV"));
    const std::array<BoardShape*, 4> lights{home.value(0), home.value(1), visitor.value(0), visitor.value(1)};
    for (std::size_t i = 0; i < lights.size(); ++i) {
        BoardShape* light = lights[i];
        if (light == nullptr) {
            continue;
        }
        light->setBorderColor(rgbcolor::toQColor(s.LEDBack));
        light->setFillColor(rgbcolor::toQColor(lit[i] ? s.ScoreColor : s.FormBack));
        light->setLit(lit[i]);
    }
}

void showLabels(QWidget& board, const SettingsRecord& s, double teamPoints) {
    element<QLabel>(board, "lblTitle")->setText(s.TitleText);
    // Rounded to a whole point, a tie to the even one.
    const double points = std::clamp(std::nearbyint(teamPoints), 1.0, 500.0);
    const auto team = [&](const char* labelName, const char* containerName, const QString& text) {
        auto* label = element<QLabel>(board, labelName);
        label->setText(text);
        QFont font = label->font();
        font.setPointSizeF(points);
        label->setFont(font);
        centreIn(label, element(board, containerName));
    };
    team("lblHome", "picHomeContainer", s.HomeText);
    team("lblVisitor", "picVisitorContainer", s.VisitorText);
    element<QLabel>(board, "lblPeriod")
        ->setText(s.GamePeriod != 0 ? QStringLiteral("Half") : QStringLiteral("Period"));
    modGrabKeys::FitPicture(*element<ImageBox>(board, "imgHomePic"), *element(board, "picHomePicContainer"),
                            s.HomePic);
    modGrabKeys::FitPicture(*element<ImageBox>(board, "imgVisitorPic"),
                            *element(board, "picVisitorPicContainer"), s.VisitorPic);
    modGrabKeys::FitPicture(*element<ImageBox>(board, "imgBoardPic"), *element(board, "picBoardPicContainer"),
                            s.BoardPic);
    modStretch::SetLedType(board, s.LEDType);
}

namespace {
constexpr Currency ShowTenthsBelow = Currency::fromUnits(599000); // 59.9
constexpr Currency AlmostHalf = Currency::fromUnits(4999);        // 0.4999
} // namespace

void showGameClock(ClockPanel& clock, Currency g, bool timeOfDay, QTime now, bool twelveHour) {
    if (timeOfDay) {
        int hour = now.hour();
        if (twelveHour) {
            hour = hour % 12 == 0 ? 12 : hour % 12;
        }
        clock.setTimeFormat(QStringLiteral("60,1"));
        clock.setCaption(float(hour * 60 + now.minute()));
    } else if (g > ShowTenthsBelow) {
        clock.setTimeFormat(QStringLiteral("60,1"));
        clock.setCaption(float((g + AlmostHalf).roundHalfEven()));
    } else {
        clock.setTimeFormat(QStringLiteral("1,.1"));
        clock.setCaption(float(g.toDouble()));
    }
}

void showShotClock(DigitPanel& shotClock, Currency s) {
    if (shotClock.caption() < 0) {
        return;
    }
    const std::int64_t shown = (s + AlmostHalf).roundHalfEven();
    shotClock.setCaption(int(std::clamp<std::int64_t>(shown, std::numeric_limits<std::int16_t>::min(),
                                                      std::numeric_limits<std::int16_t>::max())));
}

} // namespace boardface
