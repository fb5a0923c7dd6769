// The game record on the disk: what is written comes back in order, and bad storage (damaged,
// unwritable, locked, full, removed) never loses what the board shows once the storage is back.
#include "../support/recordfixture.h"
#include "record/recordwriter.h"
#include "record/resume.h"
#include "support/logcapture.h"
#include "support/unprivileged.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

RecordWriter::Options optionsFor(const QString& path) {
    RecordWriter::Options options;
    options.path = path;
    options.retryMs = 0; // the tests retry by hand
    return options;
}

void writeGame(const QString& path, int events, bool end) {
    RecordDatabase db(QStringLiteral("test-write-game"));
    QVERIFY(db.open(path));
    const qint64 id = writeGame(db, events);
    QVERIFY(id >= 0);
    QVERIFY(!end || db.endGame(id, testHeader().startedMs + 3'600'000));
}

} // namespace

class TestRecordStore : public QObject {
    Q_OBJECT

private slots:
    void unfinishedGameGoesOn();
    void filesArePrivate();
    void damagedFileMovedAside_data();
    void damagedFileMovedAside();
    void storageFaultsThenRecovery_data();
    void storageFaultsThenRecovery();
    void removedMidGame_data();
    void removedMidGame();
};

void TestRecordStore::unfinishedGameGoesOn() {
    RecordFolder folder;
    writeGame(folder.path(), 2, true);
    QVERIFY(!readUnfinishedGame(folder.path())); // closed normally: the next start is a new game

    {
        RecordWriter writer(optionsFor(folder.path()));
        writer.startGame(testHeader(1'765'100'000'000));
        for (int n = 1; n <= 4; ++n) {
            writer.append(scoreEvent(n));
        }
        ClockCheckpoint running;
        running.gameClock = 5'000'000;
        running.gameRunning = true;
        writer.checkpoint(running);
        QVERIFY(writer.flush());
        // Killed here: no end mark.
    }

    std::optional<StoredGame> cut = readUnfinishedGame(folder.path());
    QVERIFY(cut);
    QCOMPARE(cut->header.startedMs, 1'765'100'000'000);
    QCOMPARE(cut->header.home, QStringLiteral("Ravens"));
    QCOMPARE(seqs(*cut), (QList<qint64>{1, 2, 3, 4}));
    QCOMPARE(cut->events[3].gameClock, scoreEvent(4).gameClock);
    QCOMPARE(cut->events[3].event.newValue, 4);
    QVERIFY(cut->checkpoint);
    QCOMPARE(cut->checkpoint->afterSeq, 4);
    QCOMPARE(cut->checkpoint->gameClock, 5'000'000);
    QVERIFY(cut->checkpoint->gameRunning);

    // Resumed, the same game goes on where its numbering stopped, and ends normally.
    {
        RecordWriter writer(optionsFor(folder.path()));
        writer.continueGame(*cut);
        writer.append(scoreEvent(5));
        writer.endGame(1'765'100'600'000);
        QVERIFY(writer.flush());
    }
    const std::optional<StoredGame> ended = readBack(folder.path());
    QVERIFY(ended);
    QCOMPARE(ended->id, cut->id);
    QCOMPARE(seqs(*ended), (QList<qint64>{1, 2, 3, 4, 5}));
    QCOMPARE(ended->endedMs, std::optional<qint64>(1'765'100'600'000));
    QVERIFY(!readUnfinishedGame(folder.path()));
}

void TestRecordStore::filesArePrivate() {
    RecordFolder folder;
    const QString data = folder.dir.filePath(QStringLiteral("data"));
    const QString path = data + QStringLiteral("/games.sqlite");
    RecordWriter writer(optionsFor(path));
    writer.startGame(testHeader());
    writer.append(scoreEvent(1));
    QVERIFY(writer.flush());
    for (const auto& [file, mode] :
         {std::pair{data, 0700}, {path, 0600}, {path + QStringLiteral("-wal"), 0600}}) {
        struct stat info {};
        QVERIFY2(::stat(QFile::encodeName(file).constData(), &info) == 0, qPrintable(file));
        QCOMPARE(int(info.st_mode & 0777), mode);
    }
}

void TestRecordStore::damagedFileMovedAside_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("zero bytes") << "zero";
    QTest::newRow("cut short") << "cut";
    QTest::newRow("page overwritten") << "page";
}

void TestRecordStore::damagedFileMovedAside() {
    QFETCH(QString, damage);
    RecordFolder folder;
    writeGame(folder.path(), 2000, false);
    QFile file(folder.path());
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    QVERIFY(size > 16 * 4096);
    if (damage == QLatin1String("garbage")) {
        QByteArray noise(8192, '\0');
        QRandomGenerator(17).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        QVERIFY(file.resize(0) && file.write(noise) == noise.size());
    } else if (damage == QLatin1String("zero")) {
        QVERIFY(file.resize(0));
    } else if (damage == QLatin1String("cut")) {
        QVERIFY(file.resize(size / 2));
    } else {
        QVERIFY(file.seek(size / 2 / 4096 * 4096));
        QVERIFY(file.write(QByteArray(4096, '\x5a')) == 4096);
    }
    QVERIFY(file.seek(0));
    const QByteArray damagedBytes = file.readAll();
    file.close();

    const LogCapture log("ravenmark.record");
    readUnfinishedGame(folder.path()); // as the start does; it may or may not find the damage
    {
        RecordWriter writer(optionsFor(folder.path()));
        writer.startGame(testHeader());
        writer.append(scoreEvent(1));
        writer.append(scoreEvent(2));
        QVERIFY(writer.flush());
    }

    // Kept, untouched, under a dated name beside the new record; said once.
    const QStringList aside = folder.movedAside();
    QCOMPARE(aside.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^games\.sqlite\.damaged-\d{8}-\d{6}$)"))
                 .match(aside[0])
                 .hasMatch(),
             qPrintable(aside[0]));
    QFile kept(folder.dir.filePath(aside[0]));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), damagedBytes);
    QCOMPARE(log.linesOf(QtWarningMsg).size(), 1);
    QVERIFY(log.linesOf(QtWarningMsg)[0].contains(folder.path()));
    const std::optional<StoredGame> fresh = readBack(folder.path());
    QVERIFY(fresh);
    QCOMPARE(seqs(*fresh), (QList<qint64>{1, 2}));
}

void TestRecordStore::storageFaultsThenRecovery_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("read-only file and folder") << "readOnly";
    QTest::newRow("folder cannot be made") << "noFolder";
    QTest::newRow("locked by another program") << "locked";
    QTest::newRow("file size limit (disk full)") << "full";
}

void TestRecordStore::storageFaultsThenRecovery() {
    QFETCH(QString, fault);
    // As the operator, who is not root: permissions bind.
    RUN_UNPRIVILEGED_WHEN_ROOT();
    RecordFolder folder;
    const QString parent = folder.dir.filePath(QStringLiteral("parent"));
    const QString path =
        fault == QLatin1String("noFolder") ? parent + QStringLiteral("/data/games.sqlite") : folder.path();
    QVERIFY(QDir().mkpath(parent));
    if (fault != QLatin1String("noFolder")) {
        writeGame(path, 3, true);
    }
    const QByteArray folderName = QFile::encodeName(QFileInfo(path).absolutePath());
    const QByteArray fileName = QFile::encodeName(path);

    std::optional<QSqlDatabase> holder;
    rlimit limit{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit unlimited = limit;
    if (fault == QLatin1String("readOnly")) {
        QVERIFY(::chmod(fileName.constData(), 0444) == 0 && ::chmod(folderName.constData(), 0555) == 0);
    } else if (fault == QLatin1String("noFolder")) {
        QVERIFY(::chmod(QFile::encodeName(parent).constData(), 0555) == 0);
    } else if (fault == QLatin1String("locked")) {
        holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-program"));
        holder->setDatabaseName(path);
        QVERIFY(holder->open());
        QVERIFY(QSqlQuery(*holder).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    } else {
        limit.rlim_cur = 2048;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    }

    const LogCapture log("ravenmark.record");
    RecordWriter writer(optionsFor(path));
    writer.startGame(testHeader(1'765'200'000'000));
    for (int n = 1; n <= 5; ++n) {
        writer.append(scoreEvent(n));
    }
    const bool writtenWhileFaulty = writer.flush();
    // Lift the fault before checking, so that a failed check leaves nothing behind.
    if (fault == QLatin1String("readOnly")) {
        QVERIFY(::chmod(folderName.constData(), 0700) == 0 && ::chmod(fileName.constData(), 0600) == 0);
    } else if (fault == QLatin1String("noFolder")) {
        QVERIFY(::chmod(QFile::encodeName(parent).constData(), 0700) == 0);
    } else if (fault == QLatin1String("locked")) {
        QSqlQuery(*holder).exec(QStringLiteral("ROLLBACK"));
        holder->close();
    } else {
        QVERIFY(setrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    }
    QVERIFY(!writtenWhileFaulty);
    QCOMPARE(log.linesOf(QtWarningMsg).size(), 1); // one line for the whole episode, saying where
    QVERIFY2(log.linesOf(QtWarningMsg)[0].contains(path), qPrintable(log.linesOf(QtWarningMsg)[0]));

    QVERIFY(writer.retryNow());
    QCOMPARE(log.linesOf(QtInfoMsg).size(), 1); // and one when it writes again
    const std::optional<StoredGame> game = readBack(path);
    QVERIFY(game);
    QCOMPARE(game->header.startedMs, 1'765'200'000'000);
    QCOMPARE(seqs(*game), (QList<qint64>{1, 2, 3, 4, 5}));
    QCOMPARE(log.linesOf(QtWarningMsg).size(), 1);
    if (holder) {
        holder.reset();
        QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
    }
}

void TestRecordStore::removedMidGame_data() {
    QTest::addColumn<bool>("wholeFolder");
    QTest::newRow("file removed") << false;
    QTest::newRow("folder removed") << true;
}

void TestRecordStore::removedMidGame() {
    QFETCH(bool, wholeFolder);
    RecordFolder folder;
    const QString data = folder.dir.filePath(QStringLiteral("data"));
    const QString path = data + QStringLiteral("/games.sqlite");
    const LogCapture log("ravenmark.record");
    RecordWriter writer(optionsFor(path));
    writer.startGame(testHeader());
    for (int n = 1; n <= 3; ++n) {
        writer.append(scoreEvent(n));
    }
    QVERIFY(writer.flush());

    if (wholeFolder) {
        QVERIFY(QDir(data).removeRecursively());
    } else {
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            QFile::remove(path + suffix);
        }
    }
    writer.append(scoreEvent(4));
    QVERIFY(writer.flush());

    // The new file holds the whole game, not only what came after.
    const std::optional<StoredGame> game = readBack(path);
    QVERIFY(game);
    QCOMPARE(seqs(*game), (QList<qint64>{1, 2, 3, 4}));
    QCOMPARE(log.linesOf(QtWarningMsg).size(), 1);
}

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
