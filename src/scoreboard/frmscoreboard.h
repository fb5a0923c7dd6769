#pragma once

#include "components/currency.h"
#include "game/game.h"
#include "presentation/stretch.h"
#include "scoreboard/count.h"
#include "scoreboard/showdigits.h"
#include "settings/settings.h"

#include <QList>
#include <QTime>
#include <QWidget>
#include <functional>
#include <memory>

class BoardShape;
class ClockBoundaryTimer;
class ClockReadouts;
class ClockPanel;
class DigitPanel;
class ImageBox;
class MonotonicClock;
class SoundDevice;
class QLabel;
class QTimer;
class QWindow;

// What the board takes from the outside world. The defaults are the real ones;
// tests replace them to control time, sound and settings.
struct BoardEnvironment {
    const SettingsRecord* settings = &Settings; // read, never written
    const MonotonicClock* clock = nullptr;      // the countdown engines' time source
    SoundDevice* buzzer = nullptr;              // the board takes ownership
    std::function<QTime()> timeOfDay;           // the time the read-out switch shows
    std::function<bool()> twelveHourClock;      // whether the system shows 12-hour times
    Game* game = nullptr;  // the game to show, which must outlive the board; none: the board keeps its own
    bool showOnly = false; // another board runs the game: this one takes no keys or clicks, sounds no horn
};

// The scoreboard window: shows a Game, and routes the operator's keys to it. Every key press
// reaches AllKeyCode exactly once; the read-outs follow the game's change events.
class frmScoreBoard : public QWidget {
    Q_OBJECT

public:
    explicit frmScoreBoard(QWidget* parent = nullptr, BoardEnvironment environment = {});
    ~frmScoreBoard() override;

    // Selection mark.
    void ObjectSelected(QWidget* selectedObject);

    // Keyboard dispatch. Codes are Windows virtual-key codes.
    void AllKeyCode(int keyCode);
    void AllKeyUp(int keyCode);

    // Possession, bonus lights and captions.
    void TogglePossessionHome();
    void TogglePossessionVisitor();
    void UpdatePoss();
    void UpdateBonus();
    void UpdateLabels();
    double RSize(int value) const;
    void UpdateFormColors();
    void UpdateNumLock();

    // Clocks.
    void RefreshTime();
    void StartStopClock();
    void ResetGameClock();
    void ResetShotClock();
    void SwitchClockDisplay();

    // Buzzer.
    void Buzzer();

    // Everything that follows the settings, after they may have changed: captions, colours,
    // clocks and the buzzer sound.
    void applySettings();

    // The game it shows, and the board's window state.
    Game& game() const { return *m_game; }
    Possession WhoPoss() const { return Possession(m_game->value(GameField::Possession)); }
    bool ClockTime() const { return m_game->value(GameField::ClockDisplay) != 0; }
    bool BuzzerPlaying() const { return m_buzzerPlaying; }
    GameClock& gameClock() const { return m_game->clocks(); }
    Currency GameResetTime() const { return m_game->clocks().resetTime(); }
    ClockEngine& teGame() const { return m_game->clocks().game(); }
    ClockEngine& teShotClock() const { return m_game->clocks().shot(); }
    SoundDevice& mmcBuzzer() const { return *m_mmcBuzzer; }
    QTimer& tmrClock1() const { return *m_tmrClock1; }
    const ClockBoundaryTimer& clockBoundary() const { return *m_clockBoundary; }
    const modStretch::BoardLayout& layout() const { return m_layout; }
    const modShowDigits::TypedEntry& typedEntry() const { return m_typedEntry; }
    const modCount::TimeEntry& timeEntry() const { return m_timeEntry; }

    // The fields in tab order: the game clock first.
    QList<QWidget*> tabOrder() const;

signals:
    // F1 and F2. The options request returns once the dialog has closed, confirmed or not.
    void helpRequested();
    void optionsRequested();
    // The window has closed; the program ends with it.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    struct NumberField {
        DigitPanel* panel;
        GameField field;
    };

    void findElements();
    void loadBoard();
    void keyDown(int keyCode);
    void numberFieldKeyDown(const NumberField& field, int keyCode);
    void clkGameKeyDown(int keyCode);
    void digShotClockKeyDown(int keyCode);
    void gameChanged(const GameEvent& event);
    void showNumbers();
    void buzzerFinished();
    void openBuzzer();
    void reloadBuzzer();
    void centreIn(QLabel* label, QWidget* container);
    const NumberField* numberField(const QWidget* widget) const;
    DigitPanel* numberPanel(GameField field) const;
    bool possessionClick(QObject* watched, QEvent* event);
    template <typename T = QWidget> T* element(const char* name) const;

    BoardEnvironment m_env;
    const SettingsRecord& m_settings;

    // Fields.
    ClockPanel* clkGame = nullptr;
    DigitPanel* digShotClock = nullptr;
    QList<NumberField> m_numberFields;

    // Captions, pictures and shapes.
    QLabel* lblTitle = nullptr;
    QWidget* picHomeContainer = nullptr;
    QWidget* picVisitorContainer = nullptr;
    QLabel* lblHome = nullptr;
    QLabel* lblVisitor = nullptr;
    QLabel* lblPeriod = nullptr;
    QWidget* picHomePicContainer = nullptr;
    QWidget* picVisitorPicContainer = nullptr;
    QWidget* picBoardPicContainer = nullptr;
    ImageBox* imgHomePic = nullptr;
    ImageBox* imgVisitorPic = nullptr;
    ImageBox* imgBoardPic = nullptr;
    QLabel* lblPossH = nullptr;
    QLabel* lblPossV = nullptr;
    BoardShape* shpBonusH[2] = {};
    BoardShape* shpBonusV[2] = {};
    BoardShape* shpObjectSelected = nullptr;

    // The game, timekeeping and sound.
    Game* m_game = nullptr;
    std::unique_ptr<ClockReadouts> m_clockReadouts;
    QTimer* m_tmrClock1 = nullptr;
    // Refreshes at the game clock's last tenths and its end, between the regular refreshes.
    ClockBoundaryTimer* m_clockBoundary = nullptr;
    SoundDevice* m_mmcBuzzer = nullptr;

    // The design geometry of every element, recorded once; every resize scales from it.
    modStretch::BoardLayout m_layout;

    // Window state.
    bool m_buzzerPlaying = false;
    QWindow* m_keyWindow = nullptr; // the native window whose key events we dispatch
    bool m_firstShow = true;
    // The outer size the team names were last sized for.
    QSize m_teamNamesSizedFor;
    bool m_releaseEndsDoubleClick = false; // the next arrow release ends a double-click

    modShowDigits::TypedEntry m_typedEntry;
    modCount::TimeEntry m_timeEntry;
};
