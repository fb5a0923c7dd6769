#pragma once

#include "components/currency.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <array>
#include <cstdint>

// One clock as a client needs it to run the clock itself: the value in tenths of a second and the
// steady time (ms) at which the clock stood exactly at that value. A running clock then stands at
// tenths / 10 - (t - atMs) / 1000 seconds at any later steady time t, to the clock's own precision.
struct FeedClock {
    std::int64_t tenths = 0;
    bool running = false;
    std::int64_t atMs = 0;

    bool operator==(const FeedClock&) const = default;
};

// The clock of an engine read at steady time `nowNs`. A running clock's time is moved back to the
// moment the engine passed the tenth it now shows, so that a client counting from there agrees
// with the board between tenths too. Below zero reads as zero.
FeedClock feedClock(Currency seconds, bool running, std::int64_t nowNs);

// The game as the feed shows it, in plain values: read on the board's thread in one go, then
// handed to the feed's thread. Counts use -1 for a cleared read-out, as the board does.
struct FeedState {
    QString title;
    QString homeName;
    QString visitorName;
    std::int64_t scoreHome = 0;
    std::int64_t scoreVisitor = 0;
    std::int64_t foulsHome = 0;
    std::int64_t foulsVisitor = 0;
    std::int64_t timeoutsHome = 0;
    std::int64_t timeoutsVisitor = 0;
    std::int64_t playerFoul = 0;
    std::int64_t playerFouls = 0;
    std::int64_t period = 1;
    bool halves = false;
    // 0 nobody, 1 home, 2 visitor.
    std::int64_t possession = 0;
    // The lights on each side, inner first; a side's lights show the other team's fouls.
    std::array<bool, 2> bonusHome{};
    std::array<bool, 2> bonusVisitor{};
    FeedClock gameClock;
    FeedClock shotClock;
    bool shotClockBlank = false;
    // The game clock's read-out shows the time of day, as hours and minutes.
    bool timeOfDay = false;
    bool twelveHourClock = false;
    // The board's colours, RGB with red in the low byte.
    std::int32_t formBack = 0;
    std::int32_t timeColor = 0;
    std::int32_t scoreColor = 0;
    std::int32_t periodColor = 0;
    std::int32_t ledBack = 0;
    std::int32_t borderColor = 0;
    std::int32_t homeColor = 0;
    std::int32_t visitorColor = 0;

    bool operator==(const FeedState&) const = default;
};

// One change of the game, under the names the feed's clients see ("scoreHome", "quickKey").
struct FeedChange {
    QString field;
    std::int64_t oldValue = 0;
    std::int64_t newValue = 0;
    QString cause;
    // Its place in the order of all changes since the feed started, from 1.
    std::int64_t seq = 0;
};

// A batch for the feed's thread: changes in order and the state after the last of them.
struct FeedUpdate {
    QList<FeedChange> changes;
    FeedState state;
    std::int64_t seq = 0;
};
Q_DECLARE_METATYPE(FeedUpdate)

namespace feedjson {

// The whole state as /state serves it. `nowMs` is the steady time it is sent at, so that a client
// can tell how old each clock's value is; `wallMs` and `utcOffsetS` place the time of day.
QJsonObject state(const FeedState& state, std::int64_t seq, std::int64_t nowMs, std::int64_t wallMs,
                  int utcOffsetS);
QJsonObject change(const FeedChange& change);
// "#rrggbb" of a colour with red in the low byte.
QString color(std::int32_t rgb);

} // namespace feedjson
