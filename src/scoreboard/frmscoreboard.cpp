#include "scoreboard/frmscoreboard.h"

#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/imagebox.h"
#include "components/readoutaccessible.h"
#include "platform/keycodes.h"
#include "platform/numlock.h"
#include "platform/pulsesounddevice.h"
#include "platform/rgbcolor.h"
#include "platform/timeofday.h"
#include "platform/twips.h"
#include "presentation/colors.h"
#include "presentation/fitpicture.h"
#include "scoreboard/boarddesign.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <limits>
#include <utility>

namespace {

using namespace keycodes;

QColor settingsColor(std::int32_t value) {
    return rgbcolor::toQColor(value);
}

} // namespace

frmScoreBoard::frmScoreBoard(QWidget* parent, BoardEnvironment environment)
    : QWidget(parent), m_env(std::move(environment)),
      m_settings(m_env.settings ? *m_env.settings : Settings) {
    if (!m_env.timeOfDay) {
        m_env.timeOfDay = [] {
            return QTime::currentTime();
        };
    }
    if (!m_env.twelveHourClock) {
        const bool twelveHour = timeofday::systemUsesTwelveHourClock();
        m_env.twelveHourClock = [twelveHour] {
            return twelveHour;
        };
    }
    installReadoutAccessibility();
    installBoardShapeAccessibility();
    installImageBoxAccessibility();

    setObjectName(QStringLiteral("frmScoreBoard"));
    setWindowTitle(QStringLiteral("Ravenmark"));
    resize(twips::toPixels(QSize(boarddesign::Width, boarddesign::Height)));
    modColor::setBackground(*this, 0x404040); // the design grey, until the colours are applied
    setFocusPolicy(Qt::NoFocus);
    boarddesign::build(this);
    findElements();

    m_clocks = new GameClock(m_env.clock ? *m_env.clock : MonotonicClock::system(), this);
    connect(m_clocks, &GameClock::runOut, this, &frmScoreBoard::Buzzer);

    m_mmcBuzzer = m_env.buzzer ? m_env.buzzer : new PulseSoundDevice(this);
    m_mmcBuzzer->setParent(this);
    m_mmcBuzzer->setObjectName(QStringLiteral("mmcBuzzer"));
    connect(m_mmcBuzzer, &SoundDevice::finished, this, &frmScoreBoard::buzzerFinished);

    m_tmrClock1 = new QTimer(this);
    m_tmrClock1->setObjectName(QStringLiteral("tmrClock1"));
    m_tmrClock1->setTimerType(Qt::PreciseTimer);
    m_tmrClock1->setInterval(50);
    connect(m_tmrClock1, &QTimer::timeout, this, &frmScoreBoard::RefreshTime);

    loadBoard();
}

frmScoreBoard::~frmScoreBoard() {
    // Release the sound device whatever way the window goes.
    m_mmcBuzzer->close();
}

template <typename T> T* frmScoreBoard::element(const char* name) const {
    return findChild<T*>(QLatin1String(name));
}

void frmScoreBoard::findElements() {
    clkGame = element<ClockPanel>("clkGame");
    digFoulsH = element<DigitPanel>("digFoulsH");
    digFoulsV = element<DigitPanel>("digFoulsV");
    digShotClock = element<DigitPanel>("digShotClock");
    lblTitle = element<QLabel>("lblTitle");
    picHomeContainer = element("picHomeContainer");
    picVisitorContainer = element("picVisitorContainer");
    lblHome = element<QLabel>("lblHome");
    lblVisitor = element<QLabel>("lblVisitor");
    lblPeriod = element<QLabel>("lblPeriod");
    picHomePicContainer = element("picHomePicContainer");
    picVisitorPicContainer = element("picVisitorPicContainer");
    picBoardPicContainer = element("picBoardPicContainer");
    imgHomePic = element<ImageBox>("imgHomePic");
    imgVisitorPic = element<ImageBox>("imgVisitorPic");
    imgBoardPic = element<ImageBox>("imgBoardPic");
    lblPossH = element<QLabel>("lblPossH");
    lblPossV = element<QLabel>("lblPossV");
    shpObjectSelected = element<BoardShape>("shpObjectSelected");
    shpObjectSelected->hide();

    for (QLabel* arrow : {lblPossH, lblPossV}) {
        arrow->installEventFilter(this);
        arrow->setCursor(Qt::PointingHandCursor);
    }
    // Two lights a side, inner first.
    const QList<BoardShape*> home = findChildren<BoardShape*>(QStringLiteral("shpBonusH"));
    const QList<BoardShape*> visitor = findChildren<BoardShape*>(QStringLiteral("shpBonusV"));
    std::copy_n(home.begin(), 2, shpBonusH);
    std::copy_n(visitor.begin(), 2, shpBonusV);

    for (const boarddesign::NumberField& f : boarddesign::numberFields()) {
        m_numberFields.append({element<DigitPanel>(f.name), f.typedMaximum, f.teamFouls});
    }
    element<DigitPanel>("digPeriod")->setCaption(1);
    for (DigitPanel* panel : findChildren<DigitPanel*>()) {
        connect(panel, &DigitPanel::focusReceived, this, [this, panel] { ObjectSelected(panel); });
    }
    connect(clkGame, &ClockPanel::focusReceived, this, [this] { ObjectSelected(clkGame); });

    const QList<QWidget*> order = tabOrder();
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    clkGame->setFocus();
}

QList<QWidget*> frmScoreBoard::tabOrder() const {
    QList<QWidget*> order;
    for (const char* name : boarddesign::tabOrder()) {
        order.append(element(name));
    }
    return order;
}

void frmScoreBoard::loadBoard() {
    m_layout.RecordLayout(*this);
    openBuzzer();
    m_clocks->setResetTime(600_cur);
    m_clocks->game().setSeconds(600_cur);
    RefreshTime();
    UpdateLabels();
    UpdateFormColors();
    UpdateNumLock();
    m_tmrClock1->start();
}

void frmScoreBoard::applySettings() {
    UpdateLabels();
    UpdateFormColors();
    RefreshTime();
    reloadBuzzer();
}

// ---------------------------------------------------------------- selection

void frmScoreBoard::ObjectSelected(QWidget* selectedObject) {
    shpObjectSelected->hide();
    // The mark stands out by the configured width (in units of 15 twips). A width that
    // would overflow the old 16-bit arithmetic leaves the mark hidden instead of failing.
    const int d = int(m_settings.LEDSelectedWidth) * 15;
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
                AllKeyUp(keycodes::fromKeyEvent(*key));
            }
            return true;
        }
        return false;
    }
    if (watched == lblPossH || watched == lblPossV) {
        return possessionClick(watched, event) || QWidget::eventFilter(watched, event);
    }
    return QWidget::eventFilter(watched, event);
}

bool frmScoreBoard::possessionClick(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        // A double-click is one click, not two: its second release toggles nothing.
        m_releaseEndsDoubleClick = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        return true;
    }
    if (event->type() != QEvent::MouseButtonRelease) {
        return false;
    }
    // A click: the left button let go over the arrow.
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return false;
    }
    if (std::exchange(m_releaseEndsDoubleClick, false)) {
        return true;
    }
    if (!static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint())) {
        return false;
    }
    if (watched == lblPossH) {
        TogglePossessionHome();
    } else {
        TogglePossessionVisitor();
    }
    return true;
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
    m_typedEntry.TypeDigit(*field.panel, typedCharacter(keyCode, m_settings.ClearKey), -1,
                           field.typedMaximum);
    if (field.teamFouls) {
        UpdateBonus();
    }
}

void frmScoreBoard::AllKeyCode(int keyCode) {
    // A key without a code is no command, whatever a garbled setting holds.
    if (keyCode == NoKey) {
        return;
    }
    const SettingsRecord& s = m_settings;
    // Fixed keys, ahead of the stored ones: a binding left from a version in which F3 or F4
    // could be bound does not take them from the audience window.
    if (keyCode == VkF3) {
        emit audienceToggleRequested();
        return;
    }
    if (keyCode == VkF4) {
        emit audienceBlackoutRequested();
        return;
    }
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
        emit helpRequested();
    } else if (keyCode == VkF2) {
        const QPointer<frmScoreBoard> self(this);
        emit optionsRequested();
        if (!self.isNull()) {
            applySettings();
        }
    } else {
        quickKey(keyCode);
    }
}

bool frmScoreBoard::quickKey(int keyCode) {
    for (const boarddesign::QuickKey& quick : boarddesign::quickKeys()) {
        if (keyCode != m_settings.*quick.key) {
            continue;
        }
        for (const boarddesign::NumberField& field : boarddesign::numberFields()) {
            if (qstrcmp(field.name, quick.field) == 0) {
                modShowDigits::ApplyEntry(*element<DigitPanel>(field.name), QLatin1String(quick.change), -1,
                                          field.quickMaximum);
                if (field.teamFouls) {
                    UpdateBonus();
                }
            }
        }
        return true;
    }
    return false;
}

void frmScoreBoard::AllKeyUp(int keyCode) {
    // The operator's own NumLock press is undone as the key comes up.
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
        setWhoPoss(Possession::None);
    }
}

// ---------------------------------------------------------------- possession, bonus, captions

void frmScoreBoard::setWhoPoss(Possession who) {
    m_whoPoss = who;
    UpdatePoss();
}

void frmScoreBoard::TogglePossessionHome() {
    setWhoPoss(m_whoPoss != Possession::Home ? Possession::Home : Possession::None);
}

void frmScoreBoard::TogglePossessionVisitor() {
    setWhoPoss(m_whoPoss != Possession::Visitor ? Possession::Visitor : Possession::None);
}

void frmScoreBoard::UpdatePoss() {
    const std::int32_t lit = m_settings.TimeColor;
    const std::int32_t dark = m_settings.LEDBack;
    modColor::setTextColor(*lblPossH, m_whoPoss == Possession::Home ? lit : dark);
    modColor::setTextColor(*lblPossV, m_whoPoss == Possession::Visitor ? lit : dark);
}

void frmScoreBoard::UpdateBonus() {
    const QColor lit = settingsColor(m_settings.ScoreColor);
    const QColor dark = settingsColor(m_settings.FormBack);
    for (BoardShape* light : {shpBonusH[0], shpBonusH[1], shpBonusV[0], shpBonusV[1]}) {
        light->setBorderColor(settingsColor(m_settings.LEDBack));
    }
    // A side's lights show the other team's fouls (a cleared field counts as -1 here): the visitor side
    // lights up when the home team reaches the thresholds.
    const auto light = [&](BoardShape* shape, bool on) {
        shape->setFillColor(on ? lit : dark);
        shape->setLit(on);
    };
    const int home = digFoulsH->caption();
    light(shpBonusV[0], home >= m_settings.BonusInner);
    light(shpBonusV[1], home >= m_settings.BonusOuter);
    const int visitor = digFoulsV->caption();
    light(shpBonusH[0], visitor >= m_settings.BonusInner);
    light(shpBonusH[1], visitor >= m_settings.BonusOuter);
}

double frmScoreBoard::RSize(int value) const {
    const QRect outer = frameGeometry();
    return modStretch::RSize(value, twips::fromPixels(outer.width()), twips::fromPixels(outer.height()));
}

void frmScoreBoard::centreIn(QLabel* label, QWidget* container) {
    label->adjustSize();
    label->move(container->width() / 2 - label->width() / 2, container->height() / 2 - label->height() / 2);
}

void frmScoreBoard::UpdateLabels() {
    lblTitle->setText(m_settings.TitleText);
    const auto teamFont = [this](QLabel* label) {
        QFont font = label->font();
        const double size = RSize(static_cast<int>(m_settings.TeamSize.roundHalfEven()));
        // Rounded to a whole point, a tie to the even one.
        font.setPointSizeF(std::clamp(std::nearbyint(size), 1.0, 500.0));
        label->setFont(font);
    };
    lblHome->setText(m_settings.HomeText);
    teamFont(lblHome);
    lblVisitor->setText(m_settings.VisitorText);
    teamFont(lblVisitor);
    lblPeriod->setText(m_settings.GamePeriod != 0 ? QStringLiteral("Half") : QStringLiteral("Period"));
    centreIn(lblHome, picHomeContainer);
    centreIn(lblVisitor, picVisitorContainer);
    modGrabKeys::FitPicture(*imgHomePic, *picHomePicContainer, m_settings.HomePic);
    modGrabKeys::FitPicture(*imgVisitorPic, *picVisitorPicContainer, m_settings.VisitorPic);
    modGrabKeys::FitPicture(*imgBoardPic, *picBoardPicContainer, m_settings.BoardPic);
    modStretch::SetLedType(*this, m_settings.LEDType);
}

void frmScoreBoard::UpdateFormColors() {
    modColor::UpdateFormColors(*this, m_settings);
    UpdatePoss();
    UpdateBonus();
}

void frmScoreBoard::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_layout.StretchLayout(*this);
    ObjectSelected(nullptr);
    UpdateLabels();
}

void frmScoreBoard::UpdateNumLock() {
    modGrabKeys::UpdateNumLock(m_settings.NumLockForce);
}

// ---------------------------------------------------------------- clocks

void frmScoreBoard::RefreshTime() {
    const QTime now = m_env.timeOfDay();
    int hour = now.hour();
    if (m_env.twelveHourClock()) {
        hour = hour % 12 == 0 ? 12 : hour % 12;
    }
    const int minute = now.minute();

    const Currency g = m_clocks->game().seconds();
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

    const Currency s = m_clocks->shot().seconds();
    if (digShotClock->caption() >= 0) {
        const std::int64_t shown = (s + AlmostHalf).roundHalfEven();
        digShotClock->setCaption(int(std::clamp<std::int64_t>(shown, std::numeric_limits<std::int16_t>::min(),
                                                              std::numeric_limits<std::int16_t>::max())));
    }

    m_clocks->checkRunOut(g, s, digShotClock->caption() == DigitPanel::Cleared);
}

void frmScoreBoard::StartStopClock() {
    m_clocks->startStop();
}

void frmScoreBoard::ResetGameClock() {
    m_clocks->resetGame();
    RefreshTime();
}

void frmScoreBoard::ResetShotClock() {
    m_clocks->resetShot(Currency::fromInt(m_settings.ShotClockResetTime));
    digShotClock->setCaption(m_settings.ShotClockResetTime);
    RefreshTime();
}

void frmScoreBoard::SwitchClockDisplay() {
    m_clockTime = !m_clockTime;
}

void frmScoreBoard::clkGameKeyDown(int keyCode) {
    const int ch = typedCharacter(keyCode, m_settings.ClearKey);
    if (const std::optional<Currency> t = m_timeEntry.EnterTimeChar(clkGame->objectName(), ch, 5999)) {
        m_clocks->game().setSeconds(*t);
        m_clocks->shot().setRunning(false);
        m_clocks->setResetTime(*t);
        RefreshTime();
    }
}

void frmScoreBoard::digShotClockKeyDown(int keyCode) {
    if (keyCode != NoKey && keyCode == m_settings.ClearKey) {
        digShotClock->setCaption(DigitPanel::Cleared);
        m_clocks->shot().setSeconds(Currency());
    }
    const int ch = typedCharacter(keyCode, m_settings.ClearKey);
    if (const std::optional<Currency> t = m_timeEntry.EnterTimeChar(digShotClock->objectName(), ch, 5940)) {
        // Typed as minutes.seconds like the game clock; the minutes part is the shot time.
        const std::int64_t n = t->roundHalfEven();
        m_clocks->shot().setSeconds(Currency::fromInt(n / 60));
        m_clocks->shot().setRunning(false);
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
    const QFileInfo file(m_settings.BuzzerFile);
    if (!m_settings.BuzzerFile.isEmpty() && file.isFile()) {
        m_mmcBuzzer->open(m_settings.BuzzerFile);
    }
}

void frmScoreBoard::reloadBuzzer() {
    m_mmcBuzzer->close();
    m_mmcBuzzer->open(m_settings.BuzzerFile);
}

// ---------------------------------------------------------------- closing

void frmScoreBoard::closeEvent(QCloseEvent* event) {
    if (!m_mmcBuzzer->fileName().isEmpty()) {
        m_mmcBuzzer->close();
    }
    event->accept();
    emit closed();
}
