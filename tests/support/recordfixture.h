#pragma once

// Shared by the game record's tests: a private record file, the record's log lines, events to
// write, and the storage made unwritable for real, also when the tests run as root.
#include "record/recorddatabase.h"
#include "record/recordtypes.h"

#include <QDir>
#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

// Collects what the record logs, from whichever thread.
class RecordLog {
public:
    RecordLog() {
        s_current = this;
        m_previous = qInstallMessageHandler(&RecordLog::handle);
    }
    ~RecordLog() {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    QStringList warnings() const {
        QMutexLocker lock(&m_mutex);
        return m_warnings;
    }
    QStringList infos() const {
        QMutexLocker lock(&m_mutex);
        return m_infos;
    }
    void clear() {
        QMutexLocker lock(&m_mutex);
        m_warnings.clear();
        m_infos.clear();
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        RecordLog* self = s_current;
        if (!self || qstrcmp(context.category, "ravenmark.record") != 0) {
            return;
        }
        QMutexLocker lock(&self->m_mutex);
        (type == QtInfoMsg || type == QtDebugMsg ? self->m_infos : self->m_warnings) << message;
    }

    static inline RecordLog* s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_warnings;
    QStringList m_infos;
};

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

// Runs the file accesses of the whole process as an ordinary user while it lives, so that a mode
// without write permission really refuses writes; a no-op when the tests do not run as root.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const QString& folder) {
        if (geteuid() != 0) {
            return;
        }
        m_dropped = true;
        chownTree(folder);
        QVERIFY(seteuid(Nobody) == 0);
    }
    ~AsOrdinaryUser() {
        if (m_dropped) {
            (void)seteuid(0);
        }
    }

private:
    static constexpr uid_t Nobody = 65534;
    static void chownTree(const QString& folder) {
        (void)::chown(QFile::encodeName(folder).constData(), Nobody, Nobody);
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            (void)::chown(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), Nobody, Nobody);
        }
    }
    bool m_dropped = false;
};
