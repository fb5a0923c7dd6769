#pragma once

#include "record/recordtypes.h"

#include <QDateTime>
#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <optional>
#include <span>
#include <sys/types.h>
#include <utility>

// One connection to the game record's SQLite file, on the thread that made it. Every call is one
// transaction; a call that fails returns false or nothing and leaves the reason in lastError().
// A file found damaged (not a database, cut short, corrupt) is moved aside under a dated name and
// a new one started, with one log line.
class RecordDatabase {
public:
    enum class Access { ReadWrite, ReadOnly };
    // Full: a commit is on the disk before it returns. Normal: the last commits before a power cut
    // may be lost, never torn.
    enum class Durability { Full, Normal };

    // `connection` names the Qt SQL connection; each thread uses its own.
    explicit RecordDatabase(QString connection);
    ~RecordDatabase();
    RecordDatabase(const RecordDatabase&) = delete;
    RecordDatabase& operator=(const RecordDatabase&) = delete;

    // Where the program keeps its record: games.sqlite in the user's data folder.
    static QString defaultPath();

    bool open(const QString& path, Access access = Access::ReadWrite,
              Durability durability = Durability::Full);
    void close();
    bool isOpen() const { return m_open; }
    const QString& path() const { return m_path; }
    // False once the file at path() is no longer the one opened (removed, replaced).
    bool stillAtPath() const;
    // Which file was opened (device and inode), to tell the same file from a new one.
    std::pair<dev_t, ino_t> fileId() const { return {m_device, m_inode}; }

    const QString& lastError() const { return m_error; }
    // The last failure came from a damaged file rather than from the storage around it.
    bool lastErrorDamaged() const { return m_damaged; }

    std::optional<qint64> insertGame(const GameHeader& header);
    // Whether this file holds the game `id` that started at `startedMs`; nothing when it cannot tell.
    std::optional<bool> hasGame(qint64 id, qint64 startedMs);
    bool insertEvents(qint64 game, std::span<const RecordedEvent> events);
    bool writeCheckpoint(qint64 game, const ClockCheckpoint& checkpoint);
    bool endGame(qint64 game, qint64 endedMs);
    // Reads every page; false when the file is damaged or cannot be read.
    bool quickCheck();

    // The newest game's id, -1 when there is none; nothing when the file cannot be read.
    std::optional<qint64> lastGameId();
    std::optional<StoredGame> readGame(qint64 id);
    std::optional<QList<GameSummary>> listGames();

    // Renames a damaged file (and its write-ahead log) to "<name>.damaged-<date>-<time>" beside
    // it and logs so; returns the new name, or an empty string when it could not be moved.
    static QString moveAside(const QString& path, const QDateTime& now = QDateTime::currentDateTime());
    // Whether the file starts as an SQLite database does: zero bytes or anything else is not one.
    static bool looksLikeDatabase(const QString& path);

private:
    bool openOnce(Access access, Durability durability);
    bool prepareFile();
    bool setUp(Durability durability);
    QSqlQuery* prepared(const char* sql);
    // Prepares (once), binds and runs; nothing when it failed, with the reason kept.
    QSqlQuery* run(const char* sql, const QVariantList& values = {});
    bool exec(const char* sql);
    bool fail(const QSqlQuery& query);
    bool fail(const QString& what);
    template <typename Write> bool transaction(Write write);

    QString m_connection;
    QString m_path;
    bool m_open = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    QString m_error;
    bool m_damaged = false;
    QHash<const char*, QSqlQuery> m_queries;
};
