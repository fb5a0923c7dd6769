#include "platform/screenidentity.h"

#include <QTest>

// Which connected screen is the one chosen for the audience, however the screens are numbered.
class TestScreenIdentity : public QObject {
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
};

void TestScreenIdentity::matches_data() {
    QTest::addColumn<ScreenIdentity>("chosen");
    QTest::addColumn<ScreenIdentity>("screen");
    QTest::addColumn<bool>("match");

    const ScreenIdentity projector{QStringLiteral("HDMI-1"), QStringLiteral("EPSON PJ"),
                                   QStringLiteral("X4K1")};
    QTest::newRow("the same monitor") << projector << projector << true;
    QTest::newRow("another monitor on the same output")
        << projector
        << ScreenIdentity{QStringLiteral("HDMI-1"), QStringLiteral("LG TV"), QStringLiteral("77")} << false;
    QTest::newRow("same model, another unit")
        << projector
        << ScreenIdentity{QStringLiteral("HDMI-1"), QStringLiteral("EPSON PJ"), QStringLiteral("X4K2")}
        << false;
    QTest::newRow("the same monitor on another output")
        << projector
        << ScreenIdentity{QStringLiteral("DP-2"), QStringLiteral("EPSON PJ"), QStringLiteral("X4K1")}
        << false;
    QTest::newRow("names differ in case")
        << projector
        << ScreenIdentity{QStringLiteral("hdmi-1"), QStringLiteral("EPSON PJ"), QStringLiteral("X4K1")}
        << false;
    QTest::newRow("name only, any monitor on it")
        << ScreenIdentity{QStringLiteral("HDMI-1"), {}, {}} << projector << true;
    QTest::newRow("model stored, serial not")
        << ScreenIdentity{QStringLiteral("HDMI-1"), QStringLiteral("EPSON PJ"), {}} << projector << true;
    QTest::newRow("serial stored, reported none")
        << projector << ScreenIdentity{QStringLiteral("HDMI-1"), QStringLiteral("EPSON PJ"), {}} << false;
    QTest::newRow("no screen chosen matches none") << ScreenIdentity{} << ScreenIdentity{} << false;
}

void TestScreenIdentity::matches() {
    QFETCH(ScreenIdentity, chosen);
    QFETCH(ScreenIdentity, screen);
    QFETCH(bool, match);
    QCOMPARE(screenMatches(chosen, screen), match);
}

QTEST_APPLESS_MAIN(TestScreenIdentity)
#include "tst_screenidentity.moc"
