// The game's change events: one per value that changed, none for a value set to what it was,
// each carrying its cause.
#include "components/monotonicclock.h"
#include "game/changetext.h"
#include "game/game.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

namespace {

using Step = std::function<void(Game&, ManualClock&)>;

Currency seconds(int s) {
    return Currency::fromInt(s);
}

} // namespace

Q_DECLARE_METATYPE(Step)

class TestGame : public QObject {
    Q_OBJECT

private slots:
    void events_data();
    void events();
    void listenersSeeTheWholeChange();
    void eachCommandSettlesOnce();

private:
    const SettingsRecord m_settings = DefaultSettings(QString());
};

// GIVEN a game after `setup` WHEN `action` runs THEN these events, in this order, and horns.
void TestGame::events_data() {
    QTest::addColumn<Step>("setup");
    QTest::addColumn<Step>("action");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("horns");
    const Step nothing = [](Game&, ManualClock&) {
    };
    const auto quick = [](int key) {
        return Step([key](Game& g, ManualClock&) { g.quickKey(key); });
    };

    QTest::newRow("quick key") << nothing << quick(45) << QStringList{"scoreHome 0 1 quickKey"} << 0;
    QTest::newRow("quick key beyond its limit")
        << Step([](Game& g, ManualClock&) { g.setValue(GameField::Period, 9, GameCause::Restore); })
        << quick(80) << QStringList{} << 0;
    QTest::newRow("timeouts down to cleared")
        << nothing << quick(118) << QStringList{"timeoutsHome 0 -1 quickKey"} << 0;
    QTest::newRow("typed value already there") << nothing << Step([](Game& g, ManualClock&) {
        g.applyEntry(GameField::Period, u"1", -1, 9, GameCause::TypedEntry);
    }) << QStringList{} << 0;
    QTest::newRow("clear key") << nothing << Step([](Game& g, ManualClock&) {
        g.applyEntry(GameField::ScoreVisitor, QStringView(&modShowDigits::ClearMark, 1), -1, 199,
                     GameCause::ClearKey);
    }) << QStringList{"scoreVisitor 0 -1 clearKey"}
                               << 0;
    QTest::newRow("start: both clocks")
        << nothing << Step([](Game& g, ManualClock&) { g.startStop(); })
        << QStringList{"clockRunning 0 1 clockCommand", "shotClockRunning 0 1 clockCommand"} << 0;
    QTest::newRow("reset a running game clock") << Step([](Game& g, ManualClock& c) {
        g.startStop();
        c.advanceMs(2000);
    }) << Step([](Game& g, ManualClock&) { g.resetGameClock(); })
                                                << QStringList{"gameClock 5980000 6000000 clockCommand",
                                                               "clockRunning 1 0 clockCommand",
                                                               "shotClockRunning 1 0 clockCommand"}
                                                << 0;
    QTest::newRow("reset a game clock at its reset time")
        << nothing << Step([](Game& g, ManualClock&) { g.resetGameClock(); }) << QStringList{} << 0;
    QTest::newRow("typed game time becomes the reset time")
        << nothing << Step([](Game& g, ManualClock&) { g.enterGameTime(seconds(720)); })
        << QStringList{"gameClock 6000000 7200000 typedEntry", "gameClockReset 6000000 7200000 typedEntry"}
        << 0;
    QTest::newRow("shot reset shows a blank shot clock")
        << Step([](Game& g, ManualClock&) { g.clearShotClock(); })
        << Step([](Game& g, ManualClock&) { g.resetShotClock(); })
        << QStringList{"shotClock -1 350000 clockCommand"} << 0;
    QTest::newRow("typed shot time on a blank shot clock")
        << Step([](Game& g, ManualClock&) { g.clearShotClock(); })
        << Step([](Game& g, ManualClock&) { g.enterShotTime(seconds(24)); }) << QStringList{} << 0;
    QTest::newRow("run-out stops both, once") << Step([](Game& g, ManualClock& c) {
        g.enterGameTime(seconds(1));
        g.startStop();
        c.advanceMs(1500);
    }) << Step([](Game& g, ManualClock&) {
        for (int refresh = 0; refresh < 2; ++refresh) {
            g.checkRunOut(g.clocks().game().seconds(), g.clocks().shot().seconds());
        }
    }) << QStringList{"clockRunning 1 0 clockRunOut", "shotClockRunning 1 0 clockRunOut"}
                                              << 1;
    QTest::newRow("possession home, then visitor, then none")
        << nothing << Step([](Game& g, ManualClock&) {
               g.togglePossession(Side::Home);
               g.togglePossession(Side::Visitor);
               g.togglePossession(Side::Visitor);
               g.clearPossession();
           })
        << QStringList{"possession 0 1 possessionClick", "possession 1 2 possessionClick",
                       "possession 2 0 possessionClick"}
        << 0;
    QTest::newRow("values no field holds are refused") << nothing << Step([](Game& g, ManualClock&) {
        QVERIFY(!g.setValue(GameField::ScoreHome, 40000, GameCause::Restore));
        QVERIFY(!g.setValue(GameField::Possession, 3, GameCause::Restore));
        QVERIFY(!g.setValue(GameField::ClockRunning, 2, GameCause::Restore));
    }) << QStringList{} << 0;
    QTest::newRow("restore: only what differs") << nothing << Step([](Game& g, ManualClock& c) {
        Game other(g.settings(), c);
        other.setValue(GameField::FoulsVisitor, 4, GameCause::QuickKey);
        other.togglePossession(Side::Visitor);
        g.restore(other.snapshot());
    }) << QStringList{"foulsVisitor 0 4 restore", "possession 0 2 restore"}
                                                << 0;
}

void TestGame::events() {
    QFETCH(Step, setup);
    QFETCH(Step, action);
    QFETCH(QStringList, expected);
    QFETCH(int, horns);
    ManualClock clock;
    Game game(m_settings, clock);
    setup(game, clock);
    QStringList seen;
    connect(&game, &Game::changed, this, [&](const GameEvent& e) {
        seen << QStringLiteral("%1 %2 %3 %4")
                    .arg(fieldName(e.field))
                    .arg(e.oldValue)
                    .arg(e.newValue)
                    .arg(causeName(e.cause));
    });
    QSignalSpy runOuts(&game, &Game::runOut);

    action(game, clock);

    QCOMPARE(seen, expected);
    QCOMPARE(runOuts.size(), horns);
}

void TestGame::listenersSeeTheWholeChange() {
    // A view that redraws on the first event of a command must find the command complete.
    ManualClock clock;
    Game game(m_settings, clock);
    QList<qint64> shotRunningSeen;
    connect(&game, &Game::changed, this, [&](const GameEvent& e) {
        if (e.field == GameField::ClockRunning) {
            shotRunningSeen << game.value(GameField::ShotClockRunning);
        }
    });
    game.startStop();
    game.startStop();
    QCOMPARE(shotRunningSeen, (QList<qint64>{1, 0}));
}

void TestGame::eachCommandSettlesOnce() {
    // The record writes what settles together in one transaction: a crash between a typed time's
    // clock and its reset value must not keep one without the other.
    ManualClock clock;
    Game game(m_settings, clock);
    QStringList seen;
    connect(&game, &Game::changed, this, [&](const GameEvent& e) {
        seen << fieldName(e.field);
        // A listener that changes the game again stays inside the command that woke it.
        if (e.field == GameField::ScoreHome) {
            game.setValue(GameField::FoulsHome, 1, GameCause::QuickKey);
        }
    });
    connect(&game, &Game::settled, this, [&] { seen << QStringLiteral("|"); });

    game.enterGameTime(seconds(447));
    game.setValue(GameField::ScoreVisitor, 0, GameCause::QuickKey); // unchanged: nothing to settle
    game.setValue(GameField::ScoreHome, 2, GameCause::QuickKey);

    QCOMPARE(seen, (QStringList{"gameClock", "gameClockReset", "|", "scoreHome", "foulsHome", "|"}));
}

QTEST_GUILESS_MAIN(TestGame)
#include "tst_game.moc"
