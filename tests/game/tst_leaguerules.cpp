// The league's rules on the game where the board's tests do not reach: when a reset brings a shot
// clock that is off back, and a league chosen while a game is on.

#include "components/monotonicclock.h"
#include "game/game.h"
#include "settings/leagues.h"

#include <QTest>

namespace {

using F = GameField;
const QString Dir = QStringLiteral("/opt/ravenmark");

qint64 units(double seconds) {
    return qint64(seconds * 10000);
}

} // namespace

class TestLeagueRules : public QObject {
    Q_OBJECT

private slots:
    void resetBringsShotClockBack_data();
    void resetBringsShotClockBack();
    void leagueChosenDuringTheGame();
};

void TestLeagueRules::resetBringsShotClockBack_data() {
    QTest::addColumn<double>("game");
    QTest::addColumn<bool>("shortReset");
    QTest::addColumn<int>("shown"); // -1: still blank
    QTest::newRow("full reset, 30 s left") << 30.0 << false << 24;
    QTest::newRow("full reset, 20 s left") << 20.0 << false << -1;
    QTest::newRow("short reset, 20 s left") << 20.0 << true << 14;
    QTest::newRow("short reset, 10 s left") << 10.0 << true << -1;
}

void TestLeagueRules::resetBringsShotClockBack() {
    QFETCH(double, game);
    QFETCH(bool, shortReset);
    QFETCH(int, shown);
    SettingsRecord settings = DefaultSettings(Dir);
    leagues::apply(*leagues::find(u"FIBA"), settings, Dir);
    ManualClock clock;
    Game g(settings, clock);
    g.setValue(F::GameClock, units(game), GameCause::TypedEntry);
    g.clearShotClock();
    shortReset ? g.shortResetShotClock() : g.resetShotClock();
    g.checkRunOut(g.clocks().game().seconds(), g.clocks().shot().seconds());
    QCOMPARE(g.value(F::ShotClock), shown < 0 ? -1 : units(shown));
}

void TestLeagueRules::leagueChosenDuringTheGame() {
    // GIVEN a game on the old habits, the home team having taken a timeout
    SettingsRecord settings = DefaultSettings(Dir);
    ManualClock clock;
    Game g(settings, clock);
    leagues::apply(*leagues::find(u"NBA"), settings, Dir);
    g.followRules();
    QVERIFY(g.quickKey(settings.QTOLH1));

    // THEN the untouched clock and timeouts took the NBA's figures
    QCOMPARE(g.value(F::GameClock), units(720));
    QCOMPARE(g.value(F::TimeoutsVisitor), 7);

    // WHEN NFHS is chosen while the clock runs
    leagues::apply(*leagues::find(u"NFHS"), settings, Dir);
    g.startStop();
    clock.advanceMs(1000);
    g.followRules();

    // THEN the running clock runs on, the used timeout stays used, and R gives the new length
    QCOMPARE(g.value(F::GameClock), units(719));
    QCOMPARE(g.value(F::TimeoutsHome), 6);
    QCOMPARE(g.value(F::TimeoutsVisitor), 5);
    g.resetGameClock();
    QCOMPARE(g.value(F::GameClock), units(480));
}

QTEST_GUILESS_MAIN(TestLeagueRules)
#include "tst_leaguerules.moc"
