#pragma once

#include "components/currency.h"
#include "settings/settings.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <span>
#include <vector>

// The rule books the board knows, and the figures the board takes from whichever is chosen.
namespace leagues {

// A bonus threshold no team-foul count reaches (the quick keys stop at 99): the light never shows.
inline constexpr std::int16_t NoBonus = 100;
// The generated shot-clock horn, installed beside the program like the buzzer.
inline constexpr const char* ShotClockHornFileName = "shotclock.wav";
inline constexpr const char* Custom = "Custom";

// One league's figures, as its current rule book states them.
struct League {
    const char* name; // as stored under "League"
    bool halves;
    std::int32_t periodSeconds;
    std::int32_t overtimeSeconds;
    std::int16_t shotClock;
    std::int16_t shortReset; // 0: none
    std::int16_t bonusInner;
    std::int16_t bonusOuter; // NoBonus: none
    bool foulsResetEachPeriod;
    bool shotClockOff;
    bool distinctShotClockHorn;
    std::int16_t timeoutsPerGame;
};

// FIBA, NBA, NCAA men, NCAA women, NFHS, in the order the options list them after "Custom".
std::span<const League> all();
// The league of that stored name; nullptr for "Custom" and any name not in the table.
const League* find(QStringView name);

// Puts the league's figures into the record, its name under League; the distinct horn is the
// generated one beside the program in `executableDir`, the buzzer otherwise.
void apply(const League& league, SettingsRecord& record, const QString& executableDir);
// Whether every figure the league sets (the horn file aside) is the record's.
bool matches(const League& league, const SettingsRecord& record);

// Regular periods: two halves or four periods.
int regularPeriods(const SettingsRecord& record);
// What the game clock resets to in `period`: the overtime length once past the regular periods.
Currency periodLength(const SettingsRecord& record, int period);
// Whether team fouls go back to 0 when the period moves on to `period`. Extra periods carry on
// the count of the last regular one, as the rule books of every preset have it.
bool foulsResetEntering(const SettingsRecord& record, int period);
// The file the shot clock's run-out sounds: its own, or the buzzer's when none is chosen.
QString shotClockHorn(const SettingsRecord& record);

// The rule keys whose loaded values the board cannot use: periods outside 1 s .. 99:59, a short
// reset outside 0 .. 99, timeouts outside 0 .. 9, an unknown league name. They go back to their
// defaults.
std::vector<SettingId> unusable(const SettingsRecord& record);

} // namespace leagues
