#include "record/resume.h"

#include "record/recorddatabase.h"
#include "record/recordlog.h"

#include <QFileInfo>

std::optional<StoredGame> readUnfinishedGame(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return std::nullopt;
    }
    RecordDatabase db(QStringLiteral("ravenmark-record-resume"));
    if (!db.open(path)) {
        qCWarning(lcRecord).noquote() << "Game record: cannot read" << path << "(" + db.lastError() + ");"
                                      << "the board starts with a new game";
        return std::nullopt;
    }
    const std::optional<qint64> id = db.lastGameId();
    std::optional<StoredGame> game = id && *id >= 0 ? db.readGame(*id) : std::nullopt;
    if (!game && db.lastErrorDamaged()) {
        db.close();
        RecordDatabase::moveAside(path);
    }
    if (!game || game->endedMs) {
        return std::nullopt;
    }
    return game;
}

RestoredGame restoredValues(const StoredGame& game) {
    RestoredGame restored;
    restored.lastSeenMs = game.header.startedMs;
    for (const RecordedEvent& r : game.events) {
        restored.values[r.event.field] = r.event.newValue;
        restored.gameClock = r.gameClock;
        restored.shotClock = r.shotClock;
        restored.lastSeenMs = r.timeOfDayMs;
    }
    const qint64 lastSeq = game.events.isEmpty() ? 0 : game.events.last().seq;
    if (game.checkpoint && game.checkpoint->afterSeq >= lastSeq) {
        restored.gameClock = game.checkpoint->gameClock;
        restored.shotClock = game.checkpoint->shotClock;
        restored.lastSeenMs = std::max(restored.lastSeenMs, game.checkpoint->timeOfDayMs);
    }
    // The clocks wait for the operator: nobody knows how long the board was away.
    restored.values[GameField::ClockRunning] = 0;
    restored.values[GameField::ShotClockRunning] = 0;
    restored.values.remove(GameField::GameClock);
    restored.values.remove(GameField::ShotClock);
    return restored;
}
