#pragma once

#include "record/recordtypes.h"

#include <QMap>
#include <optional>

// Where a game cut off (a crash, a power cut) stood, from its record.
struct RestoredGame {
    QMap<GameField, qint64> values;  // the last value of every field the record saw change
    std::optional<qint64> gameClock; // the clocks at their last known values, if ever known
    std::optional<qint64> shotClock; // (-1 here is a blanked shot clock)
    qint64 lastSeenMs = 0; // when the record last heard of the game (time of day, ms since the epoch)
};

// The newest game of the record at `path` when it has no end mark, that is, when the program was
// not closed normally. A damaged file is moved aside (and logged) and gives nothing.
std::optional<StoredGame> readUnfinishedGame(const QString& path);

// The values to put back: each field's last value, the clocks at the later of the last event and
// the last clock checkpoint, and both clocks stopped.
RestoredGame restoredValues(const StoredGame& game);
