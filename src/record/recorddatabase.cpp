#include "record/recorddatabase.h"

#include "record/recordlog.h"
#include "record/recordsql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStandardPaths>
#include <QVariant>
#include <sys/stat.h>

namespace {

// SQLite's result codes for a file that is not a database or is damaged inside.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

std::optional<qint64> optionalInt(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<qint64>(value.toLongLong());
}

} // namespace

RecordDatabase::RecordDatabase(QString connection) : m_connection(std::move(connection)) {}

RecordDatabase::~RecordDatabase() {
    close();
}

QString RecordDatabase::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/games.sqlite");
}

bool RecordDatabase::open(const QString& path, Access access, Durability durability) {
    close();
    m_path = path;
    if (access == Access::ReadWrite && QFileInfo::exists(path) && !looksLikeDatabase(path)) {
        moveAside(path, QDateTime::currentDateTime());
    }
    if (openOnce(access, durability)) {
        return true;
    }
    // Damage found only once SQLite reads the file: move it aside too and start afresh, once.
    if (access == Access::ReadWrite && m_damaged) {
        close();
        if (!moveAside(path, QDateTime::currentDateTime()).isEmpty() && openOnce(access, durability)) {
            return true;
        }
    }
    close();
    return false;
}

bool RecordDatabase::openOnce(Access access, Durability durability) {
    m_error.clear();
    m_damaged = false;
    if (access == Access::ReadWrite && !prepareFile()) {
        return false;
    }
    if (access == Access::ReadOnly && !QFileInfo::exists(m_path)) {
        return fail(QStringLiteral("there is no record yet"));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    if (access == Access::ReadOnly) {
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    }
    if (!db.open()) {
        m_error = db.lastError().text();
        return false;
    }
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) == 0) {
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }
    m_open = true;
    if (access == Access::ReadOnly) {
        return exec("PRAGMA busy_timeout = 250") && exec(recordsql::ReadSchemaVersion);
    }
    return setUp(durability);
}

bool RecordDatabase::prepareFile() {
    const QFileInfo file(m_path);
    const QString folder = file.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder)) {
            return fail(QStringLiteral("cannot create the folder %1").arg(folder));
        }
        // The games recorded here are the user's own business.
        QFile::setPermissions(folder, OwnerOnly | QFile::ExeOwner);
    }
    if (!file.exists()) {
        // Made here, so that it is private from its first byte; SQLite gives its logs the same mode.
        QFile create(m_path);
        if (!create.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly)) {
            return fail(QStringLiteral("cannot create %1: %2").arg(m_path, create.errorString()));
        }
    } else if ((file.permissions() & ~(OwnerOnly | QFile::ReadUser | QFile::WriteUser)) != 0) {
        QFile::setPermissions(m_path, OwnerOnly);
    }
    return true;
}

bool RecordDatabase::setUp(Durability durability) {
    for (const char* pragma : recordsql::Pragmas) {
        if (!exec(pragma)) {
            return false;
        }
    }
    if (!exec(durability == Durability::Full ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL")) {
        return false;
    }
    QSqlQuery* version = prepared(recordsql::ReadSchemaVersion);
    if (!version || !version->exec() || !version->next()) {
        return version ? fail(*version) : false;
    }
    const int found = version->value(0).toInt();
    version->finish();
    if (found > recordsql::SchemaVersion) {
        return fail(QStringLiteral("it was written by a later version of Ravenmark"));
    }
    if (found == recordsql::SchemaVersion) {
        return true;
    }
    return transaction([this] {
        for (const char* create : recordsql::CreateTables) {
            if (!exec(create)) {
                return false;
            }
        }
        return exec(recordsql::WriteSchemaVersion);
    });
}

void RecordDatabase::close() {
    m_queries.clear();
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_open = false;
}

bool RecordDatabase::stillAtPath() const {
    struct stat info {};
    return ::stat(QFile::encodeName(m_path).constData(), &info) == 0 && info.st_dev == m_device &&
           info.st_ino == m_inode;
}

QSqlQuery* RecordDatabase::prepared(const char* sql) {
    auto it = m_queries.find(sql);
    if (it != m_queries.end()) {
        return &*it;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.prepare(QString::fromLatin1(sql))) {
        fail(query);
        return nullptr;
    }
    return &*m_queries.insert(sql, std::move(query));
}

bool RecordDatabase::exec(const char* sql) {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QString::fromLatin1(sql))) {
        return fail(query);
    }
    return true;
}

bool RecordDatabase::fail(const QSqlQuery& query) {
    const QSqlError error = query.lastError();
    const int code = error.nativeErrorCode().toInt();
    m_damaged = code == SqliteCorrupt || code == SqliteNotADatabase;
    m_error = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return false;
}

bool RecordDatabase::fail(const QString& what) {
    m_damaged = false;
    m_error = what;
    return false;
}

template <typename Write> bool RecordDatabase::transaction(Write write) {
    if (!m_open && !fail(QStringLiteral("the record is not open"))) {
        return false;
    }
    if (!exec(recordsql::Begin)) {
        return false;
    }
    if (write() && exec(recordsql::Commit)) {
        return true;
    }
    // The reason is the failed step's; the rollback only tidies up.
    QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QString::fromLatin1(recordsql::Rollback));
    return false;
}

std::optional<qint64> RecordDatabase::insertGame(const GameHeader& header) {
    qint64 id = -1;
    const bool written = transaction([&] {
        QSqlQuery* q = prepared(recordsql::InsertGame);
        if (!q) {
            return false;
        }
        q->addBindValue(header.startedMs);
        q->addBindValue(header.home);
        q->addBindValue(header.visitor);
        q->addBindValue(header.league);
        if (!q->exec()) {
            return fail(*q);
        }
        id = q->lastInsertId().toLongLong();
        return true;
    });
    return written ? std::optional<qint64>(id) : std::nullopt;
}

std::optional<bool> RecordDatabase::hasGame(qint64 id, qint64 startedMs) {
    QSqlQuery* q = prepared(recordsql::GameExists);
    if (!q) {
        return std::nullopt;
    }
    q->addBindValue(id);
    q->addBindValue(startedMs);
    if (!q->exec()) {
        fail(*q);
        return std::nullopt;
    }
    const bool found = q->next();
    q->finish();
    return found;
}

bool RecordDatabase::insertEvents(qint64 game, std::span<const RecordedEvent> events) {
    return transaction([&] {
        QSqlQuery* q = prepared(recordsql::InsertEvent);
        if (!q) {
            return false;
        }
        for (const RecordedEvent& e : events) {
            q->addBindValue(game);
            q->addBindValue(e.seq);
            q->addBindValue(e.timeOfDayMs);
            q->addBindValue(e.steadyNs);
            q->addBindValue(e.period);
            q->addBindValue(e.gameClock);
            q->addBindValue(e.shotClock);
            q->addBindValue(fieldName(e.event.field));
            q->addBindValue(e.event.oldValue);
            q->addBindValue(e.event.newValue);
            q->addBindValue(causeName(e.event.cause));
            if (!q->exec()) {
                return fail(*q);
            }
        }
        return true;
    });
}

bool RecordDatabase::writeCheckpoint(qint64 game, const ClockCheckpoint& c) {
    return transaction([&] {
        QSqlQuery* q = prepared(recordsql::WriteCheckpoint);
        if (!q) {
            return false;
        }
        for (const QVariant& value : {QVariant(game), QVariant(c.afterSeq), QVariant(c.timeOfDayMs),
                                      QVariant(c.steadyNs), QVariant(c.gameClock), QVariant(c.shotClock),
                                      QVariant(int(c.gameRunning)), QVariant(int(c.shotRunning))}) {
            q->addBindValue(value);
        }
        return q->exec() || fail(*q);
    });
}

bool RecordDatabase::endGame(qint64 game, qint64 endedMs) {
    return transaction([&] {
        QSqlQuery* q = prepared(recordsql::EndGame);
        if (!q) {
            return false;
        }
        q->addBindValue(endedMs);
        q->addBindValue(game);
        return q->exec() || fail(*q);
    });
}

bool RecordDatabase::quickCheck() {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QString::fromLatin1(recordsql::QuickCheck))) {
        return fail(query);
    }
    QStringList problems;
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok")) {
            problems << line;
        }
    }
    if (problems.isEmpty()) {
        return true;
    }
    m_damaged = true;
    m_error = problems.first();
    return false;
}

std::optional<qint64> RecordDatabase::lastGameId() {
    QSqlQuery* q = prepared(recordsql::LastGame);
    if (!q) {
        return std::nullopt;
    }
    if (!q->exec()) {
        fail(*q);
        return std::nullopt;
    }
    const std::optional<qint64> id = q->next() ? std::optional<qint64>(q->value(0).toLongLong()) : -1;
    q->finish();
    return id;
}

std::optional<StoredGame> RecordDatabase::readGame(qint64 id) {
    StoredGame game;
    game.id = id;
    QSqlQuery* q = prepared(recordsql::ReadGame);
    if (!q) {
        return std::nullopt;
    }
    q->addBindValue(id);
    if (!q->exec()) {
        fail(*q);
        return std::nullopt;
    }
    if (!q->next()) {
        fail(QStringLiteral("there is no game %1").arg(id));
        return std::nullopt;
    }
    game.header = {q->value(0).toLongLong(), q->value(2).toString(), q->value(3).toString(),
                   q->value(4).toString()};
    game.endedMs = optionalInt(q->value(1));
    q->finish();

    QSqlQuery* events = prepared(recordsql::ReadEvents);
    if (!events) {
        return std::nullopt;
    }
    events->addBindValue(id);
    if (!events->exec()) {
        fail(*events);
        return std::nullopt;
    }
    while (events->next()) {
        const auto field = fieldFromName(events->value(6).toString());
        const auto cause = causeFromName(events->value(9).toString());
        if (!field || !cause) {
            continue;
        }
        RecordedEvent e;
        e.seq = events->value(0).toLongLong();
        e.timeOfDayMs = events->value(1).toLongLong();
        e.steadyNs = events->value(2).toLongLong();
        e.period = events->value(3).toLongLong();
        e.gameClock = events->value(4).toLongLong();
        e.shotClock = events->value(5).toLongLong();
        e.event = {*field, events->value(7).toLongLong(), events->value(8).toLongLong(), *cause};
        game.events << e;
    }
    if (events->lastError().isValid()) {
        fail(*events);
        return std::nullopt;
    }
    events->finish();

    QSqlQuery* clocks = prepared(recordsql::ReadCheckpoint);
    if (!clocks) {
        return std::nullopt;
    }
    clocks->addBindValue(id);
    if (!clocks->exec()) {
        fail(*clocks);
        return std::nullopt;
    }
    if (clocks->next()) {
        game.checkpoint = ClockCheckpoint{clocks->value(0).toLongLong(), clocks->value(1).toLongLong(),
                                          clocks->value(2).toLongLong(), clocks->value(3).toLongLong(),
                                          clocks->value(4).toLongLong(), clocks->value(5).toBool(),
                                          clocks->value(6).toBool()};
    }
    clocks->finish();
    return game;
}

std::optional<QList<GameSummary>> RecordDatabase::listGames() {
    QSqlQuery* q = prepared(recordsql::ListGames);
    if (!q) {
        return std::nullopt;
    }
    if (!q->exec()) {
        fail(*q);
        return std::nullopt;
    }
    QList<GameSummary> games;
    while (q->next()) {
        GameSummary s;
        s.id = q->value(0).toLongLong();
        s.header = {q->value(1).toLongLong(), q->value(3).toString(), q->value(4).toString(),
                    q->value(5).toString()};
        s.endedMs = optionalInt(q->value(2));
        s.events = q->value(6).toLongLong();
        s.scoreHome = q->value(7).isNull() ? -1 : q->value(7).toLongLong();
        s.scoreVisitor = q->value(8).isNull() ? -1 : q->value(8).toLongLong();
        games << s;
    }
    q->finish();
    return games;
}

QString RecordDatabase::moveAside(const QString& path, const QDateTime& now) {
    const QString base = path + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target = base + QLatin1Char('-') + QString::number(n);
    }
    if (!QFile::rename(path, target)) {
        qCWarning(lcRecord).noquote()
            << "Game record:" << path << "is damaged and could not be moved aside; no game is recorded";
        return {};
    }
    // The log belongs to the damaged file; the shared-memory index is rebuilt from it if ever needed.
    QFile::rename(path + QStringLiteral("-wal"), target + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    qCWarning(lcRecord).noquote() << "Game record:" << path << "is not a readable database; moved aside to"
                                  << target << "and a new record started";
    return target;
}

bool RecordDatabase::looksLikeDatabase(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return true; // cannot tell; opening it will say what is wrong
    }
    // The smallest page SQLite writes is 512 bytes, and every database starts with this header.
    return file.size() >= 512 && file.read(16) == QByteArray("SQLite format 3\0", 16);
}
