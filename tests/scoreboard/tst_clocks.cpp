#include "boardfixture.h"

using namespace Qt::StringLiterals;

class TestClocks : public QObject {
    Q_OBJECT

private slots:
    void gameReadout_data();
    void gameReadout();
    void timeOfDay_data();
    void timeOfDay();
    void periodEndsAtZeroAfterItsTime();
    void gameRunOutStopsBothAndSoundsOnce();
    void startStopAtZeroRestartsSilently();
    void shotRunOutLeavesGameRunning();
    void bothRunOutInOneRefreshSoundOnce();
    void shotRunOutSoundsAgainWhileGameRuns();
    void blankShotClockNeverSounds();
    void startStopAndResets();
    void typedGameTime_data();
    void typedGameTime();
    void enterAloneOnGameClockSetsZeroAndSounds();
    void typedShotTime_data();
    void typedShotTime();
    void movingBetweenClockFieldsDiscardsTyping();
    void buzzerIgnoresPressWhileSounding();
    void buzzerSilentWithoutFile();
    void optionsReturnReloadsSound();
};

// GIVEN game seconds THEN the clock read-out's format and value.
void TestClocks::gameReadout_data() {
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("format");
    QTest::addColumn<float>("caption");
    QTest::newRow("600") << u"600"_s << u"60,1"_s << 600.0f;
    QTest::newRow("61.2 shows 1:02") << u"61.2"_s << u"60,1"_s << 62.0f;
    QTest::newRow("60.0 shows 1:00") << u"60"_s << u"60,1"_s << 60.0f;
    QTest::newRow("59.95 still minutes") << u"59.95"_s << u"60,1"_s << 60.0f;
    QTest::newRow("59.9 switches to tenths") << u"59.9"_s << u"1,.1"_s << 59.9f;
    QTest::newRow("0.05") << u"0.05"_s << u"1,.1"_s << 0.05f;
    QTest::newRow("600.0002 rounds up") << u"600.0002"_s << u"60,1"_s << 601.0f;
    QTest::newRow("600.0001 ties to even") << u"600.0001"_s << u"60,1"_s << 600.0f;
}

void TestClocks::gameReadout() {
    QFETCH(QString, seconds);
    QFETCH(QString, format);
    QFETCH(float, caption);
    BoardFixture f;
    f.board->teGame().setSeconds(*Currency::fromText(seconds));
    f.board->RefreshTime();
    auto* clock = f.field<ClockPanel>("clkGame");
    QCOMPARE(clock->timeFormat(), format);
    QCOMPARE(clock->caption(), caption);
}

void TestClocks::timeOfDay_data() {
    QTest::addColumn<QTime>("now");
    QTest::addColumn<bool>("twelveHour");
    QTest::addColumn<float>("caption");
    QTest::newRow("24-hour afternoon") << QTime(14, 35) << false << float(14 * 60 + 35);
    QTest::newRow("12-hour afternoon") << QTime(14, 35) << true << float(2 * 60 + 35);
    QTest::newRow("12-hour midnight") << QTime(0, 5) << true << float(12 * 60 + 5);
    QTest::newRow("24-hour midnight") << QTime(0, 5) << false << 5.0f;
    QTest::newRow("last minute") << QTime(23, 59) << false << float(23 * 60 + 59);
}

void TestClocks::timeOfDay() {
    QFETCH(QTime, now);
    QFETCH(bool, twelveHour);
    QFETCH(float, caption);
    BoardFixture f;
    f.timeOfDay = now;
    f.twelveHour = twelveHour;
    f.key(Qt::Key_C);
    QVERIFY(f.board->ClockTime());
    f.board->RefreshTime();
    auto* clock = f.field<ClockPanel>("clkGame");
    QCOMPARE(clock->timeFormat(), QStringLiteral("60,1"));
    QCOMPARE(clock->caption(), caption);
    // The game keeps counting unseen.
    f.key(Qt::Key_S);
    f.clock.advanceMs(1000);
    QCOMPARE(f.board->teGame().seconds(), 599_cur);
    f.key(Qt::Key_C);
    f.board->RefreshTime();
    QCOMPARE(clock->caption(), 599.0f);
}

void TestClocks::periodEndsAtZeroAfterItsTime() {
    BoardFixture f;
    f.key(Qt::Key_S);
    // Irregular refreshes: the time shown depends only on the time passed.
    double passed = 0;
    int step = 0;
    while (passed + 81 < 600'000) {
        const double tick = 37 + (step++ % 5) * 11;
        f.clock.advanceMs(tick);
        passed += tick;
        f.board->RefreshTime();
        QVERIFY(f.board->teGame().running());
    }
    f.clock.advanceMs(600'000 - passed);
    f.board->RefreshTime();
    QCOMPARE(f.board->teGame().seconds(), Currency());
    QVERIFY(!f.board->teGame().running());
    QCOMPARE(f.field<ClockPanel>("clkGame")->displayText().trimmed(), QStringLiteral("0.0"));
    QCOMPARE(f.buzzer->plays, 1);
}

void TestClocks::gameRunOutStopsBothAndSoundsOnce() {
    BoardFixture f;
    f.board->teGame().setSeconds(1_cur);
    f.key(Qt::Key_S);
    f.clock.advanceMs(999);
    f.board->RefreshTime();
    QCOMPARE(f.buzzer->plays, 0);
    f.clock.advanceMs(1);
    f.board->RefreshTime();
    QVERIFY(!f.board->teGame().running());
    QVERIFY(!f.board->teShotClock().running());
    QCOMPARE(f.buzzer->plays, 1);
    f.buzzer->finish();
    f.board->RefreshTime();
    QCOMPARE(f.buzzer->plays, 1);
}

void TestClocks::startStopAtZeroRestartsSilently() {
    BoardFixture f;
    f.board->teGame().setSeconds(Currency());
    f.board->RefreshTime();
    QCOMPARE(f.buzzer->plays, 1);
    f.buzzer->finish();
    f.key(Qt::Key_S);
    QVERIFY(f.board->teGame().running());
    QVERIFY(f.board->teShotClock().running());
    f.board->RefreshTime();
    QVERIFY(!f.board->teGame().running());
    QVERIFY(!f.board->teShotClock().running());
    QCOMPARE(f.buzzer->plays, 1);
}

void TestClocks::shotRunOutLeavesGameRunning() {
    BoardFixture f;
    f.key(Qt::Key_S);
    f.key(Qt::Key_T);
    QVERIFY(f.board->teShotClock().running());
    QCOMPARE(f.field("digShotClock")->caption(), 35);
    f.clock.advanceMs(34'500);
    f.board->RefreshTime();
    QCOMPARE(f.field("digShotClock")->caption(), 1);
    f.clock.advanceMs(500);
    f.board->RefreshTime();
    QCOMPARE(f.field("digShotClock")->caption(), 0);
    QVERIFY(!f.board->teShotClock().running());
    QVERIFY(f.board->teGame().running());
    QCOMPARE(f.buzzer->plays, 1);
}

void TestClocks::bothRunOutInOneRefreshSoundOnce() {
    BoardFixture f;
    f.board->teGame().setSeconds(10_cur);
    f.key(Qt::Key_S);
    Settings.ShotClockResetTime = 10;
    f.key(Qt::Key_T);
    f.clock.advanceMs(10'000);
    f.board->RefreshTime();
    QVERIFY(!f.board->teGame().running());
    QCOMPARE(f.buzzer->plays, 1);
}

void TestClocks::shotRunOutSoundsAgainWhileGameRuns() {
    BoardFixture f;
    Settings.ShotClockResetTime = 5;
    f.key(Qt::Key_S);
    for (int round = 1; round <= 3; ++round) {
        f.key(Qt::Key_T);
        f.clock.advanceMs(5'000);
        f.board->RefreshTime();
        QCOMPARE(f.buzzer->plays, round);
        f.buzzer->finish();
        f.board->RefreshTime();
        QCOMPARE(f.buzzer->plays, round);
    }
}

void TestClocks::blankShotClockNeverSounds() {
    BoardFixture f;
    f.key(Qt::Key_S);
    f.key(Qt::Key_T);
    f.focus("digShotClock");
    f.key(Qt::Key_Backspace);
    QCOMPARE(f.field("digShotClock")->caption(), -1);
    f.clock.advanceMs(40'000);
    f.board->RefreshTime();
    QCOMPARE(f.buzzer->plays, 0);
    QCOMPARE(f.field("digShotClock")->caption(), -1);
    // A typed shot time runs unseen until the reset shows the shot clock again.
    f.key(Qt::Key_2);
    f.key(Qt::Key_4);
    f.key(Qt::Key_Return);
    QCOMPARE(f.board->teShotClock().seconds(), 24_cur);
    QCOMPARE(f.field("digShotClock")->caption(), -1);
    f.key(Qt::Key_T);
    QCOMPARE(f.field("digShotClock")->caption(), 35);
}

void TestClocks::startStopAndResets() {
    BoardFixture f;
    f.key(Qt::Key_S);
    QVERIFY(f.board->teGame().running());
    QVERIFY(f.board->teShotClock().running());
    // Shot clock stopped while the game runs: the next press stops the game only.
    f.board->teShotClock().setRunning(false);
    f.key(Qt::Key_S);
    QVERIFY(!f.board->teGame().running());
    QVERIFY(!f.board->teShotClock().running());
    // Shot reset while the game is stopped: set, still stopped.
    f.key(Qt::Key_T);
    QCOMPARE(f.board->teShotClock().seconds(), 35_cur);
    QVERIFY(!f.board->teShotClock().running());
    // Game reset stops both and leaves the shot time alone.
    f.key(Qt::Key_S);
    f.clock.advanceMs(3'000);
    f.key(Qt::Key_R);
    QVERIFY(!f.board->teGame().running());
    QVERIFY(!f.board->teShotClock().running());
    QCOMPARE(f.board->teGame().seconds(), 600_cur);
    QCOMPARE(f.board->teShotClock().seconds(), 32_cur);
    QCOMPARE(f.field("digShotClock")->caption(), 32);
}

void TestClocks::typedGameTime_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("seconds"); // "" when refused
    QTest::addColumn<QString>("format");
    QTest::newRow("12 minutes") << u"12"_s << u"720"_s << u"60,1"_s;
    QTest::newRow("24.5 seconds") << u"0.245"_s << u"24.5"_s << u"1,.1"_s;
    QTest::newRow("99.59") << u"99.59"_s << u"5999"_s << u"60,1"_s;
    QTest::newRow("100 refused") << u"100"_s << u""_s << u"60,1"_s;
    QTest::newRow("two points refused") << u"1.2.3"_s << u""_s << u"60,1"_s;
    QTest::newRow("ninth character refused") << u"000000012"_s << u""_s << u"60,1"_s;
}

void TestClocks::typedGameTime() {
    QFETCH(QString, typed);
    QFETCH(QString, seconds);
    QFETCH(QString, format);
    BoardFixture f;
    f.key(Qt::Key_S); // the game keeps running; the shot clock stops
    f.focus("clkGame");
    for (QChar c : typed) {
        f.key(c == u'.' ? Qt::Key_Period : Qt::Key(Qt::Key_0 + (c.unicode() - u'0')));
    }
    f.key(Qt::Key_Return);
    const Currency expected = seconds.isEmpty() ? 600_cur : *Currency::fromText(seconds);
    QCOMPARE(f.board->teGame().seconds(), expected);
    QCOMPARE(f.field<ClockPanel>("clkGame")->timeFormat(), format);
    QCOMPARE(f.board->GameResetTime(), expected);
    QVERIFY(f.board->teGame().running());
    QCOMPARE(f.board->teShotClock().running(), seconds.isEmpty());
    f.key(Qt::Key_R);
    QCOMPARE(f.board->teGame().seconds(), expected);
}

void TestClocks::enterAloneOnGameClockSetsZeroAndSounds() {
    BoardFixture f;
    f.focus("clkGame");
    f.key(Qt::Key_Return);
    QCOMPARE(f.board->teGame().seconds(), Currency());
    QCOMPARE(f.board->GameResetTime(), Currency());
    QCOMPARE(f.buzzer->plays, 1);
    f.buzzer->finish();
    f.key(Qt::Key_R);
    QCOMPARE(f.buzzer->plays, 1);
}

void TestClocks::typedShotTime_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("seconds"); // "" when refused
    QTest::newRow("24") << u"24"_s << u"24"_s;
    QTest::newRow("24.5 is 24") << u"24.5"_s << u"24"_s;
    QTest::newRow("99") << u"99"_s << u"99"_s;
    QTest::newRow("100 refused") << u"100"_s << u""_s;
    QTest::newRow("keypad 1 4") << u"14"_s << u"14"_s;
}

void TestClocks::typedShotTime() {
    QFETCH(QString, typed);
    QFETCH(QString, seconds);
    BoardFixture f;
    f.key(Qt::Key_S);
    f.key(Qt::Key_T);
    f.focus("digShotClock");
    for (QChar c : typed) {
        f.key(c == u'.' ? Qt::Key_Period : Qt::Key(Qt::Key_0 + (c.unicode() - u'0')),
              QTest::currentDataTag() == QByteArray("keypad 1 4") ? Qt::KeypadModifier : Qt::NoModifier);
    }
    f.key(Qt::Key_Return);
    if (seconds.isEmpty()) {
        QCOMPARE(f.board->teShotClock().seconds(), 35_cur);
        QVERIFY(f.board->teShotClock().running());
    } else {
        QCOMPARE(f.board->teShotClock().seconds(), *Currency::fromText(seconds));
        QVERIFY(!f.board->teShotClock().running());
        QCOMPARE(f.field("digShotClock")->caption(), int(Currency::fromText(seconds)->floor()));
    }
}

void TestClocks::movingBetweenClockFieldsDiscardsTyping() {
    BoardFixture f;
    f.focus("clkGame");
    f.key(Qt::Key_1);
    f.key(Qt::Key_2);
    f.focus("digShotClock");
    f.key(Qt::Key_2);
    f.key(Qt::Key_0);
    f.key(Qt::Key_Return);
    QCOMPARE(f.board->teShotClock().seconds(), 20_cur);
    QCOMPARE(f.board->teGame().seconds(), 600_cur);
    f.focus("clkGame");
    f.key(Qt::Key_Return);
    QCOMPARE(f.board->teGame().seconds(), Currency());
}

void TestClocks::buzzerIgnoresPressWhileSounding() {
    BoardFixture f;
    f.key(Qt::Key_B);
    f.key(Qt::Key_B);
    QCOMPARE(f.buzzer->plays, 1);
    QVERIFY(f.board->BuzzerPlaying());
    f.buzzer->finish();
    QVERIFY(!f.board->BuzzerPlaying());
    QCOMPARE(f.buzzer->commands.last(), QStringLiteral("Stop"));
    f.key(Qt::Key_B);
    QCOMPARE(f.buzzer->plays, 2);
}

void TestClocks::buzzerSilentWithoutFile() {
    BoardFixture f(QStringLiteral("/nonexistent/buzzer.wav"));
    QVERIFY(!f.buzzer->commands.contains(QStringLiteral("Open")));
    f.key(Qt::Key_B);
    f.board->teGame().setSeconds(Currency());
    f.board->RefreshTime();
    QCOMPARE(f.buzzer->plays, 0);
    QVERIFY(!f.board->BuzzerPlaying());
}

void TestClocks::optionsReturnReloadsSound() {
    BoardFixture f;
    f.buzzer->commands.clear();
    Settings.BuzzerFile = QStringLiteral("/elsewhere/horn.wav");
    f.key(Qt::Key_F2);
    QCOMPARE(f.buzzer->commands, QStringList({QStringLiteral("Close"), QStringLiteral("Open")}));
    QCOMPARE(f.buzzer->fileName(), QStringLiteral("/elsewhere/horn.wav"));
}

QTEST_MAIN(TestClocks)
#include "tst_clocks.moc"
