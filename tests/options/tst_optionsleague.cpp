// The league choice in the options: a preset fills in its figures on both pages, an edit makes
// the choice "Custom", and OK commits what the pages show.

#include "options/leaguepage.h"
#include "optionsfixture.h"
#include "settings/leagues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

class TestOptionsLeague : public QObject {
    Q_OBJECT

private slots:
    void presetFillsBothPages_data();
    void presetFillsBothPages();
    void editMakesCustom_data();
    void editMakesCustom();
    void storedPresetCommitsUnchanged();
    void clockEntry_data();
    void clockEntry();
};

namespace {

QString shown(const OptionsFixture& f, const char* name) {
    return f.label(QLatin1String(name))->text();
}

SettingsRecord commitNow(OptionsFixture& f) {
    f.messages.setSilent(true);
    QTest::mouseClick(f.child<QPushButton>(QStringLiteral("cmdOk")), Qt::LeftButton);
    return f.commits.value(0);
}

} // namespace

void TestOptionsLeague::presetFillsBothPages_data() {
    QTest::addColumn<QString>("league");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("shotClock");
    QTest::addColumn<bool>("halves");
    QTest::addColumn<int>("bonusOuter");
    QTest::newRow("NBA") << u"NBA"_s << u"12:00"_s << u"24"_s << false << 100;
    QTest::newRow("NCAA men") << u"NCAA men"_s << u"20:00"_s << u"30"_s << true << 10;
}

void TestOptionsLeague::presetFillsBothPages() {
    QFETCH(QString, league);
    QFETCH(QString, period);
    QFETCH(QString, shotClock);
    QFETCH(bool, halves);
    QFETCH(int, bonusOuter);
    OptionsFixture f;

    // WHEN the league is chosen
    f.child<QComboBox>(QStringLiteral("cmbLeague"))->setCurrentText(league);

    // THEN its figures show on the league page and on "Other Settings", and OK commits them
    QCOMPARE(f.child<QSpinBox>(QStringLiteral("spnPeriod"))->text(), period);
    QCOMPARE(shown(f, "lblShotClock"), shotClock);
    QCOMPARE(f.child<QRadioButton>(QStringLiteral("otnGameHalf"))->isChecked(), halves);
    QCOMPARE(f.child<QCheckBox>(QStringLiteral("chkOuterBonus"))->isChecked(), bonusOuter < 100);
    const SettingsRecord committed = commitNow(f);
    QCOMPARE(committed.League, league);
    QCOMPARE(committed.BonusOuter, bonusOuter);
    QCOMPARE(committed.ShotClockResetTime, shotClock.toInt());
    QVERIFY(leagues::matches(*leagues::find(league), committed));
}

void TestOptionsLeague::editMakesCustom_data() {
    QTest::addColumn<QString>("edit");
    for (const char* edit :
         {"period", "short reset", "fouls reset", "outer bonus", "shot clock", "halves", "horn to buzzer"}) {
        QTest::newRow(edit) << edit;
    }
}

void TestOptionsLeague::editMakesCustom() {
    QFETCH(QString, edit);
    OptionsFixture f;
    f.child<QComboBox>(QStringLiteral("cmbLeague"))->setCurrentText(QStringLiteral("FIBA"));

    if (edit == u"period") {
        f.child<QSpinBox>(QStringLiteral("spnPeriod"))->stepUp();
    } else if (edit == u"short reset") {
        f.child<QSpinBox>(QStringLiteral("spnShortReset"))->stepDown();
    } else if (edit == u"fouls reset") {
        f.child<QCheckBox>(QStringLiteral("chkFoulsReset"))->click();
    } else if (edit == u"outer bonus") {
        f.child<QCheckBox>(QStringLiteral("chkOuterBonus"))->click();
    } else if (edit == u"shot clock") {
        f.child<RaisingScrollBar>(QStringLiteral("vsShotClock"))
            ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    } else if (edit == u"halves") {
        f.child<QRadioButton>(QStringLiteral("otnGameHalf"))->click();
    } else if (edit == u"horn to buzzer") {
        f.child<QPushButton>(QStringLiteral("cmdShotClockBuzzer"))->click();
    }

    QCOMPARE(f.child<QComboBox>(QStringLiteral("cmbLeague"))->currentText(), QStringLiteral("Custom"));
    const SettingsRecord committed = commitNow(f);
    QCOMPARE(committed.League, QStringLiteral("Custom"));
    QVERIFY(!leagues::matches(*leagues::find(u"FIBA"), committed) || edit == u"horn to buzzer");
}

void TestOptionsLeague::storedPresetCommitsUnchanged() {
    // GIVEN settings that hold NFHS (no outer bonus light, its own horn)
    SettingsRecord stored = OptionsFixture::defaults();
    leagues::apply(*leagues::find(u"NFHS"), stored, QStringLiteral("/opt/ravenmark"));
    OptionsFixture f(stored);

    // THEN the dialog shows NFHS, and OK without an edit commits the very same record
    QCOMPARE(f.child<QComboBox>(QStringLiteral("cmbLeague"))->currentText(), QStringLiteral("NFHS"));
    QVERIFY(!f.child<QCheckBox>(QStringLiteral("chkOuterBonus"))->isChecked());
    QCOMPARE(shown(f, "lblSFile"), QStringLiteral("/opt/ravenmark/shotclock.wav"));
    QCOMPARE(commitNow(f), stored);
}

void TestOptionsLeague::clockEntry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("seconds"); // -1: refused, the value stays
    QTest::newRow("minutes and seconds") << "7:30" << 450;
    QTest::newRow("minutes only") << "12" << 720;
    QTest::newRow("99:59") << "99:59" << 5999;
    QTest::newRow("seconds past 59") << "1:75" << -1;
    QTest::newRow("zero") << "0:00" << -1;
}

void TestOptionsLeague::clockEntry() {
    QFETCH(QString, typed);
    QFETCH(int, seconds);
    ClockSpinBox box(nullptr);
    box.setValue(600);
    box.selectAll();
    QTest::keyClicks(&box, typed);
    QTest::keyClick(&box, Qt::Key_Return);
    box.interpretText();
    QCOMPARE(box.value(), seconds < 0 ? 600 : seconds);
}

QTEST_MAIN(TestOptionsLeague)
#include "tst_optionsleague.moc"
