#pragma once

#include "components/currency.h"
#include "settings/settings.h"

#include <QString>
#include <QTime>
#include <array>

class ClockPanel;
class DigitPanel;
class QWidget;

// How the board shows what it shows, for every window built from the design table
// (boarddesign::build): the operator's board and the audience's draw through these, so the
// audience sees exactly what the operator sees.
namespace boardface {

// The possession arrows: the side with the ball (1 home, 2 visitor) lit in TimeColor, the other
// dark in LEDBack; 0 both dark; any other value leaves them as they are.
void showPossession(QWidget& board, int whoPoss, const SettingsRecord& settings);

// The bonus lights, home inner and outer, then visitor inner and outer: lit ones filled with
// ScoreColor, dark ones with FormBack, every outline LEDBack.
using BonusLights = std::array<bool, 4>;
void showBonus(QWidget& board, const BonusLights& lit, const SettingsRecord& settings);

// Title, team names at `teamPoints` (the stored size already scaled to the window), the period
// caption, the three pictures and the digit style.
void showLabels(QWidget& board, const SettingsRecord& settings, double teamPoints);

// The game clock read-out for a time left, or for the time of day: whole seconds above 59.9,
// tenths below.
void showGameClock(ClockPanel& clock, Currency timeLeft, bool timeOfDay, QTime now, bool twelveHour);

// The shot clock read-out for a time left, in whole seconds; a blanked read-out stays blank.
void showShotClock(DigitPanel& shotClock, Currency timeLeft);

} // namespace boardface
