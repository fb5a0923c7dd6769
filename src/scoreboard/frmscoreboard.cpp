#include "scoreboard/frmscoreboard.h"

#include "components/clockengine.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/readoutaccessible.h"
#include "platform/keycodes.h"
#include "platform/pulsesounddevice.h"
#include "platform/rgbcolor.h"
#include "platform/twips.h"
#include "components/boardshape.h"
#include "settings/settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <limits>
#include <utility>

namespace {

// Design client area of the board, in twips.
constexpr int DesignWidth = 9480;
constexpr int DesignHeight = 6795;

// Fixed keys.
constexpr int VkF1 = 112;
constexpr int VkF2 = 113;
constexpr int VkLeft = 37;
constexpr int VkUp = 38;
constexpr int VkRight = 39;
constexpr int VkDown = 40;
constexpr int VkNumLock = 144;

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twips::toPixels(left, top, width, height));
}

void placeAt(QWidget* w, int left, int top) {
    w->move(twips::toPixels(QPoint(left, top)));
}

QColor designGrey(int level) {
    return QColor(level, level, level);
}

void setBackground(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setTextColor(QLabel* label, const QColor& color) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

// Whether a Qt time format shows the hour as 1-12: it has an AM/PM marker ("a", "A",
// "ap", "AP") outside quoted text.
bool usesTwelveHourClock(const QString& format) {
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && (c == u'a' || c == u'A')) {
            return true;
        }
    }
    return false;
}

QColor settingsColor(std::int32_t value) {
    return rgbcolor::toQColor(value);
}

} // namespace

frmScoreBoard::frmScoreBoard(QWidget* parent, BoardEnvironment environment)
    : QWidget(parent), m_env(std::move(environment)) {
    if (!m_env.timeOfDay) {
        m_env.timeOfDay = [] {
            return QTime::currentTime();
        };
    }
    if (!m_env.twelveHourClock) {
        const bool twelveHour = usesTwelveHourClock(QLocale::system().timeFormat(QLocale::ShortFormat));
        m_env.twelveHourClock = [twelveHour] {
            return twelveHour;
        };
    }
    installReadoutAccessibility();
    installBoardShapeAccessibility();
    buildBoard();
    loadBoard();
}

frmScoreBoard::~frmScoreBoard() {
    // Release the sound device whatever way the window goes.
    m_mmcBuzzer->close();
}

void frmScoreBoard::buildBoard() {
    setObjectName(QStringLiteral("frmScoreBoard"));
    setWindowTitle(QStringLiteral("Ravenmark"));
    resize(twips::toPixels(QSize(DesignWidth, DesignHeight)));
    setBackground(this, designGrey(64));
    setFocusPolicy(Qt::NoFocus);

    const auto makeLabel = [this](QWidget* parent, const char* name, const QString& text, int left, int top,
                                  int width, int height, double pointSize, bool bold = true) {
        auto* label = new QLabel(text, parent);
        label->setObjectName(QLatin1String(name));
        label->setAlignment(Qt::AlignCenter);
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(pointSize);
        font.setBold(bold);
        label->setFont(font);
        setTextColor(label, Qt::white);
        place(label, left, top, width, height);
        return label;
    };
    const auto makeShape = [this](BoardShape::Kind kind, const char* name, int left, int top, int width,
                                  int height) {
        auto* shape = new BoardShape(kind, this);
        shape->setObjectName(QLatin1String(name));
        place(shape, left, top, width, height);
        return shape;
    };
    const auto makePictureBox = [this](const char* name, const QColor& color, int left, int top, int width,
                                       int height) {
        auto* box = new QWidget(this);
        box->setObjectName(QLatin1String(name));
        setBackground(box, color);
        // Picture boxes take the focus when clicked, as on the old board; Tab passes them by.
        box->setFocusPolicy(Qt::ClickFocus);
        place(box, left, top, width, height);
        return box;
    };

    // Created first so that everything else stacks above them.
    Shape3 = makeShape(BoardShape::Kind::RoundedRectangle, "Shape3", 120, 960, 9255, 5745);
    Shape1 = makeShape(BoardShape::Kind::RoundedRectangle, "Shape1", 2693, 960, 4095, 1605);
    for (BoardShape* frame : {Shape1, Shape3}) {
        frame->setBorderWidth(7);
        frame->setBorderColor(Qt::white);
    }
    shpObjectSelected = makeShape(BoardShape::Kind::Rectangle, "shpObjectSelected", 0, 0, 0, 0);
    shpObjectSelected->setBorderWidth(0);
    shpObjectSelected->setFillColor(designGrey(64));
    shpObjectSelected->hide();

    lblTitle = makeLabel(this, "lblTitle", QStringLiteral("Home"), 120, 0, 9255, 855, 30);
    picHomeContainer = makePictureBox("picHomeContainer", Qt::black, 240, 2280, 2265, 600);
    picVisitorContainer = makePictureBox("picVisitorContainer", Qt::black, 6960, 2280, 2265, 600);
    lblHome = makeLabel(picHomeContainer, "lblHome", QStringLiteral("Home"), 0, 0, 2265, 600, 24);
    lblVisitor = makeLabel(picVisitorContainer, "lblVisitor", QStringLiteral("Visitor"), 0, 0, 2265, 600, 24);
    picHomePicContainer = makePictureBox("picHomePicContainer", designGrey(128), 600, 1080, 1965, 1155);
    picVisitorPicContainer =
        makePictureBox("picVisitorPicContainer", designGrey(128), 6960, 1080, 1965, 1155);
    picBoardPicContainer = makePictureBox("picBoardPicContainer", designGrey(128), 4320, 3120, 1455, 1095);
    const auto makeImage = [](QWidget* container, const char* name) {
        auto* image = new QLabel(container);
        image->setObjectName(QLatin1String(name));
        image->setScaledContents(true);
        image->resize(container->size());
        return image;
    };
    imgHomePic = makeImage(picHomePicContainer, "imgHomePic");
    imgVisitorPic = makeImage(picVisitorPicContainer, "imgVisitorPic");
    imgBoardPic = makeImage(picBoardPicContainer, "imgBoardPic");

    lblPeriod = makeLabel(this, "lblPeriod", QStringLiteral("Period"), 5640, 2715, 1335, 375, 13);
    makeLabel(this, "lblShotClock", QStringLiteral("Shot Clock"), 2610, 2715, 1815, 375, 13);
    lblPossH = makeLabel(this, "lblPossH", QStringLiteral("<"), 2633, 4320, 615, 615, 26);
    lblPossV = makeLabel(this, "lblPossV", QStringLiteral(">"), 6233, 4320, 615, 615, 26);
    for (QLabel* arrow : {lblPossH, lblPossV}) {
        arrow->installEventFilter(this);
        arrow->setCursor(Qt::PointingHandCursor);
    }
    makeLabel(this, "lblBonusH", QStringLiteral("Bonus"), 1200, 4440, 1335, 495, 15);
    makeLabel(this, "lblBonusV", QStringLiteral("Bonus"), 7080, 4440, 1335, 495, 15);
    const int bonusLeftH[2] = {840, 480};
    const int bonusLeftV[2] = {8520, 8880};
    for (int i = 0; i < 2; ++i) {
        shpBonusH[i] = makeShape(BoardShape::Kind::Circle, "shpBonusH", bonusLeftH[i], 4500, 255, 255);
        shpBonusV[i] = makeShape(BoardShape::Kind::Circle, "shpBonusV", bonusLeftV[i], 4500, 255, 255);
        shpBonusH[i]->setProperty("Index", i);
        shpBonusV[i]->setProperty("Index", i);
        const QString place = i == 0 ? QStringLiteral("inner") : QStringLiteral("outer");
        shpBonusH[i]->setAccessibleName(QStringLiteral("Home bonus, %1").arg(place));
        shpBonusV[i]->setAccessibleName(QStringLiteral("Visitor bonus, %1").arg(place));
        shpBonusH[i]->setAccessibleDescription(QStringLiteral("shpBonusH(%1)").arg(i));
        shpBonusV[i]->setAccessibleDescription(QStringLiteral("shpBonusV(%1)").arg(i));
        for (BoardShape* light : {shpBonusH[i], shpBonusV[i]}) {
            light->setBorderColor(Qt::black);
            light->setFillColor(designGrey(64));
        }
    }
    makeLabel(this, "lblFoulsH", QStringLiteral("Fouls"), 240, 4920, 1575, 495, 15);
    makeLabel(this, "lblFoulsV", QStringLiteral("Fouls"), 7680, 4920, 1575, 495, 15);
    makeLabel(this, "lblTimeoutsH", QStringLiteral("T.O.L."), 1800, 4920, 1575, 495, 15);
    makeLabel(this, "lblTimeoutsV", QStringLiteral("T.O.L."), 6120, 4920, 1575, 495, 15);
    makeLabel(this, "lblPlayerFouls", QStringLiteral("Player Fouls"), 3300, 4920, 2895, 495, 15);
    makeLabel(this, "lblCreatedBy", QStringLiteral("Ravenmark scoreboard"), 3240, 4470, 3015, 375, 8, false);

    // Read-outs: position from the design; their size follows from digit size and paddings.
    struct PanelDesign {
        DigitPanel** field;
        const char* name;
        const char* accessibleName;
        int left, top, size, padH, padV, padI, max;
        QColor lit;
    };
    const QColor red(255, 0, 0);
    const QColor green(0, 192, 0);
    const QColor orange(255, 128, 0);
    const PanelDesign designs[] = {
        {&digHome, "digHome", "Home score", 360, 2940, 75, 160, 90, 180, 199, red},
        {&digVisitor, "digVisitor", "Visitor score", 6960, 2940, 75, 160, 90, 180, 199, red},
        {&digFoulsH, "digFoulsH", "Home team fouls", 480, 5400, 60, 160, 90, 180, 19, green},
        {&digFoulsV, "digFoulsV", "Visitor team fouls", 7920, 5400, 60, 160, 90, 180, 19, green},
        {&digTimeoutsH, "digTimeoutsH", "Home timeouts left", 2160, 5400, 60, 160, 90, 180, 9, green},
        {&digTimeoutsV, "digTimeoutsV", "Visitor timeouts left", 6600, 5400, 60, 160, 90, 180, 9, green},
        {&digPlayerFoul, "digPlayerFoul", "Player", 3360, 5400, 60, 160, 90, 180, 99, red},
        {&digFouls, "digFouls", "Player fouls", 5280, 5400, 60, 160, 90, 180, 9, red},
        {&digPeriod, "digPeriod", "Period", 5940, 3120, 60, 90, 90, 90, 9, green},
        {&digShotClock, "digShotClock", "Shot clock", 2820, 3120, 60, 90, 90, 90, 99, orange},
    };
    for (const PanelDesign& d : designs) {
        auto* panel = new DigitPanel(this);
        panel->setObjectName(QLatin1String(d.name));
        panel->setAccessibleName(QLatin1String(d.accessibleName));
        panel->setMax(d.max);
        panel->setDigitSize(d.size);
        panel->setPaddingH(d.padH);
        panel->setPaddingV(d.padV);
        panel->setPaddingI(d.padI);
        panel->setLitColor(d.lit);
        panel->setBackColor(Qt::black);
        placeAt(panel, d.left, d.top);
        connect(panel, &DigitPanel::focusReceived, this, [this, panel] { ObjectSelected(panel); });
        *d.field = panel;
    }
    digPeriod->setCaption(1);

    clkGame = new ClockPanel(this);
    clkGame->setObjectName(QStringLiteral("clkGame"));
    clkGame->setAccessibleName(QStringLiteral("Game clock"));
    clkGame->setDigitSize(80);
    clkGame->setPaddingH(150);
    clkGame->setPaddingI(175);
    clkGame->setPaddingD(180);
    clkGame->setLitColor(orange);
    clkGame->setBackColor(Qt::black);
    clkGame->setCaption(600);
    placeAt(clkGame, 2813, 1080);
    connect(clkGame, &ClockPanel::focusReceived, this, [this] { ObjectSelected(clkGame); });

    // Typed-entry limits of each number field; the shot clock has its own time entry.
    m_numberFields = {
        {digHome, 199, false},      {digVisitor, 199, false}, {digFoulsH, 19, true},
        {digFoulsV, 19, true},      {digTimeoutsH, 9, false}, {digTimeoutsV, 9, false},
        {digPlayerFoul, 99, false}, {digFouls, 9, false},     {digPeriod, 9, false},
    };

    const QList<QWidget*> order = tabOrder();
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    clkGame->setFocus();

    m_teGame = new ClockEngine(this, m_env.clock ? *m_env.clock : MonotonicClock::system());
    m_teGame->setObjectName(QStringLiteral("teGame"));
    m_teShotClock = new ClockEngine(this, m_env.clock ? *m_env.clock : MonotonicClock::system());
    m_teShotClock->setObjectName(QStringLiteral("teShotClock"));

    m_mmcBuzzer = m_env.buzzer ? m_env.buzzer : new PulseSoundDevice(this);
    m_mmcBuzzer->setParent(this);
    m_mmcBuzzer->setObjectName(QStringLiteral("mmcBuzzer"));
    connect(m_mmcBuzzer, &SoundDevice::finished, this, &frmScoreBoard::buzzerFinished);

    m_tmrClock1 = new QTimer(this);
    m_tmrClock1->setObjectName(QStringLiteral("tmrClock1"));
    m_tmrClock1->setTimerType(Qt::PreciseTimer);
    m_tmrClock1->setInterval(50);
    connect(m_tmrClock1, &QTimer::timeout, this, &frmScoreBoard::RefreshTime);
}

QList<QWidget*> frmScoreBoard::tabOrder() const {
    return {clkGame,      digHome,       digShotClock, digPeriod,    digVisitor, digFoulsH,
            digTimeoutsH, digPlayerFoul, digFouls,     digTimeoutsV, digFoulsV};
}

void frmScoreBoard::loadBoard() {
    // Layout recording for proportional scaling comes first once the board scales.
    openBuzzer();
    m_gameResetTime = 600_cur;
    m_teGame->setSeconds(600_cur);
    RefreshTime();
    UpdateLabels();
    UpdateFormColors();
    UpdateNumLock();
    m_tmrClock1->start();
}

// ---------------------------------------------------------------- selection

void frmScoreBoard::ObjectSelected(QWidget* selectedObject) {
    shpObjectSelected->hide();
    // The mark stands out by the configured width (in units of 15 twips). A width that
    // would overflow the old 16-bit arithmetic leaves the mark hidden instead of failing.
    const int d = int(Settings.LEDSelectedWidth) * 15;
    if (d < std::numeric_limits<std::int16_t>::min() || d > std::numeric_limits<std::int16_t>::max()) {
        return;
    }
    if (selectedObject == nullptr || selectedObject->parentWidget() != this) {
        return;
    }
    const QRect field = selectedObject->geometry();
    const double left = twips::fromPixels(field.x()) - d;
    const double top = twips::fromPixels(field.y()) - d;
    const double width = twips::fromPixels(field.width()) + 2.0 * d + 15;
    const double height = twips::fromPixels(field.height()) + 2.0 * d + 15;
    if (width <= 0 || height <= 0) {
        return;
    }
    shpObjectSelected->setGeometry(QRect(QPoint(twips::toPixels(left), twips::toPixels(top)),
                                         QSize(twips::toPixels(width), twips::toPixels(height))));
    shpObjectSelected->show();
}

// ---------------------------------------------------------------- keyboard

bool frmScoreBoard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_keyWindow && watched != nullptr) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            keyDown(keycodes::fromKeyEvent(*key));
            // Tab and Shift+Tab still move the focus once the board has seen them.
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            return !tab;
        }
        if (event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            // X11 sends a release before each repeated press; only the real release counts.
            if (!key->isAutoRepeat()) {
                AllKeyUp(keycodes::fromKeyEvent(*key), key->modifiers());
            }
            return true;
        }
        return false;
    }
    if ((watched == lblPossH || watched == lblPossV) && event->type() == QEvent::MouseButtonDblClick) {
        // A double-click is one click, not two: its second release toggles nothing.
        m_releaseEndsDoubleClick = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        return true;
    }
    if ((watched == lblPossH || watched == lblPossV) && event->type() == QEvent::MouseButtonRelease) {
        // A click: the left button let go over the arrow.
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* arrow = static_cast<QWidget*>(watched);
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        if (std::exchange(m_releaseEndsDoubleClick, false)) {
            return true;
        }
        if (!arrow->rect().contains(mouse->position().toPoint())) {
            return false;
        }
        if (watched == lblPossH) {
            TogglePossessionHome();
        } else {
            TogglePossessionVisitor();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmScoreBoard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Every key press of this window passes one filter on its native window, so no
    // press can be dispatched twice however Qt propagates it between widgets.
    if (windowHandle() != m_keyWindow) {
        if (m_keyWindow != nullptr) {
            m_keyWindow->removeEventFilter(this);
        }
        m_keyWindow = windowHandle();
        m_keyWindow->installEventFilter(this);
    }
    if (m_firstShow) {
        m_firstShow = false;
        // Without a window manager (a kiosk display) nobody else gives the board the keyboard.
        activateWindow();
        clkGame->setFocus();
        ObjectSelected(clkGame);
    }
}

const frmScoreBoard::NumberField* frmScoreBoard::numberField(const QWidget* widget) const {
    for (const NumberField& field : m_numberFields) {
        if (field.panel == widget) {
            return &field;
        }
    }
    return nullptr;
}

void frmScoreBoard::keyDown(int keyCode) {
    // Every field's key handler runs the command first, then what the field does with the
    // key; the field is the one that had the focus when the key went down.
    QWidget* focus = focusWidget();
    // A command may run a dialog of its own; the board may be gone when it returns.
    const QPointer<frmScoreBoard> self(this);
    AllKeyCode(keyCode);
    if (self.isNull()) {
        return;
    }
    if (focus == clkGame) {
        clkGameKeyDown(keyCode);
    } else if (focus == digShotClock) {
        digShotClockKeyDown(keyCode);
    } else if (const NumberField* field = numberField(focus)) {
        numberFieldKeyDown(*field, keyCode);
    }
}

void frmScoreBoard::numberFieldKeyDown(const NumberField& field, int keyCode) {
    m_typedEntry.TypeDigit(*field.panel, KeyCodeToAsci(keyCode), -1, field.maximum);
    if (field.teamFouls) {
        UpdateBonus();
    }
}

void frmScoreBoard::AllKeyCode(int keyCode) {
    using modShowDigits::ApplyEntry;
    // A key without a code is no command, whatever a garbled setting holds.
    if (keyCode == keycodes::NoKey) {
        return;
    }
    const auto& s = Settings;
    if (keyCode == s.StartStopClockKey) {
        StartStopClock();
    } else if (keyCode == s.ResetClockKey) {
        ResetGameClock();
    } else if (keyCode == s.ResetShotClockKey) {
        ResetShotClock();
    } else if (keyCode == s.ClockSwitchKey) {
        SwitchClockDisplay();
    } else if (keyCode == s.BuzzerKey) {
        Buzzer();
    } else if (keyCode == VkF1) {
        showHelpWindow();
    } else if (keyCode == VkF2) {
        showOptionsDialog();
        UpdateLabels();
        UpdateFormColors();
        RefreshTime();
        reloadBuzzer();
    } else if (keyCode == s.QScoreH1 || keyCode == s.QScoreH2 || keyCode == s.QScoreH3) {
        const char* change = keyCode == s.QScoreH1 ? "+1" : keyCode == s.QScoreH2 ? "+2" : "+3";
        ApplyEntry(*digHome, QLatin1String(change), -1, 199);
    } else if (keyCode == s.QScoreV1 || keyCode == s.QScoreV2 || keyCode == s.QScoreV3) {
        const char* change = keyCode == s.QScoreV1 ? "+1" : keyCode == s.QScoreV2 ? "+2" : "+3";
        ApplyEntry(*digVisitor, QLatin1String(change), -1, 199);
    } else if (keyCode == s.QFoulH1) {
        ApplyEntry(*digFoulsH, QStringLiteral("+1"), -1, 99);
        UpdateBonus();
    } else if (keyCode == s.QFoulV1) {
        ApplyEntry(*digFoulsV, QStringLiteral("+1"), -1, 99);
        UpdateBonus();
    } else if (keyCode == s.QPeriod1) {
        ApplyEntry(*digPeriod, QStringLiteral("+1"), -1, 9);
    } else if (keyCode == s.QTOLH1) {
        ApplyEntry(*digTimeoutsH, QStringLiteral("-1"), -1, 9);
    } else if (keyCode == s.QTOLV1) {
        ApplyEntry(*digTimeoutsV, QStringLiteral("-1"), -1, 9);
    }
}

void frmScoreBoard::AllKeyUp(int keyCode, Qt::KeyboardModifiers) {
    if (keyCode == VkNumLock) {
        UpdateNumLock();
    }
    if (keyCode == VkLeft) {
        TogglePossessionHome();
    }
    if (keyCode == VkRight) {
        TogglePossessionVisitor();
    }
    if (keyCode == VkUp || keyCode == VkDown) {
        setWhoPoss(0);
    }
}

int frmScoreBoard::KeyCodeToAsci(int keyCode) const {
    if (keyCode == keycodes::NoKey) {
        return -1;
    }
    if (keyCode == 32) {
        return 32;
    }
    if (keyCode == 13) {
        return 13;
    }
    if (keyCode == Settings.ClearKey) {
        return 0;
    }
    if (keyCode == 187 || keyCode == 107) {
        return '+';
    }
    if (keyCode == 189 || keyCode == 109) {
        return '-';
    }
    if (keyCode >= 96 && keyCode <= 105) {
        return '0' + (keyCode - 96);
    }
    if (keyCode >= '0' && keyCode <= '9') {
        return keyCode;
    }
    if (keyCode == 110 || keyCode == 190) {
        return '.';
    }
    return -1;
}

void frmScoreBoard::showHelpWindow() {
    // The help viewer opens here, without blocking the board.
}

void frmScoreBoard::showOptionsDialog() {
    // The options dialog opens here, modally; the board refreshes itself afterwards.
}

// ---------------------------------------------------------------- possession, bonus, captions

void frmScoreBoard::setWhoPoss(int who) {
    m_whoPoss = who;
    UpdatePoss();
}

void frmScoreBoard::TogglePossessionHome() {
    setWhoPoss(m_whoPoss != 1 ? 1 : 0);
}

void frmScoreBoard::TogglePossessionVisitor() {
    setWhoPoss(m_whoPoss != 2 ? 2 : 0);
}

void frmScoreBoard::UpdatePoss() {
    const QColor lit = settingsColor(Settings.TimeColor);
    const QColor dark = settingsColor(Settings.LEDBack);
    switch (m_whoPoss) {
    case 0:
        setTextColor(lblPossH, dark);
        setTextColor(lblPossV, dark);
        break;
    case 1:
        setTextColor(lblPossH, lit);
        setTextColor(lblPossV, dark);
        break;
    case 2:
        setTextColor(lblPossH, dark);
        setTextColor(lblPossV, lit);
        break;
    default:
        break;
    }
}

void frmScoreBoard::UpdateBonus() {
    const QColor lit = settingsColor(Settings.ScoreColor);
    const QColor dark = settingsColor(Settings.FormBack);
    for (BoardShape* light : {shpBonusH[0], shpBonusH[1], shpBonusV[0], shpBonusV[1]}) {
        light->setBorderColor(settingsColor(Settings.LEDBack));
    }
    // A side's lights show the other team's fouls (a cleared field counts as -1 here): the visitor side
    // lights up when the home team reaches the thresholds.
    const auto light = [&](BoardShape* shape, bool on) {
        shape->setFillColor(on ? lit : dark);
        shape->setLit(on);
    };
    const int home = digFoulsH->caption();
    light(shpBonusV[0], home >= Settings.BonusInner);
    light(shpBonusV[1], home >= Settings.BonusOuter);
    const int visitor = digFoulsV->caption();
    light(shpBonusH[0], visitor >= Settings.BonusInner);
    light(shpBonusH[1], visitor >= Settings.BonusOuter);
}

double frmScoreBoard::RSize(int value) const {
    // Scaled by the smaller of the two ratios to the standard outer size of 9600 x 7200.
    const QRect outer = frameGeometry();
    const float width = float(twips::fromPixels(outer.width()));
    const float height = float(twips::fromPixels(outer.height()));
    if (height / 3 < width / 4) {
        return value / 7200.0 * height;
    }
    return value / 9600.0 * width;
}

void frmScoreBoard::centreIn(QLabel* label, QWidget* container) {
    label->adjustSize();
    label->move(container->width() / 2 - label->width() / 2, container->height() / 2 - label->height() / 2);
}

void frmScoreBoard::UpdateLabels() {
    lblTitle->setText(Settings.TitleText);
    const auto teamFont = [this](QLabel* label) {
        QFont font = label->font();
        const double size = RSize(static_cast<int>(Settings.TeamSize.roundHalfEven()));
        // Rounded to a whole point, a tie to the even one.
        font.setPointSizeF(std::clamp(std::nearbyint(size), 1.0, 500.0));
        label->setFont(font);
    };
    lblHome->setText(Settings.HomeText);
    teamFont(lblHome);
    lblVisitor->setText(Settings.VisitorText);
    teamFont(lblVisitor);
    lblPeriod->setText(Settings.GamePeriod != 0 ? QStringLiteral("Half") : QStringLiteral("Period"));
    centreIn(lblHome, picHomeContainer);
    centreIn(lblVisitor, picVisitorContainer);
    fitPictures();
    applyDigitStyle();
}

void frmScoreBoard::fitPictures() {
    // The team and board pictures are fitted into their frames here.
}

void frmScoreBoard::applyDigitStyle() {
    const int type = Settings.LEDType;
    for (DigitPanel* panel : findChildren<DigitPanel*>()) {
        panel->setLedType(type);
    }
    clkGame->setLedType(type);
}

void frmScoreBoard::UpdateFormColors() {
    setBackground(this, settingsColor(Settings.FormBack));
    shpObjectSelected->setFillColor(settingsColor(Settings.LEDSelected));
    UpdatePoss();
    UpdateBonus();
}

void frmScoreBoard::UpdateNumLock() {
    // Holding NumLock on or off as configured happens here.
}

// ---------------------------------------------------------------- clocks

void frmScoreBoard::RefreshTime() {
    const QTime now = m_env.timeOfDay();
    int hour = now.hour();
    if (m_env.twelveHourClock()) {
        hour = hour % 12 == 0 ? 12 : hour % 12;
    }
    const int minute = now.minute();

    const Currency g = m_teGame->seconds();
    static constexpr Currency ShowTenthsBelow = Currency::fromUnits(599000); // 59.9
    static constexpr Currency AlmostHalf = Currency::fromUnits(4999);        // 0.4999
    if (m_clockTime) {
        clkGame->setTimeFormat(QStringLiteral("60,1"));
        clkGame->setCaption(float(hour * 60 + minute));
    } else if (g > ShowTenthsBelow) {
        clkGame->setTimeFormat(QStringLiteral("60,1"));
        clkGame->setCaption(float((g + AlmostHalf).roundHalfEven()));
    } else {
        clkGame->setTimeFormat(QStringLiteral("1,.1"));
        clkGame->setCaption(float(g.toDouble()));
    }

    const Currency s = m_teShotClock->seconds();
    if (digShotClock->caption() >= 0) {
        const std::int64_t shown = (s + AlmostHalf).roundHalfEven();
        digShotClock->setCaption(int(std::clamp<std::int64_t>(shown, std::numeric_limits<std::int16_t>::min(),
                                                              std::numeric_limits<std::int16_t>::max())));
    }

    if (s > Currency()) {
        m_shotClockArmed = true;
    } else if (digShotClock->caption() != -1 && m_shotClockArmed) {
        m_shotClockArmed = false;
        m_teShotClock->setRunning(false);
        if (!m_buzzerSounded) {
            m_buzzerSounded = true;
            Buzzer();
        }
    }

    if (g > Currency()) {
        m_buzzerSounded = false;
    } else {
        m_teGame->setRunning(false);
        m_teShotClock->setRunning(false);
        if (!m_buzzerSounded) {
            m_buzzerSounded = true;
            Buzzer();
        }
    }
}

void frmScoreBoard::StartStopClock() {
    m_teGame->setRunning(!m_teGame->running());
    m_teShotClock->setRunning(m_teGame->running());
}

void frmScoreBoard::ResetGameClock() {
    m_teGame->setRunning(false);
    m_teShotClock->setRunning(false);
    m_teGame->setSeconds(m_gameResetTime);
    RefreshTime();
}

void frmScoreBoard::ResetShotClock() {
    m_teShotClock->setSeconds(Currency::fromInt(Settings.ShotClockResetTime));
    digShotClock->setCaption(Settings.ShotClockResetTime);
    if (m_teGame->running()) {
        m_teShotClock->setRunning(true);
    }
    RefreshTime();
}

void frmScoreBoard::SwitchClockDisplay() {
    m_clockTime = !m_clockTime;
}

void frmScoreBoard::clkGameKeyDown(int keyCode) {
    const int ch = KeyCodeToAsci(keyCode);
    if (const std::optional<Currency> t = m_timeEntry.EnterTimeChar(clkGame->objectName(), ch, 5999)) {
        m_teGame->setSeconds(*t);
        m_teShotClock->setRunning(false);
        m_gameResetTime = *t;
        RefreshTime();
    }
}

void frmScoreBoard::digShotClockKeyDown(int keyCode) {
    if (keyCode != keycodes::NoKey && keyCode == Settings.ClearKey) {
        digShotClock->setCaption(-1);
        m_teShotClock->setSeconds(Currency());
    }
    const int ch = KeyCodeToAsci(keyCode);
    if (const std::optional<Currency> t = m_timeEntry.EnterTimeChar(digShotClock->objectName(), ch, 5940)) {
        // Typed as minutes.seconds like the game clock; the minutes part is the shot time.
        const std::int64_t n = t->roundHalfEven();
        m_teShotClock->setSeconds(Currency::fromInt(n / 60));
        m_teShotClock->setRunning(false);
        RefreshTime();
    }
}

// ---------------------------------------------------------------- buzzer

void frmScoreBoard::Buzzer() {
    if (!m_mmcBuzzer->fileName().isEmpty() && !m_buzzerPlaying) {
        m_buzzerPlaying = true;
        m_mmcBuzzer->play();
    }
}

void frmScoreBoard::buzzerFinished() {
    // The device reports the end once the last sample has sounded, so this cuts nothing;
    // every play starts from the beginning of the sound.
    m_mmcBuzzer->stop();
    m_buzzerPlaying = false;
}

void frmScoreBoard::openBuzzer() {
    const QFileInfo file(Settings.BuzzerFile);
    if (!Settings.BuzzerFile.isEmpty() && file.isFile()) {
        m_mmcBuzzer->open(Settings.BuzzerFile);
    }
}

void frmScoreBoard::reloadBuzzer() {
    m_mmcBuzzer->close();
    m_mmcBuzzer->open(Settings.BuzzerFile);
}

// ---------------------------------------------------------------- closing

void frmScoreBoard::closeEvent(QCloseEvent* event) {
    if (!m_mmcBuzzer->fileName().isEmpty()) {
        m_mmcBuzzer->close();
    }
    event->accept();
    if (m_env.quitOnClose) {
        // Closing the board ends the program, with every other window of it.
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window != this && window->isVisible()) {
                window->close();
            }
        }
        QCoreApplication::quit();
    }
}
