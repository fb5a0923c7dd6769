// A league's rules on the board, through the operator's keys: fouls back to 0 on P, halves and
// their length, the short shot-clock reset, the blanked shot clock, and which horn a run-out
// sounds on which device.

#include "boardfixture.h"
#include "game/game.h"
#include "settings/leagues.h"

#include <algorithm>

class TestBoardLeague : public QObject {
    Q_OBJECT

private slots:
    void fibaFoulsGoBackToZeroOnP();
    void ncaaMenPlaysTwentyMinuteHalves();
    void shortResetKey_data();
    void shortResetKey();
    void runOutHorns_data();
    void runOutHorns();
};

namespace {

// The settings of a league, its shot clock with a horn of its own when `ownHorn` (any existing
// file opens the fake device).
void loadLeague(const QString& league, bool ownHorn = false) {
    LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
    leagues::apply(*leagues::find(league), Settings, QCoreApplication::applicationDirPath());
    Settings.ShotClockFile = ownHorn ? QCoreApplication::applicationFilePath() : QString();
}

} // namespace

void TestBoardLeague::fibaFoulsGoBackToZeroOnP() {
    loadLeague(QStringLiteral("FIBA"));
    BoardFixture f(QCoreApplication::applicationFilePath(), false);
    for (Qt::Key key : {Qt::Key_F11, Qt::Key_F11, Qt::Key_F12}) {
        f.key(key);
    }
    QCOMPARE(f.field("digFoulsH")->caption(), 2);
    f.key(Qt::Key_P);
    QCOMPARE(f.field("digPeriod")->caption(), 2);
    QCOMPARE(f.field("digFoulsH")->caption(), 0);
    QCOMPARE(f.field("digFoulsV")->caption(), 0);
}

void TestBoardLeague::ncaaMenPlaysTwentyMinuteHalves() {
    loadLeague(QStringLiteral("NCAA men"));
    BoardFixture f(QCoreApplication::applicationFilePath(), false);
    QCOMPARE(f.field<QLabel>("lblPeriod")->text(), QStringLiteral("Half"));
    QCOMPARE(f.field<ClockPanel>("clkGame")->caption(), 1200.0f); // 20:00
    f.key(Qt::Key_F11);
    f.key(Qt::Key_P);
    QCOMPARE(f.field("digFoulsH")->caption(), 0);
    // Past the second half the reset key gives the overtime, and the fouls carry on.
    f.key(Qt::Key_F11);
    f.key(Qt::Key_P);
    f.key(Qt::Key_R);
    QCOMPARE(f.field<ClockPanel>("clkGame")->caption(), 300.0f);
    QCOMPARE(f.field("digFoulsH")->caption(), 1);
}

void TestBoardLeague::shortResetKey_data() {
    QTest::addColumn<QString>("league");
    QTest::addColumn<int>("shown");
    QTest::newRow("FIBA") << "FIBA" << 14;
    QTest::newRow("NCAA men") << "NCAA men" << 20;
    QTest::newRow("NFHS has none") << "NFHS" << 35;
}

void TestBoardLeague::shortResetKey() {
    QFETCH(QString, league);
    QFETCH(int, shown);
    loadLeague(league);
    BoardFixture f(QCoreApplication::applicationFilePath(), false);
    f.key(Qt::Key_T); // the full reset first
    f.key(Qt::Key_Y);
    QCOMPARE(f.field("digShotClock")->caption(), shown);
}

void TestBoardLeague::runOutHorns_data() {
    QTest::addColumn<bool>("ownHorn");
    QTest::addColumn<double>("game"); // seconds left when both clocks start; the shot clock has 5
    QTest::addColumn<int>("buzzerPlays");
    QTest::addColumn<int>("hornPlays");
    QTest::newRow("shot clock, own horn") << true << 60.0 << 0 << 1;
    QTest::newRow("both at once, own horn") << true << 5.0 << 1 << 1;
    QTest::newRow("shot clock, buzzer") << false << 60.0 << 1 << 0;
    QTest::newRow("both at once, buzzer once") << false << 5.0 << 1 << 0;
    QTest::newRow("shot clock blanked, silent") << true << 4.98 << 1 << 0;
}

void TestBoardLeague::runOutHorns() {
    QFETCH(bool, ownHorn);
    QFETCH(double, game);
    QFETCH(int, buzzerPlays);
    QFETCH(int, hornPlays);
    loadLeague(QStringLiteral("FIBA"), ownHorn);
    BoardFixture f(QCoreApplication::applicationFilePath(), false);
    Game& g = f.board->game();
    g.setValue(GameField::GameClock, qint64(game * 10000), GameCause::TypedEntry);
    g.setValue(GameField::ShotClock, Currency::fromInt(5).units(), GameCause::TypedEntry);
    f.key(Qt::Key_S);
    f.board->RefreshTime();
    QCOMPARE(f.field("digShotClock")->caption() == DigitPanel::Cleared, game < 5.0);
    f.clock.advanceMs(std::min(game, 5.0) * 1000 + 50);
    f.board->RefreshTime();
    QCOMPARE(f.buzzer->plays, buzzerPlays);
    QCOMPARE(f.shotHorn->plays, hornPlays);
}

QTEST_MAIN(TestBoardLeague)
#include "tst_boardleague.moc"
