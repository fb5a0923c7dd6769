#include "settings/leagues.h"

#include <QDir>
#include <QLatin1StringView>
#include <array>

namespace leagues {

namespace {

// From the rule books in force for the 2024-25 season: FIBA Official Basketball Rules 2024,
// NBA Official Rules 2024-25, NCAA Men's and Women's Basketball Rules 2024-25 and 2025-26, NFHS
// Basketball Rules 2024-25 with its shot-clock guidelines. The bonus light comes on with the
// foul that is the first to give free throws.
constexpr std::array<League, 5> Table{{
    // name, halves, period, overtime, shot, short, inner, outer, fouls reset, shot off, horn, timeouts
    {"FIBA", false, 600, 300, 24, 14, 5, NoBonus, true, true, true, 5},
    {"NBA", false, 720, 300, 24, 14, 5, NoBonus, true, true, false, 7},
    {"NCAA men", true, 1200, 300, 30, 20, 7, 10, true, true, false, 4},
    {"NCAA women", false, 600, 300, 30, 20, 5, NoBonus, true, true, false, 4},
    {"NFHS", false, 480, 240, 35, 0, 5, NoBonus, true, true, true, 5},
}};

constexpr std::int32_t LongestPeriod = 5999; // 99:59, what the game clock can show
constexpr std::int16_t LongestShortReset = 99;
constexpr std::int16_t MostTimeouts = 9;

} // namespace

std::span<const League> all() {
    return Table;
}

const League* find(QStringView name) {
    for (const League& league : Table) {
        if (name == QLatin1StringView(league.name)) {
            return &league;
        }
    }
    return nullptr;
}

void apply(const League& league, SettingsRecord& r, const QString& executableDir) {
    r.League = QLatin1StringView(league.name);
    r.GamePeriod = league.halves ? 1 : 0;
    r.PeriodSeconds = league.periodSeconds;
    r.OvertimeSeconds = league.overtimeSeconds;
    r.ShotClockResetTime = league.shotClock;
    r.ShortReset = league.shortReset;
    r.BonusInner = league.bonusInner;
    r.BonusOuter = league.bonusOuter;
    r.FoulsResetEachPeriod = league.foulsResetEachPeriod;
    r.ShotClockOff = league.shotClockOff;
    r.TimeoutsPerGame = league.timeoutsPerGame;
    r.ShotClockFile = league.distinctShotClockHorn
                          ? QDir::toNativeSeparators(executableDir) + QDir::separator() +
                                QLatin1StringView(ShotClockHornFileName)
                          : QString();
}

bool matches(const League& league, const SettingsRecord& r) {
    return (r.GamePeriod != 0) == league.halves && r.PeriodSeconds == league.periodSeconds &&
           r.OvertimeSeconds == league.overtimeSeconds && r.ShotClockResetTime == league.shotClock &&
           r.ShortReset == league.shortReset && r.BonusInner == league.bonusInner &&
           r.BonusOuter == league.bonusOuter && r.FoulsResetEachPeriod == league.foulsResetEachPeriod &&
           r.ShotClockOff == league.shotClockOff && r.TimeoutsPerGame == league.timeoutsPerGame;
}

int regularPeriods(const SettingsRecord& r) {
    return r.GamePeriod != 0 ? 2 : 4;
}

Currency periodLength(const SettingsRecord& r, int period) {
    return Currency::fromInt(period > regularPeriods(r) ? r.OvertimeSeconds : r.PeriodSeconds);
}

bool foulsResetEntering(const SettingsRecord& r, int period) {
    return r.FoulsResetEachPeriod && period > 1 && period <= regularPeriods(r);
}

QString shotClockHorn(const SettingsRecord& r) {
    return r.ShotClockFile.isEmpty() ? r.BuzzerFile : r.ShotClockFile;
}

std::vector<SettingId> unusable(const SettingsRecord& r) {
    std::vector<SettingId> ids;
    const auto check = [&ids](bool usable, SettingId id) {
        if (!usable) {
            ids.push_back(id);
        }
    };
    check(r.League == QLatin1StringView(Custom) || find(r.League) != nullptr, SettingId::League);
    check(r.PeriodSeconds >= 1 && r.PeriodSeconds <= LongestPeriod, SettingId::PeriodSeconds);
    check(r.OvertimeSeconds >= 1 && r.OvertimeSeconds <= LongestPeriod, SettingId::OvertimeSeconds);
    check(r.ShortReset >= 0 && r.ShortReset <= LongestShortReset, SettingId::ShortReset);
    check(r.TimeoutsPerGame >= 0 && r.TimeoutsPerGame <= MostTimeouts, SettingId::TimeoutsPerGame);
    return ids;
}

} // namespace leagues
