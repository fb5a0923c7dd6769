// The referee's rules for the two countdowns, apart from any window.
#include "components/monotonicclock.h"
#include "game/gameclock.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// One refresh: the times read at its start, whether the shot clock's read-out is blank, and
// how many horns have sounded in all after it.
struct Refresh {
    double game;
    double shot;
    bool blank;
    int horns;
};

Currency seconds(double s) {
    return Currency::fromUnits(std::llround(s * 10000));
}

} // namespace

Q_DECLARE_METATYPE(QList<Refresh>)

class TestGameClock : public QObject {
    Q_OBJECT

private slots:
    void runOuts_data();
    void runOuts();
    void gameAtZeroStopsBoth();
    void startStopAndResets();
};

void TestGameClock::runOuts_data() {
    QTest::addColumn<QList<Refresh>>("refreshes");

    QTest::newRow("game runs out once, stays at zero")
        << QList<Refresh>{{1, 20, false, 0}, {0, 19, false, 1}, {0, 19, false, 1}};
    QTest::newRow("both at once sound once") << QList<Refresh>{{1, 1, false, 0}, {0, 0, false, 1}};
    QTest::newRow("shot runs out while the game runs")
        << QList<Refresh>{{30, 1, false, 0}, {29, 0, false, 1}, {29, 0, false, 1}};
    QTest::newRow("shot sounds again after it was reset")
        << QList<Refresh>{{30, 1, false, 0}, {29, 0, false, 1}, {28, 5, false, 1}, {23, 0, false, 2}};
    QTest::newRow("a blank shot clock never sounds") << QList<Refresh>{{30, 1, true, 0}, {29, 0, true, 0}};
    QTest::newRow("a shot clock that never ran does not sound") << QList<Refresh>{{30, 0, false, 0}};
    QTest::newRow("game sounds again only after it was above zero")
        << QList<Refresh>{{0, 0, false, 1}, {0, 0, false, 1}, {5, 0, false, 1}, {0, 0, false, 2}};
    QTest::newRow("shot run-out then game at zero in the next refresh sounds once more")
        << QList<Refresh>{{2, 1, false, 0}, {1, 0, false, 1}, {0, 0, false, 2}};
}

void TestGameClock::runOuts() {
    QFETCH(QList<Refresh>, refreshes);
    ManualClock time;
    GameClock clocks(time);
    QSignalSpy horns(&clocks, &GameClock::runOut);
    int step = 0;
    for (const Refresh& r : refreshes) {
        clocks.checkRunOut(seconds(r.game), seconds(r.shot), r.blank);
        QVERIFY2(horns.size() == r.horns, qPrintable(QStringLiteral("refresh %1").arg(step)));
        ++step;
    }
}

void TestGameClock::gameAtZeroStopsBoth() {
    ManualClock time;
    GameClock clocks(time);
    clocks.game().setSeconds(seconds(5));
    clocks.shot().setSeconds(seconds(3));
    clocks.startStop();
    QVERIFY(clocks.game().running() && clocks.shot().running());

    clocks.checkRunOut(seconds(5), seconds(3), false);
    clocks.checkRunOut(seconds(4), Currency(), false);
    QVERIFY2(clocks.game().running(), "the shot clock's run-out leaves the game clock running");
    QVERIFY(!clocks.shot().running());

    clocks.checkRunOut(Currency(), Currency(), false);
    QVERIFY(!clocks.game().running());
}

void TestGameClock::startStopAndResets() {
    ManualClock time;
    GameClock clocks(time);
    QCOMPARE(clocks.resetTime(), seconds(600));
    clocks.setResetTime(seconds(90));
    clocks.game().setSeconds(seconds(12));
    clocks.startStop();
    clocks.resetShot(seconds(24));
    QVERIFY2(clocks.shot().running(), "a reset shot clock runs on with the game clock");
    QCOMPARE(clocks.shot().seconds(), seconds(24));
    clocks.resetGame();
    QVERIFY(!clocks.game().running() && !clocks.shot().running());
    QCOMPARE(clocks.game().seconds(), seconds(90));
    clocks.resetShot(seconds(24));
    QVERIFY2(!clocks.shot().running(), "a stopped game clock leaves the reset shot clock stopped");
}

QTEST_GUILESS_MAIN(TestGameClock)
#include "tst_gameclock.moc"
