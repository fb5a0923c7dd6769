#include "scoreboard/clockreadouts.h"

#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "game/game.h"
#include "platform/timeofday.h"

#include <algorithm>
#include <limits>

namespace {
constexpr Currency AlmostHalf = Currency::fromUnits(4999);        // 0.4999: whole seconds round up
constexpr Currency ShowTenthsBelow = Currency::fromUnits(599000); // 59.9
} // namespace

ClockReadouts::ClockReadouts(const Game& game, ClockPanel& clkGame, DigitPanel& digShotClock,
                             std::function<QTime()> timeOfDay, std::function<bool()> twelveHourClock)
    : m_game(game), m_clkGame(clkGame), m_digShotClock(digShotClock), m_timeOfDay(std::move(timeOfDay)),
      m_twelveHourClock(std::move(twelveHourClock)) {
    if (!m_timeOfDay) {
        m_timeOfDay = [] {
            return QTime::currentTime();
        };
    }
    if (!m_twelveHourClock) {
        const bool twelveHour = timeofday::systemUsesTwelveHourClock();
        m_twelveHourClock = [twelveHour] {
            return twelveHour;
        };
    }
}

Currency ClockReadouts::showGameClock() const {
    const QTime now = m_timeOfDay();
    int hour = now.hour();
    if (m_twelveHourClock()) {
        hour = hour % 12 == 0 ? 12 : hour % 12;
    }
    const Currency g = m_game.clocks().game().seconds();
    if (m_game.value(GameField::ClockDisplay) != 0) {
        m_clkGame.setTimeFormat(ClockPanel::MinutesFormat);
        m_clkGame.setCaption(float(hour * 60 + now.minute()));
    } else if (g > ShowTenthsBelow) {
        m_clkGame.setTimeFormat(ClockPanel::MinutesFormat);
        m_clkGame.setCaption(float((g + AlmostHalf).roundHalfEven()));
    } else {
        m_clkGame.setTimeFormat(ClockPanel::TenthsFormat);
        m_clkGame.setCaption(float(g.toDouble()));
    }
    return g;
}

Currency ClockReadouts::showShotClock() const {
    const Currency s = m_game.clocks().shot().seconds();
    if (m_game.shotClockBlank()) {
        m_digShotClock.setCaption(DigitPanel::Cleared);
    } else {
        const std::int64_t shown = (s + AlmostHalf).roundHalfEven();
        m_digShotClock.setCaption(int(std::clamp<std::int64_t>(
            shown, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max())));
    }
    return s;
}
