#pragma once

#include "components/currency.h"
#include "scoreboard/count.h"
#include "scoreboard/showdigits.h"

#include <QList>
#include <QTime>
#include <QWidget>
#include <functional>

class BoardShape;
class ClockEngine;
class ClockPanel;
class DigitPanel;
class MonotonicClock;
class SoundDevice;
class QLabel;
class QTimer;
class QWindow;

// What the board takes from the outside world. The defaults are the real ones;
// tests replace them to control time and sound.
struct BoardEnvironment {
    const MonotonicClock* clock = nullptr; // the countdown engines' time source
    SoundDevice* buzzer = nullptr;         // the board takes ownership
    std::function<QTime()> timeOfDay;      // the time the read-out switch shows
    std::function<bool()> twelveHourClock; // whether the system shows 12-hour times
    bool quitOnClose = true;               // closing the board ends the program
};

// The scoreboard window: every value of the game lives in its read-outs. The operator
// drives it from the keyboard; every key press reaches AllKeyCode exactly once.
class frmScoreBoard : public QWidget {
    Q_OBJECT

public:
    explicit frmScoreBoard(QWidget* parent = nullptr, BoardEnvironment environment = {});
    ~frmScoreBoard() override;

    // Selection mark.
    void ObjectSelected(QWidget* selectedObject);

    // Keyboard dispatch. Codes are Windows virtual-key codes.
    void AllKeyCode(int keyCode);
    void AllKeyUp(int keyCode, Qt::KeyboardModifiers shift = {});
    int KeyCodeToAsci(int keyCode) const;

    // Possession, bonus lights and captions.
    void TogglePossessionHome();
    void TogglePossessionVisitor();
    void UpdatePoss();
    void UpdateBonus();
    void UpdateLabels();
    double RSize(int value) const;

    // Clocks.
    void RefreshTime();
    void StartStopClock();
    void ResetGameClock();
    void ResetShotClock();
    void SwitchClockDisplay();

    // Buzzer.
    void Buzzer();

    void UpdateFormColors();
    void UpdateNumLock();

    // Window state.
    int WhoPoss() const { return m_whoPoss; }
    void setWhoPoss(int who);
    bool ClockTime() const { return m_clockTime; }
    bool BuzzerPlaying() const { return m_buzzerPlaying; }
    Currency GameResetTime() const { return m_gameResetTime; }
    ClockEngine& teGame() const { return *m_teGame; }
    ClockEngine& teShotClock() const { return *m_teShotClock; }
    SoundDevice& mmcBuzzer() const { return *m_mmcBuzzer; }
    QTimer& tmrClock1() const { return *m_tmrClock1; }
    const modShowDigits::TypedEntry& typedEntry() const { return m_typedEntry; }
    const modCount::TimeEntry& timeEntry() const { return m_timeEntry; }

    // The fields in tab order: the game clock first.
    QList<QWidget*> tabOrder() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct NumberField {
        DigitPanel* panel;
        int maximum;
        bool teamFouls;
    };

    void buildBoard();
    void loadBoard();
    void keyDown(int keyCode);
    void numberFieldKeyDown(const NumberField& field, int keyCode);
    void clkGameKeyDown(int keyCode);
    void digShotClockKeyDown(int keyCode);
    void buzzerFinished();
    void openBuzzer();
    void reloadBuzzer();
    void showHelpWindow();
    void showOptionsDialog();
    void fitPictures();
    void applyDigitStyle();
    void centreIn(QLabel* label, QWidget* container);
    const NumberField* numberField(const QWidget* widget) const;

    BoardEnvironment m_env;

    // Fields.
    ClockPanel* clkGame = nullptr;
    DigitPanel* digHome = nullptr;
    DigitPanel* digVisitor = nullptr;
    DigitPanel* digFoulsH = nullptr;
    DigitPanel* digFoulsV = nullptr;
    DigitPanel* digTimeoutsH = nullptr;
    DigitPanel* digTimeoutsV = nullptr;
    DigitPanel* digPlayerFoul = nullptr;
    DigitPanel* digFouls = nullptr;
    DigitPanel* digPeriod = nullptr;
    DigitPanel* digShotClock = nullptr;
    QList<NumberField> m_numberFields;

    // Captions, pictures and shapes.
    QLabel* lblTitle = nullptr;
    QWidget* picHomeContainer = nullptr;
    QWidget* picVisitorContainer = nullptr;
    QLabel* lblHome = nullptr;
    QLabel* lblVisitor = nullptr;
    QWidget* picHomePicContainer = nullptr;
    QWidget* picVisitorPicContainer = nullptr;
    QWidget* picBoardPicContainer = nullptr;
    QLabel* imgHomePic = nullptr;
    QLabel* imgVisitorPic = nullptr;
    QLabel* imgBoardPic = nullptr;
    QLabel* lblPeriod = nullptr;
    QLabel* lblPossH = nullptr;
    QLabel* lblPossV = nullptr;
    BoardShape* shpBonusH[2] = {};
    BoardShape* shpBonusV[2] = {};
    BoardShape* Shape1 = nullptr;
    BoardShape* Shape3 = nullptr;
    BoardShape* shpObjectSelected = nullptr;

    // Timekeeping and sound.
    ClockEngine* m_teGame = nullptr;
    ClockEngine* m_teShotClock = nullptr;
    QTimer* m_tmrClock1 = nullptr;
    SoundDevice* m_mmcBuzzer = nullptr;

    // Window state.
    int m_whoPoss = 0;
    bool m_clockTime = false;
    bool m_buzzerPlaying = false;
    Currency m_gameResetTime;
    bool m_buzzerSounded = false;   // a run-out has sounded; the game clock has not been above zero since
    bool m_shotClockArmed = false;  // the shot clock has been above zero since it last ran out
    QWindow* m_keyWindow = nullptr; // the native window whose key events we dispatch
    bool m_firstShow = true;
    bool m_releaseEndsDoubleClick = false; // the next arrow release ends a double-click

    modShowDigits::TypedEntry m_typedEntry;
    modCount::TimeEntry m_timeEntry;
};
