#include "components/clockengine.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Each row drives an engine on a hand-moved clock with a small script:
//   start / stop       set Running
//   +N                 move the clock by N milliseconds (fractions allowed)
//   set:X              set Seconds to X
// and checks Seconds and Running at the end.
class TestClockEngine : public QObject {
    Q_OBJECT

private slots:
    void script_data();
    void script();
    void rapidStartStopLosesNoTime();
    void stopCountsOneInstant();
    void clockGoingBackwardsAddsNoTime();
};

void TestClockEngine::script_data() {
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<bool>("running");

    QTest::newRow("new engine is stopped") << u"600"_s << u"+5000"_s << u"600"_s << false;
    QTest::newRow("counts down by elapsed time") << u"600"_s << u"start +1500"_s << u"598.5"_s << true;
    QTest::newRow("elapsed time, not number of polls")
        << u"600"_s << u"start +250 +250 +1000"_s << u"598.5"_s << true;
    QTest::newRow("start, stop, start")
        << u"10"_s << u"start +2000 stop +5000 start +1500"_s << u"6.5"_s << true;
    QTest::newRow("stopped engine holds its time")
        << u"10"_s << u"start +2000 stop +5000"_s << u"8"_s << false;
    QTest::newRow("second start changes nothing")
        << u"10"_s << u"start +1000 start +1000"_s << u"8"_s << true;
    QTest::newRow("second stop changes nothing")
        << u"10"_s << u"start +1000 stop +500 stop +500"_s << u"9"_s << false;
    QTest::newRow("setSeconds while running restarts from there")
        << u"10"_s << u"start +3000 set:24 +1000"_s << u"23"_s << true;
    QTest::newRow("setSeconds while stopped") << u"10"_s << u"set:24 +1000"_s << u"24"_s << false;
    QTest::newRow("setSeconds keeps running flag at zero")
        << u"1"_s << u"start +2000 set:0 +1000"_s << u"0"_s << true;
    QTest::newRow("never below zero") << u"1"_s << u"start +1500"_s << u"0"_s << true;
    QTest::newRow("running flag untouched at zero") << u"1"_s << u"start +1000 +60000"_s << u"0"_s << true;
    QTest::newRow("restart after running out")
        << u"1"_s << u"start +2000 stop start +1000"_s << u"0"_s << true;
    QTest::newRow("new time after running out counts down")
        << u"1"_s << u"start +2000 set:5 +1000"_s << u"4"_s << true;
    QTest::newRow("time left is rounded up, never down") << u"1"_s << u"start +0.15"_s << u"0.9999"_s << true;
    QTest::newRow("tenth-second precision") << u"24"_s << u"start +100"_s << u"23.9"_s << true;
}

void TestClockEngine::script() {
    QFETCH(QString, initial);
    QFETCH(QString, script);
    QFETCH(QString, seconds);
    QFETCH(bool, running);

    ManualClock clock;
    ClockEngine engine(nullptr, clock);
    engine.setSeconds(*Currency::fromText(initial));
    for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
        if (step == u"start") {
            engine.setRunning(true);
        } else if (step == u"stop") {
            engine.setRunning(false);
        } else if (step.startsWith(u'+')) {
            clock.advanceMs(step.mid(1).toDouble());
        } else if (step.startsWith(u"set:")) {
            engine.setSeconds(*Currency::fromText(step.mid(4)));
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
    QCOMPARE(engine.seconds().toText(), seconds);
    QCOMPARE(engine.running(), running);
}

// A start/stop key held down toggles the engine far more often than its 0.1 ms
// resolution; the parts of a unit between toggles must still add up.
void TestClockEngine::rapidStartStopLosesNoTime() {
    ManualClock clock;
    ClockEngine engine(nullptr, clock);
    engine.setSeconds(10_cur);
    for (int i = 0; i < 1000; ++i) {
        engine.setRunning(true);
        clock.advanceMs(0.05);
        engine.setRunning(false);
    }
    // 1000 runs of 50 µs each are 50 ms.
    QCOMPARE(engine.seconds().toText(), u"9.95");
}

namespace {

// A real clock never reads the same twice: this one moves on by a fixed step at every reading.
class TickingClock final : public MonotonicClock {
public:
    explicit TickingClock(std::int64_t stepNs) : m_stepNs(stepNs) {}
    std::int64_t nowNs() const override { return m_now += m_stepNs; }

private:
    std::int64_t m_stepNs;
    mutable std::int64_t m_now = 1'000'000'000;
};

} // namespace

// Stopping must take the time left and the part of a unit still to count at one instant;
// two readings would drop or count twice whatever passes between them.
void TestClockEngine::stopCountsOneInstant() {
    const TickingClock clock(70'000); // 70 µs a reading
    ClockEngine engine(nullptr, clock);
    engine.setSeconds(10_cur);
    for (int i = 0; i < 100; ++i) {
        engine.setRunning(true);
        engine.setRunning(false);
    }
    // Each run lasts from its start's reading to its stop's: 100 runs of 70 µs are 7 ms.
    QCOMPARE(engine.seconds().toText(), u"9.993");
}

void TestClockEngine::clockGoingBackwardsAddsNoTime() {
    ManualClock clock;
    ClockEngine engine(nullptr, clock);
    engine.setSeconds(10_cur);
    engine.setRunning(true);
    clock.advanceMs(-5000);
    QCOMPARE(engine.seconds(), 10_cur);
}

QTEST_APPLESS_MAIN(TestClockEngine)
#include "tst_clockengine.moc"
