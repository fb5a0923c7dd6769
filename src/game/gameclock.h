#pragma once

#include "components/clockengine.h"
#include "components/currency.h"
#include "settings/settings.h"

#include <QObject>

class MonotonicClock;

// The game clock and the shot clock as the referee sees them: two countdowns that start and
// stop together, the time the game clock resets to, and the rules for when a run-out sounds
// the horn. The board shows what it reads from here.
class GameClock : public QObject {
    Q_OBJECT

public:
    explicit GameClock(const MonotonicClock& clock, QObject* parent = nullptr);

    ClockEngine& game() { return *m_game; }
    const ClockEngine& game() const { return *m_game; }
    ClockEngine& shot() { return *m_shot; }
    const ClockEngine& shot() const { return *m_shot; }

    // What the reset key puts the game clock back to: the last time typed in, the start time at first.
    Currency resetTime() const { return m_resetTime; }
    void setResetTime(Currency seconds) { m_resetTime = seconds; }

    // The shot clock follows the game clock.
    void startStop();
    // Stops both and puts the game clock back to its reset time.
    void resetGame();
    // Puts the shot clock at `seconds`; it runs on if the game clock runs.
    void resetShot(Currency seconds);

    // The run-out rules, applied once a refresh to the times read at its start. The shot clock
    // runs out when it reaches zero having been above it, unless its read-out is blank; the game
    // clock at zero stops both. One horn per run-out: a game clock that stays at zero, or both
    // clocks running out together, sound it once; it sounds again only after the game clock was
    // above zero.
    void checkRunOut(Currency game, Currency shot, bool shotClockBlank);

signals:
    void runOut();

private:
    void sound();

    ClockEngine* m_game;
    ClockEngine* m_shot;
    Currency m_resetTime = Currency::fromInt(GameClockStartSeconds);
    bool m_sounded = false;   // a run-out has sounded; the game clock has not been above zero since
    bool m_shotArmed = false; // the shot clock has been above zero since it last ran out
};
