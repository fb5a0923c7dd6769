// League presets: what each puts in the settings and keeps through the store, what a file from
// before leagues means, and the period and foul rules the board takes from them.

#include "settings/leagues.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "settingstestutil.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace settingstest;

class TestLeagues : public QObject {
    Q_OBJECT

private slots:
    void presetSurvivesTheStore_data();
    void presetSurvivesTheStore();
    void fileFromBeforeLeaguesIsCustom();
    void unusableRuleTakesDefault_data();
    void unusableRuleTakesDefault();
    void periodLengthAndFoulReset_data();
    void periodLengthAndFoulReset();
};

// The figures of the rule books, written out here rather than taken from the table.
void TestLeagues::presetSurvivesTheStore_data() {
    QTest::addColumn<QString>("league");
    QTest::addColumn<QList<int>>("figures"); // halves, period, overtime, shot, short, inner, outer, timeouts
    QTest::addColumn<bool>("ownHorn");
    QTest::newRow("FIBA") << "FIBA" << QList<int>{0, 600, 300, 24, 14, 5, 100, 5} << true;
    QTest::newRow("NBA") << "NBA" << QList<int>{0, 720, 300, 24, 14, 5, 100, 7} << false;
    QTest::newRow("NCAA men") << "NCAA men" << QList<int>{1, 1200, 300, 30, 20, 7, 10, 4} << false;
    QTest::newRow("NCAA women") << "NCAA women" << QList<int>{0, 600, 300, 30, 20, 5, 100, 4} << false;
    QTest::newRow("NFHS") << "NFHS" << QList<int>{0, 480, 240, 35, 0, 5, 100, 5} << true;
}

void TestLeagues::presetSurvivesTheStore() {
    QFETCH(QString, league);
    QFETCH(QList<int>, figures);
    QFETCH(bool, ownHorn);
    const leagues::League* preset = leagues::find(league);
    QVERIFY(preset != nullptr);

    // GIVEN the defaults with the league chosen, saved and loaded again
    SettingsRecord chosen = DefaultSettings(ExeDir);
    leagues::apply(*preset, chosen, ExeDir);
    MemorySettingsStore store;
    QVERIFY(SaveSettings(store, chosen));
    const SettingsRecord r = load(store);

    // THEN the board reads the rule book's figures
    QCOMPARE(r.League, league);
    QCOMPARE(QList<int>({r.GamePeriod, r.PeriodSeconds, r.OvertimeSeconds, r.ShotClockResetTime, r.ShortReset,
                         r.BonusInner, r.BonusOuter, r.TimeoutsPerGame}),
             figures);
    QVERIFY(r.FoulsResetEachPeriod);
    QVERIFY(r.ShotClockOff);
    QCOMPARE(r.ShotClockFile, ownHorn ? ExeDir + "/shotclock.wav" : QString());
    QCOMPARE(leagues::shotClockHorn(r), ownHorn ? r.ShotClockFile : r.BuzzerFile);
    QVERIFY(leagues::matches(*preset, r));
}

void TestLeagues::fileFromBeforeLeaguesIsCustom() {
    // GIVEN a settings file as the board wrote it before leagues, every key bound
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath("Ravenmark.conf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[AdditionalSettings]\nBonusInner=5\nBonusOuter=8\nGamePeriod=1\nShotClockResetTime=30\n"
               "[KeySettings]\nBuzzerFile=/srv/horn.wav\nBuzzerKey=66\nClearKey=8\nClockSwitchKey=67\n"
               "IsKeyCode=Yes\nNumLockForce=0\nResetClockKey=82\nResetShotClockKey=84\nStartStopClockKey=83\n"
               "[QuickKeySettings]\nQScoreH1=45\n");
    file.close();

    // WHEN it is loaded
    const SettingsRecord r = load(QSettingsStore(dir.path()));

    // THEN everything it held stays, and the rules are the board's old habits under "Custom"
    QCOMPARE(r.ShotClockResetTime, 30);
    QCOMPARE(r.BonusInner, 5);
    QCOMPARE(r.BonusOuter, 8);
    QCOMPARE(r.GamePeriod, 1);
    QCOMPARE(r.BuzzerFile, "/srv/horn.wav");
    QCOMPARE(r.League, "Custom");
    QCOMPARE(r.PeriodSeconds, 600);
    QCOMPARE(r.OvertimeSeconds, 600);
    QCOMPARE(r.ShortReset, 0);
    QVERIFY(!r.FoulsResetEachPeriod);
    QVERIFY(!r.ShotClockOff);
    QCOMPARE(r.ShotClockFile, QString());
    QCOMPARE(leagues::shotClockHorn(r), "/srv/horn.wav");
    QCOMPARE(r.TimeoutsPerGame, 0);
    QCOMPARE(r.ShortResetKey, 89); // Y, which no other key had
}

void TestLeagues::unusableRuleTakesDefault_data() {
    QTest::addColumn<SettingId>("id");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("loaded");
    QTest::newRow("unknown league") << SettingId::League << u"EuroLeague"_s << u"Custom"_s;
    QTest::newRow("league in other case") << SettingId::League << u"fiba"_s << u"Custom"_s;
    QTest::newRow("known league") << SettingId::League << u"NCAA women"_s << u"NCAA women"_s;
    QTest::newRow("period of 0 s") << SettingId::PeriodSeconds << u"0"_s << u"600"_s;
    QTest::newRow("period of 99:59") << SettingId::PeriodSeconds << u"5999"_s << u"5999"_s;
    QTest::newRow("period of 100 minutes") << SettingId::PeriodSeconds << u"6000"_s << u"600"_s;
    QTest::newRow("negative overtime") << SettingId::OvertimeSeconds << u"-300"_s << u"600"_s;
    QTest::newRow("short reset 100") << SettingId::ShortReset << u"100"_s << u"0"_s;
    QTest::newRow("ten timeouts") << SettingId::TimeoutsPerGame << u"10"_s << u"0"_s;
    QTest::newRow("yes in lower case") << SettingId::ShotClockOff << u"yes"_s << u"No"_s;
    QTest::newRow("fouls reset") << SettingId::FoulsResetEachPeriod << u"Yes"_s << u"Yes"_s;
}

void TestLeagues::unusableRuleTakesDefault() {
    QFETCH(SettingId, id);
    QFETCH(QString, stored);
    QFETCH(QString, loaded);
    MemorySettingsStore store;
    put(store, id, stored);
    QCOMPARE(textOf(load(store), id), loaded);
}

void TestLeagues::periodLengthAndFoulReset_data() {
    QTest::addColumn<QString>("league");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("foulsReset");
    QTest::newRow("FIBA 1st") << "FIBA" << 1 << 600 << false;
    QTest::newRow("FIBA into the 2nd") << "FIBA" << 2 << 600 << true;
    QTest::newRow("FIBA into the 4th") << "FIBA" << 4 << 600 << true;
    QTest::newRow("FIBA into overtime") << "FIBA" << 5 << 300 << false;
    QTest::newRow("NCAA men into the 2nd half") << "NCAA men" << 2 << 1200 << true;
    QTest::newRow("NCAA men into overtime") << "NCAA men" << 3 << 300 << false;
    QTest::newRow("NFHS second overtime") << "NFHS" << 6 << 240 << false;
    QTest::newRow("Custom into the 2nd") << "Custom" << 2 << 600 << false;
    QTest::newRow("Custom into overtime") << "Custom" << 5 << 600 << false;
}

void TestLeagues::periodLengthAndFoulReset() {
    QFETCH(QString, league);
    QFETCH(int, period);
    QFETCH(int, length);
    QFETCH(bool, foulsReset);
    SettingsRecord r = DefaultSettings(ExeDir);
    if (const leagues::League* preset = leagues::find(league)) {
        leagues::apply(*preset, r, ExeDir);
    }
    QCOMPARE(leagues::periodLength(r, period), Currency::fromInt(length));
    QCOMPARE(leagues::foulsResetEntering(r, period), foulsReset);
}

QTEST_GUILESS_MAIN(TestLeagues)
#include "tst_leagues.moc"
