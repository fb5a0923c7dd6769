#include "scoreboard/boarddesign.h"

#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/imagebox.h"
#include "platform/twips.h"

#include <QLabel>
#include <QWidget>
#include <array>

namespace boarddesign {

namespace {

using enum Kind;
using enum ColorRole;

// clang-format off
constexpr std::array Elements{
    // The frames first, so that everything else stacks above them.
    Element{.name = "Shape3", .kind = RoundedRectangle, .left = 120, .top = 960, .width = 9255, .height = 5745,
            .role = Border, .borderWidth = 7},
    Element{.name = "Shape1", .kind = RoundedRectangle, .left = 2693, .top = 960, .width = 4095, .height = 1605,
            .role = Border, .borderWidth = 7},
    Element{.name = "shpObjectSelected", .kind = Rectangle},

    Element{.name = "lblTitle", .kind = Label, .left = 120, .top = 0, .width = 9255, .height = 855,
            .text = "Home", .fontSize = 30, .role = Caption},
    Element{.name = "picHomeContainer", .kind = PictureBox, .left = 240, .top = 2280, .width = 2265,
            .height = 600},
    Element{.name = "picVisitorContainer", .kind = PictureBox, .left = 6960, .top = 2280, .width = 2265,
            .height = 600},
    Element{.name = "lblHome", .kind = Label, .parent = "picHomeContainer", .width = 2265, .height = 600,
            .text = "Home", .fontSize = 24, .role = Caption},
    Element{.name = "lblVisitor", .kind = Label, .parent = "picVisitorContainer", .width = 2265, .height = 600,
            .text = "Visitor", .fontSize = 24, .role = Caption},
    Element{.name = "picHomePicContainer", .kind = PictureBox, .left = 600, .top = 1080, .width = 1965,
            .height = 1155, .role = PictureBack},
    Element{.name = "picVisitorPicContainer", .kind = PictureBox, .left = 6960, .top = 1080, .width = 1965,
            .height = 1155, .role = PictureBack},
    Element{.name = "picBoardPicContainer", .kind = PictureBox, .left = 4320, .top = 3120, .width = 1455,
            .height = 1095, .role = PictureBack},
    Element{.name = "imgHomePic", .kind = Image, .parent = "picHomePicContainer", .width = 1965, .height = 1155,
            .accessibleName = "Home team picture"},
    Element{.name = "imgVisitorPic", .kind = Image, .parent = "picVisitorPicContainer", .width = 1965,
            .height = 1155, .accessibleName = "Visitor team picture"},
    Element{.name = "imgBoardPic", .kind = Image, .parent = "picBoardPicContainer", .width = 1455, .height = 1095,
            .accessibleName = "Board picture"},

    Element{.name = "lblPeriod", .kind = Label, .left = 5640, .top = 2715, .width = 1335, .height = 375,
            .text = "Period", .fontSize = 13, .role = Caption},
    Element{.name = "lblShotClock", .kind = Label, .left = 2610, .top = 2715, .width = 1815, .height = 375,
            .text = "Shot Clock", .fontSize = 13, .role = Caption},
    Element{.name = "lblPossH", .kind = Label, .left = 2633, .top = 4320, .width = 615, .height = 615,
            .text = "<", .fontSize = 26},
    Element{.name = "lblPossV", .kind = Label, .left = 6233, .top = 4320, .width = 615, .height = 615,
            .text = ">", .fontSize = 26},
    Element{.name = "lblBonusH", .kind = Label, .left = 1200, .top = 4440, .width = 1335, .height = 495,
            .text = "Bonus", .fontSize = 15, .role = Caption},
    Element{.name = "lblBonusV", .kind = Label, .left = 7080, .top = 4440, .width = 1335, .height = 495,
            .text = "Bonus", .fontSize = 15, .role = Caption},
    // The bonus lights: index 0 is the inner one, next to the caption.
    Element{.name = "shpBonusH", .kind = Circle, .left = 840, .top = 4500, .width = 255, .height = 255,
            .accessibleName = "Home bonus, inner", .borderWidth = 1},
    Element{.name = "shpBonusV", .kind = Circle, .left = 8520, .top = 4500, .width = 255, .height = 255,
            .accessibleName = "Visitor bonus, inner", .borderWidth = 1},
    Element{.name = "shpBonusH", .kind = Circle, .left = 480, .top = 4500, .width = 255, .height = 255,
            .accessibleName = "Home bonus, outer", .borderWidth = 1},
    Element{.name = "shpBonusV", .kind = Circle, .left = 8880, .top = 4500, .width = 255, .height = 255,
            .accessibleName = "Visitor bonus, outer", .borderWidth = 1},
    Element{.name = "lblFoulsH", .kind = Label, .left = 240, .top = 4920, .width = 1575, .height = 495,
            .text = "Fouls", .fontSize = 15, .role = Caption},
    Element{.name = "lblFoulsV", .kind = Label, .left = 7680, .top = 4920, .width = 1575, .height = 495,
            .text = "Fouls", .fontSize = 15, .role = Caption},
    Element{.name = "lblTimeoutsH", .kind = Label, .left = 1800, .top = 4920, .width = 1575, .height = 495,
            .text = "T.O.L.", .fontSize = 15, .role = Caption},
    Element{.name = "lblTimeoutsV", .kind = Label, .left = 6120, .top = 4920, .width = 1575, .height = 495,
            .text = "T.O.L.", .fontSize = 15, .role = Caption},
    Element{.name = "lblPlayerFouls", .kind = Label, .left = 3300, .top = 4920, .width = 2895, .height = 495,
            .text = "Player Fouls", .fontSize = 15, .role = Caption},
    Element{.name = "lblCreatedBy", .kind = Label, .left = 3240, .top = 4470, .width = 3015, .height = 375,
            .text = "Ravenmark scoreboard", .fontSize = 8, .bold = false, .role = Caption},

    // Read-outs, in tab order after the game clock.
    Element{.name = "digHome", .kind = DigitPanel, .left = 360, .top = 2940, .role = Score, .digitSize = 75,
            .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 199, .accessibleName = "Home score"},
    Element{.name = "digVisitor", .kind = DigitPanel, .left = 6960, .top = 2940, .role = Score, .digitSize = 75,
            .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 199, .accessibleName = "Visitor score"},
    Element{.name = "digFoulsH", .kind = DigitPanel, .left = 480, .top = 5400, .role = Period, .digitSize = 60,
            .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 19, .accessibleName = "Home team fouls"},
    Element{.name = "digFoulsV", .kind = DigitPanel, .left = 7920, .top = 5400, .role = Period, .digitSize = 60,
            .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 19, .accessibleName = "Visitor team fouls"},
    Element{.name = "digTimeoutsH", .kind = DigitPanel, .left = 2160, .top = 5400, .role = Period,
            .digitSize = 60, .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 9,
            .accessibleName = "Home timeouts left"},
    Element{.name = "digTimeoutsV", .kind = DigitPanel, .left = 6600, .top = 5400, .role = Period,
            .digitSize = 60, .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 9,
            .accessibleName = "Visitor timeouts left"},
    Element{.name = "digPlayerFoul", .kind = DigitPanel, .left = 3360, .top = 5400, .role = Score,
            .digitSize = 60, .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 99,
            .accessibleName = "Player"},
    Element{.name = "digFouls", .kind = DigitPanel, .left = 5280, .top = 5400, .role = Score, .digitSize = 60,
            .paddingH = 160, .paddingV = 90, .paddingI = 180, .max = 9, .accessibleName = "Player fouls"},
    Element{.name = "digPeriod", .kind = DigitPanel, .left = 5940, .top = 3120, .role = Period, .digitSize = 60,
            .paddingH = 90, .paddingV = 90, .paddingI = 90, .max = 9, .accessibleName = "Period"},
    Element{.name = "digShotClock", .kind = DigitPanel, .left = 2820, .top = 3120, .role = Time, .digitSize = 60,
            .paddingH = 90, .paddingV = 90, .paddingI = 90, .max = 99, .accessibleName = "Shot clock"},
    Element{.name = "clkGame", .kind = ClockPanel, .left = 2813, .top = 1080, .role = Time, .digitSize = 80,
            .paddingH = 150, .paddingI = 175, .paddingD = 180, .accessibleName = "Game clock"},
};

constexpr std::array NumberFields{
    NumberField{"digHome", GameField::ScoreHome},         NumberField{"digVisitor", GameField::ScoreVisitor},
    NumberField{"digFoulsH", GameField::FoulsHome},       NumberField{"digFoulsV", GameField::FoulsVisitor},
    NumberField{"digTimeoutsH", GameField::TimeoutsHome}, NumberField{"digTimeoutsV", GameField::TimeoutsVisitor},
    NumberField{"digPlayerFoul", GameField::PlayerFoul},  NumberField{"digFouls", GameField::PlayerFouls},
    NumberField{"digPeriod", GameField::Period},
};

constexpr std::array TabOrder{"clkGame",      "digHome",       "digShotClock", "digPeriod",
                              "digVisitor",   "digFoulsH",     "digTimeoutsH", "digPlayerFoul",
                              "digFouls",     "digTimeoutsV",  "digFoulsV"};
// clang-format on

// The design's own colours, before the scheme is applied.
QColor designColor(ColorRole role) {
    switch (role) {
    case Caption:
    case Border:
        return Qt::white;
    case Time:
        return QColor(255, 128, 0);
    case Score:
        return QColor(255, 0, 0);
    case Period:
        return QColor(0, 192, 0);
    case PictureBack:
        return QColor(128, 128, 128);
    case FormBack:
        return QColor(64, 64, 64);
    case None:
        break;
    }
    return Qt::black;
}

void setBackground(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QWidget* makeLabel(const Element& e, QWidget* parent) {
    auto* label = new QLabel(QLatin1String(e.text), parent);
    label->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(e.fontSize);
    font.setBold(e.bold);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, designColor(e.role == None ? Caption : e.role));
    label->setPalette(pal);
    return label;
}

QWidget* makeShape(const Element& e, QWidget* parent) {
    const BoardShape::Kind kind = e.kind == Circle      ? BoardShape::Kind::Circle
                                  : e.kind == Rectangle ? BoardShape::Kind::Rectangle
                                                        : BoardShape::Kind::RoundedRectangle;
    auto* shape = new BoardShape(kind, parent);
    shape->setBorderWidth(e.borderWidth);
    shape->setBorderColor(e.kind == Circle ? QColor(Qt::black) : designColor(e.role));
    // The frames are open; the lights and the selection mark are filled.
    if (e.kind != RoundedRectangle) {
        shape->setFillColor(designColor(FormBack));
    }
    return shape;
}

template <typename Panel> Panel* makeReadout(const Element& e, QWidget* parent) {
    auto* panel = new Panel(parent);
    panel->setDigitSize(e.digitSize);
    panel->setPaddingH(e.paddingH);
    panel->setPaddingV(e.paddingV);
    panel->setPaddingI(e.paddingI);
    panel->setLitColor(designColor(e.role));
    panel->setBackColor(Qt::black);
    return panel;
}

QWidget* make(const Element& e, QWidget* parent) {
    switch (e.kind) {
    case Label:
        return makeLabel(e, parent);
    case PictureBox: {
        auto* box = new QWidget(parent);
        setBackground(box, designColor(e.role));
        // Picture boxes take the focus when clicked, as on the old board; Tab passes them by.
        box->setFocusPolicy(Qt::ClickFocus);
        return box;
    }
    case Image:
        return new ImageBox(parent);
    case Rectangle:
    case RoundedRectangle:
    case Circle:
        return makeShape(e, parent);
    case DigitPanel: {
        auto* panel = makeReadout<::DigitPanel>(e, parent);
        panel->setMax(e.max);
        return panel;
    }
    case ClockPanel: {
        auto* panel = makeReadout<::ClockPanel>(e, parent);
        panel->setPaddingD(e.paddingD);
        panel->setCaption(600);
        return panel;
    }
    }
    return nullptr;
}

} // namespace

std::span<const Element> elements() {
    return Elements;
}

std::span<const NumberField> numberFields() {
    return NumberFields;
}

std::span<const char* const> tabOrder() {
    return TabOrder;
}

void build(QWidget* board) {
    for (const Element& e : Elements) {
        QWidget* parent = e.parent ? board->findChild<QWidget*>(QLatin1String(e.parent)) : board;
        QWidget* w = make(e, parent);
        w->setObjectName(QLatin1String(e.name));
        if (e.accessibleName) {
            w->setAccessibleName(QLatin1String(e.accessibleName));
        }
        if (e.kind == Circle) {
            // Assistive tools tell the lights of a side apart by their index.
            const qsizetype index = board->findChildren<QWidget*>(QLatin1String(e.name)).size() - 1;
            w->setProperty("Index", int(index));
            w->setAccessibleDescription(QStringLiteral("%1(%2)").arg(QLatin1String(e.name)).arg(index));
        }
        const bool sizesItself = e.kind == DigitPanel || e.kind == ClockPanel;
        if (sizesItself) {
            w->move(twips::toPixels(QPoint(e.left, e.top)));
        } else {
            w->setGeometry(twips::toPixels(e.left, e.top, e.width, e.height));
        }
    }
}

} // namespace boarddesign
