#pragma once

#include <QString>

// How the system shows the time of day, for the game clock's time-of-day read-out.
namespace timeofday {

// Whether a Qt time format shows the hour as 1-12: it has an AM/PM marker ("a", "A",
// "ap", "AP") outside quoted text.
bool usesTwelveHourClock(const QString& format);

// Whether the system's short time format does.
bool systemUsesTwelveHourClock();

} // namespace timeofday
