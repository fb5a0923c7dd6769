#include "scoreboard/frmscoreboard.h"

#include "components/boardshape.h"
#include "components/clockboundary.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/imagebox.h"
#include "components/readoutaccessible.h"
#include "platform/keycodes.h"
#include "platform/numlock.h"
#include "platform/pulsesounddevice.h"
#include "platform/rgbcolor.h"
#include "platform/twips.h"
#include "presentation/colors.h"
#include "presentation/fitpicture.h"
#include "scoreboard/boarddesign.h"
#include "scoreboard/clockreadouts.h"
#include "scoreboard/horn.h"
#include "settings/settingsnotifier.h"

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
    installReadoutAccessibility();
    installBoardShapeAccessibility();
    installImageBoxAccessibility();

    setObjectName(QStringLiteral("frmScoreBoard"));
    setWindowTitle(QStringLiteral("Ravenmark"));
    resize(twips::toPixels(QSize(boarddesign::Width, boarddesign::Height)));
    // The default background until the colours are applied.
    modColor::setBackground(*this, std::int32_t(settingDefaultNumber(SettingId::FormBack)));
    setFocusPolicy(Qt::NoFocus);
    boarddesign::build(this);
    findElements();

    m_game = m_env.game ? m_env.game
                        : new Game(m_settings, m_env.clock ? *m_env.clock : MonotonicClock::system(), this);
    m_clockReadouts = std::make_unique<ClockReadouts>(*m_game, *clkGame, *digShotClock, m_env.timeOfDay,
                                                      m_env.twelveHourClock);
    m_clockBoundary = new ClockBoundaryTimer(m_game->clocks().game(), this);
    connect(m_clockBoundary, &ClockBoundaryTimer::reached, this, &frmScoreBoard::RefreshTime);
    showNumbers();
    connect(m_game, &Game::changed, this, &frmScoreBoard::gameChanged);
    if (!m_env.showOnly) {
        connect(m_game, &Game::hornsDue, this, [this](bool buzzer, bool shotClockHorn) {
            if (buzzer) {
                Buzzer();
            }
            if (shotClockHorn) {
                m_shotClockHorn->sound();
            }
        });
    }
    // Every view follows the settings the same way, whoever changed them.
    connect(&settingsChanges(), &SettingsNotifier::changed, this, &frmScoreBoard::applySettings);

    // A board that only shows opens no sound device: the operator's board sounds the horn.
    m_mmcBuzzer = m_env.buzzer ? m_env.buzzer : (m_env.showOnly ? nullptr : new PulseSoundDevice(this));
    if (m_mmcBuzzer != nullptr) {
        m_mmcBuzzer->setParent(this);
        m_mmcBuzzer->setObjectName(QStringLiteral("mmcBuzzer"));
        connect(m_mmcBuzzer, &SoundDevice::finished, this, &frmScoreBoard::buzzerFinished);
    }
    if (m_env.shotClockHorn) {
        m_env.shotClockHorn->setParent(this);
    }
    m_shotClockHorn = new Horn(
        [this]() -> SoundDevice* {
            return m_env.shotClockHorn ? std::exchange(m_env.shotClockHorn, nullptr) : new PulseSoundDevice;
        },
        this);

    m_tmrClock1 = new QTimer(this);
    m_tmrClock1->setObjectName(QStringLiteral("tmrClock1"));
    m_tmrClock1->setTimerType(Qt::PreciseTimer);
    m_tmrClock1->setInterval(50);
    connect(m_tmrClock1, &QTimer::timeout, this, &frmScoreBoard::RefreshTime);

    loadBoard();
}

frmScoreBoard::~frmScoreBoard() {
    // Release the sound device whatever way the window goes.
    if (m_mmcBuzzer != nullptr) {
        m_mmcBuzzer->close();
    }
    m_shotClockHorn->close();
}

template <typename T> T* frmScoreBoard::element(const char* name) const {
    return findChild<T*>(QLatin1String(name));
}

void frmScoreBoard::findElements() {
    clkGame = element<ClockPanel>("clkGame");
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
        m_numberFields.append({element<DigitPanel>(f.name), f.field});
    }
    for (DigitPanel* panel : findChildren<DigitPanel*>()) {
        connect(panel, &DigitPanel::focusReceived, this, [this, panel] { ObjectSelected(panel); });
    }
    connect(clkGame, &ClockPanel::focusReceived, this, [this] { ObjectSelected(clkGame); });

    const QList<QWidget*> order = tabOrder();
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    if (!m_env.showOnly) {
        clkGame->setFocus();
    }
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
    if (!m_env.showOnly) {
        m_shotClockHorn->open(m_settings.ShotClockFile);
    }
    RefreshTime();
    UpdateLabels();
    UpdateFormColors();
    if (!m_env.showOnly) {
        UpdateNumLock();
    }
    m_tmrClock1->start();
}

void frmScoreBoard::applySettings() {
    UpdateLabels();
    UpdateFormColors();
    if (!m_env.showOnly) {
        m_game->followRules();
    }
    RefreshTime();
    reloadBuzzer();
    if (!m_env.showOnly) {
        m_shotClockHorn->reload(m_settings.ShotClockFile);
    }
}

SoundDevice* frmScoreBoard::shotClockHornDevice() const {
    return m_shotClockHorn->device();
}

// ---------------------------------------------------------------- selection

void frmScoreBoard::ObjectSelected(QWidget* selectedObject) {
    shpObjectSelected->hide();
    // Only the operator's board marks a field: the audience has nothing to select.
    if (m_env.showOnly) {
        return;
    }
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
    if ((watched == lblPossH || watched == lblPossV) && !m_env.showOnly) {
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
    if (windowHandle() != m_keyWindow && !m_env.showOnly) {
        if (m_keyWindow != nullptr) {
            m_keyWindow->removeEventFilter(this);
        }
        m_keyWindow = windowHandle();
        m_keyWindow->installEventFilter(this);
    }
    if (m_firstShow && !m_env.showOnly) {
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

DigitPanel* frmScoreBoard::numberPanel(GameField field) const {
    for (const NumberField& f : m_numberFields) {
        if (f.field == field) {
            return f.panel;
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
    m_typedEntry.TypeDigit(*m_game, field.field, typedCharacter(keyCode, m_settings.ClearKey), -1,
                           Game::typedMaximum(field.field));
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
    } else if (keyCode == s.ShortResetKey) {
        m_game->shortResetShotClock();
        RefreshTime();
    } else if (keyCode == s.ClockSwitchKey) {
        SwitchClockDisplay();
    } else if (keyCode == s.BuzzerKey) {
        Buzzer();
    } else if (keyCode == VkF1) {
        emit helpRequested();
    } else if (keyCode == VkF2) {
        // Confirmed or cancelled, the views take the settings again, with the files they name: the
        // operator may have mended a picture or the horn meanwhile. A confirmed change has told them.
        const quint64 heard = settingsChanges().announcements();
        emit optionsRequested();
        if (settingsChanges().announcements() == heard) {
            settingsChanges().announce();
        }
    } else {
        m_game->quickKey(keyCode);
    }
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
        m_game->clearPossession();
    }
}

// ---------------------------------------------------------------- showing the game

void frmScoreBoard::gameChanged(const GameEvent& event) {
    switch (event.field) {
    case GameField::Possession:
        UpdatePoss();
        break;
    case GameField::GameClock:
        m_clockReadouts->showGameClock();
        m_clockBoundary->rearm();
        break;
    case GameField::ClockRunning:
        // Whoever started or stopped the game clock, its next boundary moves with it. Another
        // board on this game may have found it at zero first and stopped it, which stops this
        // board's boundary timer too: show the stopped time now, not at the next refresh.
        m_clockReadouts->showGameClock();
        m_clockBoundary->rearm();
        break;
    case GameField::ShotClock:
        m_clockReadouts->showShotClock();
        break;
    default:
        // Running flags, the read-out switch and the reset time show at the next refresh.
        if (DigitPanel* panel = numberPanel(event.field)) {
            panel->setCaption(int(event.newValue));
            if (event.field == GameField::FoulsHome || event.field == GameField::FoulsVisitor) {
                UpdateBonus();
            }
        }
        break;
    }
}

void frmScoreBoard::showNumbers() {
    for (const NumberField& f : m_numberFields) {
        f.panel->setCaption(int(m_game->value(f.field)));
    }
    m_clockReadouts->showShotClock();
}

// ---------------------------------------------------------------- possession, bonus, captions

void frmScoreBoard::TogglePossessionHome() {
    m_game->togglePossession(Side::Home);
}

void frmScoreBoard::TogglePossessionVisitor() {
    m_game->togglePossession(Side::Visitor);
}

void frmScoreBoard::UpdatePoss() {
    const std::int32_t lit = m_settings.TimeColor;
    const std::int32_t dark = m_settings.LEDBack;
    const Possession who = WhoPoss();
    modColor::setTextColor(*lblPossH, who == Possession::Home ? lit : dark);
    modColor::setTextColor(*lblPossV, who == Possession::Visitor ? lit : dark);
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
    for (int i = 0; i < 2; ++i) {
        light(shpBonusH[i], m_game->bonusLight(Side::Home, i));
        light(shpBonusV[i], m_game->bonusLight(Side::Visitor, i));
    }
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
    m_teamNamesSizedFor = frameGeometry().size();
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

void frmScoreBoard::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A window manager's frame becomes known after the window is mapped, with a move but no
    // resize; the team names go by the outer size, so they are sized again then.
    if (frameGeometry().size() != m_teamNamesSizedFor) {
        UpdateLabels();
    }
}

void frmScoreBoard::UpdateNumLock() {
    modGrabKeys::UpdateNumLock(m_settings.NumLockForce);
}

// ---------------------------------------------------------------- clocks

void frmScoreBoard::RefreshTime() {
    const Currency g = m_clockReadouts->showGameClock();
    const Currency s = m_clockReadouts->showShotClock();
    m_game->checkRunOut(g, s);
    m_clockBoundary->rearm();
}

void frmScoreBoard::StartStopClock() {
    m_game->startStop();
}

void frmScoreBoard::ResetGameClock() {
    m_game->resetGameClock();
    RefreshTime();
}

void frmScoreBoard::ResetShotClock() {
    m_game->resetShotClock();
    RefreshTime();
}

void frmScoreBoard::SwitchClockDisplay() {
    m_game->switchClockDisplay();
}

void frmScoreBoard::clkGameKeyDown(int keyCode) {
    const int ch = typedCharacter(keyCode, m_settings.ClearKey);
    if (const std::optional<Currency> t = m_timeEntry.EnterTimeChar(clkGame->objectName(), ch, 5999)) {
        m_game->enterGameTime(*t);
        RefreshTime();
    }
}

void frmScoreBoard::digShotClockKeyDown(int keyCode) {
    if (keyCode != NoKey && keyCode == m_settings.ClearKey) {
        m_game->clearShotClock();
    }
    const int ch = typedCharacter(keyCode, m_settings.ClearKey);
    if (const std::optional<Currency> t = m_timeEntry.EnterTimeChar(digShotClock->objectName(), ch, 5940)) {
        // Typed as minutes.seconds like the game clock; the minutes part is the shot time.
        const std::int64_t n = t->roundHalfEven();
        m_game->enterShotTime(Currency::fromInt(n / 60));
        RefreshTime();
    }
}

// ---------------------------------------------------------------- buzzer

void frmScoreBoard::Buzzer() {
    if (m_mmcBuzzer != nullptr && !m_mmcBuzzer->fileName().isEmpty() && !m_buzzerPlaying) {
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
    if (m_mmcBuzzer != nullptr && !m_settings.BuzzerFile.isEmpty() && file.isFile()) {
        m_mmcBuzzer->open(m_settings.BuzzerFile);
    }
}

void frmScoreBoard::reloadBuzzer() {
    if (m_mmcBuzzer == nullptr) {
        return;
    }
    m_mmcBuzzer->close();
    m_mmcBuzzer->open(m_settings.BuzzerFile);
}

// ---------------------------------------------------------------- closing

void frmScoreBoard::closeEvent(QCloseEvent* event) {
    if (m_mmcBuzzer != nullptr && !m_mmcBuzzer->fileName().isEmpty()) {
        m_mmcBuzzer->close();
    }
    m_shotClockHorn->close();
    event->accept();
    emit closed();
}
