#pragma once

#include "components/currency.h"

#include <QTime>
#include <functional>

class ClockPanel;
class DigitPanel;
class Game;

// The two clock read-outs as views of the game's clocks. The game clock shows minutes and
// seconds, seconds and tenths below 59.9, or the time of day; the shot clock whole seconds,
// or nothing while it is blanked. Whole seconds round up, so a clock shows 0 only when its
// time is really up.
class ClockReadouts {
public:
    // Without a time-of-day source: the system's time and its 12- or 24-hour habit.
    ClockReadouts(const Game& game, ClockPanel& clkGame, DigitPanel& digShotClock,
                  std::function<QTime()> timeOfDay, std::function<bool()> twelveHourClock);

    // Each writes its read-out from its engine's time now and returns that time.
    Currency showGameClock() const;
    Currency showShotClock() const;

private:
    const Game& m_game;
    ClockPanel& m_clkGame;
    DigitPanel& m_digShotClock;
    std::function<QTime()> m_timeOfDay;
    std::function<bool()> m_twelveHourClock;
};
