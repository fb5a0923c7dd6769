// The refresh at the game clock's last tenths and at its end, between the regular 50 ms refreshes.
#include "boardfixture.h"
#include "components/clockboundary.h"

#include <QSignalSpy>

class TestClockBoundary : public QObject {
    Q_OBJECT

private slots:
    void delayToNextBoundary_data();
    void delayToNextBoundary();
    void boardRefreshesAtTheBoundaries();
};

void TestClockBoundary::delayToNextBoundary_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<int>("delayMs"); // -1: none
    QTest::newRow("ten minutes: the switch to tenths") << "600" << 540'100;
    QTest::newRow("59.95: 59.9 next") << "59.95" << 50;
    QTest::newRow("exactly on 59.9: 59.8 next") << "59.9" << 100;
    QTest::newRow("1.2345: 1.2 next, rounded up") << "1.2345" << 35;
    QTest::newRow("part of a millisecond rounds up") << "0.0001" << 1;
    QTest::newRow("zero") << "0" << -1;
}

void TestClockBoundary::delayToNextBoundary() {
    QFETCH(QString, left);
    QFETCH(int, delayMs);
    QCOMPARE(ClockBoundaryTimer::delayMs(*Currency::fromText(left)).value_or(-1), delayMs);
}

void TestClockBoundary::boardRefreshesAtTheBoundaries() {
    // GIVEN a running game clock with 0.35 s left
    BoardFixture f;
    const ClockBoundaryTimer& boundary = f.board->clockBoundary();
    f.board->teGame().setSeconds(Currency::fromUnits(3500));
    QVERIFY(!boundary.isArmed());
    f.board->StartStopClock();
    // THEN the board wakes when it reaches 0.3, and after that each tenth, and zero
    QVERIFY(boundary.isArmed());
    QCOMPARE(boundary.intervalMs(), 50);
    QSignalSpy reached(&boundary, &ClockBoundaryTimer::reached);
    f.clock.advanceMs(50);
    QVERIFY(reached.wait(1000));
    QCOMPARE(f.field<ClockPanel>("clkGame")->displayText().trimmed(), QStringLiteral("0.3"));
    QCOMPARE(boundary.intervalMs(), 100);
    f.clock.advanceMs(100);
    QVERIFY(reached.wait(1000));
    QCOMPARE(f.field<ClockPanel>("clkGame")->displayText().trimmed(), QStringLiteral("0.2"));
    QCOMPARE(f.buzzer->plays, 0);
    f.clock.advanceMs(200);
    QVERIFY(reached.wait(1000));
    // AT zero the horn sounds and nothing more is armed
    QCOMPARE(f.field<ClockPanel>("clkGame")->displayText().trimmed(), QStringLiteral("0.0"));
    QCOMPARE(f.buzzer->plays, 1);
    QVERIFY(!boundary.isArmed());
}

QTEST_MAIN(TestClockBoundary)
#include "tst_clockboundary.moc"
