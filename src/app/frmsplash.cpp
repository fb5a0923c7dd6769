#include "app/frmsplash.h"

#include "platform/twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <array>

namespace splash {

float topEdge(float screenHeight) {
    return (screenHeight - static_cast<float>(CentredHeight)) / 2.0f;
}

float leftEdge(float screenWidth, float windowWidth) {
    return (screenWidth - windowWidth) / 2.0f;
}

bool isBypass(const QStringList& arguments) {
    return arguments == QStringList{QStringLiteral("bypass")};
}

QString versionCaption(int major, int minor, int patch) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(patch);
}

} // namespace splash

namespace {

constexpr int LogoPixels = 126;

// The labels and buttons are laid out for a small dialog face.
QFont dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

QFont serifFont(qreal points) {
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    return font;
}

// The labels' boxes are tight; where the face at hand is wider than the one they were laid
// out for, the text gets a little smaller rather than cut off.
void shrinkToFit(QLabel* label) {
    constexpr qreal SmallestPoints = 6.0;
    QFont font = label->font();
    const auto fits = [&] {
        const QRect needed = QFontMetrics(font).boundingRect(
            QRect(0, 0, label->width(), 10000), int(label->alignment()) | Qt::TextWordWrap, label->text());
        return needed.width() <= label->width() && needed.height() <= label->height();
    };
    while (!fits() && font.pointSizeF() - 0.25 >= SmallestPoints) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    label->setFont(font);
}

// Our logo: an amber dot-matrix "R", lit like the board's clock digits, on a dark tile.
QPixmap paintLogo(qreal devicePixelRatio) {
    static constexpr std::array<const char*, 7> Glyph{"####.", "#...#", "#...#", "####.",
                                                      "#.#..", "#..#.", "#...#"};
    constexpr qreal Size = LogoPixels;
    constexpr qreal Pitch = Size / 9;

    QPixmap pixmap(QSize(LogoPixels, LogoPixels) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient tile(0, 0, 0, Size);
    tile.setColorAt(0, QColor(0x33, 0x37, 0x3f));
    tile.setColorAt(1, QColor(0x12, 0x14, 0x18));
    painter.setPen(QPen(QColor(0x5a, 0x60, 0x6b), 1.5));
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(1, 1, Size - 2, Size - 2), Size * 0.18, Size * 0.18);

    const QColor lit(255, 128, 0);
    const QColor glow(255, 128, 0, 70);
    const QColor unlit(0x3d, 0x26, 0x12);
    const QPointF origin((Size - 5 * Pitch + Pitch) / 2, (Size - 7 * Pitch + Pitch) / 2);
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
            const QPointF centre = origin + QPointF(column * Pitch, row * Pitch);
            if (Glyph[row][column] == '#') {
                painter.setBrush(glow);
                painter.drawEllipse(centre, Pitch * 0.55, Pitch * 0.55);
                painter.setBrush(lit);
            } else {
                painter.setBrush(unlit);
            }
            painter.drawEllipse(centre, Pitch * 0.36, Pitch * 0.36);
        }
    }
    return pixmap;
}

} // namespace

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Ravenmark"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(dialogFont());
    resize(twips::toPixels(splash::Width), twips::toPixels(splash::Height));

    frameSplash = new QFrame(this);
    frameSplash->setObjectName(QStringLiteral("frameSplash"));
    frameSplash->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frameSplash->setGeometry(twips::toPixels(120, 0, 6000, 3120));

    lblName = addLabel("lblName", QStringLiteral("Ravenmark"), {120, 240, 5775, 735}, Qt::AlignHCenter);
    lblName->setFont(serifFont(21.75));
    lblMadeBy = addLabel("lblMadeBy", QStringLiteral("by Quillon"), {4200, 840, 1575, 255}, Qt::AlignRight);
    lblVersion =
        addLabel("lblVersion", QStringLiteral("Version 1.0.0"), {3600, 1080, 2175, 375}, Qt::AlignRight);
    lblVersion->setFont(serifFont(15.75));
    lblClick = addLabel("lblClick", QStringLiteral("Click to continue."), {2520, 1080, 1335, 255});
    Label1 = addLabel("Label1", QStringLiteral("Press ' F1 ' to view Help from the scoreboard."),
                      {2640, 1680, 3255, 255});
    Label2 = addLabel("Label2", QStringLiteral("Press ' F2 ' to set Options from the scoreboard."),
                      {2640, 1920, 3255, 375});

    cmdHelp = new QPushButton(QStringLiteral("&Help"), frameSplash);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setGeometry(twips::toPixels(3120, 2520, 1215, 375));
    cmdOptions = new QPushButton(QStringLiteral("&Options"), frameSplash);
    cmdOptions->setObjectName(QStringLiteral("cmdOptions"));
    cmdOptions->setGeometry(twips::toPixels(4560, 2520, 1215, 375));
    setTabOrder(cmdHelp, cmdOptions);
    connect(cmdHelp, &QPushButton::clicked, this, &frmSplash::helpRequested);
    connect(cmdOptions, &QPushButton::clicked, this, &frmSplash::optionsRequested);

    picLogo = new QLabel(frameSplash);
    picLogo->setObjectName(QStringLiteral("picLogo"));
    picLogo->setGeometry(twips::toPixels(240, 960, 1890, 1890));
    picLogo->setPixmap(paintLogo(devicePixelRatioF()));

    for (QLabel* label : {lblName, lblMadeBy, lblClick, Label1, Label2}) {
        shrinkToFit(label);
    }
    goOnWhenClicked({this, frameSplash, picLogo, lblName, lblMadeBy, lblVersion, lblClick, Label1, Label2});

    load();
}

QLabel* frmSplash::addLabel(const char* name, const QString& text, QRect designTwips,
                            Qt::Alignment alignment) {
    auto* label = new QLabel(text, frameSplash);
    label->setObjectName(QLatin1StringView(name));
    label->setGeometry(
        twips::toPixels(designTwips.x(), designTwips.y(), designTwips.width(), designTwips.height()));
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

void frmSplash::goOnWhenClicked(std::initializer_list<QWidget*> targets) {
    for (QWidget* target : targets) {
        target->installEventFilter(this);
        m_clickTargets.append(target);
    }
}

void frmSplash::load() {
    resize(width(), twips::toPixels(splash::Height));

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    const float top = splash::topEdge(static_cast<float>(twips::fromPixels(area.height())));
    const float left = splash::leftEdge(static_cast<float>(twips::fromPixels(area.width())),
                                        static_cast<float>(splash::Width));
    // A screen smaller than the splash gives a negative edge; it is applied as it is.
    move(area.topLeft() + QPoint(twips::toPixels(left), twips::toPixels(top)));

    frameSplash->resize(frameSplash->width(), twips::toPixels(3120));
    lblVersion->setText(
        splash::versionCaption(RAVENMARK_VERSION_MAJOR, RAVENMARK_VERSION_MINOR, RAVENMARK_VERSION_PATCH));
    shrinkToFit(lblVersion);
}

void frmSplash::GoScore() {
    // A second click can arrive before the first close has taken the splash away.
    if (m_goingOn) {
        return;
    }
    m_goingOn = true;
    close();
    emit goScoreRequested();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if ((press || release) && m_clickTargets.contains(watched)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            // Taken here, so that a click on a label is not handled again by the frame and the window.
            if (release && static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint())) {
                GoScore();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!m_goingOn) {
        emit closedWithoutGoingOn();
    }
}
