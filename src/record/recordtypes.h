#pragma once

#include "game/gameevent.h"

#include <QList>
#include <QString>
#include <optional>

// One game as the record keeps it: when it started, who played, and its end mark.
struct GameHeader {
    qint64 startedMs = 0; // time of day, milliseconds since the epoch (UTC)
    QString home;
    QString visitor;
    QString league;
};

// One change of a value, with where the game stood when it happened. Clock values are
// ten-thousandths of a second, -1 where the read-out was blank.
struct RecordedEvent {
    qint64 seq = 0;         // 1, 2, ... within the game
    qint64 timeOfDayMs = 0; // milliseconds since the epoch (UTC)
    qint64 steadyNs = 0;    // the program's monotonic clock, for intervals within one run
    qint64 period = -1;
    qint64 gameClock = -1;
    qint64 shotClock = -1;
    GameEvent event{};
};

// The clocks' state, written once a second while one of them runs, so that a game cut off
// mid-play comes back with its clocks within a second of where they stood.
struct ClockCheckpoint {
    qint64 afterSeq = 0; // the last event written before it: whichever is later wins on resume
    qint64 timeOfDayMs = 0;
    qint64 steadyNs = 0;
    qint64 gameClock = -1;
    qint64 shotClock = -1;
    bool gameRunning = false;
    bool shotRunning = false;
};

// A game read back from the record.
struct StoredGame {
    qint64 id = -1;
    GameHeader header;
    std::optional<qint64> endedMs; // the end mark: set when the game was closed normally
    QList<RecordedEvent> events;   // in order of seq
    std::optional<ClockCheckpoint> checkpoint;
};

// What the game list shows of each game.
struct GameSummary {
    qint64 id = -1;
    GameHeader header;
    std::optional<qint64> endedMs;
    qint64 events = 0;
    qint64 scoreHome = -1; // the last value recorded, -1 if never set
    qint64 scoreVisitor = -1;
};

// The cause a stored name stands for; a name it does not know (written by a later version) is kept
// in the file but skipped on reading, as fieldFromName() does for fields.
std::optional<GameCause> causeFromName(const QString& name);
