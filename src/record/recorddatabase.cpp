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

QSqlQuery* RecordDatabase::run(const char* sql, const QVariantList& values) {
    QSqlQuery* q = prepared(sql);
    if (!q) {
        return nullptr;
    }
    for (const QVariant& value : values) {
        q->addBindValue(value);
    }
    if (!q->exec()) {
        fail(*q);
        return nullptr;
    }
    return q;
}

std::optional<qint64> RecordDatabase::insertGame(const GameHeader& header) {
    qint64 id = -1;
    const bool written = transaction([&] {
        QSqlQuery* q =
            run(recordsql::InsertGame, {header.startedMs, header.home, header.visitor, header.league});
        id = q ? q->lastInsertId().toLongLong() : -1;
        return q != nullptr;
    });
    return written ? std::optional<qint64>(id) : std::nullopt;
}

std::optional<bool> RecordDatabase::hasGame(qint64 id, qint64 startedMs) {
    QSqlQuery* q = run(recordsql::GameExists, {id, startedMs});
    if (!q) {
        return std::nullopt;
    }
    const bool found = q->next();
    q->finish();
    return found;
}

bool RecordDatabase::insertEvents(qint64 game, std::span<const RecordedEvent> events) {
    return transaction([&] {
        for (const RecordedEvent& e : events) {
            if (!run(recordsql::InsertEvent, {game, e.seq, e.timeOfDayMs, e.steadyNs, e.period, e.gameClock,
                                              e.shotClock, fieldName(e.event.field), e.event.oldValue,
                                              e.event.newValue, causeName(e.event.cause)})) {
                return false;
            }
        }
        return true;
    });
}

bool RecordDatabase::writeCheckpoint(qint64 game, const ClockCheckpoint& c) {
    return transaction([&] {
        return run(recordsql::WriteCheckpoint, {game, c.afterSeq, c.timeOfDayMs, c.steadyNs, c.gameClock,
                                                c.shotClock, int(c.gameRunning), int(c.shotRunning)}) !=
               nullptr;
    });
}

bool RecordDatabase::endGame(qint64 game, qint64 endedMs) {
    return transaction([&] { return run(recordsql::EndGame, {endedMs, game}) != nullptr; });
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
    QSqlQuery* q = run(recordsql::LastGame);
    if (!q) {
        return std::nullopt;
    }
    const qint64 id = q->next() ? q->value(0).toLongLong() : -1;
    q->finish();
    return id;
}

std::optional<StoredGame> RecordDatabase::readGame(qint64 id) {
    StoredGame game;
    game.id = id;
    QSqlQuery* q = run(recordsql::ReadGame, {id});
    if (!q) {
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

    q = run(recordsql::ReadEvents, {id});
    if (!q) {
        return std::nullopt;
    }
    while (q->next()) {
        const auto field = fieldFromName(q->value(6).toString());
        const auto cause = causeFromName(q->value(9).toString());
        if (!field || !cause) {
            continue;
        }
        RecordedEvent e;
        e.seq = q->value(0).toLongLong();
        e.timeOfDayMs = q->value(1).toLongLong();
        e.steadyNs = q->value(2).toLongLong();
        e.period = q->value(3).toLongLong();
        e.gameClock = q->value(4).toLongLong();
        e.shotClock = q->value(5).toLongLong();
        e.event = {*field, q->value(7).toLongLong(), q->value(8).toLongLong(), *cause};
        game.events << e;
    }
    // A page that cannot be read ends the rows early with an error, not with the end of the table.
    if (q->lastError().isValid()) {
        fail(*q);
        return std::nullopt;
    }
    q->finish();

    q = run(recordsql::ReadCheckpoint, {id});
    if (!q) {
        return std::nullopt;
    }
    if (q->next()) {
        game.checkpoint =
            ClockCheckpoint{q->value(0).toLongLong(), q->value(1).toLongLong(), q->value(2).toLongLong(),
                            q->value(3).toLongLong(), q->value(4).toLongLong(), q->value(5).toBool(),
                            q->value(6).toBool()};
    }
    q->finish();
    return game;
}

std::optional<QList<GameSummary>> RecordDatabase::listGames() {
    QSqlQuery* q = run(recordsql::ListGames);
    if (!q) {
        return std::nullopt;
    }
    QList<GameSummary> games;
    while (q->next()) {
        GameSummary g;
        g.id = q->value(0).toLongLong();
        g.header = {q->value(1).toLongLong(), q->value(3).toString(), q->value(4).toString(),
                    q->value(5).toString()};
        g.endedMs = optionalInt(q->value(2));
        g.events = q->value(6).toLongLong();
        g.scoreHome = q->value(7).isNull() ? -1 : q->value(7).toLongLong();
        g.scoreVisitor = q->value(8).isNull() ? -1 : q->value(8).toLongLong();
        games << g;
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
