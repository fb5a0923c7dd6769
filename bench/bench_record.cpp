// What the game record costs: one committed event with synchronous FULL and NORMAL, the
// board's share of handing an event over, the writer's time per event, and the size of the file
// after a two-hour game. Runs without a window.
#include "benchutil.h"
#include "record/recorddatabase.h"
#include "record/recordwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

RecordedEvent sampleEvent(int n) {
    RecordedEvent e;
    e.timeOfDayMs = 1'765'000'000'000 + n * 1000LL;
    e.steadyNs = n * 1'000'000'000LL;
    e.period = 1 + n / 2000;
    e.gameClock = 6'000'000 - n * 100;
    e.shotClock = 240'000;
    e.event = {GameField(n % 10), n - 1, n, GameCause::QuickKey};
    return e;
}

qint64 filesSize(const QString& path) {
    qint64 bytes = 0;
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        bytes += QFileInfo(path + suffix).size();
    }
    return bytes;
}

// One event a transaction, straight on the database, as the writer's thread does it.
void commitCost(const QString& folder, RecordDatabase::Durability durability, const char* name) {
    const QString path = folder + QStringLiteral("/commit-%1.sqlite").arg(name);
    RecordDatabase db(QStringLiteral("bench-commit"));
    if (!db.open(path, RecordDatabase::Access::ReadWrite, durability)) {
        std::printf("cannot open %s: %s\n", qPrintable(path), qPrintable(db.lastError()));
        return;
    }
    const qint64 game =
        db.insertGame({1'765'000'000'000, QStringLiteral("Home"), QStringLiteral("Visitor"), {}})
            .value_or(-1);
    std::vector<double> samples;
    for (int n = 1; n <= 400; ++n) {
        RecordedEvent e = sampleEvent(n);
        e.seq = n;
        const double start = nowMs();
        db.insertEvents(game, std::span<const RecordedEvent>(&e, 1));
        samples.push_back(nowMs() - start);
    }
    printPercentiles(qPrintable(QStringLiteral("Commit of one event, synchronous %1").arg(name)), samples,
                     "ms");
}

// The board's side (handing the event over) and the whole way to the disk, event by event.
void writerCost(const QString& folder) {
    RecordWriter::Options options;
    options.path = folder + QStringLiteral("/writer.sqlite");
    RecordWriter writer(options);
    writer.startGame({1'765'000'000'000, QStringLiteral("Home"), QStringLiteral("Visitor"), {}});
    writer.flush();
    std::vector<double> handOver;
    std::vector<double> written;
    for (int n = 1; n <= 400; ++n) {
        const double start = nowMs();
        writer.append(sampleEvent(n));
        handOver.push_back((nowMs() - start) * 1000.0);
        writer.flush();
        written.push_back(nowMs() - start);
    }
    printPercentiles("Handing one event to the writer (the board's cost)", handOver, "us");
    printPercentiles("One event from hand-over to committed (the writer's cost)", written, "ms");
}

// Two hours of play: a checkpoint every second with the clock running, and an event every
// `eventEverySeconds` seconds (0.1 is the soak's ten keys a second).
void twoHourGame(const QString& folder, double eventEverySeconds, const char* name) {
    RecordWriter::Options options;
    options.path = folder + QStringLiteral("/two-hours-%1.sqlite").arg(name);
    // The bytes written are the same with either setting; NORMAL only spares the benchmark the waits.
    options.durability = RecordDatabase::Durability::Normal;
    const double start = nowMs();
    qint64 events = 0;
    qint64 openSize = 0;
    {
        RecordWriter writer(options);
        writer.startGame({1'765'000'000'000, QStringLiteral("Home"), QStringLiteral("Visitor"), {}});
        double nextEvent = 0;
        for (int second = 0; second < 2 * 60 * 60; ++second) {
            for (; nextEvent < second + 1; nextEvent += eventEverySeconds) {
                writer.append(sampleEvent(int(++events)));
            }
            ClockCheckpoint c;
            c.timeOfDayMs = 1'765'000'000'000 + second * 1000LL;
            c.gameClock = 6'000'000 - second % 600 * 10000;
            c.shotClock = 240'000 - second % 24 * 10000;
            c.gameRunning = c.shotRunning = true;
            writer.checkpoint(c);
            if (second % 600 == 0) {
                writer.flush();
            }
        }
        writer.endGame(1'765'007'200'000);
        writer.flush();
        openSize = filesSize(options.path);
    }
    std::printf("Two-hour game, %s (%lld events, 7200 clock checkpoints): %.1f KB while open (with its log), "
                "%.1f KB closed; written in %.1f s\n",
                name, static_cast<long long>(events), double(openSize) / 1024.0,
                double(filesSize(options.path)) / 1024.0, (nowMs() - start) / 1000.0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Ravenmark"));
    QCoreApplication::setOrganizationName(QStringLiteral("Ravenmark"));
    // On the disk the record lives on, not in a memory file system where a flush costs nothing.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(data);
    QTemporaryDir folder(data + QStringLiteral("/bench-record-XXXXXX"));
    commitCost(folder.path(), RecordDatabase::Durability::Full, "FULL");
    commitCost(folder.path(), RecordDatabase::Durability::Normal, "NORMAL");
    writerCost(folder.path());
    twoHourGame(folder.path(), 4.0, "an event every 4 s");
    twoHourGame(folder.path(), 0.1, "ten events a second");
    return 0;
}
