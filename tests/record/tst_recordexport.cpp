// Reading the record back: the values a cut-off game resumes with, its events as a table, and the
// command line that lists and exports games.
#include "../support/recordfixture.h"
#include "record/recordexport.h"
#include "record/resume.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

RecordedEvent recorded(qint64 seq, GameField field, qint64 oldValue, qint64 newValue,
                       qint64 gameClock = 6'000'000, GameCause cause = GameCause::QuickKey) {
    RecordedEvent e = scoreEvent(int(seq));
    e.seq = seq;
    e.gameClock = gameClock;
    e.event = {field, oldValue, newValue, cause};
    return e;
}

StoredGame sampleGame() {
    StoredGame game;
    game.id = 7;
    game.header = testHeader();
    game.events = {
        recorded(1, GameField::ScoreHome, -1, 2),
        recorded(2, GameField::ScoreVisitor, 0, 3, 599'500),
        recorded(3, GameField::GameClock, 599'500, 1, 1), // typed: a ten-thousandth shows as 0:00.1
        recorded(4, GameField::ScoreHome, 2, -1, 1, GameCause::ClearKey), // cleared: counts as 0
        recorded(5, GameField::Possession, 0, 2, -1),
    };
    return game;
}

} // namespace

class TestRecordExport : public QObject {
    Q_OBJECT

private slots:
    void restoredValues_data();
    void restoredValues();
    void csvTable();
    void jsonTable();
    void commandLine_data();
    void commandLine();
};

void TestRecordExport::restoredValues_data() {
    QTest::addColumn<bool>("checkpointLast");
    QTest::addColumn<qint64>("gameClock");
    QTest::newRow("checkpoint after the last event") << true << qint64(3'210'000);
    QTest::newRow("event after the last checkpoint") << false << qint64(4'000'000);
}

void TestRecordExport::restoredValues() {
    QFETCH(bool, checkpointLast);
    QFETCH(qint64, gameClock);
    StoredGame game;
    game.header = testHeader();
    game.events = {recorded(1, GameField::ClockRunning, 0, 1, 6'000'000, GameCause::ClockCommand),
                   recorded(2, GameField::ScoreHome, 0, 3),
                   recorded(3, GameField::ScoreHome, 3, 1, 4'000'000, GameCause::Undo),
                   recorded(4, GameField::FoulsVisitor, -1, 4, 4'000'000)};
    game.checkpoint =
        ClockCheckpoint{checkpointLast ? 4 : 3, 1'765'000'099'000, 0, 3'210'000, 50'000, true, true};

    const RestoredGame restored = ::restoredValues(game);
    QCOMPARE(restored.values.value(GameField::ScoreHome), 1);
    QCOMPARE(restored.values.value(GameField::FoulsVisitor), 4);
    QCOMPARE(restored.values.value(GameField::ClockRunning, -7), 0); // stopped, whatever it was
    QVERIFY(!restored.values.contains(GameField::Period)); // never changed: left as a new game has it
    QCOMPARE(restored.gameClock, std::optional<qint64>(gameClock));
    QCOMPARE(restored.lastSeenMs, checkpointLast ? 1'765'000'099'000 : game.events.last().timeOfDayMs);
}

void TestRecordExport::csvTable() {
    const QStringList lines =
        QString::fromUtf8(recordexport::exportGame(sampleGame(), recordexport::Format::Csv))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[0],
             QStringLiteral("seq,time,period,game_clock,shot_clock,field,old,new,cause,home,visitor"));
    const auto at = [](const RecordedEvent& e) {
        return QDateTime::fromMSecsSinceEpoch(e.timeOfDayMs).toString(QStringLiteral("HH:mm:ss.zzz"));
    };
    const StoredGame game = sampleGame();
    QCOMPARE(lines[1],
             QStringLiteral("1,%1,1,10:00.0,0:24.0,scoreHome,,2,quickKey,2,0").arg(at(game.events[0])));
    // 59.95 s shows as a minute, as the read-out rounds tenths up.
    QCOMPARE(lines[2],
             QStringLiteral("2,%1,1,1:00.0,0:24.0,scoreVisitor,0,3,quickKey,2,3").arg(at(game.events[1])));
    QCOMPARE(
        lines[3],
        QStringLiteral("3,%1,1,0:00.1,0:24.0,gameClock,1:00.0,0:00.1,quickKey,2,3").arg(at(game.events[2])));
    QCOMPARE(lines[4],
             QStringLiteral("4,%1,1,0:00.1,0:24.0,scoreHome,2,,clearKey,0,3").arg(at(game.events[3])));
    QCOMPARE(lines[5], QStringLiteral("5,%1,1,,0:24.0,possession,0,2,quickKey,0,3").arg(at(game.events[4])));
}

void TestRecordExport::jsonTable() {
    const QJsonObject root =
        QJsonDocument::fromJson(recordexport::exportGame(sampleGame(), recordexport::Format::Json)).object();
    QCOMPARE(root.value(QStringLiteral("id")).toInteger(), 7);
    QCOMPARE(root.value(QStringLiteral("home")).toString(), QStringLiteral("Ravens"));
    QVERIFY(root.value(QStringLiteral("ended")).isNull());
    const QJsonArray events = root.value(QStringLiteral("events")).toArray();
    QCOMPARE(events.size(), 5);
    QVERIFY(events[0].toObject().value(QStringLiteral("old")).isNull()); // blank, not -1
    QCOMPARE(events[1].toObject().value(QStringLiteral("gameClock")).toDouble(), 59.95);
    QCOMPARE(events[3].toObject().value(QStringLiteral("score")).toArray(), (QJsonArray{0, 3}));
    QVERIFY(events[4].toObject().value(QStringLiteral("gameClock")).isNull());
}

void TestRecordExport::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("withGames");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); // a line that must be in stdout (status 0) or stderr

    const QString list = QStringLiteral("--list-games");
    const QString exp = QStringLiteral("--export");
    const QString format = QStringLiteral("--format");
    QTest::newRow("list, no record yet") << QStringList{list} << false << 0 << "No games recorded yet.";
    QTest::newRow("list") << QStringList{list} << true << 0 << "2   %1  -      Ravens  Herons   3-0";
    QTest::newRow("export last") << QStringList{exp} << true << 0
                                 << "3,%2,1,9:57.0,0:24.0,scoreHome,2,3,quickKey,3,0";
    QTest::newRow("export by id, json")
        << QStringList{exp, QStringLiteral("1"), format, QStringLiteral("json")} << true << 0
        << "    \"id\": 1,";
    QTest::newRow("no such game") << QStringList{exp, QStringLiteral("99")} << true << 1
                                  << "ravenmark: no game 99";
    QTest::newRow("export, no record yet")
        << QStringList{exp, QStringLiteral("last")} << false << 1 << "ravenmark: cannot read";
    QTest::newRow("unknown format") << QStringList{exp, format, QStringLiteral("xml")} << true << 2
                                    << "usage:";
    QTest::newRow("id not a number") << QStringList{exp, QStringLiteral("first")} << true << 2 << "usage:";
    QTest::newRow("both commands") << QStringList{list, exp} << true << 2 << "usage:";
}

void TestRecordExport::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, withGames);
    QFETCH(int, status);
    QFETCH(QString, output);
    RecordFolder folder;
    if (withGames) {
        RecordDatabase db(QStringLiteral("test-command-line"));
        QVERIFY(db.open(folder.path()));
        QVERIFY(writeGame(db, 2) == 1 && writeGame(db, 3) == 2);
        QVERIFY(db.endGame(1, testHeader().startedMs + 60'000));
    }
    output.replace(
        QLatin1String("%1"),
        QDateTime::fromMSecsSinceEpoch(testHeader().startedMs).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    output.replace(
        QLatin1String("%2"),
        QDateTime::fromMSecsSinceEpoch(scoreEvent(3).timeOfDayMs).toString(QStringLiteral("HH:mm:ss.zzz")));

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QVERIFY(recordexport::isRecordCommand(arguments));
    QCOMPARE(recordexport::runCommand(arguments, folder.path(), outStream, errStream), status);
    outStream.flush();
    errStream.flush();
    const QStringList lines = (status == 0 ? out : err).split(QLatin1Char('\n'));
    QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(output); }),
             qPrintable(out + err));
    QVERIFY(!QFileInfo::exists(folder.path()) || withGames); // reading never creates a record
}

QTEST_GUILESS_MAIN(TestRecordExport)
#include "tst_recordexport.moc"
