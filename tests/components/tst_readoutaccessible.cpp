#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/dotpanel.h"
#include "components/readoutaccessible.h"

#include <QAccessible>
#include <QTest>

namespace {

// What the read-outs announced, one line per event: "value 12" or "text 1:02 -> 1:01".
class Announcements {
public:
    Announcements() {
        watchReadoutAnnouncements([this](const QAccessibleEvent& event) {
            if (event.type() == QAccessible::ValueChanged) {
                const auto& change = static_cast<const QAccessibleValueChangeEvent&>(event);
                lines << QStringLiteral("value %1").arg(change.value().toInt());
            } else if (event.type() == QAccessible::TextUpdated) {
                const auto& change = static_cast<const QAccessibleTextUpdateEvent&>(event);
                lines << QStringLiteral("text %1 -> %2").arg(change.textRemoved(), change.textInserted());
            } else {
                lines << QStringLiteral("event %1").arg(int(event.type()));
            }
        });
    }
    ~Announcements() { watchReadoutAnnouncements({}); }
    Announcements(const Announcements&) = delete;
    Announcements& operator=(const Announcements&) = delete;

    QStringList lines;
};

} // namespace

class TestReadoutAccessible : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void digitPanelValue_data();
    void digitPanelValue();
    void digitPanelNameAndDescription();
    void clockPanelText_data();
    void clockPanelText();
    void dotPanelIsKnown();
    void digitPanelAnnouncesOnlyChanges();
    void clockPanelAnnouncesOnlyChangesOfShownText();
};

void TestReadoutAccessible::initTestCase() {
    installReadoutAccessibility();
}

void TestReadoutAccessible::digitPanelValue_data() {
    QTest::addColumn<int>("caption");
    QTest::addColumn<QString>("valueText");

    QTest::newRow("score") << 12 << "12";
    QTest::newRow("zero") << 0 << "0";
    QTest::newRow("cleared is -1, not 0") << -1 << "";
    QTest::newRow("negative") << -3 << "-3";
}

void TestReadoutAccessible::digitPanelValue() {
    QFETCH(int, caption);
    QFETCH(QString, valueText);

    DigitPanel panel;
    panel.setMax(199);
    panel.setCaption(caption);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&panel);
    QVERIFY(iface);
    QAccessibleValueInterface* value = iface->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toInt(), caption);
    QCOMPARE(value->minimumValue().toInt(), -1);
    QCOMPARE(value->maximumValue().toInt(), 199);
    QCOMPARE(iface->text(QAccessible::Value), valueText);

    // The value belongs to the board: an assistive tool cannot change it.
    value->setCurrentValue(77);
    QCOMPARE(panel.caption(), caption);
}

void TestReadoutAccessible::digitPanelNameAndDescription() {
    DigitPanel panel;
    panel.setObjectName(QStringLiteral("digHome"));
    panel.setAccessibleName(QStringLiteral("Home score"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&panel);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Indicator);
    QCOMPARE(iface->text(QAccessible::Name), u"Home score");
    QCOMPARE(iface->text(QAccessible::Description), u"digHome");
    QVERIFY(iface->state().focusable);
}

void TestReadoutAccessible::clockPanelText_data() {
    QTest::addColumn<float>("caption");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");

    QTest::newRow("10:00") << 600.0f << ClockPanel::MinutesFormat << "10:00";
    QTest::newRow("1:02 without the aligning blank") << 62.0f << ClockPanel::MinutesFormat << "1:02";
    QTest::newRow("59.9") << 59.9f << ClockPanel::TenthsFormat << "59.9";
    QTest::newRow("no number") << std::nanf("") << ClockPanel::MinutesFormat << "";
}

void TestReadoutAccessible::clockPanelText() {
    QFETCH(float, caption);
    QFETCH(QString, format);
    QFETCH(QString, text);

    ClockPanel clock;
    clock.setObjectName(QStringLiteral("clkGame"));
    clock.setAccessibleName(QStringLiteral("Game clock"));
    clock.setTimeFormat(format);
    clock.setCaption(caption);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&clock);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), u"Game clock");
    QCOMPARE(iface->text(QAccessible::Description), u"clkGame");
    QAccessibleTextInterface* textIface = iface->textInterface();
    QVERIFY(textIface);
    QCOMPARE(textIface->characterCount(), text.size());
    QCOMPARE(textIface->text(0, textIface->characterCount()), text);
    QCOMPARE(iface->text(QAccessible::Value), text);
    QCOMPARE(textIface->selectionCount(), 0);
}

void TestReadoutAccessible::dotPanelIsKnown() {
    DotPanel preview;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&preview);
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Value), u"8");
}

void TestReadoutAccessible::digitPanelAnnouncesOnlyChanges() {
    DigitPanel panel;
    Announcements heard;
    panel.setCaption(5);
    panel.setCaption(5);
    panel.setCaption(-1);
    panel.setCaption(-1);
    panel.setCaptionText(u"12");
    panel.setCaptionText(u"12");
    panel.setLitColor(Qt::green); // a look, not a value
    QCOMPARE(heard.lines, QStringList({"value 5", "value -1", "value 12"}));
}

// The board writes the clock 20 times a second; only a change of what is shown is news.
void TestReadoutAccessible::clockPanelAnnouncesOnlyChangesOfShownText() {
    ClockPanel clock;
    clock.setCaption(62);
    Announcements heard;
    for (const float time : {62.0f, 61.9f, 61.5f, 61.05f, 61.0f, 60.95f, 60.0f}) {
        clock.setTimeFormat(ClockPanel::MinutesFormat);
        clock.setCaption(time);
    }
    clock.setTimeFormat(ClockPanel::TenthsFormat);
    clock.setCaption(59.9f);
    QCOMPARE(heard.lines, QStringList({"text 1:02 -> 1:01", "text 1:01 -> 1:00", "text 1:00 -> 60.0",
                                       "text 60.0 -> 59.9"}));
}

QTEST_MAIN(TestReadoutAccessible)
#include "tst_readoutaccessible.moc"
