#pragma once

// Shared by the game record's tests: a private record file, events to write, and what was written.
#include "record/recorddatabase.h"
#include "record/recordtypes.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// A folder of its own for each test, with the record's file in it.
struct RecordFolder {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("games.sqlite")); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
    QStringList movedAside() const {
        return QDir(dir.path()).entryList({QStringLiteral("games.sqlite.damaged-*")}, QDir::Files);
    }
};

inline GameHeader testHeader(qint64 startedMs = 1'765'000'000'000) {
    return {startedMs, QStringLiteral("Ravens"), QStringLiteral("Herons"), QString()};
}

// The n-th event of a made-up game: the home score going up one at a time, the clock running down.
inline RecordedEvent scoreEvent(int n) {
    RecordedEvent e;
    e.timeOfDayMs = 1'765'000'000'000 + n * 1000;
    e.steadyNs = qint64(n) * 1'000'000'000;
    e.period = 1;
    e.gameClock = (600 - n) * 10000;
    e.shotClock = 240000;
    e.event = {GameField::ScoreHome, n - 1, n, GameCause::QuickKey};
    return e;
}

// A game of `events` score events written in one go, as an earlier run left it; its id, or -1.
inline qint64 writeGame(RecordDatabase& db, int events) {
    const std::optional<qint64> id = db.insertGame(testHeader());
    QList<RecordedEvent> all;
    for (int n = 1; n <= events; ++n) {
        all << scoreEvent(n);
        all.last().seq = n;
    }
    return id && db.insertEvents(*id, std::span<const RecordedEvent>(all.constData(), all.size())) ? *id : -1;
}

inline std::optional<StoredGame> readBack(const QString& path, qint64 id = -1) {
    RecordDatabase db(QStringLiteral("test-read-back"));
    if (!db.open(path, RecordDatabase::Access::ReadOnly)) {
        return std::nullopt;
    }
    const std::optional<qint64> last = id >= 0 ? id : db.lastGameId();
    return last && *last >= 0 ? db.readGame(*last) : std::nullopt;
}

inline QList<qint64> seqs(const StoredGame& game) {
    QList<qint64> out;
    for (const RecordedEvent& e : game.events) {
        out << e.seq;
    }
    return out;
}
